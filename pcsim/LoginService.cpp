#include "LoginService.h"

#include "UploadService.h"
#include "Wire.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr quint32 MaxFrame = 64 * 1024;
constexpr int IdleMs = 30000;
const char *BufferProperty = "zephyrBuffer";
} // namespace

LoginService::LoginService(PcState &state, UploadService &uploads, QObject *parent)
    : QObject(parent), m_state(state), m_uploads(uploads)
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection())
            onConnection(socket);
    });
}

bool LoginService::listen(const QHostAddress &address, quint16 port)
{
    return m_server.listen(address, port);
}

void LoginService::onConnection(QTcpSocket *socket)
{
    auto *idle = new QTimer(socket);
    idle->setObjectName(u"idle"_s);
    idle->setSingleShot(true);
    connect(idle, &QTimer::timeout, socket, [socket] {
        logLine(u"tcp connection idle with an incomplete frame; closing"_s);
        socket->abort();
    });
    idle->start(IdleMs);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onData(socket); });
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
}

void LoginService::onData(QTcpSocket *socket)
{
    QByteArray buf = socket->property(BufferProperty).toByteArray() + socket->readAll();
    socket->setProperty(BufferProperty, buf);
    if (buf.isEmpty())
        return;
    if (buf[0] == '\0') {
        // An upload: hand the connection over with what has been read.
        disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
        delete socket->findChild<QTimer *>(u"idle"_s);
        m_uploads.take(socket, buf);
        return;
    }
    if (buf[0] != '\x01') {
        logLine(u"tcp connection with unknown first byte 0x%1; closing"_s.arg(quint8(buf[0]), 2, 16,
                                                                              QChar(u'0')));
        socket->abort();
        return;
    }
    if (buf.size() < 5)
        return;
    const quint32 len = Wire::readBe32(buf.constData() + 1);
    if (len > MaxFrame) {
        logLine(u"tcp frame announces %1 bytes; closing"_s.arg(len));
        socket->abort();
        return;
    }
    if (quint32(buf.size()) < 5 + len)
        return;
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    delete socket->findChild<QTimer *>(u"idle"_s);
    socket->setProperty(BufferProperty, QVariant());
    handleFrame(socket, buf.mid(5, len));
}

void LoginService::handleFrame(QTcpSocket *socket, const QByteArray &payload)
{
    QJsonParseError err{};
    const QJsonDocument doc = QJsonDocument::fromJson(Wire::complement(payload), &err);
    const int cm = doc.object().value(u"cm"_s).toInt();
    const QString ua = doc.object().value(u"ua"_s).toString();
    if (!doc.isObject() || (cm != 1010 && cm != 1013)) {
        logLine(u"tcp frame is not a login or authorisation request (%1); closing"_s.arg(
            err.error ? err.errorString() : u"cm %1"_s.arg(cm)));
        socket->abort();
        return;
    }
    const QString target = cm == 1010 ? u"login"_s : u"auth"_s;
    logLine(u"tcp %1 from %2 ua=%3"_s.arg(target, socket->peerAddress().toString(), ua));
    m_state.count(target);
    PcState::record(
        m_state.logins,
        QJsonObject{{u"cm"_s, cm}, {u"ua"_s, ua}, {u"from"_s, socket->peerAddress().toString()}});
    const QStringList f = Wire::uaFields(ua);
    if (f.size() >= 6 && !QHostAddress(f[4]).isNull() && f[5].toUShort() != 0) {
        m_state.phoneHost = f[4];
        m_state.phonePort = f[5].toUShort();
    }

    QByteArray json = Wire::compact(cm == 1010 ? loginReply(socket) : authReply());
    QByteArray bytes = Wire::loginReply(json);
    const auto fault = m_state.takeFault({target});
    int delay = 0;
    if (fault) {
        logLine(u"fault on %1: %2"_s.arg(target, fault->kind));
        const QString &k = fault->kind;
        if (k == u"close"_s || k == u"403"_s) {
            socket->disconnectFromHost();
            return;
        }
        if (k == u"hang"_s)
            return;
        if (k == u"garbage"_s) {
            bytes.resize(37);
            for (char &c : bytes)
                c = static_cast<char>(QRandomGenerator::global()->bounded(256));
        } else if (k == u"notjson"_s) {
            bytes = Wire::loginReply("<html>not json</html>");
        } else if (k == u"wrongkind"_s) {
            bytes = Wire::loginReply("[" + QByteArray::number(cm) + "]");
        } else if (k == u"short"_s) {
            bytes.truncate(4 + json.size() / 2);
        } else if (k == u"delay"_s) {
            delay = fault->ms;
        }
    }
    QTimer::singleShot(delay, socket, [socket, bytes] {
        socket->write(bytes);
        socket->disconnectFromHost();
    });
}

QJsonObject LoginService::loginReply(QTcpSocket *socket) const
{
    const QHostAddress any(QHostAddress::AnyIPv4);
    const QString host =
        QHostAddress(m_state.host) == any ? socket->localAddress().toString() : m_state.host;
    QJsonObject dt{{u"api"_s, m_state.apiBase(host)},
                   {u"tcp_port"_s, m_state.port},
                   {u"lumo_ver"_s, u"3.0"_s},
                   {u"wifi"_s, QJsonObject{{u"expenses"_s, 0},
                                           {u"traffic"_s, QJsonObject{{u"total"_s, 1048576}}},
                                           {u"client"_s, m_state.clients.size()}}}};
    if (!m_state.loginType.isUndefined())
        dt[u"type"_s] = m_state.loginType;
    if (!m_state.loginEnable.isUndefined())
        dt[u"enable"_s] = m_state.loginEnable;
    return {{u"cm"_s, 1010}, {u"dt"_s, dt}};
}

QJsonObject LoginService::authReply()
{
    if (m_state.authVerdict == u"action"_s)
        return {{u"cm"_s, 1014},
                {u"dt"_s, QJsonObject{{u"action"_s, m_state.authAction}}},
                {u"ua"_s, m_state.pcUa()}};
    if (m_state.authVerdict == u"refuse"_s)
        return {{u"cm"_s, 1013}, {u"dt"_s, QJsonObject{{u"ret"_s, 0}}}, {u"ua"_s, m_state.pcUa()}};
    return {{u"cm"_s, 1013},
            {u"dt"_s, QJsonObject{{u"ret"_s, 1}}},
            {u"ua"_s, m_state.pcUa(m_state.issueToken())}};
}
