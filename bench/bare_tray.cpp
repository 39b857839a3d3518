// The yardstick for bench/startup.sh: the least a Qt Widgets program with a
// tray icon costs (start-up to the icon docked, resident memory), so
// Varcel's own cost can be told apart from the toolkit's.
#include <QApplication>
#include <QMenu>
#include <QPixmap>
#include <QSystemTrayIcon>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::darkCyan);
    QSystemTrayIcon tray{QIcon(pixmap)};
    QMenu menu;
    menu.addAction(QStringLiteral("Exit"), &app, &QApplication::quit);
    tray.setContextMenu(&menu);
    tray.show();
    return app.exec();
}
