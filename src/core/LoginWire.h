#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <optional>

/// The frames of the login and authorisation channel, as pure functions over bytes and JSON
/// values: no sockets, no state.
class LoginWire
{
public:
    enum Command : int { CmLogin = 1010, CmAuth = 1013, CmAction = 1014 };

    /// What a usable login reply tells, in the order it is written to the runtime state.
    struct LoginFacts
    {
        std::optional<QString> api; ///< only when non-empty
        quint16 tcpPort = 0;
        std::optional<QString> lumoVersion; ///< only when present
        std::optional<double> expenses;     ///< only when above 0
        qint64 traffic = 0;
        int clientCount = 0;
        int type = 0;
        int enable = 0;
    };

    /// What an authorisation reply tells.
    struct AuthFacts
    {
        int cm = 0;
        int ret = 0;
        std::optional<QString> serverMid; ///< field 7 of the PC's identity string
        std::optional<QString> token;     ///< field 8, only when non-empty
    };

    /// Longest reply payload taken. Real replies are a few hundred bytes; a longer announcement
    /// is refused as soon as its length word is in.
    static constexpr quint32 MaxReplyLength = 1024 * 1024;

    /// Request frame: 0x01, big-endian payload length, complemented compact JSON {"cm","ua"}.
    [[nodiscard]] static QByteArray encodeRequest(int cm, const QString &ua);

    /// The payload length a reply announces in its first 4 bytes; nothing before they are in.
    [[nodiscard]] static std::optional<quint32> declaredLength(const QByteArray &bytes);
    /// The JSON value of a reply frame (big-endian length, complemented JSON). Nothing when the
    /// reply is missing: fewer than 5 bytes, fewer payload bytes than declared, a length over
    /// MaxReplyLength, or not JSON.
    [[nodiscard]] static std::optional<QVariant> decodeReply(const QByteArray &bytes);

    /// Reads a decoded login reply; nothing unless "cm" is 1010 and "dt" is an object.
    [[nodiscard]] static std::optional<LoginFacts> readLoginReply(const QVariant &reply);
    /// Reads a decoded authorisation reply; a missing reply gives cm 0 and ret 0.
    [[nodiscard]] static AuthFacts readAuthReply(const std::optional<QVariant> &reply);

    /// The status a login result leads to (AppStatus value).
    [[nodiscard]] static quint64 loginVerdict(int type, int enable);
    /// Whether an authorisation result makes the phone administrator.
    [[nodiscard]] static bool isAuthorised(int cm, int ret);
};
