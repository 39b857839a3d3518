// A failure the user must hear about, as a code with its arguments. The core
// decides what went wrong; the window says it in the user's language and
// varcelctl prints it (the texts are in lang/failure_texts).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace varcel {

enum class FailureCode {
    FolderBusy,         // subject: the folder another Varcel program keeps busy
    FileUnreadable,     // subject: the file; file and error: why (no permission, a folder, a FIFO)
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
    RulesUnusable,      // subject: the rule file; detail: the JSON path that is not a rule; file: TooLarge
    NoHomeFolder,       // neither $XDG_CONFIG_HOME nor a home to find the data folder in
    FolderNotMade,      // subject: the folder; error: why
    FolderNotPrivate,   // subject: a folder for the user alone that others own or may enter
    SocketPathTooLong,  // subject: the socket's path
    SocketNotOpened,    // subject: the socket; error: why it cannot listen
    SocketNotOwn,       // subject: a socket, or the program behind it, that is another user's
    SimMouseControlled, // another program listens for the simulated mouse of the data folder
    SimProgramStopped,  // the program with the simulated mouse of the data folder takes no connections
    NoSimProgram,       // no program has the simulated mouse of the data folder
    FileNotRemoved,     // subject: the file; error: why
    LinkFileUnusable,   // subject: the link file, which lacks a Key= or Table= of the right length
    SettingNotKept,     // subject: the desktop's setting, which did not keep the value written
    CaptureUnreadable,  // subject: the capture; error or detail (libpcap's words): why
    CaptureNotPcap,     // subject: a file that is no capture
    CaptureNotUsb,      // subject: the capture; number: its link type, not one of USB
    PcapMissing,        // subject: the capture; detail: why libpcap could not be loaded
    CaptureNotWritten,  // subject: the capture the simulated mouse was to write; error: why
    UnknownSimFault,    // subject: the name of a fault the simulated mouse does not know
};
// A new code is the last one.
inline constexpr std::size_t kFailureCodes = static_cast<std::size_t>(FailureCode::UnknownSimFault) + 1;

// How far reading a file got; where it is a failure's reason, its texts are
// in lang/failure_texts.
enum class FileStatus : std::uint8_t {
    Ok,      // read whole
    Missing, // nothing at that name (or a link to nothing)
    Folder,  // a folder, FIFO, socket, device or something else at the name
    Fifo,
    Socket,
    Device,
    NotRegular,
    Unreadable, // there, but opening or reading it failed (the failure's error holds errno)
    TooLarge,   // bigger than the caller's limit
};

// Whether a table keyed by a code lists its `{code, ...}` rows in code order,
// one for each of `codes` codes: the tables read a code's row by its number,
// so a static_assert of this keeps a row that was left out, moved or added
// twice from being read for another code.
template <typename Rows>
constexpr bool rowsInCodeOrder(const Rows& rows, std::size_t codes)
{
    std::size_t i = 0;
    for (const auto& row : rows)
        if (static_cast<std::size_t>(row.code) != i++)
            return false;
    return i == codes;
}

struct Failure {
    FailureCode code;
    std::string subject;              // the file or folder it is about, when there is one
    std::string detail;               // the system's or the mouse's own words
    int error = 0;                    // errno, where a system call failed
    FileStatus file = FileStatus::Ok; // why the subject could not be read, where that is the reason
    long number = 0;                  // a number the text names
};

// Success, or what failed.
using Problem = std::optional<Failure>;

// A value, or what failed instead of it.
template <typename T>
struct Result {
    T value{};
    Problem problem = std::nullopt;
};

} // namespace varcel
