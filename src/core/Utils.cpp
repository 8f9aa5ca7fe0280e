#include "Utils.h"

using namespace Qt::StringLiterals;

void Utils::getBitwiseNegation(char *bytes, qsizetype length)
{
    if (!bytes || length <= 0)
        return;
    for (qsizetype i = 0; i < length; ++i)
        bytes[i] = char(~static_cast<unsigned char>(bytes[i]));
}

void Utils::getBitwiseNegation(QByteArray &data)
{
    getBitwiseNegation(data.data(), data.size());
}

QByteArray Utils::negated(QByteArray data)
{
    getBitwiseNegation(data);
    return data;
}

std::optional<QByteArray> Utils::XORStr1(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty() || a.size() != b.size())
        return std::nullopt;
    QByteArray out(a.size() + 1, '\0');
    for (qsizetype i = 0; i < a.size(); ++i)
        out[i] = char((a[i].unicode() ^ b[i].unicode()) & 0xff);
    return out;
}

QString Utils::getSizeString(quint64 bytes)
{
    const double b = double(bytes);
    if (b / 1e9 >= 1)
        return QString::asprintf("%0.1fGB", b / 1e9);
    if (b / 1e6 >= 1)
        return QString::asprintf("%0.1fMB", b / 1e6);
    if (b / 1000 >= 1)
        return QString::asprintf("%0.1fKB", b / 1000);
    return QString::asprintf("%lldB", static_cast<long long>(bytes));
}

bool Utils::isSameDay(const QDateTime &a, const QDateTime &b)
{
    return a.toLocalTime().date() == b.toLocalTime().date();
}
