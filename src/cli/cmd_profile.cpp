// varcelctl export and import: the data folder's whole configuration as one
// profile file, and back.
#include "cli/cmd_profile.h"

#include "cli/cli_context.h"
#include "control/profile.h"
#include "platform/atomic_file.h"
#include "platform/file_read.h"

#include <cstring>
#include <iostream>
#include <memory>
#include <sstream>

namespace varcel {

namespace {

int exportProfile(CliContext& context, const std::string& file)
{
    context.lockDataFolder();
    Problem problem;
    const std::optional<Profile> read = context.workspace().exportProfile(problem);
    throwIf(problem);
    const Profile& profile = *read;
    if (profile.macros.size() > kMacroCount)
        std::cerr << "varcelctl: note: record.ini holds " << profile.macros.size() << " macros, more than the mouse's "
                  << kMacroCount << " blocks; import refuses such a profile until the extra macros are deleted\n";
    const std::string text = profileToJson(profile).dump(2) + "\n";
    if (file.empty() || file == "-") {
        std::cout << text;
        return 0;
    }
    if (const int error = replaceFileAtomically(file, text.data(), text.size()))
        throw CliError{"could not write " + file + ": " + std::strerror(error)};
    std::cout << "Exported " << context.dataDir().path.string() << " to " << file << "\n";
    return 0;
}

int importProfile(CliContext& context, const std::string& file, bool andApply)
{
    // A profile is small; a limit keeps a wrong file name from reading gigabytes.
    const FileRead read = readRegularFile(file, std::size_t{16} << 20);
    if (!read.ok())
        throw CliError{fileProblem(file, read), 2};
    Workspace& workspace = context.workspace();
    Problem problem;
    const std::optional<Profile> profile = workspace.readProfileText(read.bytes, problem);
    if (!profile) {
        // Every problem on a line of its own, after the file's name, as a
        // compiler names a source file.
        std::istringstream lines(problem->detail);
        for (std::string line; std::getline(lines, line);)
            std::cerr << file << ": " << line << "\n";
        throw CliError{"the profile was not imported; nothing was changed", 2};
    }
    context.lockDataFolder();
    // A mouse that is not there or not accepted is found out before any
    // file changes: an import meant for the mouse must not half happen.
    if (andApply)
        context.connect();
    throwIf(workspace.importProfile(*profile), text::kNothingChanged);
    std::cout << "Imported " << file << " into " << context.dataDir().path.string() << "\n";
    return andApply ? applyConfiguration(context) : 0;
}

} // namespace

void addProfileCommands(CLI::App& app, CliContext& context)
{
    auto file = std::make_shared<std::string>();
    auto* exportCmd = app.add_subcommand(
        "export", "Write the whole configuration (config.bin, the labels of every language, the macros) as a JSON "
                  "profile to FILE, or to standard output");
    exportCmd->add_option("FILE", *file, "The profile to write (\"-\" or none: standard output)");
    exportCmd->callback([&context, file] { context.run = [&context, file] { return exportProfile(context, *file); }; });

    auto importFile = std::make_shared<std::string>();
    auto apply = std::make_shared<bool>(false);
    auto* importCmd = app.add_subcommand(
        "import", "Read a profile into the data folder: everything is checked first, then config.bin, str.ini and "
                  "record.ini are replaced");
    importCmd->add_option("FILE", *importFile, "The profile to read")->required();
    importCmd->add_flag("--apply", *apply, "Then send the configuration to the mouse, as \"Apply\" does");
    importCmd->callback([&context, importFile, apply] {
        context.run = [&context, importFile, apply] { return importProfile(context, *importFile, *apply); };
    });
}

} // namespace varcel
