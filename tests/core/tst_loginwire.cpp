// The login channel's frames against byte fixtures written from the wire tables.
#include "LoginWire.h"
#include "RuntimeState.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
QByteArray complemented(QByteArray bytes)
{
    for (char &c : bytes)
        c = char(~uchar(c));
    return bytes;
}

// Reply frame: 4-byte big-endian length, then the complemented JSON text.
QByteArray replyFrame(const QByteArray &json)
{
    const auto n = quint32(json.size());
    QByteArray head;
    head.append(char(n >> 24)).append(char(n >> 16)).append(char(n >> 8)).append(char(n));
    return head + complemented(json);
}
} // namespace

class TestLoginWire : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void requestFrame()
    {
        const QString ua = u"iPhone;100;7.1;My+phone;192.168.23.45;8360;0123;;"_s;
        const QByteArray frame = LoginWire::encodeRequest(1010, ua);
        QCOMPARE(quint8(frame.at(0)), quint8(0x01));
        const QByteArray payload = frame.mid(5);
        // {"cm":1010,"ua":"..."} compact: 19 bytes of syntax and number, plus the UA.
        const quint32 expected = quint32(19 + ua.size());
        QCOMPARE(frame.mid(1, 4), QByteArray::fromHex(QByteArray::number(expected, 16)
                                                          .rightJustified(8, '0')));
        QCOMPARE(quint32(payload.size()), expected);
        const QByteArray json = complemented(payload);
        QVERIFY(!json.contains(' '));
        const QJsonObject o = QJsonDocument::fromJson(json).object();
        QCOMPARE(o.size(), 2);
        QCOMPARE(o.value(u"cm"_s).toInt(), 1010);
        QCOMPARE(o.value(u"ua"_s).toString(), ua);
        const QJsonObject auth =
            QJsonDocument::fromJson(complemented(LoginWire::encodeRequest(1013, {}).mid(5)))
                .object();
        QCOMPARE(auth.value(u"cm"_s).toInt(), 1013);
    }

    void replyFixtures()
    {
        // {"cm":1010} is 11 bytes: 00 00 00 0B, then the complement of each byte.
        const QByteArray handMade = QByteArray::fromHex("0000000B") +
                                    QByteArray::fromHex("84DD9C92DDC5CECFCECF82");
        const auto value = LoginWire::decodeReply(handMade);
        QVERIFY(value);
        QCOMPARE(value->toMap().value(u"cm"_s).toInt(), 1010);
        // Bytes after the declared payload are ignored.
        QVERIFY(LoginWire::decodeReply(handMade + "trailing"));

        QVERIFY(!LoginWire::decodeReply({}));
        QVERIFY(!LoginWire::decodeReply(QByteArray::fromHex("00000000")));
        QVERIFY(!LoginWire::decodeReply(QByteArray::fromHex("0000000084")));
        // Declared length beyond what arrived: a cut-off reply, not read past its end.
        QVERIFY(!LoginWire::decodeReply(handMade.left(9)));
        QVERIFY(!LoginWire::decodeReply(QByteArray::fromHex("FFFFFFFF84")));
        // Not JSON, and JSON of another kind.
        QVERIFY(!LoginWire::decodeReply(replyFrame("<html>")));
        const auto array = LoginWire::decodeReply(replyFrame("[1010]"));
        QVERIFY(array);
        QVERIFY(!LoginWire::readLoginReply(*array));
    }

    void loginReplyFields()
    {
        const auto reply = LoginWire::decodeReply(replyFrame(
            R"({"cm":1010,"dt":{"api":"http://10.0.0.1:80/x","tcp_port":70000,"lumo_ver":"3.1",)"
            R"("type":0,"enable":1,"wifi":{"expenses":2.5,"traffic":{"total":5000000000},)"
            R"("client":3}}})"));
        QVERIFY(reply);
        const auto facts = LoginWire::readLoginReply(*reply);
        QVERIFY(facts);
        QCOMPARE(facts->api.value_or(QString()), u"http://10.0.0.1:80/x"_s);
        QCOMPARE(facts->tcpPort, quint16(70000 & 0xffff));
        QCOMPARE(facts->lumoVersion.value_or(QString()), u"3.1"_s);
        QCOMPARE(facts->expenses.value_or(0), 2.5);
        QCOMPARE(facts->traffic, Q_INT64_C(5000000000));
        QCOMPARE(facts->clientCount, 3);
        QCOMPARE(facts->type, 0);
        QCOMPARE(facts->enable, 1);

        const auto sparse = LoginWire::readLoginReply(
            *LoginWire::decodeReply(replyFrame(R"({"cm":1010,"dt":{"api":"","wifi":[]}})")));
        QVERIFY(sparse);
        QVERIFY(!sparse->api && !sparse->lumoVersion && !sparse->expenses);
        QCOMPARE(sparse->enable, 0);

        for (const char *bad : {R"({"cm":1011,"dt":{}})", R"({"cm":1010})",
                                R"({"cm":1010,"dt":5})", R"({"cm":"x","dt":{}})"})
            QVERIFY2(!LoginWire::readLoginReply(*LoginWire::decodeReply(replyFrame(bad))), bad);
    }

    void verdicts()
    {
        QCOMPARE(LoginWire::loginVerdict(-1, -1), quint64(AppStatusNotLoggedIn));
        QCOMPARE(LoginWire::loginVerdict(1, -1), quint64(AppStatusNotLoggedIn));
        QCOMPARE(LoginWire::loginVerdict(4, 0), quint64(AppStatusRemoteDisabled));
        QCOMPARE(LoginWire::loginVerdict(4, 1), quint64(AppStatusBlacklisted));
        QCOMPARE(LoginWire::loginVerdict(6, 1), quint64(AppStatusBlacklisted));
        QCOMPARE(LoginWire::loginVerdict(0, 1), quint64(AppStatusLoggedIn));
        QCOMPARE(LoginWire::loginVerdict(1, 1), quint64(AppStatusLoggedIn));
        QCOMPARE(LoginWire::loginVerdict(2, 7), quint64(AppStatusLoggedIn));
        QCOMPARE(LoginWire::loginVerdict(8, 1), quint64(AppStatusNotLoggedIn));
        QVERIFY(LoginWire::isAuthorised(1013, 1));
        QVERIFY(!LoginWire::isAuthorised(1013, 0));
        QVERIFY(!LoginWire::isAuthorised(1014, 1));
    }

    void authReplyFields()
    {
        const auto facts = LoginWire::readAuthReply(LoginWire::decodeReply(replyFrame(
            R"({"cm":1013,"dt":{"ret":1},"ua":"PC;3;W;n;1.2.3.4;8360;MID7;)"
            R"(0123456789abcdef0123456789abcdef;"})")));
        QCOMPARE(facts.cm, 1013);
        QCOMPARE(facts.ret, 1);
        QCOMPARE(facts.serverMid.value_or(QString()), u"MID7"_s);
        QCOMPARE(facts.token.value_or(QString()), u"0123456789abcdef0123456789abcdef"_s);

        const auto action = LoginWire::readAuthReply(LoginWire::decodeReply(
            replyFrame(R"({"cm":1014,"dt":{"action":3,"ret":1},"ua":"a;b;c;d;e;f;M;;"})")));
        QCOMPARE(action.cm, 1014);
        QCOMPARE(action.ret, 3);
        QCOMPARE(action.serverMid.value_or(QString()), u"M"_s);
        QVERIFY(!action.token);

        const auto other = LoginWire::readAuthReply(
            LoginWire::decodeReply(replyFrame(R"({"cm":7,"dt":{"ret":1},"ua":"a;b"})")));
        QCOMPARE(other.ret, -1);
        QVERIFY(!other.serverMid && !other.token);

        const auto missing = LoginWire::readAuthReply(std::nullopt);
        QCOMPARE(missing.cm, 0);
        QCOMPARE(missing.ret, 0);
    }
};

QTEST_GUILESS_MAIN(TestLoginWire)
#include "tst_loginwire.moc"
