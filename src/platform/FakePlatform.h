#pragma once

#include "Platform.h"

#include <QMap>

/// In-memory keychain for tests; can be told to refuse every call.
class FakeKeychain : public Keychain
{
public:
    bool save(const QString &service, const QByteArray &data) override;
    std::optional<QByteArray> load(const QString &service) override;
    bool remove(const QString &service) override;

    bool refuse = false;
    QMap<QString, QByteArray> items;
};

/// Network position set by the test.
class FakeNetworkInfo : public NetworkInfo
{
public:
    std::optional<QString> currentSsid() override { return ssid; }
    std::optional<QString> wifiAddress() override { return address; }
    std::optional<QString> defaultGateway() override { return gateway; }

    std::optional<QString> ssid;
    std::optional<QString> address;
    std::optional<QString> gateway;
};

/// Reachability whose changes the test triggers.
class FakeReachability : public Reachability
{
    Q_OBJECT
public:
    void startNotifier() override { started = true; }
    void simulateChange() { Q_EMIT reachabilityChanged(); }
    bool started = false;
};

/// Machine facts set by the test.
class FakeSystemInfo : public SystemInfo
{
public:
    [[nodiscard]] quint64 freeBytes(const QString &) const override { return free; }
    [[nodiscard]] QString deviceName() const override { return name; }

    quint64 free = quint64(1) << 40;
    QString name = QStringLiteral("Fake phone");
};

/// A platform of fakes with settings kept in @p settingsFile (empty: in memory).
[[nodiscard]] std::unique_ptr<Platform> makeFakePlatform(const QString &settingsFile = {});
