#pragma once

#include "HttpOut.h"
#include "PcState.h"

#include <QHostAddress>
#include <QHttpServer>
#include <QObject>

class UdpService;

// HTTP+JSON interface through which tests and the demo script the stand-in PC (see README.md).
class ControlService : public QObject
{
    Q_OBJECT
public:
    ControlService(PcState &state, UdpService &udp, QObject *parent = nullptr);
    quint16 listen(const QHostAddress &address, quint16 port);

private:
    void onRequest(HttpReq &&r);
    // Returns the answer object; sets *status for errors.
    QJsonObject handle(const QString &path, const QJsonObject &body, int *status);

    PcState &m_state;
    UdpService &m_udp;
    QHttpServer m_server;
};
