#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <optional>

/// The archive format of values kept as bytes in the settings and the keychain: a versioned
/// QDataStream of one QVariant.
namespace KeyedArchive {
[[nodiscard]] QByteArray archive(const QVariant &object);
/// The archived value, or nothing with the reason in @p error.
[[nodiscard]] std::optional<QVariant> unarchive(const QByteArray &data, QString *error = nullptr);
} // namespace KeyedArchive
