#pragma once

#include "PcState.h"

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

class UploadService;
class QTcpSocket;

// The TCP side of the PC port. The first byte of a connection tells what it is: 0x01 starts a
// login or authorisation frame (answered with one reply frame, then closed), 0x00 an upload.
class LoginService : public QObject
{
    Q_OBJECT
public:
    LoginService(PcState &state, UploadService &uploads, QObject *parent = nullptr);
    bool listen(const QHostAddress &address, quint16 port);
    [[nodiscard]] quint16 port() const { return m_server.serverPort(); }
    void close() { m_server.close(); }

private:
    void onConnection(QTcpSocket *socket);
    void onData(QTcpSocket *socket);
    void handleFrame(QTcpSocket *socket, const QByteArray &payload);
    [[nodiscard]] QJsonObject loginReply(QTcpSocket *socket) const;
    [[nodiscard]] QJsonObject authReply();

    PcState &m_state;
    UploadService &m_uploads;
    QTcpServer m_server;
};
