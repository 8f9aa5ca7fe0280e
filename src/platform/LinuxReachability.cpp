#include "LinuxReachability.h"

#include <QNetworkInterface>
#include <QSocketNotifier>

#include <cerrno>

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>

LinuxReachability::LinuxReachability(std::function<QString()> wifiInterface, QObject *parent)
    : Reachability(parent), m_wifiInterface(std::move(wifiInterface))
{
}

LinuxReachability::~LinuxReachability()
{
    delete m_notifier;
    if (m_socket >= 0)
        ::close(m_socket);
}

void LinuxReachability::startNotifier()
{
    if (m_socket >= 0)
        return;
    const int fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
    if (fd < 0)
        return;
    sockaddr_nl address{};
    address.nl_family = AF_NETLINK;
    address.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return;
    }
    m_socket = fd;
    seed();
    m_notifier = new QSocketNotifier(qintptr(m_socket), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &LinuxReachability::readMessages);
}

void LinuxReachability::seed()
{
    m_state = {};
    const QString wifi = m_wifiInterface();
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : interfaces) {
        if (!NetlinkRoute::isWifiInterface(iface.name(), wifi))
            continue;
        m_state.names.insert(iface.index(), iface.name());
        m_state.running.insert(iface.name(), (iface.flags() & QNetworkInterface::IsUp) &&
                                                 (iface.flags() & QNetworkInterface::IsRunning));
        QList<quint32> addresses;
        for (const QNetworkAddressEntry &entry : iface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                addresses << entry.ip().toIPv4Address();
        }
        m_state.addresses.insert(iface.name(), addresses);
    }
}

void LinuxReachability::readMessages()
{
    QByteArray buffer(64 * 1024, Qt::Uninitialized);
    bool changed = false;
    for (;;) {
        sockaddr_nl from{};
        socklen_t fromLength = sizeof from;
        const ssize_t n = ::recvfrom(m_socket, buffer.data(), size_t(buffer.size()), MSG_DONTWAIT,
                                     reinterpret_cast<sockaddr *>(&from), &fromLength);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == ENOBUFS) {
                // Events were lost: what the WiFi link did meanwhile is unknown.
                seed();
                changed = true;
                continue;
            }
            break;
        }
        if (n == 0)
            break;
        if (from.nl_pid != 0)
            continue; // only the kernel speaks for the links
        changed |= NetlinkRoute::applyMessages(QByteArrayView(buffer.constData(), n),
                                               m_wifiInterface(), m_state);
    }
    if (changed)
        Q_EMIT reachabilityChanged();
}
