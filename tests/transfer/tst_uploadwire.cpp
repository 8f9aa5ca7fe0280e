#include "UploadWire.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestUploadWire : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void identityMessage()
    {
        // 0x00, the length 13, the complemented {"ua":"a;b;"}, then 0x01.
        QCOMPARE(UploadWire::identity(u"a;b;"_s).toHex(), "000000000d84dd8a9eddc5dd9ec49dc4dd8201");
    }

    void fileHeaderAndTrailer()
    {
        // 0x02, the UTF-8 length of "C:/é", its complement, the low 32 bits of the time, the size.
        QCOMPARE(UploadWire::fileHeader(u"C:/é"_s, 0x1'2345'6789LL, 20000).toHex(),
                 "0200000005bcc5d03c562345678900004e20");
        QCOMPARE(UploadWire::trailer(20000).toHex(), "00004e20");
        QCOMPARE(UploadWire::trailer(0).toHex(), "00000000");
        QCOMPARE(UploadWire::endMarker().toHex(), "04");
    }

    void fragments_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QList<qint64>>("lengths");
        QTest::newRow("20000") << qint64(20000) << QList<qint64>{8192, 8192, 3616};
        QTest::newRow("16384") << qint64(16384) << QList<qint64>{8192, 8192};
        QTest::newRow("1") << qint64(1) << QList<qint64>{1};
        QTest::newRow("empty") << qint64(0) << QList<qint64>{};
        QTest::newRow("3 GiB") << (qint64(3) << 30) << QList<qint64>(393216, 8192);
    }

    void fragments()
    {
        QFETCH(qint64, size);
        QFETCH(QList<qint64>, lengths);
        QList<qint64> got;
        for (qint64 i = 0; qint64 n = UploadWire::fragmentLength(size, i); ++i)
            got << n;
        QCOMPARE(got, lengths);
    }

    void replies()
    {
        QCOMPARE(UploadWire::replySize("\x00\x00\x4e\x20"_ba), 20000u);
        QCOMPARE(UploadWire::replySize("\xff\xff\xff\xff"_ba), 0xffffffffu);
        QCOMPARE(UploadWire::replySize("\x00\x00\x4e\x20\x00"_ba), 0u);
        QCOMPARE(UploadWire::replySize("\x4e\x20"_ba), 0u);
        QCOMPARE(UploadWire::replySize({}), 0u);
    }
};

QTEST_GUILESS_MAIN(TestUploadWire)
#include "tst_uploadwire.moc"
