#include "macros/macro_store.h"

#include "support/macro_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace varcel {
namespace {

using Entries = std::vector<std::string>;

class MacroStoreTest : public ::testing::Test {
protected:
    test::TempDir dir;
    MacroStore store{dir / "record.ini"};
};

TEST_F(MacroStoreTest, MissingFileIsAnEmptyStoreUntilTheFirstSave)
{
    EXPECT_TRUE(store.list().empty());
    EXPECT_TRUE(store.load("Fire").empty());
    EXPECT_TRUE(store.remove("Fire"));
    EXPECT_FALSE(store.exists());

    ASSERT_TRUE(store.save("Fire", {"L-Button   Dn", "2000 ms", "L-Button   Up"}));
    EXPECT_EQ(test::readText(store.path()),
              "[Fire]\nItemCount=3\nItem0=L-Button   Dn\nItem1=2000 ms\nItem2=L-Button   Up\n");
}

// An edited macro keeps its number (a button bound to it keeps playing it);
// a new one goes last.
TEST_F(MacroStoreTest, SavingKeepsAMacroInItsPlaceAndDropsItsOldItems)
{
    ASSERT_TRUE(store.save("One", {"A   Dn", "50 ms", "A   Up"}));
    ASSERT_TRUE(store.save("Two", {"B   Dn"}));
    ASSERT_TRUE(store.save("Three", {}));
    EXPECT_EQ(store.list(), (Entries{"One", "Two", "Three"}));

    // The first of three stays macro 1, with the shorter list only.
    ASSERT_TRUE(store.save("one", {"C   Dn"}));
    EXPECT_EQ(store.list(), (Entries{"One", "Two", "Three"}));
    EXPECT_EQ(store.load("ONE"), (Entries{"C   Dn"}));
    ASSERT_TRUE(store.save("Three", {"D   Dn", "50 ms"}));
    EXPECT_EQ(test::readText(store.path()), "[One]\nItemCount=1\nItem0=C   Dn\n[Two]\nItemCount=1\nItem0=B   Dn\n"
                                            "[Three]\nItemCount=2\nItem0=D   Dn\nItem1=50 ms\n");

    // Deleting macro 2 of 3 makes the former macro 3 macro 2.
    ASSERT_TRUE(store.remove("two"));
    EXPECT_EQ(store.list(), (Entries{"One", "Three"}));

    // In a UTF-16LE file, as Windows writes it, a comment of the section stays.
    const auto utf16 = [](const std::string& ascii) {
        std::string wide = "\xFF\xFE";
        for (const char c : ascii)
            wide += {c, '\0'};
        return wide;
    };
    test::writeText(store.path(), utf16("[One]\r\n; mine\r\nItemCount=1\r\nItem0=A   Dn\r\n[Two]\r\nItemCount=0\r\n"));
    ASSERT_TRUE(store.save("One", {"B   Dn", "50 ms"}));
    EXPECT_EQ(test::readText(store.path()), utf16("[One]\r\n; mine\r\nItemCount=2\r\nItem0=B   Dn\r\nItem1=50 ms\r\n"
                                                  "[Two]\r\nItemCount=0\r\n"));
}

TEST_F(MacroStoreTest, SeesEveryNameHoweverLongTheList)
{
    // Twelve names of 30 characters: Windows would stop seeing them after the eighth.
    Entries names;
    for (char c = 'a'; c < 'a' + 12; ++c) {
        names.push_back(std::string(29, c) + "!");
        ASSERT_TRUE(store.save(names.back(), {"A   Dn"}));
    }
    EXPECT_EQ(store.list(), names);
    EXPECT_EQ(store.loadAll().back().entries, (Entries{"A   Dn"}));
}

TEST_F(MacroStoreTest, RefusesWhatTheFileCannotCarry)
{
    ASSERT_TRUE(store.save("Keep", {"A   Dn"}));
    const std::string before = test::readText(store.path());
    EXPECT_FALSE(store.save("Bad\nName", {"A   Dn"}));
    EXPECT_FALSE(store.save("Keep", {"A   Dn", "50 ms\n[Injected]"}));
    EXPECT_FALSE(store.save("", {"A   Dn"}));
    EXPECT_EQ(test::readText(store.path()), before);
}

} // namespace
} // namespace varcel
