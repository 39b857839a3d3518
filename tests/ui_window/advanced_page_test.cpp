// The advanced page as a user meets it, under Qt's offscreen platform: the
// macro lists and fields, the mouse-event list, the delay dialog, recording
// with key events as X11 delivers them, and the pointer block against a
// stored desktop. Screenshots of the page with macros and a recording in
// progress, in both skins and all three languages, go to build/screenshots.
#include "device/sim/sim_backend.h"
#include "device/sim/sim_mouse.h"
#include "macros/macro_encoder.h"
#include "support/temp_dir.h"
#include "ui/advanced_page.h"
#include "ui/dialogs/delay_time_dialog.h"
#include "ui/main_window.h"
#include "dialog_test_support.h"
#include "key_events.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "lang/dialog_strings.h"

#include <QAccessible>

#include <gtest/gtest.h>

#include <fstream>

namespace varcel::ui {
namespace {

using Entries = std::vector<std::string>;

QPoint centre(Element e)
{
    const Rect r = rect(e);
    return {r.x + r.w / 2, r.y + r.h / 2};
}

// Answers every message box with OK while it lives, and keeps what they said.
class BoxAnswerer {
public:
    BoxAnswerer()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                said.push_back({box->text().toStdString(), box->windowTitle().toStdString()});
                box->accept();
            }
        });
        m_timer.start();
    }
    std::vector<RecordingReporter::Message> said;

private:
    QTimer m_timer;
};

struct Start {
    Language language = Language::English;
    const char* skin = "Dark";
    std::string recordIni = {};
    std::string desktop = {}; // pointer.ini of the stored desktop
};

class AdvancedPageTest : public ::testing::Test {
protected:
    ~AdvancedPageTest() override { window.reset(); }

    void start(const Start& how = {})
    {
        std::vector<std::uint8_t> file(kConfigFileSize, 0);
        file[0] = 1;
        config = std::move(file);
        test::writeBytes(dir / "config.bin", config);
        std::ofstream(dir / "str.ini") << "[Skins]\nPath=" << how.skin << "\n";
        if (!how.recordIni.empty())
            std::ofstream(dir / "record.ini") << how.recordIni;
        if (!how.desktop.empty())
            std::ofstream(dir / "desktop.ini") << how.desktop;
        std::filesystem::create_directories(dir / "Skins");
        for (const char* skin : {"Dark", "Light"})
            std::filesystem::create_directory_symlink(std::filesystem::path(VARCEL_SKINS_DIR) / skin,
                                                      dir / "Skins" / skin);
        CHidMouseDlg::Options options;
        options.dataDir = dir.path();
        options.language = how.language;
        window = std::make_unique<CHidMouseDlg>(options, backend);
        window->controller().usePointerSettings(std::make_unique<StoredPointerSettings>(dir / "desktop.ini"));
        window->startUp();
        window->trayActivated();
        ASSERT_TRUE(window->isVisible());
        click(Element::Page2Button);
        ASSERT_EQ(window->controller().currentPage(), varcel::Page::Advanced);
    }

    AdvancedPage& page() { return window->advancedPage(); }
    MacroPage& model() { return window->controller().macroPage(); }
    const ConfigImage& image() { return window->controller().config().working(); }
    void click(Element e) { QTest::mouseClick(window.get(), Qt::LeftButton, {}, centre(e)); }
    QStringList rows(QListWidget* list)
    {
        QStringList texts;
        for (int i = 0; list && i < list->count(); ++i)
            texts << list->item(i)->text();
        return texts;
    }
    // The entries as kept; the list shows them with single blanks.
    QStringList events()
    {
        QStringList kept;
        for (const std::string& entry : model().events())
            kept << QString::fromStdString(entry);
        return kept;
    }
    void clickRow(QListWidget* list, int row, Qt::MouseButton button = Qt::LeftButton)
    {
        ASSERT_NE(list, nullptr);
        ASSERT_LT(row, list->count());
        list->scrollToItem(list->item(row));
        QTest::mouseClick(list->viewport(), button, {}, list->visualItemRect(list->item(row)).center());
    }
    // The pointer resting on a row of the event list selects it.
    void hoverEvent(int row)
    {
        QListWidget* list = page().eventList();
        list->scrollToItem(list->item(row));
        test::hover(list->viewport(), list->visualItemRect(list->item(row)).center());
    }
    void insert(int mouseEvent)
    {
        click(Element::InsertFace);
        ASSERT_NE(page().mouseEventList(), nullptr);
        clickRow(page().mouseEventList(), mouseEvent);
        EXPECT_EQ(page().mouseEventList(), nullptr) << "the list closes after a choice";
    }
    void type(int qtKey, std::uint32_t evdev, const QString& text = {}) { test::tapKey(window.get(), qtKey, evdev, text); }
    void expectCanvasUpToDate(const std::string& after)
    {
        const QImage partial = window->canvas().copy();
        window->drawPage(varcel::Page::Advanced);
        EXPECT_TRUE(partial == window->canvas()) << "a click left the canvas stale: " << after;
    }
    void screenshot(const std::string& name)
    {
        // The lists and fields are widgets over the canvas: grab them too.
        test::saveScreenshot(window->grab().toImage(), name);
    }

    test::TempDir dir;
    std::vector<std::uint8_t> config;
    SimMouse mouse;
    SimBackend backend{mouse};
    std::unique_ptr<CHidMouseDlg> window;
};

constexpr std::uint32_t kEvdevB = 48;

TEST_F(AdvancedPageTest, RecordingTakesKeysFromTheKeyboardAndKeepsThemFromTheFields)
{
    BoxAnswerer boxes;
    start({.recordIni = "[Greeting]\nItemCount=1\nItem0=Z   Dn\n"});
    ASSERT_EQ(rows(page().macroList()), QStringList{"Greeting"});
    page().nameField()->setFocus();

    // A key held since before the start gives its release first.
    test::pressKey(window.get(), Qt::Key_A, test::evdev::kA, "a");
    click(Element::StartRecording);
    EXPECT_EQ(boxes.said.back().text, "Start Recording");
    EXPECT_EQ(boxes.said.back().caption, "Varcel");
    EXPECT_TRUE(page().isRecording());
    EXPECT_EQ(window->windowTitle(), "Press Ctrl+Break key to stop recording");
    EXPECT_TRUE(events().isEmpty()) << "a start empties the list";
    test::releaseKey(window.get(), Qt::Key_A, test::evdev::kA, "a");
    EXPECT_EQ(events(), (QStringList{"50 ms", "A   Up"}));

    // Start again: an empty list, and A, B, release B, release A.
    const Rect startButton = rect(Element::StartRecording);
    const QRect startArea(startButton.x, startButton.y, startButton.w, startButton.h);
    const QImage lit = window->canvas().copy(startArea);
    click(Element::StartRecording);
    expectCanvasUpToDate("a second start");
    const QString nameBefore = page().nameField()->text();
    test::pressKey(window.get(), Qt::Key_A, test::evdev::kA, "a");
    test::sendKey(window.get(), QEvent::KeyPress, Qt::Key_A, test::evdev::kA, Qt::NoModifier, "a", true);
    test::pressKey(window.get(), Qt::Key_B, kEvdevB, "b");
    test::releaseKey(window.get(), Qt::Key_B, kEvdevB, "b");
    test::releaseKey(window.get(), Qt::Key_A, test::evdev::kA, "a");
    EXPECT_EQ(events(), (QStringList{"A   Dn", "50 ms", "B   Dn", "50 ms", "B   Up", "50 ms", "A   Up"}));
    EXPECT_EQ(rows(page().eventList()), (QStringList{"A Dn", "50 ms", "B Dn", "50 ms", "B Up", "50 ms", "A Up"}));
    EXPECT_EQ(page().eventList()->currentRow(), 6) << "the last entry stays in view";
    EXPECT_EQ(page().nameField()->text(), nameBefore) << "recorded keys type nothing into the field";
    // Escape is a key to record, not the window's hide key.
    test::tapKey(window.get(), Qt::Key_Escape, test::evdev::kEsc);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(events().size(), 11);

    click(Element::StopRecording);
    EXPECT_EQ(boxes.said.back().text, "Stop Recording");
    EXPECT_FALSE(page().isRecording());
    EXPECT_NE(window->canvas().copy(startArea), lit) << "Start Recording is lit only while recording";
    expectCanvasUpToDate("stop");
    page().nameField()->setFocus();
    page().nameField()->end(false);
    test::tapKey(window.get(), Qt::Key_C, test::evdev::kC, "c");
    EXPECT_EQ(events().size(), 11) << "nothing is recorded after Stop";
    EXPECT_EQ(page().nameField()->text(), nameBefore + "c") << "keys reach the fields again";

    // Leaving the page ends a recording; coming back shows record.ini again.
    click(Element::StartRecording);
    ASSERT_TRUE(page().isRecording());
    click(Element::Page1Button);
    EXPECT_FALSE(window->controller().recorder().isHookInstalled());
    EXPECT_EQ(page().eventList(), nullptr) << "the page's controls go with it";
    click(Element::Page2Button);
    EXPECT_EQ(events(), QStringList{"Z   Dn"}) << "unsaved recordings are dropped";

    // Hiding the window ends it too.
    click(Element::StartRecording);
    click(Element::MinimiseButton);
    EXPECT_FALSE(window->controller().recorder().isHookInstalled());
}

TEST_F(AdvancedPageTest, RecordingRefusalsSayWhyWithTheirCaptions)
{
    BoxAnswerer boxes;
    start();
    click(Element::StopRecording);
    using M = RecordingReporter::Message;
    EXPECT_EQ(boxes.said, (std::vector<M>{{"Stop Recording", "Varcel"},
                                          {"It doesn’t start recording, unnecessary to press Stop key!", "Warning"}}));
    click(Element::StartRecording);
    EXPECT_EQ(boxes.said.back(), (M{"Macro name is blank", "Warning"}));
    EXPECT_FALSE(page().isRecording());
}

TEST_F(AdvancedPageTest, NewDeleteAndConfirmFollowTheirRules)
{
    BoxAnswerer boxes;
    start({.recordIni = "[Fire]\nItemCount=3\nItem0=L-Button   Dn\nItem1=2000 ms\nItem2=L-Button   Up\n"});
    QLineEdit* name = page().nameField();
    EXPECT_EQ(name->text(), "Fire");
    EXPECT_EQ(page().macroList()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(page().eventList()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    using M = RecordingReporter::Message;
    QTest::keyClicks(name, "x");
    name->selectAll();
    QTest::keyClicks(name, "FIRE");
    click(Element::MacroNew);
    EXPECT_EQ(boxes.said.back(), (M{"Macro name already exists", "Varcel"}));
    name->clear();
    QTest::keyClicks(name, " ");
    name->selectAll();
    QTest::keyClick(name, Qt::Key_Backspace);
    click(Element::MacroNew);
    EXPECT_EQ(boxes.said.back(), (M{"Macro name is blank", "Varcel"}));

    // Eleven more, never confirmed, fill the list; the thirteenth is refused.
    for (int i = 2; i <= 12; ++i) {
        name->selectAll();
        QTest::keyClicks(name, QString("M%1").arg(i));
        click(Element::MacroNew);
    }
    EXPECT_EQ(page().macroList()->count(), 12);
    EXPECT_EQ(page().macroList()->currentRow(), 11);
    name->selectAll();
    QTest::keyClicks(name, "M13");
    click(Element::MacroNew);
    EXPECT_EQ(boxes.said.back(), (M{"Macro numbers up to 12.", "Warning"}));
    EXPECT_EQ(page().macroList()->count(), 12);

    // The name field keeps to its width: it never scrolls sideways.
    name->clear();
    QTest::keyClicks(name, QString(40, 'W'));
    EXPECT_LT(name->text().size(), 40);
    EXPECT_LE(QFontMetrics(name->font()).horizontalAdvance(name->text()), name->contentsRect().width());

    // Confirm with an empty list saves ItemCount=0 and clears the whole block.
    clickRow(page().macroList(), 0);
    const std::size_t blocks = boxes.said.size();
    click(Element::StartRecording); // empties the list of Fire
    click(Element::StopRecording);
    click(Element::MacroConfirm);
    EXPECT_EQ(boxes.said.size(), blocks + 2) << "Confirm says nothing";
    EXPECT_NE(test::readBytes(dir / "record.ini").size(), 0u);
    std::ifstream ini(dir / "record.ini");
    const std::string text((std::istreambuf_iterator<char>(ini)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "[Fire]\nItemCount=0\n");
    for (std::size_t i = 0; i < kMacroBlockSize; ++i)
        ASSERT_EQ(image()[img::macroBlock(1) + i], 0) << i;

    // Delete: the line and the section go, nothing else is selected; a
    // Confirm without a selection then does nothing.
    click(Element::MacroDelete);
    EXPECT_EQ(page().macroList()->count(), 11);
    EXPECT_EQ(page().macroList()->currentRow(), -1);
    EXPECT_EQ(name->text(), "");
    click(Element::MacroConfirm);
    std::ifstream after(dir / "record.ini");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(after)), std::istreambuf_iterator<char>()), "");
}

TEST_F(AdvancedPageTest, MouseEventsLandAfterTheSelectedEntry)
{
    BoxAnswerer boxes;
    start({.recordIni = "[Empty]\nItemCount=0\n[Keys]\nItemCount=3\nItem0=A   Dn\nItem1=50 ms\nItem2=A   Up\n"});
    // An empty list takes nothing; the face shows the choice.
    insert(0);
    EXPECT_TRUE(events().isEmpty());
    EXPECT_EQ(model().insertFace(), "L-Button Click");
    expectCanvasUpToDate("the face after a choice");

    clickRow(page().macroList(), 1);
    ASSERT_EQ(events(), (QStringList{"A   Dn", "50 ms", "A   Up"}));
    // After an event, a click: pause, press, pause, release; the press selected.
    hoverEvent(0);
    insert(0);
    EXPECT_EQ(events(), (QStringList{"A   Dn", "50 ms", "L-Button   Dn", "50 ms", "L-Button   Up", "50 ms",
                                     "A   Up"}));
    EXPECT_EQ(page().eventList()->currentRow(), 2);
    // After a pause, a single event and its pause; the event selected.
    hoverEvent(1);
    insert(5); // "R-Button   Dn"
    EXPECT_EQ(events(), (QStringList{"A   Dn", "50 ms", "R-Button   Dn", "50 ms", "L-Button   Dn", "50 ms",
                                     "L-Button   Up", "50 ms", "A   Up"}));
    EXPECT_EQ(page().eventList()->currentRow(), 2);

    // The list opens and closes on its face and closes on any other click.
    click(Element::InsertFace);
    ASSERT_NE(page().mouseEventList(), nullptr);
    EXPECT_EQ(rows(page().mouseEventList()).size(), 9);
    click(Element::InsertFace);
    EXPECT_EQ(page().mouseEventList(), nullptr);
    click(Element::InsertFace);
    click(Element::PointerDefault);
    EXPECT_EQ(page().mouseEventList(), nullptr);
    click(Element::InsertFace);
    QTest::mouseClick(page().loopField(), Qt::LeftButton);
    EXPECT_EQ(page().mouseEventList(), nullptr) << "a click into a field is a click beside the list";

    // The right-click menu deletes the entry under the pointer.
    QPoint asked;
    page().askDelete = [&](const QPoint& at) { asked = at; return true; };
    hoverEvent(3);
    page().eventListContextMenu(page().eventList()->visualItemRect(page().eventList()->item(3)).center());
    EXPECT_EQ(events().size(), 8);
    EXPECT_EQ(events()[3], "L-Button   Dn");
    EXPECT_EQ(boxes.said.size(), 0u);
}

TEST_F(AdvancedPageTest, ADoubleClickedPauseIsEditedThroughTheDelayDialog)
{
    start({.recordIni = "[Keys]\nItemCount=3\nItem0=A   Dn\nItem1=50 ms\nItem2=A   Up\n"});
    struct Row {
        const char* typed;
        bool ok;
        const char* entry;
    };
    for (const Row row : {Row{"20000", true, "50 ms"}, Row{"0050", true, "0050 ms"}, Row{"1270", true, "1270 ms"},
                          Row{"", true, "50 ms"}, Row{"300", false, "50 ms"}}) {
        const QString shown = events()[1].section(QLatin1Char(' '), 0, 0);
        test::driveNextDialog<CDelayTimeDialog>([&](CDelayTimeDialog& d) {
            EXPECT_EQ(d.field()->text(), shown) << "the dialog opens at the pause it edits";
            d.field()->clear();
            QTest::keyClicks(d.field(), row.typed);
            test::click(&d, row.ok ? d.okPoint() : d.cancelPoint());
        });
        page().eventListDoubleClicked(1);
        EXPECT_EQ(events()[1].toStdString(), row.entry) << row.typed;
        EXPECT_EQ(page().eventList()->currentRow(), 1) << row.typed;
    }
    // A double-click on an event opens nothing.
    bool opened = false;
    test::driveNextDialog<CDelayTimeDialog>([&](CDelayTimeDialog&) { opened = true; }, nullptr, 20);
    page().eventListDoubleClicked(0);
    QTest::qWait(150);
    EXPECT_FALSE(opened);
}

TEST_F(AdvancedPageTest, TheLoopFieldCorrectsItselfAndWritesTheBlock)
{
    BoxAnswerer boxes;
    start({.recordIni = "[One]\nItemCount=1\nItem0=A   Dn\n[Two]\nItemCount=1\nItem0=B   Dn\n"});
    // Block 1's loop count was 0: the field shows 1 and the block holds 1.
    QLineEdit* loop = page().loopField();
    EXPECT_EQ(loop->text(), "1");
    EXPECT_EQ(loopCount(image(), 1), 1);

    clickRow(page().macroList(), 1);
    loop->selectAll();
    QTest::keyClicks(loop, "250");
    EXPECT_EQ(loopCount(image(), 2), 250);
    loop->selectAll();
    QTest::keyClick(loop, Qt::Key_Backspace);
    EXPECT_EQ(loop->text(), "1") << "a cleared field is 1 at once";
    EXPECT_EQ(loopCount(image(), 2), 1);
    QTest::keyClicks(loop, "x0");
    EXPECT_EQ(loop->text(), "10") << "letters never get in";
    EXPECT_EQ(loopCount(image(), 2), 10);
    loop->selectAll();
    QTest::keyClicks(loop, "70000");
    EXPECT_EQ(loop->text(), "1");
    EXPECT_EQ(loopCount(image(), 1), 1) << "block 1 untouched";
}

TEST_F(AdvancedPageTest, PointerBlockReadsTheDesktopAndAppliesOnOkAndApply)
{
    start({.desktop = "[Pointer]\nSpeed=10\nOneScreen=1\nWheelScrollLines=5\nDoubleClickTime=500\n"
                      "MouseParameters=0,0,0\n"});
    PointerPage& pointer = window->controller().pointer();
    EXPECT_EQ(pointer.position(PointerSlider::Speed), 6);
    EXPECT_EQ(pointer.position(PointerSlider::Lines), 0);
    EXPECT_TRUE(pointer.oneScreen());
    EXPECT_FALSE(pointer.precision());
    EXPECT_EQ(pointer.position(PointerSlider::DoubleClick), 6);

    StoredPointerSettings desktop(dir / "desktop.ini");
    struct Row {
        Element segment;
        int speed;
    };
    for (const Row row : {Row{pointerSegment(0, 0), 1}, Row{pointerSegment(0, 10), 20}, Row{pointerSegment(0, 5), 10}}) {
        click(row.segment);
        expectCanvasUpToDate(name(row.segment).data());
        click(Element::Apply);
        EXPECT_EQ(desktop.speed(), row.speed);
        EXPECT_EQ(desktop.wheelScrollLines(), kWheelPageScroll) << "one screen, whatever the slider";
        EXPECT_EQ(desktop.doubleClickTime(), 550u) << "500 ms read as position 6 comes back as 550";
    }
    click(Element::OneScreenBox);
    click(pointerSegment(1, 6));
    click(Element::PrecisionBox);
    click(pointerSegment(2, 10));
    expectCanvasUpToDate("boxes and sliders");
    click(Element::Ok);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(desktop.wheelScrollLines(), 7u);
    EXPECT_EQ(desktop.mouseParameters(), kPrecisionOn);
    EXPECT_EQ(desktop.doubleClickTime(), 200u);

    // "Default" reaches the desktop at once; Cancel takes back only the page.
    window->trayActivated();
    click(Element::PointerDefault);
    expectCanvasUpToDate("Default");
    EXPECT_EQ(desktop.doubleClickTime(), 500u);
    click(Element::Cancel);
    EXPECT_EQ(desktop.doubleClickTime(), 500u);
    EXPECT_EQ(desktop.speed(), 10);
    EXPECT_EQ(desktop.mouseParameters(), kPrecisionOff);
    window->trayActivated();
    EXPECT_EQ(window->controller().pointer().position(PointerSlider::DoubleClick), 11) << "the page as applied";
}

TEST_F(AdvancedPageTest, ApplyWithoutTheMouseLeavesTheDesktopAlone)
{
    BoxAnswerer boxes;
    start({.desktop = "[Pointer]\nSpeed=4\n"});
    window->controller().pointer().setPosition(PointerSlider::Speed, 11);
    mouse.unplug();
    window->controller().hotplug({{HotplugEvent::Action::Removal, "sim"}});
    window->controller().apply();
    EXPECT_EQ(StoredPointerSettings(dir / "desktop.ini").speed(), 4);
    mouse.plug();
    window->controller().hotplug({{HotplugEvent::Action::Arrival, "sim"}});
    window->controller().apply();
    EXPECT_EQ(StoredPointerSettings(dir / "desktop.ini").speed(), 20);
}

TEST_F(AdvancedPageTest, TheKeyboardGoesThroughThePageInReadingOrderAndWorksIt)
{
    start({Language::English, "Dark", "[one]\nItemCount=1\nItem0=A   Dn\n[two]\nItemCount=0\n"});
    // The click on the page button left the focus there.
    const std::vector<Element> expected{
        Element::SkinButton,     Element::MinimiseButton, Element::CloseButton,   pointerSegment(0, 0),
        pointerSegment(1, 0),    Element::OneScreenBox,   pointerSegment(2, 0),   Element::PrecisionBox,
        Element::PointerDefault, Element::MacroList,      Element::MacroNameEdit, Element::LoopEdit,
        Element::StartRecording, Element::StopRecording,  Element::MacroNew,      Element::MacroDelete,
        Element::InsertFace,     Element::EventList,      Element::MacroConfirm,  Element::Ok,
        Element::Apply,          Element::Cancel,         Element::Page1Button,   Element::Page2Button};
    std::vector<Element> visited;
    // Tab goes on from a field the focus is in, as from a drawn element.
    const auto key = [&](Qt::Key k) {
        QTest::keyClick(window->focusWidget() ? window->focusWidget() : window.get(), k);
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        key(Qt::Key_Tab);
        visited.push_back(window->focusElement());
    }
    EXPECT_EQ(visited, expected);
    // A screen reader finds the same stops, the fields and lists as themselves.
    QAccessibleInterface* canvas = QAccessible::queryAccessibleInterface(window.get());
    ASSERT_EQ(canvas->childCount(), static_cast<int>(expected.size()) + 3) << "three headings first";
    EXPECT_EQ(canvas->child(15)->role(), QAccessible::EditableText);
    EXPECT_EQ(canvas->child(15)->text(QAccessible::Name), "Macro Name");
    EXPECT_EQ(canvas->child(9)->role(), QAccessible::Slider);
    EXPECT_EQ(canvas->child(9)->text(QAccessible::Name), "Scrolling Speed");

    // Arrows move a slider and go along the macro list; a field takes the typing.
    while (window->focusElement() != pointerSegment(1, 0))
        key(Qt::Key_Tab);
    const int lines = window->controller().pointer().position(PointerSlider::Lines);
    QTest::keyClick(window.get(), Qt::Key_Right);
    EXPECT_EQ(window->controller().pointer().position(PointerSlider::Lines), std::min(lines + 1, 11));
    QTest::keyClick(window.get(), Qt::Key_Left);
    QTest::keyClick(window.get(), Qt::Key_Left);
    EXPECT_EQ(window->controller().pointer().position(PointerSlider::Lines), std::max(lines - 1, 1));
    while (window->focusElement() != Element::MacroList)
        QTest::keyClick(window.get(), Qt::Key_Tab);
    QTest::keyClick(window.get(), Qt::Key_Down);
    QTest::keyClick(window.get(), Qt::Key_Down);
    EXPECT_EQ(model().selectedMacro(), 1);
    QTest::keyClick(window.get(), Qt::Key_Up);
    EXPECT_EQ(model().selectedMacro(), 0);
    key(Qt::Key_Tab);
    ASSERT_EQ(window->focusWidget(), page().nameField());
    QTest::keyClicks(page().nameField(), "x");
    EXPECT_EQ(model().nameText(), "onex");

    // The mouse-event list: opened with Space, Down, Enter inserts after
    // the entry chosen with Down in the event list.
    while (window->focusElement() != Element::EventList)
        key(Qt::Key_Tab);
    QTest::keyClick(window.get(), Qt::Key_Down);
    EXPECT_EQ(model().selectedEvent(), 0);
    QTest::keyClick(window.get(), Qt::Key_Backtab);
    ASSERT_EQ(window->focusElement(), Element::InsertFace);
    QTest::keyClick(window.get(), Qt::Key_Space);
    ASSERT_NE(page().mouseEventList(), nullptr);
    QTest::keyClick(window.get(), Qt::Key_Down);
    QTest::keyClick(window.get(), Qt::Key_Return);
    EXPECT_EQ(page().mouseEventList(), nullptr);
    EXPECT_EQ(model().insertFace(), text::kMouseEvents[0]);
    EXPECT_GT(events().size(), 1);

    // A screen reader hears entries as words, with the list's menu and double-click as actions.
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(page().eventList());
    ASSERT_EQ(list->childCount(), events().size());
    EXPECT_EQ(list->child(0)->text(QAccessible::Name), "A down");
    EXPECT_EQ(list->child(1)->text(QAccessible::Name), "pause of 50 milliseconds");
    EXPECT_EQ(list->child(1)->actionInterface()->actionNames(),
              (QStringList{QAccessibleActionInterface::pressAction(), "editPause", "deleteEntry"}));
    const auto before = events().size();
    list->child(0)->actionInterface()->doAction("deleteEntry");
    QCoreApplication::processEvents();
    EXPECT_EQ(events().size(), before - 1);
}

TEST_F(AdvancedPageTest, ScreenshotsWithMacrosAndARecordingInBothSkinsAndAllLanguages)
{
    const std::pair<Language, const char*> languages[] = {
        {Language::English, "en"}, {Language::SimplifiedChinese, "zh_CN"}, {Language::TraditionalChinese, "zh_TW"}};
    for (const char* skin : {"Dark", "Light"}) {
        for (const auto& [language, tag] : languages) {
            window.reset();
            std::filesystem::remove_all(dir / "Skins");
            BoxAnswerer boxes;
            start({.language = language,
                   .skin = skin,
                   .recordIni = "[Greeting]\nItemCount=3\nItem0=H   Dn\nItem1=50 ms\nItem2=H   Up\n"
                                "[Fire]\nItemCount=3\nItem0=L-Button   Dn\nItem1=2000 ms\nItem2=L-Button   Up\n"
                                "[Reload]\nItemCount=1\nItem0=R   Dn\n"});
            clickRow(page().macroList(), 1);
            click(Element::StartRecording);
            ASSERT_TRUE(page().isRecording());
            for (const auto& [qtKey, evdev] : {std::pair{Qt::Key_Control, test::evdev::kLeftCtrl},
                                               std::pair{Qt::Key_A, test::evdev::kA}}) {
                test::pressKey(window.get(), qtKey, evdev);
            }
            test::releaseKey(window.get(), Qt::Key_A, test::evdev::kA);
            test::releaseKey(window.get(), Qt::Key_Control, test::evdev::kLeftCtrl);
            EXPECT_EQ(events().size(), 7);
            screenshot(std::string("advanced-page-recording-") + skin + "-" + tag);
            if (language == Language::English) {
                click(Element::InsertFace);
                screenshot(std::string("advanced-page-mouse-events-") + skin);
                click(Element::InsertFace);
            }
            // Without macros both lists say what to do.
            window.reset();
            std::filesystem::remove(dir / "record.ini");
            std::filesystem::remove_all(dir / "Skins");
            start({.language = language, .skin = skin});
            for (QListWidget* list : {page().macroList(), page().eventList()}) {
                ASSERT_NE(list->findChild<QLabel*>(), nullptr);
                EXPECT_TRUE(list->findChild<QLabel*>()->isVisible());
            }
            screenshot(std::string("advanced-page-empty-") + skin + "-" + tag);
        }
    }
}

} // namespace
} // namespace varcel::ui

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
