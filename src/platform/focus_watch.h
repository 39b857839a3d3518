// The application in front, as the desktop tells it: on X11 through the
// window manager's _NET_ACTIVE_WINDOW; on sway and i3 through their IPC's
// focus events; on other wlroots compositors (labwc, Wayfire, river,
// Hyprland) through their foreign-toplevel protocol; on KDE Plasma and GNOME
// Shell under Wayland through a KWin script or a Shell extension that calls
// Varcel on the session bus. Each watch is a descriptor that wakes the
// owning thread's loop: nothing polls.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace varcel {

struct FocusedApp {
    std::string appId;       // the desktop file's name (Wayland app ID), when known
    std::string windowClass; // WM_CLASS class (X11) or resource class (KWin)
    std::string instance;    // WM_CLASS instance or resource name
    std::string executable;  // the program file's name, from the window's process
    bool operator==(const FocusedApp&) const = default;
};

// The program file's name of a process, empty when it cannot be told.
std::string executableOfProcess(long pid);

class FocusWatch {
public:
    virtual ~FocusWatch() = default;
    // A descriptor that becomes readable when the application in front may
    // have changed.
    virtual int fd() const = 0;
    // The application in front now, when it changed since the last call.
    virtual std::optional<FocusedApp> drain() = 0;
    // The desktop went away: nothing more will come.
    virtual bool broken() const = 0;
};

enum class FocusBackend { X11, KWin, Gnome, I3, Wlroots, None };

// The backends to try for this session, best first; the first that starts
// follows the focus. Under Wayland: KDE (XDG_CURRENT_DESKTOP) gets the KWin
// script, GNOME the Shell extension, sway its IPC ($SWAYSOCK) and then the
// foreign-toplevel protocol, any other compositor the protocol. Under X11:
// the active window, then i3's IPC ($I3SOCK). Nothing else: none.
// VARCEL_FOCUS=x11, kwin, gnome, i3, wlroots or none names the only one.
std::vector<FocusBackend> focusBackendsToTry();
const char* focusBackendName(FocusBackend backend);

// The IPC socket of sway ($SWAYSOCK) or else i3 ($I3SOCK); empty when
// neither is set.
std::string i3SocketPath();

// Follows the X server of `display` (nullptr: $DISPLAY) through xcb, event
// by event. Null, with `why`, when there is no X server or its window
// manager does not keep _NET_ACTIVE_WINDOW.
std::unique_ptr<FocusWatch> openX11FocusWatch(const char* display, std::string* why);

// Follows sway or i3 through the IPC socket at `socketPath`: subscribed to
// window events, it takes each "focus" event's app ID (or X11 class and
// instance) and process. Null, with `why`, when the socket does not answer.
std::unique_ptr<FocusWatch> openI3FocusWatch(const std::string& socketPath, std::string* why);

// Follows a Wayland compositor (`display` as WAYLAND_DISPLAY, nullptr: the
// session's) through zwlr_foreign_toplevel_manager_v1: the toplevel whose
// state turns activated is in front, known by its app ID. libwayland-client
// is opened on first use. Null, with `why`, when there is no compositor or
// it does not offer the protocol.
std::unique_ptr<FocusWatch> openWlrootsFocusWatch(const char* display, std::string* why);

// No watch, with the reason in `why` when the caller asks for one.
inline std::nullptr_t noFocusWatch(std::string* why, std::string reason)
{
    if (why)
        *why = std::move(reason);
    return nullptr;
}

// The watch of a backend that has one (X11, I3, Wlroots), in this session.
std::unique_ptr<FocusWatch> openFocusWatch(FocusBackend backend, std::string* why);

} // namespace varcel
