#pragma once

#include "PhotoAsset.h"

#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTcpSocket>
#include <QTimer>

#include <memory>
#include <optional>

class NotificationCenter;

/// Sends photo-library assets to a folder on the PC over one TCP connection to the PC's port:
/// an identity message, then per item a header, the bytes in 8 KiB fragments (one in flight)
/// and a size trailer that the PC answers with the size it received (4 bytes, gathered however
/// the network splits them), then an end marker. The
/// outcome is posted when the connection ends: "notification_upload_file_successed" when every
/// item was confirmed, else "notification_upload_file_aborted". A change of the connection
/// status ends the upload.
class TCPFileUploadCenter : public QObject
{
    Q_OBJECT
public:
    /// One asset and the PC folder it goes to.
    struct Item
    {
        std::optional<PhotoAsset> asset;
        QString path;
    };

    /// Sends of one item before mismatched size replies end the upload.
    static constexpr int MaxSendsPerItem = 3;
    static constexpr int ConnectTimeoutMs = 10000;
    static constexpr int StallTimeoutMs = 60000;
    /// File bytes are read in blocks of this many fragments and handed to the socket fragment
    /// by fragment from there.
    static constexpr qint64 FragmentsPerBlock = 32;

    /// Uploads to the PC's @p pcPort; observes and posts on @p hub.
    TCPFileUploadCenter(NotificationCenter &hub, quint16 pcPort, QObject *parent = nullptr);
    ~TCPFileUploadCenter() override;

    [[nodiscard]] static TCPFileUploadCenter *sharedInstance();

    /// Queues @p items after those being sent and starts the upload if none runs. Assets of
    /// 4 GiB or more cannot be described on the wire: they are left out, and the returned texts
    /// (also shown as toasts) say which.
    QStringList uploadAssets(const QList<Item> &items);
    /// Connects unless a connection exists.
    void start();

    [[nodiscard]] bool isRunning() const { return m_asyncSocket != nullptr; }
    [[nodiscard]] qsizetype pendingCount() const { return m_assetsArray.size(); }

    /// Time without any progress after which the PC counts as gone (also after the end marker,
    /// where the PC is expected to close).
    void setStallTimeout(int ms) { m_stallTimeoutMs = ms; }

Q_SIGNALS:
    void toastRequested(const QString &text, int durationMs);
    /// The item being sent has had @p sentBytes of its @p itemSize bytes handed to the
    /// connection; @p itemsLeft counts the items not yet confirmed, this one included.
    void uploadProgress(qint64 sentBytes, qint64 itemSize, qsizetype itemsLeft);

private:
    enum class Stage { Idle, Connecting, Sending, AwaitingReply, Ending };

    void connected();
    void madeProgress();
    void checkStall();
    [[nodiscard]] int stallLimitMs() const;
    void send(const char *data, qint64 size);
    void send(const QByteArray &data) { send(data.constData(), data.size()); }
    void sendFile();
    void sendFragments();
    [[nodiscard]] bool loadBlockAt(qint64 offset);
    void replyReceived();
    void handleReply(const QByteArray &reply);
    void abortUpload();
    void connectionEnded();
    [[nodiscard]] static bool isUsable(const Item &item);

    NotificationCenter &m_hub;
    quint16 m_pcPort;
    QList<Item> m_assetsArray;
    QTcpSocket *m_asyncSocket = nullptr;
    std::unique_ptr<QFile> m_file;
    QByteArray m_reply; // the reply so far: it may come in several segments
    QByteArray m_block;
    qint64 m_blockOffset = 0;
    qint64 m_blockLength = 0;
    qint64 m_currentFileSize = 0;
    qint64 m_currentFragmentIndex = 0;
    int m_sendsOfItem = 0;
    Stage m_stage = Stage::Idle;
    bool m_pumping = false;
    int m_stallTimeoutMs = StallTimeoutMs;
    QTimer m_connectTimer;
    QTimer m_stallTimer;
    QElapsedTimer m_lastProgress;
};
