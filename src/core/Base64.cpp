#include "Base64.h"

#include <array>

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

namespace {
// Sextet of each alphabet character, -1 for anything else (padding included).
constexpr std::array<signed char, 256> sextets()
{
    std::array<signed char, 256> t{};
    for (auto &v : t)
        v = -1;
    const char *alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int i = 0; i < 64; ++i)
        t[uchar(alphabet[i])] = static_cast<signed char>(i);
    return t;
}
constexpr std::array<signed char, 256> Sextets = sextets();

bool isTrimmedSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::optional<QByteArray> complementedGeneral(const QByteArray &text)
{
    auto raw = Base64::decodeBase64DataReturnData(text);
    if (raw)
        for (char &c : *raw)
            c = char(~uchar(c));
    return raw;
}
} // namespace

std::optional<QByteArray> Base64::decodeComplemented(const QByteArray &text)
{
    const char *begin = text.constData();
    const char *end = begin + text.size();
    while (begin != end && isTrimmedSpace(*begin))
        ++begin;
    while (end != begin && isTrimmedSpace(end[-1]))
        --end;
    const qsizetype n = end - begin;
    // Only whole groups of four with at most two closing '=' take the direct path; every other
    // form (unpadded, misplaced padding, bad characters) gets the general decoder's verdict.
    if (n == 0 || n % 4 != 0)
        return complementedGeneral(text);
    const int padding = end[-1] != '=' ? 0 : end[-2] != '=' ? 1 : 2;
    const qsizetype groups = n / 4;
    QByteArray out(groups * 3 - padding, Qt::Uninitialized);
    auto *o = reinterpret_cast<uchar *>(out.data());
    const auto *in = reinterpret_cast<const uchar *>(begin);
    int bad = 0;
    for (qsizetype g = 0; g + 1 < groups; ++g, in += 4, o += 3) {
        const int a = Sextets[in[0]], b = Sextets[in[1]], c = Sextets[in[2]], d = Sextets[in[3]];
        bad |= a | b | c | d;
        const quint32 v = quint32(a) << 18 | quint32(b) << 12 | quint32(c) << 6 | quint32(d);
        o[0] = uchar(~(v >> 16));
        o[1] = uchar(~(v >> 8));
        o[2] = uchar(~v);
    }
    const int a = Sextets[in[0]], b = Sextets[in[1]];
    const int c = padding == 2 ? 0 : Sextets[in[2]];
    const int d = padding >= 1 ? 0 : Sextets[in[3]];
    bad |= a | b | c | d;
    if (bad < 0)
        return complementedGeneral(text);
    const quint32 v = quint32(a) << 18 | quint32(b) << 12 | quint32(c) << 6 | quint32(d);
    o[0] = uchar(~(v >> 16));
    if (padding < 2)
        o[1] = uchar(~(v >> 8));
    if (padding < 1)
        o[2] = uchar(~v);
    return out;
}
