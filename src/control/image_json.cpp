#include "control/image_json.h"

#include "buttons/button_model.h"
#include "device/trace.h"
#include "keys/key_tables.h"
#include "lang/dialog_strings.h"
#include "macros/macro_encoder.h"

#include <algorithm>
#include <cctype>
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

bool macroBlockEmpty(const ConfigImage& image, std::size_t n)
{
    const auto at = static_cast<std::ptrdiff_t>(img::macroBlock(n));
    return std::all_of(image.begin() + at, image.begin() + at + static_cast<std::ptrdiff_t>(kMacroBlockSize),
                       [](std::uint8_t b) { return b == 0; });
}

} // namespace

std::vector<JsonLeaf> settingLeaves(ImageJsonForm form)
{
    using K = JsonLeaf::Kind;
    std::vector<JsonLeaf> leaves;
    for (const Setting& row : settingCatalogue()) {
        const std::string pointer = row.json;
        const auto hash = pointer.find('#');
        if (hash == std::string::npos && row.kept > 1) {
            const std::size_t bytes = row.form == SettingForm::Bit ? row.kept * row.stride / 8 : row.kept * row.stride;
            leaves.push_back({K::Bytes, pointer, row.id, 0, row.offset, bytes});
        }
        for (int i = 0; i < row.kept && hash != std::string::npos; ++i) {
            // A list element starts with its number, counted from 1.
            const std::string element = pointer.substr(0, hash) + std::to_string(i);
            const auto slash = pointer.rfind('/', hash - 2);
            const std::string list = pointer.substr(slash + 1, hash - slash - 2);
            const std::string number = element + (list == "dpiStages" ? "/stage" : "/colour");
            if (std::none_of(leaves.begin(), leaves.end(), [&](const JsonLeaf& l) { return l.pointer == number; }))
                leaves.push_back({K::Number, number, row.id, i, static_cast<std::size_t>(i) + 1});
            leaves.push_back({K::Setting, element + pointer.substr(hash + 1), row.id, i});
        }
        if (hash == std::string::npos && row.kept == 1)
            leaves.push_back({K::Setting, pointer, row.id});
        // A single choice with a unit is followed by its value in that unit: the rate's "hz".
        if (row.form == SettingForm::Choice && row.kept == 1 && *row.unit != '\0') {
            std::string unit = row.unit;
            std::transform(unit.begin(), unit.end(), unit.begin(), [](char c) { return std::tolower(c); });
            leaves.push_back({K::Value, pointer.substr(0, pointer.rfind('/') + 1) + unit, row.id});
        }
        if (row.id == SettingId::RgbMode) {
            leaves.push_back({K::ModeName, "/lighting/modeName"});
            if (form == ImageJsonForm::Show)
                leaves.push_back({K::Parameter, "/lighting/parameter"});
        }
        if (row.id == SettingId::RgbParameter)
            leaves.push_back({K::Bytes, "/lighting/secondParameters", row.id, 0, img::kRgbParam2, 3});
    }
    return leaves;
}

nlohmann::ordered_json leafValue(const JsonLeaf& leaf, const ConfigImage& image, ImageJsonForm form)
{
    // The mode's row is the instance of its own parameter.
    const auto mode = settingChoice(image, SettingId::RgbMode);
    switch (leaf.kind) {
    case JsonLeaf::Kind::Bytes: return bytesAt(image, leaf.offset, leaf.size);
    case JsonLeaf::Kind::Number: return leaf.offset;
    case JsonLeaf::Kind::Value: return settingValue(image, leaf.id);
    case JsonLeaf::Kind::ModeName: return mode ? json(mode->text) : json();
    case JsonLeaf::Kind::Parameter:
        return mode ? json(settingCode(image, SettingId::RgbParameter, mode->code - 1)) : json();
    case JsonLeaf::Kind::Setting: break;
    }
    const unsigned code = settingCode(image, leaf.id, leaf.instance);
    const bool profile = form == ImageJsonForm::Profile;
    switch (setting(leaf.id).form) {
    case SettingForm::Layer: return code == 0 ? json("A") : code == 1 || !profile ? json("B") : json(code);
    case SettingForm::Flag: return profile ? flagValue(static_cast<std::uint8_t>(code)) : json(code == 1);
    case SettingForm::Colour: return settingValueText(image, leaf.id, leaf.instance, 0, Language::English);
    case SettingForm::Choice:
    case SettingForm::Bit: break;
    }
    return code;
}

nlohmann::ordered_json imageToJson(const ConfigImage& image, std::uint8_t firstRunFlag, ImageJsonForm form)
{
    const bool profile = form == ImageJsonForm::Profile;
    json j;
    j["firstRunFlag"] = firstRunFlag;
    j["layerShown"] = nullptr; // in its place before the buttons
    for (Layer layer : {Layer::A, Layer::B}) {
        json buttons = json::array();
        for (std::size_t slot = 0; slot < kButtonSlots; ++slot)
            buttons.push_back(profile ? profileButton(image, layer, slot) : shownButton(image, layer, slot));
        j["layers"][layerName(layer)] = buttons;
    }

    for (const JsonLeaf& leaf : settingLeaves(form))
        if (json value = leafValue(leaf, image, form); !value.is_null())
            j[json::json_pointer(leaf.pointer)] = std::move(value);

    // Show tells an empty block by name; a profile keeps every block's events.
    json macros = json::array();
    for (std::size_t n = 1; n <= kMacroCount; ++n) {
        const std::size_t at = img::macroBlock(n);
        json m{{"macro", n}, {"loopCount", loopCount(image, n)}};
        const bool empty = macroBlockEmpty(image, n);
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

std::string imageToText(const ConfigImage& image, std::uint8_t firstRunFlag)
{
    // Read straight from the image: the settings' JSON is not needed here,
    // and building it would cost a `show` more than the rest of its work.
    std::ostringstream out;
    out << "First-run flag: " << unsigned{firstRunFlag} << "\n";
    out << "Layer shown:    Mode " << (settingCode(image, SettingId::LayerShown, 0) == 0 ? "A" : "B") << "\n";
    for (Layer layer : {Layer::A, Layer::B}) {
        out << "\nMode " << layerName(layer) << " buttons:\n";
        for (std::size_t slot = 0; slot < kButtonSlots; ++slot) {
            const json b = shownButton(image, layer, slot);
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
    out << "\nSettings (DPI values as the list of sensor type 0 names them):\n";
    for (const Setting& row : settingCatalogue()) {
        for (int i = 0; i < row.instances; ++i) {
            const std::string text = settingValueText(image, row.id, i, 0, Language::English);
            const unsigned code = settingCode(image, row.id, i);
            out << "  " << settingName(row.id, i, Language::English) << ": "
                << (text.empty() ? "code " + std::to_string(code)
                    : row.form == SettingForm::Choice ? text + " (code " + std::to_string(code) + ")"
                                                      : text)
                << "\n";
        }
    }
    out << "\nMacros:\n";
    for (std::size_t n = 1; n <= kMacroCount; ++n) {
        out << "  " << n << ": ";
        if (macroBlockEmpty(image, n))
            out << "empty\n";
        else
            out << "loop " << loopCount(image, n) << ", events "
                << bytesAt(image, img::macroBlock(n) + kEventStreamOffset, kEventStreamSize) << "\n";
    }
    out << "\nUnused bytes:";
    for (const ByteRun& run : kUnusedRuns)
        out << " " << run.name << "=[" << bytesAt(image, run.offset, run.size) << "]";
    out << "\n";
    return out.str();
}

} // namespace varcel
