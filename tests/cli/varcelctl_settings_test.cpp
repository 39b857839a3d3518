// varcelctl rate, dpi, rgb, color and dpi-color, run as a user runs them
// against the simulated mouse. Expected bytes come from the image layout and
// the command table, not from the program.
#include "device/config_store.h"
#include "device/sim/sim_mouse.h"
#include "support/settings_folder.h"

#include <gtest/gtest.h>

namespace varcel {
namespace {

using test::CliRun;
using test::kFile;

class VarcelctlSettings : public test::SettingsFolder {
protected:
    std::uint8_t at(std::size_t offset) { return config()[kFile + offset]; }
    std::filesystem::path simFile() { return dir / "simulated-mouse.bin"; }
    SimMemory simMemory() { return SimMouse(simFile()).memory(); }
    void setSensorType(std::uint8_t type)
    {
        SimMouse mouse(simFile());
        SimMemory memory = mouse.memory();
        memory.sensor[0] = type;
        mouse.setMemory(memory);
        mouse.saveMemory();
    }
};

TEST_F(VarcelctlSettings, ValuesTheListsDoNotHoldAreRefusedAndNothingIsSaved)
{
    const struct {
        const char* args;
        int status;
        const char* message;
    } rows[] = {
        {"rate 300", 2, "one of: 125, 250, 500, 1000"},
        {"rate", 2, "usage: varcelctl rate"},
        {"--simulate dpi 2 900", 2, "one of: 250, 500, 750, 1000, 1250, 1500, 1750, 2000, 2500, 3000, 3500, 4000"},
        {"dpi 5 on", 2, "STAGE is 1, 2, 3 or 4"},
        {"dpi 1 off", 1, "only enabled DPI stage"},
        {"rgb neon 2.3S", 2, "one of: 0.5S, 1S, 1.5S"},
        {"rgb standard 20%", 2, "one of: 5%, 15%, 25%, 35%, 45%, 55%, 65%, 75%, 85%, 100%"},
        {"rgb disco 1S", 2, "no RGB mode \"disco\""},
        {"rgb 0 5%", 2, "no RGB mode"},
        {"color 9 on", 2, "1 to 8"},
        {"color 2 '#12345'", 2, "#RRGGBB"},
        {"color 2 00FF00", 2, "loop colour 2 is off"},
        {"dpi-color 3 X on", 2, "R, G, B, W"},
        {"dpi-color 3 2 maybe", 2, "on or off"},
    };
    const auto before = config();
    for (const auto& row : rows) {
        const CliRun r = run(row.args);
        EXPECT_EQ(r.status, row.status) << row.args << "\n" << r.err;
        EXPECT_NE(r.err.find(row.message), std::string::npos) << row.args << "\n" << r.err;
        EXPECT_EQ(config(), before) << row.args;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "str.ini"));
}

TEST_F(VarcelctlSettings, ApplySendsWhatThePageWouldStore)
{
    ASSERT_EQ(run("dpi 2 on").status, 0);
    const CliRun dpi = run("--simulate dpi 2 250");
    ASSERT_EQ(dpi.status, 0) << dpi.err;
    EXPECT_NE(dpi.out.find("DPI Stage2: on, 250"), std::string::npos) << dpi.out;
    EXPECT_EQ(at(0x788), 0) << "\"250\" is row 0 of sensor type 0";
    ASSERT_EQ(run("rgb neon 2.5s").status, 0);
    EXPECT_EQ(at(0x79B), 3);
    EXPECT_EQ(at(0x79E), 4);
    EXPECT_EQ(simMemory(), SimMemory{}) << "nothing is sent without --apply";

    const CliRun r = run("--simulate --trace rate 1000 --apply");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(at(0x785), 1);
    EXPECT_NE(r.out.find("> CMD 01 01 00 00 00 00 00 FD"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("> CMD 0D 03 05 03 00 00 00 E7"), std::string::npos) << "mode 3, parameter row 4 + 1";
    const SimMemory memory = simMemory();
    EXPECT_EQ(memory.reportRate, 1);
    EXPECT_EQ(memory.rgbEffect, (std::array<std::uint8_t, 3>{3, 5, 3}));
    // Stage 1 row 0 and stage 2 row 0 enabled: code 0x01; stages 3 and 4 off.
    EXPECT_EQ(memory.dpi, (std::array<std::uint8_t, 9>{4, 0x01, 0x01, 0x81, 0x81, 0x80, 0x80, 0x80, 0x80}));
}

TEST_F(VarcelctlSettings, DpiValuesAreThoseOfTheMousesSensor)
{
    setSensorType(1);
    const CliRun refused = run("--simulate dpi 1 4000");
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("sensor type 1; one of: 600, 800, 1000, 1200, 1600, 2000, 2400, 3200"),
              std::string::npos)
        << refused.err;

    const CliRun r = run("--simulate dpi 1 3200dpi --apply");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(at(0x787), 7);
    EXPECT_EQ(simMemory().dpi[1], 0x25) << "row 7 of sensor type 1";

    // Without a mouse the window's lists are those of sensor type 0.
    const CliRun noMouse = run("dpi 1 4000");
    ASSERT_EQ(noMouse.status, 0) << noMouse.err;
    EXPECT_NE(noMouse.err.find("sensor type 0"), std::string::npos) << noMouse.err;
    EXPECT_EQ(at(0x787), 11);
}

TEST_F(VarcelctlSettings, LoopColoursAndDpiColourBits)
{
    for (const char* args : {"color 3 on", "color 3 '#ff8000'", "color 6 on", "color 6 0000FF", "dpi-color 3 3 on",
                             "dpi-color 2 B on", "dpi-color 1 1 on", "dpi-color 1 1 off"}) {
        const CliRun r = run(args);
        ASSERT_EQ(r.status, 0) << args << "\n" << r.err;
    }
    EXPECT_EQ(at(0x7C1 + 2), 1);
    EXPECT_EQ(at(0x7C9 + 6), 0xFF);
    EXPECT_EQ(at(0x7C9 + 7), 0x80);
    EXPECT_EQ(at(0x7C9 + 8), 0x00);
    EXPECT_EQ(at(0x7E1), 0x40) << "stage 2, third box";
    EXPECT_EQ(at(0x7E2), 0x04) << "stage 3, third box";

    ASSERT_EQ(run("--simulate apply").status, 0);
    SimMemory memory = simMemory();
    std::array<std::uint8_t, 24> block0{0xFF, 0x80, 0x00, 0x00, 0x00, 0xFF};
    EXPECT_EQ(memory.colourBlocks[0], block0);
    EXPECT_EQ(memory.dpiColourBits, (std::array<std::uint8_t, 4>{0x40, 0x04, 0, 0}));

    // All colours off: block 0 is 24 zero bytes; the colours themselves stay.
    ASSERT_EQ(run("color 3 off").status, 0);
    const CliRun r = run("--simulate color 6 off --apply");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(simMemory().colourBlocks[0], (std::array<std::uint8_t, 24>{}));
    EXPECT_EQ(at(0x7C9 + 15), 0x00);
    EXPECT_EQ(at(0x7C9 + 17), 0xFF);
}

} // namespace
} // namespace varcel
