#include "macros/macro_entry.h"

#include <gtest/gtest.h>

namespace varcel {
namespace {

TEST(MacroEntry, ClassifiesAndNamesEntriesByTheirSeparators)
{
    struct Row {
        const char* entry;
        EntryKind kind;
        const char* keyName;
    };
    const Row rows[] = {
        {"A   Dn", EntryKind::KeyPress, "A"},
        {"Caps Lock   Up", EntryKind::KeyRelease, "Caps Lock"},
        {"L-Button   Dn", EntryKind::KeyPress, "L-Button"},
        // A press test comes first, and every separator is removed.
        {"X   Up   Dn", EntryKind::KeyPress, "X   Up"},
        {"A   Dn   Dn", EntryKind::KeyPress, "A"},
        {"A  Dn", EntryKind::Other, ""},   // two spaces are no separator
        {"A   dn", EntryKind::Other, ""},  // nor a lower-case one
        {"50 ms", EntryKind::Pause, ""},
        {"garbage ms here", EntryKind::Pause, ""},
        {"50 MS", EntryKind::Other, ""},
        {"", EntryKind::Other, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.entry);
        EXPECT_EQ(classifyEntry(row.entry), row.kind);
        EXPECT_EQ(entryKeyName(row.entry), row.keyName);
    }
}

TEST(MacroEntry, PauseValueIsTheLeadingIntegerAndNeverNegative)
{
    struct Row {
        const char* entry;
        std::int32_t value;
    };
    const Row rows[] = {
        {"50 ms", 50},
        {"0050 ms", 50},
        {"  \t 120 ms", 120},
        {"+75 ms", 75},
        {"1271ms", 1271},          // no " ms" to remove; digits stop at "m"
        {"1 ms2 ms", 12},          // every " ms" goes before the number is read
        {"-40 ms", 0},
        {"abc ms", 0},
        {" ms", 0},
        {"99999999999999999999 ms", 2147483647},
        {"-99999999999999999999 ms", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.entry);
        EXPECT_EQ(pauseMilliseconds(row.entry), row.value);
    }
    EXPECT_EQ(leadingInteger("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(leadingInteger("-99999999999"), -2147483647 - 1);
    EXPECT_EQ(leadingInteger("2147483647"), 2147483647);
    EXPECT_EQ(leadingInteger("- 5"), 0);
}

} // namespace
} // namespace varcel
