#include "LinuxNetworkInfo.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QNetworkInterface>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
constexpr unsigned kRouteFlagGateway = 0x2;
constexpr uint kDeviceTypeWifi = 2;

const QString kService = u"org.freedesktop.NetworkManager"_s;
const QString kManagerPath = u"/org/freedesktop/NetworkManager"_s;
const QString kManagerInterface = u"org.freedesktop.NetworkManager"_s;
const QString kDeviceInterface = u"org.freedesktop.NetworkManager.Device"_s;
const QString kWirelessInterface = u"org.freedesktop.NetworkManager.Device.Wireless"_s;
const QString kAccessPointInterface = u"org.freedesktop.NetworkManager.AccessPoint"_s;
const QString kPropertiesInterface = u"org.freedesktop.DBus.Properties"_s;
const char *const kPropertiesChangedSlot =
    SLOT(propertiesChanged(QString, QVariantMap, QStringList));

QString readTextFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

// The value of a Properties.Get answer.
QVariant propertyValue(const QDBusMessage &reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().first().value<QDBusVariant>().variant();
}

QString kernelWifiInterface()
{
    const QDir sys(u"/sys/class/net"_s);
    const QStringList entries = sys.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : entries) {
        if (QFileInfo::exists(sys.filePath(name + u"/wireless"_s)) ||
            QFileInfo::exists(sys.filePath(name + u"/phy80211"_s)))
            return name;
    }
    const QStringList fromProc =
        LinuxNetworkInfo::parseWirelessInterfaces(readTextFile(u"/proc/net/wireless"_s));
    if (!fromProc.isEmpty())
        return fromProc.first();
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : interfaces) {
        if (iface.name().startsWith(u"wl"))
            return iface.name();
    }
    return {};
}
} // namespace

struct LinuxNetworkInfo::Scan
{
    int pending = 0;
    QList<Device> found;
};

LinuxNetworkInfo::LinuxNetworkInfo(const QDBusConnection &bus, QObject *parent)
    : NetworkInfo(parent), m_bus(bus)
{
    if (!m_bus.isConnected()) {
        m_reported = true;
        return;
    }
    auto *watcher = new QDBusServiceWatcher(kService, m_bus,
                                            QDBusServiceWatcher::WatchForRegistration |
                                                QDBusServiceWatcher::WatchForUnregistration,
                                            this);
    connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] { rescan(); });
    connect(watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
        m_scan.reset();
        m_devices.clear();
        watchPaths({});
        publish(std::nullopt);
    });
    // The bus matches a signal's arguments to the slot by type name: unless the object path
    // type is registered by then, the connection fails and devices coming and going go unheard.
    qRegisterMetaType<QDBusObjectPath>();
    for (const char *signal : {"DeviceAdded", "DeviceRemoved"}) {
        if (!m_bus.connect(kService, kManagerPath, kManagerInterface, QString::fromLatin1(signal),
                           this, SLOT(deviceListChanged(QDBusObjectPath))))
            qWarning("NetworkManager's %s cannot be followed: %s", signal,
                     qPrintable(m_bus.lastError().message()));
    }
    rescan();
}

LinuxNetworkInfo::~LinuxNetworkInfo()
{
    if (!m_bus.isConnected())
        return;
    watchPaths({});
    for (const char *signal : {"DeviceAdded", "DeviceRemoved"})
        m_bus.disconnect(kService, kManagerPath, kManagerInterface, QString::fromLatin1(signal),
                         this, SLOT(deviceListChanged(QDBusObjectPath)));
}

void LinuxNetworkInfo::call(const QString &path, const QString &interface, const QString &method,
                            const QVariantList &arguments,
                            std::function<void(const QDBusMessage &)> answer)
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, path, interface, method);
    message.setArguments(arguments);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [answer = std::move(answer)](QDBusPendingCallWatcher *w) {
                w->deleteLater();
                answer(w->reply());
            });
}

void LinuxNetworkInfo::rescan()
{
    auto scan = std::make_shared<Scan>();
    m_scan = scan;
    scan->pending = 1;
    call(kManagerPath, kManagerInterface, u"GetDevices"_s, {},
         [this, scan](const QDBusMessage &reply) {
             if (scan != m_scan)
                 return;
             if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
                 const auto devices = qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().first());
                 for (const QDBusObjectPath &device : devices)
                     readDevice(scan, device.path());
             }
             finishStep(scan);
         });
}

void LinuxNetworkInfo::readDevice(const std::shared_ptr<Scan> &scan, const QString &path)
{
    ++scan->pending;
    call(
        path, kPropertiesInterface, u"GetAll"_s, {kDeviceInterface},
        [this, scan, path](const QDBusMessage &reply) {
            if (scan != m_scan)
                return;
            if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
                const auto properties = qdbus_cast<QVariantMap>(reply.arguments().first());
                if (properties.value(u"DeviceType"_s).toUInt() == kDeviceTypeWifi) {
                    // Watched from now on, so that no change during the scan is missed.
                    watch(path);
                    scan->found.append({path, properties.value(u"Interface"_s).toString(), {}, {}});
                    const qsizetype index = scan->found.size() - 1;
                    ++scan->pending;
                    call(path, kPropertiesInterface, u"Get"_s,
                         {kWirelessInterface, u"ActiveAccessPoint"_s},
                         [this, scan, index](const QDBusMessage &apReply) {
                             if (scan != m_scan)
                                 return;
                             const auto ap = qvariant_cast<QDBusObjectPath>(propertyValue(apReply));
                             if (!ap.path().isEmpty() && ap.path() != u"/")
                                 readAccessPoint(scan, index, ap.path());
                             finishStep(scan);
                         });
                }
            }
            finishStep(scan);
        });
}

void LinuxNetworkInfo::readAccessPoint(const std::shared_ptr<Scan> &scan, qsizetype device,
                                       const QString &path)
{
    ++scan->pending;
    scan->found[device].accessPoint = path;
    watch(path);
    call(path, kPropertiesInterface, u"Get"_s, {kAccessPointInterface, u"Ssid"_s},
         [this, scan, device](const QDBusMessage &reply) {
             if (scan != m_scan)
                 return;
             const QByteArray ssid = propertyValue(reply).toByteArray();
             if (!ssid.isEmpty())
                 scan->found[device].ssid = QString::fromUtf8(ssid);
             finishStep(scan);
         });
}

void LinuxNetworkInfo::finishStep(const std::shared_ptr<Scan> &scan)
{
    if (--scan->pending > 0 || scan != m_scan)
        return;
    m_scan.reset();
    m_devices = scan->found;
    std::sort(m_devices.begin(), m_devices.end(),
              [](const Device &a, const Device &b) { return a.path < b.path; });
    QStringList paths;
    for (const Device &device : std::as_const(m_devices)) {
        paths << device.path;
        if (!device.accessPoint.isEmpty())
            paths << device.accessPoint;
    }
    watchPaths(paths);
    std::optional<QString> ssid;
    for (const Device &device : std::as_const(m_devices)) {
        if (device.ssid) {
            ssid = device.ssid;
            break;
        }
    }
    publish(ssid);
}

void LinuxNetworkInfo::watch(const QString &path)
{
    if (m_watched.contains(path))
        return;
    m_bus.connect(kService, path, kPropertiesInterface, u"PropertiesChanged"_s, this,
                  kPropertiesChangedSlot);
    m_watched << path;
}

void LinuxNetworkInfo::watchPaths(const QStringList &paths)
{
    for (const QString &path : std::as_const(m_watched)) {
        if (!paths.contains(path))
            m_bus.disconnect(kService, path, kPropertiesInterface, u"PropertiesChanged"_s, this,
                             kPropertiesChangedSlot);
    }
    m_watched.removeIf([&paths](const QString &path) { return !paths.contains(path); });
    for (const QString &path : paths)
        watch(path);
}

void LinuxNetworkInfo::publish(const std::optional<QString> &ssid)
{
    const bool first = !std::exchange(m_reported, true);
    if (!first && ssid == m_ssid)
        return;
    m_ssid = ssid;
    Q_EMIT ssidChanged();
}

void LinuxNetworkInfo::deviceListChanged(const QDBusObjectPath &)
{
    rescan();
}

void LinuxNetworkInfo::propertiesChanged(const QString &interface, const QVariantMap &changed,
                                         const QStringList &invalidated)
{
    // Only a new access point or a renamed one matters; signal strength and scans do not.
    const QString key = interface == kWirelessInterface      ? u"ActiveAccessPoint"_s
                        : interface == kAccessPointInterface ? u"Ssid"_s
                                                             : QString();
    if (!key.isEmpty() && (changed.contains(key) || invalidated.contains(key)))
        rescan();
}

QString LinuxNetworkInfo::wifiInterface() const
{
    for (const Device &device : m_devices) {
        if (device.ssid && !device.interface.isEmpty())
            return device.interface;
    }
    for (const Device &device : m_devices) {
        if (!device.interface.isEmpty())
            return device.interface;
    }
    return kernelWifiInterface();
}

std::optional<QString> LinuxNetworkInfo::parseDefaultGateway(const QString &routeTable,
                                                             const QString &interfaceName)
{
    std::optional<QString> gateway;
    const QStringList lines = routeTable.split(u'\n', Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        const QStringList f = line.split(QRegularExpression(u"\\s+"_s), Qt::SkipEmptyParts);
        if (f.size() < 4 || f[0] == u"Iface")
            continue;
        bool okDest = false, okGw = false, okFlags = false;
        const quint32 dest = f[1].toUInt(&okDest, 16);
        const quint32 gw = f[2].toUInt(&okGw, 16);
        const quint32 flags = f[3].toUInt(&okFlags, 16);
        if (!okDest || !okGw || !okFlags || f[0] != interfaceName)
            continue;
        if (dest != 0 || !(flags & kRouteFlagGateway) || gw == 0)
            continue;
        // The kernel prints the address in host (little-endian) byte order.
        gateway = u"%1.%2.%3.%4"_s.arg(gw & 0xff)
                      .arg((gw >> 8) & 0xff)
                      .arg((gw >> 16) & 0xff)
                      .arg((gw >> 24) & 0xff);
    }
    return gateway;
}

QStringList LinuxNetworkInfo::parseWirelessInterfaces(const QString &procWireless)
{
    QStringList names;
    const QStringList lines = procWireless.split(u'\n', Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        const qsizetype colon = line.indexOf(u':');
        if (colon <= 0)
            continue;
        const QString name = line.left(colon).trimmed();
        if (!name.isEmpty() && !name.contains(u' ') && !name.contains(u'|'))
            names << name;
    }
    return names;
}

std::optional<QString> LinuxNetworkInfo::wifiAddress()
{
    const QString name = wifiInterface();
    if (name.isEmpty())
        return std::nullopt;
    const QNetworkInterface iface = QNetworkInterface::interfaceFromName(name);
    if (!iface.isValid() || (iface.flags() & QNetworkInterface::IsLoopBack))
        return std::nullopt;
    const auto entries = iface.addressEntries();
    for (const QNetworkAddressEntry &entry : entries) {
        if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
            return entry.ip().toString();
    }
    return std::nullopt;
}

std::optional<QString> LinuxNetworkInfo::defaultGateway()
{
    const QString name = wifiInterface();
    if (name.isEmpty())
        return std::nullopt;
    return parseDefaultGateway(readTextFile(u"/proc/net/route"_s), name);
}
