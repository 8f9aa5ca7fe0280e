#include "TCPConnect.h"

#include "DefaultsKeys.h"
#include "DeviceInfoCenter.h"
#include "Logging.h"
#include "LoginWire.h"
#include "RuntimeState.h"
#include "UserDefaults.h"

#include <QHostAddress>
#include <QTcpSocket>

TCPConnect::TCPConnect(Type type, RuntimeState &state, UserDefaults &defaults, quint16 pcPort,
                       QObject *parent)
    : QObject(parent), m_type(type), m_state(state), m_defaults(defaults), m_pcPort(pcPort)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &TCPConnect::stop);
}

TCPConnect::~TCPConnect()
{
    // Dropped without a result: no signal may come out of a half-destroyed exchange.
    m_finished = true;
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
}

void TCPConnect::start()
{
    if (m_socket || m_finished)
        return;
    const auto address = DeviceInfoCenter::getServerWiFiIPAddress();
    const QHostAddress host(address.value_or(QString()));
    if (host.isNull()) {
        finish();
        return;
    }
    m_socket = new QTcpSocket(this);
    connect(m_socket, &QTcpSocket::connected, this, &TCPConnect::connected);
    connect(m_socket, &QTcpSocket::readyRead, this, [this] {
        if (collect())
            return;
        qCWarning(lcCore) << "the PC's reply announces" << *LoginWire::declaredLength(m_readData)
                          << "bytes; closed";
        finish();
    });
    connect(m_socket, &QTcpSocket::disconnected, this, &TCPConnect::finish);
    // Every socket error ends the exchange, the PC closing after its reply included.
    connect(m_socket, &QTcpSocket::errorOccurred, this, &TCPConnect::finish);
    m_timer.start(ConnectTimeoutMs);
    m_socket->connectToHost(host, m_pcPort);
}

void TCPConnect::connected()
{
    // The time limit covers waiting for the device identifier as well: a keychain that never
    // answers ends the exchange like a PC that never replies.
    m_timer.start(m_readTimeoutMs);
    // The identifier may take a keychain's answer; the exchange may be stopped or dropped
    // meanwhile, and is then not touched.
    DeviceInfoCenter::requestDeviceId(this, [this](const QString &) { writeRequest(); });
}

void TCPConnect::writeRequest()
{
    if (m_finished || !m_socket)
        return;
    const int cm = m_type == Login ? LoginWire::CmLogin : LoginWire::CmAuth;
    const QString ua =
        m_type == Login ? DeviceInfoCenter::getLoginUA() : DeviceInfoCenter::getAuthUA();
    m_socket->write(LoginWire::encodeRequest(cm, ua));
}

bool TCPConnect::collect()
{
    m_readData += m_socket->readAll();
    const auto length = LoginWire::declaredLength(m_readData);
    if (!length)
        return true;
    if (*length > LoginWire::MaxReplyLength) {
        m_readData.truncate(4);
        return false;
    }
    // Bytes after the frame are not part of the reply: a PC that keeps sending fills nothing.
    m_readData.truncate(4 + qsizetype(*length));
    return true;
}

void TCPConnect::stop()
{
    finish();
}

void TCPConnect::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_timer.stop();
    if (m_socket) {
        collect();
        m_socket->disconnect(this);
        m_socket->abort();
    }
    const std::optional<QVariant> reply = LoginWire::decodeReply(m_readData);
    if (m_type == Login) {
        const auto facts = reply ? LoginWire::readLoginReply(*reply) : std::nullopt;
        if (!facts) {
            Q_EMIT loginFinished(-1, -1);
            return;
        }
        RuntimeState *state = &m_state;
        if (facts->api)
            state->setApi(*facts->api);
        state->setTcpPort(facts->tcpPort);
        if (facts->lumoVersion)
            state->setLumoVersion(*facts->lumoVersion);
        if (facts->expenses)
            state->setExpenses(*facts->expenses);
        state->setTraffic(facts->traffic);
        state->setClientCount(facts->clientCount);
        Q_EMIT loginFinished(facts->type, facts->enable);
        return;
    }
    const LoginWire::AuthFacts facts = LoginWire::readAuthReply(reply);
    if (facts.serverMid)
        m_state.setServerMid(*facts.serverMid);
    if (facts.token) {
        m_defaults.setValue(DefaultsKeys::Token, *facts.token);
        m_defaults.synchronize();
    }
    Q_EMIT authFinished(facts.cm, facts.ret);
}
