// Profiles: export then import gives the same files back; a bad profile is
// refused with the JSON path of what is wrong and leaves the data folder as
// it was; a profile carries a configuration from one data folder to another.
#include "control/focus_rules.h"
#include "control/profile.h"
#include "control/profile_library.h"
#include "control/workspace.h"
#include "platform/folder_lock.h"
#include "platform/reporter.h"
#include "device/config_store.h"
#include "support/cli_run.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <sys/stat.h>
#include <functional>
#include <map>
#include <random>

namespace varcel {
namespace {

using json = nlohmann::ordered_json;
using test::CliRun;

// An image of random bytes, but for the function kinds, which a profile
// names by the function list (rows 0 to 15).
Profile randomProfile(std::mt19937& rng)
{
    std::uniform_int_distribution<int> byte(0, 255);
    Profile p;
    p.firstRunFlag = static_cast<std::uint8_t>(byte(rng));
    for (auto& b : p.image)
        b = static_cast<std::uint8_t>(byte(rng));
    for (Layer layer : {Layer::A, Layer::B})
        for (std::size_t slot = 0; slot < kButtonSlots; ++slot)
            p.image[img::at(layer, img::LayerArray::Kind, slot)] = static_cast<std::uint8_t>(byte(rng) % 16);
    const char* words[] = {"Left Click", "单键-F5", "巨集-跑", "DPI Loop", "", "a=b;c", " spaced "};
    for (auto& labels : p.labels)
        for (auto& label : labels)
            label = words[byte(rng) % 7];
    const int macros = byte(rng) % 13;
    for (int m = 0; m < macros; ++m)
        p.macros.push_back({"Macro " + std::to_string(m), {"A   Dn", "50 ms", "A   Up", "Right Shift   Dn"}});
    return p;
}

std::map<std::string, std::vector<std::uint8_t>> folderContents(const std::filesystem::path& dir)
{
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        files[entry.path().filename().string()] =
            entry.is_regular_file() ? test::readBytes(entry.path()) : std::vector<std::uint8_t>{'/'};
    return files;
}

TEST(Profile, RoundTripKeepsEveryByteLabelAndMacro)
{
    std::mt19937 rng(13);
    for (int round = 0; round < 200; ++round) {
        const Profile original = randomProfile(rng);
        std::vector<ProfileProblem> problems;
        const Profile back = profileFromText(profileToJson(original).dump(2), problems);
        ASSERT_TRUE(problems.empty()) << "round " << round << ": " << problems.front().path << " "
                                      << profileProblemText(problems.front(), Language::English);
        ASSERT_EQ(back.image, original.image) << "round " << round;
        ASSERT_EQ(back.firstRunFlag, original.firstRunFlag);
        ASSERT_EQ(back.labels, original.labels);
        ASSERT_EQ(back.macros.size(), original.macros.size());
        for (std::size_t i = 0; i < back.macros.size(); ++i) {
            EXPECT_EQ(back.macros[i].name, original.macros[i].name);
            EXPECT_EQ(back.macros[i].entries, original.macros[i].entries);
        }
    }
}

TEST(Profile, NamesWhatTheWindowShows)
{
    Profile p;
    p.image[img::at(Layer::B, img::LayerArray::Kind, 2)] = static_cast<std::uint8_t>(FunctionKind::SingleKey);
    p.image[img::at(Layer::B, img::LayerArray::SingleKey, 2)] = 0x3E;
    p.image[img::at(Layer::B, img::LayerArray::ComboKey1, 2)] = 0xE5; // right shift
    p.image[img::kReportRate] = 2;
    p.image[img::kDpiEnabled] = 1;
    p.image[img::kLoopEnabled] = 7;
    const json j = profileToJson(p);
    const json& b = j["configuration"]["layers"]["B"][2];
    EXPECT_EQ(b["function"], "Single Key");
    EXPECT_EQ(b["singleKey"], "F5");
    EXPECT_EQ(b["comboKey1"], "Right Shift");
    EXPECT_EQ(b["comboKey2"], 0) << "no key is a number, not a made-up name";
    EXPECT_EQ(j["configuration"]["reportRate"]["hz"], 500);
    EXPECT_EQ(j["configuration"]["dpiStages"][0]["enabled"], true);
    EXPECT_EQ(j["configuration"]["lighting"]["loopColours"][0]["enabled"], 7) << "a flag byte the window never writes stays a number";
    EXPECT_EQ(j["varcelProfile"], kProfileVersion);
}

// An import stopped after any step of its save (a kill, a crash, a full
// disk) leaves, once the next program has taken the folder's lock, every old
// file or every new one: never new macros and labels beside the old
// configuration.
TEST(Profile, AnImportStoppedAtAnyStepLeavesTheOldFilesOrTheNew)
{
    for (const bool hadRecordIni : {true, false}) {
        for (int stopAt = 0;; ++stopAt) {
            test::TempDir dir;
            const std::string config(kConfigFileSize, '\x01');
            const std::string labels = "[Skins]\nPath=Light\n[Setting-EN]\nItem1=Old\n";
            const std::string macros = "[Old]\nItemCount=0\n";
            test::writeBytes(dir / "config.bin", {config.begin(), config.end()});
            test::writeBytes(dir / "str.ini", {labels.begin(), labels.end()});
            test::writeBytes(dir / "marker", {'o'});
            if (hadRecordIni)
                test::writeBytes(dir / "record.ini", {macros.begin(), macros.end()});
            Profile profile;
            profile.labels[2][0] = "New";
            profile.macros.push_back({"New", {"A   Dn"}});
            bool stopped = false;
            {
                RecordingReporter reporter;
                Workspace workspace(dir.path(), reporter, Language::English);
                workspace.afterSaveStep = [&](int step) { return !(stopped = step == stopAt); };
                const Problem problem = workspace.importProfile(profile, {{dir / "marker", "n"}});
                EXPECT_EQ(problem.has_value(), stopped);
            }
            { FolderLock next(dir.path()); }
            const auto configNow = test::readBytes(dir / "config.bin");
            const auto labelsNow = test::readBytes(dir / "str.ini");
            const std::string labelsText(labelsNow.begin(), labelsNow.end());
            const bool isNew = configNow[0] == 0;
            EXPECT_EQ(isNew, labelsText.find("Item1=New") != std::string::npos) << "stopped after step " << stopAt;
            EXPECT_EQ(test::readBytes(dir / "marker"), std::vector<std::uint8_t>{std::uint8_t(isNew ? 'n' : 'o')});
            EXPECT_NE(labelsText.find("Path=Light"), std::string::npos) << "the skin settings stay: " << labelsText;
            if (isNew) {
                const auto record = test::readBytes(dir / "record.ini");
                EXPECT_NE(std::string(record.begin(), record.end()).find("[New]"), std::string::npos);
            } else {
                EXPECT_EQ(configNow, std::vector<std::uint8_t>(config.begin(), config.end()));
                EXPECT_EQ(labelsText, labels);
                EXPECT_EQ(std::filesystem::exists(dir / "record.ini"), hadRecordIni);
            }
            std::size_t entries = 0;
            for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path()))
                ++entries;
            EXPECT_EQ(entries, 4u - (isNew || hadRecordIni ? 0u : 1u)) << "nothing is left behind";
            if (!stopped)
                break;
        }
    }
}

// So is a rename: the profile, the rules naming it and the active marker
// are all under the old name or all under the new.
TEST(Profile, ARenameStoppedAtAnyStepLeavesAllOldOrAllNew)
{
    for (int stopAt = 0;; ++stopAt) {
        test::TempDir dir;
        test::writeBytes(dir / "config.bin", std::vector<std::uint8_t>(kConfigFileSize, 1));
        RecordingReporter reporter;
        Workspace workspace(dir.path(), reporter, Language::English);
        ProfileLibrary library(dir.path());
        ASSERT_FALSE(library.save(workspace, "A"));
        const auto saved = test::readBytes(dir / "profiles" / "A.json");
        FocusRules rules(dir.path());
        rules.add({RuleMatch::WindowClass, "Game", "A"});
        ASSERT_FALSE(rules.save());
        bool stopped = false;
        library.afterSaveStep = [&](int step) { return !(stopped = step == stopAt); };
        EXPECT_EQ(library.rename("A", "B").has_value(), stopped);
        { FolderLock next(dir.path()), profiles(dir / "profiles"); }
        const bool isNew = std::filesystem::exists(dir / "profiles" / "B.json");
        EXPECT_EQ(folderContents(dir / "profiles").size(), 1u) << "one of the two, nothing left: step " << stopAt;
        EXPECT_EQ(test::readBytes(dir / "profiles" / (isNew ? "B.json" : "A.json")), saved);
        ASSERT_FALSE(rules.load());
        EXPECT_EQ(rules.rules().at(0).profile, isNew ? "B" : "A") << "step " << stopAt;
        EXPECT_EQ(library.active(workspace).name, isNew ? "B" : "A") << "step " << stopAt;
        if (!stopped)
            break;
    }
}

class ProfileCli : public ::testing::Test {
protected:
    CliRun run(const test::TempDir& dir, const std::string& args)
    {
        return test::runVarcelctl(VARCELCTL_PATH, dir.path(), args);
    }
    static void seedDefault(const test::TempDir& dir)
    {
        std::filesystem::copy_file(VARCEL_DEFAULT_CONFIG, dir / "config.bin");
    }
    test::TempDir a;
    test::TempDir b;
    test::TempDir files;
};

TEST_F(ProfileCli, ExportThenImportGivesTheSameConfigBin)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 4; ++round) {
        test::TempDir from;
        test::TempDir to;
        seedDefault(to);
        if (round == 0) {
            seedDefault(from);
        } else {
            std::vector<std::uint8_t> bytes(kConfigFileSize);
            for (auto& byte : bytes)
                byte = static_cast<std::uint8_t>(rng());
            for (Layer layer : {Layer::A, Layer::B})
                for (std::size_t slot = 0; slot < kButtonSlots; ++slot)
                    bytes[1 + img::at(layer, img::LayerArray::Kind, slot)] %= 16;
            test::writeBytes(from / "config.bin", bytes);
        }
        const auto profile = (files / ("p" + std::to_string(round) + ".json")).string();
        const CliRun out = run(from, "export '" + profile + "'");
        ASSERT_EQ(out.status, 0) << out.err;
        const CliRun in = run(to, "import '" + profile + "'");
        ASSERT_EQ(in.status, 0) << in.err;
        EXPECT_EQ(test::readBytes(to / "config.bin"), test::readBytes(from / "config.bin")) << "round " << round;
        // And again from the imported folder: the profile itself is stable.
        const CliRun again = run(to, "export");
        const auto written = test::readBytes(profile);
        EXPECT_EQ(again.out, std::string(written.begin(), written.end())) << "round " << round;
    }
}

TEST_F(ProfileCli, AProfileCarriesTheConfigurationToAnotherFolder)
{
    seedDefault(a);
    seedDefault(b);
    ASSERT_EQ(run(a, "button A 3 single-key F5").status, 0);
    ASSERT_EQ(run(a, "button B 2 combo \"Left Ctrl\" C \"\"").status, 0);
    ASSERT_EQ(run(a, "macro new Jump").status, 0);
    ASSERT_EQ(run(a, "macro add Jump \"Space Dn\" \"Space Up\"").status, 0);
    ASSERT_EQ(run(a, "macro confirm Jump").status, 0);
    const auto profile = (files / "a.json").string();
    ASSERT_EQ(run(a, "export '" + profile + "'").status, 0);
    const CliRun in = run(b, "import '" + profile + "'");
    ASSERT_EQ(in.status, 0) << in.err;
    // What each folder prints, its own path aside.
    const auto shown = [](const test::TempDir& dir, const std::string& command, const std::string& lang) {
        const CliRun r = test::runVarcelctl(VARCELCTL_PATH, dir.path(), command, lang);
        EXPECT_EQ(r.status, 0) << command << ": " << r.err;
        std::string out = r.out;
        for (std::size_t at; (at = out.find(dir.path().string())) != std::string::npos;)
            out.replace(at, dir.path().string().size(), "DIR");
        return out;
    };
    for (const char* command : {"show", "show --json", "labels", "macro list", "macro show Jump"})
        EXPECT_EQ(shown(b, command, "C"), shown(a, command, "C")) << command;
    for (const char* lang : {"zh_CN.UTF-8", "zh_TW.UTF-8"})
        EXPECT_EQ(shown(b, "labels", lang), shown(a, "labels", lang)) << lang;
}

TEST_F(ProfileCli, ImportApplySendsTheResultToTheMouse)
{
    seedDefault(a);
    seedDefault(b);
    ASSERT_EQ(run(a, "button A 4 single-key F9").status, 0);
    const auto profile = (files / "a.json").string();
    ASSERT_EQ(run(a, "export '" + profile + "'").status, 0);
    const CliRun in = run(b, "--simulate import '" + profile + "' --apply");
    ASSERT_EQ(in.status, 0) << in.err;
    // A single key reaches the mouse as 00 00 code 00; F9 is usage 0x42.
    const CliRun device = run(b, "--simulate device");
    EXPECT_NE(device.out.find(": 00 00 42 00"), std::string::npos) << device.out;
}

// Each bad profile is refused with exit status 2 and a message naming the
// field; the data folder is left exactly as it was.
TEST_F(ProfileCli, BadProfilesAreRefusedWithTheirPathAndChangeNothing)
{
    seedDefault(a);
    ASSERT_EQ(run(a, "macro new Keep").status, 0);
    ASSERT_EQ(run(a, "macro add Keep \"A Dn\" \"A Up\"").status, 0);
    ASSERT_EQ(run(a, "macro confirm Keep").status, 0);
    const CliRun exported = run(a, "export");
    ASSERT_EQ(exported.status, 0) << exported.err;
    const json good = json::parse(exported.out);

    std::vector<std::string> tooLong;
    for (int i = 0; i < 64; ++i) {
        tooLong.push_back("A   Dn");
        tooLong.push_back("A   Up");
    }
    struct Row {
        const char* what;
        std::function<void(json&)> spoil;
        const char* expected; // path and the start of the message
        std::string raw = {}; // text put in place of the string "@" that spoil wrote
        const char* lang = "C";
    };
    const Row rows[] = {
        {"not JSON", nullptr, "$ is not JSON"},
        {"a later version", [](json& j) { j["varcelProfile"] = 2; }, "$.varcelProfile is 2"},
        {"a byte out of range", [](json& j) { j["configuration"]["reportRate"]["code"] = 300; },
         "$.configuration.reportRate.code must be a whole number from 0 to 255"},
        {"a negative number", [](json& j) { j["configuration"]["pointer"]["speed"] = -1; },
         "$.configuration.pointer.speed must be a whole number"},
        {"a function kind past the list", [](json& j) { j["configuration"]["layers"]["A"][0]["function"] = 16; },
         "$.configuration.layers.A[0].function must be a whole number from 0 to 15"},
        {"an unknown function", [](json& j) { j["configuration"]["layers"]["A"][2]["function"] = "Jump"; },
         "$.configuration.layers.A[2].function unknown function \"Jump\""},
        {"an unknown key name", [](json& j) { j["configuration"]["layers"]["B"][5]["singleKey"] = "F55"; },
         "$.configuration.layers.B[5].singleKey unknown key name \"F55\""},
        {"a field missing", [](json& j) { j["configuration"].erase("lighting"); },
         "$.configuration.lighting is missing"},
        {"a field misspelt", [](json& j) { j["configuration"]["layers"]["A"][1]["singlekey"] = "F5"; },
         "$.configuration.layers.A[1].singlekey is not a field of a button"},
        {"a hertz figure that disagrees", [](json& j) { j["configuration"]["reportRate"]["hz"] = 500; },
         "$.configuration.reportRate.hz is 500 but the profile's values make it 1000"},
        {"bad bytes", [](json& j) { j["configuration"]["macroBlocks"][3]["events"] = "zz"; },
         "$.configuration.macroBlocks[3].events must be 126 bytes"},
        {"a bad colour", [](json& j) { j["configuration"]["lighting"]["loopColours"][7]["rgb"] = "red"; },
         "$.configuration.lighting.loopColours[7].rgb must be a colour"},
        {"a label over two lines", [](json& j) { j["labels"]["Setting-CHT"]["Item123"] = "a\nb"; },
         "$.labels.Setting-CHT.Item123 must be one line"},
        {"a label holding a NUL", [](json& j) { j["labels"]["Setting-EN"]["Item1"] = std::string("a\0b", 3); },
         "$.labels.Setting-EN.Item1 must be one line"},
        {"a macro that does not fit its block",
         [&](json& j) { j["macros"][0]["entries"] = tooLong; },
         "$.macros[0].entries does not fit a macro block: 63 of its 128 key events fit"},
        {"a macro that does not fit, in Chinese", [&](json& j) { j["macros"][0]["entries"] = tooLong; },
         "$.macros[0].entries 放不进一个宏块：128 个按键事件中只能放下 63 个", {}, "zh_CN.UTF-8"},
        {"a hertz figure that disagrees, in Chinese", [](json& j) { j["configuration"]["reportRate"]["hz"] = 500; },
         "$.configuration.reportRate.hz 為 500，但依設定檔的其他值應為 1000", {}, "zh_TW.UTF-8"},
        {"a macro key that has no name",
         [](json& j) { j["macros"][0]["entries"] = {"Hyper   Dn"}; },
         "$.macros[0].entries[0] unknown key name \"Hyper\""},
        {"a macro name the file cannot carry", [](json& j) { j["macros"][0]["name"] = "a]b"; },
         "$.macros[0].name must be a name"},
        {"two macros of one name", [](json& j) { j["macros"].push_back(j["macros"][0]); j["macros"][1]["name"] = "KEEP"; },
         "$.macros[1].name \"KEEP\" is the name of an earlier macro"},
        {"thirteen macros",
         [](json& j) {
             for (int i = 1; i < 13; ++i)
                 j["macros"].push_back({{"name", "M" + std::to_string(i)}, {"entries", json::array()}});
         },
         "$.macros holds 13 macros"},
        {"100,000 nested brackets", [](json& j) { j["configuration"]["reportRate"]["code"] = "@"; },
         "$.configuration.reportRate.code[0][0][0][0][0][0][0][0][0][0][0][0][0] nests lists and objects deeper",
         std::string(100000, '[') + std::string(100000, ']')},
        {"a number past a double", [](json& j) { j["configuration"]["pointer"]["speed"] = "@"; },
         "$.configuration.pointer.speed is a number too large to read: 1e400", "1e400"},
        {"hex bytes separated by commas", [](json& j) { j["configuration"]["unused"]["0x793"] = "00,01,02,03,04,05,06,07"; },
         "$.configuration.unused.0x793 must be 8 bytes"},
        {"hex bytes separated by letters", [](json& j) { j["configuration"]["unused"]["0x780"] = "00g01g02g03g04"; },
         "$.configuration.unused.0x780 must be 5 bytes"},
        {"a label clearing the terminal and ringing the bell",
         [](json& j) { j["labels"]["Setting-CHS"]["Item3"] = "\x1b[2J\a"; }, "$.labels.Setting-CHS.Item3 must be one line"},
    };
    const auto before = folderContents(a.path());
    for (const Row& row : rows) {
        std::string text = "{ \"varcelProfile\": 1, ";
        if (row.spoil) {
            json spoilt = good;
            row.spoil(spoilt);
            text = spoilt.dump(2);
            if (const auto at = text.find("\"@\""); at != std::string::npos)
                text.replace(at, 3, row.raw);
        }
        const auto file = files / "bad.json";
        test::writeBytes(file, std::vector<std::uint8_t>(text.begin(), text.end()));
        const CliRun r =
            test::runVarcelctl(VARCELCTL_PATH, a.path(), "--simulate import '" + file.string() + "' --apply", row.lang);
        EXPECT_EQ(r.status, 2) << row.what << ": " << r.err;
        EXPECT_NE(r.err.find(row.expected), std::string::npos) << row.what << ": " << r.err;
        EXPECT_NE(r.err.find("nothing was changed"), std::string::npos) << row.what;
        EXPECT_EQ(folderContents(a.path()), before) << row.what;
    }
}

// A data file that is there but cannot be read (here a folder where str.ini
// belongs) is neither exported as empty nor saved over.
TEST_F(ProfileCli, AnUnreadableFileStopsExportAndImport)
{
    seedDefault(a);
    const auto profile = (files / "a.json").string();
    ASSERT_EQ(run(a, "export '" + profile + "'").status, 0);
    for (const char* name : {"str.ini", "record.ini"}) {
        test::TempDir dir;
        seedDefault(dir);
        std::filesystem::create_directory(dir / name);
        const auto before = folderContents(dir.path());
        const CliRun out = run(dir, "export");
        EXPECT_EQ(out.status, 1) << name;
        EXPECT_NE(out.err.find(name), std::string::npos) << out.err;
        const CliRun in = run(dir, "import '" + profile + "'");
        EXPECT_EQ(in.status, 1) << name;
        EXPECT_NE(in.err.find("nothing was changed"), std::string::npos) << in.err;
        EXPECT_EQ(folderContents(dir.path()), before) << name;
    }
    // A config.bin of the wrong size is told as what it is, not as a file that cannot be read.
    test::TempDir dir;
    seedDefault(dir);
    std::filesystem::resize_file(dir / "config.bin", 2021);
    const CliRun out = run(dir, "export");
    EXPECT_EQ(out.status, 1);
    EXPECT_NE(out.err.find("config.bin is not a configuration of the mouse"), std::string::npos) << out.err;
}

// A byte that neither UTF-8 nor GB18030 explains, left in str.ini by a hand
// edit, cannot be JSON: export, save and list go on and name the label, the
// profile holds U+FFFD for it, and loading it back changes that label alone.
TEST_F(ProfileCli, AStrayByteInALabelBecomesUFFFDAndTheOtherLabelsStay)
{
    seedDefault(a);
    const std::string chs = "[Setting-CHS]\r\nItem1=\xD7\xF3\xBC\xFC\r\n"; // GB18030
    const auto writeLabels = [&](char stray) {
        const std::string text = chs + "[Setting-EN]\r\nItem4=Fo" + stray + "rward\r\nItem5=Back\r\n";
        test::writeBytes(a / "str.ini", {text.begin(), text.end()});
    };
    writeLabels('\xFF');
    for (const char* command : {"export", "profile save Game", "profile list"}) {
        const CliRun r = run(a, command);
        EXPECT_EQ(r.status, 0) << command << ": " << r.err;
        EXPECT_EQ(r.err.find("json"), std::string::npos) << command << ": " << r.err;
        EXPECT_EQ(r.err.find("$.labels.Setting-EN.Item4") != std::string::npos, command[0] != 'p' || command[8] == 's')
            << command << ": " << r.err;
    }
    EXPECT_EQ(run(a, "profile list").out, "* Game\n");
    writeLabels('\xFE');
    EXPECT_EQ(run(a, "profile list").out, "* Game (modified)\n") << "the byte itself counts";
    ASSERT_EQ(run(a, "profile load Game").status, 0);
    const auto bytes = test::readBytes(a / "str.ini");
    const std::string now(bytes.begin(), bytes.end());
    for (const char* line : {"Item1=\xD7\xF3\xBC\xFC\r\n", "Item4=Fo\xEF\xBF\xBDrward\r\n", "Item5=Back\r\n"})
        EXPECT_NE(now.find(line), std::string::npos) << line << " in " << now;
}

// export streams to a FIFO or its own standard output and replaces only a
// regular file: a device, a folder or a link to a device is refused and stays.
TEST_F(ProfileCli, ExportStreamsToAFifoAndReplacesOnlyRegularFiles)
{
    seedDefault(a);
    const std::string expected = run(a, "export").out;
    const auto fifo = (files / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string both = "timeout 10 cat '" + fifo + "' >'" + fifo + ".got' & '" VARCELCTL_PATH "' --data-dir '" +
                             a.path().string() + "' export '" + fifo + "' >/dev/null; wait";
    EXPECT_EQ(std::system(both.c_str()), 0);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_EQ(test::readBytes(fifo + ".got"), std::vector<std::uint8_t>(expected.begin(), expected.end()));
    EXPECT_EQ(run(a, "export /dev/stdout").out, expected);
    std::filesystem::create_symlink("/dev/null", files / "null");
    for (const std::string& target : {std::string("/dev/null"), files.path().string(), (files / "null").string()}) {
        const CliRun r = run(a, "export '" + target + "'");
        EXPECT_EQ(r.status, 2) << target;
        EXPECT_NE(r.err.find("neither a regular file, a FIFO nor a terminal"), std::string::npos) << r.err;
    }
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
    EXPECT_TRUE(std::filesystem::is_directory(files.path()));
}

// Named profiles: saved, loaded onto the simulated mouse, renamed and
// deleted; the active one is marked, and marked modified after a change.
TEST_F(ProfileCli, NamedProfilesSaveLoadRenameAndDelete)
{
    seedDefault(a);
    ASSERT_EQ(run(a, "button A 4 single-key F9").status, 0);
    ASSERT_EQ(run(a, "profile save Game").status, 0);
    ASSERT_EQ(run(a, "button A 4 single-key F10").status, 0);
    EXPECT_EQ(run(a, "profile list").out, "* Game (modified)\n");
    ASSERT_EQ(run(a, "profile save 'Desk 桌面'").status, 0);
    EXPECT_EQ(run(a, "profile list").out, "* Desk 桌面\n  Game\n");
    const CliRun load = run(a, "--simulate profile load Game --apply");
    ASSERT_EQ(load.status, 0) << load.err;
    EXPECT_EQ(run(a, "profile list").out, "  Desk 桌面\n* Game\n");
    // F9 is usage 0x42, F10 0x43: the mouse holds the profile's button.
    EXPECT_NE(run(a, "--simulate device").out.find(": 00 00 42 00"), std::string::npos);
    EXPECT_EQ(run(a, "profile show Game").out, run(a, "export").out);
    EXPECT_EQ(run(a, "profile rename Game 'Desk 桌面'").status, 2) << "a name taken stays the other's";
    ASSERT_EQ(run(a, "profile rule add class Steam Game").status, 0);
    EXPECT_EQ(run(a, "profile rule add class \"$(printf 'a\\377')\" Game").status, 2) << "a rule file is JSON";
    ASSERT_EQ(run(a, "profile rename Game Play").status, 0);
    EXPECT_EQ(run(a, "profile list").out, "  Desk 桌面\n* Play\n");
    EXPECT_EQ(run(a, "profile rule list").out, "class Steam -> Play\n") << "the rules follow the new name";
    const CliRun deleted = run(a, "profile delete Play");
    ASSERT_EQ(deleted.status, 0);
    EXPECT_NE(deleted.out.find("\"class Steam -> Play\" stays and switches nothing"), std::string::npos) << deleted.out;
    EXPECT_EQ(run(a, "profile list").out, "  Desk 桌面\n");
    EXPECT_EQ(run(a, "profile rule list").out, "class Steam -> Play (no such profile: this rule switches nothing)\n");
    EXPECT_NE(run(a, "doctor").out.find("FIX  profile rules: class Steam -> Play: no such profile"), std::string::npos);
    EXPECT_EQ(run(a, "profile load Play").status, 2);
    std::filesystem::create_directory(a / "profiles" / "Play.json");
    const CliRun folder = run(a, "profile load Play");
    EXPECT_EQ(folder.err.find("Play.json"), folder.err.rfind("Play.json")) << "named once: " << folder.err;
    EXPECT_NE(folder.err.find("Play.json: is a folder, not a file"), std::string::npos) << folder.err;
    test::writeBytes(a / "profile-rules.json", std::vector<std::uint8_t>((1 << 20) + 1, ' '));
    const CliRun tooLarge = run(a, "profile rule list");
    EXPECT_NE(tooLarge.err.find("cannot be used as the profile rules: it is over 1 MB"), std::string::npos)
        << tooLarge.err;
    const CliRun tooLargeZh = test::runVarcelctl(VARCELCTL_PATH, a.path(), "profile rule list", "zh_CN.UTF-8");
    EXPECT_NE(tooLargeZh.err.find("无法用作配置文件规则: 文件超过 1 MB"), std::string::npos) << tooLargeZh.err;
    const std::string notARule = R"({"rules": [1]})";
    test::writeBytes(a / "profile-rules.json", {notARule.begin(), notARule.end()});
    const CliRun notRule = test::runVarcelctl(VARCELCTL_PATH, a.path(), "profile rule list", "zh_TW.UTF-8");
    EXPECT_NE(notRule.err.find("無法用作設定檔規則: $.rules[0] 不是規則"), std::string::npos) << notRule.err;
}

// Names that would leave the folder, hide, split a line or not be text are
// refused before anything is written; so is a profile file that is not valid.
TEST_F(ProfileCli, HostileNamesAndInvalidProfilesChangeNothing)
{
    seedDefault(a);
    ASSERT_EQ(run(a, "profile save Good").status, 0);
    const auto before = folderContents(a.path());
    const auto profiles = folderContents(a / "profiles");
    std::string e32;
    for (int i = 0; i < 32; ++i)
        e32 += "\u00e9";
    const std::vector<std::string> names{"../x", "", std::string(32, 'x'), "\"$(printf 'a\\nb')\"",
                                         "\"$(printf 'a\\377')\"", ".hidden", "a/b", e32, "txt\u202Eexe",
                                         "a\u200Bb"};
    for (const std::string& name : names) {
        const std::string quoted = !name.empty() && name.front() == '"' ? name : "'" + name + "'";
        for (const std::string& command : {"save " + quoted, "load " + quoted, "rename Good " + quoted}) {
            const CliRun r = run(a, "profile " + command);
            EXPECT_EQ(r.status, 2) << command << ": " << r.err;
            EXPECT_NE(r.err.find("cannot name a profile"), std::string::npos) << command << ": " << r.err;
        }
    }
    EXPECT_EQ(folderContents(a.path()), before);
    EXPECT_EQ(folderContents(a / "profiles"), profiles);
    EXPECT_EQ(run(a, "profile save " + std::string(31, 'x')).status, 0) << "31 characters are a name";
    EXPECT_EQ(run(a, "profile save " + e32.substr(2)).status, 0) << "31 two-byte characters are a name";

    json spoilt = json::parse(run(a, "profile show Good").out);
    spoilt["configuration"]["layers"]["B"][5]["singleKey"] = "F55";
    const std::string text = spoilt.dump(2);
    test::writeBytes(a / "profiles" / "Good.json", std::vector<std::uint8_t>(text.begin(), text.end()));
    const auto spoiltFolder = folderContents(a.path());
    const CliRun r = run(a, "--simulate profile load Good --apply");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("Good.json: $.configuration.layers.B[5].singleKey unknown key name"), std::string::npos)
        << r.err;
    EXPECT_EQ(folderContents(a.path()), spoiltFolder);
}

TEST_F(ProfileCli, ImportNeverCreatesConfigBin)
{
    seedDefault(a);
    const auto profile = (files / "a.json").string();
    ASSERT_EQ(run(a, "export '" + profile + "'").status, 0);
    const CliRun r = run(b, "import '" + profile + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("never creates it"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(b / "config.bin"));
}

} // namespace
} // namespace varcel
