#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>

/// The kernel's routing messages (rtnetlink) about links and IPv4 addresses, read as pure
/// functions over bytes so that they can be tested and fuzzed without a socket.
namespace NetlinkRoute {

/// What is known of the WiFi interfaces, kept between datagrams.
struct WifiState
{
    /// Interface index to name, for WiFi interfaces.
    QHash<int, QString> names;
    /// Whether the link is up and running, per WiFi interface.
    QHash<QString, bool> running;
    /// IPv4 addresses in host byte order, per WiFi interface.
    QHash<QString, QList<quint32>> addresses;
};

/// Whether @p name is the WiFi interface: @p wifiInterface itself, or while that is not known
/// (empty) any interface whose name starts with "wl".
[[nodiscard]] bool isWifiInterface(const QString &name, const QString &wifiInterface);

/// Applies the messages of one netlink datagram to @p state. True when a WiFi interface's link
/// went up or down or was removed, or it gained or lost an IPv4 address; every other message
/// (other interfaces, IPv6, an address or link state announced again) changes nothing. Reading
/// stops at the first malformed message.
[[nodiscard]] bool applyMessages(QByteArrayView datagram, const QString &wifiInterface,
                                 WifiState &state);

} // namespace NetlinkRoute
