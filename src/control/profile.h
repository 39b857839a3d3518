// Profiles: the whole configuration of a data folder (config.bin, the labels
// of str.ini in every language, the macros of record.ini) as one JSON
// document that a user keeps, shares and imports again. The format is
// described in docs/profile-format.md.
#pragma once

#include "buttons/button_labels.h"
#include "device/config_image.h"
#include "lang/failure_texts.h"
#include "lang/language.h"
#include "macros/macro_store.h"
#include "platform/failure.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace varcel {

inline constexpr int kProfileVersion = 1;
inline constexpr const char* kProfileVersionKey = "varcelProfile";

struct Profile {
    std::uint8_t firstRunFlag = 0;
    ConfigImage image{};
    std::array<ButtonLabels, kLanguageCount> labels; // by language index (strings start empty)
    std::vector<StoredMacro> macros;                   // in macro-number order
};

nlohmann::ordered_json profileToJson(const Profile& profile);

// The profile as JSON text (dump()'s `indent`). A label or macro text that
// is not UTF-8 (a byte of a hand-edited file that neither UTF-8 nor GB18030
// explains) cannot be JSON: each such byte is written as U+FFFD, which is
// also how the window shows it; the user's other texts are written as they are.
std::string profileText(const Profile& profile, int indent = -1);
// The texts that profileText cannot write as they are, by JSON path, with
// their bytes: the caller tells the user, and a fingerprint still sees them.
std::vector<std::pair<std::string, std::string>> textsNotUtf8(const Profile& profile);

// Reads a profile's text. Everything is checked before anything is returned:
// on any problem `problems` lists every one found and the profile is not to
// be used.
Profile profileFromText(std::string_view text, std::vector<ProfileProblem>& problems);

// The data folder's files as a profile; nothing, with the problem, when
// config.bin is missing or not a configuration or a file cannot be read.
std::optional<Profile> readProfile(const std::filesystem::path& dataDir, Problem& problem);

// What a checked profile writes into the data folder: record.ini anew, the
// label sections of str.ini (its other sections kept), and config.bin. A
// str.ini that is there but cannot be read, or a text the files cannot
// carry, is the problem instead.
struct ProfileFiles {
    std::string record;
    std::string labels;
    std::string config;
    Problem problem;
};
ProfileFiles profileFiles(const std::filesystem::path& dataDir, const Profile& profile);

} // namespace varcel
