// GNOME Shell under Wayland: only the Shell knows which window is in front,
// and only an extension can tell. Varcel ships one (under
// share/gnome-shell/extensions) that calls Varcel's FocusChanged method on
// each change of the focused window; enabling it is the user's choice. GNOME
// 45 and later load extensions as ES modules, 43 and 44 as scripts, so the
// package holds one of each under its own UUID, and the Shell runs the one
// made for it.
#pragma once

#include <string>

typedef struct _GDBusConnection GDBusConnection;

namespace varcel {

namespace gnome {
inline constexpr const char* kExtensionUuid = "varcel-focus@varcel.github.io";              // GNOME 45 and later
inline constexpr const char* kLegacyExtensionUuid = "varcel-focus-legacy@varcel.github.io"; // GNOME 43 and 44
} // namespace gnome

struct GnomeFocusExtension {
    bool enabled = false;
    std::string uuid;    // the one for the running Shell; empty when no Shell answers
    std::string problem; // when not enabled: why, and what makes it work
};

// Asks the running GNOME Shell, on `bus` (nullptr: the user's session bus),
// which of Varcel's extensions is its own and whether it is enabled.
GnomeFocusExtension gnomeFocusExtension(GDBusConnection* bus = nullptr);

} // namespace varcel
