#include "LoginAndAuthCenter.h"

#include "AppCore.h"
#include "LoginWire.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "RuntimeState.h"

LoginAndAuthCenter::LoginAndAuthCenter(NotificationCenter &hub, RuntimeState &state,
                                       UserDefaults &defaults, quint16 pcPort, QObject *parent)
    : QObject(parent), m_hub(hub), m_state(state), m_defaults(defaults), m_pcPort(pcPort)
{
    m_hub.addObserver(this, Notifications::SsidChanged,
                      [this](const QVariantMap &) { ssidChanged(); });
}

LoginAndAuthCenter *LoginAndAuthCenter::sharedInstance()
{
    return AppCore::current()->service<LoginAndAuthCenter>();
}

void LoginAndAuthCenter::drop(QPointer<TCPConnect> &exchange)
{
    if (exchange) {
        exchange->disconnect();
        exchange->deleteLater();
    }
    exchange.clear();
}

void LoginAndAuthCenter::startLogin()
{
    m_hub.post(Notifications::StartLogin);
    drop(m_loginTcpConnect);
    auto *exchange = new TCPConnect(TCPConnect::Login, m_state, m_defaults, m_pcPort, this);
    exchange->setReadTimeout(m_readTimeoutMs);
    connect(exchange, &TCPConnect::loginFinished, this,
            [this, exchange](int type, int enable) { loginFinished(exchange, type, enable); });
    m_loginTcpConnect = exchange;
    exchange->start();
}

void LoginAndAuthCenter::startAuth()
{
    m_hub.post(Notifications::StartAuth);
    drop(m_authTcpConnect);
    auto *exchange = new TCPConnect(TCPConnect::Auth, m_state, m_defaults, m_pcPort, this);
    exchange->setReadTimeout(m_readTimeoutMs);
    connect(exchange, &TCPConnect::authFinished, this,
            [this, exchange](int cm, int ret) { authFinished(exchange, cm, ret); });
    m_authTcpConnect = exchange;
    exchange->start();
}

void LoginAndAuthCenter::stopLogin()
{
    if (m_loginTcpConnect)
        m_loginTcpConnect->stop();
    drop(m_loginTcpConnect);
}

void LoginAndAuthCenter::stopAuth()
{
    if (m_authTcpConnect)
        m_authTcpConnect->stop();
    drop(m_authTcpConnect);
}

void LoginAndAuthCenter::ssidChanged()
{
    stopLogin();
    stopAuth();
}

void LoginAndAuthCenter::loginFinished(TCPConnect *exchange, int type, int enable)
{
    if (exchange != m_loginTcpConnect)
        return;
    // Dropped first, so that a new login started by an observer below is not dropped with it.
    drop(m_loginTcpConnect);
    const quint64 status = LoginWire::loginVerdict(type, enable);
    m_state.setStatus(status);
    if (status == AppStatusLoggedIn)
        startAuth();
    m_hub.post(Notifications::LoginFinished);
}

void LoginAndAuthCenter::authFinished(TCPConnect *exchange, int cm, int ret)
{
    if (exchange != m_authTcpConnect)
        return;
    drop(m_authTcpConnect);
    if (LoginWire::isAuthorised(cm, ret))
        m_state.setStatus(AppStatusAuthorized);
    m_hub.post(Notifications::AuthFinished);
}
