// Where the user's files live: config.bin, record.ini, str.ini, Skins/ and
// the simulated mouse's memory.
#pragma once

#include "platform/failure.h"

#include <filesystem>
#include <optional>
#include <string>

namespace varcel {

struct DataDir {
    enum class Source { Override, Portable, UserConfig };
    std::filesystem::path path;
    Source source = Source::UserConfig;
};

// The running executable's folder (never the executable itself: nothing is
// ever opened for writing there but the files the user keeps beside it).
std::filesystem::path executableDir();

// Chooses the data folder:
//  1. `override` (from --data-dir) or $VARCEL_DATA_DIR;
//  2. the executable's folder when it holds config.bin (an unpacked program,
//     or the build tree);
//  3. $XDG_CONFIG_HOME/varcel (~/.config/varcel), created and seeded with the
//     files it lacks from `installedDefaults`, as an installer would (a
//     failure when the user has no home at all).
// Then removes the temporary files that killed saves left there.
Result<DataDir> resolveDataDir(const std::optional<std::filesystem::path>& override,
                       const std::filesystem::path& installedDefaults);

// $XDG_CONFIG_HOME, else the .config of the user's home ($HOME, else the
// password database's entry); nothing when the user has no home.
std::optional<std::filesystem::path> configHome();

// The installed defaults folder: share/varcel beside the program's bin/ folder
// when there is one (a moved or unpacked installation), else where it was
// installed to.
std::filesystem::path installedDataDir();

} // namespace varcel
