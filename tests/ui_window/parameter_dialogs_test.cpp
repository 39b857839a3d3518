// The six parameter dialogs of the key page, driven as a user drives them:
// keys with the keyboard's own key codes, clicks where the layout table puts
// the parts, and what the button model stores from what each returns.
#include "dialog_test_support.h"
#include "key_events.h"
#include "keys/key_tables.h"
#include "lang/dialog_strings.h"
#include "platform/reporter.h"
#include "ui/dialogs/combo_dialog.h"
#include "ui/dialogs/fire_key_dialog.h"
#include "ui/dialogs/macro_dialog.h"
#include "ui/dialogs/media_dialog.h"
#include "ui/dialogs/single_dialog.h"
#include "ui/dialogs/windows_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>

#include <QAccessible>

#include <gtest/gtest.h>

namespace varcel::ui {
namespace {

using namespace test::evdev;
using test::click;
using test::driveNextDialog;

QPoint rowPoint(QListWidget* list, int row)
{
    list->scrollToItem(list->item(row));
    return list->visualItemRect(list->item(row)).center();
}

void clickRow(QListWidget* list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowPoint(list, row));
}

void wheel(QWidget* target, const QPoint& at, int delta)
{
    QWheelEvent event(at, target->mapToGlobal(at), {}, {0, delta}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                      false);
    QApplication::sendEvent(target, &event);
}

class ParameterDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Box 3 of "Mode A" is the middle button, as a new user finds it.
        const std::uint8_t kinds[12] = {0, 1, 2, 3, 4, 6, 15, 15, 15, 15, 15, 15};
        for (std::size_t slot = 0; slot < 12; ++slot)
            image[img::at(Layer::A, img::LayerArray::Kind, slot)] = kinds[slot];
        labels[2] = "Mid Click";
        auto& d = model.dialogs;
        d.singleKey = [this] { return CSingleDialog(dark, Language::English, reporter).run(); };
        d.comboKey = [this] { return CComboDialog(dark, Language::English, reporter).run(); };
        d.multimedia = [this] { return CMediaDialog(dark, Language::English, reporter).run(); };
        d.applicationKey = [this] { return CWindowsDialog(dark, Language::English, reporter).run(); };
        d.fireKey = [this] { return CFireKeyDialog(dark, Language::English, reporter).run(); };
        d.macroKey = [this] { return CMacroDialog(macros, dark, Language::English, reporter).run(); };
    }
    // Chooses `row` for box 3 while `drive` works the dialog that opens.
    template <typename Dialog>
    void choose(int row, std::function<void(Dialog&)> drive)
    {
        bool driven = false;
        driveNextDialog<Dialog>(std::move(drive), &driven);
        model.toggleFunctionList(2);
        model.chooseFunction(2, row);
        EXPECT_TRUE(driven);
    }
    std::uint8_t at(img::LayerArray array) const { return image[img::at(Layer::A, array, 2)]; }
    std::uint8_t kind() const { return at(img::LayerArray::Kind); }
    const std::string& label() const { return labels[2]; }

    test::TempDir dir;
    Skin dark = test::paintedSkin("Dark", dir);
    RecordingReporter reporter;
    ConfigImage image{};
    ButtonLabels labels{};
    std::vector<std::string> macros{"Greeting", "Reload", "Sprint"};
    ButtonModel model{image, labels, Language::English, reporter};
};

TEST_F(ParameterDialogs, SingleKeyNamesWhateverKeyWasPressedLast)
{
    struct Row {
        const char* what;
        std::function<void(CSingleDialog&)> keys;
        const char* name;
        std::uint8_t code;
    };
    const Row rows[] = {
        {"Escape is a key, not Cancel",
         [](CSingleDialog& d) {
             test::pressKey(&d, Qt::Key_Escape, kEsc);
             EXPECT_TRUE(d.isVisible()) << "Escape leaves the dialog open";
             EXPECT_EQ(d.nameField()->text(), "Esc");
             test::releaseKey(&d, Qt::Key_Escape, kEsc);
         },
         "Esc", 0x29},
        {"Enter is a key, not OK",
         [](CSingleDialog& d) {
             test::tapKey(&d, Qt::Key_Return, kEnter);
             EXPECT_TRUE(d.isVisible());
         },
         "Enter", 0x28},
        {"the key released last",
         [](CSingleDialog& d) {
             test::pressKey(&d, Qt::Key_Shift, kLeftShift);
             test::pressKey(&d, Qt::Key_A, kA, "A");
             test::releaseKey(&d, Qt::Key_A, kA, "A");
             test::releaseKey(&d, Qt::Key_Shift, kLeftShift);
         },
         "Shift", 0xE1},
        {"left Ctrl", [](CSingleDialog& d) { test::tapKey(&d, Qt::Key_Control, kLeftCtrl); }, "Ctrl", 0xE0},
        {"right Ctrl", [](CSingleDialog& d) { test::tapKey(&d, Qt::Key_Control, kRightCtrl); }, "Right Ctrl", 0xE4},
        {"keypad Enter", [](CSingleDialog& d) { test::tapKey(&d, Qt::Key_Enter, kKeypadEnter); }, "Num Enter", 0x58},
        {"F1 asks for no help",
         [](CSingleDialog& d) {
             test::tapKey(&d, Qt::Key_F1, kF1);
             EXPECT_TRUE(d.isVisible());
         },
         "F1", 0x3A},
        {"a Windows key", [](CSingleDialog& d) { test::tapKey(&d, Qt::Key_Meta, kRightMeta); }, "Right Windows", 0xE7},
        {"a key without a row", [](CSingleDialog& d) { test::tapKey(&d, Qt::Key_Backslash, kBackslash); }, "\\", 0},
        {"nothing pressed", [](CSingleDialog&) {}, "", 0},
        {"Tab goes on to OK, whose Enter is OK again",
         [](CSingleDialog& d) {
             test::tapKey(&d, Qt::Key_F5, kF5);
             test::tapKey(&d, Qt::Key_Tab, kTab);
             EXPECT_TRUE(d.focusMarkShown());
             test::tapKey(&d, Qt::Key_Return, kEnter);
             EXPECT_FALSE(d.isVisible());
         },
         "F5", 0x3E},
        {"Tab as the first key is the key; the next Tab goes on",
         [](CSingleDialog& d) {
             test::tapKey(&d, Qt::Key_Tab, kTab);
             EXPECT_FALSE(d.focusMarkShown());
             test::tapKey(&d, Qt::Key_Tab, kTab);
             EXPECT_TRUE(d.focusMarkShown());
         },
         "Tab", 0x2B},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        choose<CSingleDialog>(11, [&](CSingleDialog& d) {
            EXPECT_TRUE(d.isCapturingKeys());
            row.keys(d);
            EXPECT_EQ(d.nameField()->text().toStdString(), row.name);
            click(&d, d.okPoint());
        });
        EXPECT_EQ(kind(), 11);
        EXPECT_EQ(at(img::LayerArray::SingleKey), row.code);
        EXPECT_EQ(label(), std::string("Single Key-") + row.name);
    }
    EXPECT_TRUE(reporter.messages.empty());
}

TEST_F(ParameterDialogs, ComboKeyFillsTheFieldClickedInto)
{
    choose<CComboDialog>(12, [](CComboDialog& d) {
        test::tapKey(&d, Qt::Key_X, 45);
        EXPECT_EQ(d.keyField(0)->text(), "");
        EXPECT_EQ(d.keyField(1)->text(), "") << "a key with neither field focused changes nothing";

        click(&d, d.modifierPoint());
        ASSERT_NE(d.rowList(), nullptr);
        EXPECT_EQ(d.rowList()->count(), 8);
        EXPECT_FALSE(d.keyField(0)->isEnabled()) << "the modifier list disables the key fields";
        EXPECT_FALSE(d.keyField(1)->isEnabled());
        test::tapKey(&d, Qt::Key_Z, 44);
        EXPECT_EQ(d.keyField(0)->text(), "");
        clickRow(d.rowList(), 0);
        EXPECT_EQ(d.rowList(), nullptr);
        EXPECT_EQ(d.modifierField()->text(), "Left Ctrl");
        EXPECT_TRUE(d.keyField(0)->isEnabled());

        click(d.keyField(0), {5, 5});
        test::tapKey(&d, Qt::Key_C, kC, "c");
        EXPECT_EQ(d.keyField(0)->text(), "C") << "the field shows the key's name, not what it types";
        test::tapKey(&d, Qt::Key_Escape, kEsc);
        EXPECT_TRUE(d.isVisible()) << "Escape is a key here";
        EXPECT_EQ(d.keyField(0)->text(), "Esc");
        test::tapKey(&d, Qt::Key_C, kC, "c");
        click(&d, d.okPoint());
    });
    EXPECT_EQ(kind(), 12);
    EXPECT_EQ(at(img::LayerArray::ComboModifiers), 0x01);
    EXPECT_EQ(at(img::LayerArray::ComboKey1), 0x06);
    EXPECT_EQ(at(img::LayerArray::ComboKey2), 0x00);
    EXPECT_EQ(label(), "Combo Key-Left Ctrl+C");

    // A click beside an open list closes it and gives the fields back.
    choose<CComboDialog>(12, [](CComboDialog& d) {
        click(&d, d.modifierPoint());
        ASSERT_NE(d.rowList(), nullptr);
        click(&d, {5, d.height() - 5});
        EXPECT_EQ(d.rowList(), nullptr);
        EXPECT_TRUE(d.keyField(1)->isEnabled());
        click(d.keyField(1), {5, 5});
        test::tapKey(&d, Qt::Key_F4, kF4);
        click(&d, d.okPoint());
    });
    EXPECT_EQ(at(img::LayerArray::ComboModifiers), 0x00);
    EXPECT_EQ(at(img::LayerArray::ComboKey2), 0x3D);
    EXPECT_EQ(label(), "Combo Key-F4");
}

TEST_F(ParameterDialogs, ListDialogsChooseByClickAndConfirmWithEnter)
{
    choose<CMediaDialog>(9, [](CMediaDialog& d) {
        EXPECT_EQ(d.nameFace()->text(), "Next");
        click(&d, d.okPoint());
    });
    EXPECT_EQ(at(img::LayerArray::MediaCode), 0xB5);
    EXPECT_EQ(label(), "Multimedia-Next");

    choose<CWindowsDialog>(8, [](CWindowsDialog& d) {
        click(&d, d.facePoint());
        ASSERT_NE(d.rowList(), nullptr);
        EXPECT_EQ(d.rowList()->count(), 11);
        // The row under the pointer is the selected one.
        const QPoint over = rowPoint(d.rowList(), 10);
        QMouseEvent move(QEvent::MouseMove, over, d.rowList()->viewport()->mapToGlobal(over), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(d.rowList()->viewport(), &move);
        EXPECT_EQ(d.rowList()->currentRow(), 10);
        clickRow(d.rowList(), 10);
        EXPECT_EQ(d.nameFace()->text(), "Browser-My Favorites");
        test::tapKey(&d, Qt::Key_Return, kEnter);
        EXPECT_FALSE(d.isVisible()) << "Enter confirms this dialog";
    });
    EXPECT_EQ(kind(), 8);
    EXPECT_EQ(at(img::LayerArray::AppCodeLow), 0x2A);
    EXPECT_EQ(at(img::LayerArray::AppCodeHigh), 2);
    EXPECT_EQ(label(), "Browser-My Favorites");

    choose<CWindowsDialog>(8, [](CWindowsDialog& d) {
        click(&d, d.facePoint());
        clickRow(d.rowList(), 3);
        click(&d, d.okPoint());
    });

    // By keyboard: Down opens the list from its face and goes down it,
    // Enter takes the row, Tab goes on to Cancel past OK, Space presses it.
    choose<CWindowsDialog>(8, [](CWindowsDialog& d) {
        // A screen reader finds the same stops, named.
        QAccessibleInterface* dialog = QAccessible::queryAccessibleInterface(&d);
        ASSERT_EQ(dialog->childCount(), 4);
        QStringList names;
        for (int i = 0; i < 4; ++i)
            names << dialog->child(i)->text(QAccessible::Name);
        EXPECT_EQ(names, (QStringList{"Windows", "OK", "Cancel", "Close"}));
        EXPECT_EQ(dialog->child(0)->role(), QAccessible::ComboBox);
        EXPECT_EQ(dialog->child(0)->text(QAccessible::Value), d.nameFace()->text());
        test::tapKey(&d, Qt::Key_Tab, kTab);
        test::tapKey(&d, Qt::Key_Backtab, kTab);
        test::tapKey(&d, Qt::Key_Down, kDown);
        ASSERT_NE(d.rowList(), nullptr);
        const int start = std::max(d.rowList()->currentRow(), 0);
        for (int i = 0; i < 3; ++i)
            test::tapKey(&d, Qt::Key_Down, kDown);
        ASSERT_EQ(d.rowList()->currentRow(), start + 3);
        const QString row = d.rowList()->currentItem()->text();
        test::tapKey(&d, Qt::Key_Return, kEnter);
        EXPECT_EQ(d.rowList(), nullptr);
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.nameFace()->text(), row);
        test::tapKey(&d, Qt::Key_Tab, kTab);
        test::tapKey(&d, Qt::Key_Tab, kTab);
        test::tapKey(&d, Qt::Key_Space, 57);
    });
    EXPECT_EQ(label(), "My Computer") << "Cancel kept the button as it was";
    EXPECT_EQ(at(img::LayerArray::AppCodeLow), 0x94);
    EXPECT_EQ(at(img::LayerArray::AppCodeHigh), 1);
    EXPECT_EQ(label(), "My Computer");
}

TEST_F(ParameterDialogs, FireKeyCorrectsItsNumbersAndScrollsThreeRowsANotch)
{
    choose<CFireKeyDialog>(10, [](CFireKeyDialog& d) {
        EXPECT_EQ(d.speedField()->text(), "32");
        EXPECT_EQ(d.timesField()->text(), "1");
        // A screen reader reads the face's key and finds one element focused.
        QAccessibleInterface* dialog = QAccessible::queryAccessibleInterface(&d);
        d.speedField()->setFocus();
        int focused = 0;
        for (int i = 0; i < dialog->childCount(); ++i)
            focused += dialog->child(i)->state().focused ? 1 : 0;
        EXPECT_EQ(focused, 1);
        EXPECT_EQ(dialog->child(0)->textInterface()->text(0, -1), d.nameFace()->text());
        struct Row {
            const char* typed;
            const char* speed;
        };
        for (const Row& row : {Row{"3", "5"}, Row{"300", "5"}, Row{"", "5"}, Row{"20", "20"}}) {
            d.speedField()->setFocus();
            d.speedField()->selectAll();
            QTest::keyClick(d.speedField(), Qt::Key_Delete);
            QTest::keyClicks(d.speedField(), row.typed);
            d.timesField()->setFocus(); // the speed field loses the focus
            EXPECT_EQ(d.speedField()->text().toStdString(), row.speed) << row.typed;
        }
        d.timesField()->clear();
        EXPECT_EQ(d.model().times(), 0) << "an empty times field repeats while the button is held";
        QTest::keyClicks(d.timesField(), "256");
        EXPECT_EQ(d.timesField()->text(), "1");
        QTest::keyClicks(d.timesField(), "0");
        EXPECT_EQ(d.timesField()->text(), "10");
        QTest::keyClicks(d.timesField(), "x");
        EXPECT_EQ(d.timesField()->text(), "10") << "digits only";

        click(&d, d.facePoint());
        QListWidget* list = d.rowList();
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->count(), 61);
        EXPECT_FALSE(d.speedField()->isEnabled()) << "the number fields wait while the list is open";
        EXPECT_FALSE(d.timesField()->isEnabled());
        const int top = list->verticalScrollBar()->value();
        wheel(list->viewport(), {10, 10}, -120);
        EXPECT_EQ(list->verticalScrollBar()->value(), top + 3);
        wheel(&d, {10, d.height() - 10}, -240);
        EXPECT_EQ(list->verticalScrollBar()->value(), top + 9) << "wheel turns the dialog gets scroll the list too";
        wheel(list->viewport(), {10, 10}, 120);
        EXPECT_EQ(list->verticalScrollBar()->value(), top + 6);
        clickRow(list, 39);
        EXPECT_EQ(d.nameFace()->text(), "R-CTRL");
        EXPECT_TRUE(d.speedField()->isEnabled());
        click(&d, d.okPoint());
    });
    EXPECT_EQ(kind(), 10);
    EXPECT_EQ(at(img::LayerArray::FireCode), 0xE4);
    EXPECT_EQ(at(img::LayerArray::FireIndex), 39);
    EXPECT_EQ(at(img::LayerArray::FireSpeed), 20);
    EXPECT_EQ(at(img::LayerArray::FireTimes), 10);
    EXPECT_EQ(label(), "Fire Key-R-CTRL");

    // OK straight from a speed field that was never left is still corrected.
    choose<CFireKeyDialog>(10, [](CFireKeyDialog& d) {
        d.speedField()->setFocus();
        d.speedField()->setText("300");
        test::tapKey(&d, Qt::Key_Return, kEnter);
    });
    EXPECT_EQ(at(img::LayerArray::FireSpeed), 5);
    EXPECT_EQ(at(img::LayerArray::FireCode), 0x04);
}

TEST_F(ParameterDialogs, MacroKeyBindsTheFirstMacroUnlessAnotherIsChosen)
{
    choose<CMacroDialog>(13, [](CMacroDialog& d) {
        EXPECT_EQ(d.nameFace()->text(), "");
        click(&d, d.optionPoint(2));
        click(&d, d.okPoint());
    });
    EXPECT_EQ(kind(), 13);
    EXPECT_EQ(at(img::LayerArray::MacroNumber), 0);
    EXPECT_EQ(at(img::LayerArray::MacroRepeat), 1);
    EXPECT_EQ(label(), "Macro Key-Greeting");

    macros.clear();
    for (int i = 1; i <= 12; ++i)
        macros.push_back("Macro " + std::to_string(i));
    choose<CMacroDialog>(13, [](CMacroDialog& d) {
        click(&d, d.facePoint());
        QListWidget* list = d.rowList();
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->count(), 12);
        EXPECT_EQ(list->item(0)->text(), "Macro 1") << "in record.ini's order";
        wheel(list->viewport(), {10, 10}, -120);
        EXPECT_EQ(list->verticalScrollBar()->value(), 3);
        clickRow(list, 10);
        EXPECT_EQ(d.nameFace()->text(), "Macro 11");
        click(&d, d.optionPoint(3));
        click(&d, d.okPoint());
    });
    EXPECT_EQ(at(img::LayerArray::MacroNumber), 10);
    EXPECT_EQ(at(img::LayerArray::MacroRepeat), 2);
    EXPECT_EQ(label(), "Macro Key-Macro 11");
}

TEST_F(ParameterDialogs, CancelAndCloseLeaveKindParametersAndLabel)
{
    // Every dialog touched first, so a cancel that kept anything would show.
    const std::vector<std::pair<int, std::function<void()>>> dialogs = {
        {8,
         [] {
             driveNextDialog<CWindowsDialog>([](CWindowsDialog& d) {
                 click(&d, d.facePoint());
                 clickRow(d.rowList(), 5);
                 click(&d, d.cancelPoint());
             });
         }},
        {9,
         [] {
             driveNextDialog<CMediaDialog>([](CMediaDialog& d) {
                 click(&d, d.facePoint());
                 clickRow(d.rowList(), 4);
                 click(&d, d.closePoint());
             });
         }},
        {10,
         [] {
             driveNextDialog<CFireKeyDialog>([](CFireKeyDialog& d) {
                 d.timesField()->setText("7");
                 click(&d, d.cancelPoint());
             });
         }},
        {11,
         [] {
             driveNextDialog<CSingleDialog>([](CSingleDialog& d) {
                 test::tapKey(&d, Qt::Key_F5, kF5);
                 click(&d, d.closePoint());
             });
         }},
        {12,
         [] {
             driveNextDialog<CComboDialog>([](CComboDialog& d) {
                 click(&d, d.modifierPoint());
                 clickRow(d.rowList(), 1);
                 click(&d, d.cancelPoint());
             });
         }},
        {13,
         [] {
             driveNextDialog<CMacroDialog>([](CMacroDialog& d) {
                 click(&d, d.optionPoint(3));
                 click(&d, d.closePoint());
             });
         }},
    };
    const ConfigImage imageBefore = image;
    const ButtonLabels labelsBefore = labels;
    for (const auto& [row, drive] : dialogs) {
        SCOPED_TRACE(row);
        drive();
        model.toggleFunctionList(2);
        model.chooseFunction(2, row);
        EXPECT_EQ(kind(), 2) << "still the middle button";
        EXPECT_EQ(image, imageBefore);
        EXPECT_EQ(labels, labelsBefore);
        EXPECT_EQ(label(), "Mid Click");
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

TEST_F(ParameterDialogs, MissingBackgroundsSayWhichDialogAndReturnTheirFirstValues)
{
    struct Row {
        const char* image;
        int function;
        const char* caption;
        const char* label;
    };
    const Row rows[] = {
        {"single-key.png", 11, text::kSingleKeyBackgroundFailed, "Single Key-"},
        {"combo-key.png", 12, text::kComboBackgroundFailed, "Combo Key-"},
        {"media-key.png", 9, text::kMediaBackgroundFailed, "Multimedia-"},
        {"windows-key.png", 8, text::kWindowsBackgroundFailed, ""},
        {"fire-key.png", 10, text::kFireKeyBackgroundFailed, "Fire Key-"},
        {"macro-key.png", 13, text::kMacroKeyBackgroundFailed, "Macro Key-Greeting"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.image);
        const Skin lacking = test::paintedSkin("Dark", dir, row.image);
        reporter.messages.clear();
        auto& d = model.dialogs;
        d.singleKey = [&] { return CSingleDialog(lacking, Language::English, reporter).run(); };
        d.comboKey = [&] { return CComboDialog(lacking, Language::English, reporter).run(); };
        d.multimedia = [&] { return CMediaDialog(lacking, Language::English, reporter).run(); };
        d.applicationKey = [&] { return CWindowsDialog(lacking, Language::English, reporter).run(); };
        d.fireKey = [&] { return CFireKeyDialog(lacking, Language::English, reporter).run(); };
        d.macroKey = [&] { return CMacroDialog(macros, lacking, Language::English, reporter).run(); };
        bool driven = false;
        driveNextDialog<SkinnedDialog>(
            [&](SkinnedDialog& dialog) {
                EXPECT_FALSE(dialog.hasBackground());
                EXPECT_FALSE(dialog.isCapturingKeys());
                test::tapKey(&dialog, Qt::Key_F5, kF5);
                test::saveScreenshot(dialog.grabImage(),
                                     "dialog-missing-" + std::filesystem::path(row.image).stem().string());
                click(&dialog, dialog.okPoint());
            },
            &driven);
        model.toggleFunctionList(2);
        model.chooseFunction(2, row.function);
        EXPECT_TRUE(driven);
        ASSERT_EQ(reporter.messages.size(), 1u);
        EXPECT_EQ(reporter.messages[0].text, "error");
        EXPECT_EQ(reporter.messages[0].caption, row.caption);
        EXPECT_EQ(kind(), row.function);
        EXPECT_EQ(label(), row.label);
    }
    // What the first rows give, as the tables say.
    EXPECT_EQ(at(img::LayerArray::SingleKey), 0);
    EXPECT_EQ(at(img::LayerArray::MediaCode), 0xB5);
    EXPECT_EQ(at(img::LayerArray::AppCodeLow), 0x83);
    EXPECT_EQ(at(img::LayerArray::FireCode), 0x04);
    EXPECT_EQ(at(img::LayerArray::FireSpeed), 32);
    EXPECT_EQ(at(img::LayerArray::FireTimes), 1);
    EXPECT_EQ(at(img::LayerArray::MacroNumber), 0);
}

TEST_F(ParameterDialogs, KeyDialogsWithoutTheirBackgroundLeaveOnEscape)
{
    // Nothing captures keys there: Escape leaves them, as any dialog.
    const Skin noSingle = test::paintedSkin("Dark", dir, "single-key.png");
    const Skin noCombo = test::paintedSkin("Dark", dir, "combo-key.png");
    CSingleDialog single(noSingle, Language::English, reporter);
    CComboDialog combo(noCombo, Language::English, reporter);
    for (SkinnedDialog* dialog : {static_cast<SkinnedDialog*>(&single), static_cast<SkinnedDialog*>(&combo)})
        test::whileOpen<SkinnedDialog>(
            *dialog,
            [](SkinnedDialog& d) {
                QTest::keyClick(&d, Qt::Key_Escape);
                EXPECT_FALSE(d.isVisible()) << d.windowTitle().toStdString();
            },
            [&] { return dialog->exec(); });
}

} // namespace
} // namespace varcel::ui
