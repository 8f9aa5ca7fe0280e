#include "OneFileHttp.h"

#include "DeviceInfoCenter.h"
#include "HttpFileDownloadCenter.h"
#include "HttpFileFetch.h"
#include "LocalFiles.h"
#include "RuntimeState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

using namespace Qt::StringLiterals;

namespace {
constexpr quint64 kReserve = 0xA00000; // 10 MiB kept free
} // namespace

OneFileHttp::OneFileHttp(HttpFileDownloadCenter &downloads, const RuntimeState &state,
                         const FileObject &file, const QString &rootPath, QObject *parent)
    : QObject(parent), m_file(file), m_downloads(&downloads), m_state(state)
{
    const QString root = rootPath.isEmpty() ? downloads.libraryPath() + u"/file"_s : rootPath;
    m_localPath = LocalFiles::safeLocalPath(root, file.path);
    startDownload();
}

OneFileHttp::~OneFileHttp()
{
    stopDownload();
    if (m_started && !m_isSuccess && !m_localPath.isEmpty())
        QFile::remove(m_localPath);
}

void OneFileHttp::later(std::function<void()> outcome)
{
    QMetaObject::invokeMethod(
        this,
        [this, run = m_run, outcome = std::move(outcome)] {
            if (run == m_run)
                outcome();
        },
        Qt::QueuedConnection);
}

void OneFileHttp::startDownload()
{
    if (m_fetch)
        return;
    ++m_run;
    m_isSuccess = false;
    if (m_downloads && m_file.size + kReserve >= m_downloads->freeSpace()) {
        later([this] { Q_EMIT toastRequested(u"磁盘没有足够空间"_s); });
        return;
    }
    // Escaped like every other file address ("%20" for a space, which a path cannot take as
    // "+"); the identity goes in the header only.
    const QString api = m_state.api();
    const QUrl url =
        api.isEmpty() ? QUrl() : LocalFiles::fileUrl(api, u"pc/"_s, m_file.path, {}, false);
    // Not logged in (no service address), or a PC path that leaves the folder: a failure the
    // screen can show, rather than a wait that never ends.
    if (!m_downloads || !url.isValid() || m_localPath.isEmpty()) {
        later([this] { Q_EMIT downloadIsSuccess(false); });
        return;
    }
    m_started = true;
    m_reported = 0;
    m_partPath = LocalFiles::partialPath(m_downloads->libraryPath(), m_localPath);
    m_fetch =
        m_downloads->createFetch(url, DeviceInfoCenter::getHttpRequestUA().toUtf8(), m_partPath);
    const quint64 run = m_run;
    connect(m_fetch, &HttpFileFetch::written, this, [this, run](qint64 bytes) {
        if (run != m_run || bytes <= m_reported)
            return;
        const qint64 chunk = bytes - std::exchange(m_reported, bytes);
        Q_EMIT receivedData(chunk);
    });
    connect(m_fetch, &HttpFileFetch::ended, this,
            [this, run](bool ok, qint64 bytes, const QString &) {
                if (run == m_run)
                    fetchEnded(ok, bytes);
            });
    m_downloads->startFetch(m_fetch);
}

void OneFileHttp::fetchEnded(bool ok, qint64 bytes)
{
    // The fetch has closed its file: what is left to do with it happens here.
    HttpFileFetch *fetch = std::exchange(m_fetch, nullptr);
    if (m_downloads)
        m_downloads->releaseFetch(fetch);
    if (ok) {
        QDir().mkpath(QFileInfo(m_localPath).absolutePath());
        QFile::remove(m_localPath);
        ok = QFile::rename(m_partPath, m_localPath);
    }
    if (!ok) {
        QFile::remove(m_partPath);
        Q_EMIT downloadIsSuccess(false);
        return;
    }
    LocalFiles::setCreationDate(m_localPath,
                                QDateTime::fromSecsSinceEpoch(qint64(m_file.last_modify), Qt::UTC));
    m_isSuccess = true;
    // The last bytes may have arrived since the last report.
    if (bytes > m_reported)
        Q_EMIT receivedData(bytes - std::exchange(m_reported, bytes));
    Q_EMIT downloadIsSuccess(true);
}

void OneFileHttp::stopDownload()
{
    ++m_run;
    HttpFileFetch *fetch = std::exchange(m_fetch, nullptr);
    // Without the manager the fetch is already gone, with its file.
    if (fetch && m_downloads)
        m_downloads->releaseFetch(fetch, m_partPath);
}

void OneFileHttp::deleteLocalFile()
{
    if (!m_localPath.isEmpty())
        QFile::remove(m_localPath);
}
