#include "HttpFileFetch.h"

#include "HttpResponseHead.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>

#include <cstring>

using namespace Qt::StringLiterals;

Q_LOGGING_CATEGORY(lcFetch, "zephyr.net", QtWarningMsg)

HttpConnectionPool::~HttpConnectionPool()
{
    while (!m_idle.isEmpty())
        drop(0);
}

void HttpConnectionPool::drop(qsizetype index)
{
    QTcpSocket *socket = m_idle.takeAt(index).socket;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void HttpConnectionPool::dropStale()
{
    for (qsizetype i = m_idle.size() - 1; i >= 0; --i) {
        const Idle &idle = m_idle.at(i);
        if (idle.since.elapsed() > kIdleMs ||
            idle.socket->state() != QAbstractSocket::ConnectedState)
            drop(i);
    }
}

QTcpSocket *HttpConnectionPool::take(const QString &host, quint16 port)
{
    dropStale();
    for (qsizetype i = m_idle.size() - 1; i >= 0; --i) {
        if (m_idle.at(i).host != host || m_idle.at(i).port != port)
            continue;
        QTcpSocket *socket = m_idle.takeAt(i).socket;
        socket->disconnect(this);
        socket->setParent(nullptr);
        return socket;
    }
    return nullptr;
}

void HttpConnectionPool::put(const QString &host, quint16 port, QTcpSocket *socket)
{
    socket->setParent(this);
    m_idle.append({host, port, socket, {}});
    m_idle.last().since.start();
    // An idle connection has nothing to say: any word from the peer, or its closing, ends it.
    const auto forget = [this, socket] {
        for (qsizetype i = 0; i < m_idle.size(); ++i) {
            if (m_idle.at(i).socket == socket) {
                drop(i);
                return;
            }
        }
    };
    connect(socket, &QTcpSocket::readyRead, this, forget);
    connect(socket, &QTcpSocket::disconnected, this, forget);
    connect(socket, &QTcpSocket::errorOccurred, this, forget);
    dropStale();
    while (m_idle.size() > kMaxIdle)
        drop(0);
}

HttpFileFetch::HttpFileFetch(HttpConnectionPool *pool, const QUrl &url, const QByteArray &ua,
                             const QString &filePath)
    : m_pool(pool), m_url(url), m_ua(ua), m_filePath(filePath), m_rateCheck(new QTimer(this))
{
    connect(m_rateCheck, &QTimer::timeout, this, &HttpFileFetch::checkRate);
}

HttpFileFetch::~HttpFileFetch()
{
    if (m_socket)
        m_socket->abort();
}

void HttpFileFetch::setMinimumRate(qint64 bytes, int windowMs)
{
    m_minBytes = bytes;
    m_windowMs = windowMs;
}

void HttpFileFetch::setExpectedMd5(const QByteArray &hex)
{
    m_expectedMd5 = hex.toLower();
    if (m_expectedMd5.isEmpty())
        m_md5.reset();
    else
        m_md5 = std::make_unique<QCryptographicHash>(QCryptographicHash::Md5);
}

void HttpFileFetch::checkRate()
{
    // The window is read as four quarters: the bytes since the check a whole window ago.
    const qsizetype slot = m_checks % qsizetype(m_marks.size());
    const qint64 inWindow = m_arrived - m_marks[size_t(slot)];
    if (++m_checks >= int(m_marks.size()) && inWindow < m_minBytes) {
        finish(false, u"the PC sent %1 bytes in %2 s"_s.arg(inWindow).arg(m_windowMs / 1000.0));
        return;
    }
    m_marks[size_t(slot)] = m_arrived;
}

void HttpFileFetch::start()
{
    if (m_url.scheme() != u"http"_s || m_url.host().isEmpty()) {
        finish(false, u"not an address this downloader can fetch: %1"_s.arg(m_url.toString()));
        return;
    }
    m_host = m_url.host();
    m_port = quint16(m_url.port(80));
    m_block = QByteArray(kBlock, Qt::Uninitialized);
    m_arrived = 0;
    m_marks.fill(0);
    m_checks = 0;
    m_rateCheck->start(std::max(1, m_windowMs / int(m_marks.size())));
    if (QTcpSocket *socket = m_pool ? m_pool->take(m_host, m_port) : nullptr) {
        m_reused = true;
        adopt(socket);
        sendRequest();
    } else {
        connectFresh();
    }
}

void HttpFileFetch::adopt(QTcpSocket *socket)
{
    m_socket = socket;
    socket->setParent(this);
    connect(socket, &QTcpSocket::readyRead, this, &HttpFileFetch::onReadable);
    connect(socket, &QTcpSocket::errorOccurred, this, &HttpFileFetch::onSocketError);
    connect(socket, &QTcpSocket::disconnected, this, &HttpFileFetch::onSocketError);
}

void HttpFileFetch::connectFresh()
{
    m_reused = false;
    auto *socket = new QTcpSocket(this);
    socket->setProxy(QNetworkProxy::NoProxy);
    adopt(socket);
    connect(socket, &QTcpSocket::connected, this, &HttpFileFetch::sendRequest);
    // Unbuffered: reads go straight from the system into our block, with no copy in between.
    socket->connectToHost(m_host, m_port, QIODevice::ReadWrite | QIODevice::Unbuffered);
}

void HttpFileFetch::sendRequest()
{
    if (m_done || !m_socket)
        return;
    // The target as any HTTP client would send it: path and query, encoded, "/" when empty.
    QUrl target = m_url;
    QUrl::FormattingOptions format =
        QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment | QUrl::FullyEncoded;
    if (target.path().isEmpty())
        target.setPath(u"/"_s);
    else
        format |= QUrl::NormalizePathSegments;
    QByteArray request = "GET " + target.toEncoded(format) + " HTTP/1.1\r\nHost: " +
                         m_url.authority(QUrl::FullyEncoded | QUrl::RemoveUserInfo).toLatin1() +
                         "\r\n";
    if (!m_ua.isEmpty())
        request += "UA: " + m_ua + "\r\n";
    request += "Connection: keep-alive\r\n\r\n";
    if (m_socket->write(request) != request.size())
        closedEarly(m_socket->errorString());
}

void HttpFileFetch::onSocketError()
{
    if (m_done || m_reading || !m_socket)
        return;
    closedEarly(m_socket->errorString());
}

void HttpFileFetch::closedEarly(const QString &why)
{
    if (m_done)
        return;
    // A kept connection the PC closed in the meantime: asked again once on a new one.
    if (m_reused && !m_headDone && m_fill == 0 && !m_retried) {
        m_retried = true;
        releaseSocket(false);
        connectFresh();
        return;
    }
    finish(false, m_headDone
                      ? u"the PC closed the connection after %1 of %2 bytes: %3"_s.arg(m_received)
                            .arg(m_length)
                            .arg(why)
                      : u"no answer from the PC: %1"_s.arg(why));
}

void HttpFileFetch::onReadable()
{
    if (m_done || !m_socket)
        return;
    // A pass reads at most this much, then lets the queue's other work (the other transfer, a
    // cancellation) run; the socket reports itself readable again while bytes wait.
    qint64 budget = 8 * kBlock;
    while (!(m_headDone && m_received == m_length) && budget > 0) {
        qint64 want = kBlock - m_fill;
        if (m_headDone)
            want = qMin(want, m_length - m_received);
        if (want == 0) {
            writeBlock();
            if (m_done)
                return;
            continue;
        }
        m_reading = true;
        const qint64 n = m_socket->read(m_block.data() + m_fill, want);
        m_reading = false;
        if (n == 0)
            break;
        if (n < 0) {
            closedEarly(m_socket->errorString());
            return;
        }
        m_fill += n;
        m_arrived += n;
        budget -= n;
        if (m_headDone)
            m_received += n;
        else if (!takeHead())
            return;
    }
    if (!m_headDone)
        return;
    if (m_received == m_length) {
        writeBlock();
        if (m_md5 && !m_done && m_md5->result().toHex() != m_expectedMd5)
            finish(false, u"the file's MD5 %1 is not the digest %2 the PC gave"_s.arg(
                              QString::fromLatin1(m_md5->result().toHex()),
                              QString::fromLatin1(m_expectedMd5)));
        else
            finish(true, {});
    } else if (m_fill > 0 && m_sinceWrite.elapsed() >= kReportMs) {
        writeBlock();
    }
}

bool HttpFileFetch::takeHead()
{
    HttpResponseHead head;
    qsizetype headLength = 0;
    switch (
        HttpResponseHead::parse(QByteArrayView(m_block.constData(), m_fill), &head, &headLength)) {
    case HttpResponseHead::Parse::Incomplete:
        return true;
    case HttpResponseHead::Parse::Invalid:
        finish(false, u"the PC's answer is not HTTP"_s);
        return false;
    case HttpResponseHead::Parse::Complete:
        break;
    }
    if (head.status < 200 || head.status > 299) {
        finish(false, u"the PC answered %1"_s.arg(head.status));
        return false;
    }
    if (head.transferCoded || head.contentLength < 0) {
        finish(false, u"the PC did not announce the file's length"_s);
        return false;
    }
    if (m_room >= 0 && head.contentLength >= m_room) {
        finish(false, u"the PC announced %1 bytes, more than the phone has room for"_s.arg(
                          head.contentLength));
        return false;
    }
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    m_file = std::make_unique<QFile>(m_filePath);
    // A part left by an earlier, interrupted run is started over. Blocks are already gathered,
    // so they go straight to the file without QFile's own buffer.
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        finish(false, u"cannot create %1: %2"_s.arg(m_filePath, m_file->errorString()));
        return false;
    }
    m_headDone = true;
    m_keepAlive = head.keepAlive;
    m_length = head.contentLength;
    // What came after the head is the start of the body.
    m_fill -= headLength;
    std::memmove(m_block.data(), m_block.constData() + headLength, size_t(m_fill));
    if (m_fill > m_length) {
        // More than the body: the connection is out of step and is not used again.
        m_fill = m_length;
        m_reusable = false;
    }
    m_received = m_fill;
    m_sinceWrite.start();
    Q_EMIT answered(m_length);
    return true;
}

void HttpFileFetch::writeBlock()
{
    m_sinceWrite.start();
    if (m_fill == 0 || m_done)
        return;
    if (m_file->write(m_block.constData(), m_fill) != m_fill) {
        finish(false, u"cannot write %1: %2"_s.arg(m_filePath, m_file->errorString()));
        return;
    }
    // Hashed while the block is still in the cache from the read.
    if (m_md5)
        m_md5->addData(QByteArrayView(m_block.constData(), m_fill));
    m_written += m_fill;
    m_fill = 0;
    if (!m_sinceReport.isValid() || m_sinceReport.elapsed() >= kReportMs) {
        m_sinceReport.start();
        Q_EMIT written(m_written);
    }
}

void HttpFileFetch::releaseSocket(bool reusable)
{
    QTcpSocket *socket = m_socket;
    if (!socket)
        return;
    m_socket = nullptr;
    socket->disconnect(this);
    if (reusable && m_pool && socket->state() == QAbstractSocket::ConnectedState &&
        socket->bytesAvailable() == 0) {
        m_pool->put(m_host, m_port, socket);
        return;
    }
    socket->abort();
    socket->setParent(nullptr);
    socket->deleteLater();
}

void HttpFileFetch::finish(bool ok, const QString &error)
{
    if (m_done)
        return;
    m_done = true;
    m_rateCheck->stop();
    if (m_file)
        m_file->close();
    releaseSocket(ok && m_keepAlive && m_reusable);
    if (!ok)
        qCWarning(lcFetch).noquote() << m_url.toString(QUrl::RemoveQuery) << error;
    Q_EMIT ended(ok, m_written, error);
}

void HttpFileFetch::abort()
{
    m_done = true;
    m_rateCheck->stop();
    releaseSocket(false);
    if (m_file)
        m_file->close();
}
