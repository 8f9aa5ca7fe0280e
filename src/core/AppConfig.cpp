#include "AppConfig.h"

#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {
std::optional<std::optional<QString>> overrideOf(const char *name)
{
    if (!qEnvironmentVariableIsSet(name))
        return std::nullopt;
    const QString value = qEnvironmentVariable(name).trimmed();
    return value.isEmpty() ? std::optional<QString>() : std::optional<QString>(value);
}

quint16 portOf(const char *name, quint16 fallback)
{
    bool ok = false;
    const uint port = qEnvironmentVariable(name).toUInt(&ok);
    return ok && port > 0 && port < 65536 ? quint16(port) : fallback;
}

QString urlOf(const char *name, const QString &fallback)
{
    QString url = qEnvironmentVariableIsEmpty(name) ? fallback : qEnvironmentVariable(name);
    if (!url.endsWith(u'/'))
        url += u'/';
    return url;
}
} // namespace

AppConfig AppConfig::fromEnvironment()
{
    AppConfig c;
    c.dataDir = qEnvironmentVariableIsEmpty("ZEPHYR_DATA_DIR")
                    ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                    : qEnvironmentVariable("ZEPHYR_DATA_DIR");
    if (!qEnvironmentVariableIsEmpty("ZEPHYR_KEYCHAIN_DIR")) {
        c.keychainDir = qEnvironmentVariable("ZEPHYR_KEYCHAIN_DIR");
        c.preferSecretService = false;
    } else {
        c.keychainDir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                        u"/zephyr-wifi-keychain"_s;
    }
    c.ssidOverride = overrideOf("ZEPHYR_SSID");
    c.wifiAddressOverride = overrideOf("ZEPHYR_WIFI_ADDRESS");
    c.pcAddressOverride = overrideOf("ZEPHYR_PC_ADDRESS");
    c.pcPort = portOf("ZEPHYR_PC_PORT", 8360);
    c.udpPort = portOf("ZEPHYR_UDP_PORT", 8360);
    c.deviceName = qEnvironmentVariable("ZEPHYR_DEVICE_NAME");
    c.feedbackUrl = urlOf("ZEPHYR_FEEDBACK_URL", u"http://feedback.zephyrwifi.com/"_s);
    c.statsUrl = urlOf("ZEPHYR_STATS_URL", u"http://update.zephyrwifi.com/"_s);
    return c;
}
