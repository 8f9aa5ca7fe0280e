#include "HttpFileDownloadCenter.h"

#include "AppCore.h"
#include "DeviceInfoCenter.h"
#include "HttpFileFetch.h"
#include "LocalFiles.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "SerialQueue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <limits>
#include <utility>

using namespace Qt::StringLiterals;

namespace {
constexpr quint64 kReserve = 0xA00000; // 10 MiB kept free

// The digest the record carries, when it is one: 32 hexadecimal digits.
QByteArray md5Of(const QuickTransferObject &record)
{
    static const QRegularExpression md5(u"^[0-9A-Fa-f]{32}$"_s);
    return md5.match(record.md5).hasMatch() ? record.md5.toLatin1() : QByteArray();
}
} // namespace

struct HttpFileDownloadCenter::Download
{
    quint64 serial = 0;
    QuickTransferObjectPtr record;
    QString finalPath;
    QString partPath;
    HttpFileFetch *fetch = nullptr; // lives on the write queue
    qint64 announced = -1;          // finishedSize of the last progress announcement
};

HttpFileDownloadCenter::HttpFileDownloadCenter(NotificationCenter &hub, const QString &libraryPath,
                                               SerialQueue &writeDataQueue)
    : m_hub(hub), m_libraryPath(libraryPath), m_writeDataQueue(&writeDataQueue),
      m_pool(new HttpConnectionPool), m_minBytes(HttpFileFetch::kMinBytesPerWindow),
      m_rateWindowMs(HttpFileFetch::kRateWindowMs)
{
    QuickTransferObject::registerMetaTypes();
    // The transfers run on the write queue: the bytes go from the socket to the file there.
    m_pool->moveToThread(m_writeDataQueue->thread());
    // Part files of an earlier run: nothing is queued yet, and every transfer starts behind
    // this on the same queue.
    m_writeDataQueue->dispatch([parts = LocalFiles::partialFolder(libraryPath)] {
        QDir dir(parts);
        for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
            dir.remove(name);
    });
    m_freeSpace = [libraryPath] { return DeviceInfoCenter::getFreeDiskSpace(libraryPath); };
    hub.addObserver(this, Notifications::DoDownloadFile, [this](const QVariantMap &info) {
        const auto record = info.value(u"object"_s).value<QuickTransferObjectPtr>();
        if (record)
            downloadFile(record);
    });
    hub.addObserver(this, Notifications::CancelDownloadFile, [this](const QVariantMap &info) {
        QStringList ids;
        for (const QVariant &v : info.value(u"idArray"_s).toList())
            ids << v.toString();
        cancelDownloadFile(ids);
    });
    hub.addObserver(this, Notifications::AppStatusChanged,
                    [this](const QVariantMap &) { statusChanged(); });
}

HttpFileDownloadCenter::~HttpFileDownloadCenter()
{
    for (Download *d : std::as_const(m_requestPool)) {
        stopFetch(d, true);
        delete d;
    }
    // Fetches still lent out: their holders find the manager gone and leave them alone.
    const QSet<HttpFileFetch *> lent = m_fetches;
    for (HttpFileFetch *fetch : lent)
        releaseFetch(fetch, fetch->filePath());
    HttpConnectionPool *pool = m_pool;
    m_writeDataQueue->dispatch([pool] { delete pool; });
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

void HttpFileDownloadCenter::setMinimumRate(qint64 bytes, int windowMs)
{
    m_minBytes = bytes;
    m_rateWindowMs = windowMs;
}

HttpFileFetch *HttpFileDownloadCenter::createFetch(const QUrl &url, const QByteArray &ua,
                                                   const QString &filePath)
{
    auto *fetch = new HttpFileFetch(m_pool, url, ua, filePath);
    // Room for the answer: what is free, less the reserve and what the running downloads still
    // have to write.
    qint64 room = qint64(std::min<quint64>(m_freeSpace(), std::numeric_limits<qint64>::max()));
    room -= qint64(kReserve);
    for (const Download *d : std::as_const(m_requestPool))
        room -= qint64(d->record->size - std::min(d->record->finishedSize, d->record->size));
    fetch->setRoom(std::max<qint64>(room, 0));
    fetch->setMinimumRate(m_minBytes, m_rateWindowMs);
    fetch->moveToThread(m_writeDataQueue->thread());
    m_fetches.insert(fetch);
    return fetch;
}

void HttpFileDownloadCenter::startFetch(HttpFileFetch *fetch)
{
    if (m_fetches.contains(fetch))
        m_writeDataQueue->dispatch([fetch] { fetch->start(); });
}

void HttpFileDownloadCenter::releaseFetch(HttpFileFetch *fetch, const QString &removeFile)
{
    if (fetch && !m_fetches.remove(fetch))
        return;
    if (fetch)
        fetch->disconnect();
    if (!fetch && removeFile.isEmpty())
        return;
    m_writeDataQueue->dispatch([fetch, removeFile] {
        if (fetch) {
            fetch->abort();
            delete fetch;
        }
        if (!removeFile.isEmpty())
            QFile::remove(removeFile);
    });
}

bool HttpFileDownloadCenter::isInDownloadingFileQueue(const QuickTransferObject &record) const
{
    const auto same = [&record](const QuickTransferObjectPtr &r) {
        return r.data() == &record || r->localPath == record.localPath;
    };
    return std::any_of(m_downloadFileQueue.cbegin(), m_downloadFileQueue.cend(), same) ||
           std::any_of(m_downloadingArray.cbegin(), m_downloadingArray.cend(), same);
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
    m_hub.post(name, {{u"object"_s, QVariant::fromValue(record)}});
}

void HttpFileDownloadCenter::checkAndStartDownloadingRequest()
{
    // Two transfers at a time.
    while (m_requestPool.size() < 2 && !m_downloadFileQueue.isEmpty()) {
        const QuickTransferObjectPtr r = m_downloadFileQueue.takeFirst();
        m_downloadingArray.append(r);
        auto *d = new Download;
        d->serial = ++m_serial;
        d->record = r;
        d->finalPath = r->downloadPath(m_libraryPath);
        // A file already on disk of the record's size is complete, whether or not an address
        // could be built now. One of another size (a record that shares its digest, a hostile
        // name) is fetched again.
        const QFileInfo existing(d->finalPath);
        if (!d->finalPath.isEmpty() && existing.isFile() && quint64(existing.size()) == r->size) {
            delete d;
            r->finishedSize = r->size;
            postRecord(Notifications::DownloadFileFinished, r);
            m_downloadingArray.removeOne(r);
            continue;
        }
        // The identity goes in the address and in the header: built once.
        const QString ua = DeviceInfoCenter::getHttpRequestUA();
        const QUrl url = r->from == 1 ? LocalFiles::getCSMFileUrlByPcPath(r->path, ua)
                                      : LocalFiles::getDownloadFileUrlByPcPath(r->path, ua);
        if (d->finalPath.isEmpty() || !url.isValid()) {
            // No usable local name (a hostile PC path) or no address: a failed download, so
            // the record neither stays in the history without a file nor blocks its name.
            m_requestPool.append(d);
            requestFailed(d);
            continue;
        }
        r->finishedSize = 0;
        d->partPath = r->partialPath(m_libraryPath);
        d->fetch = createFetch(url, ua.toUtf8(), d->partPath);
        d->fetch->setExpectedMd5(md5Of(*r));
        m_requestPool.append(d);
        // Signals cross from the write queue; each finds its download by serial, so one that
        // arrives after the download ended finds nothing.
        const quint64 serial = d->serial;
        connect(d->fetch, &HttpFileFetch::answered, this, [this, serial](qint64 length) {
            if (Download *d = running(serial))
                answered(d, length);
        });
        connect(d->fetch, &HttpFileFetch::written, this, [this, serial](qint64 bytes) {
            if (Download *d = running(serial)) {
                d->record->finishedSize = quint64(bytes);
                announceProgress(d);
            }
        });
        connect(d->fetch, &HttpFileFetch::ended, this,
                [this, serial](bool ok, qint64 bytes, const QString &) {
                    if (Download *d = running(serial))
                        fetchEnded(d, ok, bytes);
                });
        startFetch(d->fetch);
    }
}

HttpFileDownloadCenter::Download *HttpFileDownloadCenter::running(quint64 serial) const
{
    for (Download *d : m_requestPool)
        if (d->serial == serial)
            return d;
    return nullptr;
}

void HttpFileDownloadCenter::answered(Download *d, qint64 length)
{
    const QuickTransferObjectPtr &r = d->record;
    if (r->size != quint64(length)) {
        r->size = quint64(length);
        postRecord(Notifications::QuickTransferSizeChanged, r);
    }
}

void HttpFileDownloadCenter::announceProgress(Download *d)
{
    d->announced = qint64(d->record->finishedSize);
    postRecord(Notifications::ToObjectDownloadFileReceivedData, d->record);
    postRecord(Notifications::DownloadFileReceivedData, d->record);
}

void HttpFileDownloadCenter::fetchEnded(Download *d, bool ok, qint64 bytes)
{
    const QuickTransferObjectPtr r = d->record;
    r->finishedSize = quint64(bytes);
    ok = ok && r->finishedSize == r->size;
    if (ok) {
        QDir().mkpath(QFileInfo(d->finalPath).absolutePath());
        QFile::remove(d->finalPath);
        ok = QFile::rename(d->partPath, d->finalPath);
    }
    if (!ok) {
        requestFailed(d);
        return;
    }
    // The last bytes may have been written since the last announcement: announced now,
    // before the file is finished.
    if (d->announced != bytes)
        announceProgress(d);
    postRecord(Notifications::DownloadFileFinished, r);
    endDownload(d);
}

void HttpFileDownloadCenter::stopFetch(Download *d, bool removePart)
{
    releaseFetch(std::exchange(d->fetch, nullptr), removePart ? d->partPath : QString());
}

void HttpFileDownloadCenter::requestFailed(Download *d)
{
    const QuickTransferObjectPtr r = d->record;
    stopFetch(d, true);
    postRecord(Notifications::DownloadFileFailed, r);
    m_hub.post(Notifications::DeleteQuickTransfer, {{u"arrayId"_s, QVariantList{r->identifier}}});
    endDownload(d);
}

void HttpFileDownloadCenter::endDownload(Download *d)
{
    if (!m_requestPool.removeOne(d))
        return;
    stopFetch(d, false);
    m_downloadingArray.removeOne(d->record);
    delete d;
    checkAndStartDownloadingRequest();
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
