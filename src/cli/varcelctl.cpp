// varcelctl's run: the options, the commands, and the way through a running
// Varcel when there is one.
#include "cli/cli_context.h"
#include "platform/file_read.h"
#include "platform/ini_file.h"
#include "service/bus_client.h"
#include "service/bus_probe.h"
#include "service/dbus_names.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <sstream>

namespace varcel {

namespace {

// The options that choose the folder and the mouse: the running program has
// its own, so they are not passed on.
bool choosesFolderOrMouse(const std::string& arg, bool& takesValue)
{
    for (const char* option :
         {"--data-dir", "--sim-unplug-after", "--sim-fault", "--link", "--sim-link", "--capture"}) {
        takesValue = arg == option;
        if (takesValue || arg.rfind(std::string(option) + "=", 0) == 0)
            return true;
    }
    return arg == "--simulate";
}

// The command line as the running program takes it: without the program's
// name and the folder and mouse options. A profile's file is read and
// written here, never by the running program: export's FILE (set in
// `file`, as import's) is left out, import's is named for its messages only.
std::vector<std::string> forwardedArgs(const std::vector<std::string>& args, const std::string& command,
                                       std::string& file)
{
    std::vector<std::string> forwarded;
    bool commandSeen = false;
    bool fileSeen = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        bool takesValue = false;
        if (!commandSeen && choosesFolderOrMouse(args[i], takesValue)) {
            i += takesValue ? 1 : 0;
            continue;
        }
        const std::string& arg = args[i];
        if (commandSeen && !fileSeen && (command == "export" || command == "import") && !arg.empty() && arg[0] != '-') {
            fileSeen = true;
            file = arg;
            if (command == "import")
                forwarded.push_back(printableText(arg));
            continue;
        }
        commandSeen = commandSeen || arg == command;
        forwarded.push_back(arg);
    }
    return forwarded;
}

// What is wrong when a Varcel owns the bus name but does not answer.
std::string silentMessage(const RunningVarcel& running)
{
    const std::string pid = running.pid ? std::to_string(running.pid) : "PID";
    return "a running Varcel" + (running.pid ? " (process " + pid + ")" : std::string()) +
           " owns the bus name but does not answer: it is stopped or stuck; nothing was done. Let it go on "
           "(kill -CONT " +
           pid + ") or end it (kill " + pid + "), then run the command again";
}

// The bus, when a Varcel runs there on the same folder with the same kind
// of mouse. A Varcel that does not answer is told rather than worked around:
// its files and its mouse may be half-way through a change.
std::unique_ptr<BusClient> runningOnSameFolder(CliContext& context)
{
    // Most of the time no Varcel runs: the bus says so before GIO is loaded.
    // A bus that does not answer at once is left to GIO, which tells it.
    if (probeSessionNameOwner(bus::kName, std::chrono::milliseconds(250)) == NameOwner::None)
        return nullptr;
    std::string why;
    auto bus = BusClient::connect(&why);
    if (!bus) {
        if (why.find("does not answer") != std::string::npos)
            std::cerr << "varcelctl: " << why << "; going on without the running Varcel, if any\n";
        return nullptr;
    }
    const auto running = bus->running();
    if (running && !running->answers)
        throw CliError{silentMessage(*running)};
    if (!running || !servesSameFolder(*running, context.dataDir().path.string(), context.simulate))
        return nullptr;
    return bus;
}

// The running Varcel's answer to this command line, when one serves the
// same folder with the same kind of mouse.
std::optional<int> throughRunningProgram(CliContext& context, const std::vector<std::string>& args,
                                         const std::string& command)
{
    // A misbehaving simulated mouse, other link constants or a capture ask
    // for a mouse of this command's own, never the running one.
    if (context.simFault != "none" || !context.linkOption.empty() || !context.simLinkOption.empty() ||
        !context.captureFile.empty() || !goesThroughRunningProgram(command))
        return std::nullopt;
    const auto bus = runningOnSameFolder(context);
    if (!bus)
        return std::nullopt;
    std::string file;
    const std::vector<std::string> forwarded = forwardedArgs(args, command, file);
    // The bus carries text: a word that is not UTF-8 would arrive changed.
    for (const std::string& arg : forwarded)
        if (!isValidUtf8(arg))
            throw usage("\"" + printableText(arg) + "\" is not UTF-8 text; nothing was done");
    std::optional<std::string> input;
    if (command == "import") {
        const FileRead read = readRegularFile(file, kMaxProfileFileSize);
        if (!read.ok())
            throw cliError(readFailure(file, read), kUsageError);
        input = read.bytes;
    }
    std::string error;
    const auto output = bus->runCommand(forwarded, input ? &*input : nullptr, &error);
    if (!output)
        throw CliError{"the running Varcel did not finish the command (" + error +
                       "); it may have done part of it, and the mouse may hold part of it: run \"varcelctl apply\" "
                       "to send the stored configuration whole, and check the files with \"varcelctl show\""};
    std::cerr << output->err << std::flush;
    if (command == "export" && !file.empty() && output->ok())
        return writeProfileText(context, file, output->out);
    std::cout << output->out << std::flush;
    return output->status;
}

// `watch` while Varcel runs: the mouse is the running program's, so its
// events come from there.
std::optional<int> watchRunningProgram(CliContext& context)
{
    const auto bus = runningOnSameFolder(context);
    if (!bus)
        return std::nullopt;
    const int stop = watchSignalsFd();
    std::cout << "Watching the mouse through the running Varcel; Ctrl+C ends." << std::endl;
    const int status =
        bus->watch([](const std::string& kind, int value) { std::cout << kind << ' ' << value << std::endl; }, stop);
    if (status != 0)
        std::cout << "Varcel ended" << std::endl;
    return 0;
}

using AddCommands = void (*)(CLI::App&, CliContext&);

// The groups of commands, in the order help lists them, and the words of
// the commands each adds.
constexpr std::pair<AddCommands, std::string_view> kCommandGroups[] = {
    {addDeviceCommands, "status show"},
    {addSessionCommands, "apply sensor device watch sim"},
    {addButtonCommands, "button labels"},
    {addMacroCommands, "macro"},
    {addSettingsCommands, "rate dpi rgb color dpi-color"},
    {addProfileCommands, "profile export import"},
    {addPointerCommands, "pointer"},
    {addLinkCommands, "link"},
    {addDoctorCommand, "doctor"},
};

// The line's first word that is neither one of the program's own options
// (the ones added so far) nor such an option's value. Empty when the line
// ends with the version after those options only, which needs no command;
// nothing when anything else comes first: help, the version followed by
// more, an option it does not know, "--".
std::optional<std::string> commandWord(const CLI::App& app, const CLI::Option* version,
                                       const std::vector<std::string>& args)
{
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!arg.empty() && arg[0] != '-')
            return arg;
        const std::string name = arg.substr(0, arg.find('='));
        const CLI::Option* option = app.get_option_no_throw(name);
        if (option == version && name.size() == arg.size() && i + 1 == args.size())
            return std::string();
        if (!option || option == app.get_help_ptr() || option == version)
            return std::nullopt;
        if (option->get_expected_min() > 0 && name.size() == arg.size())
            ++i;
    }
    return std::nullopt;
}

bool addsWord(std::string_view words, std::string_view word)
{
    for (std::size_t at = 0; at <= words.size();) {
        const std::size_t end = std::min(words.find(' ', at), words.size());
        if (words.substr(at, end - at) == word)
            return true;
        at = end + 1;
    }
    return false;
}

// Building every command costs a short command more than its own work: a
// line that names its command builds that command's group alone, which
// parses it as all of them would (once a command is found, the others are
// not looked at). The version alone needs none; help and lines without a
// command see all.
void addCommands(CLI::App& app, CliContext& context, const CLI::Option* version, const std::vector<std::string>& args)
{
    const std::optional<std::string> word = commandWord(app, version, args);
    if (word && word->empty())
        return;
    bool added[std::size(kCommandGroups)] = {};
    for (std::size_t i = 0; i < std::size(kCommandGroups) && word; ++i)
        if (addsWord(kCommandGroups[i].second, *word)) {
            kCommandGroups[i].first(app, context);
            added[i] = true;
            if (!app.get_subcommands([&word](CLI::App* command) { return command->check_name(*word); }).empty())
                return;
        }
    for (std::size_t i = 0; i < std::size(kCommandGroups); ++i)
        if (!added[i])
            kCommandGroups[i].first(app, context);
}

} // namespace

CLI::App* addNamed(CLI::App* parent, CliContext& context, const std::string& name, const std::string& description,
                   const std::string& nameHelp, std::function<int(CliContext&, const std::string&)> work)
{
    auto word = std::make_shared<std::string>();
    CLI::App* command = parent->add_subcommand(name, description);
    command->add_option("NAME", *word, nameHelp)->required();
    return runs(command, context, [word, work = std::move(work)](CliContext& cli) { return work(cli, *word); });
}

int runVarcelctl(const std::vector<std::string>& args, const CliHost* host)
{
    CLI::App app{"Configure the Varcel gaming mouse (USB 04D9:A09F) from the command line.", "varcelctl"};
    const CLI::Option* version = app.set_version_flag("--version", std::string("varcelctl ") + VARCEL_VERSION);
    app.require_subcommand(1);

    CliContext context;
    context.host = host;
    CLI::Option* simulate =
        app.add_flag("--simulate", context.simulate, "Use the built-in simulated mouse instead of the real one");
    // A folder given must be there: an empty or mistyped one would quietly
    // fall back to another folder's files.
    app.add_option("--data-dir", context.dataDirOption,
                   "Folder of config.bin, record.ini and str.ini (default: beside the program, else ~/.config/varcel)")
        ->check(CLI::ExistingDirectory);
    app.add_flag("--trace", context.trace, "Print every report exchanged with the mouse, in plain form");
    app.add_flag("--trace-wire", context.traceWire,
                 "Print every command report and reply as it is on the wire (scrambled) beside its plain form, "
                 "to compare with a capture of the real mouse");
    app.add_option("--sim-fault", context.simFault,
                   "Make the simulated mouse misbehave: none, plain, silent, short, unplug-after, command-first, "
                   "unopenable-first, oversize, wrong-block, bad-checksum, refuse-once")
        ->capture_default_str();
    app.add_option("--sim-unplug-after", context.simUnplugAfter,
                   "With --sim-fault unplug-after: reports the simulated mouse takes or gives (the replies and "
                   "data the program reads count too) before it is pulled out; with refuse-once: the number of "
                   "the report it refuses")
        ->check(CLI::NonNegativeNumber);

    // A value that is not KEY:TABLE is refused before anything runs.
    const CLI::Validator linkValue(checkLinkOption, "");
    app.add_option("--link", context.linkOption,
                   "Link constants for this run only, as KEY:TABLE (12 and 16 hex digits); the data folder's "
                   "link file and the built-in ones are left alone")
        ->type_name("KEY:TABLE")
        ->check(linkValue);
    app.add_option("--sim-link", context.simLinkOption,
                   "Make the simulated mouse scramble with these link constants (KEY:TABLE)")
        ->type_name("KEY:TABLE")
        ->check(linkValue)
        ->needs(simulate);
    app.add_option("--capture", context.captureFile,
                   "Write what the simulated mouse sends and receives to FILE, as a usbmon capture (pcap)")
        ->type_name("FILE")
        ->needs(simulate);

    addCommands(app, context, version, args);

    std::vector<std::string> reversed(args.rbegin(), args.rend() - (args.empty() ? 0 : 1));
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        // CLI11 prints its message; every usage error is status 2.
        return app.exit(e) == 0 ? 0 : kUsageError;
    }
    try {
        const std::string command = app.get_subcommands().empty() ? "" : app.get_subcommands().front()->get_name();
        if (!host && command == "watch") {
            blockWatchSignals();
            if (const auto watched = watchRunningProgram(context))
                return *watched;
        }
        if (!host)
            if (const auto status = throughRunningProgram(context, args, command))
                return *status;
        if (host && !goesThroughRunningProgram(command))
            throw usage("\"" + command + "\" runs in varcelctl itself");
        return context.run ? context.run() : 0;
    } catch (const CliError& e) {
        std::cerr << "varcelctl: " << e.message << '\n';
        return e.exitCode;
    } catch (const std::exception& e) {
        std::cerr << "varcelctl: " << e.what() << '\n';
        return 1;
    }
}

CommandOutput runHostedVarcelctl(const std::vector<std::string>& args, const std::filesystem::path& dataDir,
                                 bool simulate, const CliHost& host, const std::string* input)
{
    // The folder may have been deleted or moved away while the program runs.
    if (std::error_code ec; !std::filesystem::is_directory(dataDir, ec))
        return {1,
                {},
                "varcelctl: the data folder " + dataDir.string() +
                    " is gone (deleted or moved); nothing was done; put it back, or quit Varcel and start it "
                    "on another folder\n"};
    std::vector<std::string> argv{"varcelctl", "--data-dir", dataDir.string()};
    if (simulate)
        argv.emplace_back("--simulate");
    for (const std::string& arg : args) {
        if (bool takesValue = false; choosesFolderOrMouse(arg, takesValue))
            return {
                kUsageError, {}, "varcelctl: " + arg + " chooses another folder or mouse than the running Varcel's\n"};
        argv.push_back(arg);
    }
    CliHost call = host;
    call.input = input;
    // Only the window thread prints while the command runs.
    std::ostringstream out;
    std::ostringstream err;
    std::streambuf* const oldOut = std::cout.rdbuf(out.rdbuf());
    std::streambuf* const oldErr = std::cerr.rdbuf(err.rdbuf());
    const int status = runVarcelctl(argv, &call);
    std::cout.rdbuf(oldOut);
    std::cerr.rdbuf(oldErr);
    return {status, out.str(), err.str()};
}

} // namespace varcel
