#include "LocalFiles.h"

#include "AppCore.h"
#include "DeviceInfoCenter.h"
#include "RuntimeState.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <sys/xattr.h>

using namespace Qt::StringLiterals;

namespace {
constexpr char kCreatedAttribute[] = "user.zephyr.created";

// Characters that stay as they are in an address (the rest is percent-escaped).
const QByteArray kUrlLegal = "!$&'()*+,-./:;=?@_~#[]";
// Inside the PC path a "?" or "#" would end the path and a "%" would be read as an escape.
const QByteArray kPathLegal = "!$&'()*+,-./:;=@_~";

QString sideIndexPath(const QString &filePath)
{
    return QFileInfo(filePath).dir().filePath(QString::fromLatin1(LocalFiles::kSideIndexName));
}

QJsonObject readSideIndex(const QString &indexPath)
{
    QFile f(indexPath);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}
} // namespace

QString LocalFiles::safeLocalPath(const QString &folder, const QString &pcPath)
{
    if (folder.isEmpty())
        return {};
    QString out = folder;
    while (out.size() > 1 && out.endsWith(u'/'))
        out.chop(1);
    const qsizetype base = out.size();
    qsizetype start = 0;
    const qsizetype n = pcPath.size();
    while (start <= n) {
        qsizetype end = start;
        while (end < n && pcPath[end] != u'/' && pcPath[end] != u'\\')
            ++end;
        const QStringView part = QStringView(pcPath).mid(start, end - start);
        start = end + 1;
        if (part.isEmpty() || part == u".")
            continue;
        if (part == u".." || part.contains(QChar(0)))
            return {};
        out += u'/';
        out += part;
    }
    return out.size() == base ? QString() : out;
}

QUrl LocalFiles::fileUrl(const QString &api, const QString &prefix, const QString &pcPath,
                         const QString &ua, bool withUa)
{
    if (api.isEmpty())
        return {};
    QByteArray text = QUrl::toPercentEncoding(api + prefix, kUrlLegal);
    text += QUrl::toPercentEncoding(pcPath, kPathLegal);
    if (withUa)
        text += QUrl::toPercentEncoding(u"?UA="_s + ua, kUrlLegal);
    QUrl url = QUrl::fromEncoded(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty() || url.host().isEmpty())
        return {};
    return url;
}

QUrl LocalFiles::getDownloadFileUrlByPcPath(const QString &pcPath, const QString &ua)
{
    return fileUrl(RuntimeState::sharedInstance()->api(), u"pc/"_s, pcPath,
                   ua.isEmpty() ? DeviceInfoCenter::getHttpRequestUA() : ua);
}

QUrl LocalFiles::getCSMFileUrlByPcPath(const QString &pcPath, const QString &ua)
{
    return fileUrl(RuntimeState::sharedInstance()->api(), u"csm/"_s, pcPath,
                   ua.isEmpty() ? DeviceInfoCenter::getHttpRequestUA() : ua);
}

QString LocalFiles::partialFolder(const QString &library)
{
    return QDir(library).filePath(QString::fromLatin1(kPartialFolder));
}

QString LocalFiles::partialPath(const QString &library, const QString &finalPath)
{
    if (finalPath.isEmpty() || library.isEmpty())
        return {};
    const QByteArray hash =
        QCryptographicHash::hash(QDir::cleanPath(finalPath).toUtf8(), QCryptographicHash::Sha256);
    return partialFolder(library) + u'/' + QString::fromLatin1(hash.toHex()) + u".part"_s;
}

bool LocalFiles::isFileExist(const FileObject &file, const QString &folder)
{
    const QString base = folder.isEmpty() ? AppCore::current()->libraryPath(u"file"_s) : folder;
    const QString local = safeLocalPath(base, file.path);
    if (local.isEmpty())
        return false;
    const QFileInfo info(local);
    if (!info.exists() || !info.isFile())
        return false;
    const auto created = creationDate(local);
    if (quint64(info.size()) == file.size && created &&
        created->toMSecsSinceEpoch() == qint64(file.last_modify) * 1000)
        return true;
    QFile::remove(local);
    return false;
}

std::optional<QDateTime> LocalFiles::creationDate(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    char buf[64];
    const ssize_t n = ::getxattr(native.constData(), kCreatedAttribute, buf, sizeof(buf) - 1);
    if (n > 0) {
        bool ok = false;
        const qint64 ms = QByteArray(buf, n).toLongLong(&ok);
        if (ok)
            return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
    }
    const QJsonValue indexed = readSideIndex(sideIndexPath(path)).value(QFileInfo(path).fileName());
    if (indexed.isDouble())
        return QDateTime::fromMSecsSinceEpoch(qint64(indexed.toDouble()), Qt::UTC);
    const QDateTime birth = QFileInfo(path).birthTime();
    if (birth.isValid())
        return birth;
    return std::nullopt;
}

bool LocalFiles::setCreationDate(const QString &path, const QDateTime &date)
{
    if (!QFileInfo::exists(path) || !date.isValid())
        return false;
    const QByteArray value = QByteArray::number(date.toMSecsSinceEpoch());
    const QByteArray native = QFile::encodeName(path);
    if (::setxattr(native.constData(), kCreatedAttribute, value.constData(), size_t(value.size()),
                   0) == 0)
        return true;
    // The file system refuses user attributes (tmpfs of old kernels, some network mounts).
    const QString indexPath = sideIndexPath(path);
    QJsonObject index = readSideIndex(indexPath);
    index.insert(QFileInfo(path).fileName(), double(date.toMSecsSinceEpoch()));
    QSaveFile out(indexPath);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(QJsonDocument(index).toJson(QJsonDocument::Compact));
    return out.commit();
}
