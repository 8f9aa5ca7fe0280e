#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

/// Archived values in the platform keychain, one item per service name. The keychain answers
/// asynchronously: each handler runs later on the main thread, and not at all once its
/// receiver is destroyed (a null receiver asks for no guard).
class CHKeychain
{
public:
    /// Replaces the item of @p service with the archive of @p object; @p done learns whether
    /// the keychain took it. The item is written even when @p receiver goes meanwhile.
    static void save(const QString &service, const QVariant &object, QObject *receiver = nullptr,
                     std::function<void(bool)> done = {});
    /// The unarchived item, or nothing (no item, a refusing keychain, an unreadable archive).
    static void load(const QString &service, QObject *receiver,
                     std::function<void(std::optional<QVariant>)> done);
    static void deleteItem(const QString &service, QObject *receiver = nullptr,
                           std::function<void(bool)> done = {});
};
