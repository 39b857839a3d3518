#include "settings/key_page_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varcel {
namespace {

using S = SettingId;

// Image offsets written out from the layout, so a wrong constant shows up here.
constexpr std::size_t kRate = 0x785;
constexpr std::size_t kDpiValue = 0x787;
constexpr std::size_t kDpiEnabled = 0x78B;
constexpr std::size_t kMode = 0x79B;
constexpr std::size_t kParam1 = 0x79C;
constexpr std::size_t kLoopEnabled = 0x7C1;
constexpr std::size_t kLoopColours = 0x7C9;
constexpr std::size_t kColourBits = 0x7E1;

class KeyPageSettingsTest : public ::testing::Test {
protected:
    ConfigImage image{};
    std::uint8_t sensor = 0;
    KeyPageSettings model{image, Language::English, [this] { return sensor; }};
};

TEST_F(KeyPageSettingsTest, ReportRatePositionsStoreTheirIntervals)
{
    const struct {
        int position;
        std::uint8_t code;
    } rows[] = {{0, 8}, {1, 4}, {2, 2}, {3, 1}};
    image[kRate] = 1;
    EXPECT_EQ(model.row(S::ReportRate, 0), 3);
    for (const auto& row : rows) {
        EXPECT_TRUE(model.chooseRow(S::ReportRate, 0, row.position));
        EXPECT_EQ(image[kRate], row.code);
        EXPECT_EQ(model.row(S::ReportRate, 0), row.position);
    }
    // A code of a foreign config.bin lights no position; a click past the
    // four changes nothing.
    image[kRate] = 3;
    EXPECT_EQ(model.row(S::ReportRate, 0), -1);
    EXPECT_FALSE(model.chooseRow(S::ReportRate, 0, 4));
    EXPECT_EQ(image[kRate], 3);
}

TEST_F(KeyPageSettingsTest, OneStageAlwaysStaysEnabledCountingStagesFiveToEight)
{
    const struct {
        std::vector<int> flags; // stage flags 1 to 8
        int stage;              // 0 to 3
        bool changes;
        std::uint8_t after;
        const char* why;
    } rows[] = {
        {{0, 0, 1, 0, 0, 0, 0, 0}, 2, false, 1, "the only enabled stage stays"},
        {{1, 0, 1, 0, 0, 0, 0, 0}, 2, true, 0, "with stage 1 enabled, stage 3 may go"},
        {{0, 0, 0, 1, 0, 0, 1, 0}, 3, true, 0, "a flag of stage 7 lets the last of 1 to 4 go"},
        {{0, 0, 0, 0, 0, 0, 0, 0}, 1, true, 1, "no flag anywhere: a click enables"},
        {{0, 2, 0, 0, 0, 0, 0, 0}, 1, false, 2, "any non-zero byte counts as enabled"},
        {{0, 0, 0, 0, 0, 0, 0, 0}, 4, false, 0, "no fifth box"},
    };
    for (const auto& row : rows) {
        image = {};
        for (std::size_t i = 0; i < row.flags.size(); ++i)
            image[kDpiEnabled + i] = static_cast<std::uint8_t>(row.flags[i]);
        EXPECT_EQ(model.toggle(S::DpiStageEnabled, row.stage), row.changes) << row.why;
        if (row.stage < 4) {
            EXPECT_EQ(image[kDpiEnabled + static_cast<std::size_t>(row.stage)], row.after) << row.why;
        }
    }

    // Stages 5 to 8 hold one flag: all four boxes can be cleared in turn.
    image = {};
    for (std::size_t i = 0; i < 4; ++i)
        image[kDpiEnabled + i] = 1;
    image[kDpiEnabled + 5] = 1;
    for (int stage = 0; stage < 4; ++stage)
        EXPECT_TRUE(model.toggle(S::DpiStageEnabled, stage));
    for (int stage = 0; stage < 4; ++stage)
        EXPECT_FALSE(model.isOn(S::DpiStageEnabled, stage));
}

TEST_F(KeyPageSettingsTest, DpiListsFollowTheSensorType)
{
    const struct {
        std::uint8_t type;
        std::vector<std::string> rows;
    } rows[] = {
        {0, {"250", "500", "750", "1000", "1250", "1500", "1750", "2000", "2500", "3000", "3500", "4000"}},
        {1, {"600", "800", "1000", "1200", "1600", "2000", "2400", "3200"}},
        {2, {"250", "500", "750", "1000", "1250", "1500", "2000", "2500"}},
        {3, {"400", "800", "1200", "1600", "2000", "2400", "2800", "3200"}},
        {9, {"250", "500", "750", "1000", "1250", "1500", "1750", "2000", "2500", "3000", "3500", "4000"}},
    };
    for (const auto& row : rows) {
        sensor = row.type;
        EXPECT_EQ(model.dpiRowCount(), static_cast<int>(row.rows.size())) << int(row.type);
        EXPECT_EQ(model.listRows(SettingsList::DpiStage3), row.rows) << int(row.type);
    }
}

TEST_F(KeyPageSettingsTest, StageRowsFromListAndBar)
{
    image[kDpiEnabled + 1] = 1;
    // "250" in the stage 2 list with sensor type 0 is row 0.
    ASSERT_TRUE(model.toggleList(SettingsList::DpiStage2));
    EXPECT_TRUE(model.chooseListRow(0));
    EXPECT_EQ(image[kDpiValue + 1], 0);
    EXPECT_EQ(model.openList(), SettingsList::None) << "choosing a row closes the list";
    EXPECT_STREQ(model.faceText(S::DpiStageValue, 1), "250");
    EXPECT_EQ(model.litSegments(1), 1);

    // Segment 5 of the bar is row 4; a segment past the list is refused.
    EXPECT_TRUE(model.chooseRow(S::DpiStageValue, 1, 4));
    EXPECT_EQ(image[kDpiValue + 1], 4);
    EXPECT_EQ(model.litSegments(1), 5);
    sensor = 1;
    EXPECT_FALSE(model.chooseRow(S::DpiStageValue, 1, 8));
    EXPECT_EQ(image[kDpiValue + 1], 4);

    // A disabled stage keeps its row and shows a dark bar.
    EXPECT_TRUE(model.chooseRow(S::DpiStageValue, 2, 3));
    EXPECT_EQ(image[kDpiValue + 2], 3);
    EXPECT_EQ(model.litSegments(2), 0);
    EXPECT_STREQ(model.faceText(S::DpiStageValue, 2), "1200");
}

TEST_F(KeyPageSettingsTest, RowsPastTheirListsIndexNothing)
{
    // A DPI row past the list: no value, a full bar, no row selected.
    image[kDpiEnabled] = 1;
    image[kDpiValue] = 12;
    EXPECT_EQ(model.row(S::DpiStageValue, 0), -1);
    EXPECT_STREQ(model.faceText(S::DpiStageValue, 0), "");
    EXPECT_EQ(model.litSegments(0), 12);
    EXPECT_EQ(model.listCurrentRow(SettingsList::DpiStage1), -1);
    image[kDpiValue] = 255;
    EXPECT_STREQ(model.faceText(S::DpiStageValue, 0), "");
    // Row 10 is in the list of type 0 but not in the eight rows of type 3.
    image[kDpiValue] = 10;
    EXPECT_STREQ(model.faceText(S::DpiStageValue, 0), "3500");
    sensor = 3;
    EXPECT_STREQ(model.faceText(S::DpiStageValue, 0), "");
    EXPECT_EQ(model.litSegments(0), 8);
    EXPECT_EQ(image[kDpiValue], 10) << "a stored row is never converted";

    // Modes outside 1 to 3 show "Off Mode", no parameter, and no list to open.
    for (const std::uint8_t mode : std::initializer_list<std::uint8_t>{0, 4, 7, 255}) {
        image[kMode] = mode;
        EXPECT_STREQ(model.faceText(S::RgbMode, 0), "Off Mode") << int(mode);
        EXPECT_STREQ(model.faceText(S::RgbParameter, model.parameterInstance()), "") << int(mode);
        EXPECT_FALSE(model.toggleList(SettingsList::RgbParameter)) << int(mode);
        EXPECT_FALSE(model.chooseRow(S::RgbParameter, model.parameterInstance(), 0)) << int(mode);
        EXPECT_EQ(model.listCurrentRow(SettingsList::RgbMode), -1);
    }
    // A parameter row past its mode's list shows nothing and selects nothing.
    image[kMode] = 2;
    image[kParam1 + 1] = 5;
    EXPECT_STREQ(model.faceText(S::RgbParameter, model.parameterInstance()), "");
    EXPECT_EQ(model.listCurrentRow(SettingsList::RgbParameter), -1);
    EXPECT_FALSE(model.chooseRow(S::RgbParameter, model.parameterInstance(), 5));
    EXPECT_EQ(image[kParam1 + 1], 5);
}

TEST_F(KeyPageSettingsTest, ParameterTextsAreTheListsRows)
{
    const struct {
        int mode;
        std::size_t rows;
        std::vector<std::pair<int, const char*>> texts;
    } rows[] = {
        {1, 10, {{0, "5%"}, {1, "15%"}, {4, "45%"}, {8, "85%"}, {9, "100%"}}},
        {2, 5, {{0, "8S"}, {3, "5S"}, {4, "4S"}}},
        {3, 30, {{0, "0.5S"}, {1, "1S"}, {4, "2.5S"}, {19, "10S"}, {20, "10.5S"}, {29, "15S"}}},
    };
    for (const auto& row : rows) {
        image[kMode] = static_cast<std::uint8_t>(row.mode);
        const auto list = model.listRows(SettingsList::RgbParameter);
        ASSERT_EQ(list.size(), row.rows) << row.mode;
        for (const auto& [r, text] : row.texts) {
            EXPECT_EQ(list[static_cast<std::size_t>(r)], text);
            image[kParam1 + static_cast<std::size_t>(row.mode - 1)] = static_cast<std::uint8_t>(r);
            EXPECT_STREQ(model.faceText(S::RgbParameter, model.parameterInstance()), text) << "the face shows the list's own text";
        }
    }
}

TEST_F(KeyPageSettingsTest, EachModeKeepsItsOwnParameter)
{
    // "Neon Mode" with "2.5S": mode 3, row 4 at 0x79E.
    ASSERT_TRUE(model.toggleList(SettingsList::RgbMode));
    EXPECT_EQ(model.listRows(SettingsList::RgbMode),
              (std::vector<std::string>{"Standard Mode", "Respiration Mode", "Neon Mode"}));
    model.chooseListRow(2);
    ASSERT_TRUE(model.toggleList(SettingsList::RgbParameter));
    model.chooseListRow(4);
    EXPECT_EQ(image[kMode], 3);
    EXPECT_EQ(image[kParam1 + 2], 4);

    model.chooseRow(S::RgbMode, 0, 0);
    model.chooseRow(S::RgbParameter, model.parameterInstance(), 7);
    model.chooseRow(S::RgbMode, 0, 1);
    model.chooseRow(S::RgbParameter, model.parameterInstance(), 2);
    model.chooseRow(S::RgbMode, 0, 0);
    EXPECT_STREQ(model.faceText(S::RgbParameter, model.parameterInstance()), "75%") << "mode 1 shows what it had before";
    EXPECT_EQ(image[kParam1], 7);
    EXPECT_EQ(image[kParam1 + 1], 2);
    EXPECT_EQ(image[kParam1 + 2], 4);
    EXPECT_EQ(model.listCurrentRow(SettingsList::RgbParameter), 7);
}

TEST_F(KeyPageSettingsTest, LoopColours)
{
    // Colour 3 enabled, colour 5 disabled; a flag of 2 is not sent, so it is shown off.
    image[kLoopEnabled + 2] = 1;
    image[kLoopEnabled + 6] = 2;
    EXPECT_TRUE(model.choose(S::LoopColour, 2, 0x123456));
    EXPECT_EQ(image[kLoopColours + 6], 0x12);
    EXPECT_EQ(image[kLoopColours + 7], 0x34);
    EXPECT_EQ(image[kLoopColours + 8], 0x56);
    EXPECT_EQ(model.code(S::LoopColour, 2), 0x123456u);

    EXPECT_FALSE(model.isOn(S::LoopColourEnabled, 4));
    EXPECT_FALSE(model.choose(S::LoopColour, 4, 0x010203));
    EXPECT_EQ(image[kLoopColours + 12], 0);
    EXPECT_FALSE(model.isOn(S::LoopColourEnabled, 6));
    model.toggle(S::LoopColourEnabled, 6);
    EXPECT_EQ(image[kLoopEnabled + 6], 1);
    // Flags the page never writes (a foreign config.bin, a profile): only a
    // 1 ticks the box, as only a 1 reaches the mouse in an apply.
    for (const std::uint8_t flag : {255, 3, 0, 1}) {
        image[kLoopEnabled + 7] = flag;
        EXPECT_EQ(model.isOn(S::LoopColourEnabled, 7), flag == 1) << int{flag};
    }

    // Every colour can go.
    for (int colour = 0; colour < 8; ++colour)
        if (model.isOn(S::LoopColourEnabled, colour))
            model.toggle(S::LoopColourEnabled, colour);
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_EQ(image[kLoopEnabled + i], 0);
}

TEST_F(KeyPageSettingsTest, ColourBitsOfTheSelectedStage)
{
    const struct {
        int stage;
        int bit;
        std::size_t offset;
        std::uint8_t mask;
    } rows[] = {
        {2, 2, kColourBits + 1, 0x04}, // "DPI Stage3", third box
        {1, 2, kColourBits, 0x40},     // "DPI Stage2", third box
        {0, 0, kColourBits, 0x01},
        {3, 3, kColourBits + 1, 0x80},
    };
    for (const auto& row : rows) {
        image = {};
        image[kColourBits] = 0x10;     // stage 2, first bit: must survive
        ASSERT_TRUE(model.toggleList(SettingsList::DpiColourStage));
        model.chooseListRow(row.stage);
        EXPECT_EQ(model.colourStage(), row.stage);
        const ConfigImage before = image;
        model.toggle(S::DpiColourBit, model.colourBitInstance(row.bit));
        ConfigImage expected = before;
        expected[row.offset] ^= row.mask;
        EXPECT_EQ(image, expected) << row.stage << "/" << row.bit;
        EXPECT_TRUE(model.isOn(S::DpiColourBit, model.colourBitInstance(row.bit)));
        model.toggle(S::DpiColourBit, model.colourBitInstance(row.bit));
        EXPECT_EQ(image, before);
    }
    EXPECT_FALSE(model.chooseColourStage(4));
}

TEST_F(KeyPageSettingsTest, OneListOpenAtATime)
{
    image[kMode] = 1;
    EXPECT_TRUE(model.toggleList(SettingsList::DpiStage1));
    EXPECT_TRUE(model.toggleList(SettingsList::RgbParameter));
    EXPECT_EQ(model.openList(), SettingsList::RgbParameter);
    EXPECT_FALSE(model.toggleList(SettingsList::RgbParameter)) << "a second click on the face closes it";
    EXPECT_EQ(model.openList(), SettingsList::None);
    EXPECT_FALSE(model.chooseListRow(0)) << "no list, nothing chosen";
    EXPECT_EQ(image[kDpiValue], 0);
}

} // namespace
} // namespace varcel
