// The application in front, as the desktop tells it: on X11 through the
// window manager's _NET_ACTIVE_WINDOW, on KDE Plasma (Wayland) through a
// small KWin script that calls Varcel on the session bus. Elsewhere (GNOME
// on Wayland, other compositors) no program may learn it, so there is no
// watch and profiles switch only when asked.
#pragma once

#include <memory>
#include <optional>
#include <string>

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

enum class FocusBackend { X11, KWin, None };

// Chosen at start-up from the session: KDE Plasma on Wayland gets the KWin
// script, an X11 session xcb, anything else nothing.
// VARCEL_FOCUS=x11, kwin or none overrides the choice.
FocusBackend pickFocusBackend();
const char* focusBackendName(FocusBackend backend);

// Follows the X server of `display` (nullptr: $DISPLAY) through xcb, event
// by event. Null, with `why`, when there is no X server or its window
// manager does not keep _NET_ACTIVE_WINDOW.
std::unique_ptr<FocusWatch> openX11FocusWatch(const char* display, std::string* why);

} // namespace varcel
