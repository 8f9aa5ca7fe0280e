#include "NetlinkRoute.h"

#include <QtEndian>

#include <cstring>

namespace NetlinkRoute {
namespace {
// Message layout of <linux/netlink.h> and <linux/rtnetlink.h>, in host byte order.
constexpr qsizetype kMessageHeaderSize = 16;
constexpr qsizetype kLinkHeaderSize = 16;
constexpr qsizetype kAddressHeaderSize = 8;
constexpr quint16 kNewLink = 16;
constexpr quint16 kDelLink = 17;
constexpr quint16 kNewAddress = 20;
constexpr quint16 kDelAddress = 21;
constexpr quint16 kLinkName = 3;       // IFLA_IFNAME
constexpr quint16 kAddress = 1;        // IFA_ADDRESS
constexpr quint16 kLocalAddress = 2;   // IFA_LOCAL
constexpr quint16 kAddressLabel = 3;   // IFA_LABEL
constexpr quint16 kTypeMask = 0x3fff;  // without NLA_F_NESTED and NLA_F_NET_BYTEORDER
constexpr quint8 kFamilyIPv4 = 2;      // AF_INET
constexpr quint32 kFlagUp = 0x1;       // IFF_UP
constexpr quint32 kFlagRunning = 0x40; // IFF_RUNNING

template <class T> T readAt(QByteArrayView bytes, qsizetype offset)
{
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

constexpr qsizetype align4(qsizetype n)
{
    return (n + 3) & ~qsizetype(3);
}

// Calls visit(type, payload) for each attribute from @p offset to the end of @p message.
template <class Visit> void forEachAttribute(QByteArrayView message, qsizetype offset, Visit visit)
{
    while (offset + 4 <= message.size()) {
        const quint16 length = readAt<quint16>(message, offset);
        const quint16 type = readAt<quint16>(message, offset + 2);
        if (length < 4 || length > message.size() - offset)
            return;
        visit(quint16(type & kTypeMask), message.sliced(offset + 4, length - 4));
        offset += align4(length);
    }
}

QString textOf(QByteArrayView payload)
{
    const qsizetype end = payload.indexOf('\0');
    return QString::fromUtf8(end < 0 ? payload : payload.first(end));
}

bool applyLink(QByteArrayView message, bool removed, const QString &wifiInterface, WifiState &state)
{
    if (message.size() < kMessageHeaderSize + kLinkHeaderSize)
        return false;
    const int index = readAt<qint32>(message, kMessageHeaderSize + 4);
    const quint32 flags = readAt<quint32>(message, kMessageHeaderSize + 8);
    QString name;
    forEachAttribute(message, kMessageHeaderSize + kLinkHeaderSize,
                     [&name](quint16 type, QByteArrayView payload) {
                         if (type == kLinkName)
                             name = textOf(payload);
                     });
    if (name.isEmpty())
        name = state.names.value(index);
    if (name.isEmpty() || !isWifiInterface(name, wifiInterface)) {
        // The index may have belonged to a WiFi interface that is gone.
        if (!name.isEmpty())
            state.names.remove(index);
        return false;
    }
    if (removed) {
        state.names.remove(index);
        const bool wasRunning = state.running.take(name);
        const bool hadAddress = !state.addresses.take(name).isEmpty();
        return wasRunning || hadAddress;
    }
    state.names.insert(index, name);
    const bool running = (flags & kFlagUp) && (flags & kFlagRunning);
    const bool wasRunning = state.running.value(name, false);
    state.running.insert(name, running);
    return running != wasRunning;
}

bool applyAddress(QByteArrayView message, bool removed, const QString &wifiInterface,
                  WifiState &state)
{
    if (message.size() < kMessageHeaderSize + kAddressHeaderSize)
        return false;
    if (quint8(message[kMessageHeaderSize]) != kFamilyIPv4)
        return false;
    const int index = int(readAt<quint32>(message, kMessageHeaderSize + 4));
    std::optional<quint32> address;
    std::optional<quint32> local;
    QString label;
    forEachAttribute(message, kMessageHeaderSize + kAddressHeaderSize,
                     [&](quint16 type, QByteArrayView payload) {
                         if (type == kAddress && payload.size() == 4)
                             address = qFromBigEndian<quint32>(payload.data());
                         else if (type == kLocalAddress && payload.size() == 4)
                             local = qFromBigEndian<quint32>(payload.data());
                         else if (type == kAddressLabel)
                             label = textOf(payload);
                     });
    // A label names the interface, or one of its aliases ("wlan0:1").
    QString name = label.section(u':', 0, 0);
    if (name.isEmpty())
        name = state.names.value(index);
    if (name.isEmpty() || !isWifiInterface(name, wifiInterface))
        return false;
    state.names.insert(index, name);
    const std::optional<quint32> value = local ? local : address;
    if (!value)
        return false;
    QList<quint32> &known = state.addresses[name];
    if (removed)
        return known.removeAll(*value) > 0;
    if (known.contains(*value))
        return false;
    known.append(*value);
    return true;
}
} // namespace

bool isWifiInterface(const QString &name, const QString &wifiInterface)
{
    return wifiInterface.isEmpty() ? name.startsWith(u"wl") : name == wifiInterface;
}

bool applyMessages(QByteArrayView datagram, const QString &wifiInterface, WifiState &state)
{
    bool changed = false;
    qsizetype offset = 0;
    while (offset + kMessageHeaderSize <= datagram.size()) {
        const quint32 length = readAt<quint32>(datagram, offset);
        const quint16 type = readAt<quint16>(datagram, offset + 4);
        if (length < kMessageHeaderSize || length > quint64(datagram.size() - offset))
            break;
        const QByteArrayView message = datagram.sliced(offset, length);
        if (type == kNewLink || type == kDelLink)
            changed |= applyLink(message, type == kDelLink, wifiInterface, state);
        else if (type == kNewAddress || type == kDelAddress)
            changed |= applyAddress(message, type == kDelAddress, wifiInterface, state);
        offset += align4(length);
    }
    return changed;
}

} // namespace NetlinkRoute
