#pragma once

#include "NetworkInfo.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QStringList>

#include <functional>
#include <memory>

class QDBusMessage;

/// Network position on Linux. The WiFi name follows NetworkManager over D-Bus: its wireless
/// devices, their active access point and that point's name, read with asynchronous calls and
/// read again when NetworkManager signals a change. The WiFi interface's address comes from
/// the interface list and its default gateway from the kernel's IPv4 routing table.
class LinuxNetworkInfo : public NetworkInfo
{
    Q_OBJECT
public:
    /// Follows NetworkManager on @p bus (the system bus in production). Without a bus the WiFi
    /// name is reported missing at once.
    explicit LinuxNetworkInfo(const QDBusConnection &bus = QDBusConnection::systemBus(),
                              QObject *parent = nullptr);
    ~LinuxNetworkInfo() override;

    [[nodiscard]] std::optional<QString> currentSsid() const override { return m_ssid; }
    [[nodiscard]] bool isSsidReported() const override { return m_reported; }
    std::optional<QString> wifiAddress() override;
    std::optional<QString> defaultGateway() override;

    /// The WiFi interface: the one NetworkManager reports as wireless, else the first one the
    /// kernel marks as wireless, else the first whose name starts with "wl"; empty when none.
    [[nodiscard]] QString wifiInterface() const;

    /// The gateway of the last default route of @p interfaceName in the text of /proc/net/route.
    [[nodiscard]] static std::optional<QString> parseDefaultGateway(const QString &routeTable,
                                                                    const QString &interfaceName);
    /// Wireless interface names listed in the text of /proc/net/wireless, in order.
    [[nodiscard]] static QStringList parseWirelessInterfaces(const QString &procWireless);

private Q_SLOTS:
    void deviceListChanged(const QDBusObjectPath &device);
    void propertiesChanged(const QString &interface, const QVariantMap &changed,
                           const QStringList &invalidated);

private:
    struct Device
    {
        QString path;
        QString interface;
        QString accessPoint;
        std::optional<QString> ssid;
    };
    struct Scan;

    /// Reads NetworkManager's wireless devices and their networks afresh; the result replaces
    /// the known devices when every answer is in, and a newer scan drops an older one.
    void rescan();
    void readDevice(const std::shared_ptr<Scan> &scan, const QString &path);
    void readAccessPoint(const std::shared_ptr<Scan> &scan, qsizetype device, const QString &path);
    void finishStep(const std::shared_ptr<Scan> &scan);
    void call(const QString &path, const QString &interface, const QString &method,
              const QVariantList &arguments, std::function<void(const QDBusMessage &)> answer);
    /// Follows the property changes of the object at @p path.
    void watch(const QString &path);
    /// Follows exactly the objects at @p paths.
    void watchPaths(const QStringList &paths);
    void publish(const std::optional<QString> &ssid);

    QDBusConnection m_bus;
    QList<Device> m_devices;
    std::shared_ptr<Scan> m_scan;
    QStringList m_watched;
    std::optional<QString> m_ssid;
    bool m_reported = false;
};
