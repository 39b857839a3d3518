// The configuration image: every setting the mouse stores, as one 2021-byte
// record. Pages edit it by offset; the apply sequence turns it into commands;
// config.bin keeps it between runs byte for byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace varcel {

inline constexpr std::size_t kImageSize = 0x7E5;   // 2021 bytes
inline constexpr std::size_t kButtonSlots = 12;    // slots 0 to 11 of each layer
inline constexpr std::size_t kSentButtonSlots = 8; // slots 8 to 11 never reach the mouse
inline constexpr std::size_t kMacroCount = 12;
inline constexpr std::size_t kMacroBlockSize = 128;

using ConfigImage = std::array<std::uint8_t, kImageSize>;

enum class Layer : std::uint8_t { A = 0, B = 1 };

namespace img {

// Regions.
inline constexpr std::size_t kLayerA = 0x000;       // layer A button set, shown as "Mode A"
inline constexpr std::size_t kLayerB = 0x0C0;       // layer B button set, shown as "Mode B"
inline constexpr std::size_t kLayerSetSize = 192;   // sixteen arrays of twelve bytes
inline constexpr std::size_t kMacros = 0x180;       // macro blocks 1 to 12, 128 bytes each
inline constexpr std::size_t kMacrosSize = kMacroCount * kMacroBlockSize;
inline constexpr std::size_t kSettings = 0x780;     // the settings area runs to the end

// Settings area.
inline constexpr std::size_t kUnused780 = 0x780;    // 5 bytes the program never reads; kept as loaded
inline constexpr std::size_t kReportRate = 0x785;   // report interval in ms: 1, 2, 4 or 8
inline constexpr std::size_t kUnused786 = 0x786;    // never read; kept as loaded
inline constexpr std::size_t kDpiValue = 0x787;     // 4 bytes: row of the sensor's DPI list per stage
inline constexpr std::size_t kDpiEnabled = 0x78B;   // 8 bytes: stage 1 to 8 enabled (UI sets 1 to 4)
inline constexpr std::size_t kUnused793 = 0x793;    // 8 bytes never read; kept as loaded
inline constexpr std::size_t kRgbMode = 0x79B;      // 1 standard, 2 respiration, 3 neon
inline constexpr std::size_t kRgbParam1 = 0x79C;    // 3 bytes: brightness or speed row per mode
inline constexpr std::size_t kRgbParam2 = 0x79F;    // 3 bytes: second parameter per mode, never sent
inline constexpr std::size_t kUnused7A2 = 0x7A2;    // never read; kept as loaded
inline constexpr std::size_t kPointerPrecision = 0x7A3; // "Enhance Pointer Precision", 1 = on
inline constexpr std::size_t kScrollOneScreen = 0x7A4;  // "Scroll One Screen", 1 = on
inline constexpr std::size_t kPointerSpeed = 0x7A5;     // pointer speed step, default 6
inline constexpr std::size_t kScrollLines = 0x7A6;      // wheel scroll lines, default 3
inline constexpr std::size_t kDoubleClick = 0x7A7;      // double-click speed step, default 6
inline constexpr std::size_t kLayerShown = 0x7A8;   // 0 "Mode A", 1 "Mode B"
inline constexpr std::size_t kDpiSwitchA = 0x7A9;   // 12 bytes: DPI-switch option per slot, layer A
inline constexpr std::size_t kDpiSwitchB = 0x7B5;   // 12 bytes: DPI-switch option per slot, layer B
inline constexpr std::size_t kLoopEnabled = 0x7C1;  // 8 bytes: loop colour 1 to 8 enabled
inline constexpr std::size_t kLoopColours = 0x7C9;  // 24 bytes: loop colours as red, green, blue
inline constexpr std::size_t kDpiColourBits = 0x7E1; // 4 bytes: four on/off bits per DPI stage

inline constexpr std::size_t kDpiStages = 4;        // stages the user edits
inline constexpr std::size_t kDpiStageFlags = 8;    // stage flags the image holds
inline constexpr std::size_t kLoopColourCount = 8;
inline constexpr std::size_t kDpiColourBytes = 4;

// Arrays of a layer button set, as offsets inside the set; element s of each
// belongs to button slot s.
enum class LayerArray : std::size_t {
    Kind = 0x00,          // function kind 0 to 15, the row of the function list
    MediaIndex = 0x0C,    // row chosen in the multimedia dialog
    MediaCode = 0x18,     // one-byte consumer control code
    AppIndex = 0x24,      // row chosen in the application-key dialog
    AppCodeLow = 0x30,    // low byte of the 16-bit consumer control code
    AppCodeHigh = 0x3C,   // 1 for rows 0 to 3, 2 for rows 4 to 10, else 0
    FireIndex = 0x48,     // row of the fire-key dialog's key
    FireCode = 0x54,      // device key code of the fire key
    FireSpeed = 0x60,     // 5 to 255, smaller is faster
    FireTimes = 0x6C,     // 0 to 255, 0 repeats until the button is released
    SingleKey = 0x78,     // device key code
    ComboModifiers = 0x84, // modifier bit mask
    ComboKey1 = 0x90,     // device key code
    ComboKey2 = 0x9C,     // device key code
    MacroNumber = 0xA8,   // macro 0 to 11, sent to the mouse as 1 to 12
    MacroRepeat = 0xB4,   // repeat mode 0, 1 or 2
};

inline constexpr std::size_t kLayerArrayLength = kButtonSlots;

constexpr std::size_t layerBase(Layer layer) { return layer == Layer::A ? kLayerA : kLayerB; }

// Offset in the image of one element of a layer array.
constexpr std::size_t at(Layer layer, LayerArray array, std::size_t slot)
{
    return layerBase(layer) + static_cast<std::size_t>(array) + slot;
}

constexpr std::size_t dpiSwitch(Layer layer, std::size_t slot)
{
    return (layer == Layer::A ? kDpiSwitchA : kDpiSwitchB) + slot;
}

constexpr std::size_t macroBlock(std::size_t number) // 1 to 12
{
    return kMacros + kMacroBlockSize * (number - 1);
}

// The layout must tile the image exactly: each region ends where the next begins.
static_assert(kLayerB == kLayerA + kLayerSetSize);
static_assert(kMacros == kLayerB + kLayerSetSize);
static_assert(kSettings == kMacros + kMacrosSize);
static_assert(kReportRate == kUnused780 + 5);
static_assert(kUnused786 == kReportRate + 1);
static_assert(kDpiValue == kUnused786 + 1);
static_assert(kDpiEnabled == kDpiValue + kDpiStages);
static_assert(kUnused793 == kDpiEnabled + kDpiStageFlags);
static_assert(kRgbMode == kUnused793 + 8);
static_assert(kRgbParam1 == kRgbMode + 1);
static_assert(kRgbParam2 == kRgbParam1 + 3);
static_assert(kUnused7A2 == kRgbParam2 + 3);
static_assert(kPointerPrecision == kUnused7A2 + 1);
static_assert(kLayerShown == kDoubleClick + 1);
static_assert(kDpiSwitchA == kLayerShown + 1);
static_assert(kDpiSwitchB == kDpiSwitchA + kButtonSlots);
static_assert(kLoopEnabled == kDpiSwitchB + kButtonSlots);
static_assert(kLoopColours == kLoopEnabled + kLoopColourCount);
static_assert(kDpiColourBits == kLoopColours + 3 * kLoopColourCount);
static_assert(kDpiColourBits + kDpiColourBytes == kImageSize);
static_assert(static_cast<std::size_t>(LayerArray::MacroRepeat) + kLayerArrayLength == kLayerSetSize);

} // namespace img

// Whether loop colour `colour` (0 to 7) is on. One rule for the page that
// draws its box and the apply that packs it: the mouse gets a colour only
// when its flag is exactly 1, so a flag of 2 or 255 from a foreign config.bin
// or a profile is off on both.
inline bool loopColourOn(const ConfigImage& image, std::size_t colour)
{
    return colour < img::kLoopColourCount && image[img::kLoopEnabled + colour] == 1;
}

// The function kinds, each equal to its row in the function list.
enum class FunctionKind : std::uint8_t {
    LeftClick = 0,
    RightClick = 1,
    MidClick = 2,
    Forward = 3,
    Backward = 4,
    TripleClick = 5,
    DpiSwitch = 6,
    RgbOnOff = 7,
    Windows = 8,
    Multimedia = 9,
    FireKey = 10,
    SingleKey = 11,
    ComboKey = 12,
    MacroKey = 13,
    Shift = 14,
    KeyOff = 15,
};
inline constexpr int kFunctionKindCount = 16;

} // namespace varcel
