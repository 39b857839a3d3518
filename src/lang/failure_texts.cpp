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
constexpr LangText kColourBlock{"颜色块 ", "顏色區塊 ", "colour block "};
constexpr LangText kMacro{"宏 ", "巨集 ", "macro "};
constexpr LangText kRestDropped{"，多余部分已丢弃", "，多餘部分已捨棄", "; the rest was dropped"};

void fill(std::string& text, std::string_view name, const std::string& value)
{
    if (const auto at = text.find(name); at != std::string::npos)
        text.replace(at, name.size(), value);
}

} // namespace

std::string deviceProblemText(const DeviceProblem& p, Language language)
{
    const auto row = static_cast<std::size_t>(p.code);
    std::string text = row < std::size(kDeviceProblemTexts) ? kDeviceProblemTexts[row](language) : "?";
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
    const auto row = static_cast<std::size_t>(failure.code);
    std::string text = row < std::size(kFailureTexts) ? kFailureTexts[row](language) : "?";
    fill(text, "%s", failure.subject);
    fill(text, "%d", std::to_string(failure.number));
    std::string reason = failure.detail;
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
