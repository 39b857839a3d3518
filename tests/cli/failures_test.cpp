// varcelctl against a simulated mouse that misbehaves: every failure is told
// as a failure, with a non-zero status, and nothing made up is sent or shown.
#include "device/config_store.h"
#include "device/sim/sim_mouse.h"
#include "support/cli_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <numeric>

namespace varcel {
namespace {

using test::CliRun;

class VarcelctlFailures : public ::testing::Test {
protected:
    CliRun run(const std::string& args) { return test::runVarcelctl(VARCELCTL_PATH, dir.path(), args); }
    void seedConfig()
    {
        std::vector<std::uint8_t> bytes(kConfigFileSize, 0);
        bytes[0] = 1;
        bytes[1 + img::kReportRate] = 4;
        test::writeBytes(dir / "config.bin", bytes);
    }
    // The simulated mouse's memory between calls: colour block 1 holds 11 to 34.
    SimMemory seedMouse()
    {
        SimMemory memory;
        std::iota(memory.colourBlocks[1].begin(), memory.colourBlocks[1].end(), std::uint8_t{11});
        SimMouse mouse(dir / "simulated-mouse.bin");
        mouse.setMemory(memory);
        mouse.saveMemory();
        return memory;
    }
    SimMemory mouseMemory() { return SimMouse(dir / "simulated-mouse.bin").memory(); }
    test::TempDir dir;
};

TEST_F(VarcelctlFailures, AShortMouseCostsOneTimeOutAndKeepsItsColourBlock)
{
    seedConfig();
    const SimMemory before = seedMouse();
    const auto start = std::chrono::steady_clock::now();
    const CliRun r = run("--simulate --sim-fault short apply");
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.find("Applied"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("colour block 1 was not written back"), std::string::npos) << r.err;
    // One 500 ms time-out and the protocol's quarter second of pauses, not
    // fifteen time-outs.
    EXPECT_LT(took, std::chrono::milliseconds(2000));
    EXPECT_EQ(mouseMemory().colourBlocks[1], before.colourBlocks[1]);
}

TEST_F(VarcelctlFailures, AButtonApplyCutShortAnywhereIsAFailure)
{
    // The handshake, the sensor exchange and the apply's reports, those the
    // program reads included: 169 in all.
    // Every position is tried in process by the fault matrix; here a spread
    // of them, as a user would meet them.
    for (int unplugAfter : {3, 4, 5, 6, 9, 17, 30, 45, 60, 75, 90, 99, 100}) {
        SCOPED_TRACE("unplugged after report " + std::to_string(unplugAfter));
        seedConfig();
        const CliRun r = run("--simulate --sim-fault unplug-after --sim-unplug-after " + std::to_string(unplugAfter) +
                             " button A 3 single-key F5 --apply");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out.find("sent to the mouse"), std::string::npos) << r.out;
        EXPECT_FALSE(r.err.empty());
        // config.bin is saved all the same, whole.
        const auto saved = test::readBytes(dir / "config.bin");
        ASSERT_EQ(saved.size(), kConfigFileSize);
        EXPECT_EQ(saved[1 + img::at(Layer::A, img::LayerArray::SingleKey, 2)], 0x3E);
    }
    seedConfig();
    const CliRun whole = run("--simulate button A 3 single-key F5 --apply");
    EXPECT_EQ(whole.status, 0) << whole.err;
    EXPECT_NE(whole.out.find("sent to the mouse"), std::string::npos) << whole.out;
}

// Every command that sends to the mouse meets it the same way: a mouse that
// rejects the handshake or never answers leaves every file and the mouse as
// they were; one pulled out half way gets a failure and config.bin saved; a
// mouse that answers everything takes it all.
TEST_F(VarcelctlFailures, EveryApplyingCommandMeetsTheMouseTheSameWay)
{
    const std::string profile = (dir / "profile.json").string();
    const char* commands[] = {"apply",
                              "button A 3 single-key F5 --apply",
                              "rate 250 --apply",
                              "dpi 2 on --apply",
                              "rgb neon 1S --apply",
                              "color 2 on --apply",
                              "dpi-color 3 R on --apply",
                              "import PROFILE --apply"};
    const struct {
        const char* fault;
        int status;
        bool saved;
    } mice[] = {{"--sim-fault plain", 1, false},
                {"--sim-fault silent", 1, false},
                {"--sim-fault unplug-after --sim-unplug-after 40", 1, true},
                {"", 0, true}};
    for (const char* command : commands) {
        for (const auto& mouse : mice) {
            std::string args = command;
            if (const auto at = args.find("PROFILE"); at != std::string::npos)
                args.replace(at, 7, "'" + profile + "'");
            SCOPED_TRACE(std::string(command) + " " + mouse.fault);
            // A first run: config.bin's flag 0, so the default labels are due.
            seedConfig();
            std::vector<std::uint8_t> config = test::readBytes(dir / "config.bin");
            config[0] = 0;
            test::writeBytes(dir / "config.bin", config);
            const std::string labels = "[Setting-EN]\nItem3=Mine\n";
            test::writeBytes(dir / "str.ini", {labels.begin(), labels.end()});
            const std::string macros = "[Fire]\nItemCount=1\nItem0=A   Dn\n";
            test::writeBytes(dir / "record.ini", {macros.begin(), macros.end()});
            ASSERT_EQ(run("export '" + profile + "'").status, 0);
            const SimMemory memory = seedMouse();
            const std::vector<std::vector<std::uint8_t>> before = {test::readBytes(dir / "config.bin"),
                                                                   test::readBytes(dir / "str.ini"),
                                                                   test::readBytes(dir / "record.ini")};

            const CliRun r = run(std::string("--simulate ") + mouse.fault + " " + args);
            EXPECT_EQ(r.status, mouse.status) << r.out << r.err;
            if (mouse.status != 0) {
                EXPECT_FALSE(r.err.empty());
            }
            const auto configNow = test::readBytes(dir / "config.bin");
            ASSERT_EQ(configNow.size(), kConfigFileSize);
            EXPECT_EQ(configNow[0], mouse.saved ? 1 : 0) << "config.bin saved";
            if (!mouse.saved) {
                EXPECT_EQ(configNow, before[0]);
                EXPECT_EQ(test::readBytes(dir / "str.ini"), before[1]);
                EXPECT_EQ(test::readBytes(dir / "record.ini"), before[2]);
                EXPECT_EQ(mouseMemory(), memory);
            }
        }
    }
}

TEST_F(VarcelctlFailures, ASensorExchangeCutShortShowsNoMadeUpRecord)
{
    seedMouse();
    const CliRun first = run("--simulate --sim-fault unplug-after --sim-unplug-after 3 sensor --exchange");
    EXPECT_EQ(first.status, 1);
    EXPECT_EQ(first.out.find("Sensor type"), std::string::npos) << first.out;

    const CliRun second = run("--simulate --sim-fault unplug-after --sim-unplug-after 4 sensor --exchange");
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.out.find("After the exchange"), std::string::npos) << second.out;
    EXPECT_EQ(mouseMemory().sensor, SimMemory{}.sensor) << "nothing was written back";
}

TEST_F(VarcelctlFailures, UsageErrorsExitWithTwo)
{
    seedConfig();
    for (const char* args : {"button A abc left-click", "--no-such-option status", "no-such-command",
                             "--sim-unplug-after many status", "button A 3 single-key F5 F6"}) {
        SCOPED_TRACE(args);
        const CliRun r = run(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_FALSE(r.err.empty());
    }
    // A data folder that is empty or not there is not quietly replaced by another.
    for (const char* folder : {"", "/no/such/folder"}) {
        SCOPED_TRACE(folder);
        const std::string command =
            std::string("'") + VARCELCTL_PATH + "' --data-dir '" + folder + "' show >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 2);
    }
}

TEST_F(VarcelctlFailures, TraceWireShowsEachCommandAsItIsOnTheWireBesideItsPlainForm)
{
    const CliRun r = run("--simulate --trace-wire sensor");
    ASSERT_EQ(r.status, 0) << r.err;
    // The plain probe goes as it is; the scrambled one as worked out by hand
    // from the scrambling steps with the link's key and table.
    EXPECT_NE(r.out.find("> WIRE 00 AA DD 3B 62 00 00 DB  plain 00 AA DD 3B 62 00 00 DB\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("> WIRE D4 EF D6 67 A8 06 1F 44  plain 00 AA DD 3B 62 00 00 DB\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("< WIRE D4 EF D6 67 A8 06 1F 44  plain 00 AA DD 3B 62 00 00 DB\n"), std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("> CMD"), std::string::npos) << "the plain trace only with --trace";
}

} // namespace
} // namespace varcel
