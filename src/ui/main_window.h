// The main window: one skinned, borderless surface with two pages, drawn
// into a canvas (kept while the window is in sight) and hit-tested by the layout table. It draws what
// the controller holds and routes clicks and the tray icon to it.
#pragma once

#include "control/main_controller.h"
#include "platform/reporter.h"
#include "ui/accessible_canvas.h"
#include "ui/frame_cache.h"
#include "ui/layout.h"
#include "ui/page_host.h"
#include "ui/skin.h"

#include <QFont>
#include <QListWidget>
#include <QImage>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QTranslator>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <memory>
#include <set>

class QSocketNotifier;

namespace varcel {

class HotplugSource;
class SimControlServer;

namespace ui {

class AdvancedPage;
class KeyPage;
class WindowPage;

// The program's icon, drawn rather than shipped: a mouse outline on the accent.
QIcon appIcon();

// Message boxes of the core, shown as the user expects them: one OK button.
class MessageBoxReporter : public Reporter {
public:
    void messageBox(const std::string& text, const std::string& caption) override;
    QWidget* parent = nullptr;
    // Set when the program is ending: a box then would hold the end up.
    bool ending = false;
};

// Status codes from any thread, handed to the window thread without waiting.
class QueuedStatus : public StatusSink {
public:
    explicit QueuedStatus(QObject* receiver) : m_receiver(receiver) {}
    void deviceStatus(StatusCode code, int value) override;
    std::function<void(StatusCode, int)> deliver;

private:
    QObject* m_receiver;
};

class CHidMouseDlg : public QWidget, public MainWindowView, public PageHost, public AccessibleHost {
    Q_OBJECT
public:
    struct Options {
        std::filesystem::path dataDir;
        Language language = Language::English;
        // Without a tray the window shows at start and closing it ends the
        // program, so it is never out of reach.
        bool trayAvailable = true;
    };

    CHidMouseDlg(const Options& options, HidBackend& backend, QWidget* parent = nullptr);
    ~CHidMouseDlg() override;

    // Start-up in its order; the window stays hidden when there is a tray.
    // Where the tray icon is a window of Varcel's own (an X11 tray), all that
    // follows the icon waits until the tray host has shown it, or a second;
    // startedUp() tells when the start is done.
    void startUp();
    // The program is ending (a signal: logout, Ctrl+C): every box and dialog
    // that is open is closed, so the loop it runs returns, and none opens
    // after it.
    void endNow();
    bool ending() const { return m_reporter.ending; }
    // Follows the mouse being plugged in and out.
    void watchHotplug(HotplugSource& source);
    // The simulated mouse's remote control, answered on this thread.
    void watchSimControl(SimControlServer& server);

    MainController& controller() override { return *m_controller; }
    const QImage& canvas() const { return m_canvas; }
    QSystemTrayIcon* trayIcon() { return m_tray; }
    KeyPage& keyPage() { return *m_keyPage; }
    AdvancedPage& advancedPage() override { return *m_advancedPage; }
    const std::set<Element>& hoveredElements() const { return m_over; }
    // The last balloon asked for (shown through the tray when there is one).
    const Balloon& lastBalloon() const { return m_lastBalloon; }

    // The tray icon's left click, as the shell would deliver it.
    void trayActivated();
    // MainWindowView
    void showBalloon(const Balloon& balloon) override;
    void showWindow() override;
    void hideWindow() override;
    void tearDownPage(varcel::Page page) override;
    void drawPage(varcel::Page page) override;
    bool keepEdits(const std::string& question, const std::string& keep, const std::string& take) override;

    // The whole window ends: tray icon removed, reader stopped.
    void exitProgram();
    // The skin button: choose a skin and a text colour.
    void openSkinDialog();

    // PageHost: what the pages draw with and open over the window.
    QWidget& widget() override { return *this; }
    Skin& skin() override { return m_skin; }
    Reporter& reporter() override { return m_reporter; }
    const QFont& font() const override { return m_font; }
    const QFont& titleFont() const override { return m_titleFont; }
    void drawing(const std::function<void(QPainter&)>& paint) override;
    void drawElement(QPainter& painter, Element element, bool over) override;
    // Also under a soft-edged or mostly transparent image, which must never
    // show what was drawn there before.
    void restoreBackground(QPainter& painter, const Rect& r) override;
    void drawCommon(QPainter& painter) override;
    void redrawElements(const std::vector<Element>& elements) override;
    void redrawPage() override { drawPage(page()); }
    QListWidget* makeList(const QString& name, const QStringList& rows, const Rect& where, int valueRow) override;
    void listRowMoved(QWidget* list, int row) override { m_announcer.listRowMoved(list, row); }

    // ---- The keyboard and screen readers (AccessibleHost) ----
    Element focusElement() const override { return m_focus; }
    // Whether the focus mark shows: only once the keyboard has been used,
    // until the next click or hide.
    bool focusMarkShown() const { return m_focusShown; }
    void activate(Element stop) override;
    void arrow(Element stop, int key) override;
    void setStopValue(Element stop, int value) override;
    QWidget* controlOf(Element stop) const override;
    int dpiRows() const override;
    // Something the page shows may have changed: screen readers hear of it.
    void elementsChanged();
    AccessibleAnnouncer& announcer() { return m_announcer; }

signals:
    void exitRequested();
    void startedUp();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    // Tooltips of the header's buttons.
    bool event(QEvent* event) override;

private:
    Page page() const { return m_controller->currentPage(); }
    WindowPage* pageFor(Page which) const;
    void dispatchClick(const QPoint& pos);
    // A click on an element, however it came: true when something took it.
    bool dispatchElement(Element hit);
    void setFocusElement(Element stop, bool byKeyboard);
    void hoverRequest(const QPoint& pos);
    void hoverNow();
    void restoreHovered(QPainter& painter, Element except);

    void closeLists();
    // The canvas at the screen's device pixel ratio, with the page drawn.
    void prepareCanvas();
    void releasePictures();
    // Hidden: the next frame drawn now, kept in m_frames.
    void drawAhead();
    void setUpTray();
    // Runs `read` on this thread whenever the file descriptor has data, from
    // the end of the start on.
    void whenReadable(int fd, const std::function<void()>& read);
    // The start after the tray icon: config.bin, the mouse, the skin.
    void finishStartUp();
    void setUpFonts(Language language);
    // The toolkit's own windows (boxes, the name prompt, the colour chooser)
    // in the window's language and in the skin's colours.
    void setUpToolkitWindows(Language language);
    void applyToolkitStyle();
    // The tray icon's tip says where to look when the mouse is not there.
    void updateTrayTip();

    Options m_options;
    MessageBoxReporter m_reporter;
    QueuedStatus m_status;
    std::unique_ptr<MainController> m_controller;
    Skin m_skin;
    QImage m_canvas;
    FrameCache m_frames;
    QTimer m_drawAheadTimer;
    QFont m_font;
    QFont m_titleFont;

    std::unique_ptr<QTranslator> m_qtTranslator;
    QSystemTrayIcon* m_tray = nullptr;
    Balloon m_lastBalloon;

    std::unique_ptr<KeyPage> m_keyPage;
    std::unique_ptr<AdvancedPage> m_advancedPage;

    std::set<Element> m_over;
    Element m_pendingHover = Element::None;
    QTimer m_hoverTimer;

    bool m_dragging = false;
    QPoint m_dragOffset;
    bool m_exiting = false;
    bool m_startedUp = false;

    std::vector<std::unique_ptr<QSocketNotifier>> m_notifiers;
    std::unique_ptr<QObject> m_cacheRelease;

    Element m_focus = Element::None;
    bool m_focusShown = false;
    bool m_firstFrameToLog = false;
    AccessibleAnnouncer m_announcer;
};

} // namespace ui
} // namespace varcel
