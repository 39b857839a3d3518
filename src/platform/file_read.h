// Reading the user's files without trusting what sits at their names: a
// folder, a FIFO or a device where a file should be is never read (a FIFO
// would hang the program), and a file that is there but cannot be read is
// told apart from a missing one, so that it is never taken as empty and then
// saved over.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace varcel {

struct FileRead {
    enum class Status {
        Ok,         // bytes holds the whole file
        Missing,    // nothing at that name (or a link to nothing)
        NotRegular, // a folder, FIFO, socket or device
        Unreadable, // there, but opening or reading it failed (error holds errno)
        TooLarge,   // bigger than the caller's limit
    };
    Status status = Status::Missing;
    std::string bytes;
    int error = 0;

    bool ok() const { return status == Status::Ok; }
    // Why the file could not be read, in words: "Permission denied", "is a
    // folder, not a file", ...; empty when it was read.
    std::string reason() const;
};

// Reads a whole regular file, opened without blocking and never following it
// into anything but a regular file.
FileRead readRegularFile(const std::filesystem::path& path, std::size_t limit = std::size_t{64} << 20);

// "<path>: <reason>", the form every message about a file uses.
std::string fileProblem(const std::filesystem::path& path, const FileRead& read);

// The result of a write that the caller must hear about: empty error means
// success; otherwise a message naming the file and the reason.
struct FileResult {
    std::string error;
    // Converts to success, so that it stands wherever a bool result did.
    operator bool() const { return error.empty(); }
};

} // namespace varcel
