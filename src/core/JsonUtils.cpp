#include "JsonUtils.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <simdjson.h>

#include <array>
#include <cmath>
#include <map>

namespace {
// Qt's own reading of a JSON text: a document, else a single top-level value. It decides every
// text the library refuses and every value whose conversion the library cannot mirror.
QVariant qtReading(const QByteArray &utf8)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(utf8, &error);
    if (error.error == QJsonParseError::NoError) {
        if (doc.isObject())
            return doc.object().toVariantMap();
        if (doc.isArray())
            return doc.array().toVariantList();
    }
    const QJsonDocument wrapped = QJsonDocument::fromJson('[' + utf8 + ']', &error);
    if (error.error != QJsonParseError::NoError || !wrapped.isArray() ||
        wrapped.array().size() != 1)
        return {};
    const QJsonValue v = wrapped.array().first();
    return v.isNull() ? QVariant::fromValue(nullptr) : v.toVariant();
}

// Turns simdjson's document into the QVariant values that QJsonValue::toVariant() gives for the
// same text: objects QVariantMap (the last of a repeated key wins), arrays QVariantList,
// numbers qint64 when they are whole and fit, else double. Gives up (false) on the one value it
// cannot tell apart: a number read as zero, which Qt refuses when the text was a non-zero
// number too small for a double.
class VariantBuilder
{
public:
    bool value(simdjson::dom::element e, QVariant &out)
    {
        using simdjson::dom::element_type;
        switch (e.type()) {
        case element_type::OBJECT: {
            const simdjson::dom::object object = e.get_object().value_unsafe();
            std::map<QString, QVariant> map;
            for (const simdjson::dom::key_value_pair field : object) {
                QVariant item;
                if (!value(field.value, item))
                    return false;
                // Keys usually come in order, so the end is the place to try first.
                map.insert_or_assign(map.end(), string(field.key, m_keys), std::move(item));
            }
            out = QVariantMap(std::move(map));
            return true;
        }
        case element_type::ARRAY: {
            const simdjson::dom::array array = e.get_array().value_unsafe();
            QVariantList list;
            list.reserve(qsizetype(array.size()));
            for (const simdjson::dom::element item : array) {
                list.emplace_back();
                if (!value(item, list.back()))
                    return false;
            }
            out = std::move(list);
            return true;
        }
        case element_type::STRING:
            out = string(e.get_string().value_unsafe(), m_values);
            return true;
        case element_type::INT64:
            out = QVariant(qlonglong(e.get_int64().value_unsafe()));
            return true;
        case element_type::UINT64:
            // Above the range of qint64: Qt reads it as a double.
            out = QVariant(double(e.get_uint64().value_unsafe()));
            return true;
        case element_type::DOUBLE:
            return number(e.get_double().value_unsafe(), out);
        case element_type::BOOL:
            out = QVariant(e.get_bool().value_unsafe());
            return true;
        case element_type::NULL_VALUE:
            out = QVariant::fromValue(nullptr);
            return true;
        }
        return false;
    }

private:
    static bool number(double d, QVariant &out)
    {
        if (d == 0)
            return false;
        // Qt keeps a whole number within the range of qint64 as an integer.
        constexpr double Limit = 9223372036854775808.0; // 2^63
        if (std::trunc(d) == d && d >= -Limit && d < Limit)
            out = QVariant(qlonglong(d));
        else
            out = QVariant(d);
        return true;
    }

    // Listings repeat the same keys and many of the same short values in every entry: those
    // strings are made once and shared.
    template <int Slots> struct StringCache
    {
        std::array<QString, Slots> strings;
        std::array<std::string_view, Slots> bytes;
    };
    static constexpr size_t CachedLength = 24;

    template <int Slots> static QString string(std::string_view s, StringCache<Slots> &cache)
    {
        const size_t n = s.size();
        if (n == 0 || n > CachedLength)
            return QString::fromUtf8(s.data(), qsizetype(n));
        const auto *u = reinterpret_cast<const uchar *>(s.data());
        const size_t h = (n * 131 + u[0] * 31 + u[n - 1] * 7 + u[n / 2]) % Slots;
        if (cache.bytes[h] == s)
            return cache.strings[h];
        cache.bytes[h] = s;
        return cache.strings[h] = QString::fromUtf8(s.data(), qsizetype(n));
    }

    StringCache<64> m_keys;
    StringCache<128> m_values;
};
} // namespace

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
    // The parser copies the text into a buffer of its own with the padding its vector reads need.
    simdjson::dom::parser parser;
    simdjson::dom::element root;
    if (parser.parse(utf8.constData(), size_t(utf8.size())).get(root) == simdjson::SUCCESS) {
        QVariant value;
        if (VariantBuilder().value(root, value))
            return value;
    }
    return qtReading(utf8);
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
