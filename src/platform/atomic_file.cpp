#include "platform/atomic_file.h"

#include "platform/folder_lock.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace varcel {

namespace {

// The file a path names and its folder's lock. A link (users keep these files
// in synced folders) stays a link: the file it names is the one written, in
// its own folder.
struct LockedTarget {
    LockedTarget(const std::filesystem::path& path, std::chrono::milliseconds lockWait)
        : target(resolveFileLinks(path)), lock(target.parent_path(), lockWait)
    {}
    // 0, EWOULDBLOCK for a folder another program kept busy, or the errno.
    int error() const { return lock.held() ? 0 : lock.busy() ? EWOULDBLOCK : lock.systemError(); }

    const std::filesystem::path target;
    const FolderLock lock;
};

} // namespace

int writeTemporaryBeside(const std::filesystem::path& target, const void* data, std::size_t size, std::string& temp,
                         Durability durability)
{
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    // The temporary file lives beside the target so the rename never crosses
    // a file system, and carries the target's permissions.
    temp = (folder / temporaryPatternFor(target.filename().string())).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return errno;
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0)
        ::fchmod(fd, old.st_mode & 07777);
    else
        ::fchmod(fd, 0644);

    int error = 0;
    const auto* p = static_cast<const char*>(data);
    std::size_t left = size;
    while (left > 0 && error == 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno != EINTR)
                error = errno;
            continue;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (error == 0 && durability == Durability::Disk && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0)
        ::unlink(temp.c_str());
    return error;
}

int replaceFileAtomically(const std::filesystem::path& path, const void* data, std::size_t size,
                          const std::function<bool()>& beforeReplace, std::chrono::milliseconds lockWait,
                          Durability durability)
{
    // Held while the temporary file exists, so that whoever cleans up after
    // a killed save never takes this one for a leftover.
    const LockedTarget locked(path, lockWait);
    if (locked.error())
        return locked.error();
    const std::filesystem::path& target = locked.target;

    std::string temp;
    if (const int error = writeTemporaryBeside(target, data, size, temp, durability))
        return error;
    int error = beforeReplace && !beforeReplace() ? ECANCELED : 0;
    if (error == 0 && ::rename(temp.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temp.c_str());
    return error;
}

Problem replaceFileWithText(const std::filesystem::path& path, std::string_view text)
{
    if (const int error = replaceFileAtomically(path, text.data(), text.size()))
        return Failure{FailureCode::FileNotWritten, path.string(), {}, error};
    return std::nullopt;
}

int overwriteInPlace(const std::filesystem::path& path, const void* data, std::size_t size,
                     std::chrono::milliseconds lockWait)
{
    static const auto kPage = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    if (size == 0 || size > kPage)
        return ENOTSUP;
    const LockedTarget locked(path, lockWait);
    if (locked.error())
        return locked.error();
    const int fd = ::open(locked.target.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return ENOTSUP;
    struct stat st {};
    int error = 0;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<std::size_t>(st.st_size) != size)
        error = ENOTSUP;
    else if (::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        error = ENOTSUP; // whatever part went in, a replacement puts the whole right
    ::close(fd);
    return error;
}

} // namespace varcel
