#pragma once

#include "PcState.h"

#include <QHostAddress>
#include <QObject>
#include <QUdpSocket>

// The datagram side of the PC port: decodes and records what the phone sends, applies the
// volume, and sends the PC's pushes.
class UdpService : public QObject
{
    Q_OBJECT
public:
    explicit UdpService(PcState &state, QObject *parent = nullptr);
    bool bind(const QHostAddress &address, quint16 port);
    void close() { m_socket.close(); }

    // Sends {"cm", "ua", "dt"} to host:port, or to the learned phone address when host is
    // empty. Returns the destination written as host:port, or an empty string when none is known.
    QString push(int cm, const QJsonObject &dt, const QString &ua, const QString &host = {},
                 quint16 port = 0);

private:
    void onReadyRead();

    PcState &m_state;
    QUdpSocket m_socket;
};
