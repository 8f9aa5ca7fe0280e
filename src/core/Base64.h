#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

/// Standard Base64 (RFC 4648 alphabet, "=" padding, no line breaks).
class Base64
{
public:
    [[nodiscard]] static QString encodeBase64Data(const QByteArray &data);
    /// The decoded bytes, or nothing when @p text is not valid Base64. Surrounding white space is
    /// ignored.
    [[nodiscard]] static std::optional<QByteArray>
    decodeBase64DataReturnData(const QByteArray &text);
    /// decodeBase64DataReturnData() with every decoded byte complemented, in one pass over the
    /// text for the usual padded form.
    [[nodiscard]] static std::optional<QByteArray> decodeComplemented(const QByteArray &text);
};
