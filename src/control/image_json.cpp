#include "control/image_json.h"

#include "buttons/button_model.h"
#include "device/trace.h"
#include "keys/key_tables.h"
#include "lang/dialog_strings.h"
#include "macros/macro_encoder.h"
#include "settings/key_page_settings.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace varcel {

namespace {

using json = nlohmann::ordered_json;

std::string hex2(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value & 0xFFu);
    return text;
}

// A button as the Show form names it: its function and what that function uses.
json shownButton(const ConfigImage& image, Layer layer, std::size_t slot)
{
    auto at = [&](img::LayerArray array) { return image[img::at(layer, array, slot)]; };
    using A = img::LayerArray;
    const unsigned kind = at(A::Kind);
    json b;
    b["button"] = slot + 1;
    b["kind"] = kind;
    b["function"] = kind < kFunctionKindCount ? functionName(Language::English, static_cast<FunctionKind>(kind))
                                              : "(unknown)";
    switch (static_cast<FunctionKind>(kind)) {
    case FunctionKind::DpiSwitch: {
        const unsigned option = image[img::dpiSwitch(layer, slot)];
        b["dpiOption"] = option;
        if (option >= 1 && option <= 3)
            b["dpiOptionName"] = text::kDpiOptions[option - 1];
        break;
    }
    case FunctionKind::Windows:
        b["applicationRow"] = at(A::AppIndex);
        b["applicationCode"] = hex2(at(A::AppCodeHigh)) + hex2(at(A::AppCodeLow)).substr(2);
        break;
    case FunctionKind::Multimedia:
        b["mediaRow"] = at(A::MediaIndex);
        b["mediaCode"] = hex2(at(A::MediaCode));
        break;
    case FunctionKind::FireKey:
        b["fireKeyRow"] = at(A::FireIndex);
        b["fireKeyCode"] = hex2(at(A::FireCode));
        b["speed"] = at(A::FireSpeed);
        b["times"] = at(A::FireTimes);
        break;
    case FunctionKind::SingleKey:
        b["keyCode"] = hex2(at(A::SingleKey));
        break;
    case FunctionKind::ComboKey:
        b["modifiers"] = hex2(at(A::ComboModifiers));
        b["key1"] = hex2(at(A::ComboKey1));
        b["key2"] = hex2(at(A::ComboKey2));
        break;
    case FunctionKind::MacroKey:
        b["macro"] = at(A::MacroNumber) + 1;
        b["repeatMode"] = at(A::MacroRepeat);
        break;
    default:
        break;
    }
    return b;
}

std::string bytesAt(const ConfigImage& image, std::size_t offset, std::size_t size)
{
    return hexBytes(std::span(image).subspan(offset, size));
}

// A key code as its name when the key-name table gives that name back this
// code; otherwise (0, or a code without a name) the number.
json keyValue(std::uint8_t code)
{
    if (code != 0)
        for (const KeyNameRow& row : kKeyNameTable)
            if (row.code == code && keyCodeOfName(row.name) == code)
                return row.name;
    return code;
}

// A one-byte flag as true or false when it holds 1 or 0, as the window writes it.
json flagValue(std::uint8_t value)
{
    if (value <= 1)
        return value == 1;
    return value;
}

json functionValue(std::uint8_t kind)
{
    if (kind < kFunctionKindCount)
        return functionName(Language::English, static_cast<FunctionKind>(kind));
    return kind;
}

// A button as a profile keeps it: every byte the image holds for it.
json profileButton(const ConfigImage& image, Layer layer, std::size_t slot)
{
    json b;
    b["button"] = slot + 1;
    for (const ButtonField& field : kButtonFields) {
        const std::uint8_t value = image[img::at(layer, field.array, slot)];
        switch (field.kind) {
        case ButtonFieldKind::Function: b[field.name] = functionValue(value); break;
        case ButtonFieldKind::Byte: b[field.name] = value; break;
        case ButtonFieldKind::Key: b[field.name] = keyValue(value); break;
        case ButtonFieldKind::Macro: b[field.name] = value + 1; break;
        }
        if (field.kind == ButtonFieldKind::Function)
            b[kDpiSwitchField] = image[img::dpiSwitch(layer, slot)];
    }
    return b;
}

} // namespace

nlohmann::ordered_json imageToJson(const ConfigImage& image, std::uint8_t firstRunFlag, ImageJsonForm form)
{
    const bool profile = form == ImageJsonForm::Profile;
    auto flag = [profile](std::uint8_t value) { return profile ? flagValue(value) : json(value == 1); };
    json j;
    j["firstRunFlag"] = firstRunFlag;
    const std::uint8_t shown = image[img::kLayerShown];
    j["layerShown"] = shown == 0 ? json("A") : shown == 1 || !profile ? json("B") : json(shown);
    for (Layer layer : {Layer::A, Layer::B}) {
        json buttons = json::array();
        for (std::size_t slot = 0; slot < kButtonSlots; ++slot)
            buttons.push_back(profile ? profileButton(image, layer, slot) : shownButton(image, layer, slot));
        j["layers"][layerName(layer)] = buttons;
    }

    const std::uint8_t rate = image[img::kReportRate];
    j["reportRate"] = {{"code", rate}, {"hz", reportRateHz(rate)}};

    json stages = json::array();
    for (std::size_t i = 0; i < img::kDpiStageFlags; ++i) {
        json stage{{"stage", i + 1}, {"enabled", flag(image[img::kDpiEnabled + i])}};
        if (i < img::kDpiStages)
            stage["row"] = image[img::kDpiValue + i];
        stages.push_back(stage);
    }
    j["dpiStages"] = stages;

    const int mode = image[img::kRgbMode];
    json rgb{{"mode", mode}};
    if (mode >= 1 && mode <= kRgbModeCount) {
        rgb["modeName"] = rgbModeName(Language::English, mode);
        if (!profile)
            rgb["parameter"] = image[img::kRgbParam1 + static_cast<std::size_t>(mode - 1)];
    }
    rgb["firstParameters"] = bytesAt(image, img::kRgbParam1, 3);
    rgb["secondParameters"] = bytesAt(image, img::kRgbParam2, 3);
    json colours = json::array();
    for (std::size_t i = 0; i < img::kLoopColourCount; ++i) {
        char text[8];
        const std::size_t c = img::kLoopColours + 3 * i;
        std::snprintf(text, sizeof text, "#%02X%02X%02X", image[c], image[c + 1], image[c + 2]);
        colours.push_back({{"colour", i + 1}, {"enabled", flag(image[img::kLoopEnabled + i])}, {"rgb", text}});
    }
    rgb["loopColours"] = colours;
    rgb["dpiColourBits"] = bytesAt(image, img::kDpiColourBits, img::kDpiColourBytes);
    j["lighting"] = rgb;

    j["pointer"] = {
        {"enhancePointerPrecision", flag(image[img::kPointerPrecision])},
        {"scrollOneScreen", flag(image[img::kScrollOneScreen])},
        {"speed", image[img::kPointerSpeed]},
        {"scrollLines", image[img::kScrollLines]},
        {"doubleClickStep", image[img::kDoubleClick]},
    };

    // Show tells an empty block by name; a profile keeps every block's events.
    json macros = json::array();
    for (std::size_t n = 1; n <= kMacroCount; ++n) {
        const std::size_t at = img::macroBlock(n);
        json m{{"macro", n}, {"loopCount", loopCount(image, n)}};
        const bool empty = std::all_of(image.begin() + static_cast<std::ptrdiff_t>(at),
                                       image.begin() + static_cast<std::ptrdiff_t>(at + kMacroBlockSize),
                                       [](std::uint8_t b) { return b == 0; });
        if (!profile)
            m["empty"] = empty;
        if (profile || !empty)
            m["events"] = bytesAt(image, at + kEventStreamOffset, kEventStreamSize);
        macros.push_back(m);
    }
    j[profile ? "macroBlocks" : "macros"] = macros;

    json unused;
    for (const ByteRun& run : kUnusedRuns)
        unused[run.name] = bytesAt(image, run.offset, run.size);
    j["unused"] = unused;
    return j;
}

std::string imageToText(const nlohmann::ordered_json& j)
{
    std::ostringstream out;
    out << "First-run flag: " << j["firstRunFlag"] << "\n";
    out << "Layer shown:    Mode " << j["layerShown"].get<std::string>() << "\n";
    for (const char* layer : {"A", "B"}) {
        out << "\nMode " << layer << " buttons:\n";
        for (const auto& b : j["layers"][layer]) {
            char head[32];
            std::snprintf(head, sizeof head, "  %2d  ", b["button"].get<int>());
            out << head << b["function"].get<std::string>();
            std::string details;
            for (const auto& [key, value] : b.items()) {
                if (key == "button" || key == "kind" || key == "function" || key == "dpiOption")
                    continue;
                details += (details.empty() ? "" : ", ") +
                           (key == "dpiOptionName" ? "" : key + " ") +
                           (value.is_string() ? value.get<std::string>() : value.dump());
            }
            if (!details.empty())
                out << " (" << details << ")";
            out << "\n";
        }
    }
    out << "\nReport rate: " << j["reportRate"]["hz"] << " Hz (code " << j["reportRate"]["code"] << ")\n";
    out << "DPI stages:\n";
    for (const auto& s : j["dpiStages"]) {
        out << "  stage " << s["stage"] << ": " << (s["enabled"].get<bool>() ? "on " : "off");
        if (s.contains("row"))
            out << "  row " << s["row"];
        out << "\n";
    }
    const auto& l = j["lighting"];
    out << "\nLighting: mode " << l["mode"];
    if (l.contains("modeName"))
        out << " (" << l["modeName"].get<std::string>() << ", parameter row " << l["parameter"] << ")";
    out << "\n  first parameters " << l["firstParameters"].get<std::string>() << ", second parameters "
        << l["secondParameters"].get<std::string>() << "\n  loop colours:";
    for (const auto& c : l["loopColours"])
        out << " " << c["rgb"].get<std::string>() << (c["enabled"].get<bool>() ? "" : "(off)");
    out << "\n  DPI colour bits: " << l["dpiColourBits"].get<std::string>() << "\n";
    const auto& p = j["pointer"];
    out << "\nPointer: speed " << p["speed"] << ", scroll lines " << p["scrollLines"] << ", double-click step "
        << p["doubleClickStep"] << ", precision " << (p["enhancePointerPrecision"].get<bool>() ? "on" : "off")
        << ", one screen " << (p["scrollOneScreen"].get<bool>() ? "on" : "off") << "\n";
    out << "\nMacros:\n";
    for (const auto& m : j["macros"]) {
        out << "  " << m["macro"] << ": ";
        if (m["empty"].get<bool>())
            out << "empty\n";
        else
            out << "loop " << m["loopCount"] << ", events " << m["events"].get<std::string>() << "\n";
    }
    out << "\nUnused bytes:";
    for (const auto& [offset, bytes] : j["unused"].items())
        out << " " << offset << "=[" << bytes.get<std::string>() << "]";
    out << "\n";
    return out.str();
}

} // namespace varcel
