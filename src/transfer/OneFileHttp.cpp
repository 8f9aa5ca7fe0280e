#include "OneFileHttp.h"

#include "AppCore.h"
#include "DeviceInfoCenter.h"
#include "LocalFiles.h"
#include "RuntimeState.h"
#include "SerialQueue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QStorageInfo>

using namespace Qt::StringLiterals;

struct OneFileHttp::Part
{
    QString path;
    std::unique_ptr<QFile> file;
    bool failed = false;
    qint64 written = 0;
};

OneFileHttp::OneFileHttp(const FileObject &file, const QString &rootPath, QObject *parent)
    : QObject(parent), m_file(file), m_nam(new QNetworkAccessManager(this)),
      m_writeQueue(std::make_unique<SerialQueue>(u"writeDataQueue"_s))
{
    const QString root =
        rootPath.isEmpty() ? AppCore::current()->libraryPath(u"file"_s) : rootPath;
    m_localPath = LocalFiles::safeLocalPath(root, file.path);
}

OneFileHttp::~OneFileHttp()
{
    stopDownload();
    m_writeQueue.reset(); // waits for the writes
    if (m_part) {
        m_part->file.reset();
        QFile::remove(m_part->path);
    }
    if (!m_isSuccess && !m_localPath.isEmpty() && m_part)
        QFile::remove(m_localPath);
}

void OneFileHttp::startDownload()
{
    const qint64 free = QStorageInfo(AppCore::current()->libraryPath()).bytesAvailable();
    if (m_file.size + 0xA00000 >= quint64(qMax<qint64>(free, 0))) {
        Q_EMIT toastRequested(u"磁盘没有足够空间"_s);
        return;
    }
    const QString api = RuntimeState::sharedInstance()->api();
    if (api.isEmpty())
        return;
    // Escaped like every other file address ("%20" for a space, which a path cannot take
    // as "+").
    const QUrl url = LocalFiles::fileUrl(api, u"pc/"_s, m_file.path, {}, false);
    if (!url.isValid() || m_localPath.isEmpty()) {
        fail();
        return;
    }
    QNetworkRequest request(url);
    const QString ua = DeviceInfoCenter::getHttpRequestUA();
    if (!ua.isEmpty())
        request.setRawHeader("UA", ua.toUtf8());
    m_part = std::make_shared<Part>();
    m_part->path = m_localPath + u".zephyr-part"_s;
    m_reply = m_nam->get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, [this] {
        const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status < 200 || status > 299) {
            // An error page is not the file; the end of the reply reports the failure.
            m_part->failed = true;
            m_reply->readAll();
            return;
        }
        const QByteArray chunk = m_reply->readAll();
        auto part = m_part;
        m_writeQueue->dispatch([this, part, chunk] {
            if (!part->file) {
                QDir().mkpath(QFileInfo(part->path).absolutePath());
                part->file = std::make_unique<QFile>(part->path);
                part->failed = !part->file->open(QIODevice::WriteOnly | QIODevice::Truncate);
            }
            if (!part->failed && part->file->write(chunk) != chunk.size())
                part->failed = true;
            part->written += chunk.size();
            QMetaObject::invokeMethod(this, [this, n = chunk.size()] {
                if (!m_done)
                    Q_EMIT receivedData(n);
            }, Qt::QueuedConnection);
        });
    });
    connect(m_reply, &QNetworkReply::finished, this, [this] {
        if (m_done)
            return;
        const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status < 200 || status > 299) {
            fail();
            return;
        }
        if (m_reply->error() != QNetworkReply::NoError) {
            fail();
            return;
        }
        finish();
    });
}

void OneFileHttp::finish()
{
    const QVariant announced = m_reply->header(QNetworkRequest::ContentLengthHeader);
    auto part = m_part;
    m_writeQueue->dispatch([this, part, announced] {
        if (part->file)
            part->file->close();
        part->file.reset();
        bool ok = !part->failed
            && (!announced.isValid() || announced.toLongLong() == part->written);
        if (ok) {
            if (!QFileInfo::exists(part->path))
                QFile(part->path).open(QIODevice::WriteOnly);
            QFile::remove(m_localPath);
            ok = QFile::rename(part->path, m_localPath);
        }
        if (ok)
            LocalFiles::setCreationDate(
                m_localPath, QDateTime::fromSecsSinceEpoch(qint64(m_file.last_modify), Qt::UTC));
        QMetaObject::invokeMethod(this, [this, ok] {
            if (m_done)
                return;
            if (!ok) {
                fail();
                return;
            }
            m_done = true;
            m_isSuccess = true;
            Q_EMIT downloadIsSuccess(true);
        }, Qt::QueuedConnection);
    });
}

void OneFileHttp::fail()
{
    if (m_done)
        return;
    m_done = true;
    if (m_reply)
        m_reply->abort();
    Q_EMIT downloadIsSuccess(false);
}

void OneFileHttp::stopDownload()
{
    m_done = true;
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

void OneFileHttp::deleteLocalFile()
{
    if (!m_localPath.isEmpty())
        QFile::remove(m_localPath);
}
