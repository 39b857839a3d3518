// Key events as X11 and Wayland deliver them: to the window first, carrying
// the keyboard's own key code (the evdev code plus 8) as the native scan code.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

#include <cstdint>

namespace varcel::test {

// Evdev key codes used by the tests.
namespace evdev {
inline constexpr std::uint32_t kEsc = 1, kEnter = 28, kLeftCtrl = 29, kA = 30, kLeftShift = 42, kC = 46, kF1 = 59,
                               kF5 = 63, kKeypadEnter = 96, kRightCtrl = 97, kUp = 103, kLeftMeta = 125,
                               kRightMeta = 126, kBackslash = 43, kF4 = 62, kTab = 15, kDown = 108;
}

inline void sendKey(QWidget* top, QEvent::Type type, int qtKey, std::uint32_t evdevCode,
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {},
                    bool autoRepeat = false)
{
    QKeyEvent event(type, qtKey, modifiers, evdevCode + 8, 0, 0, text, autoRepeat);
    QWindow* window = top->window()->windowHandle();
    if (window)
        QApplication::sendEvent(window, &event);
    else
        QApplication::sendEvent(top, &event);
}

inline void pressKey(QWidget* top, int qtKey, std::uint32_t evdevCode, const QString& text = {})
{
    sendKey(top, QEvent::KeyPress, qtKey, evdevCode, Qt::NoModifier, text);
}

inline void releaseKey(QWidget* top, int qtKey, std::uint32_t evdevCode, const QString& text = {})
{
    sendKey(top, QEvent::KeyRelease, qtKey, evdevCode, Qt::NoModifier, text);
}

inline void tapKey(QWidget* top, int qtKey, std::uint32_t evdevCode, const QString& text = {})
{
    pressKey(top, qtKey, evdevCode, text);
    releaseKey(top, qtKey, evdevCode, text);
}

} // namespace varcel::test
