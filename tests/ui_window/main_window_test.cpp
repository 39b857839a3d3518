// The window as a user meets it, under Qt's offscreen platform: clicks land
// where the layout table says, message boxes are answered, and what the
// window draws is checked in its canvas. Screenshots go to build/screenshots.
#include "device/sim/sim_backend.h"
#include "device/sim/sim_mouse.h"
#include "support/temp_dir.h"
#include "ui/key_page.h"
#include "ui/main_window.h"
#include "ui/skins_dialog.h"
#include "ui/dialogs/single_dialog.h"
#include "dialog_test_support.h"
#include "key_events.h"

#include <QAccessible>
#include <QApplication>

#include <fstream>
#include <QColorDialog>
#include <QHelpEvent>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPixmapCache>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <gtest/gtest.h>

namespace varcel::ui {
namespace {

QPoint centre(Element e)
{
    const Rect r = rect(e);
    return {r.x + r.w / 2, r.y + r.h / 2};
}

// Answers the next message box with OK and remembers what it said.
struct MessageBoxAnswer {
    MessageBoxAnswer()
    {
        QTimer::singleShot(0, [this] { answer(); });
    }
    void answer()
    {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text().toStdString();
            caption = box->windowTitle().toStdString();
            button = box->buttons().front()->text().toStdString();
            test::saveScreenshot(box->grab().toImage(), std::string("message-box-") + (button == "OK" ? "en" : "zh"));
            box->accept();
            return;
        }
        if (++tries < 200)
            QTimer::singleShot(5, [this] { answer(); });
    }
    std::string text;
    std::string caption;
    std::string button;
    int tries = 0;
};

class Window : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::vector<std::uint8_t> file(kConfigFileSize, 0);
        file[0] = 1;
        const std::uint8_t kinds[12] = {0, 1, 2, 3, 4, 6, 15, 15, 15, 15, 15, 15};
        for (std::size_t slot = 0; slot < 12; ++slot) {
            file[1 + img::at(Layer::A, img::LayerArray::Kind, slot)] = kinds[slot];
            file[1 + img::at(Layer::B, img::LayerArray::Kind, slot)] = kinds[slot];
        }
        file[1 + img::dpiSwitch(Layer::A, 5)] = 3;
        file[1 + img::kReportRate] = 1;
        test::writeBytes(dir / "config.bin", file);
        std::ofstream labels(dir / "str.ini");
        labels << "[Setting-EN]\nItem1=Left Click\nItem2=Right Click\nItem3=Mid Click\nItem4=Forward\n"
                  "Item5=Backward\nItem6=DPI Loop\nItem13=Left Click\nItem23=Right Click\nItem33=Mid Click\n"
                  "Item43=Forward\nItem53=Backward\nItem63=DPI Loop\n";
        labels.close();
        std::filesystem::create_directories(dir / "Skins");
        for (const char* skin : {"Dark", "Light"})
            std::filesystem::create_directory_symlink(std::filesystem::path(VARCEL_SKINS_DIR) / skin,
                                                      dir / "Skins" / skin);
        test::writeBytes(dir / "Skins" / "not-a-skin.txt", {'x'});
        start();
    }
    // A start of the program on the data folder, as after a restart.
    void start(Language language = Language::English)
    {
        window.reset();
        CHidMouseDlg::Options options;
        options.dataDir = dir.path();
        options.language = language;
        options.trayAvailable = true;
        window = std::make_unique<CHidMouseDlg>(options, backend);
        window->startUp();
        window->trayActivated();
    }
    // The skin button, a skin chosen from the list, a colour when given, OK.
    void chooseSkin(const QString& name, std::optional<QColor> colour)
    {
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<CSkinsDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            const DialogLayout& l = dialogLayout(Dialog::Skins);
            QTest::mouseClick(dialog, Qt::LeftButton, {}, QPoint(l.face.x + 5, l.face.y + 5));
            QListWidget* list = dialog->skinList();
            ASSERT_NE(list, nullptr);
            EXPECT_EQ(list->count(), 2) << "only the folders Dark and Light are skins";
            test::saveScreenshot(dialog->grab().toImage(),
                                 "skin-dialog-list-" + window->skin().folder().filename().string());
            const auto found = list->findItems(name, Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found[0]).center());
            EXPECT_EQ(dialog->skinName(), name.toStdString());
            if (colour) {
                dialog->chooseColour = [&, shown = dialog->colour()](const QColor& initial) {
                    EXPECT_EQ(initial, shown) << "the chooser opens at the swatch's colour";
                    return colour;
                };
                QTest::mouseClick(dialog, Qt::LeftButton, {}, QPoint(l.swatch.x + 2, l.swatch.y + 2));
            }
            test::saveScreenshot(dialog->grab().toImage(), "skin-dialog-" + name.toStdString());
            QTest::mouseClick(dialog, Qt::LeftButton, {}, QPoint(l.ok.x + 5, l.ok.y + 5));
        });
        click(Element::SkinButton);
    }
    void TearDown() override
    {
        window.reset();
    }
    void click(Element e) { QTest::mouseClick(window.get(), Qt::LeftButton, {}, centre(e)); }
    void clickFunctionRow(int row)
    {
        QListWidget* list = window->keyPage().functionList();
        ASSERT_NE(list, nullptr);
        const QRect r = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    }
    const ConfigImage& image() { return window->controller().config().working(); }
    std::uint8_t kind(Layer layer, std::size_t slot) { return image()[img::at(layer, img::LayerArray::Kind, slot)]; }
    void screenshot(const std::string& name)
    {
        test::saveScreenshot(window->canvas(), name);
    }

    test::TempDir dir;
    SimMouse mouse;
    SimBackend backend{mouse};
    std::unique_ptr<CHidMouseDlg> window;
};

TEST_F(Window, OneRequestThroughTheWindowGivesBoxThreeTheSingleKeyF5)
{
    ASSERT_TRUE(window->isVisible());
    EXPECT_EQ(window->canvas().size(), QSize(kWindowWidth, kWindowHeight));
    click(dropdownBox(2));
    ASSERT_NE(window->keyPage().functionList(), nullptr);
    EXPECT_EQ(window->keyPage().functionList()->count(), 16);
    EXPECT_EQ(window->keyPage().functionList()->item(11)->text(), "Single Key");
    screenshot("key-page-function-list");

    // Cancelled: the middle button stays what it was.
    test::driveNextDialog<CSingleDialog>([](CSingleDialog& d) {
        test::tapKey(&d, Qt::Key_F5, test::evdev::kF5);
        test::click(&d, d.cancelPoint());
    });
    clickFunctionRow(11);
    EXPECT_EQ(window->controller().buttons().label(2), "Mid Click") << "a cancelled dialog keeps the label";
    EXPECT_EQ(kind(Layer::A, 2), 2) << "and the function";
    EXPECT_EQ(window->keyPage().functionList(), nullptr) << "the list closes";

    click(dropdownBox(2));
    bool shown = false;
    test::driveNextDialog<CSingleDialog>(
        [this](CSingleDialog& d) {
            EXPECT_EQ(d.parentWidget()->window()->windowTitle(), "Varcel") << "the dialog sits over the window";
            EXPECT_FALSE(window->keyPage().functionList()->isVisible()) << "no row stays lit behind the dialog";
            test::tapKey(&d, Qt::Key_F5, test::evdev::kF5);
            test::click(&d, d.okPoint());
        },
        &shown);
    clickFunctionRow(11);
    EXPECT_TRUE(shown);
    EXPECT_EQ(window->controller().buttons().label(2), "Single Key-F5");
    click(Element::Apply);
    // Slot 2 of key matrix 1: 0x00 0x00 0x3E 0x00.
    const auto matrix = mouse.memory().keyMatrices[0];
    EXPECT_EQ(std::vector<std::uint8_t>(matrix.begin() + 8, matrix.begin() + 12),
              (std::vector<std::uint8_t>{0x00, 0x00, 0x3E, 0x00}));
    screenshot("key-page-single-key-f5");
}

TEST_F(Window, LeftKeyRuleRefusesToOpenTheOnlyLeftClick)
{
    MessageBoxAnswer answer;
    click(dropdownBox(0));
    EXPECT_EQ(answer.text, "Left key must be selected!");
    EXPECT_EQ(answer.caption, "Warning");
    EXPECT_EQ(window->keyPage().functionList(), nullptr);
    // The toolkit's own button speaks the window's language.
    start(Language::SimplifiedChinese);
    MessageBoxAnswer chinese;
    click(dropdownBox(0));
    EXPECT_EQ(chinese.button, "确定");
}

TEST_F(Window, ModeBEditsLayerBAndDefaultKeepsModeB)
{
    click(Element::ModeB);
    EXPECT_EQ(image()[img::kLayerShown], 1);
    click(dropdownBox(1));
    clickFunctionRow(15); // "Key Off"
    EXPECT_EQ(kind(Layer::B, 1), 15);
    EXPECT_EQ(kind(Layer::A, 1), 1) << "Mode A is untouched";
    EXPECT_EQ(window->controller().buttons().label(1), "Key Off");

    click(Element::KeyDefault);
    EXPECT_EQ(kind(Layer::B, 1), 1);
    EXPECT_EQ(image()[img::kLayerShown], 1) << "Default keeps the shown layer";
    screenshot("key-page-mode-b");
}

TEST_F(Window, DpiSwitchIsChosenInTheOptionListBesideItsRow)
{
    click(dropdownBox(3));
    QListWidget* list = window->keyPage().functionList();
    ASSERT_NE(list, nullptr);
    QTest::mouseMove(list->viewport(), list->visualItemRect(list->item(6)).center());
    emit list->itemEntered(list->item(6));
    ASSERT_NE(window->keyPage().dpiOptionList(), nullptr);
    const Rect expected = dpiOptionListRect(3);
    EXPECT_EQ(window->keyPage().dpiOptionList()->geometry(), QRect(expected.x, expected.y, expected.w, expected.h));
    QListWidget* options = window->keyPage().dpiOptionList();
    // The row under the pointer is lit, as in the function list.
    for (int row : {2, 0}) {
        emit options->itemEntered(options->item(row));
        EXPECT_EQ(options->currentRow(), row);
        EXPECT_EQ(window->controller().buttons().selectedDpiRow(), row);
    }
    QTest::mouseClick(options->viewport(), Qt::LeftButton, {}, options->visualItemRect(options->item(1)).center());
    EXPECT_EQ(kind(Layer::A, 3), 6);
    EXPECT_EQ(image()[img::dpiSwitch(Layer::A, 3)], 2);
    EXPECT_EQ(window->controller().buttons().label(3), "DPI -");
}

TEST_F(Window, CancelRestoresAndTheNextTrayClickRebuildsThePage)
{
    click(Element::ModeB);
    click(Element::Cancel);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(image()[img::kLayerShown], 0);
    const QImage hidden = window->canvas();
    window->trayActivated();
    EXPECT_TRUE(window->isVisible());
    EXPECT_NE(window->canvas(), hidden) << "the page is drawn again from the restored image";
    // Mode A is lit again: its pixels show the "over" image.
    const Rect a = rect(Element::ModeA);
    const QImage lit = window->skin().image("button-over.png");
    EXPECT_EQ(window->canvas().pixel(a.x + 2, a.y + a.h / 2), lit.pixel(2, a.h / 2));
}

// Each element lights under the pointer; moving on to the next, or off to
// the background, leaves it as a fresh drawing has it.
TEST_F(Window, HoverLightsOneElementAndRestoresTheOther)
{
    const QPoint empty(kWindowWidth / 2, 75);
    const auto area = [](Element e) { return QRect(rect(e).x, rect(e).y, rect(e).w, rect(e).h); };
    for (const auto page : {Page::Key, Page::Advanced}) {
        click(page == Page::Key ? Element::Page1Button : Element::Page2Button);
        QTest::mouseMove(window.get(), empty);
        QTest::qWait(20);
        ASSERT_TRUE(window->hoveredElements().empty());
        const QImage fresh = window->canvas();
        Element before = Element::None;
        for (int i = 0; i <= kElementCount; ++i) {
            const auto e = i < kElementCount ? static_cast<Element>(i) : Element::None;
            if (e != Element::None && !isHoverable(e, page))
                continue;
            SCOPED_TRACE(std::string(name(e)));
            QTest::mouseMove(window.get(), e == Element::None ? empty : centre(e));
            QTest::qWait(30);
            EXPECT_EQ(window->hoveredElements(), e == Element::None ? std::set<Element>{} : std::set{e});
            // The button of the page shown is lit already, hovered or not.
            const Element shownPage = page == Page::Key ? Element::Page1Button : Element::Page2Button;
            if (e != Element::None) {
                EXPECT_EQ(window->canvas().copy(area(e)) != fresh.copy(area(e)), e != shownPage) << "lit";
            }
            if (before != Element::None) {
                EXPECT_TRUE(window->canvas().copy(area(before)) == fresh.copy(area(before))) << name(before);
            }
            before = e;
        }
    }
}

TEST_F(Window, StatusBalloonsSayWhatTheMouseDid)
{
    struct Row {
        StatusCode code;
        int value;
        const char* text;
        const char* title;
    };
    const Row rows[] = {
        {StatusCode::ReportRateChanged, 8, "Switch report rate into 125HZ", "Info"},
        {StatusCode::DpiStageChanged, 3, "Switch DPI into the third stage 250", "Info"},
        {StatusCode::KeyMatrixChanged, 1, "Switch to key matrix 1", "Info"},
        {StatusCode::MacroChanged, 12, "Switch to macro key12", "Info"},
        {StatusCode::Detected, 0, "The system detect the gaming mouse.", "Info"},
        {StatusCode::NotDetected, 0, "The system did not detect the gaming mouse!", "Warning"},
    };
    for (const Row& row : rows) {
        window->controller().deviceStatus(row.code, row.value);
        EXPECT_EQ(window->lastBalloon().text, row.text);
        EXPECT_EQ(window->lastBalloon().title, row.title);
    }
    const std::string before = window->lastBalloon().text;
    window->controller().deviceStatus(StatusCode::ReportRateChanged, 3);
    window->controller().deviceStatus(StatusCode::MacroChanged, 0);
    EXPECT_EQ(window->lastBalloon().text, before) << "values the mouse does not send show nothing";
}

TEST_F(Window, NotificationFromTheMouseReachesTheTray)
{
    mouse.notify(9, 4);
    for (int i = 0; i < 100 && window->lastBalloon().text != "Switch to macro key4"; ++i)
        QTest::qWait(10);
    EXPECT_EQ(window->lastBalloon().text, "Switch to macro key4");
}

TEST_F(Window, AdvancedPageFrameAndBackWithoutDuplicateBuilds)
{
    click(Element::Page2Button);
    EXPECT_EQ(window->controller().currentPage(), varcel::Page::Advanced);
    screenshot("advanced-page-dark");
    const QImage advanced = window->canvas();
    click(Element::Page2Button);
    EXPECT_EQ(window->canvas(), advanced);
    click(Element::Page1Button);
    EXPECT_EQ(window->controller().currentPage(), varcel::Page::Key);
    screenshot("key-page-dark");
    // The header's picture buttons are named when the pointer rests on them.
    for (const auto& [e, tip] : {std::pair{Element::Page2Button, "Advanced settings"}, {Element::SkinButton, "Skin"}}) {
        QHelpEvent help(QEvent::ToolTip, centre(e), window->mapToGlobal(centre(e)));
        QApplication::sendEvent(window.get(), &help);
        EXPECT_EQ(QToolTip::text(), tip);
    }
}

TEST_F(Window, SkinDialogChoosesTheSkinAndColourAndRedrawsAtOnce)
{
    const QRgb darkPixel = window->canvas().pixel(kWindowWidth / 2, 300);
    chooseSkin("Light", QColor(10, 20, 30));
    EXPECT_EQ(window->skin().folder().filename(), "Light");
    EXPECT_EQ(window->skin().textColour(), QColor(10, 20, 30));
    EXPECT_NE(window->canvas().pixel(kWindowWidth / 2, 300), darkPixel) << "the page is drawn from the new skin";
    std::ifstream in(dir / "str.ini");
    const std::string ini((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(ini.find("Path=Light"), std::string::npos) << ini;
    EXPECT_NE(ini.find("RColor=10"), std::string::npos) << ini;
    EXPECT_NE(ini.find("BColor=30"), std::string::npos) << ini;
    screenshot("key-page-light");
    click(Element::Page2Button);
    screenshot("advanced-page-light");

    // Back to Dark by keyboard: Tab to the skin button, Space; in the dialog
    // the face, Down into its list, Enter, Tab past the swatch to OK, Enter.
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CSkinsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(dialog);
        QStringList names;
        for (int i = 0; i < reader->childCount(); ++i)
            names << reader->child(i)->text(QAccessible::Name);
        EXPECT_EQ(names, (QStringList{"Skin", "Text colour", "OK", "Cancel", "Close"}));
        EXPECT_EQ(reader->child(0)->text(QAccessible::Value), "Light");
        QTest::keyClick(dialog, Qt::Key_Tab);
        QTest::keyClick(dialog, Qt::Key_Backtab);
        QTest::keyClick(dialog, Qt::Key_Down);
        ASSERT_NE(dialog->skinList(), nullptr);
        // The list opens at the skin in use, Light; Dark is above it.
        for (int i = 0; i < 4 && (dialog->skinList()->currentItem() == nullptr ||
                                  dialog->skinList()->currentItem()->text() != "Dark");
             ++i)
            QTest::keyClick(dialog, Qt::Key_Up);
        QTest::keyClick(dialog, Qt::Key_Return);
        EXPECT_EQ(dialog->skinName(), "Dark");
        QTest::keyClick(dialog, Qt::Key_Tab);
        QTest::keyClick(dialog, Qt::Key_Tab);
        test::saveScreenshot(dialog->grab().toImage(), "skin-dialog-focus-ok");
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    while (window->focusElement() != Element::SkinButton)
        QTest::keyClick(window.get(), Qt::Key_Tab);
    QTest::keyClick(window.get(), Qt::Key_Space);
    EXPECT_EQ(window->skin().folder().filename(), "Dark");

    // Qt's own colour chooser, in the skin's colours, at the swatch's colour (Dark's suggestion).
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CSkinsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        test::saveScreenshot(dialog->grab().toImage(), "skin-dialog-dark");
        QTimer::singleShot(0, [dialog] {
            auto* chooser = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(chooser, nullptr);
            EXPECT_EQ(chooser->currentColor(), dialog->colour());
            test::saveScreenshot(chooser->grab().toImage(), "colour-chooser-dark");
            chooser->reject();
        });
        const DialogLayout& l = dialogLayout(Dialog::Skins);
        QTest::mouseClick(dialog, Qt::LeftButton, {}, QPoint(l.swatch.x + 2, l.swatch.y + 2));
        dialog->reject();
    });
    click(Element::SkinButton);
}

// The spread of grey levels over a text's place: the text against its face.
int textContrast(const QImage& canvas, const Rect& r)
{
    const QImage grey = canvas.copy(r.x, r.y, r.w, r.h).convertToFormat(QImage::Format_Grayscale8);
    const auto [low, high] = std::minmax_element(grey.constBits(), grey.constBits() + grey.sizeInBytes());
    return *high - *low;
}

TEST_F(Window, TextsStayReadableAfterASkinSwitchWithoutAChosenColour)
{
    // A user who starts on the light skin with its own colour, then switches.
    std::ofstream(dir / "str.ini", std::ios::app) << "[Skins]\nPath=Light\n";
    start();
    for (const char* skin : {"Dark", "Light"}) {
        chooseSkin(skin, std::nullopt);
        for (const char* when : {"after the switch", "after a restart"}) {
            SCOPED_TRACE(std::string(skin) + " " + when);
            EXPECT_EQ(window->skin().folder().filename(), skin);
            for (const Rect& r : {dropdownLabelRect(0).rect, ui::caption(Caption::KeySetting).spot.rect})
                EXPECT_GT(textContrast(window->canvas(), r), 120);
            start();
        }
    }
    // A colour the user chose stays, on any skin.
    chooseSkin("Dark", QColor(200, 40, 40));
    chooseSkin("Light", std::nullopt);
    EXPECT_EQ(window->skin().textColour(), QColor(0x1f, 0x29, 0x37));
    chooseSkin("Light", QColor(200, 40, 40));
    start();
    EXPECT_EQ(window->skin().textColour(), QColor(200, 40, 40));
}

// The profiles of the tray menu: the check follows the active one, a click
// loads it onto the mouse and the page shows it at once, and a new one is
// saved under the name asked for.
TEST_F(Window, TrayMenuHoldsProfilesAndExitAndExitEndsTheProgram)
{
    ASSERT_NE(window->trayIcon(), nullptr);
    QMenu* menu = window->trayIcon()->contextMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions().back()->text(), "Exit");
    QMenu* profiles = menu->actions().front()->menu();
    ASSERT_NE(profiles, nullptr);
    EXPECT_EQ(menu->actions().front()->text(), "Profiles");
    const auto shown = [&] {
        emit profiles->aboutToShow();
        std::string rows;
        for (QAction* action : profiles->actions())
            rows += (action->isChecked() ? "* " : "") + action->text().toStdString() + "|";
        return rows;
    };
    const auto saveAs = [&](const QString& name) {
        QTimer::singleShot(0, [name] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            EXPECT_GE(dialog->width(), 300) << "room for a name";
            test::saveScreenshot(dialog->grab().toImage(), "tray-profile-name");
            dialog->setTextValue(name);
            dialog->accept();
        });
        profiles->actions().back()->trigger();
    };
    EXPECT_EQ(shown(), "|Save as new profile...|");
    saveAs("Desk");
    window->controller().config().working()[img::kReportRate] = 8;
    window->controller().apply();
    saveAs("Game");
    saveAs("Game");
    EXPECT_EQ(window->lastBalloon().text, "a profile named \"Game\" already exists");
    EXPECT_EQ(shown(), "Desk|* Game||Save as new profile...|");
    profiles->actions().at(1)->trigger();
    const QImage before = window->canvas();
    shown();
    profiles->actions().front()->trigger();
    EXPECT_EQ(window->lastBalloon().text, "Switched to profile \"Desk\"");
    EXPECT_EQ(shown(), "* Desk|Game||Save as new profile...|");
    ASSERT_NE(profiles->actions().front()->actionGroup(), nullptr);
    EXPECT_TRUE(profiles->actions().front()->actionGroup()->isExclusive()) << "one profile of several";
    profiles->adjustSize();
    test::saveScreenshot(profiles->grab().toImage(), "tray-profiles-menu");
    menu->adjustSize();
    test::saveScreenshot(menu->grab().toImage(), "tray-menu");
    EXPECT_EQ(mouse.memory().reportRate, 1) << "Desk's 1000 Hz reached the mouse";
    EXPECT_NE(window->canvas(), before) << "the key page shows Desk's report rate";
    // An unsaved edit is never dropped by a switch.
    window->controller().config().working()[img::kReportRate] = 2;
    profiles->actions().at(1)->trigger();
    EXPECT_EQ(shown(), "* Desk|Game||Save as new profile...|");
    EXPECT_EQ(image()[img::kReportRate], 2);
    test::saveScreenshot(window->canvas(), "tray-profile-desk");
    bool ended = false;
    QObject::connect(window.get(), &CHidMouseDlg::exitRequested, [&] { ended = true; });
    menu->actions().back()->trigger();
    EXPECT_TRUE(ended);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->controller().session().readerStarted()) << "the reader is stopped before the end";
}

TEST_F(Window, MinimiseAndEscapeHideOkAppliesAndHides)
{
    click(Element::MinimiseButton);
    EXPECT_FALSE(window->isVisible());
    window->trayActivated();
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    window->trayActivated();
    window->controller().config().working()[img::kReportRate] = 8;
    QPixmapCache::insert(QStringLiteral("drawn while shown"), QPixmap(8, 8));
    click(Element::Ok);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(mouse.memory().reportRate, 8);

    // Hidden, it keeps none of the toolkit's drawn pieces, whose clean-up
    // timer would wake it for minutes: not after its own hiding, nor after
    // another of its windows (a balloon, the tray menu) closes.
    QPixmap found;
    QCoreApplication::processEvents();
    EXPECT_FALSE(QPixmapCache::find(QStringLiteral("drawn while shown"), &found));
    QWidget balloon(nullptr, Qt::ToolTip);
    balloon.show();
    QPixmapCache::insert(QStringLiteral("drawn for a balloon"), QPixmap(8, 8));
    balloon.hide();
    QCoreApplication::processEvents();
    EXPECT_FALSE(QPixmapCache::find(QStringLiteral("drawn for a balloon"), &found));

    // Shown again, it starts from the frame drawn ahead while it was hidden:
    // the page as drawn anew, never as it was before a change.
    window->trayActivated();
    const QImage drawn = window->canvas().copy();
    for (bool changed : {false, true}) {
        click(Element::MinimiseButton);
        QTest::qWait(200);
        EXPECT_TRUE(window->canvas().isNull()) << "hidden, it holds no picture";
        if (changed) {
            auto file = test::readBytes(dir / "config.bin");
            file[1 + img::kReportRate] = 2;
            test::writeBytes(dir / "config.bin", file);
            window->controller().filesChanged();
        }
        window->trayActivated();
        EXPECT_EQ(window->canvas() == drawn, !changed) << "changed: " << changed;
    }
}

TEST(WindowWithoutTray, ShowsAtOnceAndClosingEndsTheProgram)
{
    test::TempDir dir;
    test::writeBytes(dir / "config.bin", std::vector<std::uint8_t>(kConfigFileSize, 0));
    SimMouse mouse;
    SimBackend backend(mouse);
    CHidMouseDlg::Options options;
    options.dataDir = dir.path();
    options.trayAvailable = false;
    CHidMouseDlg window(options, backend);
    bool ended = false;
    QObject::connect(&window, &CHidMouseDlg::exitRequested, [&] { ended = true; });
    window.startUp();
    EXPECT_TRUE(window.isVisible()) << "with no tray to open it from, the window shows at start";
    EXPECT_EQ(window.trayIcon(), nullptr);
    window.close();
    EXPECT_TRUE(ended);
}

} // namespace
} // namespace varcel::ui

int main(int argc, char** argv)
{
    // These tests need no display; listing them must not need one either.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
