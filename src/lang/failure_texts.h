// The failures of the core in the three languages.
#pragma once

#include "device/device_commands.h"
#include "device/link_learn.h"
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

// What is wrong at one place of a profile's JSON; the comments name the
// fields each code's text fills in.
enum class ProfileProblemCode {
    NotJson,        // value: the parser's words
    NumberTooLarge, // value: the number as written
    TooDeep,        // count: the deepest nesting read
    NotObject,
    NotProfileField,
    NotButtonField,
    Missing,
    NotList,         // count: the entries it must have
    NotNumber,       // count to of: the range; value: what is there
    NotBytes,        // count: the bytes it must have
    UnknownKey,      // value: the key name
    UnknownFunction, // value: the name; expected: the names there are
    Disagrees,       // value: what is there; expected: what the rest makes it (empty: absent)
    NotColour,
    NotLayer,
    NotLabels,
    NotLabelKey,
    NotText,
    NotLabel, // count: the characters a label may have
    NotMacroList,
    TooManyMacros, // count: the macros; of: the mouse's blocks
    NotMacroName,  // count: the characters a name may have
    NameTaken,     // value: the name
    NotEntryList,
    NotEntry,
    UnknownMacroKey, // value: the key name
    MacroTooLong,    // count: the key events that fit; of: all of them
    OtherVersion,    // value: the version given; count: the version read
};
inline constexpr std::size_t kProfileProblemCodes = static_cast<std::size_t>(ProfileProblemCode::OtherVersion) + 1;

struct ProfileProblem {
    std::string path; // a JSON path such as "$.configuration.layers.A[2].singleKey"
    ProfileProblemCode code;
    std::string value = {};
    std::string expected = {};
    std::size_t count = 0;
    std::size_t of = 0;
};
std::string profileProblemText(const ProfileProblem& problem, Language language);

// Why a capture taught nothing, as varcelctl link learn says it.
std::string linkNotLearnedText(const LinkLearnResult& result, Language language);

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
