#include "platform/folder_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace varcel {

namespace {

// Saves replace a file by renaming a new one over it (IN_MOVED_TO); editors
// may also write in place (IN_CLOSE_WRITE). The folder's own end (deleted,
// moved away) ends its watch.
constexpr std::uint32_t kFolderEvents = IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE | IN_MOVED_FROM |
                                        IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;
// The folder's name in its parent: made, moved there or away, deleted.
constexpr std::uint32_t kParentEvents = IN_CREATE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM | IN_ONLYDIR;

} // namespace

FolderWatch::FolderWatch(const std::filesystem::path& folder, std::vector<std::string> names)
    : m_folder(std::filesystem::absolute(folder).lexically_normal()), m_names(std::move(names))
{
    if (!m_folder.has_filename())
        m_folder = m_folder.parent_path();
    m_fd = adoptFd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (!m_fd)
        return;
    m_folderWatch = ::inotify_add_watch(fd(), m_folder.c_str(), kFolderEvents);
    if (m_folderWatch < 0) {
        m_fd.reset();
        return;
    }
    // Without the parent's watch the folder is still followed until it is replaced.
    m_parentWatch = ::inotify_add_watch(fd(), m_folder.parent_path().c_str(), kParentEvents);
}

bool FolderWatch::watchFolder()
{
    if (m_folderWatch >= 0)
        ::inotify_rm_watch(fd(), m_folderWatch);
    m_folderWatch = ::inotify_add_watch(fd(), m_folder.c_str(), kFolderEvents);
    if (m_folderWatch < 0)
        return false; // not there yet: its parent tells when it comes
    // A folder made anew and still empty is taken once its files come, each
    // telling its own event; one moved here whole is taken now.
    std::error_code ec;
    return std::any_of(m_names.begin(), m_names.end(),
                       [&](const std::string& name) { return std::filesystem::exists(m_folder / name, ec); });
}

bool FolderWatch::drain()
{
    bool relevant = false;
    bool replaced = false;
    const std::string folderName = m_folder.filename().string();
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd(), buffer, sizeof buffer);
        if (n <= 0)
            break;
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            const std::string name =
                event->len > 0 ? std::string(event->name, ::strnlen(event->name, event->len)) : std::string();
            if (event->wd == m_parentWatch)
                replaced = replaced || name == folderName;
            else if (event->wd == m_folderWatch && (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)))
                replaced = true;
            else if (event->wd == m_folderWatch && !name.empty())
                relevant = relevant || m_names.empty() ||
                           std::find(m_names.begin(), m_names.end(), name) != m_names.end();
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    if (replaced)
        relevant = watchFolder() || relevant;
    return relevant;
}

} // namespace varcel
