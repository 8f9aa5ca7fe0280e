#include "FileKeychain.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

using namespace Qt::StringLiterals;

FileKeychain::FileKeychain(const QString &directory, QObject *parent)
    : Keychain(parent), m_directory(directory)
{
}

QString FileKeychain::itemPath(const QString &service) const
{
    // Hex keeps any service name a single, safe file name.
    return QDir(m_directory).filePath(QString::fromLatin1(service.toUtf8().toHex()) + u".item"_s);
}

bool FileKeychain::saveNow(const QString &service, const QByteArray &data)
{
    if (!QDir().mkpath(m_directory))
        return false;
    QFile::setPermissions(m_directory, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QSaveFile file(itemPath(service));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    file.write(data);
    return file.commit();
}

std::optional<QByteArray> FileKeychain::loadNow(const QString &service) const
{
    QFile file(itemPath(service));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

bool FileKeychain::removeNow(const QString &service)
{
    const QString path = itemPath(service);
    return !QFile::exists(path) || QFile::remove(path);
}

void FileKeychain::save(const QString &service, const QByteArray &data, QObject *receiver,
                        DoneHandler done)
{
    const bool ok = saveNow(service, data);
    if (done)
        answerLater(receiver, [done = std::move(done), ok] { done(ok); });
}

void FileKeychain::load(const QString &service, QObject *receiver, LoadHandler done)
{
    auto data = loadNow(service);
    if (done)
        answerLater(receiver, [done = std::move(done), data = std::move(data)] { done(data); });
}

void FileKeychain::remove(const QString &service, QObject *receiver, DoneHandler done)
{
    const bool ok = removeNow(service);
    if (done)
        answerLater(receiver, [done = std::move(done), ok] { done(ok); });
}
