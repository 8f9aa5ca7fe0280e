#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

/// Stateless helpers shared by every channel to the PC and by the screens' texts.
class Utils
{
public:
    /// Replaces every byte of @p data by its bitwise complement, in place.
    static void getBitwiseNegation(QByteArray &data);
    static void getBitwiseNegation(char *bytes, qsizetype length);
    /// The complement of @p data as a new buffer.
    [[nodiscard]] static QByteArray negated(QByteArray data);

    /// n + 1 bytes: byte i is the low 8 bits of a[i] XOR b[i], byte n is 0. Nothing when either
    /// text is empty or their lengths differ.
    [[nodiscard]] static std::optional<QByteArray> XORStr1(const QString &a, const QString &b);

    /// Decimal size text: "1.5MB", "1.0KB", "999B".
    [[nodiscard]] static QString getSizeString(quint64 bytes);

    /// Whether both moments fall on the same calendar day in the local time zone.
    [[nodiscard]] static bool isSameDay(const QDateTime &a, const QDateTime &b);
};
