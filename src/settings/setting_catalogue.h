// Every setting of the image that the user sees, declared once: where it
// lives in the image, the values it takes, how show --json and a profile
// write it, the varcelctl command that sets it, its bus property and what a
// screen reader calls it. The window, varcelctl, the bus, profiles and the
// balloons read these rows instead of keeping tables of their own, so a
// setting added here reaches every one of them; only its drawing is left.
#pragma once

#include "device/config_image.h"
#include "lang/language.h"
#include "lang/ui_strings.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace varcel {

enum class SettingId : std::uint8_t {
    LayerShown,
    ReportRate,
    DpiStageEnabled,
    DpiStageValue,
    RgbMode,
    RgbParameter,
    LoopColourEnabled,
    LoopColour,
    DpiColourBit,
    PointerPrecision,
    ScrollOneScreen,
    PointerSpeed,
    ScrollLines,
    DoubleClickStep,
    Count
};

// How the image keeps a value, and how show --json and a profile write it.
enum class SettingForm : std::uint8_t {
    Choice, // a byte holding a code of the value table; written as the number
    Layer,  // a byte, 0 "A" or 1 "B"; a profile keeps any other byte as a number
    Flag,   // a byte, 1 on and 0 off, written true or false; a profile keeps any other byte as a number
    Bit,    // one bit; the bytes that hold the bits are written as hexadecimal pairs
    Colour, // three bytes, red, green and blue, written "#RRGGBB"
};

// One value of a setting: the code the image keeps, the number it stands
// for in the row's unit, and its text as the window's lists show it (in
// every language unless `local` gives the three).
struct SettingChoice {
    std::uint8_t code;
    unsigned value;
    const char* text;
    LangText local{};
    const char* textIn(Language language) const { return local.en ? local(language) : text; }
};

struct Setting {
    SettingId id;
    SettingForm form;
    std::size_t offset;  // the first instance's byte
    std::size_t stride;  // from one instance to the next: bytes, or bits for Bit
    int instances;       // as many as the user sets (four DPI stages, eight colours)
    int kept;            // as many as the image holds and a profile carries
    const char* json;    // JSON pointer in show --json and a profile's configuration; "#" is the instance 0, 1, ...
    const char* unit;    // after a value: "Hz", "DPI", "" when its text says all
    const char* command; // the varcelctl command that sets it, and its words after the command
    const char* words;
    // The stored setting as a bus property, read, and written where the user
    // may change it, as this type; the mouse's live rate and stage have
    // properties of their own ("ReportRate", "DpiStage").
    const char* busProperty;
    const char* busType;
    bool busWritable;
    LangText name; // what a screen reader calls it; "%1" is the instance's number
};

inline constexpr int kSettingCount = static_cast<int>(SettingId::Count);
std::span<const Setting> settingCatalogue();
const Setting& setting(SettingId id);

// The values a setting takes: the DPI stages' follow the mouse's sensor, the
// RGB parameter's the mode (its instance). Flags are off and on; colours have
// no table (any of 2^24).
std::span<const SettingChoice> settingChoices(SettingId id, int instance = 0, std::uint8_t sensorType = 0);

// The code the image holds for an instance (the colour as 0xRRGGBB).
unsigned settingCode(const ConfigImage& image, SettingId id, int instance = 0);
void setSettingCode(ConfigImage& image, SettingId id, int instance, unsigned code);
// Its entry in the value table, or nothing for a code the table lacks.
std::optional<SettingChoice> settingChoice(const ConfigImage& image, SettingId id, int instance = 0,
                                           std::uint8_t sensorType = 0);
// The number a bus property carries: the list's value in the row's unit
// (Hz, DPI, a parameter's step, a pointer slider's step, the layer 0 or 1),
// 1 or 0 for a flag or a bit (any byte but 0 is on, as the mouse takes it),
// the colour as 0xRRGGBB. A report-rate interval no list holds still has
// its rate (1000 / code, as show --json tells it); another code no list
// holds is 0.
unsigned settingValue(const ConfigImage& image, SettingId id, int instance = 0, std::uint8_t sensorType = 0);
// The code that stands for such a number, or nothing for one the list lacks.
std::optional<unsigned> settingCodeOfValue(SettingId id, int instance, std::uint8_t sensorType, unsigned value);
// The value as a user reads it: the list's text with its unit ("1000 Hz",
// "800 DPI", "Neon Mode", "on", "#FF8000"); empty for a code the table lacks.
std::string settingValueText(const ConfigImage& image, SettingId id, int instance, std::uint8_t sensorType,
                             Language language);
// One value of the table as a user reads it, with its unit.
std::string settingChoiceText(SettingId id, const SettingChoice& choice, Language language);
// What a screen reader says for the setting: its name with the instance's number.
std::string settingName(SettingId id, int instance, Language language);
// The row of `text` in the value table: the text in any language, the
// number, or either with the unit after it, letters in any case.
std::optional<SettingChoice> parseSettingValue(SettingId id, int instance, std::uint8_t sensorType,
                                               const std::string& text);

// ---- The tables the window's lists and captions show --------------------------

// Report-rate positions from left to right; their codes are the report
// interval in milliseconds.
inline constexpr std::array<SettingChoice, 4> kReportRates{{
    {8, 125, "125"},
    {4, 250, "250"},
    {2, 500, "500"},
    {1, 1000, "1000"},
}};
// The rate in hertz of a stored interval code, also of one no position
// stores (0 for 0).
constexpr unsigned reportRateHz(std::uint8_t code) { return code == 0 ? 0 : 1000u / code; }
static_assert([] {
    for (const SettingChoice& position : kReportRates)
        if (reportRateHz(position.code) != position.value)
            return false;
    return true;
}());
// The balloon that says the mouse switched to a position's rate.
inline constexpr std::array<UiString, kReportRates.size()> kReportRateBalloons{
    UiString::ReportRate125, UiString::ReportRate250, UiString::ReportRate500, UiString::ReportRate1000};

// "DPI Stage1" ... "DPI Stage4": the stage captions and the rows of the DPI
// colour stage list, the same in every language.
inline constexpr std::array<const char*, img::kDpiStages> kDpiStageNames{"DPI Stage1", "DPI Stage2", "DPI Stage3",
                                                                         "DPI Stage4"};

// RGB effect modes are list row + 1.
inline constexpr int kRgbModeCount = 3;

// The four tick boxes of a DPI stage's colour bits, bits 0 to 3: the red,
// green, blue and white parts of the mouse's DPI lamp while that stage is
// the active one.
inline constexpr int kDpiColourBitCount = 4;
inline constexpr std::array<LangText, kDpiColourBitCount> kDpiColourBitNames{{
    {"红", "紅", "R"},
    {"绿", "綠", "G"},
    {"蓝", "藍", "B"},
    {"白", "白", "W"},
}};

} // namespace varcel
