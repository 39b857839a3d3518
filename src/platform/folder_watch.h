// Changes to files of one folder, as a descriptor to wait on (inotify): the
// window follows its data files without polling.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace varcel {

class FolderWatch {
public:
    // Watches `folder` for files written, replaced, created or removed among
    // `names`; fd() is -1 when the system cannot watch it.
    FolderWatch(const std::filesystem::path& folder, std::vector<std::string> names);
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    int fd() const { return m_fd; }
    // Reads what is pending; true when one of the names was among it.
    bool drain();

private:
    int m_fd = -1;
    std::vector<std::string> m_names;
};

} // namespace varcel
