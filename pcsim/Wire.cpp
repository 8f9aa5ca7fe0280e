#include "Wire.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

#include <zlib.h>

namespace Wire {

namespace {
// Largest inflated datagram text the phone itself accepts is below 20480 bytes.
constexpr uLongf MaxDatagramText = 20480;
} // namespace

QByteArray complement(QByteArray data)
{
    for (char &c : data)
        c = static_cast<char>(~static_cast<unsigned char>(c));
    return data;
}

QByteArray be32(quint32 value)
{
    QByteArray out(4, '\0');
    out[0] = static_cast<char>(value >> 24);
    out[1] = static_cast<char>(value >> 16);
    out[2] = static_cast<char>(value >> 8);
    out[3] = static_cast<char>(value);
    return out;
}

quint32 readBe32(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return (quint32(u[0]) << 24) | (quint32(u[1]) << 16) | (quint32(u[2]) << 8) | quint32(u[3]);
}

QByteArray compact(const QJsonDocument &doc)
{
    return doc.toJson(QJsonDocument::Compact);
}

QByteArray compact(const QJsonObject &object)
{
    return compact(QJsonDocument(object));
}

QByteArray loginReply(const QByteArray &jsonText)
{
    return be32(quint32(jsonText.size())) + complement(jsonText);
}

QByteArray httpAnswer(const QByteArray &jsonText)
{
    return complement(jsonText).toBase64();
}

QByteArray encodeDatagram(const QJsonObject &message)
{
    const QByteArray text = complement(compact(message));
    uLongf outLen = compressBound(uLong(text.size()));
    QByteArray out(qsizetype(outLen), '\0');
    if (compress(reinterpret_cast<Bytef *>(out.data()), &outLen,
                 reinterpret_cast<const Bytef *>(text.constData()), uLong(text.size())) != Z_OK)
        return {};
    out.truncate(qsizetype(outLen));
    return out;
}

std::optional<QJsonObject> decodeDatagram(const QByteArray &datagram, QString *why)
{
    auto fail = [why](const QString &reason) -> std::optional<QJsonObject> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    QByteArray text(qsizetype(MaxDatagramText), '\0');
    uLongf len = MaxDatagramText;
    const int rc =
        uncompress(reinterpret_cast<Bytef *>(text.data()), &len,
                   reinterpret_cast<const Bytef *>(datagram.constData()), uLong(datagram.size()));
    if (rc != Z_OK)
        return fail(rc == Z_BUF_ERROR ? QStringLiteral("inflated text too long or truncated")
                                      : QStringLiteral("not a zlib stream"));
    text.truncate(qsizetype(len));
    QJsonParseError err{};
    const QJsonDocument doc = QJsonDocument::fromJson(complement(text), &err);
    if (err.error != QJsonParseError::NoError)
        return fail(QStringLiteral("not JSON: ") + err.errorString());
    if (!doc.isObject())
        return fail(QStringLiteral("JSON is not an object"));
    return doc.object();
}

QStringList uaFields(const QString &ua)
{
    QStringList fields = ua.split(u';');
    if (!fields.isEmpty() && fields.last().isEmpty())
        fields.removeLast();
    return fields;
}

QString md5Hex(const QByteArray &data)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex());
}

QString newToken()
{
    QByteArray raw(16, '\0');
    for (char &c : raw)
        c = static_cast<char>(QRandomGenerator::global()->bounded(256));
    return QString::fromLatin1(raw.toHex());
}

QString tokenOfRequestField(const QString &field8)
{
    if (field8.size() <= 44)
        return {};
    const QString stamp = field8.mid(44);
    for (QChar c : stamp)
        if (!c.isDigit())
            return {};
    const auto decoded = QByteArray::fromBase64Encoding(field8.left(44).toLatin1(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() != 32)
        return {};
    const QByteArray digest = md5Hex(stamp.toLatin1()).toLatin1();
    QByteArray token(32, '\0');
    for (int i = 0; i < 32; ++i)
        token[i] = static_cast<char>(decoded.decoded[i] ^ digest[i]);
    return QString::fromLatin1(token);
}

QString requestField(const QString &token, const QString &stamp)
{
    const QByteArray t = token.toLatin1();
    const QByteArray digest = md5Hex(stamp.toLatin1()).toLatin1();
    if (t.size() != digest.size())
        return {};
    QByteArray mixed(t.size(), '\0');
    for (int i = 0; i < t.size(); ++i)
        mixed[i] = static_cast<char>(t[i] ^ digest[i]);
    return QString::fromLatin1(mixed.toBase64()) + stamp;
}

QString formEncode(const QString &text)
{
    QString out;
    for (const char c : text.toUtf8()) {
        const auto u = static_cast<unsigned char>(c);
        if (u == ' ')
            out += u'+';
        else if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
                 u == '-' || u == '.' || u == '_' || u == '~')
            out += QLatin1Char(char(u));
        else
            out += QStringLiteral("%%1").arg(u, 2, 16, QChar(u'0')).toUpper();
    }
    return out;
}

namespace {
QByteArray pngChunk(const char *type, const QByteArray &data)
{
    QByteArray body = QByteArray(type, 4) + data;
    const uLong crc =
        crc32(0, reinterpret_cast<const Bytef *>(body.constData()), uInt(body.size()));
    return be32(quint32(data.size())) + body + be32(quint32(crc));
}
} // namespace

QByteArray pngImage(int w, int h, quint32 seed)
{
    QByteArray raw;
    raw.reserve((w * 3 + 1) * h);
    for (int y = 0; y < h; ++y) {
        raw.append('\0'); // filter: none
        for (int x = 0; x < w; ++x) {
            raw.append(static_cast<char>((x * 255 / qMax(1, w - 1) + seed) & 0xff));
            raw.append(static_cast<char>((y * 255 / qMax(1, h - 1) + (seed >> 8)) & 0xff));
            raw.append(static_cast<char>((seed >> 16) & 0xff));
        }
    }
    uLongf zlen = compressBound(uLong(raw.size()));
    QByteArray z(qsizetype(zlen), '\0');
    compress(reinterpret_cast<Bytef *>(z.data()), &zlen,
             reinterpret_cast<const Bytef *>(raw.constData()), uLong(raw.size()));
    z.truncate(qsizetype(zlen));
    QByteArray ihdr = be32(quint32(w)) + be32(quint32(h));
    ihdr.append(char(8)).append(char(2)).append(char(0)).append(char(0)).append(char(0));
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", ihdr) + pngChunk("IDAT", z) +
           pngChunk("IEND", {});
}

} // namespace Wire
