#include "control/image_json.h"

#include "buttons/button_model.h"
#include "settings/key_page_settings.h"
#include "device/trace.h"
#include "lang/dialog_strings.h"
#include "lang/ui_strings.h"

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

json button(const ConfigImage& image, Layer layer, std::size_t slot)
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

} // namespace

nlohmann::ordered_json imageToJson(const ConfigImage& image, std::uint8_t firstRunFlag)
{
    json j;
    j["firstRunFlag"] = firstRunFlag;
    j["layerShown"] = image[img::kLayerShown] == 0 ? "A" : "B";
    for (Layer layer : {Layer::A, Layer::B}) {
        json buttons = json::array();
        for (std::size_t slot = 0; slot < kButtonSlots; ++slot)
            buttons.push_back(button(image, layer, slot));
        j["layers"][layer == Layer::A ? "A" : "B"] = buttons;
    }

    const unsigned rate = image[img::kReportRate];
    j["reportRate"] = {{"code", rate}, {"hz", reportRateHz(image[img::kReportRate])}};

    json stages = json::array();
    for (std::size_t i = 0; i < img::kDpiStageFlags; ++i) {
        json stage{{"stage", i + 1}, {"enabled", image[img::kDpiEnabled + i] == 1}};
        if (i < img::kDpiStages)
            stage["row"] = image[img::kDpiValue + i];
        stages.push_back(stage);
    }
    j["dpiStages"] = stages;

    const unsigned mode = image[img::kRgbMode];
    json rgb{{"mode", mode}};
    if (mode >= 1 && mode <= 3) {
        rgb["modeName"] = rgbModeName(Language::English, static_cast<int>(mode));
        rgb["parameter"] = image[img::kRgbParam1 + mode - 1];
    }
    rgb["firstParameters"] = bytesAt(image, img::kRgbParam1, 3);
    rgb["secondParameters"] = bytesAt(image, img::kRgbParam2, 3);
    json colours = json::array();
    for (std::size_t i = 0; i < img::kLoopColourCount; ++i) {
        char text[8];
        const std::size_t c = img::kLoopColours + 3 * i;
        std::snprintf(text, sizeof text, "#%02X%02X%02X", image[c], image[c + 1], image[c + 2]);
        colours.push_back({{"colour", i + 1}, {"enabled", image[img::kLoopEnabled + i] == 1}, {"rgb", text}});
    }
    rgb["loopColours"] = colours;
    rgb["dpiColourBits"] = bytesAt(image, img::kDpiColourBits, img::kDpiColourBytes);
    j["lighting"] = rgb;

    j["pointer"] = {
        {"enhancePointerPrecision", image[img::kPointerPrecision] == 1},
        {"scrollOneScreen", image[img::kScrollOneScreen] == 1},
        {"speed", image[img::kPointerSpeed]},
        {"scrollLines", image[img::kScrollLines]},
        {"doubleClickStep", image[img::kDoubleClick]},
    };

    json macros = json::array();
    for (std::size_t n = 1; n <= kMacroCount; ++n) {
        const std::size_t at = img::macroBlock(n);
        const unsigned loops = (image[at] << 8) | image[at + 1];
        bool empty = true;
        for (std::size_t k = 0; k < kMacroBlockSize; ++k)
            empty = empty && image[at + k] == 0;
        json m{{"macro", n}, {"loopCount", loops}, {"empty", empty}};
        if (!empty)
            m["events"] = bytesAt(image, at + 2, kMacroBlockSize - 2);
        macros.push_back(m);
    }
    j["macros"] = macros;

    // Bytes the program never reads, shown so a user can see they survive.
    j["unused"] = {
        {"0x780", bytesAt(image, img::kUnused780, 5)},
        {"0x786", bytesAt(image, img::kUnused786, 1)},
        {"0x793", bytesAt(image, img::kUnused793, 8)},
        {"0x7A2", bytesAt(image, img::kUnused7A2, 1)},
    };
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
