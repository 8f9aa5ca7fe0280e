// Free space and the machine's name, as the Linux platform reads them.
#include "LinuxSystemInfo.h"

#include <QStorageInfo>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestLinuxSystemInfo : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void prettyHostname_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("name");
        QTest::newRow("double quotes")
            << QByteArray("PRETTY_HOSTNAME=\"Ann's phone\"\n") << u"Ann's phone"_s;
        QTest::newRow("single quotes") << QByteArray("ICON_NAME=computer\n"
                                                     "PRETTY_HOSTNAME='Lab \"A\"'\n")
                                       << u"Lab \"A\""_s;
        QTest::newRow("escapes, no quotes")
            << QByteArray("PRETTY_HOSTNAME=Desk\\ one\n") << u"Desk one"_s;
        QTest::newRow("UTF-8, spaces around")
            << QByteArray("  PRETTY_HOSTNAME=\"小明的电脑\"  \n") << u"小明的电脑"_s;
        QTest::newRow("comment after")
            << QByteArray("PRETTY_HOSTNAME=box # the spare one\n") << u"box"_s;
        // No name at all is "(none)".
        QTest::newRow("empty quotes") << QByteArray("PRETTY_HOSTNAME=\"\"\n") << u"(none)"_s;
        QTest::newRow("commented out")
            << QByteArray("# PRETTY_HOSTNAME=x\nHOSTNAME=y\n") << u"(none)"_s;
        QTest::newRow("binary") << QByteArray("\0\xff\n=", 4) << u"(none)"_s;
    }
    void prettyHostname()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, name);
        QCOMPARE(LinuxSystemInfo::parsePrettyHostname(text).value_or(u"(none)"_s), name);
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

QTEST_GUILESS_MAIN(TestLinuxSystemInfo)
#include "tst_linuxsysteminfo.moc"
