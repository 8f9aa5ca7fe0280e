#include "HttpFileDownloadCenter.h"

#include "AppCore.h"
#include "DeviceInfoCenter.h"
#include "JsonUtils.h"
#include "LocalFiles.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "SerialQueue.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QStorageInfo>

#ifdef Q_OS_UNIX
#include <sys/statvfs.h>
#endif

using namespace Qt::StringLiterals;

namespace {
constexpr quint64 kReserve = 0xA00000; // 10 MiB kept free
constexpr qint64 kMaxPendingWrite = 4 << 20;
constexpr qint64 kReadBuffer = 1 << 20;
// Bytes are gathered into blocks of this size before they go to the write queue, so a block
// costs one hand-off and one write. Small enough to still be in the cache when it is written:
// larger blocks measured clearly more CPU per byte.
constexpr qint64 kWriteBlock = 64 << 10;
// A partly filled block still goes out after this long, so progress keeps moving on slow links;
// progress is announced at most this often too (the first and the last always).
constexpr qint64 kFlushAfterMs = 50;
constexpr int kMaxSpareBuffers = int(kMaxPendingWrite / kWriteBlock) + 4;

quint64 freeBytesOf(const QString &path)
{
#ifdef Q_OS_UNIX
    // statvfs alone: QStorageInfo would also read the mount table on every call.
    struct statvfs fs{};
    if (::statvfs(QFile::encodeName(path).constData(), &fs) == 0)
        return quint64(fs.f_bavail) * quint64(fs.f_frsize);
#endif
    const QStorageInfo storage(path);
    const qint64 free = storage.isValid() ? storage.bytesAvailable()
                                          : qint64(DeviceInfoCenter::getFreeDiskSpace());
    return free > 0 ? quint64(free) : quint64(0);
}

// The partial file as the write queue sees it; touched only on that queue.
struct PartFile
{
    QString path;
    std::unique_ptr<QFile> file;
    bool failed = false;

    void append(const QByteArray &chunk)
    {
        if (failed)
            return;
        if (!file) {
            QDir().mkpath(QFileInfo(path).absolutePath());
            file = std::make_unique<QFile>(path);
            // A part left by an earlier, interrupted run is started over. Blocks are already
            // gathered, so they go straight to the file without QFile's own buffer.
            const auto mode = QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered;
            if (!file->open(mode)) {
                failed = true;
                return;
            }
        }
        if (file->write(chunk) != chunk.size())
            failed = true;
    }
    void close()
    {
        if (file)
            file->close();
        file.reset();
    }
};
} // namespace

struct HttpFileDownloadCenter::Download
{
    QNetworkReply *reply = nullptr;
    QuickTransferObjectPtr record;
    QString finalPath;
    std::shared_ptr<PartFile> part;
    std::shared_ptr<std::atomic<qint64>> pending = std::make_shared<std::atomic<qint64>>(0);
    QByteArray block; // read but not yet handed to the write queue
    QElapsedTimer sinceFlush;
    QElapsedTimer sinceProgress;
    bool progressUnannounced = false;
    bool ended = false;
    bool failed = false;
    bool answerChecked = false;
};

HttpFileDownloadCenter::HttpFileDownloadCenter()
    : m_nam(new QNetworkAccessManager(this)),
      m_writeDataQueue(AppCore::current()->queue(u"writeDataQueue"_s))
{
    QuickTransferObject::registerMetaTypes();
    // The PC sits on the local link: no proxy lookup per request.
    m_nam->setProxy(QNetworkProxy::NoProxy);
    m_freeSpace = [] { return freeBytesOf(AppCore::current()->libraryPath()); };
    auto *hub = NotificationCenter::defaultCenter();
    hub->addObserver(this, Notifications::DoDownloadFile, [this](const QVariantMap &info) {
        const auto record = info.value(u"object"_s).value<QuickTransferObjectPtr>();
        if (record)
            downloadFile(record);
    });
    hub->addObserver(this, Notifications::CancelDownloadFile, [this](const QVariantMap &info) {
        QStringList ids;
        for (const QVariant &v : info.value(u"idArray"_s).toList())
            ids << v.toString();
        cancelDownloadFile(ids);
    });
    hub->addObserver(this, Notifications::AppStatusChanged,
                     [this](const QVariantMap &) { statusChanged(); });
}

HttpFileDownloadCenter::~HttpFileDownloadCenter()
{
    for (Download *d : std::as_const(m_requestPool)) {
        d->ended = true;
        d->reply->disconnect(this);
        d->reply->abort();
        auto part = d->part;
        m_writeDataQueue->dispatch([part] {
            part->close();
            QFile::remove(part->path);
        });
        delete d;
    }
    m_writeDataQueue->waitUntilIdle();
}

HttpFileDownloadCenter *HttpFileDownloadCenter::sharedInstance()
{
    return AppCore::current()->service<HttpFileDownloadCenter>();
}

void HttpFileDownloadCenter::setFreeSpaceProvider(std::function<quint64()> provider)
{
    m_freeSpace = std::move(provider);
}

bool HttpFileDownloadCenter::isInDownloadingFileQueue(const QuickTransferObject &record) const
{
    const auto same = [&record](const QuickTransferObjectPtr &r) {
        return r.data() == &record || r->localPath == record.localPath;
    };
    return std::any_of(m_downloadFileQueue.cbegin(), m_downloadFileQueue.cend(), same)
        || std::any_of(m_downloadingArray.cbegin(), m_downloadingArray.cend(), same);
}

quint64 HttpFileDownloadCenter::downloadingFileSize() const
{
    quint64 total = 0;
    for (const auto &r : m_downloadFileQueue)
        total += r->size;
    return total;
}

void HttpFileDownloadCenter::downloadFile(const QuickTransferObjectPtr &record)
{
    if (!record || isInDownloadingFileQueue(*record))
        return;
    if (downloadingFileSize() + record->size + kReserve >= m_freeSpace())
        return;
    m_downloadFileQueue.append(record);
    checkAndStartDownloadingRequest();
}

void HttpFileDownloadCenter::postRecord(const QString &name, const QuickTransferObjectPtr &record)
{
    NotificationCenter::defaultCenter()->post(name, {{u"object"_s, QVariant::fromValue(record)}});
}

void HttpFileDownloadCenter::checkAndStartDownloadingRequest()
{
    // Two transfers at a time; one whose bytes have all arrived (closing its file on the write
    // queue) no longer holds a place.
    const auto receiving = [this] {
        return std::count_if(m_requestPool.cbegin(), m_requestPool.cend(),
                             [](const Download *d) { return !d->ended; });
    };
    while (receiving() < 2 && !m_downloadFileQueue.isEmpty()) {
        const QuickTransferObjectPtr r = m_downloadFileQueue.takeFirst();
        m_downloadingArray.append(r);
        auto *d = new Download;
        d->record = r;
        d->finalPath = r->downloadPath();
        const QUrl url = r->from == 1 ? LocalFiles::getCSMFileUrlByPcPath(r->path)
                                      : LocalFiles::getDownloadFileUrlByPcPath(r->path);
        if (d->finalPath.isEmpty() || !url.isValid()) {
            // No usable local name (a hostile PC path) or no address: a failed download, so
            // the record neither stays in the history without a file nor blocks its name.
            m_requestPool.append(d);
            requestFailed(d);
            continue;
        }
        if (QFileInfo::exists(d->finalPath)) {
            delete d;
            r->finishedSize = r->size;
            postRecord(Notifications::DownloadFileFinished, r);
            m_downloadingArray.removeOne(r);
            continue;
        }
        r->finishedSize = 0;
        d->part = std::make_shared<PartFile>();
        d->part->path = r->partialPath();
        QNetworkRequest request(url);
        request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
        const QString ua = DeviceInfoCenter::getHttpRequestUA();
        if (!ua.isEmpty())
            request.setRawHeader("UA", ua.toUtf8());
        d->reply = m_nam->get(request);
        d->reply->setReadBufferSize(kReadBuffer);
        m_requestPool.append(d);
        connect(d->reply, &QNetworkReply::readyRead, this, [this, d] { readChunks(d); });
        connect(d->reply, &QNetworkReply::finished, this, [this, d] {
            if (d->ended)
                return;
            if (d->failed || d->reply->error() != QNetworkReply::NoError)
                requestFailed(d);
            else
                requestFinished(d);
        });
    }
}

void HttpFileDownloadCenter::readChunks(Download *d)
{
    if (d->ended)
        return;
    QNetworkReply *reply = d->reply;
    const QuickTransferObjectPtr &r = d->record;
    if (!d->answerChecked) {
        // Status and length are those of the answer's head: looked at once.
        d->answerChecked = true;
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        // An error page is not the file: dropped; the end of the reply fails the download.
        d->failed = status < 200 || status > 299;
        if (!d->failed) {
            const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
            const quint64 length = announced.isValid() ? announced.toULongLong() : 0;
            if (r->size != length) {
                r->size = length;
                postRecord(Notifications::QuickTransferSizeChanged, r);
            }
        }
    }
    if (d->failed) {
        reply->readAll();
        return;
    }
    // Reading stops while the write queue is behind; the socket then waits too.
    while (*d->pending < kMaxPendingWrite) {
        const qint64 available = reply->bytesAvailable();
        if (available <= 0)
            break;
        if (d->block.isEmpty() && d->block.capacity() < kWriteBlock)
            d->block = takeBuffer();
        const qint64 had = d->block.size();
        const qint64 want = qMin(available, kWriteBlock - had);
        d->block.resize(had + want);
        const qint64 got = reply->read(d->block.data() + had, want);
        d->block.resize(had + qMax<qint64>(got, 0));
        if (got <= 0)
            break;
        r->finishedSize += quint64(got);
        if (d->block.size() >= kWriteBlock)
            flushToWriteQueue(d);
    }
    if (!d->block.isEmpty() && d->sinceFlush.isValid() && d->sinceFlush.elapsed() >= kFlushAfterMs)
        flushToWriteQueue(d);
    if (!d->sinceFlush.isValid())
        d->sinceFlush.start();
}

QByteArray HttpFileDownloadCenter::takeBuffer()
{
    if (!m_spareBuffers.isEmpty())
        return m_spareBuffers.takeLast();
    QByteArray buffer;
    buffer.reserve(kWriteBlock);
    return buffer;
}

void HttpFileDownloadCenter::flushToWriteQueue(Download *d)
{
    d->sinceFlush.start();
    if (d->block.isEmpty())
        return;
    *d->pending += d->block.size();
    auto part = d->part;
    auto pending = d->pending;
    // The block travels to the write queue and back without being copied, then is used again.
    m_writeDataQueue->dispatch([this, part, pending, d, block = std::move(d->block)]() mutable {
        const qint64 n = block.size();
        part->append(block);
        *pending -= n;
        block.resize(0);
        QMetaObject::invokeMethod(this, [this, d, n, spare = std::move(block)]() mutable {
            if (m_spareBuffers.size() < kMaxSpareBuffers)
                m_spareBuffers.append(std::move(spare));
            afterWrite(d, n);
        }, Qt::QueuedConnection);
    });
    d->block = QByteArray();
}

void HttpFileDownloadCenter::announceProgress(Download *d)
{
    d->progressUnannounced = false;
    d->sinceProgress.start();
    postRecord(Notifications::ToObjectDownloadFileReceivedData, d->record);
    postRecord(Notifications::DownloadFileReceivedData, d->record);
}

void HttpFileDownloadCenter::afterWrite(Download *d, qint64)
{
    if (!m_requestPool.contains(d) || d->failed)
        return;
    const bool last = d->ended && *d->pending == 0;
    d->progressUnannounced = true;
    if (last || !d->sinceProgress.isValid() || d->sinceProgress.elapsed() >= kFlushAfterMs)
        announceProgress(d);
    if (!m_requestPool.contains(d) || d->ended)
        return;
    if (d->reply && d->reply->bytesAvailable() > 0)
        readChunks(d);
}

void HttpFileDownloadCenter::requestFinished(Download *d)
{
    if (d->reply->bytesAvailable() > 0) {
        // Bytes held back while the writes caught up: finish once they are read.
        readChunks(d);
        QMetaObject::invokeMethod(this, [this, d] {
            if (m_requestPool.contains(d) && !d->ended)
                requestFinished(d);
        }, Qt::QueuedConnection);
        return;
    }
    flushToWriteQueue(d);
    d->ended = true;
    auto part = d->part;
    m_writeDataQueue->dispatch([this, part, d] {
        const bool failed = part->failed;
        part->close();
        QMetaObject::invokeMethod(this, [this, d, failed] {
            const QuickTransferObjectPtr r = d->record;
            bool ok = !failed && r->finishedSize == r->size;
            if (ok) {
                QFile::remove(d->finalPath);
                // An empty file has no part written: create it.
                if (!QFileInfo::exists(d->part->path)) {
                    QDir().mkpath(QFileInfo(d->part->path).absolutePath());
                    QFile(d->part->path).open(QIODevice::WriteOnly);
                }
                ok = QFile::rename(d->part->path, d->finalPath);
            }
            if (!ok) {
                d->ended = false;
                requestFailed(d);
                return;
            }
            // The last block may have been written before the reply ended: its progress is
            // announced now, before the file is finished.
            if (d->progressUnannounced)
                announceProgress(d);
            postRecord(Notifications::DownloadFileFinished, r);
            endDownload(d);
        }, Qt::QueuedConnection);
    });
    checkAndStartDownloadingRequest();
}

void HttpFileDownloadCenter::requestFailed(Download *d)
{
    if (d->ended)
        return;
    d->ended = true;
    d->failed = true;
    if (d->reply && d->reply->isRunning())
        d->reply->abort();
    const QuickTransferObjectPtr r = d->record;
    postRecord(Notifications::DownloadFileFailed, r);
    NotificationCenter::defaultCenter()->post(
        Notifications::DeleteQuickTransfer, {{u"arrayId"_s, QVariantList{r->identifier}}});
    if (auto part = d->part) {
        m_writeDataQueue->dispatch([part] {
            part->close();
            QFile::remove(part->path);
        });
    }
    endDownload(d);
}

void HttpFileDownloadCenter::endDownload(Download *d)
{
    m_requestPool.removeOne(d);
    checkAndStartDownloadingRequest();
    m_downloadingArray.removeOne(d->record);
    if (d->reply) {
        d->reply->disconnect(this);
        d->reply->deleteLater();
    }
    // Writes still queued for it refer to it: release it after them.
    m_writeDataQueue->dispatch([this, d] {
        QMetaObject::invokeMethod(this, [d] { delete d; }, Qt::QueuedConnection);
    });
}

void HttpFileDownloadCenter::cancelDownloadFile(const QStringList &ids)
{
    if (ids.isEmpty())
        return;
    m_downloadFileQueue.removeIf([&ids](const QuickTransferObjectPtr &r) {
        return ids.contains(QString::number(r->identifier));
    });
    const QList<Download *> running = m_requestPool;
    for (Download *d : running)
        if (m_requestPool.contains(d) && ids.contains(QString::number(d->record->identifier)))
            requestFailed(d);
}

void HttpFileDownloadCenter::statusChanged()
{
    m_downloadFileQueue.clear();
    const QList<Download *> running = m_requestPool;
    for (Download *d : running)
        if (m_requestPool.contains(d))
            requestFailed(d);
}

void HttpFileDownloadCenter::downloadFileObject(const FileObject &file)
{
    if (file.type != FileObject::File)
        return;
    const auto record = QuickTransferObject::createWithFileObject(file);
    postRecord(Notifications::SaveQuickTransfer, record);
    postRecord(Notifications::DoDownloadFile, record);
}

int HttpFileDownloadCenter::downloadDirectoryListing(const QVariant &answer)
{
    if (!JsonUtils::isObject(answer))
        return 0;
    const QVariantMap map = answer.toMap();
    const QVariant err = map.value(u"err"_s);
    if (!err.isValid() || JsonUtils::integerValue(err, -1) != 0)
        return 0;
    const QVariant files = map.value(u"data"_s).toMap().value(u"files"_s);
    if (!JsonUtils::isArray(files))
        return 0;
    int taken = 0;
    for (const QVariant &entry : files.toList()) {
        const FileObject file(entry);
        if (file.type == FileObject::File && JsonUtils::isObject(entry)) {
            downloadFileObject(file);
            ++taken;
        }
    }
    NotificationCenter::defaultCenter()->post(Notifications::RefreshQuickTransferList);
    return taken;
}
