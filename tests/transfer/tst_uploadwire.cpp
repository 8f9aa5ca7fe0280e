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

    // 8 KiB fragments, the last one shorter.
    void fragments()
    {
        const QList<std::pair<qint64, QList<qint64>>> cases{
            {20000, {8192, 8192, 3616}},
            {16384, {8192, 8192}},
            {1, {1}},
            {0, {}},
            {qint64(3) << 30, QList<qint64>(393216, 8192)}};
        for (const auto &[size, lengths] : cases) {
            QList<qint64> got;
            for (qint64 i = 0; qint64 n = UploadWire::fragmentLength(size, i); ++i)
                got << n;
            QCOMPARE(got, lengths);
        }
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
