#pragma once

#include <QString>

#include <optional>

/// Where the phone stands on the network, as the operating system sees it. Every call reads the
/// system afresh; a missing value means "not known" (no WiFi, no address, no gateway).
class NetworkInfo
{
public:
    virtual ~NetworkInfo() = default;
    /// Name of the WiFi network joined, or nothing.
    [[nodiscard]] virtual std::optional<QString> currentSsid() = 0;
    /// The phone's IPv4 address on its WiFi interface, dotted decimal, or nothing.
    [[nodiscard]] virtual std::optional<QString> wifiAddress() = 0;
    /// The IPv4 default gateway of the WiFi interface, dotted decimal, or nothing.
    [[nodiscard]] virtual std::optional<QString> defaultGateway() = 0;
};
