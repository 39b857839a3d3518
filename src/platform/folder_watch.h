// Changes to files of one folder, as a descriptor to wait on (inotify): the
// window follows its data files without polling.
#pragma once

#include "platform/unique_fd.h"

#include <filesystem>
#include <string>
#include <vector>

namespace varcel {

class FolderWatch {
public:
    // Watches `folder` for files written, replaced, created or removed among
    // `names` (any file when it is empty); fd() is -1 when the system cannot
    // watch it. The folder itself replaced (moved away, deleted, made anew or
    // another moved to its name) is followed: the watch moves to whatever
    // folder then has its name.
    FolderWatch(const std::filesystem::path& folder, std::vector<std::string> names);
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    int fd() const { return fdOf(m_fd); }
    // Reads what is pending; true when one of the names was among it, or
    // the folder was replaced by one holding any of them.
    bool drain();

private:
    // Watches the folder now at the path; true when it holds one of the names.
    bool watchFolder();

    UniqueFd m_fd;
    std::filesystem::path m_folder;
    int m_folderWatch = -1;
    int m_parentWatch = -1;
    std::vector<std::string> m_names;
};

} // namespace varcel
