// Key capture: an application-wide key event filter that names every key
// press, automatic repeat and release by its physical key, before the focused
// field sees the event. The key dialogs use it to capture any key (Enter and
// Escape included) by name; macro recording uses it with `consume` so that
// recorded keys do not also type into the window.
#pragma once

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <string>

class QKeyEvent;

namespace varcel::ui {

struct CapturedKey {
    std::uint32_t evdevCode = 0; // Linux key code; 0 when the key is not known
    std::string name;            // the key-name service's name, may be empty
    bool press = true;           // false for a release
    bool autoRepeat = false;
    std::uint64_t time = 0;      // the event's time stamp in milliseconds
};

// The Linux key code of a Qt key event: the native scan code minus 8 where the
// platform gives one (X11, Wayland), else a mapping from Qt's key code.
std::uint32_t evdevCodeOf(const QKeyEvent& event);

// The same mapping from Qt's key code alone, for events without a scan code.
// Qt does not tell left from right modifiers there, so they count as left;
// the keypad is told by the keypad modifier. 0 for keys the table lacks.
std::uint32_t evdevCodeFromQtKey(int qtKey, bool keypad);

class KeyCapture : public QObject {
public:
    using Handler = std::function<void(const CapturedKey&)>;

    // The handler runs at once, on the window thread, for every key event.
    // With `consume` the events end there; otherwise they go on as usual.
    explicit KeyCapture(Handler handler, bool consume = false, QObject* parent = nullptr);
    ~KeyCapture() override;

    // Starts watching: 0, or an error number when there is nothing to watch
    // (no application object, or a capture made on another thread than the
    // application's, whose events it would never see).
    int install();
    void remove();
    bool isInstalled() const { return m_installed; }

    static constexpr int kNoApplication = 1;
    static constexpr int kWrongThread = 2;

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    bool seenBefore(QObject* receiver, const QEvent* event) const;

    Handler m_handler;
    bool m_consume;
    bool m_installed = false;
    // An event travels from the window to the focused widget and, unless one
    // accepts it, on to its parents; it is reported once, at its first stop.
    const QEvent* m_lastEvent = nullptr;
    int m_lastType = 0;
    QPointer<QObject> m_lastReceiver;
};

} // namespace varcel::ui
