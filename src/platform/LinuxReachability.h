#pragma once

#include "NetlinkRoute.h"
#include "Reachability.h"

#include <functional>

class QSocketNotifier;

/// Reachability on Linux: the kernel's link and IPv4 address events on a NETLINK_ROUTE socket,
/// delivered by the event loop, of the WiFi interface alone.
class LinuxReachability : public Reachability
{
    Q_OBJECT
public:
    /// @p wifiInterface names the WiFi interface at the time of each event (empty: not known).
    explicit LinuxReachability(std::function<QString()> wifiInterface, QObject *parent = nullptr);
    ~LinuxReachability() override;

    void startNotifier() override;

private:
    void readMessages();
    /// Takes the WiFi interfaces' present state from the interface list.
    void seed();

    std::function<QString()> m_wifiInterface;
    int m_socket = -1;
    QSocketNotifier *m_notifier = nullptr;
    NetlinkRoute::WifiState m_state;
};
