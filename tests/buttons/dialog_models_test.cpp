// What the parameter dialogs decide and what the button model stores from
// it. Expected bytes are the design's tables, written out here.
#include "buttons/dialog_models.h"

#include "platform/reporter.h"

#include <gtest/gtest.h>

namespace varcel {
namespace {

constexpr std::size_t kSlot = 2; // box "3", layer A
constexpr std::size_t kMediaIndex = 0x0C, kMediaCode = 0x18, kAppIndex = 0x24, kAppLow = 0x30, kAppHigh = 0x3C,
                      kFireIndex = 0x48, kFireCode = 0x54, kFireSpeed = 0x60, kFireTimes = 0x6C,
                      kComboMask = 0x84, kCombo1 = 0x90, kCombo2 = 0x9C, kMacroNumber = 0xA8, kMacroRepeat = 0xB4;

class DialogModels : public ::testing::Test {
protected:
    // Confirms `row`'s dialog for box 3 with what the dialog model gives.
    template <typename Set>
    void confirm(int row, Set set)
    {
        set(model.dialogs);
        model.toggleFunctionList(kSlot);
        model.chooseFunction(kSlot, row);
    }
    std::uint8_t at(std::size_t array) const { return image[array + kSlot]; }
    const std::string& label() const { return labels[kSlot]; }

    ConfigImage image{};
    ButtonLabels labels{};
    RecordingReporter reporter;
    ButtonModel model{image, labels, Language::English, reporter};
};

TEST(LabelNames, AtMost31CharactersAndNoControlCharacters)
{
    struct Row {
        const char* name;
        bool safe;
        const char* made;
    };
    const Row rows[] = {
        {"Num Enter", true, "Num Enter"},
        {"", true, ""},
        {"F5\nItem2=x", false, "F5Item2=x"},
        {"Tab\there", false, "Tabhere"},
        {"del\x7f", false, "del"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ01234", true, "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ012345", false, "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234"},
        // 31 characters of Chinese are 93 bytes and still one label part.
        {"宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏", true,
         "宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏"},
        {"宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏", false,
         "宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(isLabelSafeName(row.name), row.safe) << row.name;
        EXPECT_EQ(labelSafeName(row.name), row.made) << row.name;
    }
}

TEST_F(DialogModels, ComboKeyFillsTheFocusedFieldAndStoresMaskAndCodes)
{
    using Field = ComboKeyDialogModel::Field;
    ComboKeyDialogModel combo;
    combo.keyEvent(Field::None, "X");
    EXPECT_EQ(combo.key1(), "");
    EXPECT_EQ(combo.key2(), "") << "a key with neither field focused changes nothing";

    combo.toggleModifierList();
    EXPECT_FALSE(combo.keyFieldsEnabled());
    combo.keyEvent(Field::Key1, "Z");
    EXPECT_EQ(combo.key1(), "") << "keys pressed while the modifier list is open are not stored";
    combo.chooseModifier(0);
    EXPECT_EQ(combo.modifier(), "Left Ctrl");
    EXPECT_FALSE(combo.isModifierListOpen());
    EXPECT_TRUE(combo.keyFieldsEnabled());

    combo.keyEvent(Field::Key1, "C");
    combo.keyEvent(Field::Key1, "C"); // its release
    confirm(12, [&](ParameterDialogs& d) { d.comboKey = [&] { return combo.result(); }; });
    EXPECT_EQ(at(kComboMask), 0x01);
    EXPECT_EQ(at(kCombo1), 0x06);
    EXPECT_EQ(at(kCombo2), 0x00);
    EXPECT_EQ(label(), "Combo Key-Left Ctrl+C");

    // Right Alt as a modifier is bit 0x40; as a key (key field 2) it is 0xE6.
    ComboKeyDialogModel right;
    right.toggleModifierList();
    right.chooseModifier(6);
    right.keyEvent(Field::Key2, "Right Alt");
    confirm(12, [&](ParameterDialogs& d) { d.comboKey = [&] { return right.result(); }; });
    EXPECT_EQ(at(kComboMask), 0x40);
    EXPECT_EQ(at(kCombo1), 0x00);
    EXPECT_EQ(at(kCombo2), 0xE6);
    EXPECT_EQ(label(), "Combo Key-Right Alt+Right Alt");

    ComboKeyDialogModel nothing;
    confirm(12, [&](ParameterDialogs& d) { d.comboKey = [&] { return nothing.result(); }; });
    EXPECT_EQ(label(), "Combo Key-");
}

TEST_F(DialogModels, ListDialogsGiveTheirRowsAndCodes)
{
    struct Row {
        const char* what;
        int function;
        int chosen; // -1: OK without opening the list
        const char* label;
        std::vector<std::pair<std::size_t, std::uint8_t>> bytes;
    };
    const Row rows[] = {
        {"multimedia default", 9, -1, "Multimedia-Next", {{kMediaIndex, 0}, {kMediaCode, 0xB5}}},
        {"multimedia Vol-", 9, 6, "Multimedia-Vol-", {{kMediaIndex, 6}, {kMediaCode, 0xEA}}},
        {"browser favourites", 8, 10, "Browser-My Favorites", {{kAppIndex, 10}, {kAppLow, 0x2A}, {kAppHigh, 2}}},
        {"my computer", 8, 3, "My Computer", {{kAppIndex, 3}, {kAppLow, 0x94}, {kAppHigh, 1}}},
        {"application default", 8, -1, "Multimedia Player", {{kAppIndex, 0}, {kAppLow, 0x83}, {kAppHigh, 1}}},
        {"fire R-CTRL", 10, 39, "Fire Key-R-CTRL", {{kFireIndex, 39}, {kFireCode, 0xE4}}},
        {"fire R-SHIFT", 10, 40, "Fire Key-R-SHIFT", {{kFireIndex, 40}, {kFireCode, 0xE5}}},
        {"fire B4-Button", 10, 57, "Fire Key-B4-Button", {{kFireIndex, 57}, {kFireCode, 0xF3}}},
        {"fire default", 10, -1, "Fire Key-A", {{kFireIndex, 0}, {kFireCode, 0x04}, {kFireSpeed, 32}, {kFireTimes, 1}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        image.fill(0xEE);
        image[0x7A8] = 0; // "Mode A" shown
        MediaDialogModel media(Language::English);
        WindowsDialogModel windows(Language::English);
        FireKeyDialogModel fire;
        RowChooser& list = row.function == 9 ? static_cast<RowChooser&>(media)
                           : row.function == 8 ? static_cast<RowChooser&>(windows)
                                               : static_cast<RowChooser&>(fire);
        if (row.chosen >= 0) {
            list.toggle();
            ASSERT_TRUE(list.isOpen());
            if (row.function == 10) {
                EXPECT_FALSE(fire.numberFieldsEnabled());
            }
            list.choose(row.chosen);
            EXPECT_FALSE(list.isOpen());
        }
        EXPECT_TRUE(fire.numberFieldsEnabled());
        confirm(row.function, [&](ParameterDialogs& d) {
            d.multimedia = [&] { return media.result(); };
            d.applicationKey = [&] { return windows.result(); };
            d.fireKey = [&] { return fire.result(); };
        });
        EXPECT_EQ(label(), row.label);
        EXPECT_EQ(image[kSlot], row.function);
        for (const auto& [array, value] : row.bytes)
            EXPECT_EQ(at(array), value) << "array " << array;
    }
}

TEST(FireKeyNumbers, SpeedIsCorrectedWhenLeftAndTimesAsTyped)
{
    struct Row {
        const char* text;
        const char* shown;
        int value;
    };
    const Row speeds[] = {
        {"3", "5", 5}, {"300", "5", 5}, {"", "5", 5}, {"4", "5", 5}, {"5", "5", 5},
        {"255", "255", 255}, {"256", "5", 5}, {"20", "20", 20}, {"99999999999", "5", 5},
    };
    FireKeyDialogModel fire;
    EXPECT_EQ(fire.speed(), 32);
    EXPECT_EQ(fire.times(), 1);
    for (const Row& row : speeds) {
        EXPECT_EQ(fire.speedFieldLeft(row.text), row.shown) << row.text;
        EXPECT_EQ(fire.speed(), row.value) << row.text;
    }
    const Row times[] = {
        {"", "", 0}, {"0", "0", 0}, {"255", "255", 255}, {"256", "1", 1}, {"25", "25", 25}, {"99999999999", "1", 1},
    };
    for (const Row& row : times) {
        EXPECT_EQ(fire.timesFieldChanged(row.text), row.shown) << row.text;
        EXPECT_EQ(fire.times(), row.value) << row.text;
    }
}

TEST_F(DialogModels, MacroKeyBindsTheChosenMacroOrTheFirst)
{
    MacroKeyDialogModel none({});
    EXPECT_EQ(none.result().macroNumber, 0);
    EXPECT_EQ(none.result().repeatMode, 1);

    std::vector<std::string> names;
    for (int i = 1; i <= 13; ++i)
        names.push_back("M" + std::to_string(i));
    MacroKeyDialogModel macros(names);
    EXPECT_EQ(macros.rows().size(), 12u) << "the mouse holds twelve macros";
    macros.chooseOption(3);
    macros.chooseOption(4); // no such option
    EXPECT_EQ(macros.repeatOption(), 3);
    confirm(13, [&](ParameterDialogs& d) { d.macroKey = [&] { return macros.result(); }; });
    EXPECT_EQ(at(kMacroNumber), 0) << "OK without opening the list binds the first macro";
    EXPECT_EQ(at(kMacroRepeat), 2);
    EXPECT_EQ(label(), "Macro Key-M1") << "and the label names the macro it binds";

    macros.toggle();
    macros.choose(4);
    confirm(13, [&](ParameterDialogs& d) { d.macroKey = [&] { return macros.result(); }; });
    EXPECT_EQ(at(kMacroNumber), 4);
    EXPECT_EQ(label(), "Macro Key-M5");
}

} // namespace
} // namespace varcel
