// The running Varcel on the user's session bus (QtDBus, on the window
// thread): the properties and methods of the service core, and the
// PropertiesChanged and MouseEvent signals. Only the user's own programs are
// answered, and nothing a caller sends may end or hold up the program.
#pragma once

#include "platform/folder_watch.h"
#include "service/service_core.h"

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QSocketNotifier>

#include <QDBusMessage>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

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
    // A call of a caller whose user is known (none: the bus did not say).
    void serve(const QDBusMessage& message, const QDBusConnection& connection, std::optional<uint> uid);
    void dispatch(const QDBusMessage& message, const QDBusConnection& connection);
    void dispatchProperties(const QDBusMessage& message, const QDBusConnection& connection);
    static void fail(const QDBusMessage& message, const QDBusConnection& connection, const QString& name,
                     const QString& text);
    void replyTo(const QDBusMessage& message, const QDBusConnection& connection, const CommandOutput& output,
                 const QList<QVariant>& result);

    static constexpr int kUserQueryMs = 5000;
    static constexpr std::size_t kKnownCallers = 256;

    VarcelService& m_service;
    QDBusConnection m_bus;
    bool m_registered = false;
    // Each caller's user ID, by its unique name on the bus, asked once.
    std::map<QString, uint> m_uids;
    std::map<QString, std::vector<QDBusMessage>> m_waiting;
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
    std::unique_ptr<QSocketNotifier> notifierOf(const FolderWatch& watch, std::function<void()> changed);
    void watchProfiles();

    ui::CHidMouseDlg& m_window;
    VarcelService m_service;
    BusServer m_server;
    FolderWatch m_files;
    FolderWatch m_profileState; // the active profile's marker, the profiles folder coming and going
    std::unique_ptr<FolderWatch> m_profiles;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::unique_ptr<QSocketNotifier> m_stateNotifier;
    std::unique_ptr<QSocketNotifier> m_profilesNotifier;
};

} // namespace varcel
