// The failures of the core in the three languages.
#pragma once

#include "device/device_commands.h"
#include "lang/language.h"
#include "platform/failure.h"

#include <string>

namespace varcel {

// The failure as one message: what happened, the file or folder it is about
// and, where there is one, the system's reason.
std::string failureText(const Failure& failure, Language language);

// What a device problem means, one line; and all of a result's problems,
// one indented line each.
std::string deviceProblemText(const DeviceProblem& problem, Language language);
std::string deviceProblemsText(const DeviceResult& result, Language language);

// What an incomplete apply or a failed save means for the user's settings,
// added after failureText where the caller knows it.
namespace text {
inline constexpr LangText kNothingSaved{"未保存任何内容", "未儲存任何內容", "nothing was saved"};
inline constexpr LangText kNothingChanged{"未更改任何内容", "未變更任何內容", "nothing was changed"};
inline constexpr LangText kNothingSentOrSaved{"未向鼠标发送也未保存任何内容", "未向滑鼠傳送也未儲存任何內容",
                                              "nothing was sent or saved"};
// Put before failureText when the simulated mouse's control channel cannot be had.
inline constexpr LangText kSimControlNotTaken{"无法接管模拟鼠标的控制通道", "無法接管模擬滑鼠的控制通道",
                                              "cannot take the simulated mouse's control channel"};
} // namespace text

} // namespace varcel
