// Whose folder a folder is, as the Linux platform tells it. One process per folder is tested
// through the command line (tst_cli_datafolder).
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
