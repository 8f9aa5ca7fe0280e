#pragma once

#include "NetworkInfo.h"

#include <QStringList>

/// Network position on Linux: the wireless interface from sysfs, its address from the interface
/// list, its default gateway from the kernel's IPv4 routing table and the network name from
/// NetworkManager, then from the wireless tools.
class LinuxNetworkInfo : public NetworkInfo
{
public:
    std::optional<QString> currentSsid() override;
    std::optional<QString> wifiAddress() override;
    std::optional<QString> defaultGateway() override;

    /// The first wireless interface of the system, or nothing.
    [[nodiscard]] static std::optional<QString> wifiInterfaceName();

    /// The gateway of the last default route of @p interfaceName in the text of /proc/net/route.
    [[nodiscard]] static std::optional<QString> parseDefaultGateway(const QString &routeTable,
                                                                    const QString &interfaceName);
    /// Wireless interface names listed in the text of /proc/net/wireless, in order.
    [[nodiscard]] static QStringList parseWirelessInterfaces(const QString &procWireless);
    /// The active network's name in the output of `nmcli -t -f ACTIVE,SSID dev wifi`.
    [[nodiscard]] static std::optional<QString> parseNmcliActiveSsid(const QString &output);
};
