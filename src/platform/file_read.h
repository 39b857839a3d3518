// Reading the user's files without trusting what sits at their names: a
// folder, a FIFO or a device where a file should be is never read (a FIFO
// would hang the program), and a file that is there but cannot be read is
// told apart from a missing one, so that it is never taken as empty and then
// saved over.
#pragma once

#include "platform/failure.h"

#include <cstddef>
#include <filesystem>
#include <string>

namespace varcel {

struct FileRead {
    using Status = FileStatus;
    Status status = Status::Missing;
    std::string bytes; // the whole file when it was read
    int error = 0;     // errno, when it was Unreadable

    bool ok() const { return status == Status::Ok; }
};

// Reads a whole regular file, opened without blocking and never following it
// into anything but a regular file.
FileRead readRegularFile(const std::filesystem::path& path, std::size_t limit = std::size_t{64} << 20);

// The file could not be read, and why.
Failure readFailure(const std::filesystem::path& path, const FileRead& read);

// The result of a write that the caller must hear about: nothing, or what
// failed.
struct FileResult {
    Problem problem;
    // Converts to success, so that it stands wherever a bool result did.
    operator bool() const { return !problem; }
};

} // namespace varcel
