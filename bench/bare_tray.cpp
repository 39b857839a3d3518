// The yardstick for bench/startup.sh: the least a Qt Widgets program with a
// tray icon costs (start-up to the icon docked, resident memory), and the
// least a click on it costs to show an empty window of Varcel's size, so
// Varcel's own cost can be told apart from the toolkit's. With
// VARCEL_FRAME_LOG it logs the icon's first drawing, the click and the first
// frame as Varcel does.
#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

#include "platform/frame_log.h"

namespace {

class EmptyWindow : public QWidget {
public:
    EmptyWindow() : QWidget(nullptr, Qt::FramelessWindowHint | Qt::Tool) { setFixedSize(868, 630); }

protected:
    void showEvent(QShowEvent* event) override
    {
        m_firstFrameToLog = true;
        QWidget::showEvent(event);
    }
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).fillRect(rect(), Qt::black);
        if (m_firstFrameToLog) {
            m_firstFrameToLog = false;
            QTimer::singleShot(0, this, [] { varcel::logFrameMoment("frame"); });
        }
    }
    void keyPressEvent(QKeyEvent*) override { hide(); }

private:
    bool m_firstFrameToLog = false;
};

// The tray icon is the only window drawn at the start: its first drawing is
// logged as Varcel logs its own.
class FirstDrawing : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            QCoreApplication::instance()->removeEventFilter(this);
            QTimer::singleShot(0, this, [] { varcel::logFrameMoment("icon"); });
        }
        return false;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    FirstDrawing firstDrawing;
    app.installEventFilter(&firstDrawing);
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::darkCyan);
    QSystemTrayIcon tray{QIcon(pixmap)};
    QMenu menu;
    menu.addAction(QStringLiteral("Exit"), &app, &QApplication::quit);
    tray.setContextMenu(&menu);
    EmptyWindow window;
    QObject::connect(&tray, &QSystemTrayIcon::activated, &window, [&window](QSystemTrayIcon::ActivationReason reason) {
        if (reason != QSystemTrayIcon::Trigger)
            return;
        varcel::logFrameMoment("click");
        window.show();
        window.raise();
        window.activateWindow();
    });
    tray.show();
    return app.exec();
}
