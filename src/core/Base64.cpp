#include "Base64.h"

QString Base64::encodeBase64Data(const QByteArray &data)
{
    return QString::fromLatin1(data.toBase64());
}

std::optional<QByteArray> Base64::decodeBase64DataReturnData(const QByteArray &text)
{
    const QByteArray trimmed = text.trimmed();
    auto result = QByteArray::fromBase64Encoding(trimmed, QByteArray::AbortOnBase64DecodingErrors);
    if (!result)
        return std::nullopt;
    return *result;
}
