// str.ini: the button labels, one section per language
// ("Setting-CHS", "Setting-CHT", "Setting-EN"), and the skin settings in the
// section "Skins" that all languages share.
#pragma once

#include "platform/data_files.h"
#include "buttons/button_labels.h"
#include "lang/language.h"
#include "platform/file_read.h"
#include "platform/ini_file.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace varcel {

inline constexpr const char* kSkinsSection = "Skins";

// The "Skins" keys as read: text, converted only when the skin is loaded.
struct SkinSettings {
    std::string path;   // "Path": the skin's folder name under Skins/
    std::string rColor; // "RColor", "GColor", "BColor": decimal text
    std::string gColor;
    std::string bColor;
};

struct TextColour {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    bool operator==(const TextColour&) const = default;
};

// The text colour the skin settings give: each component read as the standard
// string-to-integer conversion reads it ("" and "abc" give 0), low byte kept.
TextColour textColourOf(const SkinSettings& skin);

// Reads the 24 labels of the language's section and the four "Skins" keys. A
// missing file, section or key gives an empty string; a value is cut at 1023
// characters, the profile reader's buffer. A str.ini that is there but could
// not be read (no permission, a folder, a FIFO) gives empty labels too, and
// the result says which file and why.
FileResult readLabels(const std::filesystem::path& strIni, Language language, ButtonLabels& labels,
                      SkinSettings& skin);

// Sets the 24 labels in the language's section of a str.ini being edited, in
// key order; an empty label is an empty value. The file refuses (and is then
// not to be saved) a label it cannot carry that it does not already hold.
void setLabels(IniFile& strIni, Language language, const ButtonLabels& labels);

// Writes the 24 labels into the language's section, in key order; an empty
// label is written as an empty value. Other sections are left as they are.
// Nothing is written when str.ini is there but cannot be read, or a label
// holds a line break or text that is not UTF-8; the result says why.
FileResult writeLabels(const std::filesystem::path& strIni, Language language, const ButtonLabels& labels);

// The text colour a skin's author suggests in the skin folder's skin.ini
// ([Skin] RColor, GColor, BColor), when it says all three.
std::optional<TextColour> skinSuggestedColour(const std::filesystem::path& skinFolder);

// The text colour once a skin is chosen. A colour the user picked stands. One
// the user did not pick is the old skin's, which may not read at all on the
// new one (light text on a light skin), so it follows the new skin's
// suggestion, and stays only when the skin makes none.
TextColour textColourForSkin(std::optional<TextColour> picked, const std::filesystem::path& skinFolder,
                             TextColour current);

// Sets "RColor", "GColor", "BColor" (decimal text) and "Path" of "Skins" in a
// str.ini being edited.
void setSkinSettings(IniFile& strIni, const SkinSettings& skin);

// The settings a chosen skin and text colour are kept as.
SkinSettings skinSettingsOf(std::string_view skinName, TextColour colour);

} // namespace varcel
