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
    FileRead result;
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        result.error = errno;
        if (result.error == ENOENT || result.error == ENOTDIR) {
            result.status = FileRead::Status::Missing;
        } else if (result.error == ENXIO) {
            // A socket (or a device without its driver) at that name.
            result.status = FileRead::Status::NotRegular;
        } else {
            result.status = FileRead::Status::Unreadable;
        }
        return result;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        result.error = errno;
        result.status = FileRead::Status::Unreadable;
        ::close(fd);
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.status = kindOf(info.st_mode);
        ::close(fd);
        return result;
    }
    if (static_cast<std::size_t>(info.st_size) > limit) {
        result.status = FileRead::Status::TooLarge;
        ::close(fd);
        return result;
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            result.error = errno;
            result.status = FileRead::Status::Unreadable;
            ::close(fd);
            return result;
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > limit) {
            result.status = FileRead::Status::TooLarge;
            ::close(fd);
            return result;
        }
    }
    ::close(fd);
    result.status = FileRead::Status::Ok;
    result.bytes = std::move(bytes);
    return result;
}

Failure readFailure(const std::filesystem::path& path, const FileRead& read)
{
    return {FailureCode::FileUnreadable, path.string(), {}, read.error, read.status};
}

} // namespace varcel
