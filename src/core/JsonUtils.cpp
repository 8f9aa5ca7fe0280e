#include "JsonUtils.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QUtf8StringView>

#include <array>
#include <cstring>
#include <map>

namespace {
// A direct reader from JSON text to QVariant for the common shapes of the PC's answers, without
// building a QJsonDocument first. It gives up (nothing) on anything whose conversion it does not
// mirror exactly (null, fractions and exponents, long integers, \u escapes, duplicate keys, deep
// nesting, anything malformed); the caller then takes the QJsonDocument path.
class FastJsonReader
{
public:
    explicit FastJsonReader(const QByteArray &text)
        : m_p(text.constData()), m_end(text.constData() + text.size())
    {
    }

    std::optional<QVariant> document()
    {
        skipSpace();
        if (m_p == m_end || (*m_p != '{' && *m_p != '['))
            return std::nullopt;
        QVariant v;
        if (!value(v, 0))
            return std::nullopt;
        skipSpace();
        if (m_p != m_end)
            return std::nullopt;
        return v;
    }

private:
    static constexpr int MaxDepth = 64;

    void skipSpace()
    {
        while (m_p != m_end && (*m_p == ' ' || *m_p == '\n' || *m_p == '\r' || *m_p == '\t'))
            ++m_p;
    }

    bool literal(const char *word, qsizetype n)
    {
        if (m_end - m_p < n || std::memcmp(m_p, word, size_t(n)) != 0)
            return false;
        m_p += n;
        return true;
    }

    // Listings repeat the same keys and many of the same short values in every entry: those
    // strings are made once and shared.
    template <int Slots>
    struct StringCache
    {
        std::array<QString, Slots> strings;
        std::array<QByteArrayView, Slots> bytes;
    };
    static constexpr qsizetype CachedLength = 24;

    template <int Slots>
    static QString plainString(const char *start, qsizetype n, StringCache<Slots> &cache)
    {
        if (n == 0 || n > CachedLength)
            return QString::fromUtf8(start, n);
        const auto *u = reinterpret_cast<const uchar *>(start);
        const size_t h = (size_t(n) * 131 + u[0] * 31 + u[n - 1] * 7 + u[n / 2]) % Slots;
        const QByteArrayView seen = cache.bytes[h];
        if (seen.size() == n && std::memcmp(seen.data(), start, size_t(n)) == 0)
            return cache.strings[h];
        cache.bytes[h] = QByteArrayView(start, n);
        return cache.strings[h] = QString::fromUtf8(start, n);
    }

    template <int Slots>
    bool string(QString &out, StringCache<Slots> &cache)
    {
        ++m_p; // the opening quote
        const char *start = m_p;
        while (m_p != m_end && *m_p != '"' && *m_p != '\\' && uchar(*m_p) >= 0x20)
            ++m_p;
        if (m_p == m_end || uchar(*m_p) < 0x20)
            return false;
        if (*m_p == '"') {
            out = plainString(start, m_p - start, cache);
            ++m_p;
            return true;
        }
        QByteArray bytes;
        bytes.reserve(64);
        bytes.append(start, m_p - start);
        while (m_p != m_end && *m_p != '"') {
            const char *run = m_p;
            while (m_p != m_end && *m_p != '"' && *m_p != '\\' && uchar(*m_p) >= 0x20)
                ++m_p;
            bytes.append(run, m_p - run);
            if (m_p == m_end || uchar(*m_p) < 0x20)
                return false;
            if (*m_p == '"')
                break;
            if (++m_p == m_end)
                return false;
            switch (*m_p++) {
            case '"': bytes += '"'; break;
            case '\\': bytes += '\\'; break;
            case '/': bytes += '/'; break;
            case 'b': bytes += '\b'; break;
            case 'f': bytes += '\f'; break;
            case 'n': bytes += '\n'; break;
            case 'r': bytes += '\r'; break;
            case 't': bytes += '\t'; break;
            default: return false;
            }
        }
        if (m_p == m_end)
            return false;
        ++m_p;
        out = QString::fromUtf8(bytes);
        return true;
    }

    bool number(QVariant &out)
    {
        const char *start = m_p;
        if (*m_p == '-')
            ++m_p;
        const char *digits = m_p;
        while (m_p != m_end && *m_p >= '0' && *m_p <= '9')
            ++m_p;
        const qsizetype n = m_p - digits;
        if (n == 0 || n > 18 || (*digits == '0' && (n > 1 || digits != start)))
            return false;
        if (m_p != m_end && (*m_p == '.' || *m_p == 'e' || *m_p == 'E'))
            return false;
        qint64 v = 0;
        for (const char *d = digits; d != m_p; ++d)
            v = v * 10 + (*d - '0');
        out = QVariant(qlonglong(digits != start ? -v : v));
        return true;
    }

    enum class Next { Item, End, Bad };
    // What follows an item of an object or array: a comma and another item, or @p close.
    Next afterItem(char close)
    {
        skipSpace();
        if (m_p == m_end)
            return Next::Bad;
        if (*m_p == ',') {
            ++m_p;
            return Next::Item;
        }
        return *m_p++ == close ? Next::End : Next::Bad;
    }

    bool value(QVariant &out, int depth)
    {
        skipSpace();
        if (m_p == m_end)
            return false;
        switch (*m_p) {
        case '{': {
            if (depth >= MaxDepth)
                return false;
            ++m_p;
            std::map<QString, QVariant> map;
            skipSpace();
            if (m_p != m_end && *m_p == '}') {
                ++m_p;
                out = QVariantMap();
                return true;
            }
            for (;;) {
                skipSpace();
                if (m_p == m_end || *m_p != '"')
                    return false;
                QString key;
                if (!string(key, m_keys))
                    return false;
                skipSpace();
                if (m_p == m_end || *m_p++ != ':')
                    return false;
                QVariant item;
                if (!value(item, depth + 1))
                    return false;
                // Keys usually come in order, so the end is the place to try first.
                const auto before = map.size();
                map.emplace_hint(map.end(), std::move(key), std::move(item));
                if (map.size() == before)
                    return false;
                const Next next = afterItem('}');
                if (next == Next::Item)
                    continue;
                if (next == Next::Bad)
                    return false;
                out = QVariantMap(std::move(map));
                return true;
            }
        }
        case '[': {
            if (depth >= MaxDepth)
                return false;
            ++m_p;
            QVariantList list;
            skipSpace();
            if (m_p != m_end && *m_p == ']') {
                ++m_p;
                out = list;
                return true;
            }
            for (;;) {
                QVariant item;
                if (!value(item, depth + 1))
                    return false;
                list.append(std::move(item));
                const Next next = afterItem(']');
                if (next == Next::Item)
                    continue;
                if (next == Next::Bad)
                    return false;
                out = std::move(list);
                return true;
            }
        }
        case '"': {
            QString s;
            if (!string(s, m_values))
                return false;
            out = std::move(s);
            return true;
        }
        case 't':
            out = QVariant(true);
            return literal("true", 4);
        case 'f':
            out = QVariant(false);
            return literal("false", 5);
        default:
            return (*m_p == '-' || (*m_p >= '0' && *m_p <= '9')) && number(out);
        }
    }

    const char *m_p;
    const char *m_end;
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
    if (QUtf8StringView(utf8).isValidUtf8())
        if (auto fast = FastJsonReader(utf8).document())
            return *fast;
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
