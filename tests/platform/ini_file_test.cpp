#include "platform/ini_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace varcel {
namespace {

std::filesystem::path fixture(const std::string& name)
{
    const char* root = std::getenv("VARCEL_TEST_FIXTURES");
    return std::filesystem::path(root ? root : VARCEL_TEST_FIXTURES_DIR) / "ini" / name;
}

std::string fileText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

TEST(IniRead, WindowsFileReadsAsTheProfileFunctionsReadIt)
{
    const IniFile file = IniFile::load(fixture("windows_crlf.ini"));
    struct Row {
        const char* section;
        const char* key;
        std::optional<std::string> value;
    } rows[] = {
        {"Setting-EN", "Item1", "Left Click"},
        {"SETTING-en", "ITEM1", "Left Click"},       // sections and keys ignore case
        {"Setting-EN", "Item2", "Right Click"},      // key and value trimmed
        {"Setting-EN", "Item3", "  Mid Click  "},    // one pair of quotes goes, what they held stays
        {"Setting-EN", "Item4", "Forward"},          // single quotes too
        {"Setting-EN", "Item5", "\"Backward'"},      // unmatched quotes stay
        {"Setting-EN", "Item6", "v ;not a comment"}, // no inline comments
        {"Setting-EN", "#Item7", "hash is no comment"},
        {"Setting-EN", "no equals sign here", std::nullopt},
        {"Setting-EN", "Item9", std::nullopt},       // only in the duplicate section
        {"Skins", "Path", "Blue"},                   // "[ Skins ]" is "Skins"
        {"Skins", "Item1", std::nullopt},
        {"Missing", "Path", std::nullopt},
        {"", "stray before any section", std::nullopt},
    };
    for (const Row& row : rows)
        EXPECT_EQ(file.value(row.section, row.key), row.value) << row.section << " / " << row.key;

    EXPECT_EQ(file.sectionNames(), (std::vector<std::string>{"Setting-EN", "Skins", "setting-en"}));
    EXPECT_EQ(file.keyNames("setting-EN"),
              (std::vector<std::string>{"Item1", "item2", "Item3", "Item4", "Item5", "Item6", "#Item7"}));
    EXPECT_EQ(file.string("Skins", "GColor", "fallback"), "fallback");
    EXPECT_EQ(file.string("Skins", "RColor", "fallback"), "255");
}

TEST(IniRead, LineEndings)
{
    const IniFile file = IniFile::load(fixture("mixed_endings.ini"));
    EXPECT_EQ(file.sectionNames(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(file.value("A", "k1"), "1");
    EXPECT_EQ(file.value("B", "k2"), "2");
    EXPECT_EQ(file.value("B", "k3"), "3");
}

TEST(IniRead, SectionNameRunsToTheLastBracket)
{
    const IniFile file = IniFile::fromBytes("[a]b] tail\nk=1\n[no close\n[]\nk=empty\n");
    EXPECT_EQ(file.sectionNames(), (std::vector<std::string>{"a]b", ""}));
    EXPECT_EQ(file.value("a]b", "k"), "1");
    EXPECT_EQ(file.value("", "k"), "empty");
}

TEST(IniRead, CaseIsIgnoredBeyondAscii)
{
    const IniFile file = IniFile::fromBytes("[Éclair]\nÄpfel=1\n[宏一]\nItemCount=0\n");
    EXPECT_EQ(file.value("éCLAIR", "äPFEL"), "1");
    EXPECT_TRUE(file.hasSection("宏一"));
    EXPECT_FALSE(file.hasSection("宏二"));
}

TEST(IniRead, Encodings)
{
    struct Row {
        const char* fixture;
        IniFile::Encoding encoding;
    } rows[] = {
        {"utf16le_bom.ini", IniFile::Encoding::Utf16Le},
        {"utf8_bom.ini", IniFile::Encoding::Utf8Bom},
        {"gb18030.ini", IniFile::Encoding::Gb18030},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fixture);
        const IniFile file = IniFile::load(fixture(row.fixture));
        EXPECT_EQ(file.sourceEncoding(), row.encoding);
        EXPECT_EQ(file.sectionNames().front(), "Setting-CHS"); // a byte-order mark is not part of the name
        EXPECT_EQ(file.value("Setting-CHS", "Item1"), "左键");
        EXPECT_EQ(file.value("Setting-CHS", "Item2"), "单键-F5");
        EXPECT_EQ(file.value("Skins", "Path"), "默认");
    }
    EXPECT_EQ(IniFile::load(fixture("utf16le_bom.ini")).value("Setting-CHT", "Item1"), "左鍵");
}

TEST(IniRead, MissingFileIsEmpty)
{
    test::TempDir dir;
    EXPECT_TRUE(IniFile::load(dir / "absent.ini").sectionNames().empty());
    EXPECT_EQ(readIniString(dir / "absent.ini", "S", "k", "dflt"), "dflt");
    EXPECT_TRUE(iniSectionNames(dir / "absent.ini").empty());
}

TEST(IniWrite, EditsKeepUntouchedLinesByteForByte)
{
    test::TempDir dir;
    const auto path = dir / "str.ini";
    std::filesystem::copy_file(fixture("windows_crlf.ini"), path);
    const std::string before = fileText(path);

    // Same value: nothing to change (and no rewrite).
    ASSERT_TRUE(writeIniString(path, "setting-en", "item1", "Left Click"));
    EXPECT_EQ(fileText(path), before);

    // An existing key keeps the file's spelling and its place, now without spaces.
    ASSERT_TRUE(writeIniString(path, "SETTING-EN", "ITEM2", "Single Key-F5"));
    // A missing key becomes the last line of the section, before the blank line.
    ASSERT_TRUE(writeIniString(path, "Setting-EN", "Item10", "Key Off"));
    // A duplicate section is never written to.
    ASSERT_TRUE(writeIniString(path, "Setting-en", "Item9", "to the first"));
    // A new section goes at the end, with no blank line before it.
    ASSERT_TRUE(writeIniString(path, "Setting-CHS", "Item1", "左键"));

    const std::string expected =
        "; written on Windows\r\n"
        "stray before any section\r\n"
        "[Setting-EN]\r\n"
        "Item1=Left Click\r\n"
        "item2=Single Key-F5\r\n"
        "Item3=\"  Mid Click  \"\r\n"
        "Item4='Forward'\r\n"
        "Item5=\"Backward'\r\n"
        "Item6=v ;not a comment\r\n"
        "#Item7=hash is no comment\r\n"
        "no equals sign here\r\n"
        "Item10=Key Off\r\n"
        "Item9=to the first\r\n"
        "\r\n"
        "[ Skins ]\r\n"
        "Path=Blue\r\n"
        "RColor=255\r\n"
        "\r\n"
        "[setting-en]\r\n"
        "Item1=from the duplicate\r\n"
        "Item9=only in the duplicate\r\n"
        "[Setting-CHS]\r\n"
        "Item1=左键\r\n";
    EXPECT_EQ(fileText(path), expected);
}

TEST(IniWrite, NewSectionAfterALastLineWithoutLineBreak)
{
    test::TempDir dir;
    const auto path = dir / "record.ini";
    writeText(path, "[Greeting]\nItemCount=0");
    ASSERT_TRUE(writeIniString(path, "Fire", "ItemCount", "2"));
    EXPECT_EQ(fileText(path), "[Greeting]\nItemCount=0\n[Fire]\nItemCount=2\n");

    // A key added to a section whose last line has no line break.
    writeText(path, "[Greeting]\nItemCount=0");
    ASSERT_TRUE(writeIniString(path, "greeting", "Item0", "A   Dn"));
    EXPECT_EQ(fileText(path), "[Greeting]\nItemCount=0\nItem0=A   Dn\n");
}

TEST(IniWrite, NewFileIsCreatedWithTheCallersSpelling)
{
    test::TempDir dir;
    const auto path = dir / "new.ini";
    ASSERT_TRUE(writeIniString(path, "Skins", "Path", "Blue"));
    ASSERT_TRUE(writeIniString(path, "Skins", "RColor", "12"));
    EXPECT_EQ(fileText(path), "[Skins]\nPath=Blue\nRColor=12\n");
}

TEST(IniWrite, RemovingASectionTakesEveryLineUnderIt)
{
    test::TempDir dir;
    const auto path = dir / "record.ini";
    writeText(path,
              "[Greeting]\r\nItemCount=1\r\nItem0=A   Dn\r\n; note\r\n\r\n"
              "[Fire]\r\nItemCount=0\r\n"
              "[GREETING]\r\nItemCount=9\r\n");
    ASSERT_TRUE(deleteIniSection(path, "greeting"));
    EXPECT_EQ(fileText(path), "[Fire]\r\nItemCount=0\r\n");
    EXPECT_EQ(iniSectionNames(path), std::vector<std::string>{"Fire"});

    // Saving a macro anew (remove, then write) moves it to the end.
    writeText(path, "[Greeting]\nItemCount=1\nItem0=A   Dn\n[Fire]\nItemCount=0\n");
    ASSERT_TRUE(deleteIniSection(path, "Greeting"));
    ASSERT_TRUE(writeIniString(path, "Greeting", "ItemCount", "0"));
    EXPECT_EQ(iniSectionNames(path), (std::vector<std::string>{"Fire", "Greeting"}));
    EXPECT_EQ(readIniString(path, "Greeting", "Item0", "gone"), "gone");

    // Removing a missing section leaves the file alone.
    const std::string before = fileText(path);
    ASSERT_TRUE(deleteIniSection(path, "Nothing"));
    EXPECT_EQ(fileText(path), before);
}

TEST(IniWrite, RemovingAKeyKeepsTheHeader)
{
    test::TempDir dir;
    const auto path = dir / "str.ini";
    writeText(path, "[Skins]\nPath=Blue\n[Other]\nk=v\n");
    ASSERT_TRUE(deleteIniKey(path, "skins", "PATH"));
    EXPECT_EQ(fileText(path), "[Skins]\n[Other]\nk=v\n");
    EXPECT_TRUE(IniFile::load(path).hasSection("Skins"));
}

std::string utf16(std::string_view ascii)
{
    std::string out;
    for (const char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

// What the program does not change stays as it was read, in the file's own
// encoding; the new line is written in UTF-16LE for a UTF-16LE file and in
// UTF-8 otherwise.
TEST(IniWrite, FilesFromWindowsKeepTheirUntouchedLines)
{
    const std::string newLine = "Item3=宏-问候\r\n";
    const std::string newLine16 = utf16("Item3=") + std::string("\x8F\x5B-\x00\xEE\x95\x19\x50", 8) + utf16("\r\n");
    struct Row {
        const char* fixture;
        std::string afterItem2; // the end of the line the new key follows, as the file holds it
        std::string inserted;
    } rows[] = {
        {"utf16le_bom.ini", utf16("-F5\r\n"), newLine16},
        {"gb18030.ini", "-F5\r\n", newLine},
        {"utf8_bom.ini", "-F5\r\n", newLine},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fixture);
        test::TempDir dir;
        const auto path = dir / "str.ini";
        std::filesystem::copy_file(fixture(row.fixture), path);
        const std::string original = fileText(path);
        ASSERT_TRUE(writeIniString(path, "Setting-CHS", "Item3", "宏-问候"));
        std::string expected = original;
        const auto at = expected.find(row.afterItem2);
        ASSERT_NE(at, std::string::npos);
        expected.insert(at + row.afterItem2.size(), row.inserted);
        EXPECT_EQ(fileText(path), expected);
        const IniFile reread = IniFile::load(path);
        EXPECT_EQ(reread.value("Setting-CHS", "Item1"), "左键");
        EXPECT_EQ(reread.value("Setting-CHS", "Item3"), "宏-问候");
        EXPECT_EQ(reread.value("Skins", "Path"), "默认");
    }
}

// A UTF-16 file with a lone surrogate and an odd last byte: both survive an
// edit elsewhere in the file, byte for byte.
TEST(IniWrite, Utf16OddBytesSurviveARewrite)
{
    const std::string original = std::string("\xFF\xFE", 2) + utf16("[S]\r\nk=") + std::string("\x00\xD8", 2) +
                                 utf16("\r\nother=1\r\n") + std::string("\x41", 1);
    IniFile file = IniFile::fromBytes(original);
    EXPECT_EQ(file.value("S", "k"), "\xEF\xBF\xBD"); // U+FFFD in the text
    ASSERT_TRUE(file.setValue("S", "other", "2"));
    EXPECT_EQ(file.toBytes(), std::string("\xFF\xFE", 2) + utf16("[S]\r\nk=") + std::string("\x00\xD8", 2) +
                                  utf16("\r\nother=2\r\n") + std::string("\x41", 1));
    ASSERT_TRUE(file.setValue("T", "new", "3"));
    const std::string bytes = file.toBytes();
    EXPECT_EQ(bytes.back(), '\x41'); // still the last byte, the UTF-16 units before it whole
    EXPECT_EQ(IniFile::fromBytes(bytes).value("T", "new"), "3");
}

// The choice of GB18030 is made per line: a stray byte in one hand-edited
// line leaves the UTF-8 lines, and every line the program writes, as UTF-8.
TEST(IniRead, OneBadLineDoesNotTurnTheOthersIntoGb18030)
{
    const std::string text = "[Setting-CHS]\nItem1=左键\nItem2=\xD7\xF3\xBC\xFC\n[Custom]\nnote=caf\xE9\n";
    IniFile file = IniFile::fromBytes(text);
    EXPECT_EQ(file.value("Setting-CHS", "Item1"), "左键");
    EXPECT_EQ(file.value("Setting-CHS", "Item2"), "左键"); // that line was GB18030
    file.setValue("Setting-CHS", "Item3", "单键-F5");
    const IniFile reread = IniFile::fromBytes(file.toBytes());
    EXPECT_EQ(reread.value("Setting-CHS", "Item1"), "左键");
    EXPECT_EQ(reread.value("Setting-CHS", "Item3"), "单键-F5");
}

// What the syntax cannot carry is refused, whoever the caller is: no new
// sections from a value, nothing written at all.
TEST(IniWrite, LineBreaksNulAndBadUtf8AreRefused)
{
    struct Row {
        const char* what;
        std::string section, key, value;
    } rows[] = {
        {"LF in a value", "S", "k", "x\n[Skins]\nPath=../../../../etc"},
        {"CR in a value", "S", "k", "x\rPath=.."},
        {"CRLF in a key", "S", "k\r\nPath", "v"},
        {"LF in a section", "S]\n[Skins", "k", "v"},
        {"NUL in a value", "S", "k", std::string("a\0b", 3)},
        {"= in a key", "S", "Path=..", "v"},
        {"invalid UTF-8", "S", "k", "\x81\x40"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        test::TempDir dir;
        const auto path = dir / "str.ini";
        writeText(path, "[Skins]\nPath=Dark\n");
        IniFile file = IniFile::load(path);
        EXPECT_FALSE(file.setValue(row.section, row.key, row.value));
        EXPECT_TRUE(file.refused());
        EXPECT_EQ(file.save(path), EINVAL);
        EXPECT_FALSE(writeIniString(path, row.section, row.key, row.value));
        EXPECT_EQ(fileText(path), "[Skins]\nPath=Dark\n");
        IniFile other;
        EXPECT_FALSE(other.replaceSection(row.section, {{row.key, row.value}}));
    }
}

TEST(IniWrite, ChineseLabelsSurviveARoundTrip)
{
    IniFile file;
    file.setValue("Setting-CHT", "Item1", "複合鍵-Right Alt+F4");
    file.setValue("Setting-CHS", "Item1", "多媒体-音量+");
    const IniFile reread = IniFile::fromBytes(file.toBytes());
    EXPECT_EQ(reread.sourceEncoding(), IniFile::Encoding::Utf8);
    EXPECT_EQ(reread.value("setting-cht", "item1"), "複合鍵-Right Alt+F4");
    EXPECT_EQ(reread.value("Setting-CHS", "Item1"), "多媒体-音量+");
}

TEST(IniWrite, LongSectionListHasNoLengthLimit)
{
    IniFile file;
    std::vector<std::string> names;
    for (int i = 0; i < 12; ++i) {
        names.push_back(std::string(40, static_cast<char>('a' + i)));
        file.setValue(names.back(), "ItemCount", "0");
    }
    EXPECT_EQ(file.sectionNames(), names);
}

} // namespace
} // namespace varcel
