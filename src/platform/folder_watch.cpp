#include "platform/folder_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace varcel {

FolderWatch::FolderWatch(const std::filesystem::path& folder, std::vector<std::string> names)
    : m_names(std::move(names))
{
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0)
        return;
    // Saves replace a file by renaming a new one over it (IN_MOVED_TO);
    // editors may also write in place (IN_CLOSE_WRITE).
    const auto mask = IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_ATTRIB;
    if (::inotify_add_watch(m_fd, folder.c_str(), mask) < 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

FolderWatch::~FolderWatch()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FolderWatch::drain()
{
    bool relevant = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->len > 0) {
                const std::string name(event->name, ::strnlen(event->name, event->len));
                relevant = relevant || std::find(m_names.begin(), m_names.end(), name) != m_names.end();
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return relevant;
}

} // namespace varcel
