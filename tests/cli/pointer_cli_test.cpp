// varcelctl pointer as a user runs it, on the stored backend (the tests'
// environment chooses it): the slider positions in config.bin and the values
// the desktop holds.
#include "device/config_store.h"
#include "platform/pointer_settings.h"
#include "support/cli_run.h"

#include <gtest/gtest.h>

#include <tuple>

namespace varcel {
namespace {

using test::CliRun;

class VarcelctlPointer : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::vector<std::uint8_t> bytes(kConfigFileSize, 0);
        bytes[0] = 1;
        bytes[1 + img::kPointerSpeed] = 6;
        bytes[1 + img::kScrollLines] = 3;
        bytes[1 + img::kDoubleClick] = 6;
        test::writeBytes(dir / "config.bin", bytes);
    }
    CliRun run(const std::string& args) { return test::runVarcelctl(VARCELCTL_PATH, dir.path(), "pointer " + args); }
    std::uint8_t byte(std::size_t offset) const { return test::readBytes(dir / "config.bin")[1 + offset]; }
    test::TempDir dir;
};

TEST_F(VarcelctlPointer, EditsThePositionsAndAppliesThemToTheDesktop)
{
    struct Row {
        const char* args;
        std::size_t offset;
        std::uint8_t value;
    };
    for (const Row row : {Row{"set speed 11", img::kPointerSpeed, 11}, Row{"set lines 1", img::kScrollLines, 1},
                          Row{"set double-click 2", img::kDoubleClick, 2},
                          Row{"precision on", img::kPointerPrecision, 1},
                          Row{"one-screen on", img::kScrollOneScreen, 1},
                          Row{"one-screen off", img::kScrollOneScreen, 0}}) {
        const CliRun r = run(row.args);
        EXPECT_EQ(r.status, 0) << row.args << ": " << r.err;
        EXPECT_EQ(byte(row.offset), row.value) << row.args;
    }
    // Editing config.bin leaves the desktop alone; apply gives it the values.
    StoredPointerSettings desktop(dir / "pointer.ini");
    EXPECT_FALSE(std::filesystem::exists(dir / "pointer.ini"));
    ASSERT_EQ(run("apply").status, 0);
    EXPECT_EQ(desktop.speed(), 20);
    EXPECT_EQ(desktop.wheelScrollLines(), 1u);
    EXPECT_EQ(desktop.doubleClickTime(), 830u);
    EXPECT_EQ(desktop.mouseParameters(), kPrecisionOn);

    const CliRun show = run("");
    ASSERT_EQ(show.status, 0) << show.err;
    EXPECT_NE(show.out.find("backend \"stored\""), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("Mouse Speed                 position 11"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("830 ms"), std::string::npos) << show.out;

    const CliRun defaults = run("default");
    ASSERT_EQ(defaults.status, 0) << defaults.err;
    EXPECT_EQ(desktop.speed(), 10);
    EXPECT_EQ(desktop.doubleClickTime(), 500u);
    EXPECT_EQ(desktop.mouseParameters(), kPrecisionOff);
    EXPECT_EQ(byte(img::kPointerSpeed), 6);
    EXPECT_EQ(byte(img::kDoubleClick), 6);
    EXPECT_EQ(byte(img::kPointerPrecision), 0);
}

TEST_F(VarcelctlPointer, RefusesWhatTheSlidersCannotShowAndReportsADesktopThatSaysNo)
{
    const auto before = test::readBytes(dir / "config.bin");
    for (const char* args : {"set speed 12", "set lines 0", "set speed fast", "set volume 3", "precision maybe"})
        EXPECT_EQ(run(args).status, 2) << args;
    EXPECT_EQ(test::readBytes(dir / "config.bin"), before);

    // A desktop file that cannot be written: every update is named, the
    // rest still goes on, and the exit status says so.
    std::filesystem::create_directory(dir / "pointer.ini");
    const CliRun r = run("apply");
    EXPECT_EQ(r.status, 1);
    for (const char* message : {"SETMOUSE failed.", "SETMOUSESPEED failed.", "SETWHEELSCROLLLINES failed.",
                                "SPI_SETDOUBLECLICKTIME failed."})
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("got the"), std::string::npos) << r.out;
    EXPECT_EQ(run("default").out.find("got the"), std::string::npos);
    std::filesystem::remove(dir / "pointer.ini");

    // The desktops' own stores, odd or out of reach: never a hang, never "got"
    // for a failure, and the reason in words.
    test::TempDir home;
    const std::string at = "HOME=" + home.path().string() + " XDG_CONFIG_HOME=" + home.path().string();
    const std::string kde = "env VARCEL_POINTER_SETTINGS=kde " + at + " timeout 20 ";
    const std::string gnome = "env VARCEL_POINTER_SETTINGS=gnome GSETTINGS_BACKEND=dconf DBUS_SESSION_BUS_ADDRESS=unix:"
                              "path=/none XDG_RUNTIME_DIR=" + home.path().string() + " " + at + " timeout 20 ";
    const auto kdeglobals = home / "kdeglobals";
    for (const auto& [prefix, make, says] : std::vector<std::tuple<std::string, std::string, std::string>>{
             {kde, "mkfifo", "kdeglobals: is a FIFO"}, {kde, "mkdir", "kdeglobals: is a folder"},
             {kde, "ln -s gone/kdeglobals", "No such file or directory"}, {gnome, "true", "did not keep the value"}}) {
        std::filesystem::remove_all(kdeglobals);
        ASSERT_EQ(std::system(("cd " + home.path().string() + " && " + make + " kdeglobals").c_str()), 0);
        for (const char* command : {"apply", "default"}) {
            const CliRun f = test::runVarcelctl(VARCELCTL_PATH, dir.path(), std::string("pointer ") + command, "C", prefix);
            EXPECT_EQ(f.status, 1) << command << make << f.err;
            EXPECT_EQ(f.out.find("got the"), std::string::npos) << f.out;
            EXPECT_NE(f.err.find(says), std::string::npos) << command << make << f.err;
        }
        EXPECT_EQ(test::runVarcelctl(VARCELCTL_PATH, dir.path(), "pointer", "C", prefix).status, 0) << make;
    }
}

} // namespace
} // namespace varcel
