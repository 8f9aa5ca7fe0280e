#pragma once

// Builds and opens datagrams with zlib directly, so the tests do not check the channel's codec
// against itself.

#include <QByteArray>

#include <zlib.h>

namespace Fixtures {

inline QByteArray complement(QByteArray bytes)
{
    for (char &c : bytes)
        c = char(~static_cast<unsigned char>(c));
    return bytes;
}

/// The datagram of a hand-written JSON text (or any bytes).
inline QByteArray datagramOf(const QByteArray &text, int level = Z_DEFAULT_COMPRESSION)
{
    const QByteArray inverted = complement(text);
    uLongf length = compressBound(uLong(inverted.size()));
    QByteArray out(qsizetype(length), '\0');
    compress2(reinterpret_cast<Bytef *>(out.data()), &length,
              reinterpret_cast<const Bytef *>(inverted.constData()), uLong(inverted.size()),
              level);
    out.truncate(qsizetype(length));
    return out;
}

/// The text a datagram carries; empty when it does not inflate.
inline QByteArray textOf(const QByteArray &datagram)
{
    QByteArray out(1 << 20, '\0');
    uLongf length = uLongf(out.size());
    if (uncompress(reinterpret_cast<Bytef *>(out.data()), &length,
                   reinterpret_cast<const Bytef *>(datagram.constData()),
                   uLong(datagram.size())) != Z_OK)
        return {};
    out.truncate(qsizetype(length));
    return complement(out);
}

} // namespace Fixtures
