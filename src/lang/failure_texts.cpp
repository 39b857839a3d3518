#include "lang/failure_texts.h"

#include <array>
#include <cstring>
#include <string_view>

namespace varcel {

namespace {

using F = FailureCode;
using D = DeviceProblemCode;

// One row per code, in the order of FailureCode; "%s" is the subject.
constexpr CodeText<FailureCode> kFailureTexts[] = {
    {F::FolderBusy, "%s：另一个 Varcel 程序正在保存，请稍后再试", "%s：另一個 Varcel 程式正在儲存，請稍後再試",
     "%s: another Varcel program is saving there; try again"},
    {F::FileUnreadable, "无法读取 %s", "無法讀取 %s", "%s"},
    {F::FileNotWritten, "无法保存 %s", "無法儲存 %s", "%s could not be saved"},
    {F::ConfigMissing, "%s 中没有可用的 config.bin（本程序从不创建它）",
     "%s 中沒有可用的 config.bin（本程式從不建立它）", "no usable config.bin in %s (the program never creates it)"},
    {F::ConfigNotUsable, "%s 不是鼠标的配置文件", "%s 不是滑鼠的設定檔", "%s is not a configuration of the mouse"},
    {F::TextNotStorable, "%s：文字含有换行或非 UTF-8 字符，文件无法保存",
     "%s：文字含有換行或非 UTF-8 字元，檔案無法儲存",
     "%s: a text holds a line break or text that is not UTF-8, which the file cannot carry"},
    {F::MouseNotFound, "系统没有检测到游戏鼠标！", "系統沒有偵測到遊戲滑鼠！",
     "The system did not detect the gaming mouse!"},
    {F::MouseNotAccepted, "找到了鼠标，但它没有接受连接", "找到了滑鼠，但它沒有接受連線",
     "the mouse was found but not accepted"},
    {F::ApplyIncomplete, "设置没有全部写入鼠标", "設定沒有全部寫入滑鼠",
     "the configuration did not fully reach the mouse"},
    {F::ProfileInvalid, "配置文件无效", "設定檔無效", "the profile is not valid"},
    {F::FolderNotLockable, "%s：无法锁定此文件夹以保存", "%s：無法鎖定此資料夾以儲存",
     "%s: the folder cannot be locked for saving"},
    {F::FileChangedOnDisk, "%s 在读取后已被其他程序修改，没有覆盖它", "%s 在讀取後已被其他程式修改，沒有覆蓋它",
     "%s was changed by another program since it was read here, so it was not replaced"},
    {F::ProfileNameInvalid,
     "“%s”不能作为配置文件名：名称为 1 到 31 个字符，不含 /、\\、控制字符、改变文字方向或不可见的字符（如 "
     "U+202E），且不以点开头",
     "「%s」不能作為設定檔名稱：名稱為 1 到 31 個字元，不含 /、\\、控制字元、改變文字方向或不可見的字元（如 "
     "U+202E），且不以點開頭",
     "\"%s\" cannot name a profile: a name is 1 to 31 characters without /, \\, control characters, characters "
     "that turn the text's direction or do not show (such as U+202E) or a leading dot"},
    {F::ProfileMissing, "没有名为“%s”的配置文件", "沒有名為「%s」的設定檔", "there is no profile named \"%s\""},
    {F::ProfileExists, "已有名为“%s”的配置文件", "已有名為「%s」的設定檔", "a profile named \"%s\" already exists"},
    {F::RulesUnusable, "%s 无法用作配置文件规则", "%s 無法用作設定檔規則", "%s cannot be used as the profile rules"},
    {F::NoHomeFolder, "未设置 $XDG_CONFIG_HOME 和 $HOME，此用户也没有主文件夹；请用 --data-dir 指定数据文件夹",
     "未設定 $XDG_CONFIG_HOME 和 $HOME，此使用者也沒有家目錄；請用 --data-dir 指定資料夾",
     "neither $XDG_CONFIG_HOME nor $HOME is set and this user has no home folder; name the data folder with "
     "--data-dir"},
    {F::FolderNotMade, "无法创建 %s", "無法建立 %s", "cannot make %s"},
    {F::FolderNotPrivate, "%s 不是只有本用户能进入的文件夹，请删除它", "%s 不是只有本使用者能進入的資料夾，請刪除它",
     "%s is not a folder that only this user can enter; remove it"},
    {F::SocketPathTooLong, "套接字路径太长", "通訊端路徑太長", "socket path too long"},
    {F::SocketNotOpened, "无法打开 %s", "無法開啟 %s", "%s"},
    {F::SocketNotOwn, "%s 不属于本用户，不与它通信", "%s 不屬於本使用者，不與它通訊",
     "%s is not this user's socket; not talking to it"},
    {F::SimMouseControlled, "另一个程序正在控制这只模拟鼠标", "另一個程式正在控制這隻模擬滑鼠",
     "another program controls this simulated mouse"},
    {F::SimProgramStopped, "拥有此数据文件夹模拟鼠标的 Varcel 程序没有应答（是否已暂停？）",
     "擁有此資料夾模擬滑鼠的 Varcel 程式沒有回應（是否已暫停？）",
     "the Varcel program that has the simulated mouse of this data folder does not answer (is it stopped?)"},
    {F::NoSimProgram,
     "没有正在运行的 Varcel 程序拥有此数据文件夹的模拟鼠标（请用 --simulate 启动一个，例如：varcelctl --simulate "
     "watch）",
     "沒有正在執行的 Varcel 程式擁有此資料夾的模擬滑鼠（請用 --simulate 啟動一個，例如：varcelctl --simulate "
     "watch）",
     "no running Varcel program has the simulated mouse of this data folder (start one with --simulate, for "
     "example: varcelctl --simulate watch)"},
    {F::FileNotRemoved, "无法删除 %s", "無法刪除 %s", "%s could not be removed"},
    {F::LinkFileUnusable, "%s：需要 Key=（12 位十六进制数字）和 Table=（16 位十六进制数字）；使用内置的连接常数",
     "%s：需要 Key=（12 位十六進位數字）和 Table=（16 位十六進位數字）；使用內建的連線常數",
     "%s: needs Key= (12 hex digits) and Table= (16 hex digits); the built-in link constants are used"},
    {F::SettingNotKept, "GSettings %s：桌面没有保留该值（dconf 没有会话总线？）",
     "GSettings %s：桌面沒有保留該值（dconf 沒有工作階段匯流排？）",
     "GSettings %s: the desktop did not keep the value (no session bus for dconf?)"},
    {F::CaptureUnreadable, "无法读取抓包文件：%s", "無法讀取擷取檔：%s", "cannot read the capture: %s"},
    {F::CaptureNotPcap, "无法读取抓包文件：%s：不是抓包文件", "無法讀取擷取檔：%s：不是擷取檔",
     "cannot read the capture: %s: not a capture file"},
    {F::CaptureNotUsb,
     "无法读取抓包文件：%s：不是 USB 抓包（链路类型 %d）：请用 usbmon（Linux）或 USBPcap（Windows）抓取鼠标",
     "無法讀取擷取檔：%s：不是 USB 擷取（鏈路類型 %d）：請用 usbmon（Linux）或 USBPcap（Windows）擷取滑鼠",
     "cannot read the capture: %s: not a USB capture (link type %d): capture the mouse with usbmon (Linux) or "
     "USBPcap (Windows)"},
    {F::PcapMissing, "无法读取抓包文件：%s：读取抓包需要 libpcap（Debian 的 libpcap0.8 软件包）",
     "無法讀取擷取檔：%s：讀取擷取需要 libpcap（Debian 的 libpcap0.8 套件）",
     "cannot read the capture: %s: reading captures needs libpcap (Debian's libpcap0.8 package)"},
    {F::CaptureNotWritten, "无法写入抓包文件：%s", "無法寫入擷取檔：%s", "cannot write the capture: %s"},
    {F::UnknownSimFault, "未知的模拟故障“%s”", "未知的模擬故障「%s」", "unknown simulated fault \"%s\""},
};
static_assert(rowsInCodeOrder(kFailureTexts, kFailureCodes));

// Why a file was not read; an Unreadable one says the system's reason.
constexpr CodeText<FileStatus> kFileStatusTexts[] = {
    {FileStatus::Ok, "", "", ""},
    {FileStatus::Missing, "不存在", "不存在", "does not exist"},
    {FileStatus::Folder, "是文件夹，不是文件", "是資料夾，不是檔案", "is a folder, not a file"},
    {FileStatus::Fifo, "是 FIFO，不是文件", "是 FIFO，不是檔案", "is a FIFO, not a file"},
    {FileStatus::Socket, "是套接字，不是文件", "是通訊端，不是檔案", "is a socket, not a file"},
    {FileStatus::Device, "是设备，不是文件", "是裝置，不是檔案", "is a device, not a file"},
    {FileStatus::NotRegular, "不是普通文件", "不是一般檔案", "is not a regular file"},
    {FileStatus::Unreadable, "", "", ""},
    {FileStatus::TooLarge, "太大，不是本程序的文件", "太大，不是本程式的檔案", "is too large to be one of our files"},
};
static_assert(rowsInCodeOrder(kFileStatusTexts, static_cast<std::size_t>(FileStatus::TooLarge) + 1));

// One row per DeviceProblemCode; {what}, {count} and {of} are filled in.
constexpr CodeText<DeviceProblemCode> kDeviceProblemTexts[] = {
    {D::LinkFailed, "鼠标不再接受请求（是否已拔出？），其余设置没有发送",
     "滑鼠不再接受請求（是否已拔出？），其餘設定沒有傳送",
     "the mouse stopped taking requests (was it pulled out?); the rest of the configuration was not sent"},
    {D::NoAnswer, "鼠标没有回应{what}的读取", "滑鼠沒有回應{what}的讀取",
     "the mouse did not answer the read-back of {what}"},
    {D::WrongSize, "鼠标对{what}的回应声明 {count} 字节，而该块有 {of} 字节",
     "滑鼠對{what}的回應宣告 {count} 位元組，而該區塊有 {of} 位元組",
     "the mouse's answer for {what} announces {count} bytes where the block holds {of}"},
    {D::ReportsMissing, "鼠标为{what}声明了 {of} 个数据报告，只发送了 {count} 个",
     "滑鼠為{what}宣告了 {of} 個資料報告，只傳送了 {count} 個",
     "the mouse sent {count} of the {of} data reports it announced for {what}"},
    {D::WrongBlock, "鼠标对{what}的回应指向块 {count}，已忽略", "滑鼠對{what}的回應指向區塊 {count}，已忽略",
     "the mouse's answer for {what} names block {count}; ignored"},
    {D::WrongMacro, "鼠标对{what}的回应指向宏 {count}，已忽略", "滑鼠對{what}的回應指向巨集 {count}，已忽略",
     "the mouse's answer for {what} names macro {count}; ignored"},
    {D::Block1NotSent, "颜色块 1 没有写回，因为没能完整读取", "顏色區塊 1 沒有寫回，因為沒能完整讀取",
     "colour block 1 was not written back, because it could not be read whole"},
    {D::DpiNotSent, "DPI 档位没有发送，因为没能读取鼠标的传感器记录", "DPI 檔位沒有傳送，因為沒能讀取滑鼠的感測器記錄",
     "the DPI stages were not sent, because the mouse's sensor record could not be read"},
};
static_assert(rowsInCodeOrder(kDeviceProblemTexts, kDeviceProblemCodes));
using P = ProfileProblemCode;

// One row per ProfileProblemCode, said after the JSON path; {value},
// {expected}, {count} and {of} are filled in.
constexpr CodeText<ProfileProblemCode> kProfileProblemTexts[] = {
    {P::NotJson, "不是 JSON：{value}", "不是 JSON：{value}", "is not JSON: {value}"},
    {P::NumberTooLarge, "是无法读取的过大数字：{value}", "是無法讀取的過大數字：{value}",
     "is a number too large to read: {value}"},
    {P::TooDeep, "列表和对象的嵌套超过 {count} 层", "清單和物件的巢狀超過 {count} 層",
     "nests lists and objects deeper than {count} levels"},
    {P::NotObject, "必须是对象", "必須是物件", "must be an object"},
    {P::NotProfileField, "不是配置文件的字段", "不是設定檔的欄位", "is not a field of a profile"},
    {P::NotButtonField, "不是按键的字段", "不是按鍵的欄位", "is not a field of a button"},
    {P::Missing, "缺失", "缺少", "is missing"},
    {P::NotList, "必须是含 {count} 项的列表", "必須是含 {count} 項的清單", "must be a list of {count} entries"},
    {P::NotNumber, "必须是 {count} 到 {of} 之间的整数，而不是 {value}",
     "必須是 {count} 到 {of} 之間的整數，而不是 {value}", "must be a whole number from {count} to {of}, not {value}"},
    {P::NotBytes, "必须是 {count} 个字节，每个字节两位十六进制数字，以空格分隔",
     "必須是 {count} 個位元組，每個位元組兩位十六進位數字，以空格分隔",
     "must be {count} bytes as two hexadecimal digits each, separated by spaces"},
    {P::UnknownKey, "未知的按键名“{value}”（按键名同 varcelctl button 所用，或 0 到 255 的代码）",
     "未知的按鍵名稱「{value}」（按鍵名稱同 varcelctl button 所用，或 0 到 255 的代碼）",
     "unknown key name \"{value}\" (key names as varcelctl button takes them, or a code from 0 to 255)"},
    {P::UnknownFunction, "未知的功能“{value}”（可用：{expected}）", "未知的功能「{value}」（可用：{expected}）",
     "unknown function \"{value}\" (one of: {expected})"},
    {P::Disagrees, "为 {value}，但按配置文件的其他值应为 {expected}", "為 {value}，但依設定檔的其他值應為 {expected}",
     "is {value} but the profile's values make it {expected}"},
    {P::NotColour, "必须是写作 #RRGGBB 的颜色", "必須是寫作 #RRGGBB 的顏色", "must be a colour written #RRGGBB"},
    {P::NotLayer, "必须是“A”、“B”或 0 到 255 的数字", "必須是「A」、「B」或 0 到 255 的數字",
     "must be \"A\", \"B\" or a number from 0 to 255"},
    {P::NotLabels, "必须是以 Item1 到 Item12 及 Item13 到 Item123 为键的对象",
     "必須是以 Item1 到 Item12 及 Item13 到 Item123 為鍵的物件",
     "must be an object of the keys Item1 to Item12 and Item13 to Item123"},
    {P::NotLabelKey, "不是标签键（Item1 到 Item12、Item13、Item23 … Item123）",
     "不是標籤鍵（Item1 到 Item12、Item13、Item23 … Item123）",
     "is not a label key (Item1 to Item12, Item13, Item23 ... Item123)"},
    {P::NotText, "必须是文字", "必須是文字", "must be a text"},
    {P::NotLabel, "必须是一行最多 {count} 个字符的文字，不含控制字符",
     "必須是一行最多 {count} 個字元的文字，不含控制字元",
     "must be one line of at most {count} characters, without control characters"},
    {P::NotMacroList, "必须是宏的列表", "必須是巨集的清單", "must be a list of macros"},
    {P::TooManyMacros, "含有 {count} 个宏，而鼠标只有 {of} 个宏块", "含有 {count} 個巨集，而滑鼠只有 {of} 個巨集區塊",
     "holds {count} macros; the mouse has blocks for {of}"},
    {P::NotMacroName, "必须是 1 到 {count} 个字符的名称，不含 [、]、=、换行，首尾没有空白",
     "必須是 1 到 {count} 個字元的名稱，不含 [、]、=、換行，首尾沒有空白",
     "must be a name of 1 to {count} characters without [, ], =, line breaks or blanks at either end"},
    {P::NameTaken, "“{value}”已是前面一个宏的名称", "「{value}」已是前面一個巨集的名稱",
     "\"{value}\" is the name of an earlier macro"},
    {P::NotEntryList, "必须是条目的列表", "必須是項目的清單", "must be a list of entries"},
    {P::NotEntry, "必须是一行文字，不含 NUL", "必須是一行文字，不含 NUL", "must be one line of text, without NUL"},
    {P::UnknownMacroKey, "未知的按键名“{value}”", "未知的按鍵名稱「{value}」", "unknown key name \"{value}\""},
    {P::MacroTooLong, "放不进一个宏块：{of} 个按键事件中只能放下 {count} 个",
     "放不進一個巨集區塊：{of} 個按鍵事件中只能放入 {count} 個",
     "does not fit a macro block: {count} of its {of} key events fit"},
    {P::OtherVersion, "为 {value}；此 varcelctl 读取版本 {count} 的配置文件",
     "為 {value}；此 varcelctl 讀取版本 {count} 的設定檔",
     "is {value}; this varcelctl reads profiles of version {count}"},
};
static_assert(rowsInCodeOrder(kProfileProblemTexts, kProfileProblemCodes));
constexpr LangText kAbsent{"不存在", "不存在", "absent"};

using L = LinkLearnResult::Outcome;

// One row per outcome of learning the link constants; {count} is filled in.
constexpr CodeText<LinkLearnResult::Outcome> kNotLearnedTexts[] = {
    {L::NoMouseReports, "抓包中没有鼠标（USB 04D9:A09F）的特性报告{others}：请在程序配置鼠标时抓包",
     "擷取中沒有滑鼠（USB 04D9:A09F）的特徵報告{others}：請在程式設定滑鼠時擷取",
     "the capture holds no feature reports of the mouse (USB 04D9:A09F){others}: capture while a program "
     "configures the mouse"},
    {L::OnlyPlain, "抓包中鼠标的 {count} 个报告都是明文（未加扰），无法从中得知连接常数：请抓取鼠标接受的程序",
     "擷取中滑鼠的 {count} 個報告都是明文（未加擾），無法從中得知連線常數：請擷取滑鼠接受的程式",
     "the mouse's {count} reports in the capture are all plain (not scrambled), so they tell nothing of the link "
     "constants: capture a program the mouse accepts"},
    {L::NotSolved, "抓包中的 {count} 个加扰报告都不是这只鼠标的命令：它是其他设备，或抓包已损坏",
     "擷取中的 {count} 個加擾報告都不是這隻滑鼠的命令：它是其他裝置，或擷取已損毀",
     "none of the capture's {count} scrambled reports reads as this mouse's commands: it is another device, or the "
     "capture is damaged"},
    {L::TooFew, "抓包中只有鼠标的 {count} 个加扰报告，不足以得出连接常数：请抓取程序向鼠标写入设置，而不只是找到鼠标",
     "擷取中只有滑鼠的 {count} 個加擾報告，不足以得出連線常數：請擷取程式向滑鼠寫入設定，而不只是找到滑鼠",
     "the capture holds {count} scrambled reports of the mouse, too few to tell the link constants: capture a "
     "program applying settings to the mouse, not only finding it"},
    {L::Learned, "", "", ""},
};
static_assert(rowsInCodeOrder(kNotLearnedTexts, static_cast<std::size_t>(L::Learned) + 1));
constexpr LangText kNothingLearned{"未学到任何内容：", "未學到任何內容：", "nothing learned: "};
constexpr LangText kOnlyOtherDevice{"，只有另外 {count} 个设备的", "，只有另外 {count} 個裝置的",
                                    ", only of {count} other device"};
constexpr LangText kOnlyOtherDevices{"，只有另外 {count} 个设备的", "，只有另外 {count} 個裝置的",
                                     ", only of {count} other devices"};

// Why the profile rules cannot be used: too large, or what is not a rule.
constexpr LangText kRulesTooLarge{"文件超过 1 MB，任何规则都用不了这么多", "檔案超過 1 MB，任何規則都用不了這麼多",
                                  "it is over 1 MB, more than any rules need"};
constexpr LangText kNotARule{"{value} 不是规则", "{value} 不是規則", "{value} is not a rule"};

constexpr LangText kColourBlock{"颜色块 ", "顏色區塊 ", "colour block "};
constexpr LangText kMacro{"宏 ", "巨集 ", "macro "};
constexpr LangText kRestDropped{"，多余部分已丢弃", "，多餘部分已捨棄", "; the rest was dropped"};

void fill(std::string& text, std::string_view name, const std::string& value)
{
    if (const auto at = text.find(name); at != std::string::npos)
        text.replace(at, name.size(), value);
}

std::string rowText(const auto& rows, auto code, Language language)
{
    const auto row = static_cast<std::size_t>(code);
    return row < std::size(rows) ? rows[row](language) : "?";
}

} // namespace

std::string profileProblemText(const ProfileProblem& p, Language language)
{
    std::string text = rowText(kProfileProblemTexts, p.code, language);
    fill(text, "{value}", p.value);
    fill(text, "{expected}", p.expected.empty() ? kAbsent(language) : p.expected);
    fill(text, "{count}", std::to_string(p.count));
    fill(text, "{of}", std::to_string(p.of));
    return text;
}

std::string linkNotLearnedText(const LinkLearnResult& result, Language language)
{
    std::string text = kNothingLearned(language) + rowText(kNotLearnedTexts, result.outcome, language);
    const std::size_t others = result.otherDevices;
    fill(text, "{others}", others == 0 ? "" : (others > 1 ? kOnlyOtherDevices : kOnlyOtherDevice)(language));
    fill(text, "{count}",
         std::to_string(result.outcome == L::OnlyPlain        ? result.plain
                        : result.outcome == L::NoMouseReports ? others
                                                              : result.scrambled));
    return text;
}

std::string deviceProblemText(const DeviceProblem& p, Language language)
{
    std::string text = rowText(kDeviceProblemTexts, p.code, language);
    fill(text, "{what}", (p.what.macro ? kMacro : kColourBlock)(language) + std::to_string(p.what.index));
    fill(text, "{count}", std::to_string(p.count));
    fill(text, "{of}", std::to_string(p.of));
    if (p.code == DeviceProblemCode::WrongSize && p.count > p.of)
        text += kRestDropped(language);
    if (p.error != 0)
        text += std::string(" (") + std::strerror(p.error) + ")";
    return text;
}

std::string deviceProblemsText(const DeviceResult& result, Language language)
{
    std::string out;
    for (const DeviceProblem& p : result.problems)
        out += "  " + deviceProblemText(p, language) + "\n";
    return out;
}

std::string failureText(const Failure& failure, Language language)
{
    std::string text = rowText(kFailureTexts, failure.code, language);
    fill(text, "%s", failure.subject);
    fill(text, "%d", std::to_string(failure.number));
    std::string reason = failure.detail;
    if (failure.code == FailureCode::RulesUnusable) {
        reason = (failure.file == FileStatus::TooLarge ? kRulesTooLarge : kNotARule)(language);
        fill(reason, "{value}", failure.detail);
    }
    if (reason.empty())
        reason = kFileStatusTexts[static_cast<std::size_t>(failure.file)](language);
    if (reason.empty() && failure.error != 0)
        reason = std::strerror(failure.error);
    if (!reason.empty()) {
        // A list of problems goes below the sentence; one reason after it.
        const bool list = reason.find('\n') != std::string::npos || failure.code == FailureCode::ApplyIncomplete ||
                          failure.code == FailureCode::ProfileInvalid;
        text += list ? ":\n" + reason : ": " + reason;
        while (!text.empty() && text.back() == '\n')
            text.pop_back();
    }
    return text;
}

} // namespace varcel
