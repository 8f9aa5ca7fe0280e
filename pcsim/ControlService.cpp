#include "ControlService.h"

#include "UdpService.h"
#include "Wire.h"

#include <QJsonDocument>
#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace {
const QStringList FaultKinds{u"close"_s,     u"hang"_s,  u"403"_s,   u"garbage"_s, u"notjson"_s,
                             u"wrongkind"_s, u"short"_s, u"delay"_s, u"noerr"_s,   u"split"_s};
const QStringList SelectionTypes{u"file"_s,   u"files"_s,   u"text"_s,    u"url"_s,
                                 u"folder"_s, u"desktop"_s, u"unknown"_s, u"raw"_s};

QJsonObject error(int *status, const QString &why)
{
    *status = 400;
    return {{u"ok"_s, false}, {u"error"_s, why}};
}

QJsonObject done(QJsonObject extra = {})
{
    extra[u"ok"_s] = true;
    return extra;
}

bool isIntOrNull(const QJsonValue &v)
{
    return v.isNull() || (v.isDouble() && v.toDouble() == double(v.toInt()));
}
} // namespace

ControlService::ControlService(PcState &state, UdpService &udp, QObject *parent)
    : QObject(parent), m_state(state), m_udp(udp)
{
    serveAll(m_server, [this](HttpReq &&r) { onRequest(std::move(r)); });
}

quint16 ControlService::listen(const QHostAddress &address, quint16 port)
{
    return m_server.listen(address, port);
}

void ControlService::onRequest(HttpReq &&r)
{
    logLine(u"control %1 /%2 %3"_s.arg(QString::fromLatin1(r.method), r.path,
                                       QString::fromUtf8(r.body.left(300))));
    int status = 200;
    QJsonObject answer;
    if (r.method == "GET" && r.path == u"state"_s) {
        answer = m_state.toJson();
    } else if (r.method != "POST") {
        status = 405;
        answer = {{u"ok"_s, false}, {u"error"_s, u"use GET /state or POST"_s}};
    } else {
        QJsonParseError err{};
        const QJsonDocument doc = r.body.trimmed().isEmpty()
                                      ? QJsonDocument(QJsonObject())
                                      : QJsonDocument::fromJson(r.body, &err);
        answer = doc.isObject() ? handle(r.path, doc.object(), &status)
                                : error(&status, u"the body must be a JSON object"_s);
    }
    sendHttp(r, status, "application/json", QJsonDocument(answer).toJson(QJsonDocument::Compact));
}

QJsonObject ControlService::handle(const QString &path, const QJsonObject &body, int *status)
{
    if (path == u"reset"_s) {
        m_state.reset();
        return done();
    }
    if (path == u"selection"_s) {
        const QString type = body[u"type"_s].toString();
        if (!SelectionTypes.contains(type))
            return error(status, u"type must be one of "_s + SelectionTypes.join(u", "_s));
        if ((type == u"file"_s || type == u"folder"_s) && body[u"path"_s].toString().isEmpty())
            return error(status, u"path missing"_s);
        if (type == u"files"_s && !body[u"paths"_s].isArray())
            return error(status, u"paths must be an array"_s);
        m_state.selection = body;
        return done({{u"answer"_s, m_state.shakeAnswer()}});
    }
    if (path == u"verdict"_s) {
        static const QHash<QString, std::pair<int, int>> logins{{u"accept"_s, {1, 1}},
                                                                {u"blacklisted"_s, {4, 1}},
                                                                {u"remote_disabled"_s, {1, 0}},
                                                                {u"refuse"_s, {8, 1}}};
        const QString login = body[u"login"_s].toString();
        if (body.contains(u"login"_s) && login != u"raw"_s && !logins.contains(login))
            return error(status,
                         u"login must be accept, blacklisted, remote_disabled, refuse or raw"_s);
        if (login == u"raw"_s && (!isIntOrNull(body[u"type"_s]) || !isIntOrNull(body[u"enable"_s])))
            return error(status, u"raw login needs type and enable as integers or null"_s);
        const QString auth = body[u"auth"_s].toString();
        if (body.contains(u"auth"_s) && auth != u"accept"_s && auth != u"refuse"_s &&
            auth != u"action"_s)
            return error(status, u"auth must be accept, refuse or action"_s);
        const QString token = body[u"token"_s].toString();
        static const QRegularExpression hex32(u"^[0-9a-fA-F]{32}$"_s);
        if (body.contains(u"token"_s) && !token.isEmpty() && !hex32.match(token).hasMatch())
            return error(status, u"token must be 32 hexadecimal characters (or empty)"_s);
        if (login == u"raw"_s) {
            m_state.loginType =
                body[u"type"_s].isNull() ? QJsonValue(QJsonValue::Undefined) : body[u"type"_s];
            m_state.loginEnable =
                body[u"enable"_s].isNull() ? QJsonValue(QJsonValue::Undefined) : body[u"enable"_s];
        } else if (!login.isEmpty()) {
            m_state.loginType = logins[login].first;
            m_state.loginEnable = logins[login].second;
        }
        if (!auth.isEmpty())
            m_state.authVerdict = auth;
        if (body.contains(u"action"_s))
            m_state.authAction = body[u"action"_s].toInt();
        if (body.contains(u"token"_s))
            m_state.fixedToken = token;
        if (body.contains(u"tokens"_s))
            m_state.tokens.append(body[u"tokens"_s].toVariant().toStringList());
        return done();
    }
    if (path == u"clients"_s) {
        if (body.contains(u"clients"_s) && !body[u"clients"_s].isArray())
            return error(status, u"clients must be an array"_s);
        if (body.contains(u"blocks"_s) && !body[u"blocks"_s].isArray())
            return error(status, u"blocks must be an array"_s);
        if (body.contains(u"clients"_s))
            m_state.clients = body[u"clients"_s].toArray();
        if (body.contains(u"blocks"_s))
            m_state.blocks = body[u"blocks"_s].toArray();
        return done();
    }
    if (path == u"volume"_s || path == u"ppt"_s || path == u"lock"_s || path == u"strict"_s ||
        path == u"shutdown"_s) {
        const QJsonValue v = body[path == u"volume"_s     ? u"volume"_s
                                  : path == u"lock"_s     ? u"locked"_s
                                  : path == u"shutdown"_s ? u"sec"_s
                                                          : path];
        if (path == u"volume"_s || path == u"shutdown"_s) {
            if (!v.isDouble())
                return error(status, u"a number is needed"_s);
            (path == u"volume"_s ? m_state.volume : m_state.shutdownSec) = v.toInt();
        } else {
            if (!v.isBool())
                return error(status, u"a boolean is needed"_s);
            (path == u"ppt"_s    ? m_state.ppt
             : path == u"lock"_s ? m_state.locked
                                 : m_state.strict) = v.toBool();
        }
        return done();
    }
    if (path == u"feedback"_s) {
        m_state.feedbackErrno = body[u"errno"_s].toInt();
        return done();
    }
    if (path == u"stats"_s) {
        if (!body[u"answer"_s].isObject())
            return error(status, u"answer must be an object"_s);
        m_state.statsAnswer = body[u"answer"_s].toObject();
        return done();
    }
    if (path == u"fault"_s) {
        Fault f{body[u"target"_s].toString(), body[u"kind"_s].toString(), body[u"ms"_s].toInt(0),
                body[u"count"_s].toInt(1)};
        if (f.target.isEmpty())
            return error(status, u"target missing"_s);
        if (f.kind == u"clear"_s) {
            m_state.faults.removeIf(
                [&f](const Fault &x) { return f.target == u"*"_s || x.target == f.target; });
            return done();
        }
        if (!FaultKinds.contains(f.kind))
            return error(status, u"kind must be clear or one of "_s + FaultKinds.join(u", "_s));
        m_state.faults.append(f);
        return done();
    }
    if (path.startsWith(u"push/"_s)) {
        const QString what = path.mid(5);
        int cm = 0;
        QJsonObject dt;
        if (what == u"text"_s) {
            cm = 1016;
            dt = {{u"text"_s, body[u"text"_s].toString()}};
        } else if (what == u"file"_s) {
            cm = 1015;
            const QString pcPath = body[u"path"_s].toString();
            const auto local = m_state.resolve(pcPath);
            const qint64 size = body.contains(u"size"_s) ? qint64(body[u"size"_s].toDouble())
                                                         : (local ? QFileInfo(*local).size() : 0);
            dt = {{u"path"_s, pcPath}, {u"size"_s, size}};
        } else if (what == u"status"_s) {
            cm = body[u"cm"_s].toInt(1014);
            dt = body.contains(u"dt"_s) ? body[u"dt"_s].toObject()
                                        : QJsonObject{{u"action"_s, body[u"action"_s].toInt()}};
        } else {
            return error(status, u"push text, file or status"_s);
        }
        const QString ua = body.contains(u"ua"_s) ? body[u"ua"_s].toString() : m_state.pcUa();
        const QString to =
            m_udp.push(cm, dt, ua, body[u"host"_s].toString(), quint16(body[u"port"_s].toInt()));
        if (to.isEmpty()) {
            *status = 409;
            return {{u"ok"_s, false},
                    {u"error"_s, u"no phone address known; give host and port"_s}};
        }
        return done({{u"to"_s, to}});
    }
    *status = 404;
    return {{u"ok"_s, false}, {u"error"_s, u"unknown control path /"_s + path}};
}
