// Files replaced whole: a crash or a full disk leaves the old file or the new
// one, never a file cut short.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>

namespace varcel {

// Writes bytes to path through a temporary file in the same folder and a
// rename, holding the folder's lock meanwhile. When path is a symbolic link,
// the file it points to is replaced (in that file's folder) and the link stays. Returns 0 or the errno of the step that failed; the original file is
// untouched on failure. beforeReplace, when set and returning false, abandons
// the write just before the rename (with ECANCELED).
int replaceFileAtomically(const std::filesystem::path& path, const void* data, std::size_t size,
                          const std::function<bool()>& beforeReplace = {});

} // namespace varcel
