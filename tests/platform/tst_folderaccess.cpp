// One process per folder, and whose folder a folder is, as the Linux platform tells them.
#include "LinuxFolderAccess.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {
bool setMode(const QString &path, mode_t mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

QByteArray lockFileText(const QString &folder)
{
    QFile f(QDir(folder).filePath(LinuxFolderAccess::lockFileName()));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TestFolderAccess : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void oneHolderAtATime()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"library"_s);
        LinuxFolderAccess access;
        FolderLockAttempt first = access.lock(folder);
        QVERIFY2(first.lock, qPrintable(first.error));
        QCOMPARE(lockFileText(folder), QByteArray::number(qint64(::getpid())) + '\n');

        // Every open of the lock file is a holder of its own, in this process as in another.
        const FolderLockAttempt second = access.lock(folder);
        QVERIFY(!second.lock);
        QVERIFY(second.inUse);
        QCOMPARE(second.holderPid, qint64(::getpid()));

        first.lock.reset();
        const FolderLockAttempt third = access.lock(folder);
        QVERIFY(third.lock);
    }

    // The lock file of a process that has ended, its id still in it, does not stand in the way.
    void lockOfAnEndedProcessIsTaken()
    {
        QTemporaryDir dir;
        QProcess ended;
        ended.start(u"true"_s);
        QVERIFY(ended.waitForStarted());
        const qint64 deadPid = ended.processId();
        QVERIFY(ended.waitForFinished());
        QFile stale(dir.filePath(LinuxFolderAccess::lockFileName()));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write(QByteArray::number(deadPid) + "\n");
        stale.close();

        LinuxFolderAccess access;
        const FolderLockAttempt attempt = access.lock(dir.path());
        QVERIFY2(attempt.lock, qPrintable(attempt.error));
        QCOMPARE(lockFileText(dir.path()), QByteArray::number(qint64(::getpid())) + '\n');
    }

    void folderThatCannotBeMadeIsAnError()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath(u"file"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        LinuxFolderAccess access;
        const FolderLockAttempt attempt = access.lock(dir.filePath(u"file/library"_s));
        QVERIFY(!attempt.lock);
        QVERIFY(!attempt.inUse);
        QVERIFY(!attempt.error.isEmpty());
    }

    void privateFolders_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("isPrivate");
        QTest::newRow("own, 0700") << u"0700"_s << true;
        QTest::newRow("own, 0755") << u"0755"_s << true;
        QTest::newRow("own, given with a trailing slash") << u"slash"_s << true;
        QTest::newRow("group may write") << u"0770"_s << false;
        QTest::newRow("others may write") << u"0757"_s << false;
        QTest::newRow("shared with the sticky bit, as /tmp") << u"1777"_s << false;
        QTest::newRow("a link to an own folder") << u"link"_s << false;
        QTest::newRow("a link, given with a trailing slash") << u"link/"_s << false;
        QTest::newRow("a file") << u"file"_s << false;
        QTest::newRow("missing") << u"missing"_s << false;
        QTest::newRow("another user's") << u"other"_s << false;
    }
    void privateFolders()
    {
        QFETCH(QString, kind);
        QFETCH(bool, isPrivate);
        QTemporaryDir dir;
        const QString own = dir.filePath(u"own"_s);
        QVERIFY(QDir().mkpath(own));
        QString path = own;
        QVERIFY(setMode(own, 0700));
        if (kind.size() == 4 && kind.front().isDigit()) {
            QVERIFY(setMode(own, mode_t(kind.toUInt(nullptr, 8))));
        } else if (kind == u"slash") {
            path = own + u'/';
        } else if (kind.startsWith(u"link")) {
            path = dir.filePath(u"link"_s);
            QVERIFY(QFile::link(own, path));
            if (kind.endsWith(u'/'))
                path += u'/';
        } else if (kind == u"file") {
            path = dir.filePath(u"file"_s);
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
        } else if (kind == u"missing") {
            path = dir.filePath(u"missing"_s);
        } else if (kind == u"other") {
            // As root, a folder given to nobody; otherwise the root folder, which is root's.
            if (::geteuid() == 0) {
                QCOMPARE(::chown(QFile::encodeName(own).constData(), 65534, 65534), 0);
            } else {
                path = u"/"_s;
            }
        }
        QCOMPARE(LinuxFolderAccess().isPrivateFolder(path), isPrivate);
    }
};

QTEST_GUILESS_MAIN(TestFolderAccess)
#include "tst_folderaccess.moc"
