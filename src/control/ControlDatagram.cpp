#include "ControlDatagram.h"

#include "JsonUtils.h"
#include "Utils.h"

#include <QStringDecoder>

#include <algorithm>
#include <cmath>
#include <zlib.h>

using namespace Qt::StringLiterals;

namespace {
// One deflate state per thread, reset for each message: setting a state up allocates about
// 256 KiB, which costs far more than compressing a pointer message. The bytes are the same as
// those of zlib's one-shot compress2 at the default level.
struct Deflater
{
    Deflater() { ready = deflateInit(&stream, Z_DEFAULT_COMPRESSION) == Z_OK; }
    ~Deflater()
    {
        if (ready)
            deflateEnd(&stream);
    }
    Deflater(const Deflater &) = delete;
    Deflater &operator=(const Deflater &) = delete;

    z_stream stream{};
    bool ready = false;
};

QVariantMap message(int cm, const QString &ua, const QVariantMap &dt)
{
    return {{u"cm"_s, cm}, {u"ua"_s, ua}, {u"dt"_s, dt}};
}
} // namespace

std::optional<QByteArray> ControlDatagram::encode(const QVariantMap &message)
{
    QByteArray text = JsonUtils::objectToData(message);
    if (text.isEmpty())
        return std::nullopt;
    Utils::getBitwiseNegation(text);
    thread_local Deflater deflater;
    if (!deflater.ready || deflateReset(&deflater.stream) != Z_OK)
        return std::nullopt;
    QByteArray out(MaxOutgoing, Qt::Uninitialized);
    z_stream &z = deflater.stream;
    z.next_in = reinterpret_cast<Bytef *>(text.data());
    z.avail_in = uInt(text.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = uInt(out.size());
    // Anything but the stream's end means the output did not fit.
    if (deflate(&z, Z_FINISH) != Z_STREAM_END)
        return std::nullopt;
    out.truncate(out.size() - qsizetype(z.avail_out));
    return out;
}

std::optional<QVariantMap> ControlDatagram::decode(const QByteArray &datagram)
{
    if (datagram.isEmpty())
        return std::nullopt;
    QByteArray buffer(InflateBuffer, '\0');
    uLongf length = uLongf(buffer.size());
    const int rc =
        uncompress(reinterpret_cast<Bytef *>(buffer.data()), &length,
                   reinterpret_cast<const Bytef *>(datagram.constData()), uLong(datagram.size()));
    // A text that fills the whole buffer leaves no room for the terminating zero.
    if (rc != Z_OK || qsizetype(length) >= InflateBuffer)
        return std::nullopt;
    buffer.truncate(qsizetype(length));
    Utils::getBitwiseNegation(buffer);
    if (const qsizetype zero = buffer.indexOf('\0'); zero >= 0)
        buffer.truncate(zero);

    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)QString(utf8.decode(buffer));
    if (utf8.hasError())
        return std::nullopt;
    const QVariant object = JsonUtils::dataToDictionary(buffer);
    if (!JsonUtils::isObject(object))
        return std::nullopt;
    return object.toMap();
}

std::optional<QString> ControlDatagram::machineIdOf(const QString &ua)
{
    const QStringList fields = ua.split(u';');
    if (fields.size() < 7)
        return std::nullopt;
    return fields.at(6);
}

QVariantMap ControlDatagram::echo(const QString &ua)
{
    return {{u"cm"_s, int(Echo)}, {u"ua"_s, ua}};
}

QVariantMap ControlDatagram::text(const QString &ua, const QString &text)
{
    return message(Text, ua, {{u"text"_s, text}});
}

QString ControlDatagram::motionData(double dx, double dy)
{
    return QString::asprintf("%f %f", dx, dy);
}

QVariantMap ControlDatagram::mouse(const QString &ua, int action, const QString &data)
{
    return message(Mouse, ua, {{u"action"_s, action}, {u"data"_s, data}});
}

QVariantMap ControlDatagram::keyboard(const QString &ua, int action, int key, int ext)
{
    return message(Keyboard, ua, {{u"action"_s, action}, {u"key"_s, key}, {u"ext"_s, ext}});
}

std::optional<QVariantMap> ControlDatagram::volume(const QString &ua, double volume)
{
    if (std::isnan(volume))
        return std::nullopt;
    const int level = int(std::trunc(std::clamp(volume, 0.0, 100.0)));
    return message(Volume, ua, {{u"volum"_s, level}});
}
