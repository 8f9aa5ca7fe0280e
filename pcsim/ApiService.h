#pragma once

#include "HttpOut.h"
#include "PcState.h"

#include <QHostAddress>
#include <QHttpServer>
#include <QObject>

// The PC's HTTP service: the "cgi/..." endpoints (Base64 of complemented JSON), file downloads
// at "pc/<path>" and "csm/<path>", and the two outside services (plain JSON) on the same port.
class ApiService : public QObject
{
    Q_OBJECT
public:
    explicit ApiService(PcState &state, QObject *parent = nullptr);
    quint16 listen(const QHostAddress &address, quint16 port);

private:
    void onRequest(HttpReq &&r);
    void dispatch(const HttpReq &r, const QString &key, bool shortBody, bool withoutErr = false);
    [[nodiscard]] std::optional<QJsonObject> cgi(const HttpReq &r, const QString &key);
    void serveFile(const HttpReq &r, const QString &pcPath, bool shortBody);

    PcState &m_state;
    QHttpServer m_server;
};
