// The pointer block of the advanced page from the command line, through the
// page's own model: the slider positions and check boxes live in config.bin;
// "default" writes the desktop at once, like the page's "Default"; "apply"
// gives the desktop what config.bin holds, like the pointer step of OK.

#include "cli/cli_context.h"
#include "control/pointer_page.h"
#include "control/setting_edit.h"
#include "device/config_store.h"
#include "lang/ui_strings.h"
#include "settings/setting_catalogue.h"

#include <CLI/CLI.hpp>
#include <iomanip>
#include <iostream>
#include <memory>
#include <sstream>

namespace varcel {

namespace {

struct PointerSession {
    explicit PointerSession(CliContext& cli)
        : context(cli), workspace(cli.workspace()), config(workspace.config()),
          desktop(pickPointerSettings(cli.dataDir().path)), page(config.working(), *desktop, cli.reporter())
    {
        // Read, change and save config.bin without another program's save between.
        cli.lockDataFolder();
        throwIf(workspace.loadConfig(), text::kNothingChanged);
    }
    CliContext& context;
    Workspace& workspace;
    ConfigStore& config;
    std::unique_ptr<PointerSettings> desktop;
    PointerPage page;
};

// One slider's position or tick box in config.bin, with the first-run
// labels as the window's first key page writes them; the desktop gets it
// with the next OK or Apply. Returns config.bin's path.
std::string savePointerSetting(CliContext& context, SettingId id, unsigned value)
{
    // Read, change and save config.bin without another program's save between.
    context.lockDataFolder();
    Workspace& workspace = context.workspace();
    throwIf(workspace.loadConfig(), text::kNothingChanged);
    const SettingChange change{id, 0, value};
    throwUnlessEdited(editSettings(workspace, {&change, 1}, 0), 0);
    return workspace.config().path().string();
}

// Failures were printed as they came; the exit status says there were some,
// and what failed is never announced as done.
bool failed(const CliContext& context, int failuresBefore) { return context.reportedFailures() > failuresBefore; }

int tellFailure(const PointerSession& session, const std::string& what)
{
    const Problem why = session.desktop->problem();
    std::cerr << "varcelctl: the desktop (" << session.desktop->name() << ") did not take " << what
              << (why ? ": " + failureText(*why, systemLanguage()) : "") << '\n';
    return 1;
}

const char* onOffText(bool on) { return on ? "on" : "off"; }

std::string linesText(std::uint32_t lines)
{
    return lines == kWheelPageScroll ? "one screen at a time" : std::to_string(lines) + " lines";
}

std::string where(const PointerSettings& desktop, PointerSetting setting)
{
    return desktop.reachesDesktop(setting) ? "desktop" : "kept by Varcel";
}

void row(const std::string& label, const std::string& value, const std::string& note)
{
    std::cout << "  " << std::left << std::setw(28) << label << std::setw(26) << value << note << '\n';
}

int showPointerSettings(CliContext& context)
{
    PointerSession session(context);
    const Language language = systemLanguage();
    const PointerPage& page = session.page;
    const auto label = [&](UiString id) { return std::string(uiString(language, id)); };
    std::cout << "In " << session.config.path().string() << " (applied to the desktop by OK or Apply):\n";
    const int speed = page.position(PointerSlider::Speed);
    const int lines = page.position(PointerSlider::Lines);
    const int click = page.position(PointerSlider::DoubleClick);
    row(label(UiString::MouseSpeed), "position " + std::to_string(speed),
        "speed " + std::to_string(pointer_map::speedValue(speed)) + " of 20");
    row(label(UiString::ScrollingSpeed), "position " + std::to_string(lines),
        linesText(pointer_map::linesValue(page.oneScreen(), lines)));
    row(label(UiString::DoubleClickSpeed), "position " + std::to_string(click),
        std::to_string(pointer_map::doubleClickValue(click)) + " ms");
    row(label(UiString::EnhancePointerPrecision), onOffText(page.precision()), "");
    row(label(UiString::ScrollOneScreen), onOffText(page.oneScreen()), "");

    PointerSettings& desktop = *session.desktop;
    std::cout << "Desktop now (backend \"" << desktop.name() << "\": " << desktop.describe() << "):\n";
    const auto parameters = desktop.mouseParameters();
    const auto speedNow = desktop.speed();
    const auto linesNow = desktop.wheelScrollLines();
    const std::uint32_t time = desktop.doubleClickTime();
    const Problem why = desktop.problem();
    const auto unread = "could not be read" + (why ? " (" + failureText(*why, systemLanguage()) + ")" : std::string());
    row("pointer precision", parameters ? onOffText(parameters->acceleration != 0) : unread,
        where(desktop, PointerSetting::Precision));
    row("pointer speed", speedNow ? std::to_string(*speedNow) + " of 20" : unread,
        speedNow ? "position " + std::to_string(pointer_map::speedPosition(*speedNow)) + ", " +
                       where(desktop, PointerSetting::Speed)
                 : where(desktop, PointerSetting::Speed));
    const std::string linesPlace =
        where(desktop, PointerSetting::WheelLines) + " (one screen: " + where(desktop, PointerSetting::OneScreen) + ")";
    row("wheel scroll", linesNow ? linesText(*linesNow) : unread,
        linesNow && *linesNow != kWheelPageScroll
            ? "position " + std::to_string(pointer_map::linesPosition(*linesNow).position) + ", " + linesPlace
            : linesPlace);
    row("double-click time", time ? std::to_string(time) + " ms" : unread,
        time ? "position " + std::to_string(pointer_map::doubleClickPosition(time)) + ", " +
                   where(desktop, PointerSetting::DoubleClick)
             : where(desktop, PointerSetting::DoubleClick));
    return 0;
}

int restoreDefaults(CliContext& context)
{
    PointerSession session(context);
    const int before = context.reportedFailures();
    session.page.restoreDefaults();
    throwUnlessEdited(editSettings(session.workspace, {}, 0), 0);
    // config.bin holds the positions either way, as after the page's "Default".
    if (failed(context, before))
        return tellFailure(session, "all of the default pointer settings; " + session.config.path().string() +
                                        " holds positions 6, 3 and 6");
    std::cout << "The desktop got the default pointer settings (speed 10, 3 lines, 500 ms, precision off); "
              << session.config.path().string() << " holds positions 6, 3 and 6\n";
    return 0;
}

int applyPositions(CliContext& context)
{
    PointerSession session(context);
    const int before = context.reportedFailures();
    session.page.writePositions();
    if (failed(context, before))
        return tellFailure(session, "all of the pointer settings of " + session.config.path().string());
    std::cout << "The desktop (" << session.desktop->name() << ") got the pointer settings of "
              << session.config.path().string() << '\n';
    return 0;
}

// The catalogue's pointer rows as their words after "pointer" say them: a
// slider's "set NAME N", a tick box's "NAME STATE|STATE".
struct PointerWord {
    SettingId id;
    std::string name;                // the slider's after "set", or the box's subcommand
    std::vector<std::string> states; // a box's: "on", "off"
};

// The sliders' rows hold a step of a list, the tick boxes' a flag.
std::vector<PointerWord> pointerWords(bool sliders)
{
    std::vector<PointerWord> words;
    for (const Setting& row : settingCatalogue()) {
        if (!row.command || std::string_view(row.command) != "pointer" || (row.form == SettingForm::Choice) != sliders)
            continue;
        std::istringstream in(row.words);
        std::string verb, rest;
        in >> verb >> rest;
        PointerWord word{row.id, sliders ? rest : verb, {}};
        for (std::istringstream states(sliders ? "" : rest); std::getline(states, verb, '|');)
            word.states.push_back(verb);
        words.push_back(std::move(word));
    }
    return words;
}

// "a, b or c", with `last` before the last name.
std::string listed(const std::vector<std::string>& names, const char* last)
{
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? last : ", ") + names[i];
    return text;
}

std::string sliderNames(const char* last)
{
    std::vector<std::string> names;
    for (const PointerWord& slider : pointerWords(true))
        names.push_back(slider.name);
    return listed(names, last);
}

int setSlider(CliContext& context, const std::string& which, const std::string& value)
{
    const std::vector<PointerWord> sliders = pointerWords(true);
    const auto row = std::ranges::find(sliders, which, &PointerWord::name);
    if (row == sliders.end())
        throw CliError{"the sliders are " + sliderNames(" and ") + ", not \"" + which + "\"", 2};
    const bool digits =
        !value.empty() && value.size() <= 2 && value.find_first_not_of("0123456789") == std::string::npos;
    const int position = digits ? std::stoi(value) : 0;
    if (position < 1 || position > kSliderSteps)
        throw CliError{"a slider position is 1 to 11, not \"" + value + "\"", 2};
    const std::string path = savePointerSetting(context, row->id, static_cast<unsigned>(position));
    std::cout << which << " set to position " << position << " in " << path
              << "; the desktop gets it with the next OK or Apply (or varcelctl pointer apply)\n";
    return 0;
}

int setBox(CliContext& context, const PointerWord& box, const std::string& value)
{
    if (std::ranges::find(box.states, value) == box.states.end())
        throw CliError{"say " + listed(box.states, " or ") + ", not \"" + value + "\"", 2};
    const std::string path = savePointerSetting(context, box.id, value == "on");
    std::cout << box.name << ' ' << value << " in " << path
              << "; the desktop gets it with the next OK or Apply (or varcelctl pointer apply)\n";
    return 0;
}

} // namespace

void addPointerCommands(CLI::App& app, CliContext& context)
{
    auto* pointer = app.add_subcommand(
        "pointer", "The desktop's pointer settings of the advanced page: show them (no subcommand) or change them");
    pointer->require_subcommand(0, 1);
    pointer->footer("Backend: GNOME (GSettings), KDE Plasma (kdeglobals) or stored in the data folder; "
                    "$VARCEL_POINTER_SETTINGS=gnome|kde|stored chooses one.");
    pointer->callback([&context, pointer] {
        if (pointer->get_subcommands().empty())
            context.run = [&context] { return showPointerSettings(context); };
    });

    auto* defaultCmd = pointer->add_subcommand(
        "default", "What \"Default\" does: the desktop gets its defaults at once, config.bin the matching positions");
    defaultCmd->callback([&context] { context.run = [&context] { return restoreDefaults(context); }; });

    auto* applyCmd = pointer->add_subcommand("apply", "Give the desktop the settings config.bin holds");
    applyCmd->callback([&context] { context.run = [&context] { return applyPositions(context); }; });

    auto args = std::make_shared<std::vector<std::string>>(2);
    auto* setCmd =
        pointer->add_subcommand("set", "Move a slider (1 to " + std::to_string(kSliderSteps) + ") in config.bin");
    setCmd->add_option("SLIDER", (*args)[0], sliderNames(" or "))->required();
    setCmd->add_option("N", (*args)[1], "Position 1 to " + std::to_string(kSliderSteps))->required();
    setCmd->callback(
        [&context, args] { context.run = [&context, args] { return setSlider(context, (*args)[0], (*args)[1]); }; });

    for (const PointerWord& word : pointerWords(false)) {
        auto* box = pointer->add_subcommand(word.name, std::string("Tick or untick \"") + setting(word.id).name.en +
                                                           "\" in config.bin");
        box->add_option("STATE", (*args)[1], listed(word.states, " or "))->required();
        box->callback([&context, args, word] {
            context.run = [&context, args, word] { return setBox(context, word, (*args)[1]); };
        });
    }
}

} // namespace varcel
