// The pointer-settings backends against the real thing: GSettings with
// Debian's GNOME schema (in GIO's memory backend, so the user's settings are
// never touched), a kdeglobals of ours in a temporary folder, a private
// session bus for KDE's reload signal, and the stored file.
#include "platform/pointer_settings.h"
#include "support/temp_dir.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sys/stat.h>

namespace varcel {
namespace {

// GIO picks its GSettings backend once per process, at its first use: the
// memory backend must be asked for before anything else runs.
const bool kMemoryBackend = [] { return ::setenv("GSETTINGS_BACKEND", "memory", 1) == 0; }();

std::string readText(const std::filesystem::path& path)
{
    const auto bytes = test::readBytes(path);
    return {bytes.begin(), bytes.end()};
}

void writeText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

struct KdeEditRow {
    const char* what;
    std::string before;
    const char* key;
    const char* value;
    std::string after;
};

TEST(KdeConfigText, ChangesOnlyTheOneEntry)
{
    const KdeEditRow rows[] = {
        {"entry replaced, CRLF and the rest kept",
         "# mine\r\n[General]\r\nWheelScrollLines=9\r\n\r\n[KDE]\r\n  WheelScrollLines = 3 \r\nSingleClick=false\r\n",
         "WheelScrollLines", "7",
         "# mine\r\n[General]\r\nWheelScrollLines=9\r\n\r\n[KDE]\r\nWheelScrollLines=7\r\nSingleClick=false\r\n"},
        {"missing key after the group's last entry, before the blank line",
         "[KDE]\nSingleClick=false\n\n[Icons]\nTheme=breeze\n", "DoubleClickInterval", "480",
         "[KDE]\nSingleClick=false\nDoubleClickInterval=480\n\n[Icons]\nTheme=breeze\n"},
        {"missing group appended after a blank line", "[General]\nfont=Noto Sans,10\n", "WheelScrollLines", "5",
         "[General]\nfont=Noto Sans,10\n\n[KDE]\nWheelScrollLines=5\n"},
        {"last line without a line break", "[KDE]\nSingleClick=false", "WheelScrollLines", "5",
         "[KDE]\nSingleClick=false\nWheelScrollLines=5\n"},
        {"empty file", "", "WheelScrollLines", "5", "[KDE]\nWheelScrollLines=5\n"},
        {"a localised entry and a nested group are other keys",
         "[KDE]\nWheelScrollLines[de]=4\n[KDE][Sub]\nWheelScrollLines=2\n", "WheelScrollLines", "6",
         "[KDE]\nWheelScrollLines[de]=4\nWheelScrollLines=6\n[KDE][Sub]\nWheelScrollLines=2\n"},
        {"the last entry of a repeated group, which KDE reads",
         "[KDE]\nWheelScrollLines=1\n[X]\na=b\n[KDE]\nWheelScrollLines=2\n", "WheelScrollLines", "8",
         "[KDE]\nWheelScrollLines=1\n[X]\na=b\n[KDE]\nWheelScrollLines=8\n"},
        {"the same value leaves the text as it was", "[KDE]\nWheelScrollLines=3\n# end\n", "WheelScrollLines", "3",
         "[KDE]\nWheelScrollLines=3\n# end\n"},
    };
    for (const KdeEditRow& row : rows) {
        EXPECT_EQ(setKdeConfigValue(row.before, "KDE", row.key, row.value), row.after) << row.what;
        EXPECT_EQ(kdeConfigValue(row.after, "KDE", row.key), std::optional<std::string>(row.value)) << row.what;
    }
    EXPECT_EQ(kdeConfigValue("[General]\nWheelScrollLines=9\n", "KDE", "WheelScrollLines"), std::nullopt);
}

class KdeBackend : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
        settings = makeKdePointerSettings(kdeGlobalsPath(),
                                          std::make_unique<StoredPointerSettings>(data / "pointer.ini"));
    }
    void TearDown() override { ::unsetenv("XDG_CONFIG_HOME"); }
    test::TempDir config;
    test::TempDir data;
    std::unique_ptr<PointerSettings> settings;
};

TEST_F(KdeBackend, WritesItsTwoKeysAndKeepsEveryOtherLine)
{
    const std::string before = "[$Version]\nupdate_info=kded.upd:kde4\n\n[General]\nColorScheme=BreezeDark\n"
                               "font=Noto Sans,10,-1,5,50,0,0,0,0,0\n\n[KDE]\nLookAndFeelPackage=org.kde.breezedark\n"
                               "SingleClick=false\nWheelScrollLines=3\n\n[WM]\nactiveBackground=49,54,59\n";
    const auto path = config / "kdeglobals";
    writeText(path, before);
    ASSERT_EQ(kdeGlobalsPath(), path);

    EXPECT_EQ(settings->wheelScrollLines(), 3u);
    EXPECT_EQ(settings->doubleClickTime(), 400u); // KDE's default while the key is absent
    ASSERT_TRUE(settings->setWheelScrollLines(7));
    ASSERT_TRUE(settings->setDoubleClickTime(480));
    const std::string expected = "[$Version]\nupdate_info=kded.upd:kde4\n\n[General]\nColorScheme=BreezeDark\n"
                                 "font=Noto Sans,10,-1,5,50,0,0,0,0,0\n\n[KDE]\nLookAndFeelPackage=org.kde.breezedark\n"
                                 "SingleClick=false\nWheelScrollLines=7\nDoubleClickInterval=480\n\n[WM]\n"
                                 "activeBackground=49,54,59\n";
    EXPECT_EQ(readText(path), expected);
    EXPECT_EQ(settings->wheelScrollLines(), 7u);
    EXPECT_EQ(settings->doubleClickTime(), 480u);

    // One screen has no KDE key: it is kept beside the other stored values
    // and KDE keeps its count, which comes back when the box is unticked.
    ASSERT_TRUE(settings->setWheelScrollLines(kWheelPageScroll));
    EXPECT_EQ(readText(path), expected);
    EXPECT_EQ(settings->wheelScrollLines(), kWheelPageScroll);
    ASSERT_TRUE(settings->setWheelScrollLines(4));
    EXPECT_EQ(kdeConfigValue(readText(path), "KDE", "WheelScrollLines"), "4");

    // Speed and precision are Varcel's own on KDE.
    ASSERT_TRUE(settings->setSpeed(14));
    ASSERT_TRUE(settings->setMouseParameters(kPrecisionOff));
    EXPECT_EQ(settings->speed(), 14);
    EXPECT_EQ(settings->mouseParameters(), kPrecisionOff);
    EXPECT_EQ(kdeConfigValue(readText(path), "KDE", "WheelScrollLines"), "4");
    EXPECT_FALSE(settings->reachesDesktop(PointerSetting::Speed));
    EXPECT_TRUE(settings->reachesDesktop(PointerSetting::WheelLines));
    EXPECT_TRUE(settings->reachesDesktop(PointerSetting::DoubleClick));
}

TEST_F(KdeBackend, CreatesTheFileAndFollowsASymbolicLink)
{
    ASSERT_TRUE(settings->setDoubleClickTime(550));
    EXPECT_EQ(readText(config / "kdeglobals"), "[KDE]\nDoubleClickInterval=550\n");

    // A dotfile manager's link keeps pointing at the managed file.
    test::TempDir managed;
    writeText(managed / "kdeglobals", "[KDE]\nDoubleClickInterval=550\n");
    std::filesystem::remove(config / "kdeglobals");
    std::filesystem::create_symlink(managed / "kdeglobals", config / "kdeglobals");
    ASSERT_TRUE(settings->setWheelScrollLines(9));
    EXPECT_TRUE(std::filesystem::is_symlink(config / "kdeglobals"));
    EXPECT_EQ(readText(managed / "kdeglobals"), "[KDE]\nDoubleClickInterval=550\nWheelScrollLines=9\n");
}

TEST_F(KdeBackend, AValueKdeCannotReadFailsTheQuery)
{
    writeText(config / "kdeglobals", "[KDE]\nWheelScrollLines=lots\nDoubleClickInterval=\n");
    EXPECT_EQ(settings->wheelScrollLines(), std::nullopt);
    EXPECT_EQ(settings->doubleClickTime(), 0u);
}

TEST_F(KdeBackend, RunningProgramsAreToldToReload)
{
    GTestDBus* bus = g_test_dbus_new(G_TEST_DBUS_NONE);
    g_test_dbus_up(bus); // sets DBUS_SESSION_BUS_ADDRESS
    GDBusConnection* listener = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    ASSERT_NE(listener, nullptr);
    struct Seen {
        int count = 0;
        gint32 type = -1;
        gint32 arg = -1;
    } seen;
    const guint subscription = g_dbus_connection_signal_subscribe(
        listener, nullptr, "org.kde.KGlobalSettings", "notifyChange", "/KGlobalSettings", nullptr,
        G_DBUS_SIGNAL_FLAGS_NONE,
        [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant* parameters,
           gpointer user) {
            auto* s = static_cast<Seen*>(user);
            g_variant_get(parameters, "(ii)", &s->type, &s->arg);
            ++s->count;
        },
        &seen, nullptr);
    // The subscription reaches the bus before the signal is sent.
    g_dbus_connection_call_sync(listener, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                "GetId", nullptr, nullptr, G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr);

    ASSERT_TRUE(settings->setWheelScrollLines(5));
    const gint64 deadline = g_get_monotonic_time() + 5 * G_TIME_SPAN_SECOND;
    while (seen.count == 0 && g_get_monotonic_time() < deadline)
        g_main_context_iteration(nullptr, FALSE);
    EXPECT_EQ(seen.count, 1);
    EXPECT_EQ(seen.type, 3); // SettingsChanged
    EXPECT_EQ(seen.arg, 0);  // the mouse settings

    g_dbus_connection_signal_unsubscribe(listener, subscription);
    g_object_unref(listener);
    g_test_dbus_down(bus);
    g_object_unref(bus);
}

class GnomeBackend : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(kMemoryBackend);
        ASSERT_TRUE(gnomeMouseSchemaInstalled()) << "gsettings-desktop-schemas is needed";
        settings = makeGnomePointerSettings(std::make_unique<StoredPointerSettings>(data / "pointer.ini"));
        ASSERT_NE(settings, nullptr);
        gnome = g_settings_new("org.gnome.desktop.peripherals.mouse");
    }
    void TearDown() override
    {
        for (const char* key : {"speed", "accel-profile", "double-click"})
            g_settings_reset(gnome, key);
        g_object_unref(gnome);
    }
    test::TempDir data;
    std::unique_ptr<PointerSettings> settings;
    GSettings* gnome = nullptr;
};

TEST_F(GnomeBackend, SpeedMapsOntoGnomesScaleBothWays)
{
    struct Row {
        int speed;
        double gnomeSpeed;
    };
    for (const Row row : {Row{1, -1.0}, Row{4, -2.0 / 3}, Row{10, 0.0}, Row{11, 0.1}, Row{15, 0.5}, Row{20, 1.0}}) {
        ASSERT_TRUE(settings->setSpeed(row.speed));
        EXPECT_NEAR(g_settings_get_double(gnome, "speed"), row.gnomeSpeed, 1e-9) << row.speed;
        EXPECT_EQ(settings->speed(), row.speed);
    }
    EXPECT_FALSE(settings->setSpeed(0));
    EXPECT_FALSE(settings->setSpeed(21));
    // A value set in GNOME's own panel comes to the nearest step.
    g_settings_set_double(gnome, "speed", -0.5);
    EXPECT_EQ(settings->speed(), 5); // 10 − 4.5, rounded away from the middle
    g_settings_set_double(gnome, "speed", 0.26);
    EXPECT_EQ(settings->speed(), 13);
}

TEST_F(GnomeBackend, PrecisionIsTheAccelerationProfileAndDoubleClickIsMilliseconds)
{
    EXPECT_EQ(settings->mouseParameters(), kPrecisionOn); // "default" is adaptive for a mouse
    ASSERT_TRUE(settings->setMouseParameters(kPrecisionOff));
    EXPECT_EQ(std::string(g_settings_get_string(gnome, "accel-profile")), "flat");
    EXPECT_EQ(settings->mouseParameters(), kPrecisionOff);
    ASSERT_TRUE(settings->setMouseParameters({6, 10, 1}));
    EXPECT_EQ(std::string(g_settings_get_string(gnome, "accel-profile")), "adaptive");
    // Thresholds without acceleration are no precision.
    ASSERT_TRUE(settings->setMouseParameters({6, 10, 0}));
    EXPECT_EQ(settings->mouseParameters(), kPrecisionOff);

    EXPECT_EQ(settings->doubleClickTime(), 400u); // GNOME's default
    ASSERT_TRUE(settings->setDoubleClickTime(550));
    EXPECT_EQ(g_settings_get_int(gnome, "double-click"), 550);
    EXPECT_EQ(settings->doubleClickTime(), 550u);
    EXPECT_FALSE(settings->setDoubleClickTime(0));
}

TEST_F(GnomeBackend, WheelLinesAreKeptInTheDataFolder)
{
    EXPECT_EQ(settings->wheelScrollLines(), 3u);
    ASSERT_TRUE(settings->setWheelScrollLines(kWheelPageScroll));
    EXPECT_EQ(settings->wheelScrollLines(), kWheelPageScroll);
    StoredPointerSettings stored(data / "pointer.ini");
    EXPECT_EQ(stored.wheelScrollLines(), kWheelPageScroll);
    EXPECT_TRUE(settings->reachesDesktop(PointerSetting::Speed));
    EXPECT_TRUE(settings->reachesDesktop(PointerSetting::Precision));
    EXPECT_TRUE(settings->reachesDesktop(PointerSetting::DoubleClick));
    EXPECT_FALSE(settings->reachesDesktop(PointerSetting::WheelLines));
    EXPECT_FALSE(settings->reachesDesktop(PointerSetting::OneScreen));
}

TEST(PickPointerSettings, FollowsTheDesktop)
{
    test::TempDir data;
    struct Row {
        const char* choice;    // $VARCEL_POINTER_SETTINGS
        const char* kde;       // $KDE_SESSION_VERSION
        const char* expected;
    };
    // The memory backend was asked for by name, so the GNOME schema counts.
    for (const Row row : {Row{nullptr, nullptr, "gnome"}, Row{nullptr, "5", "kde"}, Row{"stored", "5", "stored"},
                          Row{"gnome", "5", "gnome"}, Row{"kde", nullptr, "kde"}}) {
        row.choice ? ::setenv("VARCEL_POINTER_SETTINGS", row.choice, 1) : ::unsetenv("VARCEL_POINTER_SETTINGS");
        row.kde ? ::setenv("KDE_SESSION_VERSION", row.kde, 1) : ::unsetenv("KDE_SESSION_VERSION");
        EXPECT_STREQ(pickPointerSettings(data.path())->name(), row.expected)
            << (row.choice ? row.choice : "-") << " " << (row.kde ? row.kde : "-");
    }
    ::unsetenv("VARCEL_POINTER_SETTINGS");
    ::unsetenv("KDE_SESSION_VERSION");
}

TEST(StoredPointerSettings, KeepsWhatWasWrittenAndRefusesWhatItCannotRead)
{
    test::TempDir data;
    StoredPointerSettings stored(data / "pointer.ini");
    // A fresh desktop's values.
    EXPECT_EQ(stored.mouseParameters(), kPrecisionOn);
    EXPECT_EQ(stored.speed(), 10);
    EXPECT_EQ(stored.wheelScrollLines(), 3u);
    EXPECT_EQ(stored.doubleClickTime(), 500u);

    ASSERT_TRUE(stored.setMouseParameters(kPrecisionOff));
    ASSERT_TRUE(stored.setSpeed(2));
    ASSERT_TRUE(stored.setWheelScrollLines(11));
    ASSERT_TRUE(stored.setDoubleClickTime(270));
    StoredPointerSettings again(data / "pointer.ini");
    EXPECT_EQ(again.mouseParameters(), kPrecisionOff);
    EXPECT_EQ(again.speed(), 2);
    EXPECT_EQ(again.wheelScrollLines(), 11u);
    EXPECT_EQ(again.doubleClickTime(), 270u);
    EXPECT_FALSE(again.setSpeed(21));

    writeText(data / "pointer.ini", "[Pointer]\nMouseParameters=6,10\nSpeed=fast\nWheelScrollLines=-2\n"
                                    "DoubleClickTime=soon\n");
    EXPECT_EQ(again.mouseParameters(), std::nullopt);
    EXPECT_EQ(again.speed(), std::nullopt);
    EXPECT_EQ(again.wheelScrollLines(), std::nullopt);
    EXPECT_EQ(again.doubleClickTime(), 0u);

    // A folder that cannot be written: every write says so.
    if (::geteuid() != 0) {
        ::chmod(data.path().c_str(), 0500);
        EXPECT_FALSE(again.setSpeed(4));
        ::chmod(data.path().c_str(), 0700);
    }
    // Something that is not a file at its name is neither taken for the
    // defaults nor replaced.
    std::filesystem::remove(data / "pointer.ini");
    ASSERT_EQ(::mkfifo((data / "pointer.ini").c_str(), 0600), 0);
    EXPECT_EQ(again.speed(), std::nullopt);
    EXPECT_FALSE(again.setSpeed(4));
    EXPECT_EQ(again.problem().value_or(Failure{}).file, FileStatus::Fifo);
    EXPECT_TRUE(std::filesystem::is_fifo(data / "pointer.ini"));
    StoredPointerSettings nowhere(data / "missing" / "pointer.ini");
    EXPECT_FALSE(nowhere.setSpeed(4));
    EXPECT_FALSE(nowhere.setDoubleClickTime(500));
}

} // namespace
} // namespace varcel
