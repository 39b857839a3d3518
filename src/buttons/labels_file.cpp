#include "buttons/labels_file.h"

#include "buttons/button_model.h"
#include "keys/key_tables.h"
#include "lang/ui_strings.h"
#include "platform/folder_lock.h"
#include "platform/ini_file.h"

#include <cstdlib>

namespace varcel {

namespace {

// GetPrivateProfileStringW reads into 1024 characters, terminator included.
constexpr std::size_t kValueLimit = 1023;

std::string cutToLimit(std::string value)
{
    std::size_t characters = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        // Count lead bytes only, so a character is never cut in half.
        if ((static_cast<unsigned char>(value[i]) & 0xC0) != 0x80 && characters++ == kValueLimit) {
            value.resize(i);
            break;
        }
    }
    return value;
}

std::uint8_t colourComponent(const std::string& text)
{
    return static_cast<std::uint8_t>(std::strtol(text.c_str(), nullptr, 10) & 0xFF);
}

// The label a button would have had, had it been chosen in the window of the
// other language: function names and the dialogs' rows are translated, key
// and macro names stay as they are.
std::string labelInLanguage(const std::string& label, Language from, Language to)
{
    for (int k = 0; k < kFunctionKindCount; ++k)
        if (label == functionName(from, static_cast<FunctionKind>(k)))
            return functionName(to, static_cast<FunctionKind>(k));
    for (const ApplicationRow& row : kApplicationRows)
        if (label == row.text(from))
            return row.text(to);
    for (int k = 0; k < kFunctionKindCount; ++k) {
        const std::string prefix = std::string(functionName(from, static_cast<FunctionKind>(k))) + "-";
        if (label.size() <= prefix.size() || label.compare(0, prefix.size(), prefix) != 0)
            continue;
        std::string rest = label.substr(prefix.size());
        for (const MediaRow& row : kMediaRows)
            if (rest == row.text(from))
                rest = row.text(to);
        return std::string(functionName(to, static_cast<FunctionKind>(k))) + "-" + rest;
    }
    return label;
}

} // namespace

TextColour textColourOf(const SkinSettings& skin)
{
    return {colourComponent(skin.rColor), colourComponent(skin.gColor), colourComponent(skin.bColor)};
}

FileResult readLabels(const std::filesystem::path& strIni, Language language, ButtonLabels& labels,
                      SkinSettings& skin)
{
    const IniRead read = IniFile::read(strIni);
    const IniFile& file = read.file;
    const char* section = labelSectionName(language);
    for (std::size_t i = 0; i < labels.size(); ++i)
        labels[i] = cutToLimit(file.string(section, labelKey(i)));
    // A str.ini made by a program running in another language holds only its
    // section: the buttons show that one's labels in this language rather
    // than nothing, and the next save writes them to this language's section.
    for (const Language other : {Language::English, Language::SimplifiedChinese, Language::TraditionalChinese}) {
        if (file.hasSection(section) || !file.hasSection(labelSectionName(other)))
            continue;
        for (std::size_t i = 0; i < labels.size(); ++i)
            labels[i] = labelInLanguage(cutToLimit(file.string(labelSectionName(other), labelKey(i))), other, language);
        break;
    }
    skin.rColor = cutToLimit(file.string(kSkinsSection, "RColor"));
    skin.gColor = cutToLimit(file.string(kSkinsSection, "GColor"));
    skin.bColor = cutToLimit(file.string(kSkinsSection, "BColor"));
    skin.path = cutToLimit(file.string(kSkinsSection, "Path"));
    return {read.problem};
}

void setLabels(IniFile& strIni, Language language, const ButtonLabels& labels)
{
    const char* section = labelSectionName(language);
    for (std::size_t i = 0; i < labels.size(); ++i)
        strIni.setValue(section, labelKey(i), labels[i]);
}

FileResult writeLabels(const std::filesystem::path& strIni, Language language, const ButtonLabels& labels)
{
    return updateIniFile(strIni, [&](IniFile& file) {
        setLabels(file, language, labels);
        return true; // written even when unchanged, as the profile writer does
    });
}

std::optional<TextColour> skinSuggestedColour(const std::filesystem::path& skinFolder)
{
    // A skin.ini that is not a readable file (a FIFO, a folder) reads as none.
    const IniFile ini = IniFile::load(skinFolder / "skin.ini");
    const auto r = ini.value("Skin", "RColor");
    const auto g = ini.value("Skin", "GColor");
    const auto b = ini.value("Skin", "BColor");
    if (!r || !g || !b)
        return std::nullopt;
    return TextColour{colourComponent(*r), colourComponent(*g), colourComponent(*b)};
}

TextColour textColourForSkin(std::optional<TextColour> picked, const std::filesystem::path& skinFolder,
                             TextColour current)
{
    if (picked)
        return *picked;
    return skinSuggestedColour(skinFolder).value_or(current);
}

void setSkinSettings(IniFile& strIni, const SkinSettings& skin)
{
    strIni.setValue(kSkinsSection, "RColor", skin.rColor);
    strIni.setValue(kSkinsSection, "GColor", skin.gColor);
    strIni.setValue(kSkinsSection, "BColor", skin.bColor);
    strIni.setValue(kSkinsSection, "Path", skin.path);
}

SkinSettings skinSettingsOf(std::string_view skinName, TextColour colour)
{
    return {std::string(skinName), std::to_string(colour.r), std::to_string(colour.g), std::to_string(colour.b)};
}

} // namespace varcel
