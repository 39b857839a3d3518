// The bus service's setting properties, read and Set without a bus, against
// the settings catalogue and the other surfaces: varcelctl run as a user runs
// it, a profile import and the key page's model.
#include "control/image_json.h"
#include "control/main_controller.h"
#include "control/profile.h"
#include "device/sim/sim_backend.h"
#include "device/sim/sim_mouse.h"
#include "platform/reporter.h"
#include "service/dbus_names.h"
#include "service/service_core.h"
#include "settings/key_page_settings.h"
#include "support/settings_folder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace varcel {
namespace {

using test::CliRun;
using test::kFile;
using ServiceProperties = test::SettingsFolder;

// The running program's bus service without a bus; no varcelctl command runs
// inside it here.
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
    VarcelService service{controller, true, [](const auto&, const auto*) {
                              return CommandOutput{2, {}, "no command runs here"};
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
TEST_F(ServiceProperties, BusPropertiesAreTheCataloguesReadingOfConfigBin)
{
    std::vector<std::uint8_t> bytes(kConfigFileSize);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 37);
    bytes[kFile + 0x785] = 3;
    bytes[kFile + 0x788] = 3; // stage 2 at "1000"
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

    // The key page's settings are show --json's, each stage with its value
    // as the page shows it (none for a row past the list).
    const auto shown = nlohmann::json::parse(run("show --json").out);
    const auto page = nlohmann::json::parse(bus.service.keyPageSettings().out);
    EXPECT_EQ(page["reportRate"], shown["reportRate"]);
    EXPECT_EQ(page["lighting"], shown["lighting"]);
    const KeyPageSettings model(image, Language::English, [] { return std::uint8_t{0}; });
    ASSERT_EQ(page["dpiStages"].size(), img::kDpiStages);
    for (std::size_t stage = 0; stage < img::kDpiStages; ++stage) {
        auto expected = shown["dpiStages"][stage];
        expected["dpi"] = model.faceText(SettingId::DpiStageValue, static_cast<int>(stage));
        EXPECT_EQ(page["dpiStages"][stage], expected) << stage;
    }
}

// A bus Set that fails saves none of its values: the DPI values are of the
// mouse's sensor (type 1 here, whose list has 1000 but not 4000).
TEST_F(ServiceProperties, BusSetsThatFailSaveNothing)
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

// Every setting of the catalogue, set through varcelctl, a bus Set, a profile
// import and the key page's model, gives the same bytes at the place the
// image layout gives; show --json, the page and the bus property then tell
// the same value.
TEST_F(ServiceProperties, EverySettingIsTheSameThroughEverySurface)
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
        EXPECT_TRUE(problems.empty()) << what << ": "
                                      << (problems.empty() ? "" : profileProblemText(problems[0], Language::English));
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
