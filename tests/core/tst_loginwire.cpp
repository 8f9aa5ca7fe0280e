// The login channel's frames against byte fixtures written out by hand (and checked with
// Python) from the wire tables; the readers of decoded replies against JSON texts.
#include "JsonUtils.h"
#include "LoginWire.h"
#include "RuntimeState.h"

#include <QTest>
#include <QtEndian>

using namespace Qt::StringLiterals;

namespace {
QVariant json(const char *text)
{
    return JsonUtils::dataToDictionary(text);
}

// {"cm":1010} is 11 bytes: 00 00 00 0B, then the complement of each byte.
const QByteArray kLoginReply = QByteArray::fromHex("0000000b84dd9c92ddc5cecfcecf82");
} // namespace

class TestLoginWire : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void requestFrames()
    {
        // 0x01, the big-endian length, the complemented compact JSON with its keys in order.
        QCOMPARE(LoginWire::encodeRequest(1010, u"a;b;"_s).toHex(),
                 "010000001784dd9c92ddc5cecfcecfd3dd8a9eddc5dd9ec49dc4dd82");
        QCOMPARE(LoginWire::encodeRequest(1013, {}).toHex(),
                 "010000001384dd9c92ddc5cecfceccd3dd8a9eddc5dddd82");
        // The length counts UTF-8 bytes, not characters.
        QCOMPARE(LoginWire::encodeRequest(1010, u"我"_s).toHex(),
                 "010000001684dd9c92ddc5cecfcecfd3dd8a9eddc5dd19776edd82");
    }

    void replyFrames()
    {
        const auto value = LoginWire::decodeReply(kLoginReply);
        QVERIFY(value);
        QCOMPARE(value->toMap().value(u"cm"_s).toInt(), 1010);
        // Bytes after the declared payload are ignored.
        QVERIFY(LoginWire::decodeReply(kLoginReply + "trailing"));
        // [1010] decodes; it is just not a login reply.
        const auto array = LoginWire::decodeReply(QByteArray::fromHex("00000006a4cecfcecfa2"));
        QVERIFY(array);
        QVERIFY(!LoginWire::readLoginReply(*array));
    }

    void brokenReplyFrames()
    {
        // Nothing, an empty payload, one byte that is not JSON, a cut-off reply (never read past
        // its end), an absurd length, and <html>.
        for (const QByteArray &bytes :
             {QByteArray(), QByteArray::fromHex("00000000"), QByteArray::fromHex("0000000084"),
              kLoginReply.left(9), QByteArray::fromHex("FFFFFFFF84"),
              QByteArray::fromHex("00000006c3978b9293c1")})
            QVERIFY2(!LoginWire::decodeReply(bytes), bytes.toHex().constData());
    }

    // A whole frame of a JSON text is taken up to the cap and refused beyond it.
    void replyLengthCap()
    {
        auto frameOfText = [](quint32 length) {
            QByteArray json(qsizetype(length), 'x');
            json.front() = '"';
            json.back() = '"';
            QByteArray frame(4, '\0');
            qToBigEndian<quint32>(length, frame.data());
            for (const char c : json)
                frame += char(~c);
            return frame;
        };
        QVERIFY(LoginWire::decodeReply(frameOfText(LoginWire::MaxReplyLength)));
        QVERIFY(!LoginWire::decodeReply(frameOfText(LoginWire::MaxReplyLength + 1)));
        QCOMPARE(LoginWire::declaredLength(QByteArray::fromHex("fffffff0")), 0xFFFFFFF0u);
        QVERIFY(!LoginWire::declaredLength(QByteArray::fromHex("ffffff")));
    }

    void loginReplyFields()
    {
        const auto facts = LoginWire::readLoginReply(
            json(R"({"cm":1010,"dt":{"api":"http://10.0.0.1:80/x","tcp_port":70000,)"
                 R"("lumo_ver":"3.1","type":0,"enable":1,"wifi":{"expenses":2.5,)"
                 R"("traffic":{"total":5000000000},"client":3}}})"));
        QVERIFY(facts);
        QCOMPARE(facts->api.value_or(QString()), u"http://10.0.0.1:80/x"_s);
        QCOMPARE(facts->tcpPort, quint16(4464)); // 70000 kept to 16 bits
        QCOMPARE(facts->lumoVersion.value_or(QString()), u"3.1"_s);
        QCOMPARE(facts->expenses.value_or(0), 2.5);
        QCOMPARE(facts->traffic, Q_INT64_C(5000000000));
        QCOMPARE(facts->clientCount, 3);
        QCOMPARE(facts->type, 0);
        QCOMPARE(facts->enable, 1);
    }

    void sparseAndWrongLoginReplies()
    {
        const auto sparse =
            LoginWire::readLoginReply(json(R"({"cm":1010,"dt":{"api":"","wifi":[]}})"));
        QVERIFY(sparse);
        QVERIFY(!sparse->api && !sparse->lumoVersion && !sparse->expenses);
        QCOMPARE(sparse->enable, 0);

        for (const char *bad : {R"({"cm":1011,"dt":{}})", R"({"cm":1010})", R"({"cm":1010,"dt":5})",
                                R"({"cm":"x","dt":{}})"})
            QVERIFY2(!LoginWire::readLoginReply(json(bad)), bad);
    }

    void verdicts()
    {
        QCOMPARE(LoginWire::loginVerdict(-1, -1), quint64(AppStatusNotLoggedIn));
        QCOMPARE(LoginWire::loginVerdict(6, 1), quint64(AppStatusBlacklisted));
        QCOMPARE(LoginWire::loginVerdict(2, 7), quint64(AppStatusLoggedIn));
        QCOMPARE(LoginWire::loginVerdict(8, 1), quint64(AppStatusNotLoggedIn));
    }

    void authReplyFields()
    {
        const auto facts = LoginWire::readAuthReply(
            json(R"({"cm":1013,"dt":{"ret":1},"ua":"PC;3;W;n;1.2.3.4;8360;MID7;)"
                 R"(0123456789abcdef0123456789abcdef;"})"));
        QCOMPARE(facts.cm, 1013);
        QCOMPARE(facts.ret, 1);
        QCOMPARE(facts.serverMid.value_or(QString()), u"MID7"_s);
        QCOMPARE(facts.token.value_or(QString()), u"0123456789abcdef0123456789abcdef"_s);

        // An action answer carries its action as the result, and no token.
        const auto action = LoginWire::readAuthReply(
            json(R"({"cm":1014,"dt":{"action":3,"ret":1},"ua":"a;b;c;d;e;f;M;;"})"));
        QCOMPARE(action.ret, 3);
        QCOMPARE(action.serverMid.value_or(QString()), u"M"_s);
        QVERIFY(!action.token);

        const auto other = LoginWire::readAuthReply(json(R"({"cm":7,"dt":{"ret":1},"ua":"a;b"})"));
        QCOMPARE(other.ret, -1);
        QVERIFY(!other.serverMid && !other.token);

        const auto missing = LoginWire::readAuthReply(std::nullopt);
        QCOMPARE(missing.cm, 0);
        QCOMPARE(missing.ret, 0);
    }
};

QTEST_GUILESS_MAIN(TestLoginWire)
#include "tst_loginwire.moc"
