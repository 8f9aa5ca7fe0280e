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
        QTest::newRow("archive") << u"a.rar"_s << u"file_zip.png"_s;
        QTest::newRow("upper-case extension") << u"REPORT.DOCX"_s << u"file_doc.png"_s;
        QTest::newRow("last extension counts") << u"x.pdf.zip"_s << u"file_zip.png"_s;
        QTest::newRow("m4a is a video") << u"song.m4a"_s << u"file_video.png"_s;
        QTest::newRow("image") << u"p.Jpeg"_s << u"file_image.png"_s;
        QTest::newRow("unknown") << u"x.tar.gz"_s << u"file_default.png"_s;
        QTest::newRow("no dot") << u"README"_s << u"file_default.png"_s;
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

    void sizesAndDates()
    {
        QCOMPARE(DirectoryRowText::sizeText(entry(FileObject::File, u"a"_s, 1500000)), u"1.5MB"_s);
        QCOMPARE(DirectoryRowText::sizeText(entry(FileObject::File, u"a"_s, 0)), u"0B"_s);
        // Folders and drives show no size, whatever the PC sent.
        QCOMPARE(DirectoryRowText::sizeText(entry(FileObject::Folder, u"a"_s, 4096)), QString());
        QCOMPARE(DirectoryRowText::sizeText(entry(FileObject::Drive, u"C:"_s, 4096)), QString());

        // The tests run in UTC.
        QCOMPARE(DirectoryRowText::dateText(entry(FileObject::File, u"a"_s, 0, 1700000000)),
                 u"2023-11-14 22:13"_s);
        QCOMPARE(DirectoryRowText::dateText(entry(FileObject::File, u"a"_s, 0, 0)), QString());
        QVERIFY(
            DirectoryRowText::dateText(entry(FileObject::File, u"a"_s, 0, ~quint64(0))).isEmpty());
        QVERIFY(!DirectoryRowText::dateText(entry(FileObject::File, u"a"_s, 0, quint64(1) << 40))
                     .isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDirectoryRowText)
#include "tst_directoryrowtext.moc"
