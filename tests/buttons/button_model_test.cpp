#include "buttons/button_model.h"

#include "platform/reporter.h"

#include <gtest/gtest.h>

namespace varcel {
namespace {

// Image offsets written out from the layout (layer A at 0x000, layer B at
// 0x0C0, arrays of twelve bytes), so a wrong offset helper shows up here.
constexpr std::size_t kA = 0x000;
constexpr std::size_t kB = 0x0C0;
constexpr std::size_t kKind = 0x00, kMediaIndex = 0x0C, kMediaCode = 0x18, kAppIndex = 0x24,
                      kAppLow = 0x30, kAppHigh = 0x3C, kFireIndex = 0x48, kFireCode = 0x54,
                      kFireSpeed = 0x60, kFireTimes = 0x6C, kSingle = 0x78, kComboMask = 0x84,
                      kCombo1 = 0x90, kCombo2 = 0x9C, kMacroNumber = 0xA8, kMacroRepeat = 0xB4;
constexpr std::size_t kShown = 0x7A8;
constexpr std::size_t kDpiA = 0x7A9;
constexpr std::size_t kDpiB = 0x7B5;

class ButtonModelTest : public ::testing::Test {
protected:
    std::uint8_t& at(std::size_t layer, std::size_t array, std::size_t slot) { return image[layer + array + slot]; }
    void setKinds(std::size_t layer, std::initializer_list<int> kinds)
    {
        std::size_t slot = 0;
        for (int k : kinds)
            at(layer, kKind, slot++) = static_cast<std::uint8_t>(k);
    }
    // Opens the list of `slot` and picks `row`, as the page's clicks do.
    void choose(std::size_t slot, int row)
    {
        model.toggleFunctionList(slot);
        model.chooseFunction(slot, row);
    }
    const std::string& labelA(std::size_t slot) { return labels[slot]; }
    const std::string& labelB(std::size_t slot) { return labels[12 + slot]; }

    ConfigImage image{};
    ButtonLabels labels{};
    RecordingReporter reporter;
    ButtonModel model{image, labels, Language::English, reporter};
};

TEST_F(ButtonModelTest, OverviewRequestButtonThreeOfModeAGetsF5)
{
    model.dialogs.singleKey = [] { return SingleKeyChoice{"F5"}; };
    choose(2, 11);
    EXPECT_EQ(image[0x002], 11);
    EXPECT_EQ(image[0x07A], 0x3E);
    EXPECT_EQ(labelA(2), "Single Key-F5");
    EXPECT_EQ(labelB(2), "");
    EXPECT_FALSE(model.openSlot());
    EXPECT_TRUE(reporter.messages.empty());
}

TEST_F(ButtonModelTest, LeftKeyRule)
{
    // With an all-zero image slots 9 to 11 hold left clicks too: never refused.
    EXPECT_TRUE(model.toggleFunctionList(0));
    EXPECT_TRUE(reporter.messages.empty());
    model.closeLists();

    // Slot 0 the only left click of layer A: its box refuses, others open.
    setKinds(kA, {0, 1, 2, 3, 4, 6, 15, 15, 15, 15, 15, 15});
    EXPECT_FALSE(model.toggleFunctionList(0));
    EXPECT_FALSE(model.openSlot());
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0], (RecordingReporter::Message{"Left key must be selected!", "Warning"}));
    EXPECT_TRUE(model.toggleFunctionList(1));
    EXPECT_EQ(model.openSlot(), 1u);

    // A second left click in a slot without a box lifts the rule.
    model.closeLists();
    at(kA, kKind, 11) = 0;
    EXPECT_TRUE(model.toggleFunctionList(0));
    at(kA, kKind, 11) = 15;
    model.closeLists();

    // Layer B is judged on its own.
    image[kShown] = 1;
    setKinds(kB, {1, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
    EXPECT_FALSE(model.toggleFunctionList(1));
    EXPECT_TRUE(model.toggleFunctionList(0));
    model.closeLists();

    // A shown-layer byte past 1 shows layer B but the rule does not apply.
    image[kShown] = 2;
    EXPECT_EQ(model.shownLayer(), Layer::B);
    EXPECT_TRUE(model.toggleFunctionList(1));
    EXPECT_EQ(reporter.messages.size(), 2u);
}

TEST_F(ButtonModelTest, LeftKeyMessageInTheCurrentLanguage)
{
    ButtonModel chinese{image, labels, Language::TraditionalChinese, reporter};
    setKinds(kA, {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
    EXPECT_FALSE(chinese.toggleFunctionList(0));
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0], (RecordingReporter::Message{"左鍵功能必須選擇！", "Warning"}));
}

TEST_F(ButtonModelTest, ListsOpenOneAtATime)
{
    EXPECT_TRUE(model.toggleFunctionList(2));
    EXPECT_TRUE(model.toggleFunctionList(4));
    EXPECT_EQ(model.openSlot(), 4u);
    EXPECT_FALSE(model.toggleFunctionList(4));
    EXPECT_FALSE(model.openSlot());
}

TEST_F(ButtonModelTest, DpiSwitchIsChosenInItsOwnList)
{
    setKinds(kA, {0, 1, 2, 3, 4, 5});
    labels[4] = "Backward";
    ASSERT_TRUE(model.toggleFunctionList(4));
    model.chooseFunction(4, 6); // the row itself does nothing
    EXPECT_EQ(model.openSlot(), 4u);
    EXPECT_EQ(at(kA, kKind, 4), 4);

    model.hoverFunctionRow(6);
    EXPECT_TRUE(model.isDpiListOpen());
    model.hoverFunctionRow(7);
    EXPECT_FALSE(model.isDpiListOpen());
    model.hoverFunctionRow(6);
    model.hoverDpiRow(1);
    EXPECT_EQ(model.selectedDpiRow(), 1);

    // Slot 4 is Shift in layer B: the DPI option touches layer A only.
    at(kB, kKind, 4) = 14;
    model.chooseDpiOption(1);
    EXPECT_EQ(at(kA, kKind, 4), 6);
    EXPECT_EQ(image[kDpiA + 4], 2);
    EXPECT_EQ(labelA(4), "DPI -");
    EXPECT_EQ(at(kB, kKind, 4), 14);
    EXPECT_EQ(image[kDpiB + 4], 0);
    EXPECT_FALSE(model.openSlot());
    EXPECT_FALSE(model.isDpiListOpen());

    // Without an open DPI list a DPI choice does nothing.
    model.chooseDpiOption(2);
    EXPECT_EQ(image[kDpiA + 4], 2);
}

TEST_F(ButtonModelTest, OneShiftPerLayer)
{
    setKinds(kA, {0, 1, 2, 3, 14, 5, 15, 15, 15, 15, 15, 15});
    labels[2] = "Mid Click";
    const ConfigImage before = image;
    const ButtonLabels labelsBefore = labels;

    choose(2, 14);
    EXPECT_EQ(image, before);
    EXPECT_EQ(labels, labelsBefore);
    EXPECT_FALSE(model.openSlot());
    choose(4, 14);
    EXPECT_EQ(image, before);
    EXPECT_TRUE(reporter.messages.empty());

    // A Shift in slots 8 to 11 does not count.
    setKinds(kA, {0, 1, 2, 3, 4, 5, 15, 15, 14, 15, 15, 15});
    at(kB, kKind, 2) = 9;
    choose(2, 14);
    EXPECT_EQ(at(kA, kKind, 2), 14);
    EXPECT_EQ(at(kB, kKind, 2), 14);
    EXPECT_EQ(labelA(2), "Shift");
    EXPECT_EQ(labelB(2), "Shift");
}

TEST_F(ButtonModelTest, LeavingShiftChangesBothLayers)
{
    setKinds(kA, {0, 1, 2, 14, 4, 5});
    setKinds(kB, {0, 1, 2, 14, 4, 5});
    labels[3] = labels[15] = "Shift";
    choose(3, 0);
    EXPECT_EQ(at(kA, kKind, 3), 0);
    EXPECT_EQ(at(kB, kKind, 3), 0);
    EXPECT_EQ(labelA(3), "Left Click");
    EXPECT_EQ(labelB(3), "Left Click");

    // Through a dialog: the other layer gets the kind and the label, not the parameters.
    setKinds(kA, {0, 1, 2, 14});
    setKinds(kB, {0, 1, 2, 14});
    at(kB, kSingle, 3) = 0x55;
    model.dialogs.singleKey = [] { return SingleKeyChoice{"Num Enter"}; };
    choose(3, 11);
    EXPECT_EQ(at(kA, kSingle, 3), 0x58);
    EXPECT_EQ(at(kB, kSingle, 3), 0x55);
    EXPECT_EQ(at(kB, kKind, 3), 11);
    EXPECT_EQ(labelB(3), "Single Key-Num Enter");
}

TEST_F(ButtonModelTest, CancelledDialogChangesNothing)
{
    // Storing the kind alone would pair it with the slot's old parameters
    // under the old label: a "Mid Click" that sends a single key of code 0.
    setKinds(kA, {0, 1, 2, 3, 14});
    setKinds(kB, {0, 1, 2, 3, 14});
    labels[2] = "Mid Click";
    labels[4] = labels[16] = "Shift";
    at(kA, kFireIndex, 2) = 7;
    at(kA, kFireSpeed, 2) = 40;
    at(kA, kSingle, 2) = 0x3E;
    const auto cancelAll = [this] {
        model.dialogs.applicationKey = [] { return std::optional<ApplicationKeyChoice>{}; };
        model.dialogs.multimedia = [] { return std::optional<MultimediaChoice>{}; };
        model.dialogs.fireKey = [] { return std::optional<FireKeyChoice>{}; };
        model.dialogs.singleKey = [] { return std::optional<SingleKeyChoice>{}; };
        model.dialogs.comboKey = [] { return std::optional<ComboKeyChoice>{}; };
        model.dialogs.macroKey = [] { return std::optional<MacroKeyChoice>{}; };
    };
    const ConfigImage imageBefore = image;
    const ButtonLabels labelsBefore = labels;
    for (const bool unset : {false, true}) {
        if (unset)
            model.dialogs = {}; // no dialog at all counts as cancelled
        else
            cancelAll();
        for (int row = 8; row <= 13; ++row) {
            for (const std::size_t slot : {std::size_t{2}, std::size_t{4}}) {
                SCOPED_TRACE("row " + std::to_string(row) + ", slot " + std::to_string(slot));
                choose(slot, row);
                EXPECT_EQ(image, imageBefore);
                EXPECT_EQ(labels, labelsBefore);
                EXPECT_FALSE(model.openSlot()) << "the list closes all the same";
            }
        }
    }
}

TEST_F(ButtonModelTest, ModeBChoicesGoToLayerB)
{
    model.showLayer(1);
    EXPECT_EQ(image[kShown], 1);
    choose(0, 7);
    EXPECT_EQ(at(kB, kKind, 0), 7);
    EXPECT_EQ(at(kA, kKind, 0), 0);
    EXPECT_EQ(labelB(0), "RGB On/Off");
    EXPECT_EQ(labelA(0), "");
    EXPECT_EQ(model.label(0), "RGB On/Off");
    model.showLayer(0);
    EXPECT_EQ(image[kShown], 0);
    EXPECT_EQ(model.label(0), "");
}

TEST_F(ButtonModelTest, DefaultResetsBothLayersAndKeepsTheShownOne)
{
    for (std::size_t i = 0; i < 0x180; ++i)
        image[i] = 0x77;
    for (auto& label : labels)
        label = "old";
    model.showLayer(1);
    model.restoreDefaults();

    const int kinds[] = {0, 1, 2, 3, 4, 6, 15, 15, 15, 0x77, 0x77, 0x77};
    const char* names[] = {"Left Click", "Right Click", "Mid Click", "Forward", "Backward", "DPI Loop",
                           "Key Off", "Key Off", "Key Off", "old", "old", "old"};
    for (std::size_t slot = 0; slot < 12; ++slot) {
        EXPECT_EQ(at(kA, kKind, slot), kinds[slot]) << slot;
        EXPECT_EQ(at(kB, kKind, slot), kinds[slot]) << slot;
        EXPECT_EQ(labelA(slot), names[slot]) << slot;
        EXPECT_EQ(labelB(slot), names[slot]) << slot;
        EXPECT_EQ(at(kA, kSingle, slot), 0x77) << slot; // parameters stay
    }
    EXPECT_EQ(image[kDpiA + 5], 3);
    EXPECT_EQ(image[kDpiB + 5], 3);
    EXPECT_EQ(image[kShown], 1);
}

TEST_F(ButtonModelTest, ParameterDialogsWriteTheirBytesAndLabels)
{
    model.dialogs.applicationKey = [] { return ApplicationKeyChoice{10, "Browser-My Favorites"}; };
    model.dialogs.multimedia = [] { return MultimediaChoice{0, "Next"}; };
    model.dialogs.fireKey = [] { return FireKeyChoice{39, "R-CTRL", 20, 0}; };
    model.dialogs.macroKey = [] { return MacroKeyChoice{1, 3, "Greeting"}; };
    model.dialogs.comboKey = [] { return ComboKeyChoice{"Left Ctrl", "C", ""}; };

    choose(0, 8);
    EXPECT_EQ(at(kA, kKind, 0), 8);
    EXPECT_EQ(at(kA, kAppIndex, 0), 10);
    EXPECT_EQ(at(kA, kAppLow, 0), 0x2A);
    EXPECT_EQ(at(kA, kAppHigh, 0), 2);
    EXPECT_EQ(labelA(0), "Browser-My Favorites");

    choose(1, 9);
    EXPECT_EQ(at(kA, kMediaIndex, 1), 0);
    EXPECT_EQ(at(kA, kMediaCode, 1), 0xB5);
    EXPECT_EQ(labelA(1), "Multimedia-Next");

    choose(2, 10);
    EXPECT_EQ(at(kA, kFireIndex, 2), 39);
    EXPECT_EQ(at(kA, kFireCode, 2), 0xE4);
    EXPECT_EQ(at(kA, kFireSpeed, 2), 20);
    EXPECT_EQ(at(kA, kFireTimes, 2), 0);
    EXPECT_EQ(labelA(2), "Fire Key-R-CTRL");

    choose(3, 13);
    EXPECT_EQ(at(kA, kMacroNumber, 3), 1);
    EXPECT_EQ(at(kA, kMacroRepeat, 3), 2);
    EXPECT_EQ(labelA(3), "Macro Key-Greeting");

    choose(4, 12);
    EXPECT_EQ(at(kA, kComboMask, 4), 0x01);
    EXPECT_EQ(at(kA, kCombo1, 4), 0x06);
    EXPECT_EQ(at(kA, kCombo2, 4), 0);
    EXPECT_EQ(labelA(4), "Combo Key-Left Ctrl+C");
}

TEST_F(ButtonModelTest, ComboLabelNamesOnlyKnownParts)
{
    struct Row {
        ComboKeyChoice choice;
        int mask, key1, key2;
        const char* label;
    } rows[] = {
        {{"Right Alt", "Foo", "F4"}, 0x40, 0, 0x3D, "Combo Key-Right Alt+F4"},
        {{"", "", ""}, 0, 0, 0, "Combo Key-"},
        {{"Right Alt", "Right Alt", ""}, 0x40, 0xE6, 0, "Combo Key-Right Alt+Right Alt"},
        {{"left ctrl", "\\", "Num Enter"}, 0, 0, 0x58, "Combo Key-Num Enter"},
    };
    for (const Row& row : rows) {
        model.dialogs.comboKey = [&row] { return row.choice; };
        choose(5, 12);
        EXPECT_EQ(at(kA, kComboMask, 5), row.mask) << row.label;
        EXPECT_EQ(at(kA, kCombo1, 5), row.key1) << row.label;
        EXPECT_EQ(at(kA, kCombo2, 5), row.key2) << row.label;
        EXPECT_EQ(labelA(5), row.label);
    }
}

TEST_F(ButtonModelTest, SingleKeyLabelKeepsAnyName)
{
    model.dialogs.singleKey = [] { return SingleKeyChoice{"\\"}; };
    choose(1, 11);
    EXPECT_EQ(at(kA, kSingle, 1), 0);
    EXPECT_EQ(labelA(1), "Single Key-\\");
    model.dialogs.singleKey = [] { return SingleKeyChoice{""}; };
    choose(1, 11);
    EXPECT_EQ(labelA(1), "Single Key-");
}

TEST_F(ButtonModelTest, LabelsInTheLanguageOfTheChoice)
{
    ButtonModel chinese{image, labels, Language::SimplifiedChinese, reporter};
    chinese.dialogs.singleKey = [] { return SingleKeyChoice{"F5"}; };
    chinese.dialogs.multimedia = [] { return MultimediaChoice{5, "音量+"}; };
    chinese.toggleFunctionList(2);
    chinese.chooseFunction(2, 11);
    chinese.toggleFunctionList(3);
    chinese.chooseFunction(3, 9);
    chinese.toggleFunctionList(4);
    chinese.chooseFunction(4, 15);
    EXPECT_EQ(labelA(2), "单键-F5");
    EXPECT_EQ(labelA(3), "多媒体-音量+");
    EXPECT_EQ(labelA(4), "按键关闭");
    EXPECT_EQ(at(kA, kMediaCode, 3), 0xE9);
    EXPECT_STREQ(chinese.functionRows()[14], "Shift");
    EXPECT_STREQ(chinese.functionRows()[12], "组合键");
}

TEST_F(ButtonModelTest, FirstRunLabels)
{
    for (auto& label : labels)
        label = "kept";
    const ConfigImage before = image;
    model.setFirstRunLabels();
    const char* names[] = {"Left Click", "Right Click", "Mid Click", "Forward", "Backward", "DPI Loop",
                           "Key Off", "Key Off", "kept", "kept", "kept", "kept"};
    for (std::size_t slot = 0; slot < 12; ++slot) {
        EXPECT_EQ(labelA(slot), names[slot]) << slot;
        EXPECT_EQ(labelB(slot), names[slot]) << slot;
    }
    EXPECT_EQ(image, before);
}

} // namespace
} // namespace varcel
