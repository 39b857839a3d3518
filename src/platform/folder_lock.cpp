#include "platform/folder_lock.h"
#include "platform/data_files.h"
#include "platform/file_transaction.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace varcel {

namespace {

constexpr std::string_view kTemporaryMarker = ".varcel-save-";
constexpr std::size_t kRandomPart = 6; // mkstemp's XXXXXX

struct Held {
    int fd = -1;
    int count = 0;
};

std::mutex& registryMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::map<std::string, Held>& registry()
{
    static std::map<std::string, Held> held;
    return held;
}

int (*g_lockCall)(int, int) = ::flock;

std::string keyOf(const struct stat& info)
{
    return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
}

// Removes our leftover temporary files from the folder (only regular files of
// ours by name and owner). The caller holds the folder's lock.
void removeLeftoverTemporaries(const std::filesystem::path& folder)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (!isOurTemporaryName(entry->d_name))
            continue;
        struct stat info {};
        // Only plain files we own: never a link, a folder or another user's file.
        if (::fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode)
            || info.st_uid != ::geteuid())
            continue;
        ::unlinkat(dirFd, entry->d_name, 0);
    }
    ::closedir(dir);
}

} // namespace

void setFolderLockCallForTests(int (*call)(int fd, int operation))
{
    g_lockCall = call ? call : ::flock;
}

Problem lockFailure(const FolderLock& lock, const std::filesystem::path& folder)
{
    if (lock.held())
        return std::nullopt;
    return Failure{lock.busy() ? FailureCode::FolderBusy : FailureCode::FolderNotLockable, folder.string(), {},
                   lock.busy() ? 0 : lock.systemError()};
}

std::string temporaryPatternFor(const std::string& fileName)
{
    return "." + fileName + std::string(kTemporaryMarker) + std::string(kRandomPart, 'X');
}

bool isOurTemporaryName(std::string_view name)
{
    if (name.size() < 1 + 1 + kTemporaryMarker.size() + kRandomPart || name.front() != '.')
        return false;
    const std::string_view random = name.substr(name.size() - kRandomPart);
    const std::string_view marker = name.substr(name.size() - kRandomPart - kTemporaryMarker.size(),
                                                kTemporaryMarker.size());
    if (marker != kTemporaryMarker)
        return false;
    for (const char c : random)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
            return false;
    return true;
}

FolderLock::FolderLock(const std::filesystem::path& folder, std::chrono::milliseconds wait)
{
    const std::filesystem::path where = folder.empty() ? std::filesystem::path(".") : folder;
    const int fd = ::open(where.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        // A missing folder holds nothing to protect: the save that follows
        // fails on its own and says why. A folder we may write into but not
        // list (mode 0300) cannot be locked, and saving there unlocked would
        // lose another program's changes.
        m_systemError = errno;
        m_held = m_systemError == ENOENT || m_systemError == ENOTDIR;
        return;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        m_systemError = errno;
        ::close(fd);
        return;
    }
    m_key = keyOf(info);
    {
        std::lock_guard guard(registryMutex());
        auto found = registry().find(m_key);
        if (found != registry().end()) {
            ++found->second.count;
            ::close(fd);
            m_held = true;
            m_counted = true;
            return;
        }
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    bool locked = false;
    bool lockable = true;
    for (;;) {
        if (g_lockCall(fd, LOCK_EX | LOCK_NB) == 0) {
            locked = true;
            break;
        }
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK) {
            lockable = false; // a file system without locks
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!locked && lockable) {
        ::close(fd);
        m_busy = true;
        return;
    }
    if (locked) {
        // A save stopped after its journal is finished first: its new files
        // would otherwise be taken for leftovers.
        finishInterruptedSave(where);
        removeLeftoverTemporaries(where);
    }
    std::lock_guard guard(registryMutex());
    registry()[m_key] = Held{fd, 1};
    m_held = true;
    m_counted = true;
}

FolderLock::~FolderLock()
{
    if (!m_counted)
        return;
    std::lock_guard guard(registryMutex());
    auto found = registry().find(m_key);
    if (found == registry().end() || --found->second.count > 0)
        return;
    ::flock(found->second.fd, LOCK_UN);
    ::close(found->second.fd);
    registry().erase(found);
}

std::filesystem::path resolveFileLinks(const std::filesystem::path& path)
{
    std::filesystem::path current = path;
    // The kernel's own limit on links in a row; past it, the path is a loop
    // and the save fails on its own.
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        std::error_code ec;
        const std::filesystem::path target = std::filesystem::read_symlink(current, ec);
        if (ec)
            return current;
        current = target.is_absolute() ? target : (current.parent_path() / target).lexically_normal();
    }
    return current;
}

void tidyDataFolder(const std::filesystem::path& folder)
{
    {
        FolderLock lock(folder, std::chrono::milliseconds(0));
    }
    for (const char* name : {kConfigFileName, kMacroFileName, kLabelsFileName, kSimMemoryFileName}) {
        const std::filesystem::path file = folder / name;
        const std::filesystem::path target = resolveFileLinks(file);
        if (target != file) {
            FolderLock lock(target.parent_path(), std::chrono::milliseconds(0));
        }
    }
}

} // namespace varcel
