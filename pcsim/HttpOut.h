#pragma once

#include <QByteArray>
#include <QJsonObject>

#include <QHash>
#include <QPointer>
#include <QTcpSocket>
#include <QUrlQuery>
#include <functional>

class QHttpServerRequest;
class QHttpServer;

// One HTTP request copied out of the server, so that it can be answered later (delays) and
// straight on the socket (streamed files, faults that break the protocol on purpose).
struct HttpReq
{
    QByteArray method;
    QString path; // decoded, without the leading "/"
    QUrlQuery query;
    QUrlQuery form; // POST body as form fields
    QByteArray body;
    QHash<QByteArray, QByteArray> headers; // lower-case names
    QPointer<QTcpSocket> socket;
    bool keepAlive = true;
    QString peer;

    // Query first, then form; fully decoded.
    [[nodiscard]] QString param(const QString &name) const;
    [[nodiscard]] bool has(const QString &name) const;
    [[nodiscard]] QJsonObject queryJson() const;
    [[nodiscard]] QJsonObject formJson() const;
    [[nodiscard]] QJsonObject paramsJson() const; // both, form wins
};

[[nodiscard]] HttpReq copyRequest(const QHttpServerRequest &request, QTcpSocket *socket);

// Every request of the server goes to the handler; nothing is answered through Qt's responder.
void serveAll(QHttpServer &server, std::function<void(HttpReq &&)> handler);

[[nodiscard]] QByteArray httpHead(int status, const QByteArray &contentType, qint64 length,
                                  bool keepAlive);
void sendHttp(const HttpReq &req, int status, const QByteArray &contentType,
              const QByteArray &body);
void closeSoon(QTcpSocket *socket, bool abort = false);
