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

bool writeFile(const QString &path, const QByteArray &content = {})
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
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
        QVERIFY(writeFile(dir.filePath(LinuxFolderAccess::lockFileName()),
                          QByteArray::number(deadPid) + "\n"));
        const FolderLockAttempt attempt = LinuxFolderAccess().lock(dir.path());
        QVERIFY2(attempt.lock, qPrintable(attempt.error));
        QCOMPARE(lockFileText(dir.path()), QByteArray::number(qint64(::getpid())) + '\n');
    }

    void folderThatCannotBeMadeIsAnError()
    {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(u"file"_s)));
        const FolderLockAttempt attempt = LinuxFolderAccess().lock(dir.filePath(u"file/library"_s));
        QVERIFY(!attempt.lock && !attempt.inUse);
        QVERIFY(!attempt.error.isEmpty());
    }

    void privateFolders_data()
    {
        QTest::addColumn<QString>("path"); // in a scratch folder with own/, link -> own/ and file
        QTest::addColumn<int>("mode");     // of own/
        QTest::addColumn<bool>("isPrivate");
        QTest::newRow("own, 0755") << u"own"_s << 0755 << true;
        QTest::newRow("own, given with a trailing slash") << u"own/"_s << 0700 << true;
        QTest::newRow("group may write") << u"own"_s << 0770 << false;
        QTest::newRow("others may write") << u"own"_s << 0757 << false;
        QTest::newRow("shared with the sticky bit, as /tmp") << u"own"_s << 01777 << false;
        QTest::newRow("a link to an own folder") << u"link"_s << 0700 << false;
        QTest::newRow("a link, given with a trailing slash") << u"link/"_s << 0700 << false;
        QTest::newRow("a file") << u"file"_s << 0700 << false;
        QTest::newRow("missing") << u"missing"_s << 0700 << false;
    }
    void privateFolders()
    {
        QFETCH(QString, path);
        QFETCH(int, mode);
        QFETCH(bool, isPrivate);
        QTemporaryDir dir;
        const QString own = dir.filePath(u"own"_s);
        QVERIFY(QDir().mkpath(own));
        QVERIFY(setMode(own, mode_t(mode)));
        QVERIFY(QFile::link(own, dir.filePath(u"link"_s)));
        QVERIFY(writeFile(dir.filePath(u"file"_s)));
        QCOMPARE(LinuxFolderAccess().isPrivateFolder(dir.filePath(path)), isPrivate);
    }

    // As root, a folder given to nobody; otherwise the root folder, which is root's.
    void anotherUsersFolderIsNotPrivate()
    {
        QTemporaryDir dir;
        QString path = u"/"_s;
        if (::geteuid() == 0) {
            path = dir.path();
            QCOMPARE(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
        }
        QVERIFY(!LinuxFolderAccess().isPrivateFolder(path));
    }
};

QTEST_GUILESS_MAIN(TestFolderAccess)
#include "tst_folderaccess.moc"
