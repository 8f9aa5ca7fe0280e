#include "DeviceInfoCenter.h"
#include "LinuxNetworkInfo.h"
#include "TestCore.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
QString fixture(const QString &name)
{
    QFile f(QStringLiteral(ZEPHYR_FIXTURES) + u'/' + name);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}
} // namespace

class TestNetworkPosition : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void defaultGatewayOfTheWifiInterfaceOnly()
    {
        const QString table = fixture(u"proc_net_route.txt"_s);
        QVERIFY(!table.isEmpty());
        QCOMPARE(LinuxNetworkInfo::parseDefaultGateway(table, u"wlan0"_s), u"192.168.137.1"_s);
        QCOMPARE(LinuxNetworkInfo::parseDefaultGateway(table, u"eth0"_s), u"192.168.1.254"_s);
        QVERIFY(!LinuxNetworkInfo::parseDefaultGateway(table, u"wlan1"_s));
        QVERIFY(!LinuxNetworkInfo::parseDefaultGateway(QString(), u"wlan0"_s));
        QVERIFY(!LinuxNetworkInfo::parseDefaultGateway(u"garbage\nwlan0 zz yy"_s, u"wlan0"_s));
    }

    void lastDefaultRouteWins()
    {
        const QString table = u"Iface\tDestination\tGateway\tFlags\n"
                              "wlan0\t00000000\t0101A8C0\t0003\n"
                              "wlan0\t00000000\t0201A8C0\t0003\n"
                              "wlan0\t00000000\t0301A8C0\t0001\n"_s; // no gateway flag
        QCOMPARE(LinuxNetworkInfo::parseDefaultGateway(table, u"wlan0"_s), u"192.168.1.2"_s);
    }

    void wirelessInterfaces()
    {
        const QString wireless = u"Inter-| sta-|   Quality        |   Discarded packets\n"
                                 " face | tus | link level noise |  nwid  crypt   frag\n"
                                 " wlp2s0: 0000   62.  -48.  -256        0      0      0\n"_s;
        QCOMPARE(LinuxNetworkInfo::parseWirelessInterfaces(wireless), QStringList({u"wlp2s0"_s}));
    }

    void pcAddressIsTheGatewayElseHostOne()
    {
        TestCore t;
        t.network().gateway = u"192.168.137.1"_s;
        t.network().address = u"192.168.137.23"_s;
        QCOMPARE(DeviceInfoCenter::getServerWiFiIPAddress(), u"192.168.137.1"_s);
        t.network().gateway.reset();
        t.network().address = u"10.1.2.3"_s;
        QCOMPARE(DeviceInfoCenter::getServerWiFiIPAddress(), u"10.1.2.1"_s);
        t.network().address.reset();
        QVERIFY(!DeviceInfoCenter::getServerWiFiIPAddress());
        QVERIFY(!DeviceInfoCenter::getServerIpByLocalIp(u"10.1.2"_s));
        QVERIFY(!DeviceInfoCenter::getServerIpByLocalIp(u"1.2.3.4.5"_s));
    }

    // The command-line tests run on the usual settings; here the odd ones. An empty WiFi name
    // is "not on WiFi" whatever the system says; a bad port is the default one.
    void configReadsTheEnvironment()
    {
        qputenv("ZEPHYR_SSID", "");
        qputenv("ZEPHYR_UDP_PORT", "not-a-port");
        qputenv("ZEPHYR_FEEDBACK_URL", "http://127.0.0.1:5");
        const AppConfig c = AppConfig::fromEnvironment();
        qunsetenv("ZEPHYR_SSID");
        qunsetenv("ZEPHYR_UDP_PORT");
        qunsetenv("ZEPHYR_FEEDBACK_URL");
        QCOMPARE(c.udpPort, quint16(8360));
        QCOMPARE(c.feedbackUrl, u"http://127.0.0.1:5/"_s);
        QVERIFY(!c.wifiAddressOverride.has_value());
        TestCore t(c);
        t.network().ssid = u"ignored"_s;
        QVERIFY(!DeviceInfoCenter::getCurrentSSID());
    }
};

QTEST_GUILESS_MAIN(TestNetworkPosition)
#include "tst_network_position.moc"
