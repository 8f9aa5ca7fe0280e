#pragma once

#include "Keychain.h"

/// Keychain over the desktop secret service. Each call waits for the service's answer in a local
/// event loop with a time limit, so a service that never answers cannot block the caller for long.
class SecretServiceKeychain : public Keychain
{
public:
    /// Whether this build can talk to a secret service at all.
    [[nodiscard]] static bool isSupported();
    /// Whether a secret service answers now (a probe read of an item that need not exist).
    [[nodiscard]] static bool probe();

    bool save(const QString &service, const QByteArray &data) override;
    [[nodiscard]] std::optional<QByteArray> load(const QString &service) override;
    bool remove(const QString &service) override;
};
