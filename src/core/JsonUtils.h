#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

/// JSON text to and from QVariant values of the kinds QJsonValue::toVariant() gives: objects are
/// QVariantMap (the last of a repeated key wins), arrays QVariantList, whole numbers within the
/// range of qint64 qint64 (also when written as 1.0 or 1e2), other numbers double, null a
/// nullptr QVariant. A text that is not JSON gives an invalid QVariant.
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
