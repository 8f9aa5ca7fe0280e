#include "JsonUtils.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

QString JsonUtils::objectToString(const QVariant &object)
{
    return QString::fromUtf8(objectToData(object));
}

QByteArray JsonUtils::objectToData(const QVariant &object)
{
    if (!object.isValid())
        return {};
    const QJsonValue value = QJsonValue::fromVariant(object);
    if (value.isObject())
        return QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
    if (value.isArray())
        return QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact);
    // A scalar: serialise inside an array and strip the brackets.
    QByteArray text = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return text.mid(1, text.size() - 2);
}

QVariant JsonUtils::dataToDictionary(const QByteArray &utf8)
{
    if (utf8.isEmpty())
        return {};
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(utf8, &error);
    if (error.error == QJsonParseError::NoError) {
        if (doc.isObject())
            return doc.object().toVariantMap();
        if (doc.isArray())
            return doc.array().toVariantList();
    }
    // A document whose top level is a plain value.
    const QJsonDocument wrapped = QJsonDocument::fromJson('[' + utf8 + ']', &error);
    if (error.error != QJsonParseError::NoError || !wrapped.isArray() ||
        wrapped.array().size() != 1)
        return {};
    const QJsonValue v = wrapped.array().first();
    return v.isNull() ? QVariant::fromValue(nullptr) : v.toVariant();
}

QVariant JsonUtils::stringToDictionary(const QString &text)
{
    return dataToDictionary(text.toUtf8());
}

qint64 JsonUtils::integerValue(const QVariant &v, qint64 fallback)
{
    switch (v.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        return v.toLongLong();
    case QMetaType::Double:
        return qint64(v.toDouble());
    case QMetaType::QString: {
        bool ok = false;
        const qint64 n = v.toString().trimmed().toLongLong(&ok);
        return ok ? n : fallback;
    }
    default:
        return fallback;
    }
}

bool JsonUtils::isObject(const QVariant &v)
{
    return v.typeId() == QMetaType::QVariantMap;
}

bool JsonUtils::isArray(const QVariant &v)
{
    return v.typeId() == QMetaType::QVariantList;
}
