#pragma once

// Deep comparison of JSON values read into QVariant: the same kinds (integer is not double) and
// the same values, keys and order of lists. Shared by the JSON reader's fuzz target and tests,
// with Qt's own reading of a text that the reader is held to.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QVariant>

inline bool sameVariant(const QVariant &a, const QVariant &b)
{
    if (a.typeId() != b.typeId())
        return false;
    if (a.typeId() == QMetaType::QVariantMap) {
        const QVariantMap x = a.toMap(), y = b.toMap();
        if (x.keys() != y.keys())
            return false;
        for (auto it = x.cbegin(); it != x.cend(); ++it)
            if (!sameVariant(it.value(), y.value(it.key())))
                return false;
        return true;
    }
    if (a.typeId() == QMetaType::QVariantList) {
        const QVariantList x = a.toList(), y = b.toList();
        if (x.size() != y.size())
            return false;
        for (qsizetype i = 0; i < x.size(); ++i)
            if (!sameVariant(x[i], y[i]))
                return false;
        return true;
    }
    return a == b;
}

// What Qt's parser makes of the text: a document, else a single top-level value; invalid when
// it refuses the text.
inline QVariant qtJsonReading(const QByteArray &text)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
    if (error.error == QJsonParseError::NoError) {
        if (doc.isObject())
            return doc.object().toVariantMap();
        if (doc.isArray())
            return doc.array().toVariantList();
    }
    const QJsonDocument wrapped = QJsonDocument::fromJson('[' + text + ']', &error);
    if (error.error != QJsonParseError::NoError || wrapped.array().size() != 1)
        return {};
    const QJsonValue v = wrapped.array().first();
    return v.isNull() ? QVariant::fromValue(nullptr) : v.toVariant();
}
