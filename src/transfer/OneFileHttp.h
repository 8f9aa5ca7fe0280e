#pragma once

#include "FileObject.h"

#include <QObject>
#include <QString>

#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
class SerialQueue;

/// Fetches one PC file for opening, into a folder of the Library ("preview"; "file" by
/// default), on its own serial write queue. The file keeps the PC's modification time as its
/// creation date, so a later check finds the copy still valid. A download that does not end
/// with every announced byte leaves nothing behind.
class OneFileHttp : public QObject
{
    Q_OBJECT
public:
    OneFileHttp(const FileObject &file, const QString &rootPath, QObject *parent = nullptr);
    ~OneFileHttp() override;

    /// Starts the download; the outcome comes as downloadIsSuccess() (or toastRequested()).
    void startDownload();
    /// Cancels without any further signal.
    void stopDownload();
    void deleteLocalFile();

    [[nodiscard]] QString localPath() const { return m_localPath; }
    [[nodiscard]] bool isSuccess() const { return m_isSuccess; }

Q_SIGNALS:
    /// Bytes of the chunk just written.
    void receivedData(qint64 bytes);
    void downloadIsSuccess(bool success);
    /// A message for the user ("磁盘没有足够空间").
    void toastRequested(const QString &text);

private:
    void finish();
    void fail();

    FileObject m_file;
    QString m_localPath;
    QNetworkAccessManager *m_nam;
    QNetworkReply *m_reply = nullptr;
    std::unique_ptr<SerialQueue> m_writeQueue;
    struct Part;
    std::shared_ptr<Part> m_part;
    bool m_isSuccess = false;
    bool m_done = false;
};
