#include "macros/macro_page.h"

#include "platform/reporter.h"
#include "macros/macro_encoder.h"
#include "macros/macro_store.h"
#include "support/macro_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace varcel {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Entries = std::vector<std::string>;
using Message = RecordingReporter::Message;

class MacroPageTest : public ::testing::Test {
protected:
    void SetUp() override { image.fill(0x33); }

    void showPage(const std::vector<std::pair<std::string, Entries>>& macros)
    {
        for (const auto& [name, entries] : macros)
            ASSERT_TRUE(store.save(name, entries));
        page.build();
    }

    test::TempDir dir;
    MacroStore store{dir / "record.ini"};
    ConfigImage image{};
    RecordingReporter reporter;
    MacroPage page{store, image, Language::English, reporter};
};

TEST_F(MacroPageTest, BuildShowsTheFirstMacroAndTheLoopCountOfBlockOne)
{
    setLoopCount(image, 1, 7);
    showPage({{"Greeting", {"H   Dn", "50 ms", "H   Up"}}, {"Fire", {}}});
    EXPECT_EQ(page.macros(), (Entries{"Greeting", "Fire"}));
    EXPECT_EQ(page.selectedMacro(), 0);
    EXPECT_EQ(page.nameText(), "Greeting");
    EXPECT_EQ(page.events(), (Entries{"H   Dn", "50 ms", "H   Up"}));
    EXPECT_EQ(page.loopText(), "7");

    // An empty macro keeps the loop field; one with entries shows its block's count.
    setLoopCount(image, 2, 9);
    page.selectMacro(1);
    EXPECT_EQ(page.nameText(), "Fire");
    EXPECT_TRUE(page.events().empty());
    EXPECT_EQ(page.loopText(), "7");
    EXPECT_EQ(loopCount(image, 2), 9); // keeping the text is no change: nothing is stored
}

TEST_F(MacroPageTest, LoopFieldCorrectsItselfToOne)
{
    setLoopCount(image, 1, 0);
    showPage({{"One", {"A   Dn"}}, {"Two", {"B   Dn"}}});
    // A block whose count is 0 shows 1 at once and gets 1.
    EXPECT_EQ(page.loopText(), "1");
    EXPECT_EQ(loopCount(image, 1), 1);

    struct Row {
        const char* typed;
        const char* shown;
        std::uint16_t stored;
    };
    const Row rows[] = {
        {"", "1", 1}, {"0", "1", 1}, {"65535", "65535", 65535}, {"65536", "1", 1},
        {"250", "250", 250}, {"007", "007", 7},
    };
    page.selectMacro(1);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed);
        page.setLoopText(row.typed);
        EXPECT_EQ(page.loopText(), row.shown);
        EXPECT_EQ(loopCount(image, 2), row.stored);
    }
    EXPECT_EQ(loopCount(image, 1), 1);

    // With no macro selected nothing is stored.
    page.deleteMacro();
    const ConfigImage before = image;
    page.setLoopText("12");
    EXPECT_EQ(image, before);
}

TEST_F(MacroPageTest, NewRefusesWithTheRightMessage)
{
    showPage({{"Fire", {}}});
    struct Row {
        std::string name;
        Message message;
    };
    const Row rows[] = {
        {"", {"Macro name is blank", "Varcel"}},
        {"   ", {"Macro name is blank", "Varcel"}},
        {"fIRE", {"Macro name already exists", "Varcel"}},
        {" Fire ", {"Macro name already exists", "Varcel"}},
        {"a]b", {"A macro name cannot contain [, ], = or a line break.", "Varcel"}},
        {"[x", {"A macro name cannot contain [, ], = or a line break.", "Varcel"}},
        {"k=v", {"A macro name cannot contain [, ], = or a line break.", "Varcel"}},
        {"two\nlines", {"A macro name cannot contain [, ], = or a line break.", "Varcel"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        reporter.messages.clear();
        page.setNameText(row.name);
        EXPECT_FALSE(page.newMacro());
        EXPECT_EQ(reporter.messages, std::vector<Message>{row.message});
        EXPECT_EQ(page.macros(), Entries{"Fire"});
    }

    // Twelve listed, some never confirmed: the thirteenth is refused.
    for (int i = 2; i <= 12; ++i) {
        page.setNameText("M" + std::to_string(i));
        ASSERT_TRUE(page.newMacro());
    }
    EXPECT_EQ(page.selectedMacro(), 11);
    reporter.messages.clear();
    page.setNameText("M13");
    EXPECT_FALSE(page.newMacro());
    EXPECT_EQ(reporter.messages, (std::vector<Message>{{"Macro numbers up to 12.", "Warning"}}));
    EXPECT_EQ(store.list(), Entries{"Fire"}); // New writes nothing
}

TEST_F(MacroPageTest, NameFieldHoldsThirtyOneCharacters)
{
    EXPECT_TRUE(page.setNameText(std::string(31, 'n')));
    EXPECT_FALSE(page.setNameText(std::string(40, 'n')));
    EXPECT_EQ(page.nameText(), std::string(31, 'n'));
    EXPECT_FALSE(page.setNameText("宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏宏"));
    EXPECT_EQ(page.nameText().size(), 31u * 3);
    EXPECT_TRUE(page.newMacro());
}

TEST_F(MacroPageTest, InsertMouseEventAfterTheSelectedEntry)
{
    struct Row {
        const char* what;
        Entries list;
        int selected;
        int row;
        Entries after;
        int selectedAfter;
    };
    const Row rows[] = {
        {"click after an event", {"A   Dn"}, 0, 0,
         {"A   Dn", "50 ms", "L-Button   Dn", "50 ms", "L-Button   Up"}, 2},
        {"click after a pause", {"A   Dn", "200 ms", "A   Up"}, 1, 2,
         {"A   Dn", "200 ms", "M-Button   Dn", "50 ms", "M-Button   Up", "50 ms", "A   Up"}, 2},
        {"press after an event", {"A   Dn", "50 ms", "A   Up"}, 0, 5,
         {"A   Dn", "50 ms", "R-Button   Dn", "50 ms", "A   Up"}, 2},
        {"release after a pause", {"A   Dn", "50 ms"}, 1, 4,
         {"A   Dn", "50 ms", "L-Button   Up", "50 ms"}, 2},
        {"nothing selected", {"A   Dn"}, MacroPage::kNone, 0, {"A   Dn"}, MacroPage::kNone},
        {"empty list", {}, MacroPage::kNone, 1, {}, MacroPage::kNone},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        page.clearEvents();
        for (const std::string& entry : row.list)
            page.appendEntry(entry);
        page.selectEvent(row.selected);
        page.toggleMouseEventList();
        page.insertMouseEvent(row.row);
        EXPECT_EQ(page.events(), row.after);
        EXPECT_EQ(page.selectedEvent(), row.selectedAfter);
        EXPECT_FALSE(page.isMouseEventListOpen());
        EXPECT_EQ(page.insertFace(), std::vector<std::string>({"L-Button Click", "R-Button Click",
                                                               "M-Button Click", "L-Button   Dn",
                                                               "L-Button   Up", "R-Button   Dn"})
                                         .at(static_cast<std::size_t>(row.row)));
    }
}

TEST_F(MacroPageTest, EditPauseTakesTheDelayDialogsValue)
{
    struct Row {
        const char* what;
        int selected;
        std::optional<std::string> dialog;
        const char* entry;
    };
    const Row rows[] = {
        {"in range", 1, "1500", "1500 ms"},
        {"leading zeros kept", 1, "0050", "0050 ms"},
        {"upper end", 1, "10000", "10000 ms"},
        {"too long", 1, "20000", "50 ms"},
        {"too short", 1, "49", "50 ms"},
        {"empty field", 1, "", "50 ms"},
        {"not digits", 1, "60   Dn", "50 ms"},
        {"cancelled", 1, std::nullopt, "300 ms"},
        {"an event is no pause", 0, "900", "300 ms"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        page.clearEvents();
        page.appendEntry("A   Dn");
        page.appendEntry("300 ms");
        page.selectEvent(row.selected);
        bool asked = false;
        page.delayDialog = [&] {
            asked = true;
            return row.dialog;
        };
        page.editPause();
        EXPECT_EQ(asked, row.selected == 1);
        EXPECT_EQ(page.events().at(1), row.entry);
        EXPECT_EQ(page.events().at(0), "A   Dn");
        EXPECT_EQ(page.selectedEvent(), row.selected);
    }
}

TEST_F(MacroPageTest, DeleteEntryRemovesOnlyTheSelectedOne)
{
    showPage({{"M", {"A   Dn", "50 ms", "A   Up"}}});
    page.selectEvent(1);
    page.deleteEvent();
    EXPECT_EQ(page.events(), (Entries{"A   Dn", "A   Up"}));
    page.deleteEvent(); // nothing selected any more
    EXPECT_EQ(page.events().size(), 2u);
}

TEST_F(MacroPageTest, ConfirmSavesThenEncodesWithoutAMessage)
{
    setLoopCount(image, 1, 4);
    showPage({{"First", {"A   Dn"}}, {"Second", {"B   Dn"}}});
    page.appendEntry("50 ms");
    page.appendEntry("A   Up");
    ASSERT_TRUE(page.confirm());
    EXPECT_TRUE(reporter.messages.empty());
    // Saved in its place: "First" is still macro 1, and both blocks were rebuilt.
    EXPECT_EQ(store.list(), (Entries{"First", "Second"}));
    EXPECT_EQ(test::blockOf(image, 1), test::block(4, {0x05, 0x04, 0x80, 0x04}));
    EXPECT_EQ(test::blockOf(image, 2), test::block(0x3333, {0x00, 0x05}));
    EXPECT_EQ(test::blockOf(image, 3), Bytes(128, 0x33));
    // The page's list keeps its order.
    EXPECT_EQ(page.macros(), (Entries{"First", "Second"}));

    // An empty event list saves ItemCount=0 and clears the block, loop count included.
    page.selectMacro(1);
    page.clearEvents();
    ASSERT_TRUE(page.confirm());
    EXPECT_EQ(store.load("Second"), Entries{});
    EXPECT_NE(test::readText(store.path()).find("[Second]\nItemCount=0\n"), std::string::npos);
    EXPECT_EQ(test::blockOf(image, 2), Bytes(128, 0));
}

// New, an entry, Confirm: the block gets the loop count the field shows,
// not the 0 of an unused block.
TEST_F(MacroPageTest, ANewMacrosBlockGetsTheLoopCountShown)
{
    image.fill(0);
    showPage({{"One", {"A   Dn"}}});
    page.setLoopText("2");
    page.setNameText("Two");
    ASSERT_TRUE(page.newMacro());
    page.appendEntry("B   Dn");
    ASSERT_TRUE(page.confirm());
    EXPECT_EQ(loopCount(image, 2), 2);
}

TEST_F(MacroPageTest, ConfirmRefusesAMacroTheBlockCannotHold)
{
    showPage({{"Long", {"A   Dn"}}});
    setLoopCount(image, 1, 2);
    page.clearEvents();
    // 40 events with long pauses need 160 bytes; 31 of them fit.
    for (int i = 0; i < 40; ++i) {
        page.appendEntry(i % 2 ? "A   Up" : "A   Dn");
        page.appendEntry("2000 ms");
    }
    const ConfigImage before = image;
    const std::string fileBefore = test::readText(store.path());
    EXPECT_FALSE(page.confirm());
    EXPECT_EQ(reporter.messages,
              (std::vector<Message>{{"This macro is too long for the mouse: only 31 of its 40 key events fit. "
                                     "Delete some events, or shorten pauses above 1270 ms, which take twice the room.",
                                     "Warning"}}));
    EXPECT_EQ(image, before);
    EXPECT_EQ(test::readText(store.path()), fileBefore);
    EXPECT_EQ(page.events().size(), 80u); // the list is kept for the user to shorten

    // In Chinese the message names the same numbers.
    RecordingReporter chinese;
    MacroPage zhPage(store, image, Language::SimplifiedChinese, chinese);
    zhPage.build();
    zhPage.clearEvents();
    for (int i = 0; i < 64; ++i) {
        zhPage.appendEntry("A   Dn");
        zhPage.appendEntry("50 ms");
    }
    EXPECT_FALSE(zhPage.confirm());
    ASSERT_EQ(chinese.messages.size(), 1u);
    EXPECT_NE(chinese.messages[0].text.find("64 个按键事件中只能保存 63 个"), std::string::npos);
}

TEST_F(MacroPageTest, DeleteMacroLeavesTheBlocksAndSelectsNothing)
{
    showPage({{"One", {"A   Dn"}}, {"Two", {"B   Dn"}}, {"Three", {"C   Dn"}}});
    const ConfigImage before = image;
    page.selectMacro(1);
    page.deleteMacro();
    EXPECT_EQ(page.macros(), (Entries{"One", "Three"}));
    EXPECT_EQ(store.list(), (Entries{"One", "Three"}));
    EXPECT_EQ(page.selectedMacro(), MacroPage::kNone);
    EXPECT_TRUE(page.nameText().empty());
    EXPECT_TRUE(page.events().empty());
    EXPECT_EQ(image, before);

    // Confirm and Delete with no selection change nothing.
    const std::string file = test::readText(store.path());
    EXPECT_FALSE(page.confirm());
    page.deleteMacro();
    EXPECT_EQ(test::readText(store.path()), file);
    EXPECT_EQ(image, before);
    EXPECT_TRUE(reporter.messages.empty());
}

} // namespace
} // namespace varcel
