// KDE Plasma on Wayland: only KWin knows which window is in front. A small
// KWin script, loaded through KWin's scripting interface on the session
// bus, calls Varcel's FocusChanged method on each activation; it is
// unloaded when Varcel ends, so nothing of it stays in the user's KWin.
#pragma once

#include <filesystem>
#include <string>

typedef struct _GDBusConnection GDBusConnection;

namespace varcel {

namespace kwin {
inline constexpr const char* kName = "org.kde.KWin";
inline constexpr const char* kScriptingPath = "/Scripting";
inline constexpr const char* kScriptingInterface = "org.kde.kwin.Scripting";
inline constexpr const char* kPluginName = "varcel-focus";
} // namespace kwin

// The script: it reports the window activated (and the one in front when
// it starts) with its desktop file name, resource class and name and
// process ID. KWin 6 names the signal windowActivated, KWin 5
// clientActivated.
std::string kwinScriptText();

class KWinScript {
public:
    // On the user's session bus, or on `bus` (tests).
    explicit KWinScript(GDBusConnection* bus = nullptr);
    ~KWinScript();
    KWinScript(const KWinScript&) = delete;
    KWinScript& operator=(const KWinScript&) = delete;

    // Writes the script to `file` and has KWin load and start it; false,
    // with `why`, when KWin does not answer or refuses it.
    bool load(const std::filesystem::path& file, std::string* why);
    // Has KWin unload it; also done at the end.
    void unload();
    bool loaded() const { return m_loaded; }

private:
    GDBusConnection* m_bus = nullptr;
    bool m_loaded = false;
};

} // namespace varcel
