#include "buttons/labels_file.h"

#include "platform/ini_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace varcel {
namespace {

std::string fileText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

ButtonLabels sampleLabels(const std::string& tag)
{
    ButtonLabels labels;
    for (std::size_t i = 0; i < labels.size(); ++i)
        labels[i] = tag + std::to_string(i);
    return labels;
}

TEST(LabelKeys, LayerBUsesTheThreeSuffix)
{
    EXPECT_EQ(labelKey(0), "Item1");
    EXPECT_EQ(labelKey(11), "Item12");
    EXPECT_EQ(labelKey(12), "Item13"); // layer B slot 0, not a thirteenth slot of layer A
    EXPECT_EQ(labelKey(13), "Item23");
    EXPECT_EQ(labelKey(23), "Item123");
    EXPECT_EQ(labelIndex(Layer::B, 0), 12u);
    EXPECT_EQ(labelKey(labelIndex(Layer::B, 9)), "Item103");
}

TEST(LabelsFile, WrittenInKeyOrderUnderTheLanguageSection)
{
    test::TempDir dir;
    const auto path = dir / "str.ini";
    ButtonLabels labels{};
    labels[0] = "Left Click";
    labels[12] = "Shift";
    ASSERT_TRUE(writeLabels(path, Language::English, labels));
    std::string expected = "[Setting-EN]\nItem1=Left Click\n";
    for (int i = 2; i <= 12; ++i)
        expected += "Item" + std::to_string(i) + "=\n";
    expected += "Item13=Shift\n";
    for (int i = 2; i <= 12; ++i)
        expected += "Item" + std::to_string(i) + "3=\n";
    EXPECT_EQ(fileText(path), expected);
}

TEST(LabelsFile, RoundTripInAllThreeLanguagesSharingOneFile)
{
    test::TempDir dir;
    const auto path = dir / "str.ini";
    ButtonLabels chs = sampleLabels("左键");
    chs[2] = "单键-F5";
    chs[12] = "组合键-Right Alt+F4";
    ButtonLabels cht = sampleLabels("左鍵");
    cht[23] = "瀏覽器-我的最愛";
    ButtonLabels en = sampleLabels("Left Click ");
    en[5] = "  padded  "; // written in quotes, which the reader strips with nothing else

    ASSERT_TRUE(updateIniFile(path, [](IniFile& file) {
        setSkinSettings(file, skinSettingsOf("默认皮肤", {255, 128, 0}));
        return true;
    }));
    ASSERT_TRUE(writeLabels(path, Language::SimplifiedChinese, chs));
    ASSERT_TRUE(writeLabels(path, Language::TraditionalChinese, cht));
    ASSERT_TRUE(writeLabels(path, Language::English, en));

    struct Row { Language language; const ButtonLabels* labels; } rows[] = {
        {Language::SimplifiedChinese, &chs}, {Language::TraditionalChinese, &cht}, {Language::English, &en}};
    for (const Row& row : rows) {
        ButtonLabels read{};
        SkinSettings skin;
        readLabels(path, row.language, read, skin);
        EXPECT_EQ(read, *row.labels);
        EXPECT_EQ(skin.path, "默认皮肤");
        EXPECT_EQ(textColourOf(skin), (TextColour{255, 128, 0}));
    }
    EXPECT_EQ(IniFile::load(path).sectionNames(),
              (std::vector<std::string>{"Skins", "Setting-CHS", "Setting-CHT", "Setting-EN"}));
}

TEST(LabelsFile, MissingFileGivesEmptyLabelsAndBlack)
{
    test::TempDir dir;
    ButtonLabels labels = sampleLabels("x");
    SkinSettings skin{"p", "1", "2", "3"};
    readLabels(dir / "str.ini", Language::English, labels, skin);
    EXPECT_EQ(labels, ButtonLabels{});
    EXPECT_EQ(skin.path, "");
    EXPECT_EQ(textColourOf(skin), (TextColour{0, 0, 0}));
    EXPECT_FALSE(std::filesystem::exists(dir / "str.ini"));
}

// str.ini made by a command in an English locale: the Chinese window translates.
TEST(LabelsFile, AMissingLanguageSectionTakesAnotherLanguagesLabels)
{
    test::TempDir dir;
    std::ofstream(dir / "str.ini") << "[Setting-EN]\nItem1=Left Click\nItem2=Single Key-F5\nItem3=My Mouse\n"
                                      "Item4=Multimedia-Mute\nItem5=Mail\nItem13=DPI Loop\n";
    ButtonLabels read{};
    SkinSettings skin;
    ASSERT_TRUE(readLabels(dir / "str.ini", Language::TraditionalChinese, read, skin));
    const ButtonLabels expected{"左鍵", "單鍵-F5", "My Mouse", "多媒體-靜音", "郵件", "", "", "", "", "", "", "",
                                "DPI Loop"};
    EXPECT_EQ(read, expected);
}

TEST(LabelsFile, ColourTextReadsAsTheStandardConversion)
{
    struct Row { const char* text; std::uint8_t value; } rows[] = {
        {"", 0}, {"abc", 0}, {"12", 12}, {" 7x", 7}, {"255", 255}, {"256", 0}, {"300", 44}, {"-1", 255}};
    for (const Row& row : rows)
        EXPECT_EQ(textColourOf({"", row.text, "0", "0"}).r, row.value) << '"' << row.text << '"';
}

TEST(LabelsFile, LongValuesAreCutAtTheReaderBuffer)
{
    test::TempDir dir;
    const auto path = dir / "str.ini";
    const std::string longChinese = [] {
        std::string s;
        for (int i = 0; i < 1100; ++i)
            s += "键";
        return s;
    }();
    ASSERT_TRUE(writeIniString(path, "Setting-CHS", "Item1", longChinese));
    ButtonLabels labels{};
    SkinSettings skin;
    readLabels(path, Language::SimplifiedChinese, labels, skin);
    EXPECT_EQ(labels[0], longChinese.substr(0, 1023 * 3));
}

TEST(LabelsFile, FileFromWindowsKeepsItsOtherSections)
{
    const char* root = std::getenv("VARCEL_TEST_FIXTURES");
    const auto fixture = std::filesystem::path(root ? root : VARCEL_TEST_FIXTURES_DIR) / "ini" / "utf16le_bom.ini";
    test::TempDir dir;
    const auto path = dir / "str.ini";
    std::filesystem::copy_file(fixture, path);

    ButtonLabels labels{};
    SkinSettings skin;
    readLabels(path, Language::TraditionalChinese, labels, skin);
    EXPECT_EQ(labels[0], "左鍵");
    EXPECT_EQ(skin.path, "默认");

    labels[1] = "右鍵";
    ASSERT_TRUE(writeLabels(path, Language::TraditionalChinese, labels));
    ButtonLabels chs{};
    readLabels(path, Language::SimplifiedChinese, chs, skin);
    EXPECT_EQ(chs[0], "左键");
    EXPECT_EQ(chs[1], "单键-F5");
    ButtonLabels cht{};
    readLabels(path, Language::TraditionalChinese, cht, skin);
    EXPECT_EQ(cht, labels);
}

} // namespace
} // namespace varcel
