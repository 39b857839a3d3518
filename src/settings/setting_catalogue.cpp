#include "settings/setting_catalogue.h"

#include "device/dpi_table.h"
#include "platform/ini_file.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace varcel {

namespace {

using F = SettingForm;
using S = SettingId;

// Rows in the order show --json and a profile write them. Columns: id, form,
// offset, stride, instances, kept; JSON pointer, unit; varcelctl command and
// words; bus property, type and whether it is writable; the name.
// clang-format off
constexpr std::array<Setting, kSettingCount> kCatalogue{{
    // Only the page switches the layer shown: no varcelctl command, so the bus only reads it.
    {S::LayerShown, F::Layer, img::kLayerShown, 1, 1, 1, "/layerShown", "", nullptr, nullptr,
     "LayerShown", "u", false, {"显示的按键层", "顯示的按鍵層", "Layer shown"}},
    {S::ReportRate, F::Choice, img::kReportRate, 1, 1, 1, "/reportRate/code", "Hz", "rate", "RATE",
     "ReportRateSetting", "u", true, {"回报率", "回報率", "Report rate"}},
    {S::DpiStageEnabled, F::Flag, img::kDpiEnabled, 1, img::kDpiStages, img::kDpiStageFlags, "/dpiStages/#/enabled", "",
     "dpi", "STAGE on|off", "DpiStagesEnabled", "ab", true, {"DPI Stage%1", "DPI Stage%1", "DPI Stage%1"}},
    {S::DpiStageValue, F::Choice, img::kDpiValue, 1, img::kDpiStages, img::kDpiStages, "/dpiStages/#/row", "DPI",
     "dpi", "STAGE VALUE (of the mouse's DPI list, e.g. 800)",
     "DpiStageValues", "au", true, {"DPI Stage%1数值", "DPI Stage%1數值", "DPI Stage%1 value"}},
    {S::RgbMode, F::Choice, img::kRgbMode, 1, 1, 1, "/lighting/mode", "", "rgb", "MODE PARAMETER",
     "RgbMode", "u", true, {"模式", "模式", "Mode"}},
    {S::RgbParameter, F::Choice, img::kRgbParam1, 1, kRgbModeCount, kRgbModeCount, "/lighting/firstParameters", "",
     "rgb", "PARAMETER as the mode's list shows it (5%...100%, 8S...4S, 0.5S...15S)",
     "RgbParameters", "au", true, {"%1参数", "%1參數", "%1 parameter"}},
    {S::LoopColourEnabled, F::Flag, img::kLoopEnabled, 1, img::kLoopColourCount, img::kLoopColourCount,
     "/lighting/loopColours/#/enabled", "", "color", "N on|off",
     "LoopColoursEnabled", "ab", true, {"循环颜色%1", "迴圈顏色%1", "Loop colour %1"}},
    {S::LoopColour, F::Colour, img::kLoopColours, 3, img::kLoopColourCount, img::kLoopColourCount,
     "/lighting/loopColours/#/rgb", "", "color", "N #RRGGBB",
     "LoopColours", "au", true, {"循环颜色%1的颜色", "迴圈顏色%1的顏色", "Loop colour %1 colour"}},
    // Four bits per stage; the image keeps four bytes of them, the last two
    // never written by the window.
    {S::DpiColourBit, F::Bit, img::kDpiColourBits, 1, img::kDpiStages * kDpiColourBitCount, img::kDpiColourBytes * 8,
     "/lighting/dpiColourBits", "", "dpi-color", "STAGE BIT on|off",
     "DpiColourBits", "ab", true, {"DPI Stage%1颜色%2", "DPI Stage%1顏色%2", "DPI Stage%1 colour %2"}},
    {S::PointerPrecision, F::Flag, img::kPointerPrecision, 1, 1, 1, "/pointer/enhancePointerPrecision", "",
     "pointer", "precision on|off",
     "PointerPrecision", "b", true, {"提高指针准确度", "提高指針準確度", "Enhance Pointer Precision"}},
    {S::ScrollOneScreen, F::Flag, img::kScrollOneScreen, 1, 1, 1, "/pointer/scrollOneScreen", "",
     "pointer", "one-screen on|off",
     "ScrollOneScreen", "b", true, {"一次滚动一个屏幕", "一次滾動一個螢幕", "Scroll One Screen"}},
    {S::PointerSpeed, F::Choice, img::kPointerSpeed, 1, 1, 1, "/pointer/speed", "", "pointer", "set speed N",
     "PointerSpeed", "u", true, {"鼠标移动速度", "滑鼠移動速度", "Mouse Speed"}},
    {S::ScrollLines, F::Choice, img::kScrollLines, 1, 1, 1, "/pointer/scrollLines", "", "pointer", "set lines N",
     "ScrollLines", "u", true, {"鼠标滚动速度", "滑鼠滾動速度", "Scrolling Speed"}},
    {S::DoubleClickStep, F::Choice, img::kDoubleClick, 1, 1, 1, "/pointer/doubleClickStep", "", "pointer",
     "set double-click N", "DoubleClickStep", "u", true, {"鼠标双击速度", "滑鼠雙擊速度", "Double-Click Speed"}},
}};

constexpr bool catalogueInIdOrder()
{
    for (std::size_t i = 0; i < kCatalogue.size(); ++i)
        if (static_cast<std::size_t>(kCatalogue[i].id) != i || kCatalogue[i].kept < kCatalogue[i].instances)
            return false;
    return true;
}
static_assert(catalogueInIdOrder());

constexpr std::array<SettingChoice, 2> kLayers{{{0, 0, "A", {"Mode A", "Mode A", "Mode A"}},
                                                {1, 1, "B", {"Mode B", "Mode B", "Mode B"}}}};
constexpr std::array<SettingChoice, 2> kOnOff{{{0, 0, "off", {"关", "關", "off"}}, {1, 1, "on", {"开", "開", "on"}}}};

// The texts of the first-parameter lists of the three modes, and of the
// pointer sliders' steps.
constexpr std::array<const char*, 10> kStandardTexts{"5%", "15%", "25%", "35%", "45%", "55%", "65%", "75%", "85%", "100%"};
constexpr std::array<const char*, 5> kRespirationTexts{"8S", "7S", "6S", "5S", "4S"};
constexpr std::array<const char*, 30> kNeonTexts{
    "0.5S",  "1S",  "1.5S",  "2S",  "2.5S",  "3S",  "3.5S",  "4S",  "4.5S",  "5S",
    "5.5S",  "6S",  "6.5S",  "7S",  "7.5S",  "8S",  "8.5S",  "9S",  "9.5S",  "10S",
    "10.5S", "11S", "11.5S", "12S", "12.5S", "13S", "13.5S", "14S", "14.5S", "15S",
};
constexpr std::array<const char*, 12> kStepTexts{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"};
// clang-format on

// Codes 0, 1, ... with the texts; the value is the code plus `step`: the
// parameter step the mouse is sent (row + 1), or the slider step itself.
template <std::size_t N>
std::array<SettingChoice, N> listed(const std::array<const char*, N>& texts, unsigned step)
{
    std::array<SettingChoice, N> rows{};
    for (std::size_t i = 0; i < N; ++i)
        rows[i] = {static_cast<std::uint8_t>(i), static_cast<unsigned>(i + step), texts[i]};
    return rows;
}

std::span<const SettingChoice> dpiChoices(std::uint8_t sensorType)
{
    // Built once per list from the DPI table; each type's list is fixed.
    static const auto lists = [] {
        std::array<std::vector<SettingChoice>, 4> built;
        for (std::uint8_t type = 0; type < built.size(); ++type)
            for (const DpiRow& row : dpiRows(type))
                built[type].push_back({static_cast<std::uint8_t>(built[type].size()),
                                       static_cast<unsigned>(std::atoi(row.text)), row.text});
        return built;
    }();
    return lists[sensorType < lists.size() ? sensorType : 0];
}

// The modes are named as the window's string table names them.
const std::array<SettingChoice, kRgbModeCount>& modes()
{
    static const std::array<SettingChoice, kRgbModeCount> rows{{
        {1, 1, uiText(UiString::StandardMode).en, uiText(UiString::StandardMode)},
        {2, 2, uiText(UiString::RespirationMode).en, uiText(UiString::RespirationMode)},
        {3, 3, uiText(UiString::NeonMode).en, uiText(UiString::NeonMode)},
    }};
    return rows;
}

// A unit as each language writes it after a value; the others are the same in every language.
std::string unitIn(const Setting& row, Language language)
{
    static constexpr LangText kHertz{"赫兹", "赫茲", "Hz"};
    return std::string_view(row.unit) == kHertz.en ? kHertz(language) : row.unit;
}

bool validInstance(const Setting& row, int instance) { return instance >= 0 && instance < row.kept; }

std::string withNumber(const char* pattern, int instance) { return fillIn(pattern, {std::to_string(instance + 1)}); }

} // namespace

std::span<const Setting> settingCatalogue() { return kCatalogue; }

const Setting& setting(SettingId id) { return kCatalogue[static_cast<std::size_t>(id)]; }

std::span<const SettingChoice> settingChoices(SettingId id, int instance, std::uint8_t sensorType)
{
    static const auto standard = listed(kStandardTexts, 1);
    static const auto respiration = listed(kRespirationTexts, 1);
    static const auto neon = listed(kNeonTexts, 1);
    static const auto steps = listed(kStepTexts, 0);
    switch (id) {
    case S::LayerShown: return kLayers;
    case S::ReportRate: return kReportRates;
    case S::DpiStageValue: return dpiChoices(sensorType);
    case S::RgbMode: return modes();
    case S::RgbParameter:
        switch (instance) {
        case 0: return standard;
        case 1: return respiration;
        case 2: return neon;
        default: return {};
        }
    case S::DpiStageEnabled:
    case S::LoopColourEnabled:
    case S::DpiColourBit:
    case S::PointerPrecision:
    case S::ScrollOneScreen: return kOnOff;
    case S::ScrollLines: return steps;
    case S::PointerSpeed:
    case S::DoubleClickStep: return std::span(steps).subspan(1);
    case S::LoopColour:
    case S::Count: break;
    }
    return {};
}

unsigned settingCode(const ConfigImage& image, SettingId id, int instance)
{
    const Setting& row = setting(id);
    if (!validInstance(row, instance))
        return 0;
    const std::size_t step = row.stride * static_cast<std::size_t>(instance);
    switch (row.form) {
    case F::Bit: return (image[row.offset + step / 8] >> (step % 8)) & 1u;
    case F::Colour:
        return static_cast<unsigned>(image[row.offset + step] << 16 | image[row.offset + step + 1] << 8 |
                                     image[row.offset + step + 2]);
    default: return image[row.offset + step];
    }
}

void setSettingCode(ConfigImage& image, SettingId id, int instance, unsigned code)
{
    const Setting& row = setting(id);
    if (!validInstance(row, instance))
        return;
    const std::size_t step = row.stride * static_cast<std::size_t>(instance);
    switch (row.form) {
    case F::Bit: {
        std::uint8_t& byte = image[row.offset + step / 8];
        const auto mask = static_cast<std::uint8_t>(1u << (step % 8));
        byte = static_cast<std::uint8_t>(code ? byte | mask : byte & ~mask);
        break;
    }
    case F::Colour:
        for (std::size_t k = 0; k < 3; ++k)
            image[row.offset + step + k] = static_cast<std::uint8_t>(code >> (16 - 8 * k));
        break;
    default: image[row.offset + step] = static_cast<std::uint8_t>(code);
    }
}

std::optional<SettingChoice> settingChoice(const ConfigImage& image, SettingId id, int instance,
                                           std::uint8_t sensorType)
{
    const unsigned code = settingCode(image, id, instance);
    for (const SettingChoice& choice : settingChoices(id, instance, sensorType))
        if (choice.code == code)
            return choice;
    return std::nullopt;
}

unsigned settingValue(const ConfigImage& image, SettingId id, int instance, std::uint8_t sensorType)
{
    const unsigned code = settingCode(image, id, instance);
    switch (setting(id).form) {
    case F::Colour: return code;
    case F::Flag:
    case F::Bit: return code != 0;
    default: break;
    }
    if (const auto choice = settingChoice(image, id, instance, sensorType))
        return choice->value;
    return id == S::ReportRate ? reportRateHz(static_cast<std::uint8_t>(code)) : 0;
}

std::optional<unsigned> settingCodeOfValue(SettingId id, int instance, std::uint8_t sensorType, unsigned value)
{
    if (setting(id).form == F::Colour)
        return value <= 0xFFFFFFu ? std::optional(value) : std::nullopt;
    for (const SettingChoice& choice : settingChoices(id, instance, sensorType))
        if (choice.value == value)
            return choice.code;
    return std::nullopt;
}

std::string settingValueText(const ConfigImage& image, SettingId id, int instance, std::uint8_t sensorType,
                             Language language)
{
    if (setting(id).form == F::Colour) {
        char text[8];
        std::snprintf(text, sizeof text, "#%06X", settingCode(image, id, instance));
        return text;
    }
    const auto choice = settingChoice(image, id, instance, sensorType);
    return choice ? settingChoiceText(id, *choice, language) : std::string();
}

std::string settingChoiceText(SettingId id, const SettingChoice& choice, Language language)
{
    const std::string unit = unitIn(setting(id), language);
    return choice.textIn(language) + (unit.empty() ? "" : " " + unit);
}

std::string settingName(SettingId id, int instance, Language language)
{
    const LangText& name = setting(id).name;
    if (id == S::DpiColourBit)
        return fillIn(name(language),
                      {std::to_string(instance / kDpiColourBitCount + 1),
                       kDpiColourBitNames[static_cast<std::size_t>(instance % kDpiColourBitCount)](language)});
    // A parameter is its mode's: "Off Mode" stands for a mode outside 1 to 3, which the mouse is never sent.
    if (id == S::RgbParameter)
        return fillIn(name(language), {instance >= 0 && instance < kRgbModeCount
                                           ? modes()[static_cast<std::size_t>(instance)].textIn(language)
                                           : uiString(language, UiString::OffMode)});
    return withNumber(name(language), instance);
}

std::optional<SettingChoice> parseSettingValue(SettingId id, int instance, std::uint8_t sensorType,
                                               const std::string& text)
{
    for (const SettingChoice& choice : settingChoices(id, instance, sensorType)) {
        for (int language = 0; language < kLanguageCount; ++language) {
            const std::string shown = choice.textIn(languageFromIndex(language));
            const std::string unit = unitIn(setting(id), languageFromIndex(language));
            for (const std::string& form : {shown, shown + unit, shown + " " + unit})
                if (equalsIgnoringCase(text, form))
                    return choice;
        }
    }
    return std::nullopt;
}

} // namespace varcel
