#include "lang/failure_texts.h"

#include <array>
#include <cstring>

namespace varcel {

namespace {

// One row per code, in the order of FailureCode; "%s" is the subject.
constexpr std::array<LangText, 10> kFailureTexts{{
    {"%s：另一个 Varcel 程序正在保存，请稍后再试", "%s：另一個 Varcel 程式正在儲存，請稍後再試",
     "%s: another Varcel program is saving there; try again"},
    {"无法读取 %s", "無法讀取 %s", "%s"},
    {"无法保存 %s", "無法儲存 %s", "%s could not be saved"},
    {"%s 中没有可用的 config.bin（本程序从不创建它）", "%s 中沒有可用的 config.bin（本程式從不建立它）",
     "no usable config.bin in %s (the program never creates it)"},
    {"%s 不是鼠标的配置文件", "%s 不是滑鼠的設定檔", "%s is not a configuration of the mouse"},
    {"%s：文字含有换行或非 UTF-8 字符，文件无法保存", "%s：文字含有換行或非 UTF-8 字元，檔案無法儲存",
     "%s: a text holds a line break or text that is not UTF-8, which the file cannot carry"},
    {"系统没有检测到游戏鼠标！", "系統沒有偵測到遊戲滑鼠！", "The system did not detect the gaming mouse!"},
    {"找到了鼠标，但它没有接受连接", "找到了滑鼠，但它沒有接受連線", "the mouse was found but not accepted"},
    {"设置没有全部写入鼠标", "設定沒有全部寫入滑鼠", "the configuration did not fully reach the mouse"},
    {"配置文件无效", "設定檔無效", "the profile is not valid"},
}};

} // namespace

std::string failureText(const Failure& failure, Language language)
{
    const auto row = static_cast<std::size_t>(failure.code);
    std::string text = row < kFailureTexts.size() ? kFailureTexts[row](language) : "?";
    if (const auto at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, failure.subject);
    std::string reason = failure.detail;
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
