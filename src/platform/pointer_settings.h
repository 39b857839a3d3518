// The desktop's pointer settings: pointer speed, pointer precision (the
// acceleration), wheel scroll lines with "one screen at a time", and the
// double-click time. The values travel on the scales the mouse page has always
// used (speed 1 to 20, lines with kWheelPageScroll for one screen, time in
// milliseconds, the three mouse parameters); each backend turns them into
// what its desktop keeps.
//
// Three backends, one picked at start-up:
// - GNOME (GSettings org.gnome.desktop.peripherals.mouse): speed, precision
//   and double-click reach the desktop; GNOME has no wheel-lines setting, so
//   lines and one-screen are kept in the data folder.
// - KDE Plasma (kdeglobals, group [KDE]): wheel lines and double-click reach
//   the desktop; the rest are kept in the data folder.
// - Stored, everywhere else: all of them kept in the data folder, so the page
//   shows what the user chose last time.
#pragma once

#include "platform/failure.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace varcel {

class IniFile;

// The three mouse parameters: first threshold, second threshold, acceleration.
struct MouseParameters {
    int threshold1 = 0;
    int threshold2 = 0;
    int acceleration = 0;
    bool operator==(const MouseParameters&) const = default;
};
inline constexpr MouseParameters kPrecisionOn{6, 10, 1};
inline constexpr MouseParameters kPrecisionOff{0, 0, 0};

// Wheel scroll lines meaning "one screen at a time".
inline constexpr std::uint32_t kWheelPageScroll = 0xFFFFFFFFu;

inline constexpr int kSlowestPointerSpeed = 1;
inline constexpr int kFastestPointerSpeed = 20;

enum class PointerSetting { Speed, Precision, WheelLines, OneScreen, DoubleClick };
inline constexpr int kPointerSettingCount = 5;

class PointerSettings {
public:
    virtual ~PointerSettings() = default;

    // "gnome", "kde" or "stored".
    virtual const char* name() const = 0;
    // Whether the setting reaches the desktop (otherwise it is kept in the
    // data folder only).
    virtual bool reachesDesktop(PointerSetting setting) const = 0;
    // Where the values live, for the user: a schema, a file.
    virtual std::string describe() const = 0;
    // Why the last read or write that failed did; nothing when nothing failed.
    virtual Problem problem() const { return std::nullopt; }

    // Reads: nothing when the value could not be read.
    virtual std::optional<MouseParameters> mouseParameters() = 0;
    virtual std::optional<int> speed() = 0;                 // 1 to 20
    virtual std::optional<std::uint32_t> wheelScrollLines() = 0;
    // 0 when it could not be read, like GetDoubleClickTime.
    virtual std::uint32_t doubleClickTime() = 0;

    // Writes: whether the value was taken.
    virtual bool setMouseParameters(const MouseParameters& parameters) = 0;
    virtual bool setSpeed(int speed) = 0;
    virtual bool setWheelScrollLines(std::uint32_t lines) = 0;
    virtual bool setDoubleClickTime(std::uint32_t milliseconds) = 0;
};

// The values kept in a file (pointer.ini in the data folder). A missing file
// reads as the defaults: parameters {6, 10, 1}, speed 10, 3 lines, 500 ms.
class StoredPointerSettings : public PointerSettings {
public:

    explicit StoredPointerSettings(std::filesystem::path file) : m_path(std::move(file)) {}

    const char* name() const override { return "stored"; }
    bool reachesDesktop(PointerSetting) const override { return false; }
    std::string describe() const override { return m_path.string(); }
    Problem problem() const override { return m_problem; }

    std::optional<MouseParameters> mouseParameters() override;
    std::optional<int> speed() override;
    std::optional<std::uint32_t> wheelScrollLines() override;
    std::uint32_t doubleClickTime() override;

    bool setMouseParameters(const MouseParameters& parameters) override;
    bool setSpeed(int speed) override;
    bool setWheelScrollLines(std::uint32_t lines) override;
    bool setDoubleClickTime(std::uint32_t milliseconds) override;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::optional<IniFile> load() const;
    // The key's text, `fallback` when it is not there; nothing when the file
    // cannot be read.
    std::optional<std::string> read(const char* key, const std::string& fallback) const;
    bool write(const char* key, const std::string& value) const;
    bool save(const IniFile& ini) const;

    std::filesystem::path m_path;
    mutable Problem m_problem;
};

// Whether GSettings knows the GNOME mouse schema here.
bool gnomeMouseSchemaInstalled();

// GNOME through GSettings; lines and one-screen go to `stored`. Needs the
// schema (see gnomeMouseSchemaInstalled()).
std::unique_ptr<PointerSettings> makeGnomePointerSettings(std::unique_ptr<StoredPointerSettings> stored);

// KDE Plasma through `kdeglobals` (usually $XDG_CONFIG_HOME/kdeglobals); the
// settings KDE keeps elsewhere go to `stored`. After a write, running KDE
// programs are told to reload over the session bus.
std::unique_ptr<PointerSettings> makeKdePointerSettings(std::filesystem::path kdeglobals,
                                                        std::unique_ptr<StoredPointerSettings> stored);

// $XDG_CONFIG_HOME/kdeglobals, or ~/.config/kdeglobals; empty without a home.
std::filesystem::path kdeGlobalsPath();

// The backend for this desktop, with its stored values in `dataDir`:
// $VARCEL_POINTER_SETTINGS ("gnome", "kde", "stored") when set; else KDE when
// KDE_SESSION_VERSION is set; else GNOME when its schema is installed and
// GSettings stores into dconf, where GNOME reads (or GSETTINGS_BACKEND names
// a backend on purpose); else the stored backend.
std::unique_ptr<PointerSettings> pickPointerSettings(const std::filesystem::path& dataDir);

// kdeglobals edited as text: `key=value` set in group `[group]`, every other
// line kept byte for byte. The last entry of the key in the group's last
// header is changed (KDE reads the last one); a missing key is added after
// the group's last entry; a missing group is added at the end.
std::string setKdeConfigValue(std::string text, std::string_view group, std::string_view key,
                              std::string_view value);
// The value KDE reads for the key (its last entry in the group), if any.
std::optional<std::string> kdeConfigValue(std::string_view text, std::string_view group, std::string_view key);

} // namespace varcel
