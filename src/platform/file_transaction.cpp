#include "platform/file_transaction.h"

#include "platform/atomic_file.h"
#include "platform/file_read.h"
#include "platform/folder_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace varcel {

namespace {

// The journal: this line, then for each file its temporary path and its
// target path, each ended by a NUL (paths may hold any other byte). A save
// that also removes files writes the second form, in which each temporary
// path starts with R (renamed onto the target) or D (the target removed).
constexpr std::string_view kJournalHeader = "varcel save journal 1\n";
constexpr std::string_view kJournalHeaderWithRemovals = "varcel save journal 2\n";
constexpr std::size_t kJournalLimit = 64 * 1024;

// A rename is only as durable as its folder's entry.
void syncFolder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

std::filesystem::path folderOf(const std::filesystem::path& path)
{
    return path.parent_path().empty() ? std::filesystem::path(".") : path.parent_path();
}

// A journal entry is acted on only for a temporary file of ours, owned by us,
// that was written for that very target: a journal someone else put there
// cannot make us move other files.
bool isOurs(const std::filesystem::path& temp, const std::filesystem::path& target)
{
    const std::string name = temp.filename().string();
    if (!isOurTemporaryName(name) || folderOf(temp) != folderOf(target))
        return false;
    if (name.rfind("." + target.filename().string() + ".varcel-save-", 0) != 0)
        return false;
    struct stat info {};
    return ::lstat(temp.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid();
}

// A removal is done only while the target still holds the bytes its copy
// beside it holds: a file put there since is someone else's.
void removeIfUnchanged(const std::filesystem::path& temp, const std::filesystem::path& target)
{
    const FileRead copy = readRegularFile(temp);
    const FileRead now = readRegularFile(target);
    if (copy.ok() && now.ok() && copy.bytes == now.bytes)
        ::unlink(target.c_str());
    ::unlink(temp.c_str());
}

} // namespace

FileTransaction::FileTransaction(std::filesystem::path folder) : m_folder(std::move(folder)) {}

void FileTransaction::add(const std::filesystem::path& path, std::vector<std::uint8_t> bytes)
{
    m_files.push_back({resolveFileLinks(path), std::move(bytes), {}});
}

void FileTransaction::remove(const std::filesystem::path& path) { m_files.push_back({path, {}, {}, true}); }

int FileTransaction::commit(std::string* failedPath, const std::function<bool(int step)>& afterStep)
{
    int step = 0;
    const auto go_on = [&] { return !afterStep || afterStep(step++); };
    // Temporary files outside the data folder (beside a link's target) are
    // kept from other programs' clean-ups by the lock of their own folder.
    std::vector<std::unique_ptr<FolderLock>> locks;
    std::set<std::filesystem::path> locked{m_folder};
    auto undo = [&](int error, const std::filesystem::path& path) {
        for (Entry& entry : m_files)
            if (!entry.temp.empty())
                ::unlink(entry.temp.c_str());
        if (failedPath)
            *failedPath = path.string();
        return error;
    };
    bool removals = false;
    for (Entry& entry : m_files) {
        if (entry.removal) {
            const FileRead read = readRegularFile(entry.target);
            if (read.status == FileRead::Status::Missing)
                continue;
            if (!read.ok())
                return undo(read.status == FileStatus::Unreadable ? read.error
                            : read.status == FileStatus::TooLarge ? EFBIG
                                                                  : EINVAL,
                            entry.target);
            entry.bytes.assign(read.bytes.begin(), read.bytes.end());
            removals = true;
        }
        // Only a file is replaced: a folder or a device at its name would
        // refuse the rename after the journal promised it.
        struct stat info {};
        if (::stat(entry.target.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
            return undo(S_ISDIR(info.st_mode) ? EISDIR : EINVAL, entry.target);
        const std::filesystem::path folder = folderOf(entry.target);
        if (locked.insert(folder).second) {
            locks.push_back(std::make_unique<FolderLock>(folder));
            if (!locks.back()->held())
                return undo(locks.back()->busy() ? EWOULDBLOCK : locks.back()->systemError(), entry.target);
        }
        if (const int error = writeTemporaryBeside(entry.target, entry.bytes.data(), entry.bytes.size(), entry.temp))
            return undo(error, entry.target);
        if (!go_on())
            return ECANCELED;
    }

    std::string journal(removals ? kJournalHeaderWithRemovals : kJournalHeader);
    for (const Entry& entry : m_files) {
        if (entry.temp.empty())
            continue; // a removal of a file that is not there
        if (removals)
            journal += entry.removal ? 'D' : 'R';
        journal += std::filesystem::absolute(entry.temp).string();
        journal += '\0';
        journal += std::filesystem::absolute(entry.target).string();
        journal += '\0';
    }
    const std::filesystem::path journalPath = m_folder / kSaveJournalName;
    if (const int error = replaceFileAtomically(journalPath, journal.data(), journal.size()))
        return undo(error, journalPath);
    syncFolder(m_folder);
    if (!go_on())
        return ECANCELED;

    // From here on the save happens: what is not renamed now is renamed by
    // whoever next takes the lock.
    std::set<std::filesystem::path> folders;
    int renameError = 0;
    for (Entry& entry : m_files) {
        if (entry.temp.empty())
            continue;
        if (entry.removal) {
            removeIfUnchanged(entry.temp, entry.target);
        } else if (::rename(entry.temp.c_str(), entry.target.c_str()) != 0) {
            // Not left for the next lock: the journal that names it goes below.
            if (renameError == 0) {
                renameError = errno;
                if (failedPath)
                    *failedPath = entry.target.string();
            }
            ::unlink(entry.temp.c_str());
        }
        entry.temp.clear();
        folders.insert(folderOf(entry.target));
        if (!go_on())
            return ECANCELED;
    }
    for (const auto& folder : folders)
        syncFolder(folder);
    ::unlink(journalPath.c_str());
    syncFolder(m_folder);
    return renameError;
}

int finishInterruptedSave(const std::filesystem::path& folder)
{
    const std::filesystem::path journalPath = folder / kSaveJournalName;
    struct stat info {};
    if (::lstat(journalPath.c_str(), &info) != 0)
        return 0;
    int placed = 0;
    if (S_ISREG(info.st_mode) && info.st_uid == ::geteuid()) {
        const FileRead read = readRegularFile(journalPath, kJournalLimit);
        const std::string text(read.bytes.begin(), read.bytes.end());
        const bool withRemovals = text.rfind(kJournalHeaderWithRemovals, 0) == 0;
        if (read.ok() && (withRemovals || text.rfind(kJournalHeader, 0) == 0)) {
            std::vector<std::string> paths;
            std::size_t at = kJournalHeader.size();
            for (std::size_t end; (end = text.find('\0', at)) != std::string::npos; at = end + 1)
                paths.push_back(text.substr(at, end - at));
            std::set<std::filesystem::path> folders;
            for (std::size_t i = 0; i + 1 < paths.size(); i += 2) {
                if (withRemovals && paths[i].empty())
                    continue;
                const char kind = withRemovals && !paths[i].empty() ? paths[i].front() : 'R';
                const std::filesystem::path temp = withRemovals ? paths[i].substr(1) : paths[i];
                const std::filesystem::path target = paths[i + 1];
                if (kind == 'D') {
                    if (isOurs(temp, target))
                        removeIfUnchanged(temp, target);
                    folders.insert(folderOf(target));
                    continue;
                }
                // A temporary file that is gone was renamed before the stop.
                if (isOurs(temp, target) && ::rename(temp.c_str(), target.c_str()) == 0) {
                    ++placed;
                    folders.insert(folderOf(target));
                }
            }
            for (const auto& f : folders)
                syncFolder(f);
        }
    }
    if (!S_ISDIR(info.st_mode))
        ::unlink(journalPath.c_str());
    syncFolder(folder);
    return placed;
}

} // namespace varcel
