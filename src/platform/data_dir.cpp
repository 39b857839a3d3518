#include "platform/data_dir.h"

#include "platform/data_files.h"
#include "platform/folder_lock.h"

#include <cstdlib>
#include <pwd.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace varcel {

namespace fs = std::filesystem;

fs::path executableDir()
{
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path() : exe.parent_path();
}

fs::path installedDataDir()
{
#ifdef VARCEL_DATADIR_FROM_BINDIR
    std::error_code ec;
    if (const fs::path beside = (executableDir() / VARCEL_DATADIR_FROM_BINDIR).lexically_normal();
        fs::is_directory(beside, ec))
        return beside;
#endif
#ifdef VARCEL_INSTALL_DATADIR
    return VARCEL_INSTALL_DATADIR;
#else
    return "/usr/share/varcel";
#endif
}

namespace {

// $HOME, else the password database's entry of the user; nothing when there
// is neither.
std::optional<fs::path> homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home && fs::path(home).is_absolute())
        return home;
    // Without $HOME (a cron job, a service, `env -i`) the user's home is the
    // one the password database names. Never the current folder: in a folder
    // others may write to, they could prepare the files a save writes through.
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        fs::path(found->pw_dir).is_absolute())
        return found->pw_dir;
    return std::nullopt;
}

} // namespace

std::optional<fs::path> configHome()
{
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg && fs::path(xdg).is_absolute())
        return xdg;
    if (const auto home = homeFolder())
        return *home / ".config";
    return std::nullopt;
}

namespace {

void seedFrom(const fs::path& defaults, const fs::path& target)
{
    std::error_code ec;
    fs::create_directories(target, ec);
    for (const char* name : {kConfigFileName, kLabelsFileName, kMacroFileName}) {
        const fs::path from = defaults / name;
        if (fs::exists(from, ec) && !fs::exists(target / name, ec))
            fs::copy_file(from, target / name, ec);
    }
}

Result<DataDir> chooseDataDir(const std::optional<fs::path>& override, const fs::path& installedDefaults)
{
    std::error_code ec;
    if (override && !override->empty())
        return {{fs::absolute(*override, ec), DataDir::Source::Override}};
    if (const char* env = std::getenv("VARCEL_DATA_DIR"); env && *env)
        return {{fs::absolute(env, ec), DataDir::Source::Override}};
    const fs::path exeDir = executableDir();
    if (fs::is_regular_file(exeDir / kConfigFileName, ec))
        return {{exeDir, DataDir::Source::Portable}};
    const auto config = configHome();
    if (!config)
        return {{}, Failure{FailureCode::NoHomeFolder, {}, {}}};
    seedFrom(installedDefaults, *config / "varcel");
    return {{*config / "varcel", DataDir::Source::UserConfig}};
}

} // namespace

Result<DataDir> resolveDataDir(const std::optional<fs::path>& override, const fs::path& installedDefaults)
{
    Result<DataDir> dir = chooseDataDir(override, installedDefaults);
    // Every start clears what saves killed half-way left behind.
    if (!dir.problem)
        tidyDataFolder(dir.value.path);
    return dir;
}

} // namespace varcel
