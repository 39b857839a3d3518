// varcelctl rate, dpi, rgb, color and dpi-color, run as a user runs them
// against the simulated mouse. Expected bytes come from the image layout and
// the command table, not from the program.
#include "cli/hosted_varcelctl.h"
#include "control/main_controller.h"
#include "control/profile.h"
#include "device/config_store.h"
#include "device/sim/sim_backend.h"
#include "device/sim/sim_mouse.h"
#include "platform/reporter.h"
#include "service/dbus_names.h"
#include "settings/key_page_settings.h"
#include "support/cli_run.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

namespace varcel {
namespace {

using test::CliRun;

constexpr std::size_t kFile = 1; // the image starts after the first-run flag

class VarcelctlSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Stage 1 alone enabled, report rate 250, standard mode, no colours.
        std::vector<std::uint8_t> bytes(kConfigFileSize, 0);
        bytes[0] = 1;
        bytes[kFile + 0x785] = 4;
        bytes[kFile + 0x78B] = 1;
        bytes[kFile + 0x79B] = 1;
        test::writeBytes(dir / "config.bin", bytes);
    }
    CliRun run(const std::string& args) { return test::runVarcelctl(VARCELCTL_PATH, dir.path(), args); }
    std::vector<std::uint8_t> config() { return test::readBytes(dir / "config.bin"); }
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

    test::TempDir dir;
};

// The running program's bus service without a bus; its commands run inside
// it as those varcelctl sends it do.
struct BusService : MainWindowView, StatusSink {
    explicit BusService(std::filesystem::path folder) : dataDir(std::move(folder)) {}
    void showBalloon(const Balloon&) override {}
    void showWindow() override {}
    void hideWindow() override {}
    void tearDownPage(Page) override {}
    void drawPage(Page) override {}
    void deviceStatus(StatusCode, int) override {}
    // Read afresh, as after each call of the bus.
    const PropertyValue& read(const char* name)
    {
        service.takeChangedProperties();
        return service.property(name)->value;
    }
    std::filesystem::path dataDir;
    SimMouse mouse;
    SimBackend backend{mouse};
    RecordingReporter reporter;
    MainController controller{dataDir, backend, reporter, *this, *this, Language::English};
    VarcelService service{controller, true, [this](const std::vector<std::string>& args, const std::string* input) {
                              return runHostedVarcelctl(args, dataDir, true, {&backend, &controller.session(), &mouse},
                                                        input);
                          }};
};

// A bus property's values, one per instance.
std::vector<unsigned> numbers(const PropertyValue& value)
{
    return std::visit(
        [](const auto& v) -> std::vector<unsigned> {
            if constexpr (std::is_arithmetic_v<std::decay_t<decltype(v)>>)
                return {static_cast<unsigned>(v)};
            else if constexpr (requires { unsigned{v[0]}; })
                return {v.begin(), v.end()};
            else
                return {};
        },
        value);
}

// Every setting's property is what the catalogue reads in config.bin, of
// bytes no list holds too: a report-rate code 3 is 333 Hz, as show --json says.
TEST_F(VarcelctlSettings, BusPropertiesAreTheCataloguesReadingOfConfigBin)
{
    std::vector<std::uint8_t> bytes(kConfigFileSize);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 37);
    bytes[kFile + 0x785] = 3;
    test::writeBytes(dir / "config.bin", bytes);
    ConfigImage image{};
    std::copy(bytes.begin() + kFile, bytes.end(), image.begin());
    BusService bus(dir.path());
    for (const Setting& entry : settingCatalogue()) {
        const std::vector<unsigned> values = numbers(bus.read(entry.busProperty));
        ASSERT_EQ(values.size(), static_cast<std::size_t>(entry.instances)) << entry.busProperty;
        for (int i = 0; i < entry.instances; ++i)
            EXPECT_EQ(values[static_cast<std::size_t>(i)], settingValue(image, entry.id, i)) << entry.busProperty << i;
    }
    EXPECT_EQ(numbers(bus.read("ReportRateSetting")), std::vector<unsigned>{333});
}

// A bus Set that fails saves none of its values: the DPI values are of the
// mouse's sensor (type 1 here, whose list has 1000 but not 4000).
TEST_F(VarcelctlSettings, BusSetsThatFailSaveNothing)
{
    const struct {
        const char* property;
        PropertyValue values;
        const char* message;
    } rows[] = {
        {"DpiStageValues", std::vector<std::uint32_t>{1000, 4000, 250, 250}, "no value 4000"},
        {"DpiStagesEnabled", std::vector<bool>{false, false, false, false}, "only enabled DPI stage"},
        {"LoopColours", std::vector<std::uint32_t>{0, 0xFF, 0, 0, 0, 0, 0, 0}, "is off and keeps its colour"},
    };
    BusService bus(dir.path());
    SimMemory memory = bus.mouse.memory();
    memory.sensor[0] = 1;
    bus.mouse.setMemory(memory);
    ASSERT_TRUE(bus.controller.session().link().discover());
    bus.controller.session().link().handshake(nullptr);
    const auto before = config();
    for (const auto& row : rows) {
        const CommandOutput set = bus.service.setProperty(row.property, row.values);
        EXPECT_NE(set.err.find(row.message), std::string::npos) << row.property << ": " << set.err;
        EXPECT_EQ(config(), before) << row.property;
    }
}

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

// Every setting of the catalogue, set through varcelctl, a bus Set, a profile
// import and the key page's model, gives the same bytes at the place the
// image layout gives; show --json, the page and the bus property then tell
// the same value.
TEST_F(VarcelctlSettings, EverySettingIsTheSameThroughEverySurface)
{
    using S = SettingId;
    using json = nlohmann::json;
    const struct {
        S id;
        int instance;
        unsigned code;
        const char* args; // varcelctl's words; none for the layer, which only the page sets
        std::size_t offset;
        std::vector<std::uint8_t> bytes;
        json shown; // at the setting's place in show --json and the profile
        const char* text;
        unsigned bus; // the instance's value in the bus property
    } rows[] = {
        {S::LayerShown, 0, 1, nullptr, 0x7A8, {1}, "B", "Mode B", 1},
        {S::ReportRate, 0, 2, "rate 500Hz", 0x785, {2}, 2, "500 Hz", 500},
        {S::DpiStageEnabled, 2, 1, "dpi 3 on", 0x78D, {1}, true, "on", 1},
        {S::DpiStageValue, 1, 4, "dpi 2 1250", 0x788, {4}, 4, "1250 DPI", 1250},
        {S::RgbMode, 0, 3, "rgb neon 0.5S", 0x79B, {3}, 3, "Neon Mode", 3},
        {S::RgbParameter, 0, 4, "rgb standard 45%", 0x79C, {4}, "04 00 00", "45%", 5},
        {S::LoopColourEnabled, 4, 1, "color 5 on", 0x7C5, {1}, true, "on", 1},
        {S::LoopColour, 0, 0x12AB34, "color 1 12ab34", 0x7C9, {0x12, 0xAB, 0x34}, "#12AB34", "#12AB34", 0x12AB34},
        {S::DpiColourBit, 9, 1, "dpi-color 3 G on", 0x7E2, {0x02}, "00 02 00 00", "on", 1},
        {S::PointerPrecision, 0, 1, "pointer precision on", 0x7A3, {1}, true, "on", 1},
        {S::ScrollOneScreen, 0, 1, "pointer one-screen on", 0x7A4, {1}, true, "on", 1},
        {S::PointerSpeed, 0, 9, "pointer set speed 9", 0x7A5, {9}, 9, "9", 9},
        {S::ScrollLines, 0, 7, "pointer set lines 7", 0x7A6, {7}, 7, "7", 7},
        {S::DoubleClickStep, 0, 2, "pointer set double-click 2", 0x7A7, {2}, 2, "2", 2},
    };
    BusService bus(dir.path());
    // One instance of a property's value changed.
    const auto with = [](PropertyValue value, int instance, unsigned number) {
        std::visit(
            [&](auto& v) {
                if constexpr (requires { v.size(); })
                    v[static_cast<std::size_t>(instance)] = number;
                else
                    v = static_cast<std::decay_t<decltype(v)>>(number);
            },
            value);
        return value;
    };
    // Stage 1 and loop colour 1 on, report rate 250, standard mode, pointer positions 6, 3, 6.
    std::vector<std::uint8_t> start(kConfigFileSize, 0);
    start[0] = 1;
    for (const auto [offset, byte] : std::vector<std::pair<std::size_t, std::uint8_t>>{
             {0x785, 4}, {0x78B, 1}, {0x79B, 1}, {0x7C1, 1}, {0x7A5, 6}, {0x7A6, 3}, {0x7A7, 6}})
        start[kFile + offset] = byte;
    ConfigImage startImage{};
    std::copy(start.begin() + kFile, start.end(), startImage.begin());
    Profile startProfile;
    startProfile.firstRunFlag = 1;
    startProfile.image = startImage;
    // Without the members that only tell the reader something, which must agree when given.
    json startJson = json::parse(profileToJson(startProfile).dump());
    startJson["configuration"]["reportRate"].erase("hz");
    startJson["configuration"]["lighting"].erase("modeName");
    EXPECT_EQ(static_cast<int>(std::size(rows)), kSettingCount) << "one row for each setting";

    for (const auto& row : rows) {
        std::string pointer = setting(row.id).json;
        if (const auto hash = pointer.find('#'); hash != std::string::npos)
            pointer.replace(hash, 1, std::to_string(row.instance));
        ConfigImage expected = startImage;
        std::copy(row.bytes.begin(), row.bytes.end(), expected.begin() + static_cast<std::ptrdiff_t>(row.offset));
        const std::string what = pointer + " " + row.text;

        ConfigImage paged = startImage;
        KeyPageSettings model(paged, Language::English, [] { return std::uint8_t{0}; });
        EXPECT_TRUE(model.choose(row.id, row.instance, row.code)) << what;
        EXPECT_EQ(paged, expected) << what;
        EXPECT_EQ(model.valueText(row.id, row.instance), row.text) << what;

        json edited = startJson;
        edited["configuration"][json::json_pointer(pointer)] = row.shown;
        std::vector<ProfileProblem> problems;
        const Profile imported = profileFromText(edited.dump(), problems);
        EXPECT_TRUE(problems.empty()) << what << ": " << (problems.empty() ? "" : profileProblemText(problems[0], Language::English));
        EXPECT_EQ(imported.image, expected) << what;

        std::vector<std::uint8_t> file(start.begin(), start.begin() + kFile);
        file.insert(file.end(), expected.begin(), expected.end());
        const Setting& entry = setting(row.id);
        test::writeBytes(dir / "config.bin", start);
        const PropertyValue asked = with(bus.read(entry.busProperty), row.instance, row.bus);
        const CommandOutput busSet = bus.service.setProperty(entry.busProperty, asked);
        if (entry.busWritable) {
            EXPECT_TRUE(busSet.ok()) << what << ": " << busSet.err;
            EXPECT_EQ(config(), file) << what << " set on the bus";
        } else {
            EXPECT_STREQ(busSet.error, bus::kErrorPropertyReadOnly) << what;
            test::writeBytes(dir / "config.bin", file);
        }
        EXPECT_EQ(bus.read(entry.busProperty), asked) << what;
        EXPECT_STREQ(busSignature(asked), entry.busType) << what;

        if (!row.args)
            continue;
        test::writeBytes(dir / "config.bin", start);
        const CliRun set = run(row.args);
        ASSERT_EQ(set.status, 0) << row.args << "\n" << set.err;
        EXPECT_EQ(config(), file) << row.args;
        const CliRun show = run("show --json");
        ASSERT_EQ(show.status, 0) << show.err;
        EXPECT_EQ(json::parse(show.out)[json::json_pointer(pointer)], row.shown) << row.args;
        EXPECT_NE(run("show").out.find(model.name(row.id, row.instance) + ": " + row.text), std::string::npos)
            << row.args;
    }
}

} // namespace
} // namespace varcel
