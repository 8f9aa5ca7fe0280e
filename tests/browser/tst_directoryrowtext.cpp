// The kinds and icons of a PC listing's rows and the edges of their sizes and dates, with known
// answers. The common rows go through the command line's listing test.
#include "DirectoryRowText.h"

#include <QTest>

using namespace Qt::StringLiterals;

using Kind = DirectoryRowText::Kind;

namespace {
FileObject entry(quint64 type, const QString &name, quint64 size = 0, quint64 time = 0)
{
    FileObject f;
    f.type = type;
    f.name = name;
    f.size = size;
    f.time = time;
    return f;
}
} // namespace

class TestDirectoryRowText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void kindsAndIcons_data()
    {
        QTest::addColumn<quint64>("type");
        QTest::addColumn<QString>("name");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("icon");
        const auto file = [](const char *row, const QString &name, Kind kind, const char *icon) {
            QTest::newRow(row) << quint64(FileObject::File) << name << kind
                               << QString::fromUtf8(icon);
        };
        file("upper-case extension", u"REPORT.DOCX"_s, Kind::Document, "file_doc.png");
        file("last extension counts", u"x.pdf.zip"_s, Kind::Archive, "file_zip.png");
        file("no dot, whole name matches", u"mp3"_s, Kind::Music, "file_music.png");
        file("trailing dot", u"notes."_s, Kind::File, "file_default.png");
        file("empty", QString(), Kind::File, "file_default.png");
        QTest::newRow("folder named as a file")
            << quint64(FileObject::Folder) << u"a.zip"_s << Kind::Folder << u"file_folder.png"_s;
        QTest::newRow("unknown type") << quint64(4) << u"x.txt"_s << Kind::Other << QString();
    }
    void kindsAndIcons()
    {
        QFETCH(quint64, type);
        QFETCH(QString, name);
        QTEST(DirectoryRowText::kindOf(entry(type, name)), "kind");
        QTEST(DirectoryRowText::iconOf(entry(type, name)), "icon");
    }

    void sizesAndDatesAtTheEdges()
    {
        // Drives show no size, whatever the PC sent; a date of 0 or out of range shows nothing.
        QCOMPARE(DirectoryRowText::sizeText(entry(FileObject::Drive, u"C:"_s, 4096)), QString());
        QCOMPARE(DirectoryRowText::dateText(entry(FileObject::File, u"a"_s, 0, 0)), QString());
        QCOMPARE(DirectoryRowText::dateText(entry(FileObject::File, u"a"_s, 0, ~quint64(0))),
                 QString());
        QVERIFY(!DirectoryRowText::dateText(entry(FileObject::File, u"a"_s, 0, quint64(1) << 40))
                     .isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDirectoryRowText)
#include "tst_directoryrowtext.moc"
