// varcelctl export and import: the data folder's whole configuration as one
// profile file, and back.
#include "cli/cmd_profile.h"

#include "cli/cli_context.h"
#include "control/profile.h"
#include "platform/atomic_file.h"
#include "platform/file_read.h"
#include "platform/ini_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <memory>
#include <sstream>

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
        throw CliError{file + " is neither a regular file, a FIFO nor a terminal; nothing was written", 2};
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
    // The files have been read; a reader of a FIFO need not hold up other programs.
    context.workspace().unlock();
    switch (exportTarget(file)) {
    case ExportTarget::StandardOutput:
        std::cout << text << std::flush;
        return std::cout ? 0 : 1;
    case ExportTarget::Stream:
        writeStream(file, text);
        break;
    case ExportTarget::RegularFile:
        if (const int error = replaceFileAtomically(file, text.data(), text.size()))
            throw CliError{"could not write " + file + ": " + std::strerror(error)};
        break;
    case ExportTarget::Refused:
        throw CliError{file + " is neither a regular file, a FIFO nor a terminal; nothing was written", 2};
    }
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
            std::cerr << file << ": " << printableText(line) << "\n"; // a key may hold ESC
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
