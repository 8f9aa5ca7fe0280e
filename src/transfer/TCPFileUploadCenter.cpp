#include "TCPFileUploadCenter.h"

#include "AppCore.h"
#include "DeviceInfoCenter.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "UploadWire.h"

#include <QHostAddress>

#include <utility>

using namespace Qt::StringLiterals;

namespace {
// After the end marker the PC only has to close the connection.
constexpr int kCloseWaitMs = 10000;
constexpr int kToastMs = 2000;
} // namespace

TCPFileUploadCenter::TCPFileUploadCenter(NotificationCenter &hub, quint16 pcPort, QObject *parent)
    : QObject(parent), m_hub(hub), m_pcPort(pcPort)
{
    m_connectTimer.setSingleShot(true);
    m_connectTimer.setInterval(ConnectTimeoutMs);
    connect(&m_connectTimer, &QTimer::timeout, this, &TCPFileUploadCenter::abortUpload);
    m_stallTimer.setSingleShot(true);
    connect(&m_stallTimer, &QTimer::timeout, this, &TCPFileUploadCenter::checkStall);
    m_hub.addObserver(this, Notifications::AppStatusChanged,
                      [this](const QVariantMap &) { abortUpload(); });
}

TCPFileUploadCenter::~TCPFileUploadCenter()
{
    if (m_asyncSocket) {
        m_asyncSocket->disconnect(this);
        m_asyncSocket->abort();
        delete m_asyncSocket;
    }
}

TCPFileUploadCenter *TCPFileUploadCenter::sharedInstance()
{
    return AppCore::current()->service<TCPFileUploadCenter>();
}

QStringList TCPFileUploadCenter::uploadAssets(const QList<Item> &items)
{
    QStringList refused;
    for (const Item &item : items) {
        if (item.asset && item.asset->size >= UploadWire::SizeLimit) {
            const QString text = u"“%1”大于4GB，无法上传"_s.arg(item.asset->fileName);
            refused << text;
            Q_EMIT toastRequested(text, kToastMs);
            continue;
        }
        m_assetsArray << item;
    }
    if (!m_assetsArray.isEmpty())
        start();
    return refused;
}

void TCPFileUploadCenter::start()
{
    if (m_asyncSocket)
        return;
    m_asyncSocket = new QTcpSocket(this);
    m_stage = Stage::Connecting;
    connect(m_asyncSocket, &QTcpSocket::connected, this, &TCPFileUploadCenter::connected);
    connect(m_asyncSocket, &QTcpSocket::readyRead, this, &TCPFileUploadCenter::replyReceived);
    connect(m_asyncSocket, &QTcpSocket::bytesWritten, this, [this] {
        madeProgress();
        sendFragments();
    });
    connect(m_asyncSocket, &QTcpSocket::disconnected, this, &TCPFileUploadCenter::connectionEnded);
    connect(m_asyncSocket, &QTcpSocket::errorOccurred, this, &TCPFileUploadCenter::connectionEnded);

    const QHostAddress address(DeviceInfoCenter::getServerWiFiIPAddress().value_or(QString()));
    if (address.isNull()) {
        // Reported from the event loop, as a failed connection would be.
        QMetaObject::invokeMethod(this, &TCPFileUploadCenter::connectionEnded,
                                  Qt::QueuedConnection);
        return;
    }
    m_connectTimer.start();
    // Unbuffered: a write goes to the system at once when nothing waits before it, instead of
    // being copied and sent from the event loop; only what the system refuses is kept.
    m_asyncSocket->connectToHost(address, m_pcPort, QIODevice::ReadWrite | QIODevice::Unbuffered);
}

void TCPFileUploadCenter::connected()
{
    m_connectTimer.stop();
    madeProgress();
    send(UploadWire::identity(DeviceInfoCenter::getHttpRequestUA()));
    sendFile();
}

int TCPFileUploadCenter::stallLimitMs() const
{
    return m_stage == Stage::Ending ? std::min(m_stallTimeoutMs, kCloseWaitMs) : m_stallTimeoutMs;
}

void TCPFileUploadCenter::madeProgress()
{
    // Called for every fragment: note the time, and leave the timer alone while it runs.
    m_lastProgress.start();
    if (!m_stallTimer.isActive() || m_stage == Stage::Ending)
        m_stallTimer.start(stallLimitMs());
}

void TCPFileUploadCenter::checkStall()
{
    const qint64 left = stallLimitMs() - m_lastProgress.elapsed();
    if (left > 0)
        m_stallTimer.start(int(left));
    else
        abortUpload();
}

bool TCPFileUploadCenter::isUsable(const Item &item)
{
    return item.asset && !item.path.isEmpty();
}

void TCPFileUploadCenter::send(const char *data, qint64 size)
{
    // The unbuffered socket reports a refused write only through the return value.
    if (m_asyncSocket && m_asyncSocket->write(data, size) < 0)
        connectionEnded();
}

void TCPFileUploadCenter::sendFile()
{
    if (!m_asyncSocket || m_assetsArray.isEmpty())
        return;
    const Item &item = m_assetsArray.first();
    // The asset may have changed since it was queued: take its size now.
    const auto asset = isUsable(item) ? PhotoAsset::fromFile(item.asset->filePath) : std::nullopt;
    auto file = asset ? std::make_unique<QFile>(asset->filePath) : nullptr;
    if (!asset || asset->size >= UploadWire::SizeLimit ||
        !file->open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        // Nothing that can be described to the PC: waiting would never end.
        abortUpload();
        return;
    }
    ++m_sendsOfItem;
    m_file = std::move(file);
    m_currentFileSize = asset->size;
    m_currentFragmentIndex = 0;
    m_blockOffset = 0;
    m_blockLength = 0;
    m_stage = Stage::Sending;
    send(UploadWire::fileHeader(UploadWire::targetPath(item.path, item.asset->fileName),
                                item.asset->creationDate.toSecsSinceEpoch(), m_currentFileSize));
    sendFragments();
}

void TCPFileUploadCenter::sendFragments()
{
    // One fragment at a time is handed to the socket, the next once the socket has passed the
    // previous one on to the system, which it mostly does at once; when it cannot, bytesWritten
    // resumes here. The bytes come from a block read ahead, so a fragment costs no allocation
    // and no file read of its own.
    if (m_pumping)
        return;
    m_pumping = true;
    while (m_asyncSocket && m_stage == Stage::Sending && m_asyncSocket->bytesToWrite() == 0) {
        const qint64 n = UploadWire::fragmentLength(m_currentFileSize, m_currentFragmentIndex);
        if (n < 1) {
            m_file.reset();
            m_stage = Stage::AwaitingReply;
            m_reply.clear();
            Q_EMIT uploadProgress(m_currentFileSize, m_currentFileSize, m_assetsArray.size());
            send(UploadWire::trailer(m_currentFileSize));
            break;
        }
        const qint64 offset = m_currentFragmentIndex * UploadWire::FragmentSize;
        if ((offset < m_blockOffset || offset + n > m_blockOffset + m_blockLength) &&
            !loadBlockAt(offset)) {
            // The file shrank or became unreadable during the upload.
            m_pumping = false;
            abortUpload();
            return;
        }
        ++m_currentFragmentIndex;
        send(m_block.constData() + (offset - m_blockOffset), n);
    }
    m_pumping = false;
}

bool TCPFileUploadCenter::loadBlockAt(qint64 offset)
{
    constexpr qint64 blockSize = FragmentsPerBlock * UploadWire::FragmentSize;
    if (m_block.size() < blockSize)
        m_block.resize(blockSize);
    const qint64 length = std::min(blockSize, m_currentFileSize - offset);
    if ((m_file->pos() != offset && !m_file->seek(offset)) ||
        m_file->read(m_block.data(), length) != length) {
        m_blockLength = 0;
        return false;
    }
    m_blockOffset = offset;
    m_blockLength = length;
    madeProgress();
    Q_EMIT uploadProgress(offset, m_currentFileSize, m_assetsArray.size());
    return true;
}

void TCPFileUploadCenter::replyReceived()
{
    if (!m_asyncSocket)
        return;
    const QByteArray bytes = m_asyncSocket->readAll();
    // Unbuffered, a close by the PC shows only as a read that leaves the socket unconnected;
    // a reply read with it still counts, and writes it causes fail and end the connection.
    const bool closed = m_asyncSocket->state() != QAbstractSocket::ConnectedState;
    if (!closed)
        madeProgress();
    if (m_stage == Stage::AwaitingReply && !m_assetsArray.isEmpty()) {
        // The reply is taken once its 4 bytes are in, whether they came in one segment or
        // several; more than 4 at once is not a reply (counted as size 0).
        m_reply += bytes;
        if (m_reply.size() >= UploadWire::ReplyLength)
            handleReply(std::exchange(m_reply, QByteArray()));
    }
    if (closed)
        connectionEnded();
}

void TCPFileUploadCenter::handleReply(const QByteArray &reply)
{
    if (UploadWire::replySize(reply) != quint64(m_currentFileSize)) {
        if (m_sendsOfItem >= MaxSendsPerItem) {
            abortUpload();
            return;
        }
        sendFile();
        return;
    }
    m_assetsArray.removeFirst();
    m_sendsOfItem = 0;
    if (!m_assetsArray.isEmpty()) {
        sendFile();
        return;
    }
    m_stage = Stage::Ending;
    madeProgress();
    send(UploadWire::endMarker());
}

void TCPFileUploadCenter::abortUpload()
{
    if (!m_asyncSocket)
        return;
    // After the end marker every item sent has been confirmed and left the list: what is still
    // in it was added since and is never sent, so the upload ends as aborted.
    m_asyncSocket->abort();
    connectionEnded();
}

void TCPFileUploadCenter::connectionEnded()
{
    if (!m_asyncSocket)
        return;
    QTcpSocket *socket = m_asyncSocket;
    m_asyncSocket = nullptr;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    m_connectTimer.stop();
    m_stallTimer.stop();
    m_file.reset();
    m_reply.clear();
    m_block = QByteArray();
    m_blockOffset = 0;
    m_blockLength = 0;
    m_stage = Stage::Idle;
    m_sendsOfItem = 0;
    m_currentFileSize = 0;
    m_currentFragmentIndex = 0;
    const bool complete = m_assetsArray.isEmpty();
    m_assetsArray.clear();
    m_hub.post(complete ? Notifications::UploadFileSuccessed : Notifications::UploadFileAborted);
}
