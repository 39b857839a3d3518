// The GNOME and KDE Plasma backends and the choice between the backends.
// Both desktops are reached through GIO: GSettings for GNOME, GDBus for the
// reload signal KDE programs listen to.
#include "platform/pointer_settings.h"

#include "platform/atomic_file.h"
#include "platform/data_files.h"
#include "platform/file_read.h"

#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gio.h>
#include <gio/gsettingsbackend.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string_view>

namespace varcel {

namespace {

constexpr const char* kGnomeMouseSchema = "org.gnome.desktop.peripherals.mouse";
constexpr const char* kGnomeSpeedKey = "speed";
constexpr const char* kGnomeProfileKey = "accel-profile";
constexpr const char* kGnomeDoubleClickKey = "double-click";
// Without acceleration GNOME moves the pointer "flat"; with it, "adaptive"
// (what "default" gives a mouse on libinput, so both read as precision on).
constexpr const char* kGnomeFlat = "flat";
constexpr const char* kGnomeAdaptive = "adaptive";

constexpr int kMiddleSpeed = 10; // the middle of 1 to 20, GNOME's 0

bool envSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

// Speed 1 to 20 onto GNOME's −1 to 1: 1 is −1, 10 is 0, 20 is 1. The two
// halves have different steps so that both ends are reached.
double gnomeSpeedOf(int speed)
{
    speed = std::clamp(speed, kSlowestPointerSpeed, kFastestPointerSpeed);
    return speed <= kMiddleSpeed ? static_cast<double>(speed - kMiddleSpeed) / (kMiddleSpeed - kSlowestPointerSpeed)
                                 : static_cast<double>(speed - kMiddleSpeed) / (kFastestPointerSpeed - kMiddleSpeed);
}

int speedOfGnome(double value)
{
    if (std::isnan(value))
        return kMiddleSpeed;
    value = std::clamp(value, -1.0, 1.0);
    const double steps = value < 0 ? value * (kMiddleSpeed - kSlowestPointerSpeed)
                                   : value * (kFastestPointerSpeed - kMiddleSpeed);
    // Halves round away from zero, as lround does, without the maths library
    // varcelctl would otherwise load at every start for this alone.
    const int whole = static_cast<int>(steps);
    const double rest = steps - whole;
    return std::clamp(kMiddleSpeed + whole + (rest >= 0.5) - (rest <= -0.5), kSlowestPointerSpeed,
                      kFastestPointerSpeed);
}

GSettingsSchema* lookUpGnomeSchema()
{
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source)
        return nullptr;
    GSettingsSchema* schema = g_settings_schema_source_lookup(source, kGnomeMouseSchema, TRUE);
    if (!schema)
        return nullptr;
    for (const char* key : {kGnomeSpeedKey, kGnomeProfileKey, kGnomeDoubleClickKey}) {
        if (!g_settings_schema_has_key(schema, key)) {
            g_settings_schema_unref(schema);
            return nullptr;
        }
    }
    return schema;
}

class GnomePointerSettings : public PointerSettings {
public:
    GnomePointerSettings(GSettingsSchema* schema, std::unique_ptr<StoredPointerSettings> stored)
        : m_settings(g_settings_new_full(schema, nullptr, nullptr)), m_stored(std::move(stored))
    {
        g_settings_schema_unref(schema);
    }
    ~GnomePointerSettings() override
    {
        // Writes go out asynchronously; a command-line run would end first.
        g_settings_sync();
        g_object_unref(m_settings);
    }

    const char* name() const override { return "gnome"; }
    bool reachesDesktop(PointerSetting setting) const override
    {
        return setting == PointerSetting::Speed || setting == PointerSetting::Precision ||
               setting == PointerSetting::DoubleClick;
    }
    std::string describe() const override
    {
        return std::string("GSettings ") + kGnomeMouseSchema + "; wheel lines in " + m_stored->describe();
    }
    Problem problem() const override { return m_problem ? m_problem : m_stored->problem(); }

    std::optional<MouseParameters> mouseParameters() override
    {
        gchar* profile = g_settings_get_string(m_settings, kGnomeProfileKey);
        const bool flat = profile && std::string_view(profile) == kGnomeFlat;
        g_free(profile);
        return flat ? kPrecisionOff : kPrecisionOn;
    }
    std::optional<int> speed() override { return speedOfGnome(g_settings_get_double(m_settings, kGnomeSpeedKey)); }
    std::optional<std::uint32_t> wheelScrollLines() override { return m_stored->wheelScrollLines(); }
    std::uint32_t doubleClickTime() override
    {
        return static_cast<std::uint32_t>(std::max(0, g_settings_get_int(m_settings, kGnomeDoubleClickKey)));
    }

    bool setMouseParameters(const MouseParameters& parameters) override
    {
        return write(kGnomeProfileKey,
                     g_variant_new_string(parameters.acceleration != 0 ? kGnomeAdaptive : kGnomeFlat));
    }
    bool setSpeed(int speed) override
    {
        if (speed < kSlowestPointerSpeed || speed > kFastestPointerSpeed)
            return false;
        return write(kGnomeSpeedKey, g_variant_new_double(gnomeSpeedOf(speed)));
    }
    bool setWheelScrollLines(std::uint32_t lines) override { return m_stored->setWheelScrollLines(lines); }
    bool setDoubleClickTime(std::uint32_t milliseconds) override
    {
        // The schema sets no bounds; a time of 0 or beyond the 5000 ms that
        // Windows allows would leave the user unable to double-click.
        if (milliseconds == 0 || milliseconds > 5000)
            return false;
        return write(kGnomeDoubleClickKey, g_variant_new_int32(static_cast<gint32>(milliseconds)));
    }

private:
    bool write(const char* key, GVariant* value)
    {
        g_variant_ref_sink(value);
        bool ok = g_settings_is_writable(m_settings, key) && g_settings_set_value(m_settings, key, value);
        if (ok) {
            // dconf takes the value at once and commits it later over the
            // session bus; without one the commit fails and the old value
            // comes back. Only what reads back after the commit was taken.
            g_settings_sync();
            GVariant* now = g_settings_get_value(m_settings, key);
            ok = g_variant_equal(now, value);
            g_variant_unref(now);
        }
        if (!ok)
            m_problem = Failure{FailureCode::SettingNotKept, std::string(kGnomeMouseSchema) + " " + key, {}};
        g_variant_unref(value);
        return ok;
    }

    GSettings* m_settings;
    std::unique_ptr<StoredPointerSettings> m_stored;
    Problem m_problem;
};

constexpr const char* kKdeGroup = "KDE";
constexpr const char* kKdeLinesKey = "WheelScrollLines";
constexpr const char* kKdeDoubleClickKey = "DoubleClickInterval";
constexpr std::uint32_t kKdeDefaultLines = 3;
constexpr std::uint32_t kKdeDefaultDoubleClick = 400;

// kdeglobals as it is now: empty when there is none yet (or a link to
// nothing yet); nothing, with the reason in `problem`, when something that
// is not a readable file holds its name. A FIFO there is never opened for
// reading, which would wait for a writer for good.
std::optional<std::string> readKdeGlobals(const std::filesystem::path& path, Problem& problem)
{
    FileRead read = readRegularFile(path);
    if (read.status == FileRead::Status::Missing)
        return std::string();
    if (!read.ok()) {
        problem = readFailure(path, read);
        return std::nullopt;
    }
    return std::move(read.bytes);
}

std::optional<std::uint32_t> kdeNumber(const std::optional<std::string>& text, std::uint32_t fallback)
{
    if (!text)
        return fallback;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text->c_str(), &end, 10);
    if (text->empty() || *end != '\0' || value > 0xFFFFFFFEul)
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

// Tells running KDE programs to read the mouse settings again:
// org.kde.KGlobalSettings.notifyChange(SettingsChanged = 3, SETTINGS_MOUSE = 0).
// Only over a session bus that is already there: starting one for this
// would reach nobody.
void notifyKdePrograms()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code ec;
    const bool busThere = envSet("DBUS_SESSION_BUS_ADDRESS") ||
                          (runtime && *runtime && std::filesystem::exists(std::filesystem::path(runtime) / "bus", ec));
    if (!busThere)
        return;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (!bus)
        return;
    g_dbus_connection_emit_signal(bus, nullptr, "/KGlobalSettings", "org.kde.KGlobalSettings", "notifyChange",
                                  g_variant_new("(ii)", 3, 0), nullptr);
    g_dbus_connection_flush_sync(bus, nullptr, nullptr);
    g_object_unref(bus);
}

class KdePointerSettings : public PointerSettings {
public:
    KdePointerSettings(std::filesystem::path kdeglobals, std::unique_ptr<StoredPointerSettings> stored)
        : m_path(std::move(kdeglobals)), m_stored(std::move(stored))
    {
    }

    const char* name() const override { return "kde"; }
    bool reachesDesktop(PointerSetting setting) const override
    {
        return setting == PointerSetting::WheelLines || setting == PointerSetting::DoubleClick;
    }
    std::string describe() const override
    {
        return m_path.string() + " [KDE]; speed, precision and one screen in " + m_stored->describe();
    }
    Problem problem() const override { return m_problem ? m_problem : m_stored->problem(); }

    std::optional<MouseParameters> mouseParameters() override { return m_stored->mouseParameters(); }
    std::optional<int> speed() override { return m_stored->speed(); }
    std::optional<std::uint32_t> wheelScrollLines() override
    {
        if (m_stored->wheelScrollLines() == kWheelPageScroll)
            return kWheelPageScroll;
        const auto text = readKdeGlobals(m_path, m_problem);
        if (!text)
            return std::nullopt;
        return kdeNumber(kdeConfigValue(*text, kKdeGroup, kKdeLinesKey), kKdeDefaultLines);
    }
    std::uint32_t doubleClickTime() override
    {
        const auto text = readKdeGlobals(m_path, m_problem);
        if (!text)
            return 0;
        return kdeNumber(kdeConfigValue(*text, kKdeGroup, kKdeDoubleClickKey), kKdeDefaultDoubleClick).value_or(0);
    }

    bool setMouseParameters(const MouseParameters& parameters) override
    {
        return m_stored->setMouseParameters(parameters);
    }
    bool setSpeed(int speed) override { return m_stored->setSpeed(speed); }
    bool setWheelScrollLines(std::uint32_t lines) override
    {
        // KDE has no "one screen": the box is kept beside the other stored
        // values and KDE keeps its line count.
        if (!m_stored->setWheelScrollLines(lines))
            return false;
        return lines == kWheelPageScroll || write(kKdeLinesKey, lines);
    }
    bool setDoubleClickTime(std::uint32_t milliseconds) override { return write(kKdeDoubleClickKey, milliseconds); }

private:
    bool write(const char* key, std::uint32_t value)
    {
        const auto text = readKdeGlobals(m_path, m_problem);
        if (!text)
            return false;
        const std::string changed = setKdeConfigValue(*text, kKdeGroup, key, std::to_string(value));
        if (changed != *text) {
            std::error_code ec;
            std::filesystem::create_directories(m_path.parent_path(), ec);
            // Through a symbolic link (a managed dotfile) the file it names
            // is the one replaced, and the link stays.
            if (const int error = replaceFileAtomically(m_path, changed.data(), changed.size())) {
                m_problem = Failure{FailureCode::FileNotWritten, m_path.string(), {}, error};
                return false;
            }
        }
        notifyKdePrograms();
        return true;
    }

    std::filesystem::path m_path;
    std::unique_ptr<StoredPointerSettings> m_stored;
    Problem m_problem;
};

// Quiet while asking which GSettings backend GIO would use: without dconf it
// may announce its fallback on stderr.
void ignoreLog(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

// GNOME keeps its settings in dconf. Without it GIO falls back to a key file
// or to memory, which no desktop reads: the stored backend is more honest.
bool gsettingsReachesTheDesktop()
{
    if (envSet("GSETTINGS_BACKEND"))
        return true;
    const guint handler =
        g_log_set_handler("GLib-GIO", static_cast<GLogLevelFlags>(G_LOG_LEVEL_MESSAGE | G_LOG_LEVEL_WARNING),
                          ignoreLog, nullptr);
    GSettingsBackend* backend = g_settings_backend_get_default();
    g_log_remove_handler("GLib-GIO", handler);
    const bool dconf = std::string_view(G_OBJECT_TYPE_NAME(backend)) == "DConfSettingsBackend";
    g_object_unref(backend);
    return dconf;
}

} // namespace

bool gnomeMouseSchemaInstalled()
{
    GSettingsSchema* schema = lookUpGnomeSchema();
    if (!schema)
        return false;
    g_settings_schema_unref(schema);
    return true;
}

std::unique_ptr<PointerSettings> makeGnomePointerSettings(std::unique_ptr<StoredPointerSettings> stored)
{
    GSettingsSchema* schema = lookUpGnomeSchema();
    if (!schema)
        return nullptr;
    return std::make_unique<GnomePointerSettings>(schema, std::move(stored));
}

std::unique_ptr<PointerSettings> makeKdePointerSettings(std::filesystem::path kdeglobals,
                                                        std::unique_ptr<StoredPointerSettings> stored)
{
    return std::make_unique<KdePointerSettings>(std::move(kdeglobals), std::move(stored));
}

std::unique_ptr<PointerSettings> pickPointerSettings(const std::filesystem::path& dataDir)
{
    auto stored = std::make_unique<StoredPointerSettings>(dataDir / kPointerStoreFileName);
    const char* chosen = std::getenv("VARCEL_POINTER_SETTINGS");
    const std::string_view choice = chosen ? chosen : "";
    if (choice == "stored")
        return stored;
    if (choice == "kde" || (choice.empty() && envSet("KDE_SESSION_VERSION"))) {
        if (const auto path = kdeGlobalsPath(); !path.empty())
            return makeKdePointerSettings(path, std::move(stored));
        return stored; // no home, so no kdeglobals to reach
    }
    if (choice == "gnome" || (choice.empty() && gnomeMouseSchemaInstalled() && gsettingsReachesTheDesktop())) {
        if (GSettingsSchema* schema = lookUpGnomeSchema())
            return std::make_unique<GnomePointerSettings>(schema, std::move(stored));
    }
    return stored;
}

} // namespace varcel
