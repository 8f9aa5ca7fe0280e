#pragma once

#include <QObject>
#include <QString>

#include <optional>

/// Where the phone stands on the network, as the operating system sees it. The WiFi name is
/// reported by the system asynchronously and kept here, so reading it never waits; the address
/// and the gateway are read afresh at every call. A missing value means "not known" (no WiFi, no
/// address, no gateway, or not reported yet).
class NetworkInfo : public QObject
{
    Q_OBJECT
public:
    explicit NetworkInfo(QObject *parent = nullptr) : QObject(parent) {}

    /// Name of the WiFi network joined, as last reported, or nothing.
    [[nodiscard]] virtual std::optional<QString> currentSsid() const = 0;
    /// Whether the system has reported the WiFi name at least once ("not on WiFi" included).
    [[nodiscard]] virtual bool isSsidReported() const = 0;
    /// The phone's IPv4 address on its WiFi interface, dotted decimal, or nothing.
    [[nodiscard]] virtual std::optional<QString> wifiAddress() = 0;
    /// The IPv4 default gateway of the WiFi interface, dotted decimal, or nothing.
    [[nodiscard]] virtual std::optional<QString> defaultGateway() = 0;

Q_SIGNALS:
    /// The WiFi name changed, or was reported for the first time.
    void ssidChanged();
};
