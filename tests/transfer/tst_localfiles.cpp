// Local names for PC paths, and the addresses files are fetched from.
#include "LocalFiles.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestLocalFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void safePaths_data()
    {
        QTest::addColumn<QString>("pcPath");
        QTest::addColumn<QString>("expected"); // relative to the folder; "" = refused
        QTest::newRow("plain") << u"C:/a/b.txt"_s << u"C:/a/b.txt"_s;
        QTest::newRow("backslashes") << u"C:\\Users\\x\\b.txt"_s << u"C:/Users/x/b.txt"_s;
        QTest::newRow("absolute") << u"/etc/passwd"_s << u"etc/passwd"_s;
        QTest::newRow("dots and empties") << u".//a/./\\b"_s << u"a/b"_s;
        QTest::newRow("parent inside") << u"a/../../x"_s << QString();
        QTest::newRow("nothing") << u"/./"_s << QString();
        QTest::newRow("nul") << u"a\u0000b"_s << QString();
        QTest::newRow("dots in names") << u"...x/..y"_s << u"...x/..y"_s;
    }
    void safePaths()
    {
        QFETCH(QString, pcPath);
        QFETCH(QString, expected);
        const QString folder = u"/library/qt"_s;
        QCOMPARE(LocalFiles::safeLocalPath(folder, pcPath),
                 expected.isEmpty() ? QString() : folder + u'/' + expected);
    }

    // A "?", "#" or "%" in a PC path is escaped, so the PC is asked for the right file.
    void downloadAddresses()
    {
        QCOMPARE(LocalFiles::fileUrl(u"http://127.0.0.1:8000/"_s, u"pc/"_s,
                                     u"C:/my docs/a;b=c+d#1?%.txt"_s, u"x;y=z;"_s)
                     .toEncoded(),
                 "http://127.0.0.1:8000/pc/C:/my%20docs/a;b=c+d%231%3F%25.txt?UA=x;y=z;"_ba);
    }
};

QTEST_GUILESS_MAIN(TestLocalFiles)
#include "tst_localfiles.moc"
