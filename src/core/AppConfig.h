#pragma once

#include <QString>

#include <optional>

/// Run-time configuration: production defaults, overridden by ZEPHYR_* environment variables for
/// the demo, the tests and machines whose network the platform layer cannot read.
struct AppConfig
{
    QString dataDir;
    QString keychainDir;
    /// Set when the environment fixes the value; an empty variable fixes "missing".
    std::optional<std::optional<QString>> ssidOverride;
    std::optional<std::optional<QString>> wifiAddressOverride;
    std::optional<std::optional<QString>> pcAddressOverride;
    quint16 pcPort = 8360;
    quint16 udpPort = 8360;
    /// The device name of the identity string; empty: the platform's name for the machine.
    QString deviceName;
    QString feedbackUrl;
    QString statsUrl;
    /// Use the desktop secret service when one answers (off when the keychain folder is fixed).
    bool preferSecretService = true;

    [[nodiscard]] static AppConfig fromEnvironment();
};
