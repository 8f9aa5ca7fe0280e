// Free space, as the Linux platform reads it.
#include "LinuxSystemInfo.h"

#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestLinuxSystemInfo : public QObject
{
    Q_OBJECT
private Q_SLOTS:
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

QTEST_GUILESS_MAIN(TestLinuxSystemInfo)
#include "tst_linuxsysteminfo.moc"
