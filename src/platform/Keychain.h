#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

/// The platform keychain: small secrets that survive removal of the application's data folder.
/// Items are keyed by a service name; failures are reported as values, never thrown.
class Keychain
{
public:
    virtual ~Keychain() = default;
    /// Replaces the item of @p service. Returns false when the keychain refused.
    virtual bool save(const QString &service, const QByteArray &data) = 0;
    /// The item's data, or nothing when there is no item or the keychain refused.
    [[nodiscard]] virtual std::optional<QByteArray> load(const QString &service) = 0;
    virtual bool remove(const QString &service) = 0;
};
