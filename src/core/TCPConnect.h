#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

class QTcpSocket;
class RuntimeState;
class UserDefaults;

/// One login or authorisation exchange with the PC: connect, write one request frame, read the
/// reply until the PC closes the connection, then report the result exactly once. Only the reply
/// frame is kept, and a frame longer than any reply ends the exchange as soon as it is announced.
class TCPConnect : public QObject
{
    Q_OBJECT
public:
    enum Type : quint64 { Login = 1, Auth = 2 };

    static constexpr int ConnectTimeoutMs = 10000;
    /// A PC that keeps the connection open without closing it after the request is given up.
    static constexpr int DefaultReadTimeoutMs = 15000;

    /// An exchange of @p type with the PC's @p pcPort; its results go into @p state and, for the
    /// token, @p defaults.
    TCPConnect(Type type, RuntimeState &state, UserDefaults &defaults, quint16 pcPort,
               QObject *parent = nullptr);
    ~TCPConnect() override;

    [[nodiscard]] Type type() const { return m_type; }
    void setReadTimeout(int ms) { m_readTimeoutMs = ms; }

    /// Connects to the PC's address and port. A connect that cannot even be tried reports the
    /// failure before returning.
    void start();
    /// Closes the connection; the result of what was read so far is still reported.
    void stop();

Q_SIGNALS:
    /// Result of a login exchange: (-1, -1) when the reply is missing or unusable.
    void loginFinished(int type, int enable);
    /// Result of an authorisation exchange: (0, 0) when the reply is missing.
    void authFinished(int cm, int ret);

private:
    void connected();
    void writeRequest();
    /// Takes what arrived into the reply; false once the reply announces more than any reply
    /// holds.
    bool collect();
    void finish();

    Type m_type;
    RuntimeState &m_state;
    UserDefaults &m_defaults;
    quint16 m_pcPort;
    QTcpSocket *m_socket = nullptr;
    QByteArray m_readData;
    QTimer m_timer;
    int m_readTimeoutMs = DefaultReadTimeoutMs;
    bool m_finished = false;
};
