#include "HttpOut.h"

#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonObject>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

QString HttpReq::param(const QString &name) const
{
    if (query.hasQueryItem(name))
        return query.queryItemValue(name, QUrl::FullyDecoded);
    return form.queryItemValue(name, QUrl::FullyDecoded);
}

bool HttpReq::has(const QString &name) const
{
    return query.hasQueryItem(name) || form.hasQueryItem(name);
}

static QJsonObject itemsJson(const QUrlQuery &q, QJsonObject out = {})
{
    for (const auto &[k, v] : q.queryItems(QUrl::FullyDecoded))
        out[k] = v;
    return out;
}

QJsonObject HttpReq::queryJson() const
{
    return itemsJson(query);
}

QJsonObject HttpReq::formJson() const
{
    return itemsJson(form);
}

QJsonObject HttpReq::paramsJson() const
{
    return itemsJson(form, queryJson());
}

HttpReq copyRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    HttpReq r;
    switch (request.method()) {
    case QHttpServerRequest::Method::Get:
        r.method = "GET";
        break;
    case QHttpServerRequest::Method::Post:
        r.method = "POST";
        break;
    case QHttpServerRequest::Method::Put:
        r.method = "PUT";
        break;
    case QHttpServerRequest::Method::Delete:
        r.method = "DELETE";
        break;
    case QHttpServerRequest::Method::Head:
        r.method = "HEAD";
        break;
    default:
        r.method = "OTHER";
        break;
    }
    r.path = request.url().path();
    while (r.path.startsWith(u'/'))
        r.path.remove(0, 1);
    r.query = QUrlQuery(request.url().query(QUrl::FullyEncoded));
    r.body = request.body();
    for (const auto &[name, value] : request.headers())
        r.headers.insert(name.toLower(), value);
    if (r.method == "POST") {
        QByteArray formText = r.body;
        formText.replace('+', "%20");
        r.form = QUrlQuery(QString::fromLatin1(formText));
    }
    r.keepAlive = r.headers.value("connection").toLower() != "close";
    r.socket = socket;
    r.peer = request.remoteAddress().toString();
    return r;
}

void serveAll(QHttpServer &server, std::function<void(HttpReq &&)> handler)
{
    server.setMissingHandler([handler = std::move(handler)](const QHttpServerRequest &request,
                                                            QHttpServerResponder &&responder) {
        handler(copyRequest(request, responder.socket()));
    });
}

QByteArray httpHead(int status, const QByteArray &contentType, qint64 length, bool keepAlive)
{
    static const QHash<int, QByteArray> reasons{{200, "OK"},
                                                {400, "Bad Request"},
                                                {403, "Forbidden"},
                                                {404, "Not Found"},
                                                {405, "Method Not Allowed"},
                                                {409, "Conflict"},
                                                {500, "Internal Server Error"}};
    QByteArray head =
        "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasons.value(status, "Status") + "\r\n";
    head += "Content-Type: " + contentType + "\r\n";
    head += "Content-Length: " + QByteArray::number(length) + "\r\n";
    head += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    return head;
}

void sendHttp(const HttpReq &req, int status, const QByteArray &contentType, const QByteArray &body)
{
    if (!req.socket)
        return;
    req.socket->write(httpHead(status, contentType, body.size(), req.keepAlive) + body);
    if (!req.keepAlive)
        closeSoon(req.socket);
}

void closeSoon(QTcpSocket *socket, bool abort)
{
    if (!socket)
        return;
    // Closing from inside the server's own request handling would pull the socket from under it.
    QTimer::singleShot(0, socket, [s = QPointer<QTcpSocket>(socket), abort] {
        if (!s)
            return;
        if (abort)
            s->abort();
        else
            s->disconnectFromHost();
    });
}
