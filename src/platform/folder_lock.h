// The data folder's lock: every read-modify-write of the user's files, by
// varcelctl or by the window, runs while holding it, so two programs saving
// at once take turns instead of losing each other's changes. It is an
// advisory lock (flock) on the folder itself, so no lock file is ever left
// beside the user's files.
//
// Every temporary file of a save is written while the lock of its folder is
// held; whoever holds the lock therefore knows that a temporary file of ours
// lying there is the leftover of a save that was killed, and removes it.
#pragma once

#include "platform/failure.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

namespace varcel {

class FolderLock {
public:
    static constexpr std::chrono::milliseconds kDefaultWait{10000};

    // Takes the lock of `folder`, waiting at most `wait` for another program
    // to finish. Within one process the lock is shared by nested holders.
    // The first holder in the process removes the leftover temporary files.
    explicit FolderLock(const std::filesystem::path& folder, std::chrono::milliseconds wait = kDefaultWait);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // False when another program kept the folder busy for the whole wait,
    // or when the folder is there but cannot be opened to lock it (one the
    // user may write into but not list). A folder on a file system without
    // locks counts as held, without the clean-up.
    bool held() const { return m_held; }
    // Not held because another program kept the folder busy.
    bool busy() const { return m_busy; }
    // Not held because the folder could not be opened to lock it: errno.
    int systemError() const { return m_systemError; }

private:
    std::string m_key;
    bool m_held = false;
    bool m_counted = false;
    bool m_busy = false;
    int m_systemError = 0;
};

// Why the lock of `folder` is not held, as the user hears it; nothing when it is.
Problem lockFailure(const FolderLock& lock, const std::filesystem::path& folder);

// Tests stand in for a file system without locks with a call that fails;
// nullptr puts flock back.
void setFolderLockCallForTests(int (*call)(int fd, int operation));

// Temporary files of our saves: ".<name>.varcel-save-XXXXXX" beside <name>.
std::string temporaryPatternFor(const std::string& fileName);
bool isOurTemporaryName(std::string_view fileName);

// At start-up: takes each lock without waiting (a busy folder is someone
// saving; its leftovers wait for the next start) and cleans the data folder
// and the folders that the links among its files point into.
void tidyDataFolder(const std::filesystem::path& folder);

// Follows symbolic links at the end of the path to the file they name (which
// may not exist yet). The folders on the way are left as they are.
std::filesystem::path resolveFileLinks(const std::filesystem::path& path);

} // namespace varcel
