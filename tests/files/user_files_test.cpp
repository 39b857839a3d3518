// What varcelctl does with the files a user can end up with: one they may not
// read, a folder or a FIFO at a file's name, a link into a synced folder.
// Whatever happens, the user's files keep what they held unless the command
// says it saved them.
#include "device/config_image.h"
#include "platform/folder_lock.h"
#include "platform/ini_file.h"
#include "support/cli_run.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace varcel {
namespace {

namespace fs = std::filesystem;
using test::CliRun;

constexpr uid_t kNobody = 65534;

const std::string kRecordIni = "[Greeting]\nItemCount=3\nItem0=H   Dn\nItem1=50 ms\nItem2=H   Up\n"
                               "[Fire]\nItemCount=1\nItem0=L-Button   Dn\n";
const std::string kStrIni = "[Setting-EN]\nItem1=Left Click\nItem2=Right Click\n[Skins]\nPath=Light\nRColor=1\n"
                            "[Custom]\nmine=kept\n";

std::string text(const fs::path& path)
{
    const auto bytes = test::readBytes(path);
    return {bytes.begin(), bytes.end()};
}

void writeText(const fs::path& path, const std::string& content)
{
    test::writeBytes(path, std::vector<std::uint8_t>(content.begin(), content.end()));
}

class UserFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_config.assign(1 + kImageSize, 0);
        m_config[0] = 1;
        m_config[1 + 0x7A5] = 6;
        test::writeBytes(dir / "config.bin", m_config);
        writeText(dir / "record.ini", kRecordIni);
        writeText(dir / "str.ini", kStrIni);
    }

    // As a user without root's right to read every file: root runs the
    // command as "nobody", in a data folder that nobody owns.
    CliRun runAsUser(const std::string& args)
    {
        std::string prefix;
        if (::geteuid() == 0) {
            for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
                ::lchown(entry.path().c_str(), kNobody, kNobody);
            ::chown(dir.path().c_str(), kNobody, kNobody);
            prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups -- ";
        }
        return test::runVarcelctl(VARCELCTL_PATH, dir.path(), args, "C", prefix);
    }

    CliRun run(const std::string& args) { return test::runVarcelctl(VARCELCTL_PATH, dir.path(), args); }

    std::vector<std::uint8_t> m_config;
    test::TempDir dir;
};

// A file that is there but may not be read is never taken as empty and saved
// over: the command stops, names the file and the reason, and changes nothing.
TEST_F(UserFilesTest, UnreadableFilesAreNeverWritten)
{
    struct Row {
        const char* file;
        const char* command;
    } rows[] = {
        {"record.ini", "macro new M1"},
        {"record.ini", "macro add Fire \"A Dn\""},
        {"record.ini", "macro delete Fire"},
        {"record.ini", "macro list"},
        {"str.ini", "button A 3 single-key F5"},
        {"str.ini", "macro confirm Fire"},
        {"str.ini", "labels"},
        {"config.bin", "button A 3 single-key F5"},
        {"config.bin", "macro add Fire \"A Dn\""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.file) + ": " + row.command);
        SetUp();
        ::chmod((dir / row.file).c_str(), 0);
        const CliRun r = runAsUser(row.command);
        EXPECT_NE(r.status, 0) << r.out;
        EXPECT_NE(r.err.find(row.file), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("Permission denied"), std::string::npos) << r.err;
        ::chmod((dir / row.file).c_str(), 0644);
        EXPECT_EQ(text(dir / "record.ini"), kRecordIni);
        EXPECT_EQ(text(dir / "str.ini"), kStrIni);
        EXPECT_EQ(test::readBytes(dir / "config.bin"), m_config);
    }
}

// A folder or a FIFO where a file should be: never read as a file (a FIFO
// would hang the command), never replaced; the command ends with a message or
// as for a missing file.
TEST_F(UserFilesTest, FoldersAndFifosAreNotFiles)
{
    struct Row {
        const char* file;
        bool fifo;
        const char* command;
        bool mayFail;
        const char* says; // in the message when it fails
    } rows[] = {
        {"str.ini", false, "labels", true, "str.ini: is a folder"},
        {"str.ini", true, "labels", true, "str.ini: is a FIFO"},
        {"str.ini", false, "button A 3 single-key F5", true, "str.ini"},
        {"str.ini", true, "button A 3 single-key F5", true, "str.ini"},
        {"record.ini", false, "macro list", true, "record.ini"},
        {"record.ini", true, "macro new M1", true, "record.ini"},
        {"simulated-mouse.bin", true, "--simulate status", false, ""},
        {"simulated-mouse.bin", false, "--simulate device", false, ""},
        {"config.bin", true, "show", true, "Config file is not exist."}, // as for a missing one
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.file) + (row.fifo ? " FIFO: " : " folder: ") + row.command);
        SetUp();
        const fs::path at = dir / row.file;
        fs::remove(at);
        if (row.fifo)
            ASSERT_EQ(::mkfifo(at.c_str(), 0644), 0);
        else
            fs::create_directory(at);
        // `timeout` ends a command that hangs on the FIFO; 124 would say so.
        const CliRun r = test::runVarcelctl(VARCELCTL_PATH, dir.path(), row.command, "C", "timeout 10 ");
        EXPECT_NE(r.status, 124) << "hung";
        EXPECT_TRUE(r.status == 0 || (row.mayFail && r.status == 1)) << r.status << r.err;
        EXPECT_EQ(r.err.find("basic_filebuf"), std::string::npos) << r.err;
        if (r.status != 0)
            EXPECT_NE(r.err.find(row.says), std::string::npos) << r.err;
        EXPECT_EQ(fs::is_fifo(at), row.fifo);
        EXPECT_EQ(fs::is_directory(at), !row.fifo);
        fs::remove(at);
    }
}

// Users keep these files in synced folders behind links: a save replaces the
// file the link names, in that folder, and the link stays a link.
TEST_F(UserFilesTest, LinksStayLinksAndTheirTargetsAreSaved)
{
    const fs::path synced = dir / "synced";
    fs::create_directory(synced);
    for (const char* name : {"config.bin", "record.ini", "str.ini"}) {
        fs::rename(dir / name, synced / name);
        fs::create_symlink(fs::path("synced") / name, dir / name);
    }
    const CliRun button = run("button A 3 single-key F5");
    ASSERT_EQ(button.status, 0) << button.err;
    const CliRun macro = run("macro new Added");
    ASSERT_EQ(macro.status, 0) << macro.err;

    for (const char* name : {"config.bin", "record.ini", "str.ini"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(fs::is_symlink(dir / name));
        EXPECT_EQ(fs::read_symlink(dir / name), fs::path("synced") / name);
    }
    EXPECT_EQ(test::readBytes(synced / "config.bin")[1 + 0x002], 11); // Single Key in slot 2 of layer A
    EXPECT_EQ(IniFile::load(synced / "str.ini").value("Setting-EN", "Item3"), "Single Key-F5");
    EXPECT_EQ(IniFile::load(synced / "str.ini").value("Custom", "mine"), "kept");
    EXPECT_EQ(IniFile::load(synced / "record.ini").sectionNames(),
              (std::vector<std::string>{"Greeting", "Fire", "Added"}));
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(synced))
        ++files;
    EXPECT_EQ(files, 3u); // no temporary file left in either folder
}

} // namespace
} // namespace varcel
