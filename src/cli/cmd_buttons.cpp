// Commands about the buttons: button (assign a function, as the key page
// does) and labels (the 24 button labels of str.ini).
#include "buttons/button_model.h"
#include "buttons/dialog_models.h"
#include "buttons/labels_file.h"
#include "cli/cli_context.h"
#include "device/button_codes.h"
#include "device/config_store.h"
#include "keys/key_tables.h"
#include "lang/dialog_strings.h"
#include "lang/ui_strings.h"
#include "macros/macro_store.h"
#include "platform/data_files.h"
#include "platform/file_read.h"
#include "platform/ini_file.h"

#include <CLI/CLI.hpp>
#include <iomanip>
#include <iostream>
#include <memory>

namespace varcel {

namespace {

struct ButtonRequest {
    std::string layer;
    int number = 0;
    std::string function;
    std::vector<std::string> args;
    bool apply = false;
};

// Each function's names on the command line, in the order of the kinds; its
// English row text and its kind number work too.
// clang-format off
constexpr const char* kFunctionNames[kFunctionKindCount][2] = {
    {"left-click"}, {"right-click"}, {"mid-click", "middle-click"}, {"forward"}, {"backward"}, {"triple-click"},
    {"dpi-switch", "dpi"}, {"rgb-on-off", "rgb"}, {"windows", "application"}, {"multimedia", "media"},
    {"fire-key"}, {"single-key"}, {"combo", "combo-key"}, {"macro", "macro-key"}, {"shift"}, {"key-off", "off"}};
// clang-format on

const char* kFunctionHelp =
    "FUNCTION and its ARGS:\n"
    "  left-click | right-click | mid-click | forward | backward | triple-click | rgb-on-off | shift | key-off\n"
    "  dpi-switch plus|minus|loop\n"
    "  windows NAME             application key, e.g. Calculator, \"Browser-Home\"\n"
    "  multimedia NAME          e.g. Next, Previous, Stop, Play/Pause, Mute, Vol+, Vol-\n"
    "  fire-key KEY [SPEED [TIMES]]   KEY from the fire-key list (A, F5, R-CTRL, L-Button, B4-Button...),\n"
    "                           SPEED 5-255 (default 32, smaller is faster), TIMES 0-255 (default 1, 0 = while held)\n"
    "  single-key KEY           a key name as the key-name table spells it (F5, Enter, \"Num Enter\", Ctrl...)\n"
    "  combo MODIFIER KEY1 [KEY2]     MODIFIER one of \"Left Ctrl\" ... \"Right Win\"; any part may be \"\"\n"
    "  macro NUMBER|NAME [MODE]       macro 1-12 (record.ini order) or its name; MODE 1-3 (default 1)\n"
    "Function names are also accepted as their kind number 0-15 or English list text (\"Single Key\").";

std::optional<FunctionKind> functionKindOf(const std::string& name)
{
    for (int kind = 0; kind < kFunctionKindCount; ++kind) {
        const auto k = static_cast<FunctionKind>(kind);
        for (const char* alias : kFunctionNames[kind])
            if (alias && equalsIgnoringCase(name, alias))
                return k;
        if (name == std::to_string(kind) || equalsIgnoringCase(name, functionName(Language::English, k)))
            return k;
    }
    return std::nullopt;
}

int parseNumber(const std::string& text, int low, int high, const std::string& what)
{
    std::size_t used = 0;
    int value = 0;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text.size() || value < low || value > high)
        throw usage(what + " must be a number from " + std::to_string(low) + " to " + std::to_string(high) +
                    ", not \"" + text + "\"");
    return value;
}

void requireArgs(const ButtonRequest& request, std::size_t least, std::size_t most)
{
    if (request.args.size() < least || request.args.size() > most) {
        std::string expected =
            least == most ? std::to_string(least) : std::to_string(least) + " to " + std::to_string(most);
        throw usage("\"" + request.function + "\" takes " + expected + " argument" + (most == 1 ? "" : "s") + ", got " +
                    std::to_string(request.args.size()) + "\n" + kFunctionHelp);
    }
}

// A row of a three-language list by its text in any language, or by its
// English text in any case; an error listing the English texts otherwise.
template <typename Rows, typename RowOfName>
int rowInAnyLanguage(const Rows& rows, const std::string& name, RowOfName rowOfName, const char* what)
{
    for (Language language : {Language::English, Language::SimplifiedChinese, Language::TraditionalChinese})
        if (const int row = rowOfName(name, language); row >= 0)
            return row;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (equalsIgnoringCase(name, rows[i].text.en))
            return static_cast<int>(i);
    std::string names;
    for (const auto& r : rows)
        names += std::string(names.empty() ? "" : ", ") + r.text.en;
    throw usage("no " + std::string(what) + " key \"" + name + "\"; one of: " + names);
}

// Names become part of the button's label in str.ini, one line per label.
void requireLabelSafe(const std::string& name, const char* what)
{
    if (!isLabelSafeName(name))
        throw usage(std::string(what) + " \"" + printableText(name) + "\" cannot be used: names are at most " +
                    std::to_string(kLabelNameLength) + " characters, without line breaks or other control characters");
}

// Fills the dialog callback of the chosen kind with the answer the arguments
// give, as if the user had confirmed that dialog.
void answerDialog(ButtonModel& model, FunctionKind kind, const ButtonRequest& request, CliContext& context)
{
    const Language language = model.language();
    const auto& args = request.args;
    switch (kind) {
    case FunctionKind::Windows: {
        requireArgs(request, 1, 1);
        const int row = rowInAnyLanguage(kApplicationRows, args[0], applicationRowOfName, "application");
        model.dialogs.applicationKey = [row, language] {
            return ApplicationKeyChoice{row, kApplicationRows[static_cast<std::size_t>(row)].text(language)};
        };
        break;
    }
    case FunctionKind::Multimedia: {
        requireArgs(request, 1, 1);
        const int row = rowInAnyLanguage(kMediaRows, args[0], mediaRowOfName, "multimedia");
        model.dialogs.multimedia = [row, language] {
            return MultimediaChoice{row, kMediaRows[static_cast<std::size_t>(row)].text(language)};
        };
        break;
    }
    case FunctionKind::FireKey: {
        requireArgs(request, 1, 3);
        int row = fireKeyRowOfName(args[0]);
        for (std::size_t i = 0; row < 0 && i < kFireKeyRows.size(); ++i)
            if (equalsIgnoringCase(args[0], kFireKeyRows[i].text))
                row = static_cast<int>(i);
        if (row < 0)
            throw usage("no key \"" + args[0] +
                        "\" in the fire-key list (A-Z, 0-9, F1-F12, L-CTRL, "
                        "L-SHIFT, L-ALT, R-CTRL, R-SHIFT, R-ALT, L-Button, R-Button, M-Button, "
                        "B4-Button, B5-Button, L-Tilt Wheel, R-Tilt Wheel)");
        const int speed = args.size() > 1 ? parseNumber(args[1], 5, 255, "SPEED") : 32;
        const int times = args.size() > 2 ? parseNumber(args[2], 0, 255, "TIMES") : 1;
        model.dialogs.fireKey = [row, speed, times] {
            return FireKeyChoice{row, kFireKeyRows[static_cast<std::size_t>(row)].text, speed, times};
        };
        break;
    }
    case FunctionKind::SingleKey: {
        requireArgs(request, 1, 1);
        requireLabelSafe(args[0], "the key name");
        noteUnknownKey(args[0], keyCodeOfName(args[0]) != 0);
        model.dialogs.singleKey = [name = args[0]] { return SingleKeyChoice{name}; };
        break;
    }
    case FunctionKind::ComboKey: {
        requireArgs(request, 1, 3);
        ComboKeyChoice choice;
        choice.modifier = args[0];
        choice.key1 = args.size() > 1 ? args[1] : "";
        choice.key2 = args.size() > 2 ? args[2] : "";
        requireLabelSafe(choice.modifier, "the modifier name");
        requireLabelSafe(choice.key1, "the key name");
        requireLabelSafe(choice.key2, "the key name");
        noteUnknownKey(choice.modifier, modifierMaskOfName(choice.modifier) != 0, "modifier list");
        noteUnknownKey(choice.key1, keyCodeOfName(choice.key1) != 0);
        noteUnknownKey(choice.key2, keyCodeOfName(choice.key2) != 0);
        model.dialogs.comboKey = [choice] { return choice; };
        break;
    }
    case FunctionKind::MacroKey: {
        requireArgs(request, 1, 2);
        // Numbered as the macro page and the encoder number them.
        const auto macros = MacroStore(context.dataDir().path / kMacroFileName).list();
        int position = -1;
        for (std::size_t i = 0; i < macros.size() && i < kMacroCount; ++i)
            if (equalsIgnoringCase(args[0], macros[i]))
                position = static_cast<int>(i);
        if (position < 0)
            position = parseNumber(args[0], 1, static_cast<int>(kMacroCount), "the macro NUMBER") - 1;
        const int mode = args.size() > 1 ? parseNumber(args[1], 1, 3, "MODE") : 1;
        std::string name;
        if (static_cast<std::size_t>(position) < macros.size())
            name = macros[static_cast<std::size_t>(position)];
        else
            std::cerr << "note: " << kMacroFileName << " has no macro " << position + 1
                      << " yet; the button plays whatever is recorded there later, and its label names none\n";
        model.dialogs.macroKey = [position, mode, name] { return MacroKeyChoice{position, mode, name}; };
        break;
    }
    default: break;
    }
}

int dpiOptionRow(const ButtonRequest& request)
{
    requireArgs(request, 1, 1);
    const std::string& option = request.args[0];
    // Beside each option's own name ("DPI +"), words a shell passes without quotes.
    const char* words[][2] = {{"plus", "+"}, {"minus", "-"}, {"loop", "cycle"}};
    static_assert(std::size(words) == text::kDpiOptions.size());
    for (std::size_t row = 0; row < text::kDpiOptions.size(); ++row)
        for (const char* name : {words[row][0], words[row][1], text::kDpiOptions[row]})
            if (equalsIgnoringCase(option, name))
                return static_cast<int>(row);
    throw usage("dpi-switch takes plus, minus or loop, not \"" + option + "\"");
}

Layer parseLayer(const std::string& text)
{
    if (equalsIgnoringCase(text, "A") || equalsIgnoringCase(text, text::kModeA) || text == "0")
        return Layer::A;
    if (equalsIgnoringCase(text, "B") || equalsIgnoringCase(text, text::kModeB) || text == "1")
        return Layer::B;
    throw usage("LAYER is A or B, not \"" + text + "\"");
}

const char* modeName(Layer layer) { return layer == Layer::A ? text::kModeA : text::kModeB; }

int assignButton(CliContext& context, const ButtonRequest& request)
{
    const Layer layer = parseLayer(request.layer);
    if (request.number < 1 || request.number > static_cast<int>(kButtonSlots))
        throw usage("NUMBER is the button's number, 1 to 12, not " + std::to_string(request.number));
    const auto slot = static_cast<std::size_t>(request.number - 1);
    const auto kind = functionKindOf(request.function);
    if (!kind)
        throw usage("unknown function \"" + request.function + "\"\n" + kFunctionHelp);
    const bool hasParameters =
        *kind == FunctionKind::DpiSwitch || (*kind >= FunctionKind::Windows && *kind <= FunctionKind::MacroKey);
    if (!hasParameters && !request.args.empty())
        throw usage("\"" + request.function + "\" takes no arguments");

    // What the label is made of goes into str.ini, which holds UTF-8 lines:
    // one invalid byte there would make the file read as GB18030 elsewhere.
    for (const std::string& arg : request.args)
        if (!isValidUtf8(arg))
            throw usage("\"" + printableText(arg) + "\" is not UTF-8 text; nothing was saved");

    Workspace& workspace = context.workspace();
    context.lockDataFolder();
    throwIf(workspace.loadConfig(), text::kNothingSaved);
    throwIf(workspace.loadLabels(), text::kNothingSaved);
    const Language language = workspace.language();
    ConfigStore& store = workspace.config();
    ButtonLabels& labels = workspace.labels();
    ButtonModel model(store.working(), labels, language, context.reporter());
    // Opening the key page on a first run sets the default labels.
    workspace.setFirstRunLabels();

    // As the user would: choose the layer with its mode button, open the
    // button's list, pick the row. The shown layer goes back afterwards: the
    // command changes a button, not the page.
    const std::uint8_t shownBefore = store.working()[img::kLayerShown];
    model.showLayer(layer == Layer::A ? 0 : 1);
    const ConfigImage before = store.working();
    const ButtonLabels labelsBefore = labels;
    const int dpiRow = *kind == FunctionKind::DpiSwitch ? dpiOptionRow(request) : -1;
    answerDialog(model, *kind, request, context);
    if (!model.toggleFunctionList(slot))
        throw CliError{std::string(modeName(layer)) + " button " + std::to_string(request.number) +
                       " keeps its function; nothing was saved"};
    const int row = static_cast<int>(*kind);
    if (*kind == FunctionKind::DpiSwitch) {
        model.hoverFunctionRow(row);
        model.chooseDpiOption(dpiRow);
    } else {
        model.chooseFunction(slot, row);
    }
    if (*kind == FunctionKind::Shift && store.working() == before && labels == labelsBefore)
        throw CliError{std::string(modeName(layer)) + " already has a Shift button among buttons 1 to 8; "
                                                      "nothing was changed or saved"};
    store.working()[img::kLayerShown] = shownBefore;

    // Only a label this command changed must be writable: an untouched one
    // with a stray byte keeps its bytes in str.ini.
    for (std::size_t i = 0; i < labels.size(); ++i)
        if (labels[i] != labelsBefore[i] && !isStorableIniText(labels[i]))
            throw usage("a label holds a line break or text that is not UTF-8; nothing was saved");

    const ButtonCode code = encodeButton(store.working(), layer, slot);
    const auto strIni = workspace.labelsPath();
    auto describe = [&](bool sent) {
        std::cout << modeName(layer) << ", button " << request.number << ": " << model.label(layer, slot)
                  << "\n  button code " << hexBytes(code) << "\n  saved " << store.path().string() << " and "
                  << strIni.string() << " [" << labelSectionName(language) << "]" << (sent ? "; sent to the mouse" : "")
                  << "\n";
    };
    if (request.apply) {
        context.connect();
        throwUnlessApplied(workspace.apply(context.session()));
        describe(true);
        return 0;
    }
    // Both files or neither.
    throwIf(workspace.save(kSaveConfig | kSaveLabels), text::kNothingSaved);
    describe(false);
    return 0;
}

int showLabels(CliContext& context)
{
    const Language language = systemLanguage();
    const auto strIni = context.dataDir().path / kLabelsFileName;
    ButtonLabels labels{};
    SkinSettings skin;
    if (const FileResult read = readLabels(strIni, language, labels, skin); !read)
        throw cliError(*read.problem);
    std::cout << "Button labels in " << strIni.string() << " [" << labelSectionName(language) << "]\n";
    for (const Layer layer : {Layer::A, Layer::B}) {
        std::cout << modeName(layer) << "\n";
        for (std::size_t slot = 0; slot < kButtonSlots; ++slot) {
            const std::size_t index = labelIndex(layer, slot);
            std::cout << "  " << std::setw(2) << slot + 1 << "  " << std::left << std::setw(8) << labelKey(index)
                      << std::right << "  " << printableText(labels[index]) << "\n";
        }
    }
    return 0;
}

} // namespace

void addButtonCommands(CLI::App& app, CliContext& context)
{
    auto request = std::make_shared<ButtonRequest>();
    auto* buttonCmd =
        app.add_subcommand("button", "Give a button a function, as the key page does, and save config.bin and str.ini");
    buttonCmd->footer(kFunctionHelp);
    buttonCmd->add_option("LAYER", request->layer, "A (\"Mode A\") or B (\"Mode B\")")->required();
    buttonCmd->add_option("NUMBER", request->number, "The button's number, 1 to 12")->required();
    buttonCmd->add_option("FUNCTION", request->function, "The function (see below)")->required();
    buttonCmd->add_option("ARGS", request->args, "The function's parameters");
    buttonCmd->add_flag("--apply", request->apply, "Also send the configuration to the mouse, as Apply does");
    runs(buttonCmd, context, [request](CliContext& cli) { return assignButton(cli, *request); });
    runs(app.add_subcommand("labels", "Show the 24 button labels of str.ini in the system language"), context,
         showLabels);
}

} // namespace varcel
