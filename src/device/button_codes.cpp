#include "device/button_codes.h"

#include <cstdio>

namespace varcel {

namespace {

// Button code types: the first byte of a button code.
constexpr std::uint8_t kTypeKeyboard = 0x00; // modifiers, key 1, key 2
constexpr std::uint8_t kTypeMouse = 0x01;    // a mouse button
constexpr std::uint8_t kTypeConsumer = 0x03; // 16-bit consumer usage, low byte first
constexpr std::uint8_t kTypeDpi = 0x07;      // DPI switch option
constexpr std::uint8_t kTypeDevice = 0x08;   // a function of the mouse itself
constexpr std::uint8_t kTypeMacro = 0x09;    // repeat mode, macro 1 to 12
constexpr std::uint8_t kTypeRepeat = 0x0A;   // key, speed, times

// The functions that take no parameter: one code each, written by the encoder
// and named by the description.
struct FixedCode {
    FunctionKind kind;
    ButtonCode code;
    const char* text;
};
constexpr std::array<FixedCode, 9> kFixedCodes{{
    {FunctionKind::LeftClick, {kTypeMouse, 0x00, 0xF0, 0x00}, "left click"},
    {FunctionKind::RightClick, {kTypeMouse, 0x00, 0xF1, 0x00}, "right click"},
    {FunctionKind::MidClick, {kTypeMouse, 0x00, 0xF2, 0x00}, "middle click"},
    {FunctionKind::Backward, {kTypeMouse, 0x00, 0xF3, 0x00}, "backward"},
    {FunctionKind::Forward, {kTypeMouse, 0x00, 0xF4, 0x00}, "forward"},
    // The left button three times at speed 0x20.
    {FunctionKind::TripleClick, {kTypeRepeat, 0xF0, 0x20, 0x03}, "triple-click"},
    {FunctionKind::Shift, {kTypeDevice, 0x00, 0x02, 0x00}, "shift"},
    {FunctionKind::RgbOnOff, {kTypeDevice, 0x00, 0x03, 0x00}, "RGB on/off"},
    {FunctionKind::KeyOff, {}, "off"},
}};

const FixedCode* fixedCodeOf(FunctionKind kind)
{
    for (const FixedCode& row : kFixedCodes)
        if (row.kind == kind)
            return &row;
    return nullptr;
}

// A mouse button or a function of the mouse is named by byte 2 alone,
// whatever the other bytes hold; every other fixed code only as it is.
const char* fixedCodeText(const ButtonCode& c)
{
    for (const FixedCode& row : kFixedCodes) {
        const bool byByte2 = row.code[0] == kTypeMouse || row.code[0] == kTypeDevice;
        if (c == row.code || (byByte2 && c[0] == row.code[0] && c[2] == row.code[2]))
            return row.text;
    }
    return nullptr;
}

std::string hex(std::uint8_t b)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", b);
    return text;
}

} // namespace

ButtonCode encodeButton(const ConfigImage& image, Layer layer, std::size_t slot)
{
    using A = img::LayerArray;
    auto at = [&](A array) { return image[img::at(layer, array, slot)]; };
    const auto kind = static_cast<FunctionKind>(at(A::Kind));
    if (const FixedCode* fixed = fixedCodeOf(kind))
        return fixed->code;
    switch (kind) {
    case FunctionKind::DpiSwitch: return {kTypeDpi, 0x00, image[img::dpiSwitch(layer, slot)], 0x00};
    case FunctionKind::Windows: return {kTypeConsumer, 0x00, at(A::AppCodeLow), at(A::AppCodeHigh)};
    case FunctionKind::Multimedia: return {kTypeConsumer, 0x00, at(A::MediaCode), 0x00};
    case FunctionKind::FireKey: return {kTypeRepeat, at(A::FireCode), at(A::FireSpeed), at(A::FireTimes)};
    case FunctionKind::SingleKey: return {kTypeKeyboard, 0x00, at(A::SingleKey), 0x00};
    case FunctionKind::ComboKey: return {kTypeKeyboard, at(A::ComboModifiers), at(A::ComboKey1), at(A::ComboKey2)};
    case FunctionKind::MacroKey:
        return {kTypeMacro, at(A::MacroRepeat), static_cast<std::uint8_t>(at(A::MacroNumber) + 1), 0x00};
    default: return {}; // kinds above 15 switch the button off
    }
}

std::string describeButtonCode(const ButtonCode& c)
{
    if (const char* text = fixedCodeText(c))
        return text;
    switch (c[0]) {
    case kTypeMouse: return "mouse button " + hex(c[2]);
    case kTypeKeyboard:
        if (c[1] == 0 && c[3] == 0)
            return "key " + hex(c[2]);
        return "keys " + hex(c[2]) + " + " + hex(c[3]) + " with modifiers " + hex(c[1]);
    case kTypeConsumer: return "consumer control " + hex(c[3]) + hex(c[2]).substr(2);
    case kTypeDpi:
        if (c[2] >= 1 && c[2] <= kDpiSwitchOptionNames.size())
            return kDpiSwitchOptionNames[c[2] - 1];
        return "DPI switch " + hex(c[2]);
    case kTypeDevice: return "device function " + hex(c[2]);
    case kTypeMacro: return "macro " + std::to_string(c[2]) + ", repeat mode " + std::to_string(c[1]);
    case kTypeRepeat:
        return "fire key " + hex(c[1]) + ", speed " + std::to_string(c[2]) + ", times " + std::to_string(c[3]);
    default: return "type " + hex(c[0]);
    }
}

} // namespace varcel
