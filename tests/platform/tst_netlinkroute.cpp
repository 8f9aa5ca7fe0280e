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
template <class... T> void put(QByteArray &bytes, T... values)
{
    (bytes.append(reinterpret_cast<const char *>(&values), sizeof values), ...);
}

const auto padded = [](const QByteArray &b) { return b.leftJustified((b.size() + 3) & ~3, '\0'); };

QByteArray attribute(quint16 type, const QByteArray &payload)
{
    QByteArray bytes;
    put(bytes, quint16(4 + payload.size()), type);
    return padded(bytes + payload);
}

QByteArray message(quint16 type, const QByteArray &body)
{
    QByteArray bytes;
    put(bytes, quint32(sizeof(nlmsghdr) + body.size()), type, quint16(0), quint32(0), quint32(0));
    return padded(bytes + body);
}

QByteArray link(quint16 type, int index, quint32 flags, const QByteArray &name)
{
    QByteArray body;
    put(body, quint8(AF_UNSPEC), quint8(0), quint16(1) /* ARPHRD_ETHER */, qint32(index), flags,
        quint32(0xffffffff));
    return message(type, body + attribute(IFLA_IFNAME, name + '\0'));
}

QByteArray address(quint16 type, int index, const char *text, const QByteArray &label = {},
                   quint8 family = AF_INET)
{
    QByteArray raw(family == AF_INET ? 4 : 16, '\0');
    inet_pton(family, text, raw.data());
    QByteArray body;
    put(body, family, quint8(family == AF_INET ? 24 : 64), quint8(0), quint8(RT_SCOPE_UNIVERSE),
        quint32(index));
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
    NetlinkRoute::WifiState s;
    QString wifi;
    bool apply(QByteArrayView datagram) { return NetlinkRoute::applyMessages(datagram, wifi, s); }

private Q_SLOTS:
    void init()
    {
        s = {};
        wifi = u"wlan0"_s;
    }

    void wifiLinkAndAddressChanges()
    {
        QVERIFY(apply(link(RTM_NEWLINK, 3, kUp, "wlan0")));
        // Wireless events come as the same link announcement again: no change.
        QVERIFY(!apply(link(RTM_NEWLINK, 3, kUp, "wlan0")));

        const QByteArray joined = address(RTM_NEWADDR, 3, "192.168.137.23", "wlan0");
        QVERIFY(apply(joined));
        QCOMPARE(s.addresses.value(wifi), QList<quint32>{0xC0A88917});
        // A renewed lease announces the same address again; IPv6 addresses do not count.
        QVERIFY(!apply(joined));
        QVERIFY(!apply(address(RTM_NEWADDR, 3, "fe80::1", {}, AF_INET6)));
        QVERIFY(!apply(address(RTM_DELADDR, 3, "fe80::1", {}, AF_INET6)));

        QVERIFY(apply(address(RTM_DELADDR, 3, "192.168.137.23", "wlan0")));
        QVERIFY(!apply(address(RTM_DELADDR, 3, "192.168.137.23", "wlan0")));

        QVERIFY(apply(link(RTM_NEWLINK, 3, IFF_UP, "wlan0")));
        QVERIFY(apply(link(RTM_NEWLINK, 3, kUp, "wlan0")));
        QVERIFY(apply(link(RTM_DELLINK, 3, 0, "wlan0")));
        QVERIFY(!apply(link(RTM_DELLINK, 3, 0, "wlan0")));
        QVERIFY(s.names.isEmpty());
    }

    // An address is the WiFi's by its interface's index or by its label (an alias); without a
    // configured interface, names beginning with "wl" are the WiFi.
    void wifiFoundByIndexAliasOrName()
    {
        wifi = u"wlp2s0"_s;
        QVERIFY(!apply(link(RTM_NEWLINK, 4, IFF_UP, "wlp2s0")));
        QVERIFY(apply(address(RTM_NEWADDR, 4, "10.1.2.3")));
        QVERIFY(!apply(address(RTM_NEWADDR, 5, "10.9.9.9")));
        QVERIFY(apply(address(RTM_NEWADDR, 4, "10.1.2.4", "wlp2s0:1")));
        QCOMPARE(s.addresses.value(wifi).size(), 2);

        wifi.clear();
        QVERIFY(apply(link(RTM_NEWLINK, 2, kUp, "wlp3s0")));
        QVERIFY(!apply(link(RTM_NEWLINK, 6, kUp, "enp3s0")));
    }

    // Containers and VPNs coming and going change nothing, also around the WiFi's message in one
    // datagram.
    void otherInterfacesNeverCount()
    {
        QByteArray others;
        for (const char *name : {"docker0", "wg0"})
            others += link(RTM_NEWLINK, 9, kUp, name) +
                      address(RTM_NEWADDR, 9, "172.17.0.1", name) + link(RTM_DELLINK, 9, 0, name);
        QVERIFY(!apply(others));
        QVERIFY(s.names.isEmpty() && s.running.isEmpty() && s.addresses.isEmpty());
        QVERIFY(apply(others + address(RTM_NEWADDR, 3, "192.168.1.5", "wlan0") + others));
    }

    void malformedDatagramsStopTheReading()
    {
        const QByteArray good = address(RTM_NEWADDR, 3, "192.168.1.5", "wlan0");
        // Cut anywhere, the message is not read (and nothing past the bytes is).
        for (qsizetype n = 0; n < good.size() - 4; ++n)
            QVERIFY(!apply(QByteArrayView(good).first(n)));
        // A length too small, or larger than what arrived, ends the datagram.
        QByteArray shortLength = good;
        qToUnaligned<quint32>(8, shortLength.data());
        QVERIFY(!apply(shortLength + good));
        QByteArray longLength = good;
        qToUnaligned<quint32>(quint32(good.size() * 2), longLength.data());
        QVERIFY(!apply(longLength));
        // An attribute running past its message is not read; the valid ones before it are.
        QByteArray badAttribute = link(RTM_NEWLINK, 3, kUp, "wlan0");
        qToUnaligned<quint16>(0x7fff, badAttribute.data() + sizeof(nlmsghdr) + sizeof(ifinfomsg));
        QVERIFY(!apply(badAttribute));
        QVERIFY(apply(good + QByteArray(7, '\xff')));
    }
};

QTEST_GUILESS_MAIN(TestNetlinkRoute)
#include "tst_netlinkroute.moc"
