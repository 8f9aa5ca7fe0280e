#pragma once

#include <QString>
#include <QVariant>

#include <optional>

/// Archived values in the platform keychain, one item per service name.
class CHKeychain
{
public:
    /// Replaces the item of @p service with the archive of @p object; false when refused.
    static bool save(const QString &service, const QVariant &object);
    /// The unarchived item, or nothing (no item, a refusing keychain, an unreadable archive).
    [[nodiscard]] static std::optional<QVariant> load(const QString &service);
    static bool deleteItem(const QString &service);
};
