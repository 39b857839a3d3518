#include "macros/macro_recorder.h"

#include "keys/key_tables.h"
#include "platform/reporter.h"
#include "macros/macro_page.h"
#include "macros/macro_store.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace varcel {
namespace {

using Entries = std::vector<std::string>;
using Message = RecordingReporter::Message;
using Action = MacroRecorder::KeyAction;

// Linux evdev codes of the keys the tests press.
constexpr std::uint32_t kKeyA = 30;
constexpr std::uint32_t kKeyB = 48;
constexpr std::uint32_t kKeyLeftCtrl = 29;

class MacroRecorderTest : public ::testing::Test {
public:
    void SetUp() override
    {
        ASSERT_TRUE(store.save("Keys", {"Z   Dn", "50 ms", "Z   Up"}));
        page.build();
        recorder.installHook = [this] {
            ++hooksInstalled;
            return hookError;
        };
        recorder.removeHook = [this] { ++hooksRemoved; };
        recorder.setWindowTitle = [this](const std::string& title) { windowTitle = title; };
    }

    void press(std::uint32_t code, bool repeat = false, int at = 0) { recorder.keyEvent(code, Action::Press, repeat, at); }
    void release(std::uint32_t code, bool repeat = false, int at = 0)
    {
        recorder.keyEvent(code, Action::Release, repeat, at);
    }

    test::TempDir dir;
    MacroStore store{dir / "record.ini"};
    ConfigImage image{};
    RecordingReporter reporter;
    MacroPage page{store, image, Language::English, reporter};
    MacroRecorder recorder{page, Language::English, reporter};
    int hooksInstalled = 0;
    int hooksRemoved = 0;
    int hookError = 0;
    std::string windowTitle;
};

TEST_F(MacroRecorderTest, RecordsKeysByNameWithFiftyMillisecondsBetween)
{
    struct Row {
        const char* what;
        std::function<void(MacroRecorderTest&)> keys;
        Entries recorded;
    };
    const Row rows[] = {
        {"A, B, release B, release A",
         [](MacroRecorderTest& t) {
             t.press(kKeyA);
             t.press(kKeyB);
             t.release(kKeyB);
             t.release(kKeyA);
         },
         {"A   Dn", "50 ms", "B   Dn", "50 ms", "B   Up", "50 ms", "A   Up"}},
        {"a held key repeats without new entries",
         [](MacroRecorderTest& t) {
             t.press(kKeyA);
             t.press(kKeyA, true);
             t.release(kKeyA, true);
             t.press(kKeyA, true);
             t.release(kKeyA);
         },
         {"A   Dn", "50 ms", "A   Up"}},
        // The X server repeats a held key as a release and a press at one
        // time, not always flagged; a press of a key that is down is a repeat.
        {"repeats without their flag",
         [](MacroRecorderTest& t) {
             t.press(kKeyA, false, 100);
             t.press(kKeyA, false, 130);
             for (int time : {600, 633}) {
                 t.release(kKeyA, false, time);
                 t.press(kKeyA, false, time);
             }
             t.release(kKeyA, false, 1400);
             t.press(kKeyA, false, 1450); // a second stroke
             t.release(kKeyA, false, 1500);
         },
         {"A   Dn", "50 ms", "A   Up", "50 ms", "A   Dn", "50 ms", "A   Up"}},
        // A release is no first event: the first press still comes without a pause.
        {"a key held since before the start",
         [](MacroRecorderTest& t) {
             t.release(kKeyLeftCtrl);
             t.press(kKeyB);
         },
         {"50 ms", "Ctrl   Up", "B   Dn"}},
        // Keys past the name table carry Linux's name (and code 0 in the block).
        {"F13, a media key and one without a name",
         [](MacroRecorderTest& t) { t.press(183), t.release(183), t.press(113), t.press(250); },
         {"F13   Dn", "50 ms", "F13   Up", "50 ms", "Mute   Dn", "50 ms", "Key 250   Dn"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        recorder.start();
        row.keys(*this);
        EXPECT_EQ(page.events(), row.recorded);
        EXPECT_EQ(page.selectedEvent(), static_cast<int>(row.recorded.size()) - 1);
        recorder.stop();
    }
    EXPECT_EQ(keyCodeOfName("F13"), 0);
    // Recording changes no file.
    EXPECT_EQ(store.load("Keys"), (Entries{"Z   Dn", "50 ms", "Z   Up"}));
}

TEST_F(MacroRecorderTest, StartAndStopMessagesAndTheRecordingFlag)
{
    // Stop before any start.
    recorder.stop();
    EXPECT_EQ(reporter.messages,
              (std::vector<Message>{{"Stop Recording", "Varcel"},
                                    {"It doesn\u2019t start recording, unnecessary to press Stop key!", "Warning"}}));

    reporter.messages.clear();
    recorder.start();
    EXPECT_EQ(reporter.messages, (std::vector<Message>{{"Start Recording", "Varcel"}}));
    EXPECT_TRUE(page.events().empty()); // the old list is gone at once
    EXPECT_TRUE(recorder.isHookInstalled());
    EXPECT_EQ(windowTitle, "Press Ctrl+Break key to stop recording");
    press(kKeyA);

    // A second start begins again with an empty list and a fresh first event.
    recorder.start();
    EXPECT_EQ(hooksRemoved, 1);
    EXPECT_EQ(hooksInstalled, 2);
    EXPECT_TRUE(page.events().empty());
    press(kKeyB);
    EXPECT_EQ(page.events(), Entries{"B   Dn"});

    reporter.messages.clear();
    recorder.stop();
    recorder.stop(); // the flag stays set: only the Stop box
    EXPECT_EQ(reporter.messages, (std::vector<Message>{{"Stop Recording", "Varcel"}, {"Stop Recording", "Varcel"}}));
    EXPECT_EQ(hooksRemoved, 2);
    EXPECT_FALSE(recorder.isHookInstalled());
    EXPECT_EQ(windowTitle, "Press Ctrl+Break key to stop recording"); // kept after stopping

    // Keys after the stop are not recorded.
    press(kKeyA);
    EXPECT_EQ(page.events(), Entries{"B   Dn"});
}

TEST_F(MacroRecorderTest, RefusalsAndFailures)
{
    // An empty macro list: nothing starts.
    page.deleteMacro(); // "Keys", the only macro
    page.build();
    ASSERT_TRUE(page.macros().empty());
    reporter.messages.clear();
    recorder.start();
    EXPECT_EQ(reporter.messages, (std::vector<Message>{{"Macro name is blank", "Warning"}}));
    EXPECT_EQ(hooksInstalled, 0);

    // With no macro selected (the list not empty) recording starts but adds nothing.
    ASSERT_TRUE(store.save("Listed", {"A   Dn"}));
    page.build();
    page.setNameText("Second");
    ASSERT_TRUE(page.newMacro());
    page.deleteMacro(); // the list is not empty, but nothing is selected
    ASSERT_EQ(page.selectedMacro(), MacroPage::kNone);
    recorder.start();
    EXPECT_TRUE(recorder.isHookInstalled());
    press(kKeyA);
    release(kKeyA);
    EXPECT_TRUE(page.events().empty());
    recorder.leavePage();
    EXPECT_FALSE(recorder.isHookInstalled());

    // A hook that cannot be installed: the error number is shown, the list is already empty.
    RecordingReporter other;
    MacroPage freshPage(store, image, Language::SimplifiedChinese, other);
    freshPage.build();
    MacroRecorder fresh(freshPage, Language::SimplifiedChinese, other);
    fresh.installHook = [] { return 13; };
    fresh.start();
    EXPECT_EQ(other.messages,
              (std::vector<Message>{{"开始录制", "Varcel"}, {"JournalRecordHook Install error code :13\n", "Varcel"}}));
    EXPECT_FALSE(fresh.isHookInstalled());
    EXPECT_FALSE(fresh.hasRecorded());
    EXPECT_TRUE(freshPage.events().empty());
    fresh.stop();
    EXPECT_EQ(other.messages.back(),
              (Message{"没有开始录制,点击停止录制按钮没有意义！", "Warning"}));
}

} // namespace
} // namespace varcel
