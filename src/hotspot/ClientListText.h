#pragma once

#include <QCoreApplication>
#include <QString>
#include <QVariantMap>

/// The texts of one row of the client list, from the client entry the PC sent.
class ClientListText
{
    Q_DECLARE_TR_FUNCTIONS(ClientListText)
public:
    /// The screen's title: "%d个小伙伴在线" with the number of clients shown.
    [[nodiscard]] static QString title(int clientCount);
    /// The current rate of both directions together: "1.0MB/s", "1.0KB/s", "1023B/s".
    [[nodiscard]] static QString rateText(const QVariantMap &entry);
    /// Time online, "2小时35分钟" from "online_time" "2:35"; empty when it has no ":".
    [[nodiscard]] static QString onlineTimeText(const QVariantMap &entry);
    /// The row's second line: rate and time online, marked "限速中" for a limited client. A row
    /// without a time online shows no rate either.
    [[nodiscard]] static QString connectText(const QVariantMap &entry);
    /// The action panel's text for the administrator, who can be neither limited nor blacklisted.
    [[nodiscard]] static QString administratorText();
    /// The mark of a client whose rate is limited.
    [[nodiscard]] static QString limitedText();
    /// The blacklist row's address line: "MAC地址：%@".
    [[nodiscard]] static QString macAddressText(const QVariantMap &entry);
};
