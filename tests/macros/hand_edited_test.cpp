// A record.ini edited by hand: junk lines, absurd numbers, more than twelve
// sections, duplicates, long names and entries. It must load and encode
// without touching anything outside the macro area.
#include "platform/reporter.h"
#include "macros/macro_encoder.h"
#include "macros/macro_page.h"
#include "macros/macro_store.h"
#include "support/macro_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace varcel {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::filesystem::path fixture(const char* name)
{
    const char* root = std::getenv("VARCEL_TEST_FIXTURES");
    return std::filesystem::path(root ? root : VARCEL_TEST_FIXTURES_DIR) / "macros" / name;
}

void expectMacroAreaOnly(const ConfigImage& before, const ConfigImage& after)
{
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (i >= 0x180 && i < 0x780)
            continue;
        ASSERT_EQ(after[i], before[i]) << "byte " << i << " lies outside the macro area";
    }
}

TEST(HandEditedRecordIni, LoadsAndEncodesInsideTheMacroArea)
{
    test::TempDir dir;
    const auto path = dir / "record.ini";
    std::filesystem::copy_file(fixture("hand_edited.ini"), path);
    MacroStore store(path);

    const auto names = store.list();
    ASSERT_EQ(names.size(), 20u);
    EXPECT_EQ(names[0], "Plain");
    EXPECT_EQ(names[2], std::string(99, 'N') + "x");
    EXPECT_EQ(names[7], "Padded Name");
    EXPECT_EQ(names[19], "Extra 11");

    // Every macro shows on the page.
    ConfigImage image{};
    image.fill(0x5A);
    RecordingReporter reporter;
    MacroPage page(store, image, Language::English, reporter);
    page.build();
    ASSERT_EQ(page.macros(), names);
    for (int i = 0; i < static_cast<int>(names.size()); ++i)
        page.selectMacro(i);
    EXPECT_EQ(store.load("Huge Count"), (std::vector<std::string>{"B   Dn", "2000 ms", "", "", "", "", "", "B   Up"}));
    EXPECT_TRUE(store.load("Odd Values").empty());
    EXPECT_TRUE(store.load("Negative Count").empty());
    EXPECT_TRUE(reporter.messages.empty());

    const ConfigImage before = image;
    const EncodeOutcome outcome = encodeAllMacros(store, image);
    EXPECT_EQ(outcome.blocksWritten, 12u);
    EXPECT_EQ(outcome.ignored, (std::vector<std::string>{"Extra 4", "Extra 5", "Extra 6", "Extra 7", "Extra 8",
                                                         "Extra 9", "Extra 10", "Extra 11"}));
    ASSERT_EQ(outcome.cut.size(), 1u);
    EXPECT_EQ(outcome.cut[0].name, "Too Long");
    EXPECT_EQ(outcome.cut[0].written, 31);
    EXPECT_EQ(outcome.cut[0].events, 200);
    expectMacroAreaOnly(before, image);

    // The pause of a billion milliseconds is held to the longest the mouse
    // takes; the negative one is none; the unknown key is code 0.
    EXPECT_EQ(test::blockOf(image, 1), test::block(0x5A5A, {99, 0x04, 255, 0x03, 0x80, 0x04, 0x00, 0x00}));
    EXPECT_EQ(test::blockOf(image, 5), Bytes(128, 0)); // "ItemCount=abc"
    EXPECT_EQ(test::blockOf(image, 6), Bytes(128, 0)); // "ItemCount=-7"
    EXPECT_EQ(test::blockOf(image, 8), test::block(0x5A5A, {0x00, 0x09, 0x80, 0x09}));

    // Confirming a macro through the page names what the mouse cannot keep;
    // the confirmed one keeps its place.
    page.selectMacro(0);
    ASSERT_TRUE(page.confirm());
    ASSERT_EQ(reporter.messages.size(), 2u);
    EXPECT_EQ(reporter.messages[0].text,
              "record.ini holds more than 12 macros; the mouse keeps only the first 12. Not written to the mouse: "
              "Extra 4, Extra 5, Extra 6, Extra 7, Extra 8, Extra 9, Extra 10, Extra 11");
    EXPECT_EQ(reporter.messages[1].text,
              "Macro \"Too Long\" in record.ini is too long for the mouse: only the first 31 of its 200 key events "
              "were written.");
    expectMacroAreaOnly(before, image);
}

} // namespace
} // namespace varcel
