#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <optional>

// Byte-level formats spoken with the phone. Pure functions, no sockets.
namespace Wire {

// Every byte replaced by its bitwise complement; applying it twice restores the input.
[[nodiscard]] QByteArray complement(QByteArray data);

[[nodiscard]] QByteArray be32(quint32 value);
[[nodiscard]] quint32 readBe32(const char *p);

[[nodiscard]] QByteArray compact(const QJsonDocument &doc);
[[nodiscard]] QByteArray compact(const QJsonObject &object);

// Login/authorisation reply: 4-byte big-endian length, then the complemented JSON text.
[[nodiscard]] QByteArray loginReply(const QByteArray &jsonText);

// Body of an answer of the HTTP service: Base64 of the complemented JSON text.
[[nodiscard]] QByteArray httpAnswer(const QByteArray &jsonText);

// Datagram: zlib one-shot compression of the complemented compact JSON text.
[[nodiscard]] QByteArray encodeDatagram(const QJsonObject &message);
// Inflate (bounded), complement, parse; nullopt with a reason when any step fails.
[[nodiscard]] std::optional<QJsonObject> decodeDatagram(const QByteArray &datagram,
                                                        QString *why = nullptr);

// Identity strings: ";"-terminated fields.
[[nodiscard]] QStringList uaFields(const QString &ua);
[[nodiscard]] QString md5Hex(const QByteArray &data);
[[nodiscard]] QString newToken(); // 32 lower-case hex characters
// Field 8 of a per-request identity string: Base64(token XOR md5hex(stamp)) followed by stamp.
// Returns the token it hides, or an empty string when the field is malformed.
[[nodiscard]] QString tokenOfRequestField(const QString &field8);
// The same construction, used by tests and by the control interface's examples.
[[nodiscard]] QString requestField(const QString &token, const QString &stamp);

// Form encoding used inside the identity string (space as "+", unreserved kept).
[[nodiscard]] QString formEncode(const QString &text);

// A small RGB PNG picture of w x h pixels whose colours depend on seed.
[[nodiscard]] QByteArray pngImage(int w, int h, quint32 seed);

} // namespace Wire
