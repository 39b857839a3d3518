// A failure the user must hear about, as a code with its arguments. The core
// decides what went wrong; the window says it in the user's language and
// varcelctl prints it (the texts are in lang/failure_texts).
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace varcel {

enum class FailureCode {
    FolderBusy,         // subject: the folder another Varcel program keeps busy
    FileUnreadable,     // subject: the file; detail: why (no permission, a folder, a FIFO)
    FileNotWritten,     // subject: the file; error: the errno of the step that failed
    ConfigMissing,      // subject: the data folder, which has no config.bin to replace
    ConfigNotUsable,    // subject: config.bin, which is not a configuration (wrong size)
    TextNotStorable,    // subject: the file; a text holds a line break, NUL or bytes that are not UTF-8
    MouseNotFound,      // detail: why the mouse could not be opened, when it is plugged in
    MouseNotAccepted,   // detail: the handshake's outcome
    ApplyIncomplete,    // detail: what did not reach the mouse, one line each
    ProfileInvalid,     // detail: the profile's problems, one line each
    FolderNotLockable,  // subject: the folder that cannot be opened to lock it; error: why
    FileChangedOnDisk,  // subject: the file another program changed since it was read; it was not replaced
    ProfileNameInvalid, // subject: the name as the terminal may show it
    ProfileMissing,     // subject: the name of a profile that is not there
    ProfileExists,      // subject: the name another profile already has
    RulesUnusable,      // subject: the rule file; detail: why (too large, which rule is wrong)
};
// The texts are one row per code; a new code is the last one.
inline constexpr std::size_t kFailureCodes = static_cast<std::size_t>(FailureCode::RulesUnusable) + 1;

struct Failure {
    FailureCode code;
    std::string subject; // the file or folder it is about, when there is one
    std::string detail;  // the system's or the mouse's own words
    int error = 0;       // errno, where a system call failed
};

// Success, or what failed.
using Problem = std::optional<Failure>;

} // namespace varcel
