#pragma once

#include "TCPConnect.h"

#include <QObject>
#include <QPointer>

class NotificationCenter;
class RuntimeState;
class UserDefaults;

/// Logs the phone in to the PC and authorises it as administrator, one short-lived exchange at
/// a time each, and turns the results into the connection status.
class LoginAndAuthCenter : public QObject
{
    Q_OBJECT
public:
    /// Observes @p hub, reports into @p state; logs in at the PC's @p pcPort.
    LoginAndAuthCenter(NotificationCenter &hub, RuntimeState &state, UserDefaults &defaults,
                       quint16 pcPort, QObject *parent = nullptr);

    [[nodiscard]] static LoginAndAuthCenter *sharedInstance();

    /// Starts a login, replacing any one in progress.
    void startLogin();
    /// Starts an authorisation, replacing any one in progress.
    void startAuth();
    /// Stops the exchange in progress; its (failed) result is still handled.
    void stopLogin();
    void stopAuth();

    /// Time an exchange waits for the PC to close after the request was written.
    void setReadTimeout(int ms) { m_readTimeoutMs = ms; }

private:
    void ssidChanged();
    void loginFinished(TCPConnect *exchange, int type, int enable);
    void authFinished(TCPConnect *exchange, int cm, int ret);
    static void drop(QPointer<TCPConnect> &exchange);

    NotificationCenter &m_hub;
    RuntimeState &m_state;
    UserDefaults &m_defaults;
    quint16 m_pcPort;
    QPointer<TCPConnect> m_loginTcpConnect;
    QPointer<TCPConnect> m_authTcpConnect;
    int m_readTimeoutMs = TCPConnect::DefaultReadTimeoutMs;
};
