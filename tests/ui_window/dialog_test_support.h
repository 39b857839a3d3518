// A skin folder for dialog tests, screenshots, and running a modal dialog
// while a test drives it.
#pragma once

#include "support/temp_dir.h"
#include "ui/dialogs/skinned_dialog.h"
#include "ui/skin.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace varcel::test {

// The painted skin `name`, or a copy of it that lacks `missing`.
inline ui::Skin paintedSkin(const std::string& name, const TempDir& dir, const std::string& missing = {})
{
    const std::filesystem::path painted = std::filesystem::path(VARCEL_SKINS_DIR) / name;
    ui::Skin skin;
    if (missing.empty()) {
        skin.setFolder(painted);
    } else {
        const std::filesystem::path copy = dir / ("Skins-" + name + "-without-" + missing);
        std::filesystem::create_directories(copy);
        for (const auto& entry : std::filesystem::directory_iterator(painted))
            if (entry.path().filename() != missing)
                std::filesystem::copy_file(entry.path(), copy / entry.path().filename());
        skin.setFolder(copy);
    }
    if (const auto colour = skin.suggestedTextColour())
        skin.setTextColour(*colour);
    return skin;
}

// A picture the docs show (docs/images/NAME.png, English at scale 1) must be
// what the window draws now, but for a font's anti-aliasing; the new one is
// left in the screenshots folder.
inline void saveScreenshot(const QImage& image, const std::string& name)
{
    std::filesystem::create_directories(VARCEL_SCREENSHOTS_DIR);
    // Runs at 150 % and 200 % (QT_SCALE_FACTOR) leave theirs beside the others.
    const qreal scale = image.devicePixelRatio();
    const QString suffix = scale == 1 ? QString() : QStringLiteral("@%1x").arg(scale);
    const QString saved = QString::fromStdString(std::string(VARCEL_SCREENSHOTS_DIR) + "/" + name) + suffix + ".png";
    image.save(saved);
    const QImage shown(QString::fromStdString(std::string(VARCEL_DOCS_IMAGES_DIR) + "/" + name + ".png"));
    if (scale != 1 || shown.isNull())
        return;
    const QImage now = image.convertToFormat(QImage::Format_RGB32);
    const QImage old = shown.convertToFormat(QImage::Format_RGB32);
    long off = 0; // pixels that moved further than a font's anti-aliasing moves them
    for (int y = 0; old.size() == now.size() && y < now.height(); ++y)
        for (int x = 0; x < now.width(); ++x) {
            const QRgb a = now.pixel(x, y), b = old.pixel(x, y);
            off += std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                             std::abs(qBlue(a) - qBlue(b))}) > 64;
        }
    EXPECT_TRUE(old.size() == now.size() && off == 0)
        << "docs/images/" << name << ".png is not what the window draws now (" << off << " pixels differ; "
        << old.width() << "x" << old.height() << " against " << now.width() << "x" << now.height()
        << "): the new picture is " << saved.toStdString() << "; scripts/update-screenshots refreshes docs/images";
}

// The pointer moved to `at`, as the window system reports it.
inline void hover(QWidget* widget, const QPoint& at)
{
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

inline void click(QWidget* widget, const QPoint& at)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
}

// Runs `drive` on the dialog once its modal loop runs; `run` starts the loop.
template <typename Dialog, typename Run>
auto whileOpen(Dialog& dialog, const std::function<void(Dialog&)>& drive, Run run)
{
    bool driven = false;
    QTimer::singleShot(0, &dialog, [&] {
        driven = true;
        dialog.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
        drive(dialog);
        // A drive that did not end the dialog must not leave the test hanging.
        if (dialog.isVisible())
            dialog.reject();
    });
    auto result = run();
    EXPECT_TRUE(driven);
    return result;
}

// Drives the next modal dialog of type `Dialog` once it is open: for dialogs
// that a callback creates and runs.
template <typename Dialog>
void driveNextDialog(std::function<void(Dialog&)> drive, bool* driven = nullptr, int tries = 200)
{
    QTimer::singleShot(tries == 200 ? 0 : 5, [drive = std::move(drive), driven, tries] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            if (driven)
                *driven = true;
            // Focus moves between fields only in the active window.
            dialog->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
            drive(*dialog);
            if (dialog->isVisible())
                dialog->reject();
            return;
        }
        if (tries > 0)
            driveNextDialog<Dialog>(std::move(drive), driven, tries - 1);
    });
}

} // namespace varcel::test
