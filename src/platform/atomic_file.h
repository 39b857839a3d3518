// Files replaced whole: a crash or a full disk leaves the old file or the new
// one, never a file cut short.
#pragma once

#include "platform/failure.h"

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace varcel {

// How far a new file is written before it takes the old one's name: to the
// disk, so that it survives a power cut, or only to the system's cache, which
// survives the program being killed at any moment and costs a fraction of
// the time.
enum class Durability { Disk, Cache };

// Writes bytes to path through a temporary file in the same folder and a
// rename, holding the folder's lock meanwhile. When path is a symbolic link,
// the file it points to is replaced (in that file's folder) and the link stays. Returns 0 or the errno of the step that failed; the original file is
// untouched on failure. beforeReplace, when set and returning false, abandons
// the write just before the rename (with ECANCELED). A folder that another
// program keeps locked longer than `lockWait` gives EWOULDBLOCK.
int replaceFileAtomically(const std::filesystem::path& path, const void* data, std::size_t size,
                          const std::function<bool()>& beforeReplace = {},
                          std::chrono::milliseconds lockWait = std::chrono::milliseconds(10000),
                          Durability durability = Durability::Disk);

// replaceFileAtomically with a text, its failure as FileNotWritten.
Problem replaceFileWithText(const std::filesystem::path& path, std::string_view text);

// Writes bytes to a new temporary file beside `target` (no links followed),
// with the target's permissions, synced to disk unless `durability` says
// otherwise; `temp` gets its path. Returns
// 0 or the errno of the step that failed, with nothing left behind. The
// caller holds the lock of the target's folder until the file is renamed or
// removed.
int writeTemporaryBeside(const std::filesystem::path& target, const void* data, std::size_t size, std::string& temp,
                         Durability durability = Durability::Disk);

// Overwrites a file that holds exactly `size` bytes with `data`, in place and
// in one write, holding its folder's lock meanwhile: far cheaper than a
// replacement when done many times a second (ext4 starts writing a file's
// data out each time one is renamed over another). Only for a file that fits
// in one page of the system's cache: such a write lands there all at once,
// so neither a reader holding the lock nor a program killed during the write
// sees half of it; the disk gets it when the system writes its cache back.
// Returns 0, EWOULDBLOCK as replaceFileAtomically does, or ENOTSUP when the
// file cannot be overwritten so (missing, not a regular file, another size,
// longer than a page, not writable): replace it instead.
int overwriteInPlace(const std::filesystem::path& path, const void* data, std::size_t size,
                     std::chrono::milliseconds lockWait);

} // namespace varcel
