// The control channel's datagrams against known answers. Every datagram below was computed
// outside this code base, with Python's zlib.compress over the complemented bytes of the JSON
// text shown beside it. What the phone sends is read by the stand-in PC's own decoder in
// tst_controlcli.
#include "ControlDatagram.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {
QByteArray hex(const char *digits)
{
    return QByteArray::fromHex(digits);
}

// {"cm":1016,"dt":{"text":"x"}}
const char *const kGoodText = "789c6bb93b67d2dda3e7ce9f3b79f9eeeceebb475bee76cf6a07d277dbef36350100"
                              "38c5145d";
} // namespace

class TestControlDatagram : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void incomingMessages_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QVariantMap>("message");
        QTest::newRow("text, the broken ones below are made from")
            << hex(kGoodText)
            << QVariantMap{{u"cm"_s, 1016}, {u"dt"_s, QVariantMap{{u"text"_s, u"x"_s}}}};
        // {"cm":1016} NUL garbage: the text ends at the first zero.
        QTest::newRow("garbage after a zero")
            << hex("789c011300ecff84dd9c92ddc5cecfcec982ff989e8d9d9e989a86bb0d17")
            << QVariantMap{{u"cm"_s, 1016}};
        // {"t":"xxx...x"}: 20479 bytes of text fit the buffer with its terminating zero.
        QTest::newRow("the largest text")
            << hex("789cedc1410d0030080430ef0bc91ee842c6794105bfb695cee403000000000000000000000000"
                   "0000000000000057f2166e4d3382")
            << QVariantMap{{u"t"_s, QString(20471, u'x')}};
    }
    void incomingMessages()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(QVariantMap, message);
        QCOMPARE(ControlDatagram::decode(datagram).value_or(QVariantMap()), message);
    }

    void rejectsBrokenDatagrams_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        const QByteArray good = hex(kGoodText);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not zlib") << "hello world"_ba;
        QTest::newRow("truncated stream") << good.left(good.size() - 3);
        QByteArray badSum = good;
        badSum[badSum.size() - 1] = char(badSum[badSum.size() - 1] ^ 0x55);
        QTest::newRow("bad checksum") << badSum;
        // {"cm":1016} not complemented
        QTest::newRow("not complemented") << hex("789cab564ace55b232343034ab05001306030f");
        QTest::newRow("number") << hex("789c3b7d160002650199"); // 42
        QTest::newRow("broken json")
            << hex("789c6bb93b67d2dda3e7ce9f3b7919002f1f0839"); // {"cm":1016,
        // {"text":"\xc3\x28"}
        QTest::newRow("bad utf-8") << hex("789c6bb9db3dabbdfbeed1bb36d7ef3601003adc088a");
        QTest::newRow("zero first") << hex("789cfbdf7277cea4bb47cf350100218e0681"); // NUL {"cm":1}
        // {"t":"xxx...x"}, one byte more than the largest text: no room for the zero.
        QTest::newRow("a text too large")
            << hex("789cedc1410d0030080430ef0bc91ee842c6794105bfb695cee403000000000000000000000000"
                   "0000000000000067f216a2053409");
    }
    void rejectsBrokenDatagrams()
    {
        QFETCH(QByteArray, datagram);
        QVERIFY(!ControlDatagram::decode(datagram));
    }
};

QTEST_GUILESS_MAIN(TestControlDatagram)
#include "tst_controldatagram.moc"
