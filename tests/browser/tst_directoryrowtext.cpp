// The texts and icons of a PC listing's rows, with known answers.
#include "DirectoryRowText.h"

#include <QTest>

using namespace Qt::StringLiterals;

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
    void iconsByName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("icon");
        QTest::newRow("upper-case extension") << u"REPORT.DOCX"_s << u"file_doc.png"_s;
        QTest::newRow("last extension counts") << u"x.pdf.zip"_s << u"file_zip.png"_s;
        QTest::newRow("unknown") << u"x.tar.gz"_s << u"file_default.png"_s;
        QTest::newRow("no dot, whole name matches") << u"mp3"_s << u"file_music.png"_s;
        QTest::newRow("trailing dot") << u"notes."_s << u"file_default.png"_s;
        QTest::newRow("empty") << QString() << u"file_default.png"_s;
    }
    void iconsByName()
    {
        QFETCH(QString, name);
        QFETCH(QString, icon);
        QCOMPARE(DirectoryRowText::imageByFileName(name), icon);
        QCOMPARE(DirectoryRowText::iconOf(entry(FileObject::File, name)), icon);
    }

    void kindsAndIconsByType()
    {
        QCOMPARE(DirectoryRowText::kindOf(entry(FileObject::Folder, u"a.zip"_s)),
                 DirectoryRowText::Kind::Folder);
        QCOMPARE(DirectoryRowText::iconOf(entry(FileObject::Folder, u"a.zip"_s)),
                 u"file_folder.png"_s);
        QCOMPARE(DirectoryRowText::kindOf(entry(FileObject::DriveOther, u"E:"_s)),
                 DirectoryRowText::Kind::Drive);
        QCOMPARE(DirectoryRowText::iconOf(entry(FileObject::Drive, u"C:"_s)), QString());
        QCOMPARE(DirectoryRowText::kindOf(entry(4, u"x"_s)), DirectoryRowText::Kind::Other);
        QCOMPARE(DirectoryRowText::kindOf(entry(FileObject::File, u"a.txt"_s)),
                 DirectoryRowText::Kind::Document);
        QCOMPARE(DirectoryRowText::kindOf(entry(FileObject::File, u"a.bin"_s)),
                 DirectoryRowText::Kind::File);
    }

    void sizesAndDatesAtTheEdges()
    {
        // Drives show no size, whatever the PC sent.
        QCOMPARE(DirectoryRowText::sizeText(entry(FileObject::Drive, u"C:"_s, 4096)), QString());
        QCOMPARE(DirectoryRowText::dateText(entry(FileObject::File, u"a"_s, 0, 0)), QString());
        QVERIFY(
            DirectoryRowText::dateText(entry(FileObject::File, u"a"_s, 0, ~quint64(0))).isEmpty());
        QVERIFY(!DirectoryRowText::dateText(entry(FileObject::File, u"a"_s, 0, quint64(1) << 40))
                     .isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDirectoryRowText)
#include "tst_directoryrowtext.moc"
