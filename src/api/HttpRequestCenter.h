#pragma once

#include "FileObject.h"
#include "HttpRequestMethod.h"
#include "QuickTransferObject.h"

#include <QDateTime>
#include <QHash>
#include <QNetworkAccessManager>
#include <QObject>
#include <QSet>

class NotificationCenter;
class RuntimeState;
class UserDefaults;

/// The coordinator of the HTTP API. Each operation sends one request and, when its answer
/// arrives, stores what it yields in the runtime state and posts one notification with the
/// result. Every change of the connection status cancels the requests to the PC; reaching the
/// authorised state fetches the PC's information and disks.
class HttpRequestCenter : public QObject
{
    Q_OBJECT
public:
    /// Sends through @p manager, observes and posts on @p hub, keeps the PC's answers in
    /// @p state; @p feedbackUrl and @p statsUrl are the outside services' base addresses.
    HttpRequestCenter(NotificationCenter &hub, RuntimeState &state, UserDefaults &defaults,
                      QNetworkAccessManager &manager, const QString &feedbackUrl,
                      const QString &statsUrl, QObject *parent = nullptr);
    ~HttpRequestCenter() override;

    [[nodiscard]] static HttpRequestCenter *sharedInstance();

    void getWifiInfo();
    void getDiskInfo();
    void getVolume();
    void getIsPptOpen();
    void lockScreen();
    void shutdownPCAfter(qint64 seconds);
    void stopShutdownPC();
    void getDirectoryList(const QString &path);
    void stopGetDirectoryList(const QString &path);
    void getDirectoryFolderList(const QString &path);
    void deleteFile(const QStringList &paths, const QString &directoryPath);
    void renameFile(const QString &path, const QString &newName, const QString &directoryPath);
    void moveFile(const QStringList &paths, const QString &dest, const QString &directoryPath);
    void getScreenshot();
    /// Fetches what the PC user has selected; the answer is saved, announced and, for a small
    /// file or an image, downloaded.
    void getQuickTransfer();
    /// A file or folder chosen for download: a file is saved to the history and handed to the
    /// download manager; anything else is listed and its direct files go the same way (its
    /// sub-folders are skipped).
    void downloadFileOrDirectroy(const FileObject &file);
    /// A file (type 0; other entries are ignored) saved to the history and handed to the
    /// download manager.
    void downloadFileObject(const FileObject &file);
    /// Lists @p path for download. The request carries the path as its tag string, so a
    /// cancellation for that folder stops it as it stops the folder's own listing.
    void getDirectoryFileListToDownload(const QString &path);
    void getClientList();
    void updateRateLimit(const QVariantMap &params);
    void operateClient(const QVariantMap &params);
    void commitStatistics();
    void submitFeedbackText(const QString &text, const QString &contact);

    /// The daily statistics report of the start-up: sent unless one succeeded today, and only
    /// once the first-launch guide has been completed.
    static void commitStatisticsIfDue();
    [[nodiscard]] static bool isSameDay(const QDateTime &a, const QDateTime &b);

    /// Requests created and not yet released.
    [[nodiscard]] int pendingRequestCount() const { return int(m_requests.size()); }
    /// Time-out of every new request (30 s unless a test shortens it).
    void setRequestTimeout(int ms) { m_timeoutMs = ms; }

Q_SIGNALS:
    /// The PC information and disk answers post nothing on the hub, nor does a failed
    /// presentation query; these tell waiting callers.
    void wifiInfoFinished(bool success);
    void diskInfoFinished(bool success);
    void isPptOpenFinished(bool success);
    /// The listing of getDirectoryFileListToDownload() has been handled: @p count files of
    /// @p path were handed to the download manager, or the answer was unusable (@p success
    /// false, nothing handed over).
    void directoryFileListToDownloadFinished(const QString &path, bool success, int count);

private:
    using Handler = void (HttpRequestCenter::*)(HttpRequestMethod *, const QVariant &);
    HttpRequestMethod *newRequest(Handler handler);
    void statusChanged();
    [[nodiscard]] NotificationCenter *hub() const { return m_context.hub; }

    void getWifiInfoFinished(HttpRequestMethod *request, const QVariant &responseObj);
    void getDiskInfoFinished(HttpRequestMethod *request, const QVariant &responseObj);
    void getVolumeFinished(HttpRequestMethod *request, const QVariant &responseObj);
    void getIsPptOpenFinished(HttpRequestMethod *request, const QVariant &responseObj);
    void lockScreenFinished(HttpRequestMethod *request, const QVariant &responseObj);
    void shutdownPCFinished(HttpRequestMethod *request, const QVariant &responseObj);
    void getDirectoryListFinished(HttpRequestMethod *request, const QVariant &responseObj);
    void getDirectoryFolderListFinished(HttpRequestMethod *request, const QVariant &responseObj);
    void deleteFileFinished(HttpRequestMethod *request, const QVariant &responseObj);
    void renameFileFinished(HttpRequestMethod *request, const QVariant &responseObj);
    void moveFileFinished(HttpRequestMethod *request, const QVariant &responseObj);
    void getScreenshotFinished(HttpRequestMethod *request, const QVariant &responseObj);
    void getQuickTransferFinished(HttpRequestMethod *request, const QVariant &responseObj);
    void dealWithFirstQuickTransfer(const QuickTransferObjectPtr &record);
    void getQuickTransferFailed(bool isUnknown);
    void getDirectoryFileListToDownloadFinished(HttpRequestMethod *request,
                                                const QVariant &responseObj);
    void getClientListFinished(HttpRequestMethod *request, const QVariant &responseObj);
    void updateRateLimitFinished(HttpRequestMethod *request, const QVariant &responseObj);
    void operateClientFinished(HttpRequestMethod *request, const QVariant &responseObj);
    void commitStatisticsFinished(HttpRequestMethod *request, const QVariant &responseObj);
    /// Sends the report once the phone's identifier is known.
    void sendStatistics();
    void submitFeedbackFinished(HttpRequestMethod *request, const QVariant &responseObj);

    RuntimeState &m_state;
    UserDefaults &m_defaults;
    HttpRequestBase::Context m_context;
    QSet<HttpRequestMethod *> m_requests;
    /// The counts each statistics report in flight carries.
    QHash<HttpRequestMethod *, QVariantMap> m_reportedStatistics;
    int m_timeoutMs = HttpRequestBase::DefaultTimeoutMs;
};
