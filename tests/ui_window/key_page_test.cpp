// The key page's report rate, DPI and lighting controls as a user meets them,
// under Qt's offscreen platform: clicks land where the layout table says, the
// working image changes as the page's rules say, Apply sends it to the
// simulated mouse, and what a click redraws is what a whole new drawing of
// the page shows. Screenshots of both skins in all three languages, with
// lists open, go to build/screenshots.
#include "device/sim/sim_backend.h"
#include "device/sim/sim_mouse.h"
#include "dialog_test_support.h"
#include "support/cli_run.h"
#include "support/temp_dir.h"
#include "ui/accessible_canvas.h"
#include "ui/key_page.h"
#include "ui/main_window.h"
#include "ui/skins_dialog.h"

#include <QAccessible>
#include <QApplication>
#include <QColorDialog>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>

namespace varcel::ui {
namespace {

constexpr std::size_t kFile = 1; // the image starts after the first-run flag

QPoint centre(Element e)
{
    const Rect r = rect(e);
    return {r.x + r.w / 2, r.y + r.h / 2};
}

struct Start {
    Language language = Language::English;
    const char* skin = "Dark";
    std::uint8_t sensorType = 0;
};

class KeyPageTest : public ::testing::Test {
protected:
    KeyPageTest()
    {
        // Default buttons, report rate 1000, stages 1 and 2 enabled at rows 1
        // and 3, standard mode at 45 %, colours 1 and 2 enabled.
        file.assign(kConfigFileSize, 0);
        file[0] = 1;
        const std::uint8_t kinds[12] = {0, 1, 2, 3, 4, 6, 15, 15, 15, 15, 15, 15};
        for (std::size_t slot = 0; slot < 12; ++slot) {
            file[kFile + img::at(Layer::A, img::LayerArray::Kind, slot)] = kinds[slot];
            file[kFile + img::at(Layer::B, img::LayerArray::Kind, slot)] = kinds[slot];
        }
        file[kFile + 0x785] = 1;
        file[kFile + 0x787] = 1;
        file[kFile + 0x788] = 3;
        file[kFile + 0x78B] = 1;
        file[kFile + 0x78C] = 1;
        file[kFile + 0x79B] = 1;
        file[kFile + 0x79C] = 4;
        file[kFile + 0x7C1] = 1;
        file[kFile + 0x7C2] = 1;
        const std::uint8_t colours[6] = {0xFF, 0x00, 0x00, 0x00, 0xC0, 0xFF};
        std::copy(std::begin(colours), std::end(colours), file.begin() + kFile + 0x7C9);
    }
    ~KeyPageTest() override { window.reset(); }

    void start(const Start& how = {})
    {
        test::writeBytes(dir / "config.bin", file);
        std::ofstream ini(dir / "str.ini");
        ini << "[Skins]\nPath=" << how.skin << "\n";
        ini.close();
        std::filesystem::create_directories(dir / "Skins");
        for (const char* skin : {"Dark", "Light"})
            std::filesystem::create_directory_symlink(std::filesystem::path(VARCEL_SKINS_DIR) / skin,
                                                      dir / "Skins" / skin);
        SimMemory memory = mouse.memory();
        memory.sensor[0] = how.sensorType;
        mouse.setMemory(memory);

        CHidMouseDlg::Options options;
        options.dataDir = dir.path();
        options.language = how.language;
        window = std::make_unique<CHidMouseDlg>(options, backend);
        window->startUp();
        window->trayActivated();
        ASSERT_TRUE(window->isVisible());
    }

    KeyPage& page() { return window->keyPage(); }
    KeyPageSettings& settings() { return window->controller().settings(); }
    const ConfigImage& image() { return window->controller().config().working(); }
    void click(Element e) { QTest::mouseClick(window.get(), Qt::LeftButton, {}, centre(e)); }
    QListWidget* list() { return page().settingsList(); }
    QStringList rows()
    {
        QStringList texts;
        if (QListWidget* l = list())
            for (int i = 0; i < l->count(); ++i)
                texts << l->item(i)->text();
        return texts;
    }
    void chooseRow(int row)
    {
        QListWidget* l = list();
        ASSERT_NE(l, nullptr);
        l->scrollToItem(l->item(row));
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(l->item(row)).center());
    }
    // What the clicks left on the canvas must be what drawing the whole page
    // anew shows: nothing stale, nothing drawn twice.
    void expectCanvasUpToDate(const std::string& after)
    {
        const QImage partial = window->canvas().copy();
        window->drawPage(varcel::Page::Key);
        EXPECT_TRUE(partial == window->canvas()) << "a click left the canvas stale: " << after;
    }
    bool canvasChangedAt(const QImage& before, Element e)
    {
        const Rect r = rect(e);
        const QRect area(r.x, r.y, r.w, r.h);
        return before.copy(area) != window->canvas().copy(area);
    }
    // The data report that followed a command in the mouse's log.
    std::string dataAfter(const std::string& command)
    {
        const auto log = mouse.log();
        for (std::size_t i = 0; i + 1 < log.size(); ++i)
            if (log[i].rfind(command, 0) == 0 && log[i + 1].rfind("> DATA", 0) == 0)
                return log[i + 1];
        return {};
    }
    bool logHas(const std::string& prefix)
    {
        for (const std::string& line : mouse.log())
            if (line.rfind(prefix, 0) == 0)
                return true;
        return false;
    }
    QImage screenshot(const std::string& name)
    {
        // The window with its open lists, as the user sees it.
        const QImage shot = window->grab().toImage();
        test::saveScreenshot(shot, name);
        return shot;
    }

    std::vector<std::uint8_t> file;
    test::TempDir dir;
    SimMouse mouse{dir / "simulated-mouse.bin"};
    SimBackend backend{mouse};
    std::unique_ptr<CHidMouseDlg> window;
};

TEST_F(KeyPageTest, StageBoxesKeepOneStageEnabledCountingStagesFiveToEight)
{
    file[kFile + 0x78B] = 0;
    file[kFile + 0x78C] = 0;
    file[kFile + 0x78D] = 1;
    start();
    const QImage before = window->canvas().copy();
    click(dpiStageEnable(2));
    EXPECT_EQ(image()[0x78D], 1) << "the only enabled stage stays";
    EXPECT_EQ(window->canvas(), before) << "and nothing is redrawn";

    click(dpiStageEnable(0));
    click(dpiStageEnable(2));
    EXPECT_EQ(image()[0x78B], 1);
    EXPECT_EQ(image()[0x78D], 0);
    EXPECT_TRUE(canvasChangedAt(before, dpiStageEnable(2)));
    EXPECT_TRUE(canvasChangedAt(before, dpiBarSegment(2, 0))) << "the bar of a disabled stage goes dark";
    expectCanvasUpToDate("stage boxes");

    // A flag of stage 6 lets all of stages 1 to 4 go.
    window->controller().config().working()[0x790] = 1;
    click(dpiStageEnable(0));
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(image()[0x78B + i], 0) << i;
}

TEST_F(KeyPageTest, SensorTypeOneGivesEightRowsAndEightSegments)
{
    start({Language::English, "Dark", 1});
    click(dpiStageList(1));
    EXPECT_EQ(rows(), (QStringList{"600", "800", "1000", "1200", "1600", "2000", "2400", "3200"}));
    ASSERT_NE(list(), nullptr);
    EXPECT_EQ(list()->height(), 8 * kListRowHeight + 2) << "no empty rows under the eighth";
    click(dpiStageList(1));
    EXPECT_EQ(list(), nullptr) << "a second click on the face closes the list";

    click(dpiBarSegment(1, 7));
    EXPECT_EQ(image()[0x788], 7);
    click(dpiBarSegment(1, 9));
    EXPECT_EQ(image()[0x788], 7) << "there is no ninth segment";
    // Where a ninth segment would be, the page shows its background.
    const Rect ninth = rect(dpiBarSegment(1, 8));
    const QImage& background = window->skin().image("BasicSet2.png");
    EXPECT_EQ(window->canvas().copy(ninth.x, ninth.y, ninth.w, ninth.h),
              background.copy(ninth.x, ninth.y, ninth.w, ninth.h));
    // Nor are the track and the scale drawn above the eighth row: each pixel
    // there is the panel's, as between the columns at that height.
    const int gapX = (rect(dpiStageList(0)).right() + rect(dpiStageList(1)).x) / 2;
    int marks = 0;
    for (int y = rect(dpiBarSegment(0, kDpiBarSegments - 1)).y - 3; y < rect(dpiBarSegment(0, 8)).bottom(); ++y)
        for (int x = dpiScaleLabel(0).rect.right(); x < rect(dpiBarSegment(3, 0)).right() + 4; ++x)
            marks += window->canvas().pixel(x, y) != window->canvas().pixel(gapX, y);
    EXPECT_EQ(marks, 0);
    screenshot("key-page-eight-dpi-rows");
    expectCanvasUpToDate("sensor type 1");
}

TEST_F(KeyPageTest, DpiListAndRateReachTheMouseAtApply)
{
    start();
    click(dpiStageList(1));
    EXPECT_EQ(rows().size(), 12);
    EXPECT_EQ(list()->currentRow(), 3) << "the list opens on the stored row";
    chooseRow(0); // "250"
    EXPECT_EQ(image()[0x788], 0);
    EXPECT_EQ(list(), nullptr);
    click(dpiBarSegment(0, 4));
    EXPECT_EQ(image()[0x787], 4);
    click(reportRateSegment(0));
    EXPECT_EQ(image()[0x785], 8);
    click(reportRateSegment(3));
    EXPECT_EQ(image()[0x785], 1);
    expectCanvasUpToDate("DPI list, bar and report rate");

    mouse.clearLog();
    click(Element::Apply);
    EXPECT_TRUE(logHas("> CMD 01 01 00 00 00 00 00 FD")) << "report rate command with 1000 Hz";
    // Stage 1 row 4 is code 0x05, stage 2 row 0 code 0x01; stages 3 and 4 off.
    EXPECT_EQ(dataAfter("> CMD 11 04 08").substr(0, 6 + 3 * 8), "> DATA 05 01 81 81 80 80 80 80");
}

TEST_F(KeyPageTest, NeonModeWithItsSpeedAndEachModeKeepsItsParameter)
{
    start();
    const QImage before = window->canvas().copy();
    click(Element::LightingMode);
    EXPECT_EQ(rows(), (QStringList{"Standard Mode", "Respiration Mode", "Neon Mode"}));
    chooseRow(2);
    EXPECT_EQ(image()[0x79B], 3);
    EXPECT_TRUE(canvasChangedAt(before, Element::LightingParameter)) << "the neon mode's own parameter shows";
    click(Element::LightingParameter);
    EXPECT_EQ(rows().size(), 30);
    EXPECT_EQ(rows()[4], "2.5S");
    // A good part of the thirty rows, inside the window: with no room below
    // the face, the list opens upward.
    const QRect shown = list()->geometry();
    EXPECT_GE(shown.height(), 12 * kListRowHeight);
    EXPECT_TRUE(QRect(0, 0, kWindowWidth, kWindowHeight).contains(shown));
    EXPECT_EQ(shown.bottom() + 1, rect(Element::LightingParameter).y);
    chooseRow(4);
    EXPECT_EQ(image()[0x79E], 4);
    expectCanvasUpToDate("neon mode");

    click(Element::LightingMode);
    chooseRow(0);
    EXPECT_STREQ(settings().faceText(SettingId::RgbParameter, settings().parameterInstance()), "45%") << "mode 1 keeps row 4";
    click(Element::LightingParameter);
    EXPECT_EQ(rows()[1], "15%");
    EXPECT_EQ(list()->currentRow(), 4);
    click(Element::LightingParameter);
    click(Element::LightingMode);
    chooseRow(2);
    EXPECT_STREQ(settings().faceText(SettingId::RgbParameter, settings().parameterInstance()), "2.5S");

    mouse.clearLog();
    click(Element::Apply);
    EXPECT_EQ(mouse.memory().rgbEffect, (std::array<std::uint8_t, 3>{3, 5, 3}));
}

TEST_F(KeyPageTest, ColourBitsFollowTheChosenStage)
{
    start();
    const struct {
        int stage;
        std::size_t offset;
        std::uint8_t mask;
    } rows[] = {{2, 0x7E2, 0x04}, {1, 0x7E1, 0x40}};
    for (const auto& row : rows) {
        click(Element::DpiColourStage);
        chooseRow(row.stage);
        const ConfigImage before = image();
        const QImage canvas = window->canvas().copy();
        click(dpiColourBit(2));
        ConfigImage expected = before;
        expected[row.offset] ^= row.mask;
        EXPECT_EQ(image(), expected) << "DPI Stage" << row.stage + 1;
        EXPECT_TRUE(canvasChangedAt(canvas, dpiColourBit(2)));
        expectCanvasUpToDate("colour bits");
    }
    // The face names the chosen stage and the boxes show that stage's bits:
    // none for stage 1, all four for stage 4.
    window->controller().config().working()[0x7E1] = 0x00;
    window->controller().config().working()[0x7E2] = 0xF0;
    click(Element::DpiColourStage);
    chooseRow(0);
    const QImage stage1 = window->canvas().copy();
    click(Element::DpiColourStage);
    chooseRow(3);
    EXPECT_TRUE(canvasChangedAt(stage1, Element::DpiColourStage)) << "the face names the stage chosen";
    for (int bit = 0; bit < 4; ++bit)
        EXPECT_TRUE(canvasChangedAt(stage1, dpiColourBit(bit))) << bit;
    expectCanvasUpToDate("colour stage 4");
    click(Element::DpiColourStage);
    chooseRow(0);
    EXPECT_EQ(window->canvas(), stage1);
}

TEST_F(KeyPageTest, LoopColoursAllOffAndOnlyAnEnabledSwatchOpensTheChooser)
{
    start();
    int choosers = 0;
    const auto answerChooser = [&](QColor colour) {
        QTimer::singleShot(0, [&choosers, colour] {
            if (auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget())) {
                ++choosers;
                EXPECT_EQ(dialog->currentColor(), QColor(Qt::black)) << "the chooser starts from black";
                dialog->setCurrentColor(colour);
                dialog->accept();
            }
        });
    };
    answerChooser(QColor(0x12, 0x34, 0x56));
    click(loopColourSwatch(1));
    EXPECT_EQ(choosers, 1);
    EXPECT_EQ(image()[0x7CC], 0x12);
    EXPECT_EQ(image()[0x7CD], 0x34);
    EXPECT_EQ(image()[0x7CE], 0x56);
    const Rect swatch = rect(loopColourSwatch(1));
    EXPECT_EQ(window->canvas().pixelColor(swatch.x + 1, swatch.y + 1), QColor(0x12, 0x34, 0x56));

    answerChooser(QColor(0xAB, 0xCD, 0xEF));
    click(loopColourSwatch(4));
    QTest::qWait(20);
    EXPECT_EQ(choosers, 1) << "a disabled colour's swatch opens nothing";
    EXPECT_EQ(image()[0x7D5], 0);

    click(loopColourEnable(0));
    click(loopColourEnable(1));
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_EQ(image()[0x7C1 + i], 0) << i;
    expectCanvasUpToDate("loop colours");
    click(Element::Apply);
    EXPECT_EQ(mouse.memory().colourBlocks[0], (std::array<std::uint8_t, 24>{}));
}

TEST_F(KeyPageTest, AnyClickOutsideAnOpenListClosesItFirst)
{
    start();
    // A function list, then Apply: the list closes and the apply runs.
    click(dropdownBox(2));
    ASSERT_NE(page().functionList(), nullptr);
    click(Element::Apply);
    EXPECT_EQ(page().functionList(), nullptr);
    EXPECT_FALSE(window->controller().buttons().openSlot());

    // A stage list, then the skin button: closed before the dialog opens.
    click(dpiStageList(0));
    ASSERT_NE(list(), nullptr);
    bool listGoneAtDialog = false;
    QTimer::singleShot(0, [&] {
        listGoneAtDialog = list() == nullptr && settings().openList() == SettingsList::None;
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    click(Element::SkinButton);
    EXPECT_TRUE(listGoneAtDialog);

    // The parameter list, then a DPI box: the list closes and the box works.
    click(Element::LightingParameter);
    ASSERT_NE(list(), nullptr);
    click(dpiStageEnable(3));
    EXPECT_EQ(list(), nullptr);
    EXPECT_EQ(image()[0x78E], 1);

    // A list switched for another, then minimise: nothing is open when the
    // window comes back.
    click(Element::LightingMode);
    click(Element::DpiColourStage);
    EXPECT_EQ(settings().openList(), SettingsList::DpiColourStage);
    EXPECT_EQ(rows().size(), 4);
    click(dropdownBox(1));
    EXPECT_EQ(list(), nullptr);
    ASSERT_NE(page().functionList(), nullptr);
    click(Element::MinimiseButton);
    window->trayActivated();
    EXPECT_EQ(page().functionList(), nullptr);
    EXPECT_FALSE(window->controller().buttons().openSlot());
}

TEST_F(KeyPageTest, TheKeyboardGoesThroughThePageInReadingOrderAndWorksIt)
{
    start({Language::English, "Dark", 1});
    const QImage canvas = window->canvas().copy();
    std::vector<Element> expected{Element::Page1Button,    Element::Page2Button, Element::SkinButton,
                                  Element::MinimiseButton, Element::CloseButton, Element::ModeA,
                                  Element::ModeB};
    for (int box = 0; box < 6; ++box)
        expected.push_back(dropdownBox(box));
    expected.push_back(Element::KeyDefault);
    for (int position = 0; position < 4; ++position)
        expected.push_back(reportRateSegment(position));
    for (int stage = 0; stage < 4; ++stage)
        expected.insert(expected.end(), {dpiStageEnable(stage), dpiStageList(stage), dpiBarSegment(stage, 0)});
    expected.insert(expected.end(), {Element::LightingMode, Element::LightingParameter});
    // The swatches of colours 3 to 8 are off: a press there would do nothing.
    expected.insert(expected.end(),
                    {loopColourEnable(0), loopColourSwatch(0), loopColourEnable(1), loopColourSwatch(1)});
    for (int colour = 2; colour < 8; ++colour)
        expected.push_back(loopColourEnable(colour));
    expected.push_back(Element::DpiColourStage);
    for (int bit = 0; bit < 4; ++bit)
        expected.push_back(dpiColourBit(bit));
    expected.insert(expected.end(), {Element::Ok, Element::Apply, Element::Cancel, Element::Page1Button});
    std::vector<Element> visited;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        QTest::keyClick(window.get(), Qt::Key_Tab);
        visited.push_back(window->focusElement());
    }
    EXPECT_EQ(visited, expected);
    QTest::keyClick(window.get(), Qt::Key_Backtab);
    EXPECT_EQ(window->focusElement(), Element::Cancel);
    EXPECT_TRUE(canvas == window->canvas()) << "the focus mark is drawn over the canvas, not into it";

    // The mark, in the skin's text colour, around the stop with the focus.
    const Rect r = rect(Element::Cancel);
    EXPECT_EQ(window->grab().toImage().pixelColor(r.x - 3, r.y + r.h / 2), window->skin().textColour());
    click(Element::ModeB);
    EXPECT_FALSE(window->focusMarkShown()) << "a click takes the mark away";
    EXPECT_NE(window->grab().toImage().pixelColor(r.x - 3, r.y + r.h / 2), window->skin().textColour());

    // Space on a rate position sets it; arrows move between the positions.
    QTest::keyClick(window.get(), Qt::Key_Left);
    EXPECT_EQ(window->controller().buttons().shownLayer(), Layer::A);
    while (window->focusElement() != Element::ReportRate250)
        QTest::keyClick(window.get(), Qt::Key_Tab);
    EXPECT_EQ(settings().row(SettingId::ReportRate, 0), 3) << "the focus alone sets nothing";
    QTest::keyClick(window.get(), Qt::Key_Space);
    EXPECT_EQ(settings().row(SettingId::ReportRate, 0), 1);
    QTest::keyClick(window.get(), Qt::Key_Right);
    EXPECT_EQ(settings().row(SettingId::ReportRate, 0), 2);
    EXPECT_EQ(window->focusElement(), Element::ReportRate500);

    // Arrows move a stage's DPI bar within its eight rows.
    while (window->focusElement() != dpiBarSegment(1, 0))
        QTest::keyClick(window.get(), Qt::Key_Tab);
    ASSERT_EQ(image()[0x788], 3);
    QTest::keyClick(window.get(), Qt::Key_Up);
    EXPECT_EQ(image()[0x788], 4);
    for (int i = 0; i < 6; ++i)
        QTest::keyClick(window.get(), Qt::Key_Up);
    EXPECT_EQ(image()[0x788], 7) << "the eighth row is the top";
    QTest::keyClick(window.get(), Qt::Key_Down);
    EXPECT_EQ(image()[0x788], 6);
    expectCanvasUpToDate("the DPI bar by the keyboard");

    // A list opened by the keyboard: Down goes down it, Enter chooses,
    // Escape closes an open list before it hides the window.
    QTest::keyClick(window.get(), Qt::Key_Backtab);
    ASSERT_EQ(window->focusElement(), dpiStageList(1));
    QTest::keyClick(window.get(), Qt::Key_Space);
    ASSERT_NE(list(), nullptr);
    QTest::keyClick(window.get(), Qt::Key_Down);
    QTest::keyClick(window.get(), Qt::Key_Return);
    EXPECT_EQ(image()[0x788], 7);
    EXPECT_EQ(list(), nullptr);
    while (window->focusElement() != dropdownBox(2))
        QTest::keyClick(window.get(), Qt::Key_Backtab);
    QTest::keyClick(window.get(), Qt::Key_Return);
    ASSERT_NE(page().functionList(), nullptr);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_EQ(page().functionList(), nullptr);
    EXPECT_TRUE(window->isVisible());
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(KeyPageTest, ScreenReadersFindEveryElementNamedInTheWindowsLanguage)
{
    const std::uint8_t orange[3] = {0xFF, 0x80, 0x00};
    std::copy(std::begin(orange), std::end(orange), file.begin() + kFile + 0x7CC);
    file[0] = 0; // a first run: the boxes get the default labels of the language
    struct Row {
        Element element;
        QAccessible::Role role;
        std::array<const char*, 3> names; // simplified, traditional Chinese, English
        bool checked;
        const char* value;
    };
    const Row rows[] = {
        {Element::Page2Button, QAccessible::PageTab, {"高级设置", "高級設置", "Advanced settings"}, false, ""},
        {dropdownBox(2), QAccessible::ComboBox, {"按键3：中键", "按鍵3：中鍵", "Button 3: Mid Click"}, false, nullptr},
        {Element::ReportRate1000, QAccessible::RadioButton, {"1000 赫兹", "1000 赫茲", "1000 Hz"}, true, ""},
        {Element::ReportRate250, QAccessible::RadioButton, {"250 赫兹", "250 赫茲", "250 Hz"}, false, ""},
        {dpiStageEnable(1), QAccessible::CheckBox, {"DPI Stage2", "DPI Stage2", "DPI Stage2"}, true, ""},
        {dpiStageList(1),
         QAccessible::ComboBox,
         {"DPI Stage2数值", "DPI Stage2數值", "DPI Stage2 value"},
         false,
         "1000 DPI"},
        {dpiBarSegment(1, 0),
         QAccessible::Slider,
         {"DPI Stage2滑块", "DPI Stage2滑塊", "DPI Stage2 bar"},
         false,
         "1000 DPI"},
        {loopColourSwatch(1),
         QAccessible::Button,
         {"循环颜色2，橙色，开", "迴圈顏色2，橙色，開", "Loop colour 2, orange, on"},
         false,
         ""},
        {loopColourEnable(2), QAccessible::CheckBox, {"循环颜色3", "迴圈顏色3", "Loop colour 3"}, false, ""},
        {dpiColourBit(2), QAccessible::CheckBox, {"蓝色", "藍色", "blue"}, false, ""},
        {Element::Apply, QAccessible::Button, {"应用", "應用", "Apply"}, false, ""},
    };
    const Language languages[] = {Language::SimplifiedChinese, Language::TraditionalChinese, Language::English};
    for (std::size_t l = 0; l < 3; ++l) {
        SCOPED_TRACE(l);
        window.reset();
        std::filesystem::remove_all(dir / "Skins");
        start({languages[l], "Dark", 0});
        QAccessibleInterface* canvas = QAccessible::queryAccessibleInterface(window.get());
        ASSERT_NE(canvas, nullptr);
        ASSERT_EQ(canvas->childCount(), 63) << "seven headings, every element of the key page, each bar as one";
        std::map<QString, QAccessibleInterface*> byName;
        for (int i = 0; i < canvas->childCount(); ++i) {
            QAccessibleInterface* child = canvas->child(i);
            ASSERT_NE(child, nullptr);
            EXPECT_EQ(canvas->indexOfChild(child), i);
            EXPECT_NE(child->role(), QAccessible::NoRole);
            EXPECT_TRUE(window->rect().contains(window->mapFromGlobal(child->rect().center())));
            EXPECT_TRUE(child->role() == QAccessible::Heading ||
                        byName.emplace(child->text(QAccessible::Name), child).second)
                << "two elements called " << child->text(QAccessible::Name).toStdString();
        }
        for (const Row& row : rows) {
            const QString name = QString::fromUtf8(row.names[l]);
            ASSERT_EQ(byName.count(name), 1u) << name.toStdString();
            QAccessibleInterface* child = byName[name];
            EXPECT_EQ(child->role(), row.role) << name.toStdString();
            EXPECT_EQ(child->state().checked, row.checked) << name.toStdString();
            if (row.value) {
                EXPECT_EQ(child->text(QAccessible::Value).toStdString(), row.value) << name.toStdString();
            }
            if (row.role == QAccessible::Slider) { // the bar stands at its DPI
                EXPECT_EQ(child->valueInterface()->currentValue().toInt(), 1000);
            }
            EXPECT_EQ(canvas->childAt(child->rect().center().x(), child->rect().center().y()), child);
        }
    }

    // A press through the screen reader acts as a click and is announced,
    // as are the focus and the state that changed.
    std::vector<std::pair<QAccessible::Event, QString>> heard;
    window->announcer().send = [&](QAccessibleEvent& event) {
        QAccessibleInterface* iface = event.accessibleInterface();
        if (event.type() == QAccessible::StateChanged &&
            !static_cast<QAccessibleStateChangeEvent&>(event).changedStates().checked)
            return;
        heard.emplace_back(event.type(), iface ? iface->text(QAccessible::Name) : QString());
    };
    window->elementsChanged();
    heard.clear();
    QAccessibleInterface* rate250 = accessibleStop(*window, Element::ReportRate250);
    ASSERT_NE(rate250, nullptr);
    ASSERT_NE(rate250->actionInterface(), nullptr);
    rate250->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCoreApplication::processEvents();
    EXPECT_EQ(settings().row(SettingId::ReportRate, 0), 1);
    QTest::keyClick(window.get(), Qt::Key_Tab);
    const std::vector<std::pair<QAccessible::Event, QString>> expected{{QAccessible::Focus, "250 Hz"},
                                                                       {QAccessible::StateChanged, "250 Hz"},
                                                                       {QAccessible::StateChanged, "1000 Hz"},
                                                                       {QAccessible::Focus, "500 Hz"}};
    EXPECT_EQ(heard, expected);
    // Along an open list, which keeps no focus of its own, the row is heard.
    window->activate(dpiStageList(0));
    ASSERT_NE(list(), nullptr);
    EXPECT_EQ(list()->accessibleName(), "DPI Stage1 value");
    QTest::keyClick(window.get(), Qt::Key_Down);
    ASSERT_NE(list()->currentItem(), nullptr);
    EXPECT_EQ(heard.back(), std::make_pair(QAccessible::Focus, list()->currentItem()->text()));
}

TEST_F(KeyPageTest, AnOpenStageListFollowsANewSensorType)
{
    start();
    click(dpiStageList(3));
    ASSERT_EQ(rows().size(), 12);
    // The mouse comes back with another sensor, without having been seen to go.
    SimMemory memory = mouse.memory();
    memory.sensor[0] = 3;
    mouse.setMemory(memory);
    window->controller().hotplug({HotplugEvent{HotplugEvent::Action::Arrival, "sim"}});
    QTest::qWait(20);
    EXPECT_EQ(settings().sensorType(), 3);
    EXPECT_EQ(rows(), (QStringList{"400", "800", "1200", "1600", "2000", "2400", "2800", "3200"}));
    expectCanvasUpToDate("new sensor type");
}

TEST_F(KeyPageTest, ValuesOfAForeignConfigAreDrawnWithoutReadingPastATable)
{
    file[kFile + 0x785] = 3;   // no such report rate
    file[kFile + 0x787] = 200; // a DPI row far past the list
    file[kFile + 0x78B] = 0;   // no stage enabled anywhere
    file[kFile + 0x78C] = 0;
    file[kFile + 0x79B] = 7;   // no such mode
    file[kFile + 0x79C] = 99;
    file[kFile + 0x7C1] = 2;   // a flag the mouse does not take as on
    start();
    screenshot("key-page-foreign-config");
    click(Element::LightingParameter);
    EXPECT_EQ(list(), nullptr) << "a mode outside 1 to 3 has no parameter list";
    click(dpiStageList(0));
    EXPECT_EQ(rows().size(), 12);
    EXPECT_EQ(list()->currentRow(), -1);
    chooseRow(11);
    EXPECT_EQ(image()[0x787], 11);
    click(Element::LightingMode);
    chooseRow(1);
    EXPECT_EQ(image()[0x79B], 2);
    EXPECT_EQ(image()[0x79D], 0) << "the new mode shows its own parameter";
    expectCanvasUpToDate("foreign config");
}

TEST_F(KeyPageTest, TheSimulatedMouseHoldsWhatThePageShows)
{
    start();
    click(reportRateSegment(1));
    click(dpiStageEnable(2));
    click(dpiBarSegment(2, 9));
    click(Element::LightingMode);
    chooseRow(1);
    click(Element::LightingParameter);
    chooseRow(3);
    click(Element::DpiColourStage);
    chooseRow(3);
    click(dpiColourBit(0));
    click(Element::Ok);
    EXPECT_FALSE(window->isVisible());
    window.reset();
    mouse.saveMemory();

    const test::CliRun r = test::runVarcelctl(VARCELCTL_PATH, dir.path(), "--simulate device");
    ASSERT_EQ(r.status, 0) << r.err;
    // 250 Hz; stages 1 to 3 at rows 1, 3 and 9 (codes 0x02, 0x04, 0x26), stage 4 off;
    // respiration at "5S" (row 3, sent as 4); stage 4's first colour bit.
    for (const char* line : {"Report rate code: 4\n", "DPI: count 4, codes 02 04 26 81 80 80 80 80\n",
                             "RGB effect: 02 04 03\n", "Colour block 2: 00 10 00 00\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << r.out;
}

// Both skins, all three languages, each list open once: for people to look at.
TEST_F(KeyPageTest, Screenshots)
{
    const std::pair<Language, const char*> languages[] = {
        {Language::SimplifiedChinese, "zh_CN"}, {Language::TraditionalChinese, "zh_TW"}, {Language::English, "en"}};
    file[kFile + 0x79B] = 3;
    file[kFile + 0x79E] = 4;
    file[kFile + 0x7E1] = 0x35;
    file[0] = 0; // a first run: the boxes get the default labels
    for (const char* skin : {"Dark", "Light"}) {
        for (const auto& [language, tag] : languages) {
            SCOPED_TRACE(std::string(skin) + " " + tag);
            window.reset();
            std::filesystem::remove_all(dir / "Skins");
            start({language, skin, 0});
            // The canvas has every device pixel the screen gives the window.
            EXPECT_EQ(window->canvas().size(), window->size() * window->devicePixelRatio());
            const std::string name = std::string("key-page-") + (skin[0] == 'D' ? "dark-" : "light-") + tag;
            QImage before = screenshot(name);
            for (const auto& [element, what] : {std::pair{dpiStageList(1), "-dpi-list"},
                                                {Element::LightingParameter, "-parameter-list"},
                                                {Element::LightingMode, "-mode-list"},
                                                {Element::DpiColourStage, "-colour-stage-list"}}) {
                click(element);
                ASSERT_NE(list(), nullptr) << what;
                const QImage shot = screenshot(name + what);
                // The list that opened shows, and its top row's text stands out from its background.
                // The grab holds device pixels; the widgets speak in layout units.
                const qreal scale = shot.devicePixelRatio();
                const auto at = [&](QPoint p) { return QPoint(int(p.x() * scale), int(p.y() * scale)); };
                const QRect area(at(list()->mapTo(window.get(), QPoint())), list()->size() * scale);
                EXPECT_NE(shot.copy(area), before.copy(area));
                const QRect row = list()->visualItemRect(list()->itemAt(2, 2));
                int grey[2] = {255, 0};
                for (int y = row.top(); y <= row.bottom(); ++y)
                    for (int x = row.left(); x <= row.right(); ++x) {
                        const int g = qGray(shot.pixel(at(list()->viewport()->mapTo(window.get(), QPoint(x, y)))));
                        grey[0] = std::min(grey[0], g);
                        grey[1] = std::max(grey[1], g);
                    }
                EXPECT_GE(grey[1] - grey[0], 96) << what << ": text without contrast";
                before = shot;
            }
            // The lowest box's function list opens above it; "DPI Switch"
            // opens the DPI options beside it, "DPI Loop" lit.
            click(dropdownBox(5));
            QListWidget* functions = window->keyPage().functionList();
            ASSERT_NE(functions, nullptr);
            emit functions->itemEntered(functions->item(6));
            ASSERT_NE(window->keyPage().dpiOptionList(), nullptr);
            emit window->keyPage().dpiOptionList()->itemEntered(window->keyPage().dpiOptionList()->item(2));
            screenshot(name + "-function-list");
            click(dropdownBox(5));
            // The focus mark, once the keyboard has been used.
            while (window->focusElement() != dropdownBox(2))
                QTest::keyClick(window.get(), Qt::Key_Tab);
            screenshot(name + "-focus");
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
