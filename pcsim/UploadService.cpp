#include "UploadService.h"

#include "Wire.h"

#include <QDateTime>
#include <QDir>
#include <QJsonDocument>
#include <QPointer>

#include <cerrno>
#include <sys/socket.h>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr quint32 MaxIdentity = 64 * 1024;
constexpr quint32 MaxPath = 4096;
constexpr int IdleMs = 60000;
constexpr qsizetype MaxBuffered = 16 * 1024 * 1024;
constexpr qint64 BlockSize = 1024 * 1024;
// Blocks taken per pass before other connections and the control interface get their turn.
constexpr int BlocksPerPass = 16;
} // namespace

UploadService::UploadService(PcState &state, QObject *parent) : QObject(parent), m_state(state) {}

void UploadService::take(QTcpSocket *socket, const QByteArray &data)
{
    auto session = std::make_unique<Session>();
    Session &s = *session;
    s.socket = socket;
    s.buf = data;
    s.idle.setSingleShot(true);
    s.idle.setInterval(IdleMs);
    connect(&s.idle, &QTimer::timeout, this, [this, &s] { fail(s, u"idle for too long"_s); });
    s.idle.start();
    m_sessions[socket] = std::move(session);
    m_state.count(u"upload"_s);
    logLine(u"tcp upload connection from %1"_s.arg(socket->peerAddress().toString()));

    connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
        auto it = m_sessions.find(socket);
        if (it == m_sessions.end())
            return;
        Session &s = *it->second;
        if (s.stage == Stage::Content && s.buf.isEmpty() && !drainContent(s))
            return;
        s.buf += socket->readAll();
        if (s.buf.size() > MaxBuffered)
            return fail(s, u"too much data while no reply is due"_s);
        s.idle.start();
        process(s);
    });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        auto it = m_sessions.find(socket);
        if (it == m_sessions.end())
            return;
        Session &s = *it->second;
        if (s.file) {
            logLine(u"upload of %1 interrupted after %2 of %3 bytes; partial file removed"_s.arg(
                s.pcPath, QString::number(s.received), QString::number(s.size)));
            s.file->remove();
        }
        // The session may be on the call stack (a failure closes the socket synchronously).
        QMetaObject::invokeMethod(
            this, [p = it->second.release()] { delete p; }, Qt::QueuedConnection);
        m_sessions.erase(it);
        socket->deleteLater();
    });
    process(s);
}

void UploadService::fail(Session &s, const QString &why)
{
    logLine(u"upload connection closed: %1"_s.arg(why));
    s.stage = Stage::Done;
    s.idle.stop();
    s.buf.clear();
    s.socket->abort();
}

bool UploadService::drainContent(Session &s)
{
    // Qt's socket hands over only what it read when the socket became readable, often a few
    // KiB; reading on until the system has nothing more keeps the passes per item few.
    if (m_block.size() < BlockSize)
        m_block.resize(BlockSize);
    const int fd = int(s.socket->socketDescriptor());
    bool more = true;
    for (int blocks = 0; more && blocks < BlocksPerPass && s.received < s.size; ++blocks) {
        const qint64 want = qMin<qint64>(BlockSize, qint64(s.size - s.received));
        qint64 len = qMax<qint64>(0, s.socket->read(m_block.data(), want));
        while (len < want) {
            const ssize_t r = ::recv(fd, m_block.data() + len, size_t(want - len), MSG_DONTWAIT);
            if (r > 0) {
                len += r;
                continue;
            }
            // Would block, closed or failed: Qt's socket sees the close or error itself.
            if (r < 0 && errno == EINTR)
                continue;
            more = false;
            break;
        }
        if (len == 0)
            break;
        if (s.file->write(m_block.constData(), len) != len) {
            fail(s, u"write error on %1"_s.arg(s.pcPath));
            return false;
        }
        s.received += quint32(len);
    }
    return true;
}

void UploadService::process(Session &s)
{
    while (true) {
        switch (s.stage) {
        case Stage::Identity: {
            if (s.buf.size() < 5)
                return;
            if (s.buf[0] != '\0')
                return fail(s, u"identity message expected"_s);
            const quint32 len = Wire::readBe32(s.buf.constData() + 1);
            if (len > MaxIdentity)
                return fail(s, u"identity message too long (%1)"_s.arg(len));
            if (quint32(s.buf.size()) < 5 + len)
                return;
            const QJsonDocument doc = QJsonDocument::fromJson(Wire::complement(s.buf.mid(5, len)));
            s.ua = doc.object().value(u"ua"_s).toString();
            logLine(u"upload identity ua=%1"_s.arg(s.ua));
            s.buf.remove(0, 5 + len);
            s.stage = Stage::IdentityEnd;
            break;
        }
        case Stage::IdentityEnd:
            if (s.buf.isEmpty())
                return;
            if (s.buf[0] != '\x01')
                return fail(s, u"identity end byte 0x01 expected"_s);
            s.buf.remove(0, 1);
            s.stage = Stage::Item;
            break;
        case Stage::Item:
            if (s.buf.isEmpty())
                return;
            if (s.buf[0] == '\x04') {
                s.stage = Stage::Done;
                s.idle.stop();
                const auto fault = m_state.takeFault({u"upload_end"_s});
                if (fault && fault->kind == u"hang"_s) {
                    logLine(u"upload end marker; fault hang: staying open"_s);
                    return;
                }
                if (fault && fault->kind == u"delay"_s) {
                    logLine(u"upload end marker; closing in %1 ms"_s.arg(fault->ms));
                    QTimer::singleShot(fault->ms, s.socket,
                                       [sock = QPointer<QTcpSocket>(s.socket)] {
                                           if (sock)
                                               sock->disconnectFromHost();
                                       });
                    return;
                }
                logLine(u"upload end marker; closing"_s);
                s.socket->disconnectFromHost();
                return;
            }
            if (s.buf[0] != '\x02')
                return fail(s, u"item header 0x02 or end 0x04 expected, got 0x%1"_s.arg(
                                   quint8(s.buf[0]), 2, 16, QChar(u'0')));
            s.stage = Stage::Header;
            break;
        case Stage::Header: {
            if (s.buf.size() < 5)
                return;
            const quint32 plen = Wire::readBe32(s.buf.constData() + 1);
            if (plen > MaxPath)
                return fail(s, u"target path too long (%1)"_s.arg(plen));
            if (quint32(s.buf.size()) < 1 + 4 + plen + 8)
                return;
            s.pcPath = QString::fromUtf8(Wire::complement(s.buf.mid(5, plen)));
            s.time = Wire::readBe32(s.buf.constData() + 5 + plen);
            s.size = Wire::readBe32(s.buf.constData() + 9 + plen);
            s.buf.remove(0, 13 + plen);
            s.received = 0;
            const auto local = m_state.resolve(s.pcPath);
            if (!local || QFileInfo(*local).isDir())
                return fail(s, u"refused target path %1"_s.arg(s.pcPath));
            QDir().mkpath(QFileInfo(*local).absolutePath());
            s.file = std::make_unique<QFile>(*local);
            if (!s.file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
                s.file.reset();
                return fail(s, u"cannot write %1"_s.arg(*local));
            }
            logLine(u"upload item %1 size=%2 time=%3"_s.arg(s.pcPath, QString::number(s.size),
                                                            QString::number(s.time)));
            s.stage = Stage::Content;
            break;
        }
        case Stage::Content: {
            const qsizetype n = qMin<qint64>(s.buf.size(), qint64(s.size - s.received));
            if (n > 0) {
                if (s.file->write(s.buf.constData(), n) != n)
                    return fail(s, u"write error on %1"_s.arg(s.pcPath));
                s.received += quint32(n);
                s.buf.remove(0, n);
            }
            if (s.received < s.size)
                return;
            s.file->flush();
            if (s.time)
                s.file->setFileTime(QDateTime::fromSecsSinceEpoch(s.time),
                                    QFileDevice::FileModificationTime);
            s.file->close();
            s.file.reset();
            s.stage = Stage::Trailer;
            break;
        }
        case Stage::Trailer: {
            if (s.buf.size() < 4)
                return;
            const quint32 trailer = Wire::readBe32(s.buf.constData());
            s.buf.remove(0, 4);
            s.stage = Stage::Replying;
            reply(s, trailer);
            if (s.stage != Stage::Item)
                return;
            break;
        }
        case Stage::Replying:
        case Stage::Done:
            return;
        }
    }
}

void UploadService::reply(Session &s, quint32 trailer)
{
    PcState::record(m_state.uploads, QJsonObject{{u"path"_s, s.pcPath},
                                                 {u"size"_s, qint64(s.received)},
                                                 {u"announced"_s, qint64(s.size)},
                                                 {u"trailer"_s, qint64(trailer)},
                                                 {u"time"_s, qint64(s.time)},
                                                 {u"ua"_s, s.ua}});
    logLine(u"upload item done %1 received=%2 trailer=%3"_s.arg(
        s.pcPath, QString::number(s.received), QString::number(trailer)));
    const auto fault = m_state.takeFault({u"upload"_s});
    QByteArray answer = Wire::be32(s.received);
    if (fault) {
        logLine(u"fault on upload reply: %1"_s.arg(fault->kind));
        if (fault->kind == u"close"_s || fault->kind == u"403"_s)
            return fail(s, u"scripted close"_s);
        if (fault->kind == u"hang"_s) {
            s.idle.stop();
            return; // stays in Replying: reads are ignored until the phone gives up
        }
        if (fault->kind == u"garbage"_s || fault->kind == u"wrongkind"_s ||
            fault->kind == u"notjson"_s)
            answer = Wire::be32(~s.received);
        else if (fault->kind == u"short"_s)
            answer = answer.left(2);
        else if (fault->kind == u"split"_s) {
            // The reply in two segments, ms apart.
            s.socket->write(answer.left(2));
            s.socket->flush();
            answer = answer.mid(2);
        }
        if (fault->kind == u"delay"_s || fault->kind == u"split"_s) {
            QTimer::singleShot(fault->ms, this,
                               [this, sock = QPointer<QTcpSocket>(s.socket), answer] {
                                   auto it = m_sessions.find(sock.data());
                                   if (!sock || it == m_sessions.end())
                                       return;
                                   sock->write(answer);
                                   it->second->stage = Stage::Item;
                                   process(*it->second);
                               });
            return;
        }
    }
    s.socket->write(answer);
    s.stage = Stage::Item;
}
