#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <array>
#include <memory>

class QFile;
class QTcpSocket;
class QTimer;

/// Connections to the PC left open by earlier answers, kept for the next download. It belongs
/// to one thread, with the fetches that use it.
class HttpConnectionPool : public QObject
{
    Q_OBJECT
public:
    static constexpr int kMaxIdle = 4;
    static constexpr qint64 kIdleMs = 15000;

    using QObject::QObject;
    ~HttpConnectionPool() override;

    /// An open connection to host:port, or nullptr. The caller owns it from now on.
    [[nodiscard]] QTcpSocket *take(const QString &host, quint16 port);
    /// Keeps @p socket (the pool takes it over). One the peer closes, or that waits longer
    /// than kIdleMs, is dropped; the oldest goes when more than kMaxIdle wait.
    void put(const QString &host, quint16 port, QTcpSocket *socket);
    [[nodiscard]] int idleCount() const { return int(m_idle.size()); }

private:
    struct Idle
    {
        QString host;
        quint16 port;
        QTcpSocket *socket;
        QElapsedTimer since;
    };
    void drop(qsizetype index);
    void dropStale();

    QList<Idle> m_idle;
};

/// One HTTP/1.1 GET whose body is streamed into a file. It runs on the thread it lives on
/// (the write queue's): the socket is read straight into a block that is then written to the
/// file, so a byte is copied once on its way from the network to the disk. Only answers that
/// announce their length are taken, so a body cut short is always noticed.
class HttpFileFetch : public QObject
{
    Q_OBJECT
public:
    /// Bytes gathered before each write. Large enough that a fast transfer costs few system
    /// calls (measured: a 1 GiB file takes about a third less CPU than with 64 KiB), small
    /// enough to stay in the processor's cache between the read and the write.
    static constexpr qint64 kBlock = 512 << 10;
    /// A PC that sends fewer bytes than this in any window of kRateWindowMs (from the start of
    /// the fetch, the answer's head included) ends the fetch as failed: silence or a trickle
    /// never keeps a download alive.
    static constexpr qint64 kMinBytesPerWindow = 64 << 10;
    static constexpr int kRateWindowMs = 60000;
    /// Progress is reported at most this often, and a partly filled block is written out after
    /// this long, so progress keeps moving on a slow link.
    static constexpr qint64 kReportMs = 50;

    /// @p ua goes in the "UA" header field when not empty.
    HttpFileFetch(HttpConnectionPool *pool, const QUrl &url, const QByteArray &ua,
                  const QString &filePath);
    ~HttpFileFetch() override;

    [[nodiscard]] QString filePath() const { return m_filePath; }
    /// The fetch fails when fewer than @p bytes arrive in any window of @p windowMs.
    void setMinimumRate(qint64 bytes, int windowMs);
    /// An answer that announces @p bytes or more is refused before the file is created.
    void setRoom(qint64 bytes) { m_room = bytes; }
    /// The body's MD5, as 32 hexadecimal digits, checked as the bytes arrive: a body with
    /// another digest ends the fetch as failed. Empty: not checked.
    void setExpectedMd5(const QByteArray &hex);
    void start();
    /// Stops without any further signal; the file is closed and left as it is.
    void abort();

Q_SIGNALS:
    /// A 2xx answer announcing @p length bytes; the file has been created.
    void answered(qint64 length);
    /// @p bytes are now in the file.
    void written(qint64 bytes);
    /// The fetch is over and the file closed; @p ok when every announced byte is in it.
    void ended(bool ok, qint64 bytes, const QString &error);

private:
    void connectFresh();
    void adopt(QTcpSocket *socket);
    void sendRequest();
    void onReadable();
    void onSocketError();
    void closedEarly(const QString &why);
    bool takeHead();
    void writeBlock();
    void finish(bool ok, const QString &error);
    void releaseSocket(bool reusable);
    void checkRate();

    HttpConnectionPool *m_pool;
    QUrl m_url;
    QString m_host;
    quint16 m_port = 80;
    QByteArray m_ua;
    QString m_filePath;
    std::unique_ptr<QFile> m_file;
    QTcpSocket *m_socket = nullptr;
    bool m_reused = false;
    bool m_headDone = false;
    bool m_done = false;
    bool m_reusable = true;
    bool m_keepAlive = false;
    QByteArray m_block;
    qint64 m_fill = 0;
    qint64 m_length = -1;
    qint64 m_received = 0;
    qint64 m_written = 0;
    QElapsedTimer m_sinceWrite;
    QElapsedTimer m_sinceReport;
    QTimer *m_rateCheck;
    qint64 m_arrived = 0;            // bytes read from the connection, head included
    std::array<qint64, 4> m_marks{}; // m_arrived at each of the last four checks
    int m_checks = 0;
    qint64 m_minBytes = kMinBytesPerWindow;
    int m_windowMs = kRateWindowMs;
    qint64 m_room = -1;
    std::unique_ptr<QCryptographicHash> m_md5;
    QByteArray m_expectedMd5;
    bool m_reading = false;
    bool m_retried = false;
};
