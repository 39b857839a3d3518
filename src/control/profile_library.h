// Named profiles: the whole configuration kept under a name the user gives
// (a game, the desktop), one file each in the data folder's "profiles"
// folder, in the format of export and import. Which profile was loaded or
// saved last is remembered with a fingerprint of the folder's contents then,
// so a change made since shows as "modified".
#pragma once

#include "control/profile.h"
#include "control/workspace.h"
#include "platform/failure.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varcel {

class FileTransaction;

inline constexpr std::size_t kProfileNameMaxCharacters = 31;

// A name is 1 to 31 characters of UTF-8 text without path separators,
// control characters or a leading dot: it becomes a file name, shown in a
// menu and printed on a terminal.
Problem checkProfileName(std::string_view name);

struct ActiveProfile {
    std::string name;      // empty: no profile loaded or saved yet
    bool modified = false; // the folder's configuration changed since
    bool applied = false;  // the mouse was sent it by the load
    // The mouse holds exactly this profile.
    bool heldByMouse() const { return !name.empty() && applied && !modified; }
};

class ProfileLibrary {
public:
    explicit ProfileLibrary(std::filesystem::path dataDir);

    std::filesystem::path folder() const;
    std::filesystem::path fileOf(const std::string& name) const;

    // The profiles by name, sorted; files whose name no profile could have
    // are passed over.
    std::vector<std::string> names() const;
    bool exists(const std::string& name) const;

    // The profile's file, checked: a file that is not a valid profile is the
    // problem, with every JSON path in its detail.
    std::optional<Profile> read(const Workspace& workspace, const std::string& name, Problem& problem) const;
    // The data folder's configuration under `name` (replacing a profile of
    // that name unless `asNew`); it becomes the active one. `replaced` gets
    // the JSON path of each text the profile holds with U+FFFD for bytes
    // that are not text (see profileText).
    Problem save(const Workspace& workspace, const std::string& name, bool asNew = false,
                 std::vector<std::string>* replaced = nullptr);
    // The folder as it is now (a profile read, then imported through the
    // workspace in one transaction) is profile `name`, `applied` when the mouse
    // was just sent it (an apply saves config.bin with its first-run flag
    // set, so this comes after it). Kept apart from the load so that a
    // switch reaches the mouse without waiting for it.
    Problem loaded(const Workspace& workspace, const std::string& name, bool applied);
    // The marker that makes `imported` the active profile `name`, written in
    // the import's own transaction: a kill leaves marker and files both old
    // or both new.
    AlsoWritten activeMarker(const std::string& name, const Profile& imported, bool applied) const;
    // The file, the rules naming it and the marker move to the new name in
    // one transaction, as the data files are saved.
    Problem rename(const std::string& from, const std::string& to);
    // The rules naming it stay as they are (they then switch nothing).
    Problem remove(const std::string& name);

    ActiveProfile active(const Workspace& workspace) const;

    // Lets a test stop a change after any of its steps, as a kill would.
    std::function<bool(int step)> afterSaveStep;

private:
    std::filesystem::path markerPath() const;
    // The caller holds the data folder's lock.
    Problem commit(FileTransaction& transaction) const;
    std::string fingerprint(const Workspace& workspace) const;

    std::filesystem::path m_dataDir;
};

} // namespace varcel
