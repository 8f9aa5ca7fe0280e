#pragma once

#include <QString>
#include <QVariantList>
#include <QVariantMap>

#include <optional>

/// What the hotspot screens and the command line decide about client entries: which entry an
/// address names, what may be done to it, and the parameters of the blacklist and rate-limit
/// requests.
class ClientRules
{
public:
    /// Operation types of "cgi/wifi_operate.mo".
    enum OperationType { AddToBlacklist = 2, RemoveFromBlacklist = 3 };

    /// Whether @p text is a MAC address: six pairs of hexadecimal digits separated by ":" or "-".
    [[nodiscard]] static bool isMacAddress(const QString &text);
    /// Whether two MAC addresses name the same device (case and separator do not matter).
    [[nodiscard]] static bool isSameMac(const QString &a, const QString &b);

    /// The first entry whose "mac" is @p mac; empty when there is none.
    [[nodiscard]] static QVariantMap entryByMac(const QVariantList &entries, const QString &mac);
    /// The "name" of the first entry whose "mac" is @p mac; empty when there is none.
    [[nodiscard]] static QString nameByMac(const QVariantList &entries, const QString &mac);

    /// Whether the entry is the hotspot's administrator ("isadmin" 1).
    [[nodiscard]] static bool isAdministrator(const QVariantMap &entry);
    /// Whether the entry's rate is limited in either direction.
    [[nodiscard]] static bool isLimited(const QVariantMap &entry);
    /// The administrator can neither be limited nor blacklisted.
    [[nodiscard]] static bool canOperate(const QVariantMap &entry)
    {
        return !isAdministrator(entry);
    }

    /// The request that puts @p entry on the blacklist: type 2 with its "mac", "ip" and "name".
    [[nodiscard]] static QVariantMap addToBlacklistParameters(const QVariantMap &entry);
    /// The request that takes @p mac off the blacklist: type 3, "ip" one blank, and the name of
    /// its entry in @p blacklist (empty when it is no longer there).
    [[nodiscard]] static QVariantMap removeFromBlacklistParameters(const QVariantList &blacklist,
                                                                   const QString &mac);
    /// The request that sets both limits of @p mac, in bytes per second (-1: no limit).
    [[nodiscard]] static QVariantMap rateLimitParameters(const QString &mac, qint32 upLimit,
                                                         qint32 downLimit);
    /// Whether the limits chosen equal the entry's current ones, so that nothing is to be sent.
    [[nodiscard]] static bool limitsUnchanged(const QVariantMap &entry, qint32 upLimit,
                                              qint32 downLimit);

    /// A limit typed as bytes per second: a whole number from 0 to 2147483647, or "-1" or
    /// "none" for no limit. Nothing for any other text.
    [[nodiscard]] static std::optional<qint32> parseLimit(const QString &text);
};
