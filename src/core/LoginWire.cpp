#include "LoginWire.h"

#include "JsonUtils.h"
#include "RuntimeState.h"
#include "Utils.h"

#include <QtEndian>

using namespace Qt::StringLiterals;

QByteArray LoginWire::encodeRequest(int cm, const QString &ua)
{
    const QByteArray payload =
        Utils::negated(JsonUtils::objectToData(QVariantMap{{u"cm"_s, cm}, {u"ua"_s, ua}}));
    QByteArray frame(5, '\0');
    frame[0] = '\x01';
    qToBigEndian<quint32>(quint32(payload.size()), frame.data() + 1);
    return frame + payload;
}

std::optional<quint32> LoginWire::declaredLength(const QByteArray &bytes)
{
    if (bytes.size() < 4)
        return std::nullopt;
    return qFromBigEndian<quint32>(bytes.constData());
}

std::optional<QVariant> LoginWire::decodeReply(const QByteArray &bytes)
{
    if (bytes.size() < 5)
        return std::nullopt;
    const quint32 length = *declaredLength(bytes);
    // A reply that stops before its declared end is cut off: never read past what arrived.
    if (length > MaxReplyLength || quint64(length) > quint64(bytes.size() - 4))
        return std::nullopt;
    const QVariant value = JsonUtils::dataToDictionary(Utils::negated(bytes.mid(4, length)));
    if (!value.isValid())
        return std::nullopt;
    return value;
}

std::optional<LoginWire::LoginFacts> LoginWire::readLoginReply(const QVariant &reply)
{
    if (!JsonUtils::isObject(reply))
        return std::nullopt;
    const QVariantMap root = reply.toMap();
    if (JsonUtils::integerValue(root.value(u"cm"_s), -1) != CmLogin ||
        !JsonUtils::isObject(root.value(u"dt"_s)))
        return std::nullopt;
    const QVariantMap dt = root.value(u"dt"_s).toMap();
    const QVariantMap wifi = dt.value(u"wifi"_s).toMap();
    LoginFacts facts;
    const QVariant api = dt.value(u"api"_s);
    if (api.typeId() == QMetaType::QString && !api.toString().isEmpty())
        facts.api = api.toString();
    facts.tcpPort = quint16(JsonUtils::integerValue(dt.value(u"tcp_port"_s)));
    const QVariant lumo = dt.value(u"lumo_ver"_s);
    if (lumo.typeId() == QMetaType::QString)
        facts.lumoVersion = lumo.toString();
    bool isNumber = false;
    const double expenses = wifi.value(u"expenses"_s).toDouble(&isNumber);
    if (isNumber && expenses > 0)
        facts.expenses = expenses;
    facts.traffic = JsonUtils::integerValue(wifi.value(u"traffic"_s).toMap().value(u"total"_s));
    facts.clientCount = int(JsonUtils::integerValue(wifi.value(u"client"_s)));
    facts.type = int(JsonUtils::integerValue(dt.value(u"type"_s)));
    facts.enable = int(JsonUtils::integerValue(dt.value(u"enable"_s)));
    return facts;
}

LoginWire::AuthFacts LoginWire::readAuthReply(const std::optional<QVariant> &reply)
{
    AuthFacts facts;
    if (!reply || !JsonUtils::isObject(*reply))
        return facts;
    const QVariantMap root = reply->toMap();
    const QVariantMap dt = root.value(u"dt"_s).toMap();
    facts.cm = int(JsonUtils::integerValue(root.value(u"cm"_s)));
    if (facts.cm == CmAction)
        facts.ret = int(JsonUtils::integerValue(dt.value(u"action"_s)));
    else if (facts.cm == CmAuth)
        facts.ret = int(JsonUtils::integerValue(dt.value(u"ret"_s)));
    else
        facts.ret = -1;
    const QVariant ua = root.value(u"ua"_s);
    if (ua.typeId() == QMetaType::QString && !ua.toString().isEmpty()) {
        // A short identity string is read as far as it goes.
        const QStringList fields = ua.toString().split(u';');
        if (fields.size() >= 7)
            facts.serverMid = fields.at(6);
        if (fields.size() >= 8 && !fields.at(7).isEmpty())
            facts.token = fields.at(7);
    }
    return facts;
}

quint64 LoginWire::loginVerdict(int type, int enable)
{
    if (type < 0 || enable < 0)
        return AppStatusNotLoggedIn;
    if (enable == 0)
        return AppStatusRemoteDisabled;
    if (type & 0x4)
        return AppStatusBlacklisted;
    if ((type & 0x2) || (type & 0x1) || type == 0)
        return AppStatusLoggedIn;
    return AppStatusNotLoggedIn;
}

bool LoginWire::isAuthorised(int cm, int ret)
{
    return cm == CmAuth && ret == 1;
}
