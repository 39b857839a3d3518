#include "control/focus_rules.h"
#include "control/main_controller.h"
#include "control/profile_library.h"
#include "lang/failure_texts.h"
#include "platform/reporter.h"
#include "device/sim/sim_backend.h"
#include "device/sim/sim_mouse.h"
#include "lang/device_messages.h"
#include "platform/ini_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <deque>
#include <mutex>

namespace varcel {
namespace {

using namespace std::chrono_literals;

// Codes from any thread wait here until the "window thread" (the test) takes them.
struct QueuedStatus : StatusSink {
    void deviceStatus(StatusCode code, int value) override
    {
        std::lock_guard lock(mutex);
        queue.emplace_back(code, value);
    }
    std::vector<std::pair<StatusCode, int>> take()
    {
        std::lock_guard lock(mutex);
        std::vector<std::pair<StatusCode, int>> out(queue.begin(), queue.end());
        queue.clear();
        return out;
    }
    std::mutex mutex;
    std::deque<std::pair<StatusCode, int>> queue;
};

struct FakeView : MainWindowView {
    void showBalloon(const Balloon& balloon) override { balloons.push_back(balloon.text); }
    void showWindow() override { shown = true; }
    void hideWindow() override { shown = false; }
    void tearDownPage(Page page) override { events.push_back("teardown " + std::to_string(int(page))); }
    void drawPage(Page page) override { events.push_back("draw " + std::to_string(int(page))); }
    bool keepEdits(const std::string&, const std::string&, const std::string&) override { return ++asked > 0; }
    int asked = 0;
    std::vector<std::string> balloons;
    std::vector<std::string> events;
    bool shown = false;
};

struct Rig {
    explicit Rig(bool mousePresent = true, std::uint8_t firstRunFlag = 1, Language lang = Language::English)
        : language(lang)
    {
        std::vector<std::uint8_t> file(kConfigFileSize, 0);
        file[0] = firstRunFlag;
        file[1 + img::kReportRate] = 8;
        test::writeBytes(dir / "config.bin", file);
        if (!mousePresent)
            mouse.unplug();
        controller.session().link().setDataTimeout(50ms);
    }
    // What the window thread does with queued status codes.
    void pump()
    {
        for (auto [code, value] : status.take())
            controller.deviceStatus(code, value);
    }
    Language language;
    test::TempDir dir;
    SimMouse mouse;
    SimBackend backend{mouse};
    RecordingReporter reporter;
    QueuedStatus status;
    FakeView view;
    MainController controller{dir.path(), backend, reporter, status, view, language};
};

TEST(MainController, StartWithTheMouseBuildsTheKeyPageAndWritesFirstRunLabels)
{
    Rig rig(true, 0);
    rig.controller.startUp();
    rig.pump();
    EXPECT_TRUE(rig.reporter.messages.empty());
    EXPECT_EQ(rig.view.balloons, std::vector<std::string>{"The system detect the gaming mouse."});
    EXPECT_EQ(rig.controller.currentPage(), Page::Key);
    EXPECT_FALSE(rig.view.shown) << "the window starts hidden";
    EXPECT_EQ(rig.mouse.memory().sensor[3] & 0x40, 0x40) << "the key page's first build runs the sensor exchange";
    const IniFile ini = IniFile::load(rig.dir / "str.ini");
    EXPECT_EQ(ini.value("Setting-EN", "Item1"), "Left Click");
    EXPECT_EQ(ini.value("Setting-EN", "Item6"), "DPI Loop");
}

TEST(MainController, StartWithoutTheMouseWarnsOnceAndTheTrayOnlyWarnsAgain)
{
    Rig rig(false);
    rig.controller.startUp();
    EXPECT_EQ(rig.reporter.messages,
              (std::vector<RecordingReporter::Message>{{"The system did not detect the gaming mouse!", "Warning"}}));
    EXPECT_EQ(rig.controller.currentPage(), Page::None);
    EXPECT_EQ(rig.controller.config().working()[img::kReportRate], 8) << "config.bin is loaded all the same";

    rig.controller.trayActivated();
    EXPECT_FALSE(rig.view.shown);
    EXPECT_EQ(rig.view.balloons, std::vector<std::string>{"The system did not detect the gaming mouse!"});

    // The mouse arrives: the next click builds the key page and shows it.
    rig.mouse.plug();
    rig.controller.hotplug({{HotplugEvent::Action::Arrival, "sim"}});
    rig.pump();
    rig.controller.trayActivated();
    EXPECT_TRUE(rig.view.shown);
    EXPECT_EQ(rig.controller.currentPage(), Page::Key);
    EXPECT_TRUE(rig.controller.keyPageBuilt());
}

TEST(MainController, OkAndApplySendSaveAndSnapshotCancelRestores)
{
    Rig rig;
    rig.controller.startUp();
    rig.controller.trayActivated();
    ASSERT_TRUE(rig.view.shown);

    rig.controller.config().working()[img::kReportRate] = 2;
    rig.controller.apply();
    EXPECT_TRUE(rig.view.shown) << "Apply keeps the window";
    EXPECT_EQ(rig.mouse.memory().reportRate, 2);
    EXPECT_EQ(rig.controller.config().snapshot()[img::kReportRate], 2);
    EXPECT_EQ(test::readBytes(rig.dir / "config.bin")[1 + img::kReportRate], 2);

    rig.controller.config().working()[img::kReportRate] = 4;
    rig.controller.buttons().showLayer(1);
    rig.controller.cancel();
    EXPECT_FALSE(rig.view.shown);
    EXPECT_EQ(rig.controller.config().working()[img::kReportRate], 2);
    EXPECT_EQ(rig.controller.config().working()[img::kLayerShown], 0);
    EXPECT_TRUE(rig.controller.rebuildPending());

    rig.view.events.clear();
    rig.controller.trayActivated();
    EXPECT_EQ(rig.view.events, (std::vector<std::string>{"teardown 1", "draw 1"})) << "the page is rebuilt";
    EXPECT_FALSE(rig.controller.rebuildPending());

    rig.controller.config().working()[img::kReportRate] = 1;
    rig.controller.ok();
    EXPECT_FALSE(rig.view.shown);
    EXPECT_EQ(rig.mouse.memory().reportRate, 1);

    // Labels come back as saved whichever page Cancel was pressed on.
    rig.controller.trayActivated();
    const std::string saved = rig.controller.buttons().label(2);
    rig.controller.buttons().chooseFunction(2, 15);
    ASSERT_NE(rig.controller.buttons().label(2), saved);
    rig.controller.buildAdvancedPage();
    rig.controller.cancel();
    rig.controller.trayActivated();
    rig.controller.buildKeyPage();
    EXPECT_EQ(rig.controller.buttons().label(2), saved);
}

TEST(MainController, AMouseWithOtherLinkConstantsIsToldInTheWindowsLanguage)
{
    for (const Language language : {Language::SimplifiedChinese, Language::TraditionalChinese, Language::English}) {
        Rig rig(true, 1, language);
        rig.mouse.setLinkConstants(*parseLinkOption("0123456789AB:F0E1D2C3B4A59687"));
        rig.controller.startUp();
        const std::string told = text::kLinkConstantsDiffer(language);
        EXPECT_EQ(rig.reporter.messages, (std::vector<RecordingReporter::Message>{{told, "Warning"}}));
        EXPECT_NE(told.find("Teaching Varcel the mouse's link"), std::string::npos) << "points to the README";
        EXPECT_EQ(rig.controller.currentPage(), Page::None);
    }
}

TEST(MainController, OkDoesNothingWithoutAnAcceptedMouse)
{
    Rig rig;
    rig.mouse.setFault(SimFault::AnswerPlain);
    rig.controller.startUp();
    const auto before = test::readBytes(rig.dir / "config.bin");
    rig.controller.config().working()[img::kReportRate] = 1;
    rig.controller.ok();
    rig.controller.apply();
    EXPECT_EQ(test::readBytes(rig.dir / "config.bin"), before);
    EXPECT_EQ(rig.controller.config().snapshot()[img::kReportRate], 8);
}

TEST(MainController, PagesAreBuiltOnceAndLeavingTearsDown)
{
    Rig rig;
    rig.controller.startUp();
    rig.view.events.clear();
    rig.controller.buildKeyPage();
    EXPECT_TRUE(rig.view.events.empty()) << "the current page is not built again";
    rig.controller.buildAdvancedPage();
    rig.controller.buildAdvancedPage();
    EXPECT_EQ(rig.view.events, (std::vector<std::string>{"teardown 1", "draw 2"}));
}

TEST(MainController, UnpluggingHidesTheWindowAndWarns)
{
    Rig rig;
    rig.controller.startUp();
    rig.controller.trayActivated();
    ASSERT_TRUE(rig.view.shown);
    rig.mouse.unplug();
    rig.controller.hotplug({{HotplugEvent::Action::Removal, "sim"}});
    rig.pump();
    EXPECT_FALSE(rig.view.shown);
    EXPECT_EQ(rig.view.balloons.back(), "The system did not detect the gaming mouse!");
}

TEST(MainController, PointerSettingsAreReadWithThePageAndReachTheDesktopOnOk)
{
    Rig rig;
    StoredPointerSettings desktop(rig.dir / "desktop.ini");
    ASSERT_TRUE(desktop.setSpeed(4));
    ASSERT_TRUE(desktop.setDoubleClickTime(900));
    rig.controller.usePointerSettings(std::make_unique<StoredPointerSettings>(rig.dir / "desktop.ini"));
    rig.controller.startUp();
    rig.controller.trayActivated();

    // Apply on the key page before the advanced page was ever shown leaves
    // the desktop alone.
    rig.controller.apply();
    EXPECT_EQ(desktop.doubleClickTime(), 900u);

    rig.controller.buildAdvancedPage();
    PointerPage& page = rig.controller.pointer();
    EXPECT_EQ(page.position(PointerSlider::Speed), 3);
    EXPECT_EQ(page.position(PointerSlider::DoubleClick), 1);
    page.setPosition(PointerSlider::DoubleClick, 6);
    rig.controller.ok();
    EXPECT_EQ(desktop.doubleClickTime(), 550u);
    EXPECT_EQ(desktop.speed(), 4);
    EXPECT_EQ(test::readBytes(rig.dir / "config.bin")[1 + img::kDoubleClick], 6);

    // "Default" changes the desktop at once; Cancel takes back only the image.
    rig.controller.trayActivated();
    page.setPosition(PointerSlider::Speed, 11);
    page.restoreDefaults();
    rig.controller.cancel();
    EXPECT_EQ(desktop.speed(), 10);
    EXPECT_EQ(desktop.doubleClickTime(), 500u);
    EXPECT_EQ(page.position(PointerSlider::Speed), 3);
    EXPECT_EQ(page.position(PointerSlider::DoubleClick), 6);
    EXPECT_TRUE(rig.reporter.messages.empty());
}

TEST(MainController, LeavingTheAdvancedPageOrHidingTheWindowEndsARecording)
{
    Rig rig;
    std::ofstream(rig.dir / "record.ini") << "[M]\nItemCount=0\n";
    rig.controller.usePointerSettings(std::make_unique<StoredPointerSettings>(rig.dir / "desktop.ini"));
    rig.controller.startUp();
    rig.controller.trayActivated();
    int hooks = 0;
    rig.controller.recorder().installHook = [&] { ++hooks; return 0; };
    rig.controller.recorder().removeHook = [&] { --hooks; };

    rig.controller.buildAdvancedPage();
    ASSERT_EQ(rig.controller.macroPage().macros(), std::vector<std::string>{"M"});
    rig.controller.recorder().start();
    EXPECT_EQ(hooks, 1);
    rig.controller.buildKeyPage();
    EXPECT_EQ(hooks, 0);

    rig.controller.buildAdvancedPage();
    rig.controller.recorder().start();
    rig.controller.windowHidden();
    EXPECT_EQ(hooks, 0);

    rig.controller.recorder().start();
    rig.controller.cancel();
    EXPECT_EQ(hooks, 0);
    EXPECT_FALSE(rig.controller.recorder().isHookInstalled());
}

TEST(MainController, AnApplyThatDidNotReachTheMouseSaysSoAndTheNextOneTriesAgain)
{
    for (const Language language :
         {Language::English, Language::SimplifiedChinese, Language::TraditionalChinese}) {
        SCOPED_TRACE(static_cast<int>(language));
        Rig rig(true, 1, language);
        rig.controller.startUp();
        rig.controller.trayActivated();
        rig.mouse.setFault(SimFault::RefuseOnce, 20); // one write is refused; the mouse stays
        rig.controller.config().working()[img::kReportRate] = 2;
        rig.controller.ok();
        // What did not reach the mouse is said below, in the same language.
        ASSERT_EQ(rig.reporter.messages.size(), 1u);
        EXPECT_EQ(rig.reporter.messages[0].caption, "Warning");
        const std::string& told = rig.reporter.messages[0].text;
        EXPECT_EQ(told.rfind(text::kApplyDidNotReachMouse(language), 0), 0u) << told;
        EXPECT_NE(told.find(deviceProblemText({DeviceProblemCode::LinkFailed, {}}, language).substr(0, 12)),
                  std::string::npos)
            << told;
        EXPECT_TRUE(rig.view.shown) << "OK keeps the window open so the user can apply again";
        EXPECT_EQ(test::readBytes(rig.dir / "config.bin")[1 + img::kReportRate], 2) << "saved all the same";

        rig.controller.config().working()[img::kReportRate] = 4;
        rig.controller.apply();
        EXPECT_EQ(rig.reporter.messages.size(), 1u);
        EXPECT_EQ(rig.mouse.memory().reportRate, 4) << "the next Apply reached the mouse";
    }
}

TEST(MainController, NoHotplugWatchStopsStartUpAfterSayingSo)
{
    Rig rig;
    rig.controller.setHotplugAvailable(false);
    rig.controller.startUp();
    ASSERT_EQ(rig.reporter.messages.size(), 1u);
    EXPECT_EQ(rig.reporter.messages[0].text, "RegisterDeviceNotification failed!!!");
    EXPECT_EQ(rig.controller.currentPage(), Page::None) << "start-up stopped before the page";
    EXPECT_EQ(rig.controller.config().working()[img::kReportRate], 0) << "config.bin was not loaded";
}

// A str.ini the program cannot read (here a folder at its name) is said once,
// at start-up, and never saved over, however many saves follow.
TEST(MainController, AStrIniThatCannotBeReadIsToldOnceAndNeverWritten)
{
    Rig rig(true, 0);
    std::filesystem::create_directory(rig.dir / "str.ini");
    rig.controller.startUp(); // before, this ended the program
    rig.pump();
    rig.controller.apply();
    rig.controller.ok();
    ASSERT_EQ(rig.reporter.messages.size(), 1u);
    EXPECT_NE(rig.reporter.messages[0].text.find("str.ini: is a folder"), std::string::npos)
        << rig.reporter.messages[0].text;
    EXPECT_TRUE(std::filesystem::is_directory(rig.dir / "str.ini"));
    EXPECT_EQ(test::readBytes(rig.dir / "config.bin")[0], 1) << "config.bin is saved all the same";
}

// Edits (a report rate, a recording under way) survive a skin chosen, the
// window's own write, and a command's change, asked about and merged.
TEST(MainController, EditsSurviveASkinChoiceAndACommandDuringARecording)
{
    Rig rig;
    std::ofstream(rig.dir / "record.ini") << "[M]\nItemCount=0\n[N]\nItemCount=0\n";
    rig.controller.usePointerSettings(std::make_unique<StoredPointerSettings>(rig.dir / "desktop.ini"));
    rig.controller.startUp();
    rig.controller.trayActivated();
    rig.controller.config().working()[img::kReportRate] = 2;
    rig.controller.skinChosen("Light", {1, 2, 3});
    rig.controller.filesChanged(); // the folder's watch saw str.ini written
    EXPECT_EQ(rig.view.asked, 0);
    EXPECT_EQ(rig.controller.config().working()[img::kReportRate], 2);
    EXPECT_EQ(IniFile::load(rig.dir / "str.ini").value("Skins", "Path"), "Light");
    rig.controller.apply();

    rig.controller.buildAdvancedPage();
    rig.controller.recorder().installHook = [] { return 0; };
    rig.controller.macroPage().selectMacro(1);
    rig.controller.recorder().start();
    for (const char* key : {"A", "B", "C"})
        rig.controller.recorder().keyEventByName(key, MacroRecorder::KeyAction::Press, false);
    auto file = test::readBytes(rig.dir / "config.bin");
    file[1 + img::kReportRate] = 4; // what varcelctl rate 500 saves, as a new file
    std::filesystem::remove(rig.dir / "config.bin");
    test::writeBytes(rig.dir / "config.bin", file);
    rig.controller.filesChanged();
    EXPECT_EQ(rig.view.asked, 1);
    EXPECT_EQ(rig.controller.config().working()[img::kReportRate], 4);
    EXPECT_TRUE(rig.controller.recorder().isHookInstalled());
    EXPECT_EQ(rig.controller.macroPage().selectedMacro(), 1);
    EXPECT_EQ(rig.controller.macroPage().events().size(), 5u);
}

// Profiles by the application in front, on a clock of the test's own: the
// rules pick the profile, a switch waits for the focus to settle 10 ms and
// for 300 ms since the last one, a focus that flaps back asks for nothing,
// and the window's unsaved edits hold a switch until they are settled.
TEST(MainController, ProfilesFollowTheApplicationInFrontWithinTheirLimits)
{
    Rig rig;
    rig.controller.startUp();
    ProfileLibrary library(rig.dir.path());
    ASSERT_FALSE(library.save(rig.controller.workspace(), "Desk")); // 125 Hz
    rig.controller.config().working()[img::kReportRate] = 1;
    rig.controller.apply();
    ASSERT_FALSE(library.save(rig.controller.workspace(), "Game")); // 1000 Hz
    FocusRules rules(rig.dir.path());
    rules.add({RuleMatch::WindowClass, "Game", "Game"});
    rules.add({RuleMatch::Executable, "steam", "Game"});
    rules.add({RuleMatch::AppId, "org.kde.dolphin", "Desk"});
    rules.add({RuleMatch::AppId, "ghost", "Ghost"}); // a profile deleted since
    rules.add({RuleMatch::Otherwise, "", "Desk"});
    ASSERT_FALSE(rules.save());

    auto now = SwitchPolicy::Clock::time_point{};
    std::optional<std::chrono::milliseconds> armed;
    ProfileFollower follower(rig.controller, [&](std::chrono::milliseconds wait) { armed = wait; },
                             [&] { return now; });
    rig.controller.onEditsSettled = [&] { follower.retry(); };
    enum Step { Focus, Retry, Edit, Cancel };
    struct Row {
        int at; // ms
        Step step;
        FocusedApp app;
        int switches;    // made so far
        int armedMs;     // the retry asked for, -1 none
        int mouseRate;   // the report-rate code the mouse holds
    };
    const Row rows[] = {
        {0, Focus, {"", "xterm", "gAME", ""}, 0, 10, 1}, // a class rule takes the instance of WM_CLASS too
        {20, Retry, {}, 1, -1, 1}, // what the mouse holds is not known yet: Game is sent
        {40, Focus, {"", "", "", "steam"}, 1, -1, 1}, // Game is held now
        {100, Focus, {"org.kde.dolphin", "", "", ""}, 1, 10, 1},
        {120, Retry, {}, 1, 200, 1}, // 300 ms after the last switch
        {320, Retry, {}, 2, -1, 8},  // Desk's 125 Hz
        // Four changes in 9 ms, ending on the profile the mouse holds.
        {1000, Focus, {"", "Game", "", ""}, 2, 10, 8},
        {1003, Focus, {"", "xterm", "", ""}, 2, -1, 8},
        {1006, Focus, {"", "Game", "", ""}, 2, 10, 8},
        {1009, Focus, {"", "xterm", "", ""}, 2, -1, 8},
        {1029, Retry, {}, 2, -1, 8},
        // An edit in the window holds the switch until Cancel.
        {2000, Edit, {}, 2, -1, 8},
        {2001, Focus, {"", "Game", "", ""}, 2, 10, 8},
        {2021, Retry, {}, 2, -1, 8},
        {2200, Focus, {"", "xterm", "", ""}, 2, -1, 8}, // Desk, which the mouse holds
        {2300, Focus, {"", "Game", "", ""}, 2, 10, 8},
        {2310, Retry, {}, 2, -1, 8}, // told once, not again
        {2500, Cancel, {}, 3, -1, 1},
        // A rule naming no profile switches nothing and says so once.
        {3000, Focus, {"ghost", "", "", ""}, 3, 10, 1},
        {3010, Retry, {}, 3, -1, 1},
        {3400, Focus, {"ghost", "", "", ""}, 3, 10, 1},
        {3410, Retry, {}, 3, -1, 1},
    };
    for (const Row& row : rows) {
        now = SwitchPolicy::Clock::time_point{} + std::chrono::milliseconds(row.at);
        armed.reset();
        switch (row.step) {
        case Focus: follower.focusChanged(row.app); break;
        case Retry: follower.retry(); break;
        case Edit: rig.controller.config().working()[img::kLayerShown] ^= 1; break;
        case Cancel: rig.controller.cancel(); break;
        }
        EXPECT_EQ(follower.switches(), row.switches) << "at " << row.at;
        EXPECT_EQ(armed ? int(armed->count()) : -1, row.armedMs) << "at " << row.at;
        EXPECT_EQ(rig.mouse.memory().reportRate, row.mouseRate) << "at " << row.at;
    }
    EXPECT_EQ(std::count(rig.view.balloons.begin(), rig.view.balloons.end(),
                         "The window holds unsaved changes: the switch to profile \"Game\" waits until they are "
                         "applied or cancelled"),
              1);
    EXPECT_EQ(std::count(rig.view.balloons.begin(), rig.view.balloons.end(),
                         "A rule for the application in front names profile \"Ghost\", which does not exist: nothing "
                         "was switched"),
              1);
}

} // namespace
} // namespace varcel
