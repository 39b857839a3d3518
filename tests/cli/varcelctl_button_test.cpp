// varcelctl button and labels, run as a user runs them, against the
// simulated mouse. Expected bytes come from the rules of the design, not from
// the program.
#include "device/config_image.h"
#include "platform/ini_file.h"
#include "support/cli_run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace varcel {
namespace {

using test::CliRun;

class VarcelctlButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // config.bin: first-run flag 0 and an all-zero image, as if never applied.
        std::vector<std::uint8_t> bytes(1 + kImageSize, 0);
        test::writeBytes(dir / "config.bin", bytes);
    }

    CliRun run(const std::string& args, const std::string& lang = "C")
    {
        return test::runVarcelctl(VARCELCTL_PATH, dir.path(), args, lang);
    }

    std::vector<std::uint8_t> config() { return test::readBytes(dir / "config.bin"); }
    IniFile strIni() { return IniFile::load(dir / "str.ini"); }

    test::TempDir dir;
};

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST_F(VarcelctlButtonTest, OverviewRequestEndToEnd)
{
    const CliRun r = run("--simulate --trace button A 3 single-key F5 --apply");
    ASSERT_EQ(r.status, 0) << r.err << r.out;

    // Key matrix 1 goes with command 0x12, matrix number 1, length 64, then
    // two data reports; slot 2 is bytes 8 to 11 of the first.
    const auto lines = linesOf(r.out);
    std::size_t command = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].rfind("> CMD 12 01 40 ", 0) == 0)
            command = i;
    ASSERT_LT(command + 2, lines.size()) << r.out;
    const std::string first = lines[command + 1];
    ASSERT_EQ(first.rfind("> DATA ", 0), 0u) << first;
    EXPECT_EQ(first.substr(7 + 8 * 3, 11), "00 00 3E 00") << first;
    EXPECT_EQ(lines[command + 2].rfind("> DATA ", 0), 0u);
    EXPECT_NE(r.out.find("Single Key-F5"), std::string::npos);

    const auto bytes = config();
    ASSERT_EQ(bytes.size(), 1 + kImageSize);
    EXPECT_EQ(bytes[0], 1);             // saved: first-run flag 1
    EXPECT_EQ(bytes[1 + 0x002], 11);    // layer A kind array, slot 2
    EXPECT_EQ(bytes[1 + 0x07A], 0x3E);  // layer A single-key array, slot 2
    EXPECT_EQ(bytes[1 + 0x7A8], 0);     // the shown layer is not the command's business

    const IniFile ini = strIni();
    EXPECT_EQ(ini.value("Setting-EN", "Item3"), "Single Key-F5");
    // First run: the other labels got their defaults.
    EXPECT_EQ(ini.value("Setting-EN", "Item1"), "Left Click");
    EXPECT_EQ(ini.value("Setting-EN", "Item13"), "Left Click");
    EXPECT_EQ(ini.value("Setting-EN", "Item33"), "Mid Click");

    const CliRun labels = run("labels");
    ASSERT_EQ(labels.status, 0) << labels.err;
    EXPECT_NE(labels.out.find("Item3     Single Key-F5"), std::string::npos) << labels.out;
}

TEST_F(VarcelctlButtonTest, WithoutApplyNothingGoesToTheMouse)
{
    const CliRun r = run("--trace button B 2 multimedia Vol+");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find("> CMD"), std::string::npos);
    const auto bytes = config();
    EXPECT_EQ(bytes[1 + 0x0C0 + 1], 9);           // layer B kind, slot 1
    EXPECT_EQ(bytes[1 + 0x0C0 + 0x18 + 1], 0xE9); // layer B media code, slot 1
    EXPECT_EQ(bytes[1 + 0x000 + 1], 0);           // layer A untouched
    EXPECT_EQ(strIni().value("Setting-EN", "Item23"), "Multimedia-Vol+");
}

TEST_F(VarcelctlButtonTest, LabelsInTheLanguageOfTheLocale)
{
    ASSERT_EQ(run("button A 4 fire-key R-CTRL 20 0", "zh_CN.UTF-8").status, 0);
    ASSERT_EQ(run("button A 4 combo \"Right Alt\" Foo F4", "zh_TW.UTF-8").status, 0);
    ASSERT_EQ(run("button A 5 dpi-switch loop", "zh_HK.UTF-8").status, 0);
    const IniFile ini = strIni();
    EXPECT_EQ(ini.value("Setting-CHS", "Item4"), "火力键-R-CTRL");
    EXPECT_EQ(ini.value("Setting-CHT", "Item4"), "複合鍵-Right Alt+F4");
    EXPECT_EQ(ini.value("Setting-EN", "Item5"), "DPI Loop");
    const auto bytes = config();
    EXPECT_EQ(bytes[1 + 0x003], 12);
    EXPECT_EQ(bytes[1 + 0x084 + 3], 0x40);
    EXPECT_EQ(bytes[1 + 0x090 + 3], 0);
    EXPECT_EQ(bytes[1 + 0x09C + 3], 0x3D);
    EXPECT_EQ(bytes[1 + 0x054 + 3], 0xE4); // the fire-key bytes stay from the first command
    EXPECT_EQ(bytes[1 + 0x060 + 3], 20);
    EXPECT_EQ(bytes[1 + 0x004], 6);
    EXPECT_EQ(bytes[1 + 0x7A9 + 4], 3);
}

TEST_F(VarcelctlButtonTest, RefusalsSaveNothing)
{
    // Slot 0 the last left click of layer A.
    std::vector<std::uint8_t> bytes(1 + kImageSize, 0);
    bytes[0] = 1;
    for (std::size_t slot = 1; slot < 12; ++slot)
        bytes[1 + slot] = 15;
    bytes[1 + 6] = 14; // button 7 is Shift
    test::writeBytes(dir / "config.bin", bytes);

    CliRun r = run("button A 1 key-off");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("Warning: Left key must be selected!"), std::string::npos) << r.err;
    r = run("button A 2 shift");
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(config(), bytes);
    EXPECT_FALSE(std::filesystem::exists(dir / "str.ini"));

    // Wrong arguments are told apart from refusals.
    EXPECT_EQ(run("button C 1 key-off").status, 2);
    EXPECT_EQ(run("button A 13 key-off").status, 2);
    EXPECT_EQ(run("button A 2 fire-key A 3").status, 2);
    EXPECT_EQ(run("button A 2 multimedia Louder").status, 2);
    EXPECT_EQ(config(), bytes);
}

TEST_F(VarcelctlButtonTest, NamesThatWouldBreakStrIniAreRefused)
{
    // A line break in a label would split its line in str.ini and lose the
    // labels after it; a name longer than 31 characters no key has.
    const struct {
        const char* args;
        const char* shown;
    } rows[] = {
        {"button A 3 single-key \"$(printf 'F5\\nItem2=x')\"", "F5\\nItem2=x"},
        {"button A 3 single-key \"$(printf 'F\\t5')\"", "F\\t5"},
        {"button A 3 combo \"$(printf 'Left Ctrl\\r')\" C", "Left Ctrl\\r"},
        {"button A 3 combo 'Left Ctrl' C \"$(printf '\\001')\"", "\\x01"},
        {"button A 3 single-key ABCDEFGHIJKLMNOPQRSTUVWXYZ012345", "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args);
        const CliRun r = run(row.args);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_NE(r.err.find(row.shown), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("31 characters"), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "str.ini"));
    }
    // 31 characters are fine (the key is unknown, so its code is 0).
    const CliRun r = run("button A 3 single-key ABCDEFGHIJKLMNOPQRSTUVWXYZ01234");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(strIni().value("Setting-EN", "Item3"), "Single Key-ABCDEFGHIJKLMNOPQRSTUVWXYZ01234");
}

} // namespace
} // namespace varcel
