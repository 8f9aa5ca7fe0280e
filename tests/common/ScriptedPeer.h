#pragma once

// A scripted HTTP peer for the download tests: answers, cut or trickled bodies and silences
// that the stand-in PC does not produce, one Reply per request: peer.script({{answer("body")},
// {"HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nabc", Reply::Hang}}).

#include <QList>
#include <QMutex>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

/// What the peer does for one request.
struct Reply
{
    enum After { Keep, Close, Hang };
    QByteArray bytes;
    After after = Keep;
    int pieces = 1;     ///< the bytes after the lead are written in this many parts...
    int pieceMs = 0;    ///< ...with this pause before each
    qsizetype lead = 0; ///< bytes written at once, before the pieces
};

/// A 200 answer carrying @p body and its length.
inline QByteArray answer(const QByteArray &body, const QByteArray &extraHead = {})
{
    return "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n" +
           extraHead + "\r\n" + body;
}

/// A blocking HTTP peer on a thread of its own: it answers the requests of each connection from
/// a script, in order, and counts connections and closings.
class ScriptedPeer
{
public:
    ScriptedPeer()
    {
        m_thread = std::thread([this] { run(); });
        while (m_port == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ~ScriptedPeer()
    {
        m_stop = true;
        m_thread.join();
    }
    void script(QList<Reply> replies)
    {
        QMutexLocker lock(&m_mutex);
        m_script = std::move(replies);
    }
    [[nodiscard]] QUrl url(const QString &path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path));
    }
    std::atomic<int> connections{0};
    std::atomic<int> closed{0};

private:
    void run()
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost);
        m_port = server.serverPort();
        while (!m_stop) {
            if (!server.waitForNewConnection(20))
                continue;
            std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
            ++connections;
            serve(socket.get());
        }
    }
    void serve(QTcpSocket *socket)
    {
        QByteArray in;
        while (!m_stop) {
            const qsizetype end = in.indexOf("\r\n\r\n");
            if (end < 0) {
                if (socket->state() != QAbstractSocket::ConnectedState)
                    return;
                socket->waitForReadyRead(20);
                in += socket->readAll();
                continue;
            }
            Reply reply{"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"};
            {
                QMutexLocker lock(&m_mutex);
                if (!m_script.isEmpty())
                    reply = m_script.takeFirst();
            }
            in.remove(0, end + 4);
            const qsizetype lead = std::min(reply.lead, reply.bytes.size());
            if (lead > 0)
                send(socket, reply.bytes.left(lead));
            const qsizetype step = (reply.bytes.size() - lead) / reply.pieces + 1;
            for (qsizetype at = lead; at < reply.bytes.size() && !m_stop; at += step) {
                if (at > 0)
                    pause(reply.pieceMs);
                send(socket, reply.bytes.mid(at, step));
            }
            if (reply.after == Reply::Close) {
                socket->disconnectFromHost();
                if (socket->state() != QAbstractSocket::UnconnectedState)
                    socket->waitForDisconnected(1000);
                ++closed;
                return;
            }
            if (reply.after == Reply::Hang) {
                while (!m_stop && socket->state() == QAbstractSocket::ConnectedState)
                    socket->waitForReadyRead(20);
                return;
            }
        }
    }

    static void send(QTcpSocket *socket, const QByteArray &bytes)
    {
        socket->write(bytes);
        while (socket->bytesToWrite() > 0 && socket->waitForBytesWritten(100)) {
        }
    }
    // Sleeps in short steps, so that the peer stops soon when asked to.
    void pause(int ms) const
    {
        for (int slept = 0; slept < ms && !m_stop; slept += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(std::min(10, ms - slept)));
    }

    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<quint16> m_port{0};
    QMutex m_mutex;
    QList<Reply> m_script;
};
