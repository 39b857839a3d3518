// varcelctl macro as a user runs it: record.ini and the blocks of config.bin.
#include "device/config_store.h"
#include "support/macro_test_support.h"
#include "support/cli_run.h"

#include <gtest/gtest.h>

namespace varcel {
namespace {

using test::CliRun;

class VarcelctlMacro : public ::testing::Test {
protected:
    void SetUp() override { test::writeBytes(dir / "config.bin", std::vector<std::uint8_t>(kConfigFileSize, 0x44)); }
    CliRun run(const std::string& args) { return test::runVarcelctl(VARCELCTL_PATH, dir.path(), "macro " + args); }
    ConfigImage image() const
    {
        const auto bytes = test::readBytes(dir / "config.bin");
        ConfigImage result{};
        std::copy(bytes.begin() + 1, bytes.end(), result.begin());
        return result;
    }
    test::TempDir dir;
};

TEST_F(VarcelctlMacro, BuildsTheWorkedExampleAndKeepsItsNumberOnConfirm)
{
    ASSERT_EQ(run("new Greeting").status, 0);
    const CliRun add = run("add greeting 'A Dn' 'A Up' '2000 ms' 'B Dn' 'B Up'");
    ASSERT_EQ(add.status, 0) << add.err;
    ASSERT_EQ(run("loop Greeting 3").status, 0);
    EXPECT_EQ(test::blockOf(image(), 1),
              test::block(3, {0x05, 0x04, 0x80, 0x04, 0x14, 0x03, 0x05, 0x05, 0x80, 0x05}));
    const CliRun show = run("show GREETING");
    EXPECT_EQ(show.status, 0);
    EXPECT_NE(show.out.find("  00: 00 03 05 04 80 04 14 03 05 05 80 05 00 00 00 00"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("Item3=2000 ms"), std::string::npos) << show.out;

    ASSERT_EQ(run("new Fire").status, 0);
    ASSERT_EQ(run("add Fire 'L-Button Click'").status, 0);
    // Button 4 bound to macro 1: editing Greeting keeps it macro 1, so the
    // button still plays it and its label still tells the truth.
    const CliRun bind = test::runVarcelctl(VARCELCTL_PATH, dir.path(), "button A 4 macro 1 1");
    ASSERT_EQ(bind.status, 0) << bind.err;
    EXPECT_NE(bind.out.find("Greeting"), std::string::npos) << bind.out;
    ASSERT_EQ(run("add Greeting 'C Dn'").status, 0);
    EXPECT_EQ(test::blockOf(image(), 1),
              test::block(3, {0x05, 0x04, 0x80, 0x04, 0x14, 0x03, 0x05, 0x05, 0x85, 0x05, 0x00, 0x06}));
    EXPECT_EQ(test::blockOf(image(), 2), test::block(1, {0x05, 0xF0, 0x80, 0xF0}));
    const CliRun list = run("list");
    EXPECT_NE(list.out.find("1. Greeting"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("2. Fire"), std::string::npos) << list.out;
}

TEST_F(VarcelctlMacro, RefusalsLeaveTheFilesAlone)
{
    ASSERT_EQ(run("new Long").status, 0);
    const auto configBefore = test::readBytes(dir / "config.bin");
    const std::string iniBefore = test::readText(dir / "record.ini");

    std::string entries;
    for (int i = 0; i < 40; ++i)
        entries += i % 2 ? " 'A Up' '2000 ms'" : " 'A Dn' '2000 ms'";
    const CliRun tooLong = run("add Long" + entries);
    EXPECT_EQ(tooLong.status, 1);
    EXPECT_NE(tooLong.err.find("only 31 of its 40 key events fit"), std::string::npos) << tooLong.err;

    struct Row {
        const char* args;
        int status;
        const char* says;
    };
    const Row rows[] = {
        {"new 'a=b'", 2, "cannot contain"},
        {"new ''", 2, "Macro name is blank"},
        {"new long", 1, "Macro name already exists"},
        {"new 12345678901234567890123456789012", 2, "at most 31 characters"},
        {"add Long '20000 ms'", 2, "50 to 10000 ms"},
        {"add Long 'A Sideways'", 2, "cannot read the entry"},
        {"add Nobody 'A Dn'", 2, "no macro \"Nobody\""},
        {"loop Long 0", 2, "1 to 65535"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args);
        const CliRun result = run(row.args);
        EXPECT_EQ(result.status, row.status);
        EXPECT_NE(result.err.find(row.says), std::string::npos) << result.err;
    }
    EXPECT_EQ(test::readBytes(dir / "config.bin"), configBefore);
    EXPECT_EQ(test::readText(dir / "record.ini"), iniBefore);

    ASSERT_EQ(run("delete LONG").status, 0);
    EXPECT_EQ(test::readText(dir / "record.ini"), "");
}

} // namespace
} // namespace varcel
