#pragma once

#include "FileObject.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class HttpFileDownloadCenter;
class HttpFileFetch;
class RuntimeState;

/// Fetches one PC file for opening, into a folder of the Library ("preview"; "file" by
/// default). It starts when created and runs on the download manager's "writeDataQueue" with
/// the same fetch as the manager's downloads, streaming into a part file of the Library's
/// hidden folder of part files that takes the file's name once every announced byte has
/// arrived. The file keeps the PC's modification time as its creation date, so a later check
/// finds the copy still valid. A download that does not succeed leaves nothing behind.
class OneFileHttp : public QObject
{
    Q_OBJECT
public:
    /// Starts fetching @p file with @p downloads from the service address of @p state into
    /// @p rootPath ("file" of the Library when empty). Every outcome is signalled from the event
    /// loop, so connections made right after construction see it.
    OneFileHttp(HttpFileDownloadCenter &downloads, const RuntimeState &state,
                const FileObject &file, const QString &rootPath = {}, QObject *parent = nullptr);
    /// Stops the download; the file goes unless it was fetched whole.
    ~OneFileHttp() override;

    /// Starts the download again unless one runs; the outcome comes as downloadIsSuccess() (or
    /// toastRequested() when the phone lacks room for the file).
    void startDownload();
    /// Cancels without any further signal.
    void stopDownload();
    void deleteLocalFile();

    [[nodiscard]] QString localPath() const { return m_localPath; }
    [[nodiscard]] bool isSuccess() const { return m_isSuccess; }

Q_SIGNALS:
    /// Bytes written since the previous report.
    void receivedData(qint64 bytes);
    void downloadIsSuccess(bool success);
    /// A message for the user ("磁盘没有足够空间").
    void toastRequested(const QString &text);

private:
    void fetchEnded(bool ok, qint64 bytes);
    /// Signals @p outcome from the event loop, unless the run has ended or stopped by then.
    void later(std::function<void()> outcome);

    FileObject m_file;
    QString m_localPath;
    QString m_partPath;
    QPointer<HttpFileDownloadCenter> m_downloads;
    const RuntimeState &m_state;
    HttpFileFetch *m_fetch = nullptr; // lives on the write queue, released through m_downloads
    quint64 m_run = 0;                // callbacks of an earlier run are dropped
    qint64 m_reported = 0;
    bool m_started = false;
    bool m_isSuccess = false;
};
