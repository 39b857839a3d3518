// The key capture: every key event named once by its physical key, before the
// focused field, and nothing once it is removed.
#include "key_events.h"
#include "platform/key_names.h"
#include "ui/key_capture.h"

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <thread>

namespace varcel::ui {
namespace {

using namespace test::evdev;

class Capture : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* box = new QVBoxLayout(&top);
        field = new QLineEdit(&top);
        box->addWidget(field);
        top.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));
        field->setFocus();
    }
    std::vector<CapturedKey> seen;
    QWidget top;
    QLineEdit* field = nullptr;
};

TEST_F(Capture, NamesEachEventOnceByItsPhysicalKey)
{
    KeyCapture capture([this](const CapturedKey& key) { seen.push_back(key); });
    ASSERT_EQ(capture.install(), 0);
    struct Row {
        int qtKey;
        std::uint32_t evdevCode;
        const char* name;
    };
    // Qt's key codes merge left and right and the keypad; the scan code does not.
    const Row rows[] = {
        {Qt::Key_Escape, kEsc, "Esc"},          {Qt::Key_Control, kLeftCtrl, "Ctrl"},
        {Qt::Key_Control, kRightCtrl, "Right Ctrl"}, {Qt::Key_Enter, kKeypadEnter, "Num Enter"},
        {Qt::Key_Return, kEnter, "Enter"},      {Qt::Key_Up, kUp, "Up"},
        {Qt::Key_F5, kF5, "F5"},                {Qt::Key_Backslash, kBackslash, "\\"},
        // A key that types a character into the field, which does not stop it.
        {Qt::Key_A, kA, "A"},
    };
    for (const Row& row : rows) {
        seen.clear();
        test::tapKey(&top, row.qtKey, row.evdevCode);
        ASSERT_EQ(seen.size(), 2u) << row.name << ": one press and one release, through window and field";
        EXPECT_EQ(seen[0].name, row.name);
        EXPECT_EQ(seen[0].evdevCode, row.evdevCode);
        EXPECT_TRUE(seen[0].press);
        EXPECT_FALSE(seen[1].press);
        EXPECT_EQ(seen[1].name, row.name);
    }

    // Sent straight to a widget that ignores the key (F5 in a line edit), the
    // event climbs to the parents; it is still one event.
    seen.clear();
    QKeyEvent direct(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier, kF5 + 8, 0, 0);
    QApplication::sendEvent(field, &direct);
    EXPECT_EQ(seen.size(), 1u);
    // The same key pressed twice is two events.
    QKeyEvent again(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier, kF5 + 8, 0, 0);
    QApplication::sendEvent(field, &again);
    QApplication::sendEvent(field, &again);
    EXPECT_EQ(seen.size(), 3u);

    seen.clear();
    test::sendKey(&top, QEvent::KeyPress, Qt::Key_A, kA, Qt::NoModifier, "a", true);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0].autoRepeat);
}

TEST_F(Capture, LetsKeysThroughUnlessConsumingAndStopsWhenRemoved)
{
    {
        KeyCapture capture([this](const CapturedKey& key) { seen.push_back(key); });
        ASSERT_EQ(capture.install(), 0);
        test::tapKey(&top, Qt::Key_A, kA, "a");
        EXPECT_EQ(field->text(), "a") << "the capture never swallows a key";
    }
    seen.clear();
    test::tapKey(&top, Qt::Key_B, 48, "b");
    EXPECT_TRUE(seen.empty()) << "a destroyed capture watches nothing";
    EXPECT_EQ(field->text(), "ab");

    KeyCapture consuming([this](const CapturedKey& key) { seen.push_back(key); }, true);
    ASSERT_EQ(consuming.install(), 0);
    test::tapKey(&top, Qt::Key_C, kC, "c");
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(field->text(), "ab") << "a consuming capture keeps keys from the field";
    consuming.remove();
    EXPECT_FALSE(consuming.isInstalled());
    test::tapKey(&top, Qt::Key_C, kC, "c");
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(field->text(), "abc");
}

TEST(KeyCaptureInstall, RefusesAThreadWhoseKeysItWouldNeverSee)
{
    int error = -1;
    std::thread other([&] {
        KeyCapture capture([](const CapturedKey&) {});
        error = capture.install();
        EXPECT_FALSE(capture.isInstalled());
    });
    other.join();
    EXPECT_EQ(error, KeyCapture::kWrongThread);
}

TEST(KeyCaptureFallback, NamesKeysFromQtKeyCodesWhenThereIsNoScanCode)
{
    struct Row {
        int qtKey;
        bool keypad;
        const char* name;
    };
    const Row rows[] = {
        {Qt::Key_F5, false, "F5"},          {Qt::Key_Enter, true, "Num Enter"}, {Qt::Key_Return, false, "Enter"},
        {Qt::Key_Control, false, "Ctrl"},   {Qt::Key_A, false, "A"},            {Qt::Key_Exclam, false, "1"},
        {Qt::Key_8, true, "Num 8"},         {Qt::Key_Up, true, "Num 8"},        {Qt::Key_Up, false, "Up"},
        {Qt::Key_Super_R, false, "Right Windows"}, {Qt::Key_VolumeUp, false, ""},
    };
    for (const Row& row : rows) {
        QKeyEvent event(QEvent::KeyPress, row.qtKey, row.keypad ? Qt::KeypadModifier : Qt::NoModifier);
        const std::uint32_t code = evdevCodeOf(event);
        EXPECT_EQ(code ? keyNameForEvdevCode(code) : std::string(), row.name) << row.qtKey;
    }
}

} // namespace
} // namespace varcel::ui
