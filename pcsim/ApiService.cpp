#include "ApiService.h"

#include "Wire.h"

#include <QFile>
#include <QJsonDocument>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qint64 ChunkSize = 256 * 1024;
constexpr qint64 SocketBacklog = 1024 * 1024;

// Streams a file to the socket a chunk at a time, as the socket drains.
class FileStream : public QObject
{
public:
    FileStream(QTcpSocket *socket, std::unique_ptr<QFile> file, qint64 bytes, bool closeAtEnd)
        : QObject(socket), m_socket(socket), m_file(std::move(file)), m_left(bytes),
          m_close(closeAtEnd)
    {
        connect(socket, &QTcpSocket::bytesWritten, this, &FileStream::pump);
        pump();
    }

private:
    void pump()
    {
        while (m_left > 0 && m_socket->bytesToWrite() < SocketBacklog) {
            const QByteArray chunk = m_file->read(qMin(m_left, ChunkSize));
            if (chunk.isEmpty()) {
                logLine(u"read error while sending %1; closing"_s.arg(m_file->fileName()));
                m_socket->abort();
                return;
            }
            m_socket->write(chunk);
            m_left -= chunk.size();
        }
        if (m_left > 0)
            return;
        disconnect(m_socket, nullptr, this, nullptr);
        if (m_close)
            m_socket->disconnectFromHost();
        deleteLater();
    }

    QTcpSocket *m_socket;
    std::unique_ptr<QFile> m_file;
    qint64 m_left;
    bool m_close;
};

QStringList quotedStrings(const QString &text)
{
    QStringList out;
    qsizetype i = 0;
    while ((i = text.indexOf(u'"', i)) >= 0) {
        const qsizetype j = text.indexOf(u'"', i + 1);
        if (j < 0)
            break;
        out << text.mid(i + 1, j - i - 1);
        i = j + 1;
    }
    return out;
}

// Path lists arrive as JSON-looking text with the paths inserted verbatim, so a path holding
// a backslash breaks the JSON; fall back to picking the quoted parts.
QStringList pathList(const QString &text)
{
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8());
    if (doc.isArray()) {
        QStringList out;
        for (const QJsonValue &v : doc.array())
            out << v.toString();
        return out;
    }
    return quotedStrings(text);
}

std::pair<QStringList, QString> moveText(const QString &text)
{
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8());
    if (doc.isObject()) {
        QStringList files;
        for (const QJsonValue &v : doc[u"files"_s].toArray())
            files << v.toString();
        return {files, doc[u"dest"_s].toString()};
    }
    const qsizetype lb = text.indexOf(u'['), rb = text.indexOf(u']', lb + 1);
    if (lb < 0 || rb < 0)
        return {};
    const QStringList rest = quotedStrings(text.mid(rb + 1));
    return {quotedStrings(text.mid(lb + 1, rb - lb - 1)),
            rest.size() >= 2 && rest[0] == u"dest"_s ? rest[1] : QString()};
}

QJsonObject ok(const QJsonObject &data = {})
{
    return {{u"err"_s, 0}, {u"data"_s, data}};
}

QJsonObject failed(const QString &why)
{
    return {{u"err"_s, 1}, {u"msg"_s, why}, {u"data"_s, QJsonObject()}};
}

void sendMaybeShort(const HttpReq &r, int status, const QByteArray &type, const QByteArray &body,
                    bool shortBody)
{
    if (!shortBody)
        return sendHttp(r, status, type, body);
    if (!r.socket)
        return;
    r.socket->write(httpHead(status, type, body.size(), true) + body.left(body.size() / 2));
    closeSoon(r.socket);
}

} // namespace

ApiService::ApiService(PcState &state, QObject *parent) : QObject(parent), m_state(state)
{
    serveAll(m_server, [this](HttpReq &&r) { onRequest(std::move(r)); });
}

quint16 ApiService::listen(const QHostAddress &address, quint16 port)
{
    return m_server.listen(address, port);
}

void ApiService::onRequest(HttpReq &&r)
{
    QString key = r.path;
    if (key.startsWith(u"pc/"_s))
        key = u"pc"_s;
    else if (key.startsWith(u"csm/"_s))
        key = u"csm"_s;
    logLine(u"http %1 /%2 from %3 %4"_s.arg(
        QString::fromLatin1(r.method), r.path, r.peer,
        QString::fromUtf8(QJsonDocument(r.paramsJson()).toJson(QJsonDocument::Compact))));
    m_state.count(key);
    const bool outside = key == u"wifiapp/feedback"_s || key == u"AppStore/getIsUpdate"_s;
    const auto fault = m_state.takeFault({key, u"http"_s});
    if (fault) {
        logLine(u"fault on /%1: %2"_s.arg(r.path, fault->kind));
        const QString &k = fault->kind;
        if (k == u"close"_s)
            return closeSoon(r.socket, true);
        if (k == u"hang"_s)
            return;
        if (k == u"403"_s)
            return sendHttp(r, 403, "text/plain", {});
        if (k == u"garbage"_s)
            return sendHttp(r, 200, "text/plain", "%%% \x01\x02 not an answer \xff%%%");
        if (k == u"notjson"_s)
            return sendHttp(r, 200, "text/plain",
                            outside ? QByteArray("<html>busy</html>")
                                    : Wire::httpAnswer("<html>busy</html>"));
        if (k == u"wrongkind"_s)
            return sendHttp(r, 200, "text/plain",
                            outside ? QByteArray("[0]") : Wire::httpAnswer("[0]"));
        if (k == u"delay"_s) {
            QTimer::singleShot(fault->ms, this, [this, r, key] {
                if (r.socket)
                    dispatch(r, key, false);
            });
            return;
        }
    }
    dispatch(r, key, fault && fault->kind == u"short"_s, fault && fault->kind == u"noerr"_s);
}

void ApiService::dispatch(const HttpReq &r, const QString &key, bool shortBody, bool withoutErr)
{
    if (key == u"wifiapp/feedback"_s) {
        PcState::record(m_state.feedback, QJsonObject{{u"method"_s, QString::fromLatin1(r.method)},
                                                      {u"query"_s, r.queryJson()},
                                                      {u"fields"_s, r.formJson()}});
        const QJsonObject answer{{u"errno"_s, m_state.feedbackErrno}};
        return sendMaybeShort(r, 200, "application/json", Wire::compact(answer), shortBody);
    }
    if (key == u"AppStore/getIsUpdate"_s) {
        PcState::record(m_state.stats, r.paramsJson());
        return sendMaybeShort(r, 200, "application/json", Wire::compact(m_state.statsAnswer),
                              shortBody);
    }
    if (key != u"pc"_s && key != u"csm"_s && !key.startsWith(u"cgi/"_s))
        return sendHttp(r, 404, "text/plain", "no such path\n");
    if (m_state.strict) {
        const QString ua =
            r.headers.contains("ua") ? QString::fromUtf8(r.headers.value("ua")) : r.param(u"UA"_s);
        if (!m_state.tokenAccepted(ua)) {
            logLine(u"403: identity string without a valid token: %1"_s.arg(ua));
            return sendHttp(r, 403, "text/plain", {});
        }
    }
    if (key == u"pc"_s || key == u"csm"_s)
        return serveFile(r, r.path.mid(key.size() + 1), shortBody);
    auto answer = cgi(r, key);
    if (!answer)
        return sendHttp(r, 404, "text/plain", "no such endpoint\n");
    if (withoutErr)
        answer->remove(u"err"_s);
    sendMaybeShort(r, 200, "text/plain", Wire::httpAnswer(Wire::compact(*answer)), shortBody);
}

std::optional<QJsonObject> ApiService::cgi(const HttpReq &r, const QString &key)
{
    const QString name = key.mid(4);
    auto note = [&] {
        QJsonObject op = r.paramsJson();
        op[u"endpoint"_s] = key;
        PcState::record(m_state.operations, op);
    };
    if (name == u"wifi_info.mo"_s)
        return ok(
            {{u"pc"_s, QJsonObject{{u"name"_s, m_state.pcName}, {u"share_dir"_s, u"C:/Share"_s}}},
             {u"wifi"_s,
              QJsonObject{{u"client"_s, m_state.clients.size()}, {u"ssid"_s, u"ZephyrWiFi"_s}}}});
    if (name == u"wifi_client.mo"_s)
        return ok({{u"clients"_s, m_state.clients}, {u"blocks"_s, m_state.blocks}});
    if (name == u"wifi_operate.mo"_s) {
        note();
        const QString mac = r.param(u"mac"_s);
        const int type = r.param(u"type"_s).toInt();
        if (mac.isEmpty())
            return failed(u"mac missing"_s);
        auto indexOf = [&mac](const QJsonArray &list) {
            for (qsizetype i = 0; i < list.size(); ++i)
                if (list[i][u"mac"_s].toString().compare(mac, Qt::CaseInsensitive) == 0)
                    return i;
            return qsizetype(-1);
        };
        if (type == 2) {
            const qsizetype i = indexOf(m_state.clients);
            QJsonObject entry = i >= 0 ? m_state.clients[i].toObject()
                                       : QJsonObject{{u"mac"_s, mac},
                                                     {u"ip"_s, r.param(u"ip"_s)},
                                                     {u"name"_s, r.param(u"name"_s)}};
            if (i >= 0)
                m_state.clients.removeAt(i);
            if (indexOf(m_state.blocks) < 0)
                m_state.blocks.append(entry);
            return ok();
        }
        if (type == 3) {
            const qsizetype i = indexOf(m_state.blocks);
            if (i < 0)
                return failed(u"not on the blacklist"_s);
            m_state.blocks.removeAt(i);
            return ok();
        }
        return failed(u"unknown operation type"_s);
    }
    if (name == u"wifi_ratelimit.mo"_s) {
        note();
        bool upOk = false, downOk = false;
        const int up = r.param(u"up_limit"_s).toInt(&upOk);
        const int down = r.param(u"down_limit"_s).toInt(&downOk);
        if (!upOk || !downOk)
            return failed(u"limits must be integers"_s);
        for (qsizetype i = 0; i < m_state.clients.size(); ++i) {
            QJsonObject c = m_state.clients[i].toObject();
            if (c[u"mac"_s].toString().compare(r.param(u"mac"_s), Qt::CaseInsensitive) == 0) {
                c[u"up_limit"_s] = up;
                c[u"down_limit"_s] = down;
                m_state.clients[i] = c;
                return ok();
            }
        }
        return failed(u"no such client"_s);
    }
    if (name == u"dir_list.mo"_s) {
        const QString path = r.param(u"name"_s);
        if (!r.has(u"name"_s) || path == u"/"_s || path == u"\\"_s)
            return ok({{u"files"_s, m_state.listDrives()}});
        const auto files = m_state.list(path);
        if (!files)
            return failed(u"not a folder: "_s + path);
        return ok({{u"files"_s, *files}});
    }
    if (name == u"dir_delete.mo"_s || name == u"dir_move.mo"_s) {
        note();
        const bool del = name == u"dir_delete.mo"_s;
        const auto [files, dest] = del ? std::pair{pathList(r.param(u"files"_s)), QString()}
                                       : moveText(r.param(u"data"_s));
        if (files.isEmpty() || (!del && dest.isEmpty()))
            return failed(u"nothing to do"_s);
        QStringList refused;
        for (const QString &f : files)
            if (!(del ? m_state.recycle(f) : m_state.move(f, dest)))
                refused << f;
        return refused.isEmpty() ? ok() : failed(u"refused: "_s + refused.join(u", "_s));
    }
    if (name == u"dir_rename.mo"_s) {
        note();
        return m_state.rename(r.param(u"name"_s), r.param(u"newname"_s))
                   ? ok()
                   : failed(u"cannot rename"_s);
    }
    if (name == u"pc_shake.mo"_s)
        return m_state.shakeAnswer();
    if (name == u"pc_volum.mo"_s)
        return ok({{u"volum"_s, m_state.volume}});
    if (name == u"pc_procinfo.mo"_s)
        return ok({{u"exist"_s, r.param(u"name"_s) == u"ppt"_s && m_state.ppt}});
    if (name == u"pc_lock.mo"_s) {
        note();
        m_state.locked = true;
        return ok();
    }
    if (name == u"pc_shutdown.mo"_s) {
        note();
        bool isInt = false;
        const int sec = r.param(u"sec"_s).toInt(&isInt);
        if (!isInt || sec < 0)
            return failed(u"sec must be a whole number of seconds"_s);
        m_state.shutdownSec = sec;
        return ok();
    }
    if (name == u"pc_screencut.mo"_s) {
        note();
        const QString path = m_state.takeScreenshot();
        return path.isEmpty() ? failed(u"cannot write the screenshot"_s) : ok({{u"image"_s, path}});
    }
    return std::nullopt;
}

void ApiService::serveFile(const HttpReq &r, const QString &pcPath, bool shortBody)
{
    const auto local = m_state.resolve(pcPath);
    auto file = std::make_unique<QFile>(local.value_or(QString()));
    if (!local || !QFileInfo(*local).isFile() || !file->open(QIODevice::ReadOnly)) {
        logLine(u"download refused: %1"_s.arg(pcPath));
        return sendHttp(r, 404, "text/plain", "no such file\n");
    }
    if (!r.socket)
        return;
    const qint64 size = file->size();
    r.socket->write(httpHead(200, "application/octet-stream", size, r.keepAlive && !shortBody));
    if (r.method == "HEAD")
        return;
    new FileStream(r.socket, std::move(file), shortBody ? size / 2 : size,
                   shortBody || !r.keepAlive);
}
