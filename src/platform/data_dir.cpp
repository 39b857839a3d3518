#include "platform/data_dir.h"

#include "platform/folder_lock.h"
#include "platform/data_files.h"

#include <cstdlib>
#include <system_error>

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

fs::path userConfigDir()
{
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg && fs::path(xdg).is_absolute())
        return fs::path(xdg) / "varcel";
    if (const char* home = std::getenv("HOME"); home && *home)
        return fs::path(home) / ".config" / "varcel";
    return fs::current_path() / ".varcel";
}

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

DataDir chooseDataDir(const std::optional<fs::path>& override, const fs::path& installedDefaults)
{
    std::error_code ec;
    if (override && !override->empty())
        return {fs::absolute(*override, ec), DataDir::Source::Override};
    if (const char* env = std::getenv("VARCEL_DATA_DIR"); env && *env)
        return {fs::absolute(env, ec), DataDir::Source::Override};
    const fs::path exeDir = executableDir();
    if (fs::is_regular_file(exeDir / kConfigFileName, ec))
        return {exeDir, DataDir::Source::Portable};
    const fs::path user = userConfigDir();
    seedFrom(installedDefaults, user);
    return {user, DataDir::Source::UserConfig};
}

} // namespace

DataDir resolveDataDir(const std::optional<fs::path>& override, const fs::path& installedDefaults)
{
    DataDir dir = chooseDataDir(override, installedDefaults);
    // Every start clears what saves killed half-way left behind.
    tidyDataFolder(dir.path);
    return dir;
}

} // namespace varcel
