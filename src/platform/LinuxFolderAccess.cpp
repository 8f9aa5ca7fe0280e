#include "LinuxFolderAccess.h"

#include <QDir>
#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {
class LinuxFolderLock : public FolderLock
{
public:
    explicit LinuxFolderLock(int fd) : m_fd(fd) {}
    ~LinuxFolderLock() override { ::close(m_fd); }
    LinuxFolderLock(const LinuxFolderLock &) = delete;
    LinuxFolderLock &operator=(const LinuxFolderLock &) = delete;

private:
    int m_fd;
};

qint64 readPid(int fd)
{
    char text[32] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    if (n <= 0)
        return 0;
    bool ok = false;
    const qint64 pid = QByteArray(text, n).trimmed().toLongLong(&ok);
    return ok && pid > 0 ? pid : 0;
}
} // namespace

QString LinuxFolderAccess::lockFileName()
{
    return u"library.lock"_s;
}

FolderLockAttempt LinuxFolderAccess::lock(const QString &folder)
{
    FolderLockAttempt attempt;
    QDir().mkpath(folder);
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(lockFileName()));
    // Not inherited by programs the process starts, which could outlive it.
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        attempt.error = qt_error_string(errno);
        return attempt;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK) {
            attempt.inUse = true;
            attempt.holderPid = readPid(fd);
        } else {
            attempt.error = qt_error_string(error);
        }
        ::close(fd);
        return attempt;
    }
    // The id only names the holder to a process turned away; the lock itself is the flock.
    const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
    const bool named = ::ftruncate(fd, 0) == 0 &&
                       ::pwrite(fd, pid.constData(), size_t(pid.size()), 0) == pid.size();
    Q_UNUSED(named) // a full disk leaves the holder unnamed; the folder is held all the same
    attempt.lock = std::make_unique<LinuxFolderLock>(fd);
    return attempt;
}

bool LinuxFolderAccess::isPrivateFolder(const QString &folder) const
{
    // Without a trailing "/", which would make lstat follow a link.
    const QString clean = QDir::cleanPath(folder);
    if (clean.isEmpty())
        return false;
    struct stat st
    {
    };
    if (::lstat(QFile::encodeName(clean).constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}
