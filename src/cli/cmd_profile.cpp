// varcelctl export and import: the data folder's whole configuration as one
// profile file, and back; and the named profiles kept in the data folder.

#include "cli/cli_context.h"
#include "control/focus_rules.h"
#include "control/profile.h"
#include "control/profile_library.h"
#include "lang/ui_strings.h"
#include "platform/atomic_file.h"
#include "platform/file_read.h"
#include "platform/ini_file.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <memory>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace varcel {

namespace {

enum class ExportTarget { StandardOutput, Stream, RegularFile, Refused };

// Linux's terminal devices: the consoles and virtual terminals (4), /dev/tty
// and /dev/console (5), the pseudo-terminals (136 to 143). Opening any other
// device could have an effect of its own (a watchdog starts counting).
bool isTerminalDevice(const struct stat& st)
{
    const unsigned major = ::major(st.st_rdev);
    return S_ISCHR(st.st_mode) && (major == 4 || major == 5 || (major >= 136 && major <= 143));
}

// Where a profile may go: only a regular file (or a name not yet taken) is
// replaced; a FIFO or a terminal is written as a stream, and the program's
// own standard output (/dev/stdout, or the name of the file it goes to) is
// that; a device node, a folder or a socket is refused, never replaced by a
// file.
ExportTarget exportTarget(const std::string& file)
{
    if (file.empty() || file == "-")
        return ExportTarget::StandardOutput;
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        return ExportTarget::RegularFile; // created, or the write says why not
    struct stat out {};
    if (::fstat(STDOUT_FILENO, &out) == 0 && out.st_dev == st.st_dev && out.st_ino == st.st_ino)
        return ExportTarget::StandardOutput;
    if (S_ISREG(st.st_mode))
        return ExportTarget::RegularFile;
    if (S_ISFIFO(st.st_mode) || isTerminalDevice(st))
        return ExportTarget::Stream;
    return ExportTarget::Refused;
}

void writeStream(const std::string& file, const std::string& text)
{
    const int fd = ::open(file.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        throw CliError{"could not write " + file + ": " + std::strerror(errno)};
    // What was opened is checked again: the name may have changed meanwhile.
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !(S_ISFIFO(st.st_mode) || (isTerminalDevice(st) && ::isatty(fd)))) {
        ::close(fd);
        throw usage(file + " is neither a regular file, a FIFO nor a terminal; nothing was written");
    }
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = errno;
            ::close(fd);
            throw CliError{"could not write " + file + ": " + std::strerror(error)};
        }
        done += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0)
        throw CliError{"could not write " + file + ": " + std::strerror(errno)};
}

// The texts written with U+FFFD for bytes that are not text, by JSON path.
void noteTextsNotUtf8(const std::vector<std::string>& paths)
{
    if (paths.empty())
        return;
    std::cerr << "varcelctl: note: " << text::kTextsNotUtf8Replaced(systemLanguage()) << ":";
    for (const std::string& path : paths)
        std::cerr << " " << path;
    std::cerr << "\n";
}

int exportProfile(CliContext& context, const std::string& file)
{
    // varcelctl writes the file itself, with its caller's rights and folder.
    if (context.host && !file.empty() && file != "-")
        throw usage("the running Varcel writes no file a caller names; export to standard output");
    context.lockDataFolder();
    Problem problem;
    const std::optional<Profile> read = context.workspace().exportProfile(problem);
    throwIf(problem);
    const Profile& profile = *read;
    if (profile.macros.size() > kMacroCount)
        std::cerr << "varcelctl: note: record.ini holds " << profile.macros.size() << " macros, more than the mouse's "
                  << kMacroCount << " blocks; import refuses such a profile until the extra macros are deleted\n";
    std::vector<std::string> paths;
    for (const auto& [path, bytes] : textsNotUtf8(profile))
        paths.push_back(path);
    noteTextsNotUtf8(paths);
    const std::string text = profileText(profile, 2) + "\n";
    // The files have been read; a reader of a FIFO need not hold up other programs.
    context.workspace().unlock();
    return writeProfileText(context, file, text);
}

// Every problem on a line of its own, after the file's name, as a compiler
// names a source file.
[[noreturn]] void refuseInvalidProfile(const std::string& file, const Failure& problem, const std::string& message)
{
    std::istringstream lines(problem.detail);
    for (std::string line; std::getline(lines, line);)
        std::cerr << file << ": " << printableText(line) << "\n"; // a key may hold ESC
    throw usage(message);
}

// The file's contents, read here or, inside the running program, given by
// the varcelctl that read it: the program opens no file its caller names.
FileRead profileFile(const CliContext& context, const std::string& file)
{
    if (!context.host)
        return readRegularFile(file, kMaxProfileFileSize);
    if (!context.host->input)
        throw usage("the running Varcel opens no file a caller names; varcelctl import FILE reads it and passes "
                    "its contents");
    FileRead given;
    given.status =
        context.host->input->size() > kMaxProfileFileSize ? FileRead::Status::TooLarge : FileRead::Status::Ok;
    if (given.ok())
        given.bytes = *context.host->input;
    return given;
}

int importProfile(CliContext& context, const std::string& file, bool andApply)
{
    const FileRead read = profileFile(context, file);
    if (!read.ok())
        throw cliError(readFailure(file, read), kUsageError);
    Workspace& workspace = context.workspace();
    Problem problem;
    const std::optional<Profile> profile = workspace.readProfileText(read.bytes, problem);
    if (!profile)
        refuseInvalidProfile(file, *problem, "the profile was not imported; nothing was changed");
    context.lockDataFolder();
    // A mouse that is not there or not accepted is found out before any
    // file changes: an import meant for the mouse must not half happen.
    if (andApply)
        context.connect();
    throwIf(workspace.importProfile(*profile), text::kNothingChanged);
    std::cout << "Imported " << file << " into " << context.dataDir().path.string() << "\n";
    return andApply ? applyConfiguration(context) : 0;
}

// A name no profile may have is a usage error, found before anything is read or written.
void checkName(const std::string& name)
{
    if (const Problem bad = checkProfileName(name))
        throw cliError(*bad, kUsageError);
}

void throwProfileProblem(const Problem& problem, const LangText& consequence)
{
    if (problem && (problem->code == FailureCode::ProfileNameInvalid || problem->code == FailureCode::ProfileMissing ||
                    problem->code == FailureCode::ProfileExists))
        throw cliError(*problem, kUsageError);
    throwIf(problem, consequence);
}

// Profile NAME of the library; one that is not valid is refused with
// `refusal` after its problems.
Profile readNamedProfile(CliContext& context, const ProfileLibrary& library, const std::string& name,
                         const std::string& refusal)
{
    Problem problem;
    std::optional<Profile> profile = library.read(context.workspace(), name, problem);
    if (problem && problem->code == FailureCode::ProfileInvalid)
        refuseInvalidProfile(library.fileOf(name).string(), *problem, refusal);
    throwProfileProblem(problem, text::kNothingChanged);
    return std::move(*profile);
}

int listProfiles(CliContext& context)
{
    context.lockDataFolder();
    ProfileLibrary library(context.dataDir().path);
    const ActiveProfile active = library.active(context.workspace());
    for (const std::string& name : library.names()) {
        const bool isActive = name == active.name;
        std::cout << (isActive ? "* " : "  ") << printableText(name)
                  << (isActive && active.modified ? " (modified)" : "") << "\n";
    }
    return 0;
}

int saveProfile(CliContext& context, const std::string& name)
{
    checkName(name);
    context.lockDataFolder();
    ProfileLibrary library(context.dataDir().path);
    std::vector<std::string> replaced;
    throwProfileProblem(library.save(context.workspace(), name, false, &replaced), text::kNothingSaved);
    noteTextsNotUtf8(replaced);
    std::cout << "Saved profile " << printableText(name) << "\n";
    return 0;
}

int loadProfile(CliContext& context, const std::string& name, bool andApply)
{
    checkName(name);
    context.lockDataFolder();
    ProfileLibrary library(context.dataDir().path);
    Workspace& workspace = context.workspace();
    const Profile profile = readNamedProfile(context, library, name, "the profile was not loaded; nothing was changed");
    // A mouse that is not there or not accepted is found out before any
    // file changes, as for import --apply.
    if (andApply)
        context.connect();
    throwProfileProblem(workspace.importProfile(profile, {library.activeMarker(name, profile, false)}),
                        text::kNothingChanged);
    std::cout << "Loaded profile " << printableText(name) << "\n";
    const int status = andApply ? applyConfiguration(context) : 0;
    // The apply saved config.bin with its first-run flag set.
    if (andApply && status == 0)
        throwIf(library.loaded(workspace, name, true));
    return status;
}

int showProfile(CliContext& context, const std::string& name)
{
    checkName(name);
    const ProfileLibrary library(context.dataDir().path);
    std::cout << profileText(readNamedProfile(context, library, name, "the profile is not valid"), 2) << "\n";
    return 0;
}

int renameProfile(CliContext& context, const std::string& from, const std::string& to)
{
    checkName(from);
    checkName(to);
    context.lockDataFolder();
    throwProfileProblem(ProfileLibrary(context.dataDir().path).rename(from, to), text::kNothingChanged);
    std::cout << "Renamed profile " << printableText(from) << " to " << printableText(to) << "\n";
    return 0;
}

int deleteProfile(CliContext& context, const std::string& name)
{
    checkName(name);
    context.lockDataFolder();
    throwProfileProblem(ProfileLibrary(context.dataDir().path).remove(name), text::kNothingChanged);
    std::cout << "Deleted profile " << printableText(name) << "\n";
    // Its rules stay, as the user wrote them: a profile saved under the name
    // again takes them back.
    FocusRules rules(context.dataDir().path);
    if (!rules.load())
        for (const FocusRule& rule : rules.rules())
            if (rule.profile == name)
                std::cout << "The rule \"" << describeRule(rule)
                          << "\" stays and switches nothing until a profile of that name is saved again; "
                             "\"varcelctl profile rule remove\" drops it\n";
    return 0;
}

const char* const kRuleUsage = "profile rule add app-id|class|exe VALUE PROFILE, profile rule add default PROFILE, "
                               "profile rule remove app-id|class|exe VALUE, profile rule remove default";

// The rule command's words: the action, then what it acts on.
int ruleCommand(CliContext& context, const std::vector<std::string>& actionAndWords)
{
    const std::string& action = actionAndWords.front();
    if (action != "add" && action != "remove" && action != "list")
        throw usage(kRuleUsage);
    const std::vector<std::string> words(actionAndWords.begin() + 1, actionAndWords.end());
    context.lockDataFolder();
    FocusRules rules(context.dataDir().path);
    throwIf(rules.load(), text::kNothingChanged);
    if (action == "list") {
        const ProfileLibrary library(context.dataDir().path);
        for (const FocusRule& rule : rules.rules())
            std::cout << describeRule(rule)
                      << (library.exists(rule.profile) ? "" : " (no such profile: this rule switches nothing)") << "\n";
        return 0;
    }
    const std::optional<RuleMatch> match = words.empty() ? std::nullopt : ruleMatchFromName(words[0]);
    const bool otherwise = match == RuleMatch::Otherwise;
    const std::size_t needed = (action == "add" ? 2 : 1) + (otherwise ? 0 : 1);
    if (!match || words.size() != needed || (!otherwise && words[1].empty()) ||
        !std::all_of(words.begin(), words.end(), [](const std::string& word) { return isValidUtf8(word); }))
        throw usage(kRuleUsage);
    if (action == "remove") {
        if (!rules.remove(*match, otherwise ? std::string() : words[1]))
            throw usage("there is no such rule; nothing was changed");
    } else {
        const std::string& profile = words.back();
        checkName(profile);
        if (!ProfileLibrary(context.dataDir().path).exists(profile))
            throw cliError(Failure{FailureCode::ProfileMissing, printableText(profile), {}}, kUsageError);
        rules.add({*match, otherwise ? std::string() : words[1], profile});
    }
    throwIf(rules.save(), text::kNothingChanged);
    return 0;
}

} // namespace

int writeProfileText(CliContext& context, const std::string& file, const std::string& text)
{
    switch (exportTarget(file)) {
    case ExportTarget::StandardOutput: std::cout << text << std::flush; return std::cout ? 0 : 1;
    case ExportTarget::Stream: writeStream(file, text); break;
    case ExportTarget::RegularFile:
        if (const int error = replaceFileAtomically(file, text.data(), text.size()))
            throw CliError{"could not write " + file + ": " + std::strerror(error)};
        break;
    case ExportTarget::Refused:
        throw usage(file + " is neither a regular file, a FIFO nor a terminal; nothing was written");
    }
    std::cout << "Exported " << context.dataDir().path.string() << " to " << file << "\n";
    return 0;
}

void addProfileCommands(CLI::App& app, CliContext& context)
{
    auto* profile = app.add_subcommand(
        "profile", "Named profiles of the whole configuration, kept in the data folder's \"profiles\" folder");
    profile->require_subcommand(1);
    const std::string nameHelp = "1 to 31 characters, without / \\ or control characters, not starting with a dot";
    runs(profile->add_subcommand("list", "List the profiles; * marks the active one, (modified) a change since"),
         context, listProfiles);
    addNamed(profile, context, "save", "Keep the data folder's configuration as profile NAME", nameHelp, saveProfile);
    auto apply = std::make_shared<bool>(false); // --apply of load or import, whichever runs
    addNamed(profile, context, "load", "Make profile NAME the data folder's configuration", "The profile",
             [apply](CliContext& cli, const std::string& name) { return loadProfile(cli, name, *apply); })
        ->add_flag("--apply", *apply, "Then send it to the mouse, as \"Apply\" does");
    addNamed(profile, context, "show", "Print profile NAME as export writes a profile", "The profile", showProfile);

    auto names = std::make_shared<std::pair<std::string, std::string>>();
    auto* renameCmd = profile->add_subcommand("rename", "Give profile OLD the name NEW (not one already taken)");
    renameCmd->add_option("OLD", names->first, "The profile")->required();
    renameCmd->add_option("NEW", names->second, nameHelp)->required();
    runs(renameCmd, context, [names](CliContext& cli) { return renameProfile(cli, names->first, names->second); });

    auto* ruleCmd = profile->add_subcommand(
        "rule", "Which profile the application in front asks for: add app-id|class|exe VALUE PROFILE, add default "
                "PROFILE, remove app-id|class|exe VALUE, remove default, list");
    auto ruleWords = std::make_shared<std::vector<std::string>>();
    ruleCmd->add_option("words", *ruleWords, "add ... | remove ... | list")->required();
    runs(ruleCmd, context, [ruleWords](CliContext& cli) { return ruleCommand(cli, *ruleWords); });

    addNamed(profile, context, "delete", "Delete profile NAME", "The profile", deleteProfile);

    auto file = std::make_shared<std::string>();
    auto* exportCmd = app.add_subcommand(
        "export", "Write the whole configuration (config.bin, the labels of every language, the macros) as a JSON "
                  "profile to FILE, or to standard output");
    exportCmd->add_option("FILE", *file, "The profile to write (\"-\" or none: standard output)");
    runs(exportCmd, context, [file](CliContext& cli) { return exportProfile(cli, *file); });

    auto* importCmd = app.add_subcommand(
        "import", "Read a profile into the data folder: everything is checked first, then config.bin, str.ini and "
                  "record.ini are replaced");
    importCmd->add_option("FILE", *file, "The profile to read")->required();
    importCmd->add_flag("--apply", *apply, "Then send the configuration to the mouse, as \"Apply\" does");
    runs(importCmd, context, [file, apply](CliContext& cli) { return importProfile(cli, *file, *apply); });
}

} // namespace varcel
