// The small dialogs as a user meets them, under Qt's offscreen platform:
// clicks land where the layout table says, keys arrive with the keyboard's
// own key codes, and what each dialog returns is checked. Screenshots of every
// dialog in both skins and all three languages go to build/screenshots.
#include "dialog_test_support.h"
#include "platform/reporter.h"
#include "key_events.h"
#include "lang/dialog_strings.h"
#include "ui/dialogs/combo_dialog.h"
#include "ui/dialogs/delay_time_dialog.h"
#include "ui/dialogs/fire_key_dialog.h"
#include "ui/dialogs/macro_dialog.h"
#include "ui/dialogs/media_dialog.h"
#include "ui/dialogs/single_dialog.h"
#include "ui/dialogs/windows_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include <gtest/gtest.h>

namespace varcel::ui {
namespace {

using test::click;

const char* languageTag(Language language)
{
    return language == Language::SimplifiedChinese    ? "zh_CN"
           : language == Language::TraditionalChinese ? "zh_TW"
                                                      : "en";
}

constexpr Language kLanguages[] = {Language::SimplifiedChinese, Language::TraditionalChinese, Language::English};

class Dialogs : public ::testing::Test {
protected:
    test::TempDir dir;
    Skin dark = test::paintedSkin("Dark", dir);
    RecordingReporter reporter;
};

TEST_F(Dialogs, DelayDialogReturnsTheFieldOnOkAndNothingOnCancelOrClose)
{
    struct Row {
        const char* what;
        const char* typed;
        bool ok;           // OK, else the button below
        bool close;        // close rather than Cancel
        std::optional<std::string> result;
    };
    const Row rows[] = {
        {"leading zeros kept", "0050", true, false, "0050"},
        {"letters are not taken", "1x2y", true, false, "12"},
        {"empty field", "", true, false, ""},
        {"cancel", "300", false, false, std::nullopt},
        {"close", "300", false, true, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        CDelayTimeDialog dialog(dark, Language::English, reporter);
        const auto result = test::whileOpen<CDelayTimeDialog>(
            dialog,
            [&](CDelayTimeDialog& d) {
                ASSERT_NE(d.field(), nullptr);
                QTest::keyClicks(d.field(), row.typed);
                click(&d, row.ok ? d.okPoint() : row.close ? d.closePoint() : d.cancelPoint());
            },
            [&] { return dialog.run(); });
        EXPECT_EQ(result, row.result);
    }
    EXPECT_TRUE(reporter.messages.empty());
}

TEST_F(Dialogs, DelayDialogKeepsTheFieldsValueAndEnterConfirms)
{
    CDelayTimeDialog dialog(dark, Language::English, reporter);
    const auto result = test::whileOpen<CDelayTimeDialog>(
        dialog,
        [](CDelayTimeDialog& d) {
            QTest::keyClicks(d.field(), "1500");
            EXPECT_EQ(d.value().value(), 1500);
            QTest::keyClick(d.field(), Qt::Key_Return);
        },
        [&] { return dialog.run(); });
    EXPECT_EQ(result, std::optional<std::string>("1500"));
}

TEST_F(Dialogs, MissingBackgroundSaysSoAndTheDialogCanStillBeLeft)
{
    const Skin lacking = test::paintedSkin("Dark", dir, "delay-time.png");
    CDelayTimeDialog dialog(lacking, Language::English, reporter);
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].text, "error");
    EXPECT_EQ(reporter.messages[0].caption, text::kDelayBackgroundFailed);
    EXPECT_FALSE(dialog.hasBackground());
    EXPECT_EQ(dialog.field(), nullptr) << "no field without the background";
    test::saveScreenshot(dialog.grabImage(), "dialog-delay-missing-background");
    const auto result = test::whileOpen<CDelayTimeDialog>(
        dialog, [](CDelayTimeDialog& d) { click(&d, d.okPoint()); }, [&] { return dialog.run(); });
    EXPECT_EQ(result, std::optional<std::string>(""));
}

TEST_F(Dialogs, DelayDialogScreenshotsInBothSkinsAndAllLanguages)
{
    for (const char* skinName : {"Dark", "Light"}) {
        const Skin skin = test::paintedSkin(skinName, dir);
        for (const Language language : kLanguages) {
            CDelayTimeDialog dialog(skin, language, reporter);
            dialog.show();
            dialog.showPause("250 ms");
            EXPECT_EQ(dialog.field()->text(), "250");
            test::hover(&dialog, dialog.okPoint());
            EXPECT_EQ(dialog.over(), SkinnedDialog::Over::Ok);
            test::saveScreenshot(dialog.grabImage(), std::string("dialog-delay-") + skinName + "-" +
                                                         languageTag(language));
        }
    }
    EXPECT_TRUE(reporter.messages.empty());
}

TEST_F(Dialogs, ScreenshotsOfEveryDialogInBothSkinsAndAllLanguages)
{
    using namespace test::evdev;
    const std::vector<std::string> macros{"Greeting", "Reload", "宏一", "Sprint"};
    for (const char* skinName : {"Dark", "Light"}) {
        const Skin skin = test::paintedSkin(skinName, dir);
        for (const Language language : kLanguages) {
            const std::string tag = std::string(skinName) + "-" + languageTag(language);
            // On the light skin a field or an open list is light too, not a
            // dark box on the white dialog.
            const auto shoot = [&](SkinnedDialog& dialog, const std::string& name, const Rect& field) {
                const QImage shot = dialog.grabImage();
                test::saveScreenshot(shot, "dialog-" + name + "-" + tag);
                const int grey = qGray(shot.pixel(QPointF((field.x + 3) * shot.devicePixelRatio(),
                                                          (field.y + field.h / 2) * shot.devicePixelRatio())
                                                      .toPoint()));
                EXPECT_EQ(grey > 128, std::string(skinName) == "Light") << name << " " << tag;
            };
            {
                CSingleDialog d(skin, language, reporter);
                d.show();
                test::tapKey(&d, Qt::Key_Enter, kKeypadEnter);
                EXPECT_EQ(d.nameField()->text(), "Num Enter");
                shoot(d, "single-key", d.layout().fields[0]);
            }
            {
                CComboDialog d(skin, language, reporter);
                d.show();
                d.activateWindow();
                ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
                click(&d, d.modifierPoint());
                shoot(d, "combo-key-list", d.layout().list);
                QListWidget* list = d.rowList();
                ASSERT_NE(list, nullptr);
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(5)).center());
                click(d.keyField(0), {4, 4});
                test::tapKey(&d, Qt::Key_Up, kUp);
                shoot(d, "combo-key", d.layout().fields[1]);
            }
            {
                CMediaDialog d(skin, language, reporter);
                d.show();
                click(&d, d.facePoint());
                shoot(d, "media-key-list", d.layout().list);
            }
            {
                CWindowsDialog d(skin, language, reporter);
                d.show();
                click(&d, d.facePoint());
                shoot(d, "windows-key-list", d.layout().list);
                QListWidget* list = d.rowList();
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(10)).center());
                shoot(d, "windows-key", d.layout().face);
            }
            {
                CFireKeyDialog d(skin, language, reporter);
                d.show();
                shoot(d, "fire-key", d.layout().fields[0]);
                click(&d, d.facePoint());
                shoot(d, "fire-key-list", d.layout().list);
            }
            {
                CMacroDialog d(macros, skin, language, reporter);
                d.show();
                click(&d, d.optionPoint(2));
                shoot(d, "macro-key", d.layout().face);
                click(&d, d.facePoint());
                shoot(d, "macro-key-list", d.layout().list);
            }
        }
    }
    EXPECT_TRUE(reporter.messages.empty());
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
