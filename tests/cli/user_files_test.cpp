// What varcelctl does with the files a user can end up with: one they may not
// read, a folder or a FIFO at a file's name, a link into a synced folder.
// Whatever happens, the user's files keep what they held unless the command
// says it saved them.
#include "device/config_image.h"
#include "lang/failure_texts.h"
#include "platform/atomic_file.h"
#include "platform/data_dir.h"
#include "platform/file_transaction.h"
#include "platform/folder_lock.h"
#include "platform/ini_file.h"
#include "platform/pointer_settings.h"
#include "support/cli_run.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <future>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varcel {
namespace {

namespace fs = std::filesystem;
using test::CliRun;

constexpr uid_t kNobody = 65534;

#if defined(__has_feature)
#define VARCEL_HAS_ASAN __has_feature(address_sanitizer)
#else
#define VARCEL_HAS_ASAN 0
#endif

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
        if (r.status != 0) {
            EXPECT_NE(r.err.find(row.says), std::string::npos) << r.err;
        }
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

// Two programs saving at once take turns: nothing one of them saved is lost.
TEST_F(UserFilesTest, TwoProgramsAtOnceLoseNothing)
{
    const std::string ctl = std::string("'") + VARCELCTL_PATH + "' --data-dir '" + dir.path().string() + "' ";
    constexpr int kRounds = 12;
    const std::string script = "for i in $(seq " + std::to_string(kRounds) + "); do " + ctl +
                               "macro add Greeting 'A Dn' >/dev/null || echo fail; done & "
                               "for i in $(seq " +
                               std::to_string(kRounds) + "); do " + ctl +
                               "macro add Fire 'B Dn' >/dev/null || echo fail; done & "
                               "for n in 2 3 4 5 6 7 8 9 10 11 12; do " +
                               ctl + "button B $n single-key F$n >/dev/null || echo fail; done & wait";
    const CliRun r = run("--version >/dev/null; " + script);
    EXPECT_EQ(r.out.find("fail"), std::string::npos) << r.out << r.err;

    const IniFile record = IniFile::load(dir / "record.ini");
    const auto count = [&](const char* macro, const char* entry) {
        int n = 0;
        for (const auto& [key, value] : record.keyValues(macro))
            n += value == entry;
        return n;
    };
    EXPECT_EQ(count("Greeting", "A   Dn"), kRounds);
    EXPECT_EQ(count("Fire", "B   Dn"), kRounds);
    const auto config = test::readBytes(dir / "config.bin");
    const IniFile labels = IniFile::load(dir / "str.ini");
    // Button 1 stays "Left Click": the one left click a layer must keep.
    for (int n = 2; n <= 12; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(config[1 + 0x0C0 + static_cast<std::size_t>(n - 1)], 11); // layer B: Single Key
        EXPECT_EQ(labels.value("Setting-EN", "Item" + std::to_string(n) + "3"), "Single Key-F" + std::to_string(n));
    }
    // Both macros' blocks hold all their events: the last add of each was
    // encoded from a record.ini holding the other's adds too.
    const auto events = [&](std::size_t block) {
        int n = 0;
        for (std::size_t at = 1 + 0x180 + (block - 1) * 128 + 2; at + 1 < 1 + 0x180 + block * 128; at += 2)
            n += config[at + 1] != 0;
        return n;
    };
    EXPECT_EQ(events(1) + events(2), 2 + 1 + 2 * kRounds);
}

// The folder's lock is taken, or refused with a message, never skipped; a
// save keeps a private file private.
TEST_F(UserFilesTest, TheLockIsHeldOrRefusedAndModesStay)
{
    const int other = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(::flock(other, LOCK_EX), 0); // another program, past the wait
    const FolderLock busy(dir.path(), std::chrono::milliseconds(50));
    EXPECT_EQ(failureText(*lockFailure(busy, dir.path()), Language::English),
              dir.path().string() + ": another Varcel program is saving there; try again");
    ::close(other);
    writeText(dir / ".str.ini.varcel-save-Ab12Cd", "half");                 // perhaps another program's save
    setFolderLockCallForTests([](int, int) { return errno = ENOLCK, -1; }); // a file system without locks
    EXPECT_TRUE(FolderLock(dir.path()).held());
    setFolderLockCallForTests(nullptr);
    EXPECT_TRUE(fs::exists(dir / ".str.ini.varcel-save-Ab12Cd"));
    ::chmod((dir / "config.bin").c_str(), 0600);
    ASSERT_EQ(run("rate 500").status, 0);
    EXPECT_EQ(fs::status(dir / "config.bin").permissions(), fs::perms::owner_read | fs::perms::owner_write);
    const auto before = test::readBytes(dir / "config.bin");
    ::chmod(dir.path().c_str(), 0300); // may be written into, not listed
    const CliRun r = runAsUser("rate 250");
    ::chmod(dir.path().c_str(), 0700);
    EXPECT_NE(r.err.find("the folder cannot be locked for saving: Permission denied"), std::string::npos) << r.status;
    EXPECT_EQ(test::readBytes(dir / "config.bin"), before);
}

// Without $HOME the files are in the home the password database names, never
// in the current folder, where another user could have prepared them.
TEST_F(UserFilesTest, WithoutHomeTheFilesAreNeverInTheCurrentFolder)
{
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "/";
    ::unsetenv("HOME");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(kdeGlobalsPath(), fs::path(::getpwuid(::geteuid())->pw_dir) / ".config" / "kdeglobals");
    EXPECT_EQ(configHome(), kdeGlobalsPath().parent_path());
    ::setenv("HOME", home.c_str(), 1);
}

// Temporary files that killed saves left behind go at the next start: ours
// only, by name and kind; a user's backup beside them stays.
TEST_F(UserFilesTest, LeftoversOfKilledSavesGoAtTheNextStart)
{
    const fs::path synced = dir / "synced";
    fs::create_directory(synced);
    fs::rename(dir / "str.ini", synced / "str.ini");
    fs::create_symlink(synced / "str.ini", dir / "str.ini");
    const std::vector<fs::path> ours = {dir / ".config.bin.varcel-save-a1B2c3", dir / ".record.ini.varcel-save-ZZZZZZ",
                                        synced / ".str.ini.varcel-save-000000"};
    const std::vector<fs::path> theirs = {dir / "config.bin.backup", dir / "str.ini.XYZ123",
                                          dir / ".config.bin.varcel-save-short", dir / "notes.varcel-save-abcdef"};
    for (const auto& path : ours)
        writeText(path, "half");
    for (const auto& path : theirs)
        writeText(path, "mine");
    fs::create_directory(dir / ".record.ini.varcel-save-folder"); // not a file: not ours
    fs::create_symlink(dir / "config.bin", dir / ".config.bin.varcel-save-link00");

    const CliRun r = run("show");
    ASSERT_EQ(r.status, 0) << r.err;
    for (const auto& path : ours)
        EXPECT_FALSE(fs::exists(path)) << path;
    for (const auto& path : theirs)
        EXPECT_EQ(text(path), "mine") << path;
    EXPECT_TRUE(fs::is_directory(dir / ".record.ini.varcel-save-folder"));
    EXPECT_TRUE(fs::is_symlink(dir / ".config.bin.varcel-save-link00"));
}

// Only files are replaced: a FIFO or a folder at a target's name fails the
// save, even one that appears after the journal; nothing of a failed save
// stays. A journal that is not ours moves nothing, and the mouse's memory
// file is never waited on as a FIFO.
TEST_F(UserFilesTest, SavesRefuseHostileTargetsAndJournals)
{
    const struct Row {
        int step; // of the save, after which "b" is spoiled: -1 before it
        bool fifo;
        int error;
    } rows[] = {{-1, true, EINVAL}, {-1, false, EISDIR}, {2, false, EISDIR}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.step) + (row.fifo ? " FIFO" : " folder"));
        test::TempDir folder;
        writeText(folder / "a", "old");
        writeText(folder / "b", "old");
        const auto spoil = [&] {
            fs::remove(folder / "b");
            row.fifo ? ::mkfifo((folder / "b").c_str(), 0644) : ::mkdir((folder / "b").c_str(), 0755);
        };
        if (row.step < 0)
            spoil();
        const FolderLock lock(folder.path());
        FileTransaction save(folder.path());
        save.add(folder / "a", {'n'});
        save.add(folder / "b", {'n'});
        std::string failed;
        const int error = save.commit(&failed, [&](int step) {
            if (step == row.step)
                spoil();
            return true;
        });
        EXPECT_EQ(error, row.error);
        EXPECT_EQ(failed, (folder / "b").string());
        EXPECT_EQ(fs::is_fifo(folder / "b"), row.fifo);
        EXPECT_EQ(text(folder / "a"), row.step < 0 ? "old" : "n");
        for (const auto& entry : fs::directory_iterator(folder.path()))
            EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
    }

    writeText(dir / "notes", "mine");
    writeText(dir / kSaveJournalName,
              "varcel save journal 1\n" + (dir / "notes").string() + '\0' + (dir / "config.bin").string() + '\0');
    { const FolderLock next(dir.path()); }
    EXPECT_EQ(text(dir / "notes"), "mine");
    EXPECT_EQ(test::readBytes(dir / "config.bin"), m_config);

    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
    auto overwrite = std::async(std::launch::async, [&] { return overwriteInPlace(dir / "fifo", "x", 1, {}); });
    const bool prompt = overwrite.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    if (!prompt) // a reader lets the write go on
        ::close(::open((dir / "fifo").c_str(), O_RDONLY | O_NONBLOCK));
    EXPECT_TRUE(prompt);
    EXPECT_EQ(overwrite.get(), ENOTSUP);
}

// varcelctl killed at random moments of its saves: once the next program
// has taken the folder's lock, the folder holds every old file or every new
// one, never a mix, and no temporary file is left behind.
TEST_F(UserFilesTest, KilledSavesLeaveTheOldFilesOrTheNew)
{
    // An import changes all three files; the others two each.
    const std::string profile = (dir / "other.json").string();
    ASSERT_EQ(run("macro new Other").status, 0);
    ASSERT_EQ(run("button A 5 single-key F11").status, 0);
    ASSERT_EQ(run("export '" + profile + "'").status, 0);
    ASSERT_EQ(run("macro delete Other").status, 0);
    const char* commands[] = {"button A 3 single-key F%d", "macro add Fire '%c Dn'", "import '%s'",
                              "button B 2 single-key F%d"};
    const std::vector<const char*> files = {"config.bin", "record.ini", "str.ini"};
    std::srand(7);
    int killedMidway = 0;
    constexpr int kRuns = 200;
    for (int i = 0; i < kRuns; ++i) {
        char command[512];
        if (i % 4 == 2)
            std::snprintf(command, sizeof command, commands[2], profile.c_str());
        else
            std::snprintf(command, sizeof command, commands[i % 4], i % 4 == 1 ? 'A' + i % 26 : 1 + i % 12);
        // What the command makes of the files when it runs to its end.
        test::TempDir reference;
        for (const char* file : files)
            fs::copy_file(dir / file, reference / file);
        const CliRun full = test::runVarcelctl(VARCELCTL_PATH, reference.path(), command);
        if (full.status != 0) { // a macro grown past its block: start it again
            run("macro delete Fire");
            run("macro new Fire");
            continue;
        }
        std::vector<std::string> before, after;
        for (const char* file : files) {
            before.push_back(text(dir / file));
            after.push_back(text(reference / file));
        }
        if (before == after)
            continue;
        const int delayMicroseconds = std::rand() % 12000;
        const CliRun killed =
            run(std::string("--version >/dev/null; '") + VARCELCTL_PATH + "' --data-dir '" + dir.path().string() +
                "' " + command + " >/dev/null & sleep 0." + std::to_string(1000000 + delayMicroseconds).substr(1) +
                "; kill -9 $! 2>/dev/null;"
                " wait");
        (void)killed;
        {
            FolderLock next(dir.path());
        }
        std::vector<std::string> now;
        for (const char* file : files)
            now.push_back(text(dir / file));
        SCOPED_TRACE(command);
        EXPECT_TRUE(now == before || now == after);
        killedMidway += now == after ? 0 : 1;
        for (const auto& entry : fs::directory_iterator(dir.path()))
            EXPECT_FALSE(entry.path().filename().string().rfind(".", 0) == 0) << entry.path();
    }
    // Kills landed before and after the save.
    EXPECT_GT(killedMidway, 0);
}

TEST_F(UserFilesTest, TextThatIsNotUtf8IsRefused)
{
    for (const char* command : {"button A 4 single-key \"$(printf '\\201\\100')\"",
                                "macro add Fire \"$(printf '\\201\\100') Dn\"", "macro new \"$(printf 'M\\377')\""}) {
        SCOPED_TRACE(command);
        const CliRun r = run(command);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_EQ(text(dir / "str.ini"), kStrIni);
        EXPECT_EQ(text(dir / "record.ini"), kRecordIni);
        EXPECT_EQ(test::readBytes(dir / "config.bin"), m_config);
    }

    // A stray byte (or ESC) in a label no command touches keeps its bytes and
    // blocks no save; `labels` shows such bytes escaped.
    const std::string hand = "[Setting-CHS]\r\nItem1=\xD7\xF3\xBC\xFC\r\nItem7=\xFF\xFE\r\nItem8=\x1B[2J\a\r\n";
    writeText(dir / "str.ini", hand);
    for (const char* command : {"button A 4 single-key F6", "--simulate apply"}) {
        const CliRun r = test::runVarcelctl(VARCELCTL_PATH, dir.path(), command, "zh_CN.UTF-8");
        EXPECT_EQ(r.status, 0) << command << ": " << r.err;
    }
    const std::string saved = text(dir / "str.ini");
    EXPECT_EQ(saved.rfind(hand.substr(0, hand.size() - 2), 0), 0u) << saved;
    EXPECT_NE(saved.find("Item4=\u5355\u952E-F6"), std::string::npos) << saved;
    const CliRun labels = test::runVarcelctl(VARCELCTL_PATH, dir.path(), "labels", "zh_CN.UTF-8");
    EXPECT_NE(labels.out.find("Item7     \\xFF\\xFE\n"), std::string::npos) << labels.out;
    EXPECT_NE(labels.out.find("\\x1B[2J\\x07"), std::string::npos) << labels.out;
}

// A hand-edited record.ini costs what its size says: a count of two billion
// with one far item, and a macro of 100,000 items, list and take additions.
TEST_F(UserFilesTest, HandEditedRecordIniCostsWhatItsSizeSays)
{
    std::string big =
        "[Huge]\nItemCount=2147483647\nItem999999999=A   Dn\nItem49999999=B   Dn\n[Long]\nItemCount=100000\n";
    for (int i = 0; i < 100000; ++i)
        big += "Item" + std::to_string(i) + "=" + (i % 2 ? "50 ms" : "A   Dn") + "\n";
    big += "[Small]\nItemCount=1\nItem0=C   Dn\n";
    writeText(dir / "record.ini", big);
    const CliRun list = run("macro list");
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.out.find("1. Huge: 0 entries"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("2. Long: 4097 entries"), std::string::npos) << list.out;
    // The long macro cannot be confirmed (its block holds 63 events); the
    // file keeps it whole; the other macros still take additions.
    EXPECT_NE(run("macro confirm Long").status, 0);
    const CliRun add = run("macro add Small 'D Dn'");
    ASSERT_EQ(add.status, 0) << add.err;
    const IniFile after = IniFile::load(dir / "record.ini");
    EXPECT_EQ(after.keyValues("Long").size(), 100001u);
    EXPECT_EQ(after.value("Huge", "Item999999999"), "A   Dn");
    EXPECT_EQ(after.value("Small", "Item2"), "D   Dn");

#if !defined(__SANITIZE_ADDRESS__) && !VARCEL_HAS_ASAN // its shadow memory needs more address space
    // 30 MB of short lines are listed within 200 MB of address space (it took
    // 14 times the file's size).
    std::string many;
    for (int macro = 0; many.size() < (30u << 20); ++macro) {
        many += "[M" + std::to_string(macro) + "]\nItemCount=1000\n";
        for (int i = 0; i < 1000; ++i)
            many += "Item" + std::to_string(i) + "=" + (i % 2 ? "5 ms" : "A   Dn") + "\n";
    }
    writeText(dir / "record.ini", many);
    const CliRun large = test::runVarcelctl(VARCELCTL_PATH, dir.path(), "macro list", "C", "ulimit -v 200000 && ");
    EXPECT_EQ(large.status, 0) << large.err;
    EXPECT_NE(large.out.find(". M500: 1000 entries"), std::string::npos);
#endif
}

// A macro command changes record.ini and config.bin together or not at all:
// when config.bin cannot be saved, record.ini goes back to what it was.
TEST_F(UserFilesTest, MacroCommandsSaveBothFilesOrNeither)
{
    // config.bin behind a link into a folder the user may not write in.
    test::TempDir locked;
    fs::rename(dir / "config.bin", locked / "config.bin");
    fs::create_symlink(locked / "config.bin", dir / "config.bin");
    ::chmod(locked.path().c_str(), 0555);
    for (const char* command : {"macro add Fire 'A Dn'", "macro new Third", "macro confirm Greeting"}) {
        SCOPED_TRACE(command);
        const CliRun r = runAsUser(command);
        EXPECT_NE(r.status, 0) << r.out;
        EXPECT_NE(r.err.find("config.bin could not be saved: Permission denied"), std::string::npos) << r.err;
        EXPECT_EQ(text(dir / "record.ini"), kRecordIni);
        EXPECT_EQ(test::readBytes(locked / "config.bin"), m_config);
    }
    ::chmod(locked.path().c_str(), 0755);
}

} // namespace
} // namespace varcel
