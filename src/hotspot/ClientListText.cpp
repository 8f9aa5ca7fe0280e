#include "ClientListText.h"

#include "ClientRules.h"
#include "JsonUtils.h"

#include <limits>

using namespace Qt::StringLiterals;

namespace {
// A rate the PC sends as a negative number counts as nothing moving.
quint64 rateOf(const QVariant &value)
{
    return quint64(std::max<qint64>(0, JsonUtils::integerValue(value)));
}

// The leading integer of a text, as the row reads the hours and minutes: "05" is 5, "x" is 0.
int leadingInteger(const QString &text)
{
    const QString t = text.trimmed();
    qsizetype end = 0;
    if (end < t.size() && (t[end] == u'-' || t[end] == u'+'))
        ++end;
    while (end < t.size() && t[end].isDigit() && t[end].unicode() < 128)
        ++end;
    bool ok = false;
    const qint64 n = QStringView(t).left(end).toLongLong(&ok);
    if (!ok)
        return 0;
    return int(
        std::clamp<qint64>(n, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}
} // namespace

QString ClientListText::title(int clientCount)
{
    return tr("%1个小伙伴在线").arg(clientCount);
}

QString ClientListText::rateText(const QVariantMap &entry)
{
    const quint64 down = rateOf(entry.value(u"down_rate"_s));
    const quint64 up = rateOf(entry.value(u"up_rate"_s));
    // Each is below 2^63, so the sum cannot overflow.
    const quint64 total = down + up;
    if (total >= 0x100000)
        return QString::asprintf("%0.1fMB/s", double(total) / 1048576.0);
    if (total >= 1024)
        return QString::asprintf("%0.1fKB/s", double(total) / 1024.0);
    return QString::asprintf("%lluB/s", static_cast<unsigned long long>(total));
}

QString ClientListText::onlineTimeText(const QVariantMap &entry)
{
    const QVariant time = entry.value(u"online_time"_s);
    if (time.typeId() != QMetaType::QString)
        return {};
    const QStringList parts = time.toString().split(u':');
    if (parts.size() < 2)
        return {};
    return tr("%1小时%2分钟")
        .arg(QString::number(leadingInteger(parts[0])), QString::number(leadingInteger(parts[1])));
}

QString ClientListText::connectText(const QVariantMap &entry)
{
    const QString time = onlineTimeText(entry);
    const QString text = time.isEmpty() ? QString() : rateText(entry) + u"  "_s + time;
    if (ClientRules::isLimited(entry))
        return u"       "_s + limitedText() + u"  "_s + text;
    return text;
}

QString ClientListText::administratorText()
{
    return tr("管理员");
}

QString ClientListText::limitedText()
{
    return tr("限速中");
}

QString ClientListText::macAddressText(const QVariantMap &entry)
{
    return tr("MAC地址：%1").arg(entry.value(u"mac"_s).toString());
}
