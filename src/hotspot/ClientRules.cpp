#include "ClientRules.h"

#include "JsonUtils.h"

#include <QRegularExpression>

#include <limits>

using namespace Qt::StringLiterals;

namespace {
QString normalisedMac(QString mac)
{
    return mac.trimmed().replace(u'-', u':').toUpper();
}
} // namespace

bool ClientRules::isMacAddress(const QString &text)
{
    static const QRegularExpression mac(
        u"^[0-9A-Fa-f]{2}([:-])[0-9A-Fa-f]{2}(\\1[0-9A-Fa-f]{2}){4}$"_s);
    return mac.match(text).hasMatch();
}

bool ClientRules::isSameMac(const QString &a, const QString &b)
{
    return normalisedMac(a) == normalisedMac(b);
}

QVariantMap ClientRules::entryByMac(const QVariantList &entries, const QString &mac)
{
    for (const QVariant &entry : entries) {
        const QVariantMap map = entry.toMap();
        if (isSameMac(map.value(u"mac"_s).toString(), mac))
            return map;
    }
    return {};
}

QString ClientRules::nameByMac(const QVariantList &entries, const QString &mac)
{
    return entryByMac(entries, mac).value(u"name"_s).toString();
}

bool ClientRules::isAdministrator(const QVariantMap &entry)
{
    return JsonUtils::integerValue(entry.value(u"isadmin"_s)) == 1;
}

bool ClientRules::isLimited(const QVariantMap &entry)
{
    return JsonUtils::integerValue(entry.value(u"down_limit"_s)) > 0 ||
           JsonUtils::integerValue(entry.value(u"up_limit"_s)) > 0;
}

QVariantMap ClientRules::addToBlacklistParameters(const QVariantMap &entry)
{
    return {{u"type"_s, int(AddToBlacklist)},
            {u"mac"_s, entry.value(u"mac"_s).toString()},
            {u"ip"_s, entry.value(u"ip"_s).toString()},
            {u"name"_s, entry.value(u"name"_s).toString()}};
}

QVariantMap ClientRules::removeFromBlacklistParameters(const QVariantList &blacklist,
                                                       const QString &mac)
{
    // The PC is given the address as it spelled it.
    const QVariantMap entry = entryByMac(blacklist, mac);
    return {{u"type"_s, int(RemoveFromBlacklist)},
            {u"ip"_s, u" "_s},
            {u"name"_s, entry.value(u"name"_s).toString()},
            {u"mac"_s, entry.isEmpty() ? mac : entry.value(u"mac"_s).toString()}};
}

QVariantMap ClientRules::rateLimitParameters(const QString &mac, qint32 upLimit, qint32 downLimit)
{
    return {{u"mac"_s, mac}, {u"up_limit"_s, upLimit}, {u"down_limit"_s, downLimit}};
}

bool ClientRules::limitsUnchanged(const QVariantMap &entry, qint32 upLimit, qint32 downLimit)
{
    return JsonUtils::integerValue(entry.value(u"up_limit"_s)) == upLimit &&
           JsonUtils::integerValue(entry.value(u"down_limit"_s)) == downLimit;
}

std::optional<qint32> ClientRules::parseLimit(const QString &text)
{
    if (text == u"none"_s || text == u"-1"_s)
        return -1;
    static const QRegularExpression digits(u"^[0-9]{1,10}$"_s);
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    const qint64 n = text.toLongLong();
    if (n > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(n);
}
