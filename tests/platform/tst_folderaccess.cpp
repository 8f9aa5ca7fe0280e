// One process per folder, and whose folder a folder is, as the Linux platform tells them. Another
// process holding the folder, and a lock left by one that ended, are tested through the command
// line (tst_cli_datafolder).
#include "LinuxFolderAccess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class TestFolderAccess : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Every open of the lock file is a holder of its own, in this process as in another; a
    // folder that cannot be made is an error, not a folder in use.
    void oneHolderAtATime()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"library"_s);
        LinuxFolderAccess access;
        FolderLockAttempt first = access.lock(folder);
        QVERIFY2(first.lock, qPrintable(first.error));
        const FolderLockAttempt second = access.lock(folder);
        QVERIFY(!second.lock && second.inUse);
        QCOMPARE(second.holderPid, qint64(::getpid()));
        first.lock.reset();
        QVERIFY(access.lock(folder).lock);

        QVERIFY(QFile(dir.filePath(u"file"_s)).open(QIODevice::WriteOnly));
        const FolderLockAttempt blocked = access.lock(dir.filePath(u"file/library"_s));
        QVERIFY(!blocked.lock && !blocked.inUse && !blocked.error.isEmpty());
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
        // As root, own/ given to nobody; otherwise the root folder, which is root's.
        QTest::newRow("another user's") << u"/"_s << 0700 << false;
    }
    void privateFolders()
    {
        QFETCH(QString, path);
        QFETCH(int, mode);
        QFETCH(bool, isPrivate);
        QTemporaryDir dir;
        const QString own = dir.filePath(u"own"_s);
        QVERIFY(QDir().mkpath(own));
        QCOMPARE(::chmod(QFile::encodeName(own).constData(), mode_t(mode)), 0);
        QVERIFY(QFile::link(own, dir.filePath(u"link"_s)));
        QVERIFY(QFile(dir.filePath(u"file"_s)).open(QIODevice::WriteOnly));
        if (path == u"/" && ::geteuid() == 0) {
            QCOMPARE(::chown(QFile::encodeName(own).constData(), 65534, 65534), 0);
            path = u"own"_s;
        }
        QCOMPARE(LinuxFolderAccess().isPrivateFolder(dir.filePath(path)), isPrivate);
    }
};

QTEST_GUILESS_MAIN(TestFolderAccess)
#include "tst_folderaccess.moc"
