// Profiles: the whole configuration of a data folder (config.bin, the labels
// of str.ini in every language, the macros of record.ini) as one JSON
// document that a user keeps, shares and imports again. The format is
// described in docs/profile-format.md.
#pragma once

#include "buttons/button_labels.h"
#include "device/config_image.h"
#include "lang/language.h"
#include "macros/macro_store.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace varcel {

inline constexpr int kProfileVersion = 1;
inline constexpr const char* kProfileVersionKey = "varcelProfile";

struct Profile {
    std::uint8_t firstRunFlag = 0;
    ConfigImage image{};
    std::array<ButtonLabels, kLanguageCount> labels{}; // by language index
    std::vector<StoredMacro> macros;                   // in macro-number order
};

// One thing wrong with a profile: where (a JSON path such as
// "$.configuration.layers.A[2].singleKey") and what.
struct ProfileProblem {
    std::string path;
    std::string message;
};

nlohmann::ordered_json profileToJson(const Profile& profile);

// Reads a profile's text. Everything is checked before anything is returned:
// on any problem `problems` lists every one found and the profile is not to
// be used.
Profile profileFromText(std::string_view text, std::vector<ProfileProblem>& problems);

// The data folder's files as a profile. Throws std::runtime_error when
// config.bin is missing or not a configuration.
Profile readProfile(const std::filesystem::path& dataDir);

// Saves a checked profile into the data folder: record.ini, the label
// sections of str.ini (its other sections kept), then config.bin, each
// replaced whole; when one cannot be written, the others are put back as they
// were. config.bin must exist: the program never creates it. Throws
// std::runtime_error naming the file that could not be written.
// beforeConfigReplace runs just before config.bin is replaced; returning false
// abandons that write, as a full disk would (for tests).
void writeProfile(const std::filesystem::path& dataDir, const Profile& profile,
                  const std::function<bool()>& beforeConfigReplace = {});

} // namespace varcel
