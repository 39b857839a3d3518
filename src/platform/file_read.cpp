#include "platform/file_read.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varcel {

namespace {

FileStatus kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return FileStatus::Folder;
    if (S_ISFIFO(mode))
        return FileStatus::Fifo;
    if (S_ISSOCK(mode))
        return FileStatus::Socket;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return FileStatus::Device;
    return FileStatus::NotRegular;
}

} // namespace

FileRead readRegularFile(const std::filesystem::path& path, std::size_t limit)
{
    using Status = FileRead::Status;
    FileRead result;
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        result.error = errno;
        // ENXIO: a socket (or a device without its driver) at that name.
        result.status = result.error == ENOENT || result.error == ENOTDIR ? Status::Missing
                        : result.error == ENXIO                           ? Status::NotRegular
                                                                          : Status::Unreadable;
        return result;
    }
    const auto finish = [&](Status status, int error) {
        ::close(fd);
        result.status = status;
        result.error = error;
        return std::move(result);
    };
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return finish(Status::Unreadable, errno);
    if (!S_ISREG(info.st_mode))
        return finish(kindOf(info.st_mode), 0);
    if (static_cast<std::size_t>(info.st_size) > limit)
        return finish(Status::TooLarge, 0);
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return finish(Status::Unreadable, errno);
        if (n == 0) {
            result.bytes = std::move(bytes);
            return finish(Status::Ok, 0);
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > limit)
            return finish(Status::TooLarge, 0);
    }
}

Failure readFailure(const std::filesystem::path& path, const FileRead& read)
{
    return {FailureCode::FileUnreadable, path.string(), {}, read.error, read.status};
}

} // namespace varcel
