// The kernel's link and address messages, crafted byte by byte with the kernel's own constants,
// read for the WiFi interface alone.
#include "NetlinkRoute.h"

#include <QTest>
#include <QtEndian>

#include <arpa/inet.h>
#include <linux/if_addr.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>

using namespace Qt::StringLiterals;

namespace {
template <class T> void put(QByteArray &bytes, T value)
{
    bytes.append(reinterpret_cast<const char *>(&value), sizeof value);
}

void pad(QByteArray &bytes)
{
    while (bytes.size() % 4)
        bytes.append('\0');
}

QByteArray attribute(quint16 type, const QByteArray &payload)
{
    QByteArray bytes;
    put<quint16>(bytes, quint16(4 + payload.size()));
    put<quint16>(bytes, type);
    bytes += payload;
    pad(bytes);
    return bytes;
}

QByteArray message(quint16 type, const QByteArray &body)
{
    QByteArray bytes;
    put<quint32>(bytes, quint32(sizeof(nlmsghdr) + body.size()));
    put<quint16>(bytes, type);
    put<quint16>(bytes, 0);
    put<quint32>(bytes, 0);
    put<quint32>(bytes, 0);
    bytes += body;
    pad(bytes);
    return bytes;
}

QByteArray link(quint16 type, int index, quint32 flags, const QByteArray &name)
{
    QByteArray body;
    put<quint8>(body, AF_UNSPEC);
    put<quint8>(body, 0);
    put<quint16>(body, 1); // ARPHRD_ETHER
    put<qint32>(body, index);
    put<quint32>(body, flags);
    put<quint32>(body, 0xffffffff);
    if (!name.isEmpty())
        body += attribute(IFLA_IFNAME, name + '\0');
    return message(type, body);
}

QByteArray address(quint16 type, quint8 family, int index, const char *text,
                   const QByteArray &label)
{
    QByteArray raw(family == AF_INET ? 4 : 16, '\0');
    inet_pton(family, text, raw.data());
    QByteArray body;
    put<quint8>(body, family);
    put<quint8>(body, family == AF_INET ? 24 : 64);
    put<quint8>(body, 0);
    put<quint8>(body, RT_SCOPE_UNIVERSE);
    put<quint32>(body, quint32(index));
    body += attribute(IFA_ADDRESS, raw);
    if (family == AF_INET)
        body += attribute(IFA_LOCAL, raw);
    if (!label.isEmpty())
        body += attribute(IFA_LABEL, label + '\0');
    return message(type, body);
}

constexpr quint32 kUp = IFF_UP | IFF_RUNNING | 0x10000; // and IFF_LOWER_UP
} // namespace

class TestNetlinkRoute : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void wifiLinkAndAddressChanges()
    {
        NetlinkRoute::WifiState s;
        const QString wifi = u"wlan0"_s;
        QVERIFY(NetlinkRoute::applyMessages(link(RTM_NEWLINK, 3, kUp, "wlan0"), wifi, s));
        // Wireless events come as the same link announcement again: no change.
        QVERIFY(!NetlinkRoute::applyMessages(link(RTM_NEWLINK, 3, kUp, "wlan0"), wifi, s));

        const QByteArray joined = address(RTM_NEWADDR, AF_INET, 3, "192.168.137.23", "wlan0");
        QVERIFY(NetlinkRoute::applyMessages(joined, wifi, s));
        QCOMPARE(s.addresses.value(wifi), QList<quint32>{0xC0A88917});
        // A renewed lease announces the same address again.
        QVERIFY(!NetlinkRoute::applyMessages(joined, wifi, s));
        QVERIFY(!NetlinkRoute::applyMessages(
            address(RTM_NEWADDR, AF_INET6, 3, "fe80::1", QByteArray()), wifi, s));
        QVERIFY(!NetlinkRoute::applyMessages(
            address(RTM_DELADDR, AF_INET6, 3, "fe80::1", QByteArray()), wifi, s));

        QVERIFY(NetlinkRoute::applyMessages(
            address(RTM_DELADDR, AF_INET, 3, "192.168.137.23", "wlan0"), wifi, s));
        QVERIFY(!NetlinkRoute::applyMessages(
            address(RTM_DELADDR, AF_INET, 3, "192.168.137.23", "wlan0"), wifi, s));

        // Carrier lost, then back.
        QVERIFY(NetlinkRoute::applyMessages(link(RTM_NEWLINK, 3, IFF_UP, "wlan0"), wifi, s));
        QVERIFY(NetlinkRoute::applyMessages(link(RTM_NEWLINK, 3, kUp, "wlan0"), wifi, s));
        // The adapter pulled out.
        QVERIFY(NetlinkRoute::applyMessages(link(RTM_DELLINK, 3, 0, "wlan0"), wifi, s));
        QVERIFY(!NetlinkRoute::applyMessages(link(RTM_DELLINK, 3, 0, "wlan0"), wifi, s));
        QVERIFY(s.names.isEmpty());
    }

    void otherInterfacesNeverCount_data()
    {
        QTest::addColumn<QByteArray>("name");
        for (const char *name : {"docker0", "veth1a2b3c", "wg0", "lo"})
            QTest::newRow(name) << QByteArray(name);
    }
    void otherInterfacesNeverCount()
    {
        QFETCH(QByteArray, name);
        NetlinkRoute::WifiState s;
        const QString wifi = u"wlan0"_s;
        QVERIFY(!NetlinkRoute::applyMessages(link(RTM_NEWLINK, 9, kUp, name), wifi, s));
        QVERIFY(!NetlinkRoute::applyMessages(address(RTM_NEWADDR, AF_INET, 9, "172.17.0.1", name),
                                             wifi, s));
        QVERIFY(!NetlinkRoute::applyMessages(address(RTM_NEWADDR, AF_INET, 9, "10.8.0.2", {}), wifi,
                                             s));
        QVERIFY(!NetlinkRoute::applyMessages(link(RTM_DELLINK, 9, 0, name), wifi, s));
        QVERIFY(s.names.isEmpty());
        QVERIFY(s.running.isEmpty());
        QVERIFY(s.addresses.isEmpty());
    }

    void addressesFoundByIndexOrAlias()
    {
        NetlinkRoute::WifiState s;
        const QString wifi = u"wlp2s0"_s;
        QVERIFY(!NetlinkRoute::applyMessages(link(RTM_NEWLINK, 4, IFF_UP, "wlp2s0"), wifi, s));
        QVERIFY(
            NetlinkRoute::applyMessages(address(RTM_NEWADDR, AF_INET, 4, "10.1.2.3", {}), wifi, s));
        QVERIFY(!NetlinkRoute::applyMessages(address(RTM_NEWADDR, AF_INET, 5, "10.9.9.9", {}), wifi,
                                             s));
        QVERIFY(NetlinkRoute::applyMessages(
            address(RTM_NEWADDR, AF_INET, 4, "10.1.2.4", "wlp2s0:1"), wifi, s));
        QCOMPARE(s.addresses.value(wifi).size(), 2);
        // The index taken by another interface afterwards is no longer the WiFi's.
        QVERIFY(!NetlinkRoute::applyMessages(link(RTM_NEWLINK, 4, kUp, "veth0"), wifi, s));
        QVERIFY(!NetlinkRoute::applyMessages(address(RTM_NEWADDR, AF_INET, 4, "10.1.2.5", {}), wifi,
                                             s));
    }

    void unknownWifiInterfaceMeansWlNames()
    {
        NetlinkRoute::WifiState s;
        QVERIFY(NetlinkRoute::isWifiInterface(u"wlp3s0"_s, QString()));
        QVERIFY(!NetlinkRoute::isWifiInterface(u"enp3s0"_s, QString()));
        QVERIFY(!NetlinkRoute::isWifiInterface(u"wlan1"_s, u"wlan0"_s));
        QVERIFY(NetlinkRoute::applyMessages(link(RTM_NEWLINK, 2, kUp, "wlp3s0"), {}, s));
        QVERIFY(!NetlinkRoute::applyMessages(link(RTM_NEWLINK, 6, kUp, "enp3s0"), {}, s));
    }

    void severalMessagesInOneDatagram()
    {
        NetlinkRoute::WifiState s;
        const QString wifi = u"wlan0"_s;
        const QByteArray noise = link(RTM_NEWLINK, 9, kUp, "docker0") +
                                 address(RTM_NEWADDR, AF_INET, 9, "172.17.0.1", "docker0");
        QVERIFY(!NetlinkRoute::applyMessages(noise, wifi, s));
        QVERIFY(NetlinkRoute::applyMessages(
            noise + address(RTM_NEWADDR, AF_INET, 3, "192.168.1.5", "wlan0") + noise, wifi, s));
    }

    void malformedDatagramsStopTheReading()
    {
        NetlinkRoute::WifiState s;
        const QString wifi = u"wlan0"_s;
        const QByteArray good = address(RTM_NEWADDR, AF_INET, 3, "192.168.1.5", "wlan0");
        // Cut anywhere, the message is not read (and nothing past the bytes is).
        for (qsizetype n = 0; n < good.size() - 4; ++n)
            QVERIFY(!NetlinkRoute::applyMessages(QByteArrayView(good).first(n), wifi, s));
        // A length too small, or larger than what arrived, ends the datagram.
        QByteArray shortLength = good;
        qToUnaligned<quint32>(8, shortLength.data());
        QVERIFY(!NetlinkRoute::applyMessages(shortLength + good, wifi, s));
        QByteArray longLength = good;
        qToUnaligned<quint32>(quint32(good.size() * 2), longLength.data());
        QVERIFY(!NetlinkRoute::applyMessages(longLength, wifi, s));
        // An attribute running past its message is not read; the valid ones before it are.
        QByteArray badAttribute = link(RTM_NEWLINK, 3, kUp, "wlan0");
        qToUnaligned<quint16>(0x7fff, badAttribute.data() + sizeof(nlmsghdr) + sizeof(ifinfomsg));
        QVERIFY(!NetlinkRoute::applyMessages(badAttribute, wifi, s));
        QVERIFY(NetlinkRoute::applyMessages(good + QByteArray(7, '\xff'), wifi, s));
    }
};

QTEST_GUILESS_MAIN(TestNetlinkRoute)
#include "tst_netlinkroute.moc"
