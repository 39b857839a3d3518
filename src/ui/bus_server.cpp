#include "ui/bus_server.h"

#include "platform/data_files.h"
#include "service/dbus_names.h"
#include "ui/bus_interface_xml.h"
#include "ui/main_window.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QVariantMap>

#include <unistd.h>

namespace varcel {

namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }

QVariant toVariant(const PropertyValue& value)
{
    return std::visit(
        [](const auto& v) -> QVariant {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::string>) {
                return QString::fromStdString(v);
            } else if constexpr (std::is_same_v<T, std::vector<std::string>>) {
                QStringList list;
                for (const std::string& item : v)
                    list.push_back(QString::fromStdString(item));
                return list;
            } else if constexpr (std::is_same_v<T, std::uint32_t>) {
                return QVariant::fromValue(static_cast<uint>(v));
            } else if constexpr (std::is_same_v<T, std::int32_t>) {
                return QVariant::fromValue(static_cast<int>(v));
            } else {
                return QVariant::fromValue(v);
            }
        },
        value);
}

std::vector<std::string> stringsOf(const QVariant& value)
{
    std::vector<std::string> out;
    for (const QString& s : value.toStringList())
        out.push_back(s.toStdString());
    return out;
}

} // namespace

BusServer::BusServer(VarcelService& service, QObject* parent)
    : QDBusVirtualObject(parent), m_service(service), m_bus(QDBusConnection::sessionBus())
{}

BusServer::~BusServer()
{
    if (m_registered) {
        m_bus.unregisterService(QString::fromLatin1(bus::kName));
        m_bus.unregisterObject(QString::fromLatin1(bus::kPath));
    }
}

bool BusServer::start(QString* why)
{
    if (!m_bus.isConnected()) {
        *why = m_bus.lastError().message();
        return false;
    }
    if (!m_bus.registerVirtualObject(QString::fromLatin1(bus::kPath), this)) {
        *why = m_bus.lastError().message();
        return false;
    }
    // Only one Varcel runs per user, so the name is free unless another
    // program took it.
    if (!m_bus.registerService(QString::fromLatin1(bus::kName))) {
        *why = m_bus.lastError().message();
        m_bus.unregisterObject(QString::fromLatin1(bus::kPath));
        return false;
    }
    m_registered = true;
    return true;
}

QString BusServer::introspect(const QString&) const
{
    // The installed file is the interface's one description.
    const QString xml = QString::fromUtf8(kBusInterfaceXml);
    const qsizetype from = xml.indexOf(QStringLiteral("<interface"));
    const qsizetype to = xml.lastIndexOf(QStringLiteral("</interface>"));
    return xml.mid(from, to + 12 - from);
}

bool BusServer::fromThisUser(const QDBusMessage& message, const QDBusConnection& connection) const
{
    // The session bus is the user's own; this keeps it so should it ever be
    // shared.
    const QDBusReply<uint> uid = connection.interface()->serviceUid(message.service());
    return uid.isValid() && uid.value() == ::getuid();
}

void BusServer::replyTo(const QDBusMessage& message, const QDBusConnection& connection, const CommandOutput& output,
                        const QList<QVariant>& result)
{
    if (output.ok())
        connection.send(message.createReply(result));
    else
        connection.send(
            message.createErrorReply(QString::fromLatin1(output.status == 2 ? bus::kErrorUsage : bus::kErrorFailed),
                                     qs(output.err.empty() ? output.out : output.err).trimmed()));
    propertiesMayHaveChanged();
}

bool BusServer::handleMessage(const QDBusMessage& message, const QDBusConnection& connection)
{
    const QString interface = message.interface();
    const QString member = message.member();
    const QList<QVariant> args = message.arguments();
    if (!fromThisUser(message, connection)) {
        connection.send(message.createErrorReply(QString::fromLatin1(bus::kErrorAccessDenied),
                                                 QStringLiteral("Varcel answers its own user only")));
        return true;
    }
    if (interface == QLatin1String(bus::kPropertiesInterface)) {
        if (args.value(0).toString() != QLatin1String(bus::kInterface))
            return false;
        if (member == QLatin1String("GetAll")) {
            QVariantMap all;
            for (const ServiceProperty& p : m_service.properties())
                all.insert(QString::fromLatin1(p.name), toVariant(p.value));
            connection.send(message.createReply(QVariant::fromValue(all)));
            return true;
        }
        if (member == QLatin1String("Get")) {
            for (const ServiceProperty& p : m_service.properties())
                if (args.value(1).toString() == QLatin1String(p.name)) {
                    connection.send(message.createReply(QVariant::fromValue(QDBusVariant(toVariant(p.value)))));
                    return true;
                }
            connection.send(message.createErrorReply(QDBusError::UnknownProperty, args.value(1).toString()));
            return true;
        }
        if (member == QLatin1String("Set")) {
            connection.send(message.createErrorReply(QDBusError::PropertyReadOnly, args.value(1).toString()));
            return true;
        }
        return false;
    }
    if (!interface.isEmpty() && interface != QLatin1String(bus::kInterface))
        return false;

    const auto text = [](const CommandOutput& o) { return QVariant(qs(o.out)); };
    if (member == QLatin1String("RunCommand")) {
        const CommandOutput o = m_service.runCommand(stringsOf(args.value(0)));
        connection.send(message.createReply({o.status, qs(o.out), qs(o.err)}));
        propertiesMayHaveChanged();
    } else if (member == QLatin1String("Apply")) {
        const CommandOutput o = m_service.apply();
        replyTo(message, connection, o, {text(o)});
    } else if (member == QLatin1String("GetConfiguration")) {
        const CommandOutput o = m_service.configuration();
        replyTo(message, connection, o, {text(o)});
    } else if (member == QLatin1String("GetKeyPageSettings")) {
        const CommandOutput o = m_service.keyPageSettings();
        replyTo(message, connection, o, {text(o)});
    } else if (member == QLatin1String("GetButtonFunction")) {
        const CommandOutput o =
            m_service.buttonFunction(args.value(0).toString().toStdString(), args.value(1).toUInt());
        replyTo(message, connection, o, {text(o)});
    } else if (member == QLatin1String("SetButtonFunction")) {
        const CommandOutput o =
            m_service.setButtonFunction(args.value(0).toString().toStdString(), args.value(1).toUInt(),
                                        stringsOf(args.value(2)), args.value(3).toBool());
        replyTo(message, connection, o, {text(o)});
    } else if (member == QLatin1String("ExportProfile")) {
        const CommandOutput o = m_service.exportProfile();
        replyTo(message, connection, o, {text(o)});
    } else if (member == QLatin1String("FocusChanged")) {
        // Answered first: KWin's script must not wait for a switch.
        connection.send(message.createReply());
        m_service.focusChanged(args.value(0).toString().toStdString(), args.value(1).toString().toStdString(),
                               args.value(2).toString().toStdString(), args.value(3).toUInt());
        propertiesMayHaveChanged();
    } else if (member == QLatin1String("LoadProfile")) {
        const CommandOutput o = m_service.loadProfile(args.value(0).toString().toStdString());
        replyTo(message, connection, o, {text(o)});
    } else if (member == QLatin1String("ImportProfile")) {
        const CommandOutput o = m_service.importProfile(args.value(0).toString().toStdString(), args.value(1).toBool());
        replyTo(message, connection, o, {text(o)});
    } else {
        return false;
    }
    return true;
}

void BusServer::propertiesMayHaveChanged()
{
    const std::vector<std::string> changed = m_service.takeChangedProperties();
    if (changed.empty() || !m_bus.isConnected())
        return;
    QVariantMap values;
    for (const ServiceProperty& p : m_service.properties())
        if (std::find(changed.begin(), changed.end(), p.name) != changed.end())
            values.insert(QString::fromLatin1(p.name), toVariant(p.value));
    QDBusMessage signal =
        QDBusMessage::createSignal(QString::fromLatin1(bus::kPath), QString::fromLatin1(bus::kPropertiesInterface),
                                   QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(bus::kInterface) << values << QStringList();
    m_bus.send(signal);
}

void BusServer::mouseEvent(StatusCode code, int value)
{
    m_service.deviceStatus(code, value);
    if (m_bus.isConnected()) {
        QDBusMessage signal = QDBusMessage::createSignal(
            QString::fromLatin1(bus::kPath), QString::fromLatin1(bus::kInterface), QStringLiteral("MouseEvent"));
        signal << QString::fromLatin1(statusCodeName(code)) << value;
        m_bus.send(signal);
    }
    propertiesMayHaveChanged();
}

ProgramService::ProgramService(ui::CHidMouseDlg& window, bool simulated, VarcelService::CommandRunner runCommand)
    : m_window(window), m_service(window.controller(), simulated, std::move(runCommand)), m_server(m_service),
      m_files(window.controller().dataDir(), {kConfigFileName, kLabelsFileName, kMacroFileName})
{
    MainController& controller = window.controller();
    if (m_files.fd() >= 0) {
        m_notifier = std::make_unique<QSocketNotifier>(m_files.fd(), QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, &window, [this] {
            if (m_files.drain())
                m_window.controller().filesChanged();
        });
    }
    // After the method's reply: the window may ask the user about unsaved
    // changes, and the caller must not wait for that.
    m_service.afterFilesChanged = [this] {
        QMetaObject::invokeMethod(
            &m_window, [this] { m_window.controller().filesChanged(); }, Qt::QueuedConnection);
    };
    controller.onStatus = [this](StatusCode code, int value) { m_server.mouseEvent(code, value); };
    controller.onFilesChanged = [this] {
        m_service.filesChanged();
        m_server.propertiesMayHaveChanged();
    };
}

ProgramService::~ProgramService()
{
    m_window.controller().onStatus = nullptr;
    m_window.controller().onFilesChanged = nullptr;
}

bool ProgramService::start(QString* why) { return m_server.start(why); }

} // namespace varcel
