// The configuration image in readable form, field by field: one writer for
// `varcelctl show --json` and for the "configuration" of a profile, and the
// field tables the profile's reader checks against.
#pragma once

#include "device/config_image.h"
#include "settings/setting_catalogue.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <string>
#include <vector>

namespace varcel {

// The two forms of the image. Show names what each button's function uses and
// flags as true only for 1; Profile (docs/profile-format.md) carries every
// byte of every button and keeps a value the window never writes as a number,
// so that reading it back gives the same config.bin.
enum class ImageJsonForm { Show, Profile };

nlohmann::ordered_json imageToJson(const ConfigImage& image, std::uint8_t firstRunFlag,
                                   ImageJsonForm form = ImageJsonForm::Show);
// The Show form as the lines `varcelctl show` prints, each setting as the
// window's lists name it.
std::string imageToText(const ConfigImage& image, std::uint8_t firstRunFlag);

// ---- The settings part ---------------------------------------------------------

// One member of the settings part of the configuration, at its JSON pointer:
// an instance of a setting of the catalogue, bytes kept as hexadecimal pairs
// (the RGB parameters of all modes, the DPI colour bits, bytes no control
// edits), or a member that only tells the reader something (a list element's
// number, a value in its unit, the mode's name), which a profile may leave out.
struct JsonLeaf {
    enum class Kind { Setting, Bytes, Number, Value, ModeName, Parameter } kind;
    std::string pointer;
    SettingId id = SettingId::Count;
    int instance = 0;
    std::size_t offset = 0; // the bytes, or the number of a list element
    std::size_t size = 0;
};
// In the order the members are written.
std::vector<JsonLeaf> settingLeaves(ImageJsonForm form);
nlohmann::ordered_json leafValue(const JsonLeaf& leaf, const ConfigImage& image, ImageJsonForm form);

// ---- The Profile form's fields ------------------------------------------------

enum class ButtonFieldKind {
    Function, // the function list's English row text (0 to 15)
    Byte,     // 0 to 255
    Key,      // a key name of the key-name table, or the code 0 to 255
    Macro,    // macro number 1 to 256 (the image keeps it less one)
};

struct ButtonField {
    const char* name;
    img::LayerArray array;
    ButtonFieldKind kind;
};

// Every array of a layer, so that a profile carries each byte of a button,
// also the ones its current function does not use: choosing that function
// again in the window finds them as they were. The DPI-switch option follows
// the function.
inline constexpr ButtonField kButtonFields[] = {
    {"function", img::LayerArray::Kind, ButtonFieldKind::Function},
    {"mediaRow", img::LayerArray::MediaIndex, ButtonFieldKind::Byte},
    {"mediaCode", img::LayerArray::MediaCode, ButtonFieldKind::Byte},
    {"applicationRow", img::LayerArray::AppIndex, ButtonFieldKind::Byte},
    {"applicationCodeHigh", img::LayerArray::AppCodeHigh, ButtonFieldKind::Byte},
    {"applicationCodeLow", img::LayerArray::AppCodeLow, ButtonFieldKind::Byte},
    {"fireKeyRow", img::LayerArray::FireIndex, ButtonFieldKind::Byte},
    {"fireKey", img::LayerArray::FireCode, ButtonFieldKind::Key},
    {"fireSpeed", img::LayerArray::FireSpeed, ButtonFieldKind::Byte},
    {"fireTimes", img::LayerArray::FireTimes, ButtonFieldKind::Byte},
    {"singleKey", img::LayerArray::SingleKey, ButtonFieldKind::Key},
    {"comboModifiers", img::LayerArray::ComboModifiers, ButtonFieldKind::Byte},
    {"comboKey1", img::LayerArray::ComboKey1, ButtonFieldKind::Key},
    {"comboKey2", img::LayerArray::ComboKey2, ButtonFieldKind::Key},
    {"macro", img::LayerArray::MacroNumber, ButtonFieldKind::Macro},
    {"macroRepeat", img::LayerArray::MacroRepeat, ButtonFieldKind::Byte},
};
inline constexpr const char* kDpiSwitchField = "dpiSwitch";

struct ByteRun {
    const char* name;
    std::size_t offset;
    std::size_t size;
};
// Bytes the program never reads, shown so a user can see they survive and
// kept by a profile so config.bin comes back whole.
inline constexpr ByteRun kUnusedRuns[] = {
    {"0x780", img::kUnused780, 5},
    {"0x786", img::kUnused786, 1},
    {"0x793", img::kUnused793, 8},
    {"0x7A2", img::kUnused7A2, 1},
};

inline const char* layerName(Layer layer) { return layer == Layer::A ? "A" : "B"; }

} // namespace varcel
