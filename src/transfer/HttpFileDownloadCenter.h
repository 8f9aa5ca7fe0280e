#pragma once

#include "FileObject.h"
#include "QuickTransferObject.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>

#include <functional>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
class SerialQueue;

/// Downloads the files of quick-transfer records into the "qt" folder, two at a time, in the
/// order they were asked for. Bytes are streamed to "<file>.zephyr-part" on the "writeDataQueue"
/// and the file takes its name only once every byte has arrived, so a cut-off download never
/// looks complete. Progress, completion and failure are announced on the hub; a failed or
/// cancelled download also removes its history row.
class HttpFileDownloadCenter : public QObject
{
    Q_OBJECT
public:
    HttpFileDownloadCenter();
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

    /// A file chosen in the PC browser: saved to the history and downloaded (files only).
    void downloadFileObject(const FileObject &file);
    /// The answer of a folder listing asked for a folder download: its direct files are
    /// downloaded, its sub-folders skipped. Returns how many were taken.
    int downloadDirectoryListing(const QVariant &answer);

    /// Free bytes of the phone's storage; replaceable so the space rule can be exercised.
    void setFreeSpaceProvider(std::function<quint64()> provider);

private:
    struct Download;

    void checkAndStartDownloadingRequest();
    void readChunks(Download *d);
    void flushToWriteQueue(Download *d);
    [[nodiscard]] QByteArray takeBuffer();
    void requestFinished(Download *d);
    void requestFailed(Download *d);
    void endDownload(Download *d);
    void postRecord(const QString &name, const QuickTransferObjectPtr &record);
    void afterWrite(Download *d, qint64 written);
    void announceProgress(Download *d);

    QNetworkAccessManager *m_nam;
    SerialQueue *m_writeDataQueue;
    QList<Download *> m_requestPool;
    QList<QuickTransferObjectPtr> m_downloadFileQueue;
    QList<QuickTransferObjectPtr> m_downloadingArray;
    QList<QByteArray> m_spareBuffers;
    std::function<quint64()> m_freeSpace;
};
