#include "ControlDatagram.h"
#include "DatagramFixtures.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;
using Fixtures::datagramOf;
using Fixtures::textOf;

class TestControlDatagram : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void outgoingMessages_data();
    void outgoingMessages();
    void volumeIsTruncatedAndBounded();
    void messagesTooLargeAreRefused();
    void decodesHandWrittenDatagrams();
    void rejectsBrokenDatagrams_data();
    void rejectsBrokenDatagrams();
    void inflationLimit();
    void machineId();
};

void TestControlDatagram::outgoingMessages_data()
{
    QTest::addColumn<QVariantMap>("message");
    QTest::addColumn<QByteArray>("text");
    const QString ua = u"iPhone;1;6;p;10.0.0.2;8360;MID;tok;"_s;
    QTest::newRow("echo") << ControlDatagram::echo(ua)
                          << R"({"cm":1000,"ua":"iPhone;1;6;p;10.0.0.2;8360;MID;tok;"})"_ba;
    QTest::newRow("text") << ControlDatagram::text(u""_s, u"你好 \"x\""_s)
                          << R"({"cm":1016,"dt":{"text":"你好 \"x\""},"ua":""})"_ba;
    QTest::newRow("motion") << ControlDatagram::mouse(u""_s, ControlDatagram::MouseMove,
                                                      ControlDatagram::motionData(1.5, -2))
                            << R"({"cm":2010,"dt":{"action":1,)"
                               R"("data":"1.500000 -2.000000"},"ua":""})"_ba;
    QTest::newRow("double click")
        << ControlDatagram::mouse(u""_s, ControlDatagram::DoubleClick, {})
        << R"({"cm":2010,"dt":{"action":4102,"data":""},"ua":""})"_ba;
    QTest::newRow("key") << ControlDatagram::keyboard(u""_s, ControlDatagram::KeyPress,
                                                      ControlDatagram::KeyStart, 0)
                         << R"({"cm":2011,"dt":{"action":4,"ext":0,"key":91},"ua":""})"_ba;
    QTest::newRow("volume") << *ControlDatagram::volume(u""_s, 37.9)
                            << R"({"cm":2012,"dt":{"volum":37},"ua":""})"_ba;
}

void TestControlDatagram::outgoingMessages()
{
    QFETCH(QVariantMap, message);
    QFETCH(QByteArray, text);
    const auto datagram = ControlDatagram::encode(message);
    QVERIFY(datagram);
    QCOMPARE(textOf(*datagram), text);
    // Byte for byte what zlib's one-shot compression at the default level gives.
    QCOMPARE(*datagram, datagramOf(text));
}

void TestControlDatagram::volumeIsTruncatedAndBounded()
{
    const auto volum = [](double v) {
        const auto m = ControlDatagram::volume(u""_s, v);
        return m ? m->value(u"dt"_s).toMap().value(u"volum"_s).toInt() : -1;
    };
    QCOMPARE(volum(99.99), 99);
    QCOMPARE(volum(0.7), 0);
    QCOMPARE(volum(-3), 0);
    QCOMPARE(volum(250), 100);
    QVERIFY(!ControlDatagram::volume(u""_s, std::nan("")));
}

void TestControlDatagram::messagesTooLargeAreRefused()
{
    // Random letters hardly compress: 24 KB of them cannot fit in 8192 bytes.
    QString noise;
    auto *rng = QRandomGenerator::global();
    for (int i = 0; i < 24000; ++i)
        noise += QChar(char16_t(u'A' + rng->bounded(58)));
    QVERIFY(!ControlDatagram::encode(ControlDatagram::text(u""_s, noise)));
    // A long but repetitive text compresses well and goes out whole.
    const QString repeated(100000, u'x');
    const auto datagram = ControlDatagram::encode(ControlDatagram::text(u""_s, repeated));
    QVERIFY(datagram);
    QVERIFY(datagram->size() <= ControlDatagram::MaxOutgoing);
    QVERIFY(textOf(*datagram).contains(repeated.toLatin1()));
}

void TestControlDatagram::decodesHandWrittenDatagrams()
{
    const auto push = ControlDatagram::decode(datagramOf(
        R"({"cm":1015,"ua":"PC;3;W;n;1.2.3.4;8360;ABC;;",)"
        R"("dt":{"path":"C:/a b.txt","size":20000}})"));
    QVERIFY(push);
    QCOMPARE(push->value(u"cm"_s).toInt(), 1015);
    QCOMPARE(push->value(u"dt"_s).toMap().value(u"path"_s).toString(), u"C:/a b.txt"_s);
    QCOMPARE(push->value(u"dt"_s).toMap().value(u"size"_s).toLongLong(), 20000);

    // The text ends at the first byte that inverts to zero.
    const auto cut = ControlDatagram::decode(datagramOf("{\"cm\":1016}\0garbage"_ba));
    QVERIFY(cut);
    QCOMPARE(cut->value(u"cm"_s).toInt(), 1016);

    // Any compression level inflates alike.
    QVERIFY(ControlDatagram::decode(datagramOf(R"({"cm":1014})", 9)));
    QVERIFY(ControlDatagram::decode(datagramOf(R"({"cm":1014})", 0)));
}

void TestControlDatagram::rejectsBrokenDatagrams_data()
{
    QTest::addColumn<QByteArray>("datagram");
    const QByteArray good = datagramOf(R"({"cm":1016,"dt":{"text":"x"}})");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not zlib") << "hello world"_ba;
    QTest::newRow("truncated stream") << good.left(good.size() - 3);
    QByteArray badSum = good;
    badSum[badSum.size() - 1] = char(badSum[badSum.size() - 1] ^ 0x55);
    QTest::newRow("bad checksum") << badSum;
    QTest::newRow("not complemented") << datagramOf(Fixtures::complement(R"({"cm":1016})"_ba));
    QTest::newRow("array") << datagramOf(R"([1,2,3])");
    QTest::newRow("number") << datagramOf("42");
    QTest::newRow("broken json") << datagramOf(R"({"cm":1016,)");
    QTest::newRow("bad utf-8") << datagramOf("{\"text\":\"\xc3\x28\"}"_ba);
    QTest::newRow("zero first") << datagramOf("\0{\"cm\":1}"_ba);
}

void TestControlDatagram::rejectsBrokenDatagrams()
{
    QFETCH(QByteArray, datagram);
    QVERIFY(!ControlDatagram::decode(datagram));
}

void TestControlDatagram::inflationLimit()
{
    // {"t":"xxx...x"} is 8 bytes of frame around the padding.
    const auto textOfLength = [](qsizetype n) {
        return "{\"t\":\""_ba + QByteArray(n - 8, 'x') + "\"}"_ba;
    };
    QVERIFY(ControlDatagram::decode(datagramOf(textOfLength(20479))));
    QVERIFY(!ControlDatagram::decode(datagramOf(textOfLength(20480))));
    QVERIFY(!ControlDatagram::decode(datagramOf(textOfLength(1 << 20))));
}

void TestControlDatagram::machineId()
{
    QCOMPARE(ControlDatagram::machineIdOf(u"a;b;c;d;e;f;MID;tok;"_s), u"MID"_s);
    QCOMPARE(ControlDatagram::machineIdOf(u"a;b;c;d;e;f;MID"_s), u"MID"_s);
    QCOMPARE(ControlDatagram::machineIdOf(u"a;b;c;d;e;f"_s), std::nullopt);
    QCOMPARE(ControlDatagram::machineIdOf(QString()), std::nullopt);
}

QTEST_GUILESS_MAIN(TestControlDatagram)
#include "tst_controldatagram.moc"
