// varcelctl run as a program: exit statuses, the trace format, JSON, and the
// simulated mouse's memory from one call to the next.
#include "device/config_store.h"
#include "platform/folder_lock.h"
#include "support/cli_run.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <regex>
#include <set>
#include <sstream>

namespace varcel {
namespace {

using test::CliRun;

class Varcelctl : public ::testing::Test {
protected:
    CliRun run(const std::string& args) { return test::runVarcelctl(VARCELCTL_PATH, dir.path(), args); }
    void seedConfig(std::uint8_t fill = 0)
    {
        std::vector<std::uint8_t> bytes(kConfigFileSize, fill);
        bytes[1 + img::kReportRate] = 4;
        bytes[1 + img::kUnused793] = 0xAB;
        test::writeBytes(dir / "config.bin", bytes);
    }
    test::TempDir dir;
};

TEST_F(Varcelctl, StatusTellsAcceptedFromRejectedByExitStatus)
{
    const CliRun ok = run("--simulate status");
    EXPECT_EQ(ok.status, 0) << ok.err;
    EXPECT_NE(ok.out.find("Link: ready"), std::string::npos) << ok.out;

    const CliRun plain = run("--simulate --sim-fault plain status");
    EXPECT_EQ(plain.status, 1);
    EXPECT_NE(plain.out.find("rejected (plain answer)"), std::string::npos) << plain.out;
    EXPECT_NE(plain.err.find("The system did not detect the gaming mouse!"), std::string::npos) << plain.err;

    for (const char* args : {"--simulate --sim-fault nonsense status", "--simulate --sim-unplug-after -5 status"}) {
        const CliRun usage = run(args);
        EXPECT_EQ(usage.status, 2) << args;
        EXPECT_FALSE(usage.err.empty());
    }

    // While another program holds the folder of the mouse's memory, it says it waits, then fails.
    FolderLock other(dir.path());
    const CliRun busy = run("--simulate status");
    EXPECT_EQ(busy.status, 1);
    EXPECT_NE(busy.err.find("waiting for it (at most 10 s)\nvarcelctl: " + dir.path().string()), std::string::npos)
        << busy.err;

    const CliRun noCommand = run("");
    EXPECT_NE(noCommand.status, 0);
}

TEST_F(Varcelctl, TraceLinesHaveTheDocumentedForm)
{
    seedConfig();
    const CliRun r = run("--simulate --trace apply");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::regex command(R"(^[<>] CMD( [0-9A-F]{2}){8}$)");
    const std::regex data(R"(^[<>] DATA( [0-9A-F]{2}){32}$)");
    std::istringstream lines(r.out);
    std::string line;
    int commands = 0;
    int dataOut = 0;
    int dataIn = 0;
    while (std::getline(lines, line)) {
        if (line.rfind("> CMD", 0) == 0 || line.rfind("< CMD", 0) == 0) {
            EXPECT_TRUE(std::regex_match(line, command)) << line;
            commands += line[0] == '>';
        } else if (line.find("DATA") == 2) {
            EXPECT_TRUE(std::regex_match(line, data)) << line;
            (line[0] == '>' ? dataOut : dataIn)++;
        }
    }
    // Two probes, the sensor exchange (two commands), then the apply's 37 commands.
    EXPECT_EQ(commands, 2 + 2 + 37);
    EXPECT_EQ(dataOut, 60);
    EXPECT_EQ(dataIn, 3 + 48);
}

TEST_F(Varcelctl, TheSimulatedMouseRemembersBetweenCalls)
{
    seedConfig();
    ASSERT_EQ(run("--simulate apply").status, 0);
    const CliRun device = run("--simulate device");
    ASSERT_EQ(device.status, 0) << device.err;
    EXPECT_NE(device.out.find("Report rate code: 4"), std::string::npos) << device.out;
    EXPECT_NE(device.out.find("option 2 0x40"), std::string::npos) << "the sensor exchange was kept";
    EXPECT_NE(device.out.find("slot 0: 01 00 F0 00  left click"), std::string::npos) << device.out;
}

TEST_F(Varcelctl, ShowDecodesTheFileAndRefusesAWrongSize)
{
    seedConfig();
    const CliRun r = run("show --json");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["reportRate"]["hz"], 250);
    EXPECT_EQ(j["unused"]["0x793"], "AB 00 00 00 00 00 00 00");
    EXPECT_EQ(j["layers"]["A"].size(), 12u);

    test::writeBytes(dir / "config.bin", std::vector<std::uint8_t>(kConfigFileSize + 1, 0));
    const CliRun wrong = run("show");
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(wrong.err.find("2023 bytes"), std::string::npos) << wrong.err;

    std::filesystem::remove(dir / "config.bin");
    const CliRun missing = run("show");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("Config file is not exist."), std::string::npos) << missing.err;
}

TEST_F(Varcelctl, TheBuiltDefaultConfigurationIsWhatANewUserNeeds)
{
    std::filesystem::copy_file(VARCEL_DEFAULT_CONFIG, dir / "config.bin");
    const CliRun r = run("show --json");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["firstRunFlag"], 0);
    const char* const functions[] = {"Left Click", "Right Click", "Mid Click", "Forward",
                                     "Backward",   "DPI Switch",  "Key Off"};
    for (const char* layer : {"A", "B"}) {
        for (std::size_t slot = 0; slot < 12; ++slot)
            EXPECT_EQ(j["layers"][layer][slot]["function"], functions[std::min<std::size_t>(slot, 6)])
                << layer << " " << slot;
        EXPECT_EQ(j["layers"][layer][5]["dpiOptionName"], "DPI Loop");
    }
    EXPECT_EQ(j["reportRate"]["hz"], 1000);
    int enabledStages = 0;
    for (const auto& stage : j["dpiStages"])
        enabledStages += stage["enabled"].get<bool>();
    EXPECT_EQ(enabledStages, 4);
    EXPECT_EQ(j["lighting"]["modeName"], "Standard Mode");
    std::set<std::string> colours;
    for (const auto& colour : j["lighting"]["loopColours"]) {
        EXPECT_TRUE(colour["enabled"].get<bool>());
        colours.insert(colour["rgb"].get<std::string>());
    }
    EXPECT_EQ(colours.size(), 8u) << "eight different colours";
    EXPECT_EQ(j["pointer"]["speed"], 6);
    EXPECT_EQ(j["pointer"]["scrollLines"], 3);
    EXPECT_EQ(j["pointer"]["doubleClickStep"], 6);
}

TEST_F(Varcelctl, SavingOnAFirstRunSetsTheDefaultLabelsAsTheWindowWould)
{
    // The flag goes to 1 with any save, so the labels must be there by then.
    for (const char* command : {"--simulate apply", "macro new Copy"}) {
        SCOPED_TRACE(command);
        seedConfig();
        std::filesystem::remove(dir / "str.ini");
        const CliRun r = run(command);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(test::readBytes(dir / "config.bin")[0], 1);
        const auto ini = test::readBytes(dir / "str.ini");
        const std::string text(ini.begin(), ini.end());
        EXPECT_NE(text.find("Item1=Left Click"), std::string::npos) << text;
        EXPECT_NE(text.find("Item6=DPI Loop"), std::string::npos) << text;
    }
}

TEST_F(Varcelctl, ApplyWithoutAcceptedMouseChangesNothing)
{
    seedConfig();
    const auto before = test::readBytes(dir / "config.bin");
    const CliRun r = run("--simulate --sim-fault silent apply");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(test::readBytes(dir / "config.bin"), before);
}

// The doctor's line on switching by the application in front names what
// the session offers and why it does not follow, as a fix only once rules
// ask for switching.
TEST_F(Varcelctl, DoctorTellsWhichDesktopFollowsTheFocusOrWhyNone)
{
    seedConfig();
    const std::string nowhere = (dir / "none").string();
    const struct {
        std::string env;
        std::string line;
    } cases[] = {
        {"", "OK   profiles: no automatic switching: no desktop session here tells the application in front"},
        {"WAYLAND_DISPLAY=" + nowhere, "OK   profiles: no automatic switching (wlroots: no Wayland compositor answers"},
        {"WAYLAND_DISPLAY=" + nowhere + " XDG_CURRENT_DESKTOP=ubuntu:GNOME",
         "(gnome: GNOME Shell does not answer on the session bus"},
        {"WAYLAND_DISPLAY=" + nowhere + " XDG_CURRENT_DESKTOP=KDE", "OK   profiles: switched by the application in "
                                                                    "front (KDE Plasma"},
        {"DISPLAY=:97 SWAYSOCK=" + nowhere, "no automatic switching (x11: no X server answers)"},
        {"I3SOCK=" + (dir / "config.bin").string(), "no desktop session here"},
        {"VARCEL_FOCUS=wlroots DISPLAY=:97 WAYLAND_DISPLAY=" + nowhere, "(wlroots: no Wayland compositor answers"},
    };
    for (const auto& c : cases) {
        const CliRun r = test::runVarcelctl(VARCELCTL_PATH, dir.path(), "--simulate doctor", "C",
                                            "env -i PATH=/usr/bin:/bin " + c.env + " ");
        EXPECT_NE(r.out.find(c.line), std::string::npos) << c.env << "\n" << r.out;
    }
    ASSERT_EQ(run("profile save Desk").status, 0);
    ASSERT_EQ(run("profile rule add default Desk").status, 0);
    const CliRun wanted = test::runVarcelctl(VARCELCTL_PATH, dir.path(), "--simulate doctor", "C",
                                             "env -i PATH=/usr/bin:/bin WAYLAND_DISPLAY=" + nowhere + " ");
    EXPECT_NE(wanted.out.find("FIX  profiles: no automatic switching (wlroots"), std::string::npos) << wanted.out;
}

} // namespace
} // namespace varcel
