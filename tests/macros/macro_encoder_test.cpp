#include "macros/macro_encoder.h"

#include "macros/macro_store.h"
#include "support/macro_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace varcel {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Entries = std::vector<std::string>;

Bytes encoded(const Entries& entries, std::uint16_t loop = 1)
{
    ConfigImage image{};
    setLoopCount(image, 1, loop);
    encodeMacroBlock(macroBlockOf(image, 1), entries);
    return test::blockOf(image, 1);
}

TEST(MacroEncoder, EventPairsAndPauseForms)
{
    struct Row {
        const char* what;
        Entries entries;
        Bytes events;
    };
    const Row rows[] = {
        {"the worked example",
         {"A   Dn", "50 ms", "A   Up", "2000 ms", "B   Dn", "50 ms", "B   Up"},
         {0x05, 0x04, 0x80, 0x04, 0x14, 0x03, 0x05, 0x05, 0x80, 0x05}},
        {"1270 ms is the longest short pause", {"A   Dn", "1270 ms", "A   Up"}, {0x7F, 0x04, 0x80, 0x04}},
        {"1280 ms takes the long form", {"A   Dn", "1280 ms", "A   Up"}, {80, 0x04, 12, 0x03, 0x80, 0x04}},
        {"1271 ms takes the long form", {"A   Dn", "1271 ms"}, {71, 0x04, 12, 0x03}},
        {"a release followed by 10000 ms", {"A   Up", "10000 ms"}, {0x80, 0x04, 100, 0x03}},
        {"a list that starts with a pause and a release",
         {"50 ms", "L-Button   Up", "50 ms"},
         {0x85, 0xF0}},
        {"two pauses in a row: the first counts", {"A   Dn", "300 ms", "900 ms", "A   Up"}, {30, 0x04, 0x80, 0x04}},
        {"pause units are cut, not rounded", {"M-Button   Dn", "59 ms"}, {5, 0xF2}},
        {"an unknown key name is code 0", {"Nonesuch   Dn", "50 ms"}, {5, 0x00}},
        {"a negative pause is no pause", {"A   Dn", "-500 ms"}, {0x00, 0x04}},
        {"a pause that is no number is no pause", {"A   Dn", "soon ms"}, {0x00, 0x04}},
        {"an overlong pause is held to the longest the marker holds",
         {"A   Up", "99999999 ms"},
         {0x80 | 99, 0x04, 255, 0x03}},
        {"garbage entries are skipped", {"hello", "A   Dn", "50 ms", "???"}, {5, 0x04}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(encoded(row.entries, 3), test::block(3, row.events));
        EXPECT_EQ(measureMacro(row.entries).bytes, row.events.size()) << "counted as written";
    }
}

TEST(MacroEncoder, NeverWritesPastTheBlock)
{
    struct Row {
        const char* what;
        Entries entries;
        int written;
        int events;
    };
    Entries shortEvents;
    for (int i = 0; i < 64; ++i)
        shortEvents.insert(shortEvents.end(), {i % 2 ? "A   Up" : "A   Dn", "50 ms"});
    Entries longThenShort;
    for (int i = 0; i < 31; ++i)
        longThenShort.insert(longThenShort.end(), {"A   Dn", "2000 ms"});
    longThenShort.insert(longThenShort.end(), {"A   Up", "2000 ms", "B   Dn", "50 ms"});
    const Row rows[] = {
        {"63 short pairs fill the stream exactly",
         Entries(shortEvents.begin(), shortEvents.begin() + 126), 63, 63},
        {"the 64th short pair does not fit", shortEvents, 63, 64},
        // 31 long events take 124 bytes; the 32nd is long too and does not
        // fit, and the short one after it must not jump the queue.
        {"a long event that does not fit ends the block", longThenShort, 31, 33},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ConfigImage image{};
        image.fill(0xEE);
        const int written = encodeMacroBlock(macroBlockOf(image, 12), row.entries);
        EXPECT_EQ(written, row.written);
        const MacroFit fit = measureMacro(row.entries);
        EXPECT_EQ(fit.events, row.events);
        EXPECT_EQ(fit.eventsThatFit, row.written);
        EXPECT_EQ(fit.fits(), row.written == row.events);
        // The loop count of block 12 and every byte after the macro area stay.
        EXPECT_EQ(image[0x180 + 11 * 128], 0xEE);
        EXPECT_EQ(image[0x180 + 11 * 128 + 1], 0xEE);
        for (std::size_t i = 0x780; i < image.size(); ++i)
            ASSERT_EQ(image[i], 0xEE) << i;
        for (std::size_t i = 0; i < 0x180 + 11 * 128; ++i)
            ASSERT_EQ(image[i], 0xEE) << i;
    }
}

TEST(MacroEncoder, RebuildsBlocksInSectionOrderAndLeavesTheRest)
{
    test::TempDir dir;
    MacroStore store(dir / "record.ini");
    ConfigImage image{};
    image.fill(0x11);

    // No file: nothing changes.
    const ConfigImage untouched = image;
    EXPECT_FALSE(encodeAllMacros(store, image).fileFound);
    EXPECT_EQ(image, untouched);

    ASSERT_TRUE(store.save("One", {"A   Dn", "50 ms", "A   Up"}));
    ASSERT_TRUE(store.save("Two", {}));
    ASSERT_TRUE(store.save("Three", {"B   Dn"}));
    EncodeOutcome outcome = encodeAllMacros(store, image);
    EXPECT_EQ(outcome.blocksWritten, 3u);
    EXPECT_TRUE(outcome.ignored.empty());
    EXPECT_EQ(test::blockOf(image, 1), test::block(0x1111, {0x05, 0x04, 0x80, 0x04}));
    EXPECT_EQ(test::blockOf(image, 2), Bytes(128, 0));
    EXPECT_EQ(test::blockOf(image, 3), test::block(0x1111, {0x00, 0x05}));
    EXPECT_EQ(test::blockOf(image, 4), Bytes(128, 0x11));

    // After a delete one section fewer is encoded: the old block 3 stays.
    ASSERT_TRUE(store.remove("One"));
    encodeAllMacros(store, image);
    EXPECT_EQ(test::blockOf(image, 1), Bytes(128, 0));
    EXPECT_EQ(test::blockOf(image, 2), test::block(0, {0x00, 0x05})); // the loop count of the empty macro before
    EXPECT_EQ(test::blockOf(image, 3), test::block(0x1111, {0x00, 0x05}));
}

TEST(MacroEncoder, OnlyAnItemCountOfZeroClearsTheLoopCount)
{
    struct Row {
        const char* section;
        Bytes block;
    };
    const Row rows[] = {
        {"ItemCount=4\n", test::block(0x0203, {})}, // items promised but absent: the loop count stays
        {"ItemCount=2\nItem1=A   Dn\n", test::block(0x0203, {0x00, 0x04})},
        {"ItemCount=0\nItem0=A   Dn\n", Bytes(128, 0)},
        {"ItemCount=abc\n", Bytes(128, 0)},
        {"", Bytes(128, 0)},
    };
    for (const Row& row : rows) {
        test::TempDir dir;
        test::writeText(dir / "record.ini", std::string("[Hand]\n") + row.section + "[Other]\nItemCount=0\n");
        MacroStore store(dir / "record.ini");
        ConfigImage image{};
        image.fill(0x77);
        setLoopCount(image, 1, 0x0203);
        encodeAllMacros(store, image);
        EXPECT_EQ(test::blockOf(image, 1), row.block) << row.section;
    }
}

TEST(MacroEncoder, SectionsPastTheTwelfthAreIgnoredAndNamed)
{
    test::TempDir dir;
    MacroStore store(dir / "record.ini");
    for (int i = 1; i <= 14; ++i)
        ASSERT_TRUE(store.save("M" + std::to_string(i), {"A   Dn"}));
    ConfigImage image{};
    image.fill(0x22);
    const EncodeOutcome outcome = encodeAllMacros(store, image);
    EXPECT_EQ(outcome.blocksWritten, 12u);
    EXPECT_EQ(outcome.ignored, (Entries{"M13", "M14"}));
    EXPECT_EQ(test::blockOf(image, 12), test::block(0x2222, {0x00, 0x04}));
    for (std::size_t i = 0x780; i < image.size(); ++i)
        ASSERT_EQ(image[i], 0x22) << i;
}

} // namespace
} // namespace varcel
