// The key page's settings from the command line: rate, dpi, rgb, color and
// dpi-color. Each goes through the key page's own model, saves config.bin and,
// with --apply, sends it as Apply does. A value the page's lists do not hold
// is refused with the values they do hold, and nothing is saved.

#include "buttons/labels_file.h"
#include "cli/cli_context.h"
#include "control/setting_edit.h"
#include "device/config_store.h"
#include "device/device_commands.h"
#include "lang/ui_strings.h"
#include "platform/ini_file.h"
#include "settings/key_page_settings.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>

namespace varcel {

namespace {

struct SettingsRequest {
    std::vector<std::string> args;
    bool apply = false;
};


// The texts of a setting's values, for a refusal that lists them.
std::string choicesText(SettingId id, int instance, std::uint8_t sensorType = 0)
{
    std::string text;
    for (const SettingChoice& choice : settingChoices(id, instance, sensorType))
        text += (text.empty() ? "" : ", ") + std::string(choice.text);
    return text;
}

std::string joined(const std::vector<std::string>& values)
{
    std::string text;
    for (const std::string& value : values)
        text += (text.empty() ? "" : ", ") + value;
    return text;
}

// A whole number from `low` to `high`, or nothing.
std::optional<int> numberIn(const std::string& text, int low, int high)
{
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int value = std::stoi(text);
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

// The place of `text` among `names`: its number from 1, or the name in any
// letter case; -1 for neither.
int numberOrName(const std::string& text, const std::vector<std::string>& names)
{
    if (const auto number = numberIn(text, 1, static_cast<int>(names.size())))
        return *number - 1;
    for (std::size_t row = 0; row < names.size(); ++row)
        if (equalsIgnoringCase(text, names[row]))
            return static_cast<int>(row);
    return -1;
}

// config.bin, its model, and what the command does with them.
class SettingsEdit {
public:
    SettingsEdit(CliContext& context, bool apply) : m_context(context), m_apply(apply), m_workspace(context.workspace())
    {
        // Read, change and save config.bin without another program's save between.
        m_context.lockDataFolder();
        throwIf(m_workspace.loadConfig(), text::kNothingSaved);
        if (m_apply) {
            // As the key page's first display does: the mouse's sensor type
            // chooses the DPI list before anything is read or sent.
            m_context.connect();
            m_sensorType = m_workspace.learnSensor(m_context.session());
        }
    }

    KeyPageSettings& model() { return m_model; }
    const ConfigImage& image() const { return m_workspace.config().working(); }

    // The DPI list holds the mouse's values. Without --apply, the mouse is
    // asked when it is there (a read only); without one, the list of sensor
    // type 0 is used, as the window does before it has met a mouse.
    // Returns whether the mouse told it.
    bool learnSensorType(bool quiet)
    {
        if (m_apply && m_context.session().commands().sensorKnown())
            return true;
        if (!m_apply) {
            m_context.connect(false);
            if (const auto sensor = mouseSensorType(m_context.session())) {
                m_sensorType = *sensor;
                return true;
            }
        }
        if (!quiet)
            std::cerr << "note: no mouse answered; the DPI values are those of sensor type 0 ("
                      << choicesText(SettingId::DpiStageValue, 0) << ")\n";
        return false;
    }

    // Makes the changes as the page does and saves config.bin (first-run
    // labels too, as the window's first key page writes them) or, with
    // --apply, sends and saves as Apply does.
    std::string save(std::initializer_list<SettingChange> changes)
    {
        throwUnlessEdited(editSettings(m_workspace, changes, m_sensorType, m_apply ? &m_context.session() : nullptr),
                          m_sensorType);
        const std::string path = m_workspace.config().path().string();
        return m_apply ? "saved " + path + "; sent to the mouse" : "saved " + path;
    }

private:
    CliContext& m_context;
    bool m_apply;
    Workspace& m_workspace;
    std::uint8_t m_sensorType = 0;
    KeyPageSettings m_model{m_workspace.config().working(), Language::English, [this] { return m_sensorType; }};
};

std::string argumentsHelp(const char* command);

void requireCount(const SettingsRequest& request, std::size_t count, const char* command)
{
    if (request.args.size() != count)
        throw usage(std::string("usage: varcelctl ") + command + " " + argumentsHelp(command));
}

std::string lower(std::string text)
{
    for (char& ch : text)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return text;
}

// The stage number of "1" to "4" or "DPI Stage1" ... "DPI Stage4".
int stageOf(const std::string& text)
{
    const int stage = numberOrName(text, {kDpiStageNames.begin(), kDpiStageNames.end()});
    if (stage < 0)
        throw usage("STAGE is 1, 2, 3 or 4, not \"" + text + "\"");
    return stage;
}

int rate(CliContext& context, const SettingsRequest& request)
{
    requireCount(request, 1, "rate");
    const auto choice = parseSettingValue(SettingId::ReportRate, 0, 0, request.args[0]);
    if (!choice)
        throw usage("no report rate \"" + request.args[0] + "\"; one of: " + choicesText(SettingId::ReportRate, 0) +
                    " (Hz)");
    SettingsEdit edit(context, request.apply);
    const std::string saved = edit.save({{SettingId::ReportRate, 0, choice->value}});
    std::cout << edit.model().name(SettingId::ReportRate, 0) << ": "
              << edit.model().valueText(SettingId::ReportRate, 0) << "\n  " << saved << "\n";
    return 0;
}

int dpi(CliContext& context, const SettingsRequest& request)
{
    requireCount(request, 2, "dpi");
    const int stage = stageOf(request.args[0]);
    const std::string& what = request.args[1];
    const auto onOrOff = parseSettingValue(SettingId::DpiStageEnabled, stage, 0, what);

    SettingsEdit edit(context, request.apply);
    KeyPageSettings& model = edit.model();
    const bool sensorKnown = edit.learnSensorType(onOrOff.has_value());
    const auto row = parseSettingValue(SettingId::DpiStageValue, stage, model.sensorType(), what);
    if (!onOrOff && !row)
        throw usage("no DPI value \"" + what + "\" for sensor type " + std::to_string(model.sensorType()) +
                    "; one of: " + choicesText(SettingId::DpiStageValue, stage, model.sensorType()) + ", or on, off");
    const std::string saved = edit.save({onOrOff ? SettingChange{SettingId::DpiStageEnabled, stage, onOrOff->value}
                                                 : SettingChange{SettingId::DpiStageValue, stage, row->value}});
    const std::string value = model.faceText(SettingId::DpiStageValue, stage);
    const int stored = edit.image()[img::kDpiValue + static_cast<std::size_t>(stage)];
    std::cout << kDpiStageNames[static_cast<std::size_t>(stage)] << ": " << (model.isOn(SettingId::DpiStageEnabled, stage) ? "on" : "off")
              << ", " << (!sensorKnown && onOrOff ? "row " + std::to_string(stored) : value.empty() ? "a row past the DPI list" : value)
              << "\n  " << saved << "\n";
    return 0;
}

int rgb(CliContext& context, const SettingsRequest& request)
{
    requireCount(request, 2, "rgb");
    const std::string& modeText = request.args[0];
    // The mode by number, list text in any language, or its first word.
    std::optional<SettingChoice> mode = parseSettingValue(SettingId::RgbMode, 0, 0, modeText);
    std::string names;
    for (const SettingChoice& choice : settingChoices(SettingId::RgbMode)) {
        const std::string english = choice.text;
        const std::string firstWord = english.substr(0, english.find(' '));
        if (equalsIgnoringCase(modeText, firstWord) || modeText == std::to_string(choice.code))
            mode = choice;
        names += (names.empty() ? "" : ", ") + std::to_string(choice.code) + " or " + lower(firstWord) + " (\"" +
                 english + "\")";
    }
    if (!mode)
        throw usage("no RGB mode \"" + modeText + "\"; one of: " + names);
    const int instance = mode->code - 1;
    const auto row = parseSettingValue(SettingId::RgbParameter, instance, 0, request.args[1]);
    if (!row)
        throw usage("no parameter \"" + request.args[1] + "\" for " + mode->text +
                    "; one of: " + choicesText(SettingId::RgbParameter, instance));

    SettingsEdit edit(context, request.apply);
    KeyPageSettings& model = edit.model();
    const std::string saved =
        edit.save({{SettingId::RgbMode, 0, mode->value}, {SettingId::RgbParameter, instance, row->value}});
    std::cout << "RGB effect: " << model.faceText(SettingId::RgbMode, 0) << ", "
              << model.faceText(SettingId::RgbParameter, model.parameterInstance()) << "\n  " << saved
              << "\n";
    return 0;
}

// "#RRGGBB"; the "#" may be left out, since a shell takes an unquoted one for a comment.
std::optional<unsigned> colourOf(const std::string& text)
{
    const std::string digits = !text.empty() && text[0] == '#' ? text.substr(1) : text;
    if (digits.size() != 6 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return std::nullopt;
    return static_cast<unsigned>(std::stoul(digits, nullptr, 16));
}

int color(CliContext& context, const SettingsRequest& request)
{
    requireCount(request, 2, "color");
    const auto number = numberIn(request.args[0], 1, static_cast<int>(img::kLoopColourCount));
    if (!number)
        throw usage("N is the loop colour's number, 1 to 8, not \"" + request.args[0] + "\"");
    const int colour = *number - 1;
    const std::string& what = request.args[1];
    const auto onOrOff = parseSettingValue(SettingId::LoopColourEnabled, colour, 0, what);
    const auto rgbValue = colourOf(what);
    if (!onOrOff && !rgbValue)
        throw usage("a loop colour is on, off or #RRGGBB (six hexadecimal digits, e.g. '#FF8000' or FF8000), not \"" +
                    what + "\"");

    SettingsEdit edit(context, request.apply);
    KeyPageSettings& model = edit.model();
    const std::string saved = edit.save({onOrOff ? SettingChange{SettingId::LoopColourEnabled, colour, onOrOff->value}
                                                 : SettingChange{SettingId::LoopColour, colour, *rgbValue}});
    std::cout << "Loop colour " << *number << ": " << model.valueText(SettingId::LoopColour, colour) << ", "
              << model.valueText(SettingId::LoopColourEnabled, colour) << "\n  " << saved << "\n";
    return 0;
}

int dpiColor(CliContext& context, const SettingsRequest& request)
{
    requireCount(request, 3, "dpi-color");
    const int stage = stageOf(request.args[0]);
    std::vector<std::string> bitNames;
    for (const LangText& name : kDpiColourBitNames)
        bitNames.emplace_back(name.en);
    const int bit = numberOrName(request.args[1], bitNames);
    if (bit < 0)
        throw usage("BIT is the tick box's number 1 to 4 or its label (" + joined(bitNames) + "), not \"" +
                    request.args[1] + "\"");
    const int instance = stage * kDpiColourBitCount + bit;
    const auto on = parseSettingValue(SettingId::DpiColourBit, instance, 0, request.args[2]);
    if (!on)
        throw usage("a DPI colour bit is on or off, not \"" + request.args[2] + "\"");

    SettingsEdit edit(context, request.apply);
    KeyPageSettings& model = edit.model();
    const std::string saved = edit.save({{SettingId::DpiColourBit, instance, on->value}});
    std::cout << kDpiStageNames[static_cast<std::size_t>(stage)] << " colour bits:";
    for (int b = 0; b < kDpiColourBitCount; ++b)
        std::cout << " " << bitNames[static_cast<std::size_t>(b)] << (model.isOn(SettingId::DpiColourBit, stage * kDpiColourBitCount + b) ? " on" : " off")
                  << (b + 1 < kDpiColourBitCount ? "," : "");
    std::cout << "\n  " << saved << "\n";
    return 0;
}

using Handler = int (*)(CliContext&, const SettingsRequest&);

// What the command's words are, from the rows it sets, with the values of
// the short lists.
std::string argumentsHelp(const char* command)
{
    std::string help;
    for (const Setting& row : settingCatalogue()) {
        if (!row.command || std::string(row.command) != command)
            continue;
        help += (help.empty() ? "" : "; ") + std::string(row.words);
        if (row.form == SettingForm::Choice && row.kept == 1)
            help += " (" + choicesText(row.id, 0) + (*row.unit ? std::string(" ") + row.unit : "") + ")";
    }
    return help;
}

void addOne(CLI::App& app, CliContext& context, const char* name, const char* description, Handler handler)
{
    auto request = std::make_shared<SettingsRequest>();
    auto* command = app.add_subcommand(name, description);
    command->add_option("ARGS", request->args, argumentsHelp(name));
    command->add_flag("--apply", request->apply, "Also send the configuration to the mouse, as Apply does");
    command->callback([&context, request, handler] {
        context.run = [&context, request, handler] { return handler(context, *request); };
    });
}

} // namespace

void throwUnlessEdited(const SettingEdit& edit, std::uint8_t sensorType)
{
    if (edit.code == SettingEditCode::NotSaved)
        throwIf(edit.problem, text::kNothingSaved);
    if (edit.code == SettingEditCode::NotApplied)
        throwUnlessApplied(edit.applied);
    if (edit.ok())
        return;
    // The command that turns a loop colour on, as the page's tick box would.
    const std::string hint =
        edit.code == SettingEditCode::LoopColourOff ? " (color " + std::to_string(edit.refused.instance + 1) + " on)" : "";
    const Language language = systemLanguage();
    throw CliError{settingEditText(edit, sensorType, language) + hint + "; " + text::kNothingSaved(language),
                   edit.code == SettingEditCode::LastStageStaysOn ? 1 : kUsageError};
}

void addSettingsCommands(CLI::App& app, CliContext& context)
{
    addOne(app, context, "rate", "Set the report rate, as the key page does, and save config.bin", rate);
    addOne(app, context, "dpi", "Turn a DPI stage on or off, or give it a DPI value, and save config.bin", dpi);
    addOne(app, context, "rgb", "Set the RGB effect and its parameter, and save config.bin", rgb);
    addOne(app, context, "color", "Turn a loop colour on or off or set it, and save config.bin", color);
    addOne(app, context, "dpi-color", "Set one colour bit of a DPI stage, and save config.bin", dpiColor);
}

} // namespace varcel
