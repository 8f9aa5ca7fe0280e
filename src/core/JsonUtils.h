#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

/// JSON text to and from QVariant values (objects are QVariantMap, arrays QVariantList, integers
/// qint64, other numbers double). A failed parse gives an invalid QVariant.
class JsonUtils
{
public:
    /// Compact JSON text of @p object; the empty text for an invalid value.
    [[nodiscard]] static QString objectToString(const QVariant &object);
    [[nodiscard]] static QByteArray objectToData(const QVariant &object);
    [[nodiscard]] static QVariant stringToDictionary(const QString &text);
    [[nodiscard]] static QVariant dataToDictionary(const QByteArray &utf8);

    /// Integer value of a JSON number (or numeric text); @p fallback when absent or not numeric.
    [[nodiscard]] static qint64 integerValue(const QVariant &v, qint64 fallback = 0);
    [[nodiscard]] static bool isObject(const QVariant &v);
    [[nodiscard]] static bool isArray(const QVariant &v);
};
