#pragma once

#include "QuickTransferObject.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSet>
#include <QUrl>

#include <functional>
#include <memory>

class HttpConnectionPool;
class HttpFileFetch;
class NotificationCenter;
class SerialQueue;

/// Downloads the files of quick-transfer records into the "qt" folder, two at a time, in the
/// order they were asked for. Each transfer runs on the "writeDataQueue", streaming the bytes
/// from the socket to a part file in the Library's hidden folder of part files (where no name
/// from the PC lands); the file takes its name only once every byte has arrived, and, for a
/// record that carries an MD5 digest, only when the bytes have that digest, so a cut-off or
/// corrupted download never looks complete. An answer that announces more than the phone has
/// room for, or a PC that stops sending, fails the download. Progress, completion and failure
/// are announced on the hub; a failed or cancelled download also removes its history row. Part
/// files left by an earlier run are removed when the manager starts.
class HttpFileDownloadCenter : public QObject
{
    Q_OBJECT
public:
    /// Downloads into the Library folder @p libraryPath, writing on @p writeDataQueue; observes
    /// and posts on @p hub.
    HttpFileDownloadCenter(NotificationCenter &hub, const QString &libraryPath,
                           SerialQueue &writeDataQueue);
    ~HttpFileDownloadCenter() override;

    [[nodiscard]] static HttpFileDownloadCenter *sharedInstance();

    /// Queues @p record unless it (or a record of the same local file) is waiting or running,
    /// or the phone lacks room for it plus the waiting files plus a 10 MiB reserve.
    void downloadFile(const QuickTransferObjectPtr &record);
    /// Stops the waiting and running downloads of these record ids.
    void cancelDownloadFile(const QStringList &ids);
    /// Empties the queue and cancels every running download.
    void statusChanged();

    [[nodiscard]] bool isInDownloadingFileQueue(const QuickTransferObject &record) const;
    /// Sum of the sizes of the waiting records.
    [[nodiscard]] quint64 downloadingFileSize() const;
    [[nodiscard]] int runningCount() const { return int(m_requestPool.size()); }
    [[nodiscard]] int waitingCount() const { return int(m_downloadFileQueue.size()); }

    /// Free bytes of the phone's storage; replaceable so the space rule can be exercised.
    void setFreeSpaceProvider(std::function<quint64()> provider);
    /// Transfers started from now on fail when fewer than @p bytes arrive in any window of
    /// @p windowMs (HttpFileFetch::setMinimumRate).
    void setMinimumRate(qint64 bytes, int windowMs);
    [[nodiscard]] QString libraryPath() const { return m_libraryPath; }
    /// Free bytes of the phone's storage, as the space rule reads them.
    [[nodiscard]] quint64 freeSpace() const { return m_freeSpace(); }

    /// A fetch of @p url into @p filePath that runs on the "writeDataQueue" beside the
    /// manager's downloads, over the same kept connections (preview downloads use it). It
    /// refuses an answer longer than the free space less the reserve and what the running
    /// downloads still have to write. It starts with startFetch() and is given back with
    /// releaseFetch(); should the manager go first, it stops the fetch and removes its file
    /// itself.
    [[nodiscard]] HttpFileFetch *createFetch(const QUrl &url, const QByteArray &ua,
                                             const QString &filePath);
    void startFetch(HttpFileFetch *fetch);
    /// Stops @p fetch without any further signal and deletes it, then removes @p removeFile
    /// when given; in this order, on the write queue.
    void releaseFetch(HttpFileFetch *fetch, const QString &removeFile = {});

private:
    struct Download;

    void checkAndStartDownloadingRequest();
    [[nodiscard]] Download *running(quint64 serial) const;
    void answered(Download *d, qint64 length);
    void announceProgress(Download *d);
    void fetchEnded(Download *d, bool ok, qint64 bytes);
    /// Stops the transfer on the write queue (and removes its part file when asked).
    void stopFetch(Download *d, bool removePart);
    void requestFailed(Download *d);
    void endDownload(Download *d);
    void postRecord(const QString &name, const QuickTransferObjectPtr &record);

    NotificationCenter &m_hub;
    QString m_libraryPath;
    SerialQueue *m_writeDataQueue;
    HttpConnectionPool *m_pool;      // lives on the write queue
    QSet<HttpFileFetch *> m_fetches; // created and not yet released
    quint64 m_serial = 0;
    QList<Download *> m_requestPool;
    QList<QuickTransferObjectPtr> m_downloadFileQueue;
    QList<QuickTransferObjectPtr> m_downloadingArray;
    std::function<quint64()> m_freeSpace;
    qint64 m_minBytes;
    int m_rateWindowMs;
};
