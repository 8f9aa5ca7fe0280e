#include "UploadWire.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestUploadWire : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Known answers: the identity is 0x00, the length 13, the complemented {"ua":"a;b;"}, then
    // 0x01; a file header is 0x02, the UTF-8 length of "C:/é", its complement, the low 32 bits of
    // the time and the size.
    void messages()
    {
        QCOMPARE(UploadWire::identity(u"a;b;"_s).toHex(), "000000000d84dd8a9eddc5dd9ec49dc4dd8201");
        QCOMPARE(UploadWire::fileHeader(u"C:/é"_s, 0x1'2345'6789LL, 20000).toHex(),
                 "0200000005bcc5d03c562345678900004e20");
        QCOMPARE(UploadWire::trailer(20000).toHex(), "00004e20");
        QCOMPARE(UploadWire::endMarker().toHex(), "04");
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
