// Commands about the macros, run through the macro page's model as a user of
// the page would: select the macro, edit, "Confirm". Changes of the macro
// blocks go to config.bin and reach the mouse with the next apply.

#include "cli/cli_context.h"
#include "device/config_store.h"
#include "keys/key_tables.h"
#include "lang/dialog_strings.h"
#include "macros/macro_encoder.h"
#include "macros/macro_entry.h"
#include "macros/macro_page.h"
#include "macros/macro_store.h"
#include "platform/ini_file.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <memory>

namespace varcel {

namespace {

const char* kEntryHelp =
    "ENTRY forms (added at the end; two events in a row get a 50 ms pause between them):\n"
    "  \"KEY Dn\", \"KEY Up\"   a key press or release; KEY as the key-name table spells it\n"
    "                       (A, F5, Enter, \"Caps Lock\", Ctrl, \"Right Shift\", L-Button, R-Button, M-Button...)\n"
    "  \"L-Button Click\"     a press and a release (also R-Button, M-Button)\n"
    "  \"N ms\"               the pause after the last event, N from 50 to 10000";

// One page session over the data folder's files. The page's saves of
// record.ini are held and written with config.bin, both or neither.
struct Session {
    explicit Session(CliContext& cli)
        : workspace(cli.workspace()), macros(workspace.macros()), config(workspace.config()),
          page(macros, config.working(), systemLanguage(), cli.reporter())
    {
        macros.holdChanges();
    }
    Workspace& workspace;
    MacroStore& macros;
    ConfigStore& config;
    MacroPage page;
};

// Loads config.bin (the blocks live there) and shows the page.
// A file that is there but cannot be read stops every command before anything
// is written: taken as empty, it would be saved over.
std::unique_ptr<Session> openPage(CliContext& context, bool needConfig)
{
    context.lockDataFolder();
    auto session = std::make_unique<Session>(context);
    throwIf(session->workspace.checkMacros(), text::kNothingChanged);
    throwIf(session->workspace.loadConfig(needConfig), text::kNothingChanged);
    if (needConfig)
        throwIf(session->workspace.loadLabels(), text::kNothingChanged);
    session->page.build();
    return session;
}

// Selects the macro named `name` in any case; its name as record.ini has it.
std::string selectByName(MacroPage& page, const std::string& name)
{
    const auto& names = page.macros();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (equalsIgnoringCase(names[i], name)) {
            page.selectMacro(static_cast<int>(i));
            // No loop field is shown here: a macro without entries yet gets
            // the lowest count when it is first confirmed, not the count the
            // first macro's field would carry over in the window.
            if (page.events().empty())
                page.setLoopText("1");
            return names[i];
        }
    }
    throw usage("record.ini has no macro \"" + name + "\" (see varcelctl macro list)");
}

void printBlock(std::span<const std::uint8_t, kMacroBlockSize> block)
{
    for (std::size_t row = 0; row < kMacroBlockSize; row += 16) {
        char offset[8];
        std::snprintf(offset, sizeof offset, "  %02zX: ", row);
        std::cout << offset << hexBytes(block.subspan(row, 16)) << '\n';
    }
}

// Writes what the page changed: config.bin (with the first-run labels, as
// the window's first key page writes them) and record.ini when asked, in one
// transaction.
void saveFiles(Session& session, unsigned files)
{
    if ((files & kSaveConfig) && session.workspace.setFirstRunLabels())
        files |= kSaveLabels;
    throwIf(session.workspace.save(files), text::kNothingChanged);
}

// The name by value: it may come from the page's list, which is rebuilt here.
void confirmAndSave(Session& session, std::string name)
{
    if (!session.page.confirm())
        throw CliError{"macro \"" + name + "\" was not saved"};
    // The page shown again, with the macro selected: a new macro's loop
    // count of 0 is corrected to 1 there, as the window does when the
    // user looks.
    session.page.build();
    selectByName(session.page, name);
    saveFiles(session, kSaveConfig | kSaveMacros);
    const auto names = session.macros.list();
    std::size_t number = 0;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (equalsIgnoringCase(names[i], name))
            number = i + 1;
    std::cout << "Saved \"" << name << "\" as macro " << number << " of " << session.macros.path().string()
              << " and rebuilt the macro blocks of " << session.config.path().string() << '\n';
    if (number > kMacroCount)
        std::cout << "note: the mouse keeps only macros 1 to " << kMacroCount << '\n';
}

int list(CliContext& context)
{
    const auto session = openPage(context, false);
    // One macro at a time: a large record.ini is listed without holding it.
    std::size_t number = 0;
    session->macros.forEachMacro([&](StoredMacro&& macro) {
        if (number++ == 0)
            std::cout << "Macros in " << session->macros.path().string() << " (number = block on the mouse):\n";
        const MacroFit fit = measureMacro(macro.entries);
        std::cout << "  " << number << ". " << macro.name << ": " << macro.entries.size() << " entries, " << fit.events
                  << " events, " << fit.bytes << " of " << kEventStreamSize << " bytes";
        if (number <= kMacroCount)
            std::cout << ", loop " << loopCount(session->config.working(), number);
        else
            std::cout << " (past the twelfth block: not on the mouse)";
        std::cout << '\n';
        return true;
    });
    if (number == 0)
        std::cout << "No macros in " << session->macros.path().string() << '\n';
    return 0;
}

int showMacro(CliContext& context, const std::string& name)
{
    const auto session = openPage(context, false);
    MacroPage& page = session->page;
    const std::string shownName = selectByName(page, name);
    std::cout << "Macro \"" << shownName << "\", number " << page.selectedMacro() + 1 << ", " << page.events().size()
              << " entries:\n";
    for (std::size_t i = 0; i < page.events().size(); ++i) {
        const std::string& entry = page.events()[i];
        std::cout << "  Item" << i << "=" << entry;
        if (isKeyEvent(entry) && keyCodeOfName(entryKeyName(entry)) == 0)
            std::cout << "   (not in the key-name table: the mouse gets code 0)";
        std::cout << '\n';
    }
    const std::size_t number = page.selectedBlock();
    if (number == 0) {
        std::cout << "Past the twelfth block: the mouse has no room for it.\n";
        return 0;
    }
    ConfigImage fresh = session->config.working();
    encodeMacroBlock(macroBlockOf(fresh, number), page.events());
    std::cout << "Block " << number << " in " << session->config.path().string() << " (loop count "
              << loopCount(session->config.working(), number) << "):\n";
    printBlock(macroBlockOf(std::as_const(session->config.working()), number));
    if (fresh != session->config.working()) {
        std::cout << "It differs from what record.ini gives now; \"varcelctl macro confirm " << shownName
                  << "\" rebuilds it:\n";
        printBlock(macroBlockOf(std::as_const(fresh), number));
    }
    return 0;
}

int newMacro(CliContext& context, const std::string& name)
{
    if (!isStorableIniText(name))
        throw usage("a macro name cannot hold a line break or text that is not UTF-8");
    const auto session = openPage(context, true);
    MacroPage& page = session->page;
    if (!page.setNameText(name))
        throw usage("a macro name holds at most " + std::to_string(kMacroNameLength) + " characters");
    // The page has said why; a name it cannot take is the caller's mistake.
    const std::string& text = page.nameText();
    const auto first = text.find_first_not_of(" \t");
    const bool badName = first == std::string::npos ||
                         !isStorableMacroName(text.substr(first, text.find_last_not_of(" \t") - first + 1));
    if (!page.newMacro())
        throw CliError{"no macro was added", badName ? 2 : 1};
    confirmAndSave(*session, page.macros().back());
    return 0;
}

// Appends the entries the way the page's own commands shape a list: events and
// pauses alternate, starting with an event.
void appendEntries(MacroPage& page, const std::vector<std::string>& args)
{
    for (const std::string& arg : args) {
        if (!isStorableIniText(arg))
            throw usage("an entry cannot hold a line break or text that is not UTF-8");
        const auto lastIsPause = [&] {
            return !page.events().empty() && classifyEntry(page.events().back()) == EntryKind::Pause;
        };
        const auto addEvent = [&](const std::string& entry) {
            if (!page.events().empty() && !lastIsPause())
                page.appendEntry(pauseEntry(kDefaultPause));
            page.appendEntry(entry);
        };

        // "N ms" or "Nms".
        std::string compact;
        for (const char c : arg)
            if (c != ' ')
                compact += c;
        if (compact.size() > 2 && compact.ends_with("ms") &&
            compact.find_first_not_of("0123456789") == compact.size() - 2) {
            const int value = leadingInteger(compact);
            if (value < MacroPage::kShortestEditedPause || value > MacroPage::kLongestEditedPause)
                throw usage("a pause is 50 to 10000 ms, not \"" + arg + "\"");
            if (lastIsPause()) {
                page.selectEvent(static_cast<int>(page.events().size()) - 1);
                page.deleteEvent();
            }
            page.appendEntry(pauseEntry(value));
            continue;
        }

        // "KEY Dn", "KEY Up", "X-Button Click": the last word says which.
        const auto space = arg.find_last_of(' ');
        const std::string word = space == std::string::npos ? "" : arg.substr(space + 1);
        std::string key = space == std::string::npos ? "" : arg.substr(0, space);
        while (!key.empty() && key.back() == ' ')
            key.pop_back();
        const bool press = equalsIgnoringCase(word, "Dn") || equalsIgnoringCase(word, "Down");
        const bool release = equalsIgnoringCase(word, "Up");
        const bool click = equalsIgnoringCase(word, "Click");
        if (key.empty() || !(press || release || click))
            throw usage("cannot read the entry \"" + arg + "\"\n" + kEntryHelp);
        if (click) {
            const std::string row = key + " Click";
            bool known = false;
            for (std::size_t i = 0; i < 3; ++i)
                known = known || equalsIgnoringCase(row, text::kMouseEvents[i]);
            if (!known)
                throw usage("only L-Button, R-Button and M-Button have a Click, not \"" + arg + "\"");
        }
        noteUnknownKey(key, keyCodeOfName(key) != 0);
        if (click) {
            addEvent(pressEntry(key));
            addEvent(releaseEntry(key));
        } else {
            addEvent(press ? pressEntry(key) : releaseEntry(key));
        }
    }
}

// With no entries, what "Confirm" alone does.
int add(CliContext& context, const std::string& name, const std::vector<std::string>& entries)
{
    const auto session = openPage(context, true);
    MacroPage& page = session->page;
    const std::string shownName = selectByName(page, name);
    appendEntries(page, entries);
    confirmAndSave(*session, shownName);
    return 0;
}

int remove(CliContext& context, const std::string& name)
{
    const auto session = openPage(context, false);
    MacroPage& page = session->page;
    const std::string shownName = selectByName(page, name);
    const auto before = page.macros().size();
    page.deleteMacro();
    if (page.macros().size() == before)
        throw CliError{"macro \"" + shownName + "\" was not deleted"};
    saveFiles(*session, kSaveMacros);
    std::cout << "Deleted \"" << shownName << "\" from " << session->macros.path().string()
              << ". The macros after it moved up one number; their blocks in config.bin are rebuilt by the "
                 "next \"varcelctl macro confirm\".\n";
    return 0;
}

int loop(CliContext& context, const std::string& name, const std::string& countText)
{
    const auto session = openPage(context, true);
    MacroPage& page = session->page;
    selectByName(page, name);
    const bool digits = !countText.empty() && countText.find_first_not_of("0123456789") == std::string::npos;
    const int count = digits ? leadingInteger(countText) : 0;
    if (count < MacroPage::kLowestLoopCount || count > MacroPage::kHighestLoopCount)
        throw usage("the loop count is a number from 1 to 65535, not \"" + countText + "\"");
    const std::size_t number = page.selectedBlock();
    if (number == 0)
        throw CliError{"macro \"" + name + "\" lies past the twelfth block; the mouse has no loop count for it"};
    page.setLoopText(countText);
    saveFiles(*session, kSaveConfig);
    std::cout << "Macro " << number << " \"" << page.macros()[static_cast<std::size_t>(page.selectedMacro())]
              << "\" loops " << loopCount(session->config.working(), number) << " times; saved "
              << session->config.path().string() << '\n';
    return 0;
}

} // namespace

void addMacroCommands(CLI::App& app, CliContext& context)
{
    auto* macro = app.add_subcommand("macro", "The macros of record.ini and their blocks in config.bin");
    macro->require_subcommand(1);
    runs(macro->add_subcommand("list", "List the macros in macro-number order"), context, list);
    addNamed(macro, context, "show", "Show a macro's entries and its block in config.bin in hex",
             "Macro name (any letter case)", showMacro);
    addNamed(macro, context, "new",
             "Add an empty macro (New, then Confirm): it becomes the last macro and its block is cleared",
             "At most 31 characters, without [ ] = or a line break", newMacro);

    auto entries = std::make_shared<std::vector<std::string>>();
    addNamed(macro, context, "add", "Append entries to a macro and confirm it (it keeps its number)", "Macro name",
             [entries](CliContext& cli, const std::string& name) { return add(cli, name, *entries); })
        ->footer(kEntryHelp)
        ->add_option("ENTRY", *entries, "Entries to append")
        ->required();
    addNamed(macro, context, "delete", "Delete a macro from record.ini", "Macro name", remove);
    addNamed(macro, context, "confirm", "Save a macro again (it keeps its number) and rebuild all blocks in config.bin",
             "Macro name", [](CliContext& cli, const std::string& name) { return add(cli, name, {}); });
    auto count = std::make_shared<std::string>();
    addNamed(macro, context, "loop", "Set a macro's loop count (1 to 65535) in config.bin", "Macro name",
             [count](CliContext& cli, const std::string& name) { return loop(cli, name, *count); })
        ->add_option("N", *count, "Loop count, 1 to 65535")
        ->required();
}

} // namespace varcel
