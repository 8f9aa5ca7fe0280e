// Folders as the Linux platform sees them: whose they are and the room on them. One process per
// folder is tested through the command line (tst_cli_datafolder).
#include "LinuxFolderAccess.h"
#include "LinuxSystemInfo.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class TestFolderAccess : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void privateFolders_data()
    {
        QTest::addColumn<QString>("path"); // in a scratch folder with own/, link -> own/ and file
        QTest::addColumn<int>("mode");     // of own/
        QTest::addColumn<bool>("isPrivate");
        QTest::newRow("own, 0755") << u"own"_s << 0755 << true;
        QTest::newRow("group may write") << u"own"_s << 0770 << false;
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

    // A folder not made yet has the free space of the file system it would be made on. Other
    // writers share it: allow what they may write meanwhile.
    void freeBytesOfAFolderAndOfOneNotMadeYet()
    {
        QTemporaryDir dir;
        const qint64 free = QStorageInfo(dir.path()).bytesAvailable();
        QVERIFY(free > 0);
        for (const QString &path : {dir.path(), dir.filePath(u"not/made/yet"_s)})
            QVERIFY(qAbs(qint64(LinuxSystemInfo().freeBytes(path)) - free) < 64 * 1024 * 1024);
    }
};

QTEST_GUILESS_MAIN(TestFolderAccess)
#include "tst_folderaccess.moc"
