// The running Varcel on the user's session bus (QtDBus, on the window
// thread): the properties and methods of the service core, and the
// PropertiesChanged and MouseEvent signals. Only the user's own programs are
// answered.
#pragma once

#include "platform/folder_watch.h"
#include "service/service_core.h"

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QSocketNotifier>

#include <functional>
#include <memory>

namespace varcel {

namespace ui {
class CHidMouseDlg;
}

class BusServer : public QDBusVirtualObject {
public:
    explicit BusServer(VarcelService& service, QObject* parent = nullptr);
    ~BusServer() override;

    // Registers the object and takes the name; false (and `why`) when there
    // is no session bus or the name is taken.
    bool start(QString* why);
    // Sends PropertiesChanged for what changed since the last call.
    void propertiesMayHaveChanged();
    // The mouse's own switch or its coming and going, as a signal.
    void mouseEvent(StatusCode code, int value);

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    bool fromThisUser(const QDBusMessage& message, const QDBusConnection& connection) const;
    void replyTo(const QDBusMessage& message, const QDBusConnection& connection, const CommandOutput& output,
                 const QList<QVariant>& result);

    VarcelService& m_service;
    QDBusConnection m_bus;
    bool m_registered = false;
};

// What the running program offers beside its window: it follows the data
// folder's files (inotify, no polling) and serves the bus interface.
class ProgramService {
public:
    ProgramService(ui::CHidMouseDlg& window, bool simulated, VarcelService::CommandRunner runCommand);
    ~ProgramService();
    // False (and `why`) when the program is not on the session bus; the
    // files are followed all the same.
    bool start(QString* why);
    VarcelService& service() { return m_service; }
    bool followsFiles() const { return m_notifier != nullptr; }

private:
    ui::CHidMouseDlg& m_window;
    VarcelService m_service;
    BusServer m_server;
    FolderWatch m_files;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace varcel
