// The WiFi name from NetworkManager over D-Bus, against a fake NetworkManager on a bus of the
// test's own that answers every call late.
#include "LinuxNetworkInfo.h"
#include "PrivateBus.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {
const QString kService = u"org.freedesktop.NetworkManager"_s;
const QString kRoot = u"/org/freedesktop/NetworkManager"_s;

const auto devicePath = [](int n) { return kRoot + u"/Devices/%1"_s.arg(n); };
const auto accessPointPath = [](int n) { return kRoot + u"/AccessPoint/%1"_s.arg(n); };
// The reported name, printable in a failed comparison.
const auto ssidOf = [](const NetworkInfo &info) {
    return info.currentSsid().value_or(u"(none)"_s);
};

// Answers the calls the platform makes, each 150 ms late: the device list, a device's
// properties, its active access point and that point's name.
class FakeNetworkManager : public QDBusVirtualObject
{
public:
    struct Device
    {
        QString interface;
        uint type = 2; // WiFi
        QString accessPoint = u"/"_s;
    };

    explicit FakeNetworkManager(QDBusConnection bus) : m_bus(std::move(bus)) {}
    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &) override
    {
        ++calls;
        const QDBusMessage reply = answer(message);
        QTimer::singleShot(ssidDelayMs.value(message.path(), 150), this,
                           [this, reply] { m_bus.send(reply); });
        return true;
    }

    // The active access point of device @p n changes, announced.
    void setAccessPoint(int n, const QString &path)
    {
        devices[devicePath(n)].accessPoint = path;
        announce(devicePath(n), kService + u".Device.Wireless"_s,
                 {{u"ActiveAccessPoint"_s, QVariant::fromValue(QDBusObjectPath(path))}});
    }
    void announce(const QString &path, const QString &interface, const QVariantMap &changed)
    {
        m_bus.send(QDBusMessage::createSignal(path, u"org.freedesktop.DBus.Properties"_s,
                                              u"PropertiesChanged"_s)
                   << interface << changed << QStringList());
    }
    void announceDevices(const QString &member, int n)
    {
        m_bus.send(QDBusMessage::createSignal(kRoot, kService, member)
                   << QVariant::fromValue(QDBusObjectPath(devicePath(n))));
    }

    QMap<QString, Device> devices;   // by path
    QMap<QString, QByteArray> ssids; // by access point path
    QMap<QString, int> ssidDelayMs;  // a slower answer for some access points
    int calls = 0;

private:
    QDBusMessage answer(const QDBusMessage &m) const
    {
        const QVariantList args = m.arguments();
        if (m.member() == u"GetDevices" && m.path() == kRoot) {
            QList<QDBusObjectPath> paths;
            for (const QString &path : devices.keys())
                paths << QDBusObjectPath(path);
            return m.createReply(QVariant::fromValue(paths));
        }
        if (m.member() == u"GetAll" && devices.contains(m.path())) {
            const Device &d = devices[m.path()];
            return m.createReply(QVariantMap{
                {u"Interface"_s, d.interface}, {u"DeviceType"_s, d.type}, {u"State"_s, 100u}});
        }
        if (m.member() == u"Get" && args.size() == 2) {
            const QString property = args[1].toString();
            if (property == u"ActiveAccessPoint" && devices.contains(m.path()))
                return m.createReply(QVariant::fromValue(QDBusVariant(
                    QVariant::fromValue(QDBusObjectPath(devices[m.path()].accessPoint)))));
            if (property == u"Ssid" && ssids.contains(m.path()))
                return m.createReply(QVariant::fromValue(QDBusVariant(ssids[m.path()])));
        }
        return m.createErrorReply(u"org.freedesktop.DBus.Error.UnknownObject"_s, m.path());
    }

    QDBusConnection m_bus;
};
} // namespace

class TestNetworkManager : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<PrivateBus> m_bus;
    std::unique_ptr<FakeNetworkManager> m_nm;
    QDBusConnection m_server{QString()};
    int m_round = 0;

    void publishNetworkManager()
    {
        m_server.registerVirtualObject(kRoot, m_nm.get(), QDBusConnection::SubPath);
        QVERIFY(m_server.registerService(kService));
    }

    std::unique_ptr<LinuxNetworkInfo> follow()
    {
        return std::make_unique<LinuxNetworkInfo>(
            m_bus->connect(u"client"_s + QString::number(++m_round)));
    }

private Q_SLOTS:
    void init()
    {
        m_bus = std::make_unique<PrivateBus>();
        QVERIFY2(m_bus->start(), "dbus-daemon is needed (package dbus-daemon)");
        m_server = m_bus->connect(u"server"_s + QString::number(++m_round));
        QVERIFY(m_server.isConnected());
        m_nm = std::make_unique<FakeNetworkManager>(m_server);
        m_nm->devices[devicePath(1)] = {u"enp3s0"_s, 1, u"/"_s}; // wired: never the WiFi
        m_nm->devices[devicePath(2)] = {u"wlp2s0"_s, 2, accessPointPath(7)};
        m_nm->ssids[accessPointPath(7)] = "Hotspot";
        m_nm->ssids[accessPointPath(8)] = "\xe6\x97\xa0\xe7\xba\xbf"; // UTF-8 name
    }

    void cleanup()
    {
        m_server.unregisterObject(kRoot, QDBusConnection::UnregisterTree);
        m_nm.reset();
        m_bus.reset();
    }

    // While the first name is still on its way the device moves to another network.
    void aSlowOlderAnswerDoesNotWin()
    {
        m_nm->ssidDelayMs[accessPointPath(7)] = 1500;
        publishNetworkManager();
        auto info = follow();
        QSignalSpy changed(info.get(), &NetworkInfo::ssidChanged);
        QTRY_VERIFY(m_nm->calls >= 5);
        m_nm->setAccessPoint(2, accessPointPath(8));
        QTRY_COMPARE_WITH_TIMEOUT(ssidOf(*info), u"无线"_s, 5000);
        QTest::qWait(1800);
        QCOMPARE(ssidOf(*info), u"无线"_s);
        QCOMPARE(changed.count(), 1);
    }

    // Nothing is known, and nothing waited for, when the object is made; the name arrives late
    // and follows the network's name, the access point, the WiFi device going and coming and
    // NetworkManager leaving the bus and coming back.
    void nameArrivesLateAndFollowsTheNetwork()
    {
        publishNetworkManager();
        auto info = follow();
        QSignalSpy changed(info.get(), &NetworkInfo::ssidChanged);
        QVERIFY(!info->isSsidReported() && !info->currentSsid());
        QVERIFY(changed.wait(5000));
        QVERIFY(info->isSsidReported());
        QCOMPARE(ssidOf(*info), u"Hotspot"_s);
        QCOMPARE(info->wifiInterface(), u"wlp2s0"_s);
        m_nm->ssids[accessPointPath(7)] = "Renamed";
        m_nm->announce(accessPointPath(7), kService + u".AccessPoint"_s,
                       {{u"Ssid"_s, QByteArray("Renamed")}});
        QTRY_COMPARE_WITH_TIMEOUT(ssidOf(*info), u"Renamed"_s, 5000);
        m_nm->setAccessPoint(2, u"/"_s);
        QTRY_VERIFY_WITH_TIMEOUT(!info->currentSsid(), 5000);
        QCOMPARE(changed.count(), 3);

        m_nm->setAccessPoint(2, accessPointPath(7));
        QTRY_COMPARE_WITH_TIMEOUT(ssidOf(*info), u"Renamed"_s, 5000);
        const auto wifi = m_nm->devices.take(devicePath(2));
        m_nm->announceDevices(u"DeviceRemoved"_s, 2);
        QTRY_VERIFY_WITH_TIMEOUT(!info->currentSsid(), 5000);
        m_nm->devices[devicePath(2)] = wifi;
        m_nm->announceDevices(u"DeviceAdded"_s, 2);
        QTRY_COMPARE_WITH_TIMEOUT(ssidOf(*info), u"Renamed"_s, 5000);
        QVERIFY(m_server.unregisterService(kService));
        QTRY_VERIFY_WITH_TIMEOUT(!info->currentSsid(), 5000);
        QVERIFY(m_server.registerService(kService));
        QTRY_COMPARE_WITH_TIMEOUT(ssidOf(*info), u"Renamed"_s, 5000);
    }
};

QTEST_GUILESS_MAIN(TestNetworkManager)
#include "tst_networkmanager.moc"
