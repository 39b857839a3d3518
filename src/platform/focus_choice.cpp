#include "platform/focus_watch.h"

#include <array>
#include <climits>
#include <cstdlib>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace varcel {

namespace {

std::string_view env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool envHas(const char* name, std::string_view part) { return env(name).find(part) != std::string_view::npos; }

// An IPC socket named by the environment that is there: a variable left
// from another session names none.
bool socketThere(std::string_view path)
{
    struct stat st {};
    return !path.empty() && ::stat(std::string(path).c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

constexpr std::array kNames{std::pair{FocusBackend::X11, "x11"},         std::pair{FocusBackend::KWin, "kwin"},
                            std::pair{FocusBackend::Gnome, "gnome"},     std::pair{FocusBackend::I3, "i3"},
                            std::pair{FocusBackend::Wlroots, "wlroots"}, std::pair{FocusBackend::None, "none"}};

} // namespace

std::string i3SocketPath()
{
    if (!env("SWAYSOCK").empty())
        return std::string(env("SWAYSOCK"));
    return std::string(env("I3SOCK"));
}

std::vector<FocusBackend> focusBackendsToTry()
{
    for (const auto& [backend, name] : kNames)
        if (env("VARCEL_FOCUS") == name)
            return backend == FocusBackend::None ? std::vector<FocusBackend>{} : std::vector{backend};
    // Under Wayland only the compositor knows the window in front: an X11
    // client there (Xwayland) would see the X windows alone.
    const bool wayland = !env("WAYLAND_DISPLAY").empty() || env("XDG_SESSION_TYPE") == "wayland";
    const bool i3 = socketThere(i3SocketPath());
    if (wayland) {
        if (envHas("XDG_CURRENT_DESKTOP", "KDE") || !env("KDE_SESSION_VERSION").empty())
            return {FocusBackend::KWin};
        if (envHas("XDG_CURRENT_DESKTOP", "GNOME"))
            return {FocusBackend::Gnome};
        // sway's IPC also gives the window's process; the protocol does not.
        if (i3)
            return {FocusBackend::I3, FocusBackend::Wlroots};
        return {FocusBackend::Wlroots};
    }
    std::vector<FocusBackend> order;
    // i3 keeps _NET_ACTIVE_WINDOW too, and X11 also gives the process.
    if (!env("DISPLAY").empty())
        order.push_back(FocusBackend::X11);
    if (i3)
        order.push_back(FocusBackend::I3);
    return order;
}

const char* focusBackendName(FocusBackend backend)
{
    for (const auto& [known, name] : kNames)
        if (known == backend)
            return name;
    return "none";
}

std::unique_ptr<FocusWatch> openFocusWatch(FocusBackend backend, std::string* why)
{
    switch (backend) {
    case FocusBackend::X11: return openX11FocusWatch(nullptr, why);
    case FocusBackend::I3: {
        const std::string path = i3SocketPath();
        if (path.empty())
            return noFocusWatch(why, "neither SWAYSOCK nor I3SOCK names the IPC socket");
        return openI3FocusWatch(path, why);
    }
    case FocusBackend::Wlroots: return openWlrootsFocusWatch(nullptr, why);
    case FocusBackend::KWin:
    case FocusBackend::Gnome:
    case FocusBackend::None: break;
    }
    return noFocusWatch(why, std::string(focusBackendName(backend)) + " has no watch of its own");
}

std::string executableOfProcess(long pid)
{
    if (pid <= 0)
        return {};
    const std::string proc = "/proc/" + std::to_string(pid);
    std::array<char, PATH_MAX> target{};
    const ssize_t n = ::readlink((proc + "/exe").c_str(), target.data(), target.size() - 1);
    if (n > 0) {
        const std::string path(target.data(), static_cast<std::size_t>(n));
        return path.substr(path.find_last_of('/') + 1);
    }
    return {};
}

} // namespace varcel
