#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

/// The decoded answer of one HTTP exchange, chosen by the request's tag string. A pure function
/// of the tag string, the status code and the body.
struct HttpAnswer
{
    /// The answer, or an invalid QVariant when the body does not decode.
    QVariant value;
    /// The PC refused the phone (status 403): the connection status falls back to not logged in.
    bool dropsLogin = false;

    /// "image": the body's bytes, for the screen to decode. "key_donot_decryption": the body as
    /// plain JSON. Any other tag string (every request to the PC): Base64, then the complement of
    /// every byte, then UTF-8 text with "\r\n" written as "\n" and "\'" as "'", then JSON.
    [[nodiscard]] static HttpAnswer decode(const QString &tagStr, int status,
                                           const QByteArray &body);
    /// The PC's text layer alone: Base64, complement, UTF-8, the two rewrites. Nothing when the
    /// body is not Base64 or not UTF-8.
    [[nodiscard]] static std::optional<QString> decodePcText(const QByteArray &body);
};

namespace HttpTags {
using namespace Qt::StringLiterals;
inline const QString Image = u"image"_s;
inline const QString PlainJson = u"key_donot_decryption"_s;
inline const QString ShutdownPC = u"shutdownPC"_s;
} // namespace HttpTags
