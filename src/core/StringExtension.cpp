#include "StringExtension.h"

#include <QCryptographicHash>

namespace StringExtension {

QString urlencode(const QString &text)
{
    static const char hex[] = "0123456789ABCDEF";
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() * 3);
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == ' ') {
            out += '+';
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                   c == '-' || c == '.' || c == '_' || c == '~') {
            out += char(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0xf];
        }
    }
    return QString::fromLatin1(out);
}

QString md5(const QString &text)
{
    QByteArray utf8 = text.toUtf8();
    const qsizetype zero = utf8.indexOf('\0');
    if (zero >= 0)
        utf8.truncate(zero);
    return QString::fromLatin1(QCryptographicHash::hash(utf8, QCryptographicHash::Md5).toHex());
}

} // namespace StringExtension
