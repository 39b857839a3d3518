#include "ui/bus_server.h"

#include "platform/data_files.h"
#include "service/dbus_names.h"
#include "ui/bus_interface_xml.h"
#include "ui/main_window.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

#include <dbus/dbus.h>
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
            } else if constexpr (std::is_same_v<T, std::vector<bool>>) {
                return QVariant::fromValue(QList<bool>(v.begin(), v.end()));
            } else if constexpr (std::is_same_v<T, std::vector<std::uint32_t>>) {
                return QVariant::fromValue(QList<uint>(v.begin(), v.end()));
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

// An array of a Set, read no further than a list of a method may be long.
template <typename T>
std::optional<PropertyValue> arrayOf(const QDBusArgument& argument)
{
    std::vector<T> values;
    argument.beginArray();
    while (!argument.atEnd()) {
        if (values.size() == kMaxBusWords)
            return std::nullopt;
        std::conditional_t<std::is_same_v<T, bool>, bool, uint> value{};
        argument >> value;
        values.push_back(value);
    }
    argument.endArray();
    return values;
}

QString signatureOf(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<QDBusArgument>())
        return value.value<QDBusArgument>().currentSignature();
    return QString::fromLatin1(QDBusMetaType::typeToSignature(value.metaType()));
}

// A Set's value as the service takes it; nothing for a type no property has.
std::optional<PropertyValue> fromVariant(const QVariant& value)
{
    const QString type = signatureOf(value);
    if (type == QLatin1String("ab"))
        return arrayOf<bool>(value.value<QDBusArgument>());
    if (type == QLatin1String("au"))
        return arrayOf<std::uint32_t>(value.value<QDBusArgument>());
    if (type == "b")
        return value.toBool();
    if (type == "u")
        return std::uint32_t{value.toUInt()};
    if (type == "i")
        return std::int32_t{value.toInt()};
    if (type == "s" && value.toString().toUtf8().size() <= qsizetype(kMaxBusText))
        return value.toString().toStdString();
    return std::nullopt;
}

} // namespace

BusServer::BusServer(VarcelService& service, QObject* parent)
    : QDBusVirtualObject(parent), m_service(service), m_bus(QDBusConnection::sessionBus())
{}

BusServer::~BusServer()
{
    if (m_registered) {
        // The name is let go without waiting for the bus: a bus or a client
        // that does not answer must not keep the program from ending (the
        // bus frees the name anyway when the connection closes).
        QDBusMessage release = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ReleaseName"));
        release << QString::fromLatin1(bus::kName);
        release.setAutoStartService(false);
        m_bus.send(release);
        m_bus.unregisterObject(QString::fromLatin1(bus::kPath));
    }
}

bool BusServer::start(QString* why)
{
    if (!m_bus.isConnected()) {
        *why = m_bus.lastError().message();
        return false;
    }
    // The bus library stops reading once the calls it holds pass 63 MB and
    // takes that back up from the thread that lets the last one go, which
    // QtDBus does not follow from the window's thread: one 100 MB call left
    // the program deaf. Calls are bounded and let go at once instead (the
    // bus itself holds at most 1 GB for one connection).
    if (auto* connection = static_cast<DBusConnection*>(m_bus.internalPointer()))
        dbus_connection_set_max_received_size(connection, long{1} << 31);
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
    // The installed file is the interface's one description; the settings'
    // properties come from the settings catalogue, as the installed file's do.
    QString xml = QString::fromUtf8(kBusInterfaceXml);
    xml.replace(QString::fromLatin1(bus::kSettingPropertiesMark), QString::fromStdString(settingPropertiesXml()));
    const qsizetype from = xml.indexOf(QStringLiteral("<interface"));
    const qsizetype to = xml.lastIndexOf(QStringLiteral("</interface>"));
    return xml.mid(from, to + 12 - from);
}

namespace {

// Whether every argument is within what a caller may send: strings and
// words short, a profile or a file's contents no larger than import takes.
bool withinBounds(const QDBusMessage& message)
{
    const bool large = message.member() == QLatin1String("ImportProfile") ||
                       message.member() == QLatin1String("RunCommandWithInput");
    for (const QVariant& arg : message.arguments()) {
        if (arg.metaType() == QMetaType::fromType<QString>()) {
            const qsizetype limit = large ? qsizetype(kMaxBusProfile) : qsizetype(kMaxBusText);
            // UTF-16 units: no more than the UTF-8 bytes the bus carried.
            if (arg.toString().size() > limit || (!large && arg.toString().toUtf8().size() > limit))
                return false;
        } else if (arg.metaType() == QMetaType::fromType<QStringList>()) {
            const QStringList words = arg.toStringList();
            if (words.size() > qsizetype(kMaxBusWords))
                return false;
            for (const QString& word : words)
                if (word.size() > qsizetype(kMaxBusText) || word.toUtf8().size() > qsizetype(kMaxBusText))
                    return false;
        } else if (arg.metaType() == QMetaType::fromType<QByteArray>()) {
            if (arg.toByteArray().size() > qsizetype(kMaxBusProfile))
                return false;
        }
    }
    return true;
}

std::string utf8(const QVariant& value) { return value.toString().toStdString(); }

} // namespace

void BusServer::fail(const QDBusMessage& message, const QDBusConnection& connection, const QString& name,
                     const QString& text)
{
    connection.send(message.createErrorReply(name, text));
}

bool BusServer::handleMessage(const QDBusMessage& message, const QDBusConnection& connection)
{
    const QString interface = message.interface();
    // Introspection and Peer are the bus library's own.
    if (interface == QLatin1String("org.freedesktop.DBus.Introspectable") ||
        interface == QLatin1String("org.freedesktop.DBus.Peer"))
        return false;
    // Refused before anything else, so that an oversized call is let go at
    // once and costs nothing more.
    if (!withinBounds(message)) {
        fail(message, connection, QDBusError::errorString(QDBusError::InvalidArgs),
             QStringLiteral("an argument is larger than Varcel takes (%1 bytes for a text, %2 words, %3 bytes for a "
                            "profile)")
                 .arg(kMaxBusText)
                 .arg(kMaxBusWords)
                 .arg(kMaxBusProfile));
        return true;
    }
    const QString sender = message.service();
    if (const auto known = m_uids.find(sender); known != m_uids.end()) {
        serve(message, connection, known->second);
        return true;
    }
    // The caller's user is asked of the bus once per connection, without
    // waiting: its calls wait meanwhile, in order.
    auto& waiting = m_waiting[sender];
    waiting.push_back(message);
    if (waiting.size() == 1) {
        QDBusMessage ask = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                          QStringLiteral("/org/freedesktop/DBus"),
                                                          QStringLiteral("org.freedesktop.DBus"),
                                                          QStringLiteral("GetConnectionUnixUser"));
        ask << sender;
        auto* watcher = new QDBusPendingCallWatcher(connection.asyncCall(ask, kUserQueryMs), this);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, this,
                         [this, sender, connection](QDBusPendingCallWatcher* call) {
                             call->deleteLater();
                             const QDBusPendingReply<uint> reply = *call;
                             std::optional<uint> uid;
                             if (reply.isValid()) {
                                 uid = reply.value();
                                 // Unique names are never given twice; the table is kept small.
                                 if (m_uids.size() >= kKnownCallers)
                                     m_uids.clear();
                                 m_uids[sender] = *uid;
                             }
                             const std::vector<QDBusMessage> calls = std::move(m_waiting[sender]);
                             m_waiting.erase(sender);
                             for (const QDBusMessage& waited : calls)
                                 serve(waited, connection, uid);
                         });
    }
    return true;
}

void BusServer::serve(const QDBusMessage& message, const QDBusConnection& connection, std::optional<uint> uid)
{
    // A failure of any kind inside a call is that call's error, never the
    // end of the program.
    try {
        if (!uid) {
            fail(message, connection, QString::fromLatin1(bus::kErrorFailed),
                 QStringLiteral("the bus did not tell the caller's user; nothing was done"));
        } else if (*uid != ::getuid()) {
            // The session bus is the user's own; this keeps it so should it
            // ever be shared.
            fail(message, connection, QString::fromLatin1(bus::kErrorAccessDenied),
                 QStringLiteral("Varcel answers its own user only"));
        } else {
            dispatch(message, connection);
        }
    } catch (const std::exception& e) {
        fail(message, connection, QString::fromLatin1(bus::kErrorFailed), qs(textForBus(e.what())));
    } catch (...) {
        fail(message, connection, QString::fromLatin1(bus::kErrorFailed), QStringLiteral("the call failed"));
    }
}

void BusServer::replyTo(const QDBusMessage& message, const QDBusConnection& connection, const CommandOutput& output,
                        const QList<QVariant>& result)
{
    if (output.ok())
        connection.send(message.createReply(result));
    else
        fail(message, connection,
             QString::fromLatin1(output.error        ? output.error
                                 : output.status == 2 ? bus::kErrorUsage
                                                      : bus::kErrorFailed),
             qs(textForBus(output.err.empty() ? output.out : output.err)).trimmed());
    propertiesMayHaveChanged();
}

void BusServer::dispatchProperties(const QDBusMessage& message, const QDBusConnection& connection)
{
    const QString member = message.member();
    const QList<QVariant> args = message.arguments();
    const QString signature = message.signature();
    const bool get = member == QLatin1String("Get");
    const bool getAll = member == QLatin1String("GetAll");
    const bool set = member == QLatin1String("Set");
    if (!get && !getAll && !set) {
        fail(message, connection, QDBusError::errorString(QDBusError::UnknownMethod),
             QStringLiteral("no method %1 in org.freedesktop.DBus.Properties").arg(member));
        return;
    }
    if (signature != QLatin1String(get ? "ss" : getAll ? "s" : "ssv")) {
        fail(message, connection, QDBusError::errorString(QDBusError::InvalidArgs),
             QStringLiteral("%1 takes (%2), not (%3)").arg(member, get ? "ss" : getAll ? "s" : "ssv", signature));
        return;
    }
    // An empty interface name stands for any interface, ours being the one.
    const QString interface = args.value(0).toString();
    if (!interface.isEmpty() && interface != QLatin1String(bus::kInterface)) {
        fail(message, connection, QDBusError::errorString(QDBusError::UnknownInterface),
             QStringLiteral("no interface %1 here").arg(interface));
        return;
    }
    if (getAll) {
        QVariantMap all;
        for (const ServiceProperty& p : m_service.properties())
            all.insert(QString::fromLatin1(p.name), toVariant(p.value));
        connection.send(message.createReply(QVariant::fromValue(all)));
        return;
    }
    const QString name = args.value(1).toString();
    const ServiceProperty* property = m_service.property(name.toStdString());
    if (set) {
        const QVariant given = args.value(2).value<QDBusVariant>().variant();
        if (const auto value = fromVariant(given))
            replyTo(message, connection, m_service.setProperty(name.toStdString(), *value), {});
        else
            fail(message, connection, QDBusError::errorString(QDBusError::InvalidArgs),
                 QStringLiteral("no property of Varcel takes a value of type %1 (or %2 values and more); nothing "
                                "was saved")
                     .arg(signatureOf(given))
                     .arg(kMaxBusWords + 1));
    } else if (!property) {
        fail(message, connection, QDBusError::errorString(QDBusError::UnknownProperty),
             QStringLiteral("no property %1").arg(name));
    } else {
        connection.send(message.createReply(QVariant::fromValue(QDBusVariant(toVariant(property->value)))));
    }
}

void BusServer::dispatch(const QDBusMessage& message, const QDBusConnection& connection)
{
    const QString interface = message.interface();
    if (interface == QLatin1String(bus::kPropertiesInterface)) {
        dispatchProperties(message, connection);
        return;
    }
    if (!interface.isEmpty() && interface != QLatin1String(bus::kInterface)) {
        fail(message, connection, QDBusError::errorString(QDBusError::UnknownInterface),
             QStringLiteral("no interface %1 here").arg(interface));
        return;
    }
    const QString member = message.member();
    const BusMethod* method = findBusMethod(member.toStdString());
    if (!method) {
        fail(message, connection, QDBusError::errorString(QDBusError::UnknownMethod),
             QStringLiteral("no method %1 in %2").arg(member, QString::fromLatin1(bus::kInterface)));
        return;
    }
    // The declared signature only: nothing converted, nothing extra.
    if (message.signature() != QLatin1String(method->signature)) {
        fail(message, connection, QDBusError::errorString(QDBusError::InvalidArgs),
             QStringLiteral("%1 takes (%2), not (%3)")
                 .arg(member, QString::fromLatin1(method->signature), message.signature()));
        return;
    }

    const QList<QVariant> args = message.arguments();
    if (member == QLatin1String("RunCommand") || member == QLatin1String("RunCommandWithInput")) {
        std::string input;
        if (args.size() > 1)
            input = args.value(1).toByteArray().toStdString();
        const CommandOutput o = m_service.runCommand(stringsOf(args.value(0)), args.size() > 1 ? &input : nullptr);
        connection.send(message.createReply({o.status, qs(textForBus(o.out)), qs(textForBus(o.err))}));
        propertiesMayHaveChanged();
        return;
    }
    if (member == QLatin1String("FocusChanged")) {
        // Answered first: KWin's script must not wait for a switch.
        connection.send(message.createReply());
        m_service.focusChanged(utf8(args.value(0)), utf8(args.value(1)), utf8(args.value(2)), args.value(3).toUInt());
        propertiesMayHaveChanged();
        return;
    }
    // Every other method answers what the service printed.
    CommandOutput o;
    if (member == QLatin1String("Apply"))
        o = m_service.apply();
    else if (member == QLatin1String("GetConfiguration"))
        o = m_service.configuration();
    else if (member == QLatin1String("GetKeyPageSettings"))
        o = m_service.keyPageSettings();
    else if (member == QLatin1String("GetButtonFunction"))
        o = m_service.buttonFunction(utf8(args.value(0)), args.value(1).toUInt());
    else if (member == QLatin1String("SetButtonFunction"))
        o = m_service.setButtonFunction(utf8(args.value(0)), args.value(1).toUInt(), stringsOf(args.value(2)),
                                        args.value(3).toBool());
    else if (member == QLatin1String("ExportProfile"))
        o = m_service.exportProfile();
    else if (member == QLatin1String("LoadProfile"))
        o = m_service.loadProfile(utf8(args.value(0)));
    else if (member == QLatin1String("ImportProfile"))
        o = m_service.importProfile(utf8(args.value(0)), args.value(1).toBool());
    replyTo(message, connection, o, {QVariant(qs(textForBus(o.out)))});
}

void BusServer::propertiesMayHaveChanged()
{
    std::vector<std::string> changed;
    try {
        changed = m_service.takeChangedProperties();
    } catch (const std::exception&) {
        return; // the values stay those read last
    }
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
      m_files(window.controller().dataDir(), {kConfigFileName, kLabelsFileName, kMacroFileName}),
      m_profileState(window.controller().dataDir(), {kActiveProfileFileName, kProfilesFolderName})
{
    MainController& controller = window.controller();
    m_notifier = notifierOf(m_files, [this] {
        if (m_files.drain()) {
            // The settings' properties are config.bin's, whatever the
            // window does with the change.
            m_server.propertiesMayHaveChanged();
            m_window.controller().filesChanged();
        }
    });
    // Profiles saved, renamed or deleted by a program that did not go
    // through the bus: their properties follow the files all the same.
    m_stateNotifier = notifierOf(m_profileState, [this] {
        if (m_profileState.drain()) {
            watchProfiles();
            m_server.propertiesMayHaveChanged();
        }
    });
    watchProfiles();
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

std::unique_ptr<QSocketNotifier> ProgramService::notifierOf(const FolderWatch& watch, std::function<void()> changed)
{
    if (watch.fd() < 0)
        return nullptr;
    auto notifier = std::make_unique<QSocketNotifier>(watch.fd(), QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, &m_window, std::move(changed));
    return notifier;
}

void ProgramService::watchProfiles()
{
    // The folder may come and go; its watch goes with it.
    m_profilesNotifier.reset();
    m_profiles = std::make_unique<FolderWatch>(m_window.controller().dataDir() / kProfilesFolderName,
                                               std::vector<std::string>{});
    m_profilesNotifier = notifierOf(*m_profiles, [this] {
        if (m_profiles->drain())
            m_server.propertiesMayHaveChanged();
    });
}

ProgramService::~ProgramService()
{
    m_window.controller().onStatus = nullptr;
    m_window.controller().onFilesChanged = nullptr;
}

bool ProgramService::start(QString* why) { return m_server.start(why); }

} // namespace varcel
