// The login channel's frames against byte fixtures written by hand from the wire tables; login
// and authorisation against the stand-in PC on loopback, faults and a slow keychain included.
#include "DefaultsKeys.h"
#include "JsonUtils.h"
#include "KeyedArchive.h"
#include "LoginAndAuthCenter.h"
#include "LoginWire.h"
#include "NotificationNames.h"
#include "PcSim.h"
#include "RuntimeState.h"
#include "TestCore.h"
#include "Utils.h"

#include <QJsonArray>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QtEndian>

using namespace Qt::StringLiterals;
namespace N = Notifications;

namespace {
QVariant json(const char *text)
{
    return JsonUtils::dataToDictionary(text);
}

// {"cm":1010} is 11 bytes: 00 00 00 0B, then the complement of each byte.
const QByteArray kLoginReply = QByteArray::fromHex("0000000b84dd9c92ddc5cecfcecf82");
} // namespace

class TestLoginAndAuth : public QObject
{
    Q_OBJECT
private:
    PcSim m_pc;
    std::unique_ptr<TestCore> m_t;
    std::unique_ptr<NotificationRecorder> m_rec;

    RuntimeState *state() const { return m_t->core->runtimeState(); }
    LoginAndAuthCenter *center() const { return LoginAndAuthCenter::sharedInstance(); }
    QJsonArray requests() { return m_pc.state().value(u"logins"_s).toArray(); }
    int count(const QString &name) const { return m_rec->count(name); }

    void newCore(AppConfig config)
    {
        m_rec.reset();
        m_t.reset();
        m_t = std::make_unique<TestCore>(config);
        m_t->make<LoginAndAuthCenter>(*m_t->hub(), *m_t->core->runtimeState(),
                                      m_t->core->userDefaults(), config.pcPort);
        m_rec = std::make_unique<NotificationRecorder>(
            m_t->hub(), QStringList{N::AppStatusChanged, N::StartLogin, N::StartAuth,
                                    N::LoginFinished, N::AuthFinished});
        center()->setReadTimeout(400);
    }

    void loginAndWait()
    {
        center()->startLogin();
        QTRY_COMPARE_WITH_TIMEOUT(count(N::LoginFinished), 1, 12000);
    }

    // A failed login reports once, also after the event loop has had its chance to do more.
    void expectFailedLogin()
    {
        QCOMPARE(state()->status(), quint64(AppStatusNotLoggedIn));
        QCOMPARE(count(N::StartAuth), 0);
        QTest::qWait(50);
        QCOMPARE(count(N::LoginFinished), 1);
    }

    // Starts an exchange that waits for a slow keychain's answer.
    void startAndAwaitTheKeychain()
    {
        m_t->keychain().answerDelayMs = 400;
        center()->setReadTimeout(3000);
        center()->startLogin();
        QTRY_COMPARE(m_t->keychain().pendingCalls(), 1);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_pc.start(), qPrintable(m_pc.errorString())); }

    void init()
    {
        m_pc.control(u"reset"_s);
        newCore(m_pc.config());
    }

    void requestFrames()
    {
        // 0x01, the big-endian length in UTF-8 bytes, the complemented compact JSON with its keys
        // in order (the stand-in PC reads the ASCII ones of the end-to-end cases).
        QCOMPARE(LoginWire::encodeRequest(1010, u"我"_s).toHex(),
                 "010000001684dd9c92ddc5cecfcecfd3dd8a9eddc5dd19776edd82");
    }

    // Trailing bytes are ignored; [1010] is no login reply; nothing, an empty payload, a non-JSON
    // byte, a cut-off reply, an absurd length and <html> do not decode; a JSON text is taken up to
    // the cap and refused beyond it.
    void replyFrames()
    {
        QCOMPARE(LoginWire::decodeReply(kLoginReply).value_or(QVariant()).toMap().value(u"cm"_s),
                 QVariant(1010));
        QVERIFY(LoginWire::decodeReply(kLoginReply + "trailing"));
        const auto array = LoginWire::decodeReply(QByteArray::fromHex("00000006a4cecfcecfa2"));
        QVERIFY(array && !LoginWire::readLoginReply(*array));
        for (const QByteArray &bytes :
             {QByteArray(), QByteArray::fromHex("00000000"), QByteArray::fromHex("0000000084"),
              kLoginReply.left(9), QByteArray::fromHex("FFFFFFFF84"),
              QByteArray::fromHex("00000006c3978b9293c1")})
            QVERIFY2(!LoginWire::decodeReply(bytes), bytes.toHex().constData());
        auto frameOfText = [](quint32 length) {
            QByteArray frame(4, '\0');
            qToBigEndian<quint32>(length, frame.data());
            return frame + Utils::negated('"' + QByteArray(length - 2, 'x') + '"');
        };
        QVERIFY(LoginWire::decodeReply(frameOfText(LoginWire::MaxReplyLength)));
        QVERIFY(!LoginWire::decodeReply(frameOfText(LoginWire::MaxReplyLength + 1)));
        QVERIFY(!LoginWire::declaredLength(QByteArray::fromHex("ffffff")));
    }

    void loginReplyFields()
    {
        const auto facts = LoginWire::readLoginReply(
            json(R"({"cm":1010,"dt":{"api":"http://10.0.0.1:80/x","tcp_port":70000,)"
                 R"("lumo_ver":"3.1","type":0,"enable":1,"wifi":{"expenses":2.5,)"
                 R"("traffic":{"total":5000000000},"client":3}}})"));
        QVERIFY(facts);
        QCOMPARE(facts->tcpPort, quint16(4464)); // 70000 kept to 16 bits
        QCOMPARE(facts->expenses.value_or(0), 2.5);
        QCOMPARE(facts->traffic, Q_INT64_C(5000000000));
        const auto sparse =
            LoginWire::readLoginReply(json(R"({"cm":1010,"dt":{"api":"","wifi":[]}})"));
        QVERIFY(sparse && !sparse->api && !sparse->lumoVersion && !sparse->expenses);
        QCOMPARE(sparse->enable, 0);
        for (const char *bad : {R"({"cm":1011,"dt":{}})", R"({"cm":1010})", R"({"cm":1010,"dt":5})",
                                R"({"cm":"x","dt":{}})"})
            QVERIFY2(!LoginWire::readLoginReply(json(bad)), bad);
    }

    // An action answer carries its action as the result and no token; another command or no
    // reply is no authorisation (the accepted one is the end-to-end case's).
    void authReplyFields()
    {
        const auto action = LoginWire::readAuthReply(
            json(R"({"cm":1014,"dt":{"action":3,"ret":1},"ua":"a;b;c;d;e;f;M;;"})"));
        QCOMPARE(action.ret, 3);
        QCOMPARE(action.serverMid.value_or(QString()), u"M"_s);
        QVERIFY(!action.token);
        const auto other = LoginWire::readAuthReply(json(R"({"cm":7,"dt":{"ret":1},"ua":"a;b"})"));
        QCOMPARE(other.ret, -1);
        QVERIFY(!other.serverMid && !other.token);
    }

    // The command-line tests cover what an authorised phone knows, the HTTP tests' strict PC the
    // token it keeps; here the order of the steps.
    void acceptedLoginThenAuthorisation()
    {
        loginAndWait();
        QTRY_COMPARE_WITH_TIMEOUT(count(N::AuthFinished), 1, 12000);
        QCOMPARE(m_rec->posted,
                 (QStringList{N::StartLogin, N::AppStatusChanged, N::StartAuth, N::LoginFinished,
                              N::AppStatusChanged, N::AuthFinished}));
        QCOMPARE(state()->serverMid(), m_pc.state().value(u"machine_id"_s).toString());
        // The login goes with an empty field 8.
        QVERIFY(requests()[0][u"ua"_s].toString().endsWith(u";;"_s));
    }

    // A broken or missing reply fails the login once, also of a phone authorised before: no
    // authorisation, no address (the screen tests take the refusing verdicts).
    void failedLogins_data()
    {
        QTest::addColumn<QString>("fault");
        for (const char *kind : {"close", "short", "notjson", "hang"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void failedLogins()
    {
        QFETCH(QString, fault);
        m_pc.fault(u"login"_s, fault);
        state()->setStatus(AppStatusAuthorized);
        loginAndWait();
        expectFailedLogin();
        QVERIFY(state()->api().isEmpty());
    }

    // A closed or unanswered authorisation leaves the login standing, reported once (the
    // command-line and screen tests take a refusal).
    void failedAuthorisationKeepsLoggedIn_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("closes without reply") << u"close"_s;
        QTest::newRow("never answers") << u"hang"_s;
    }
    void failedAuthorisationKeepsLoggedIn()
    {
        QFETCH(QString, fault);
        m_pc.fault(u"auth"_s, fault);
        loginAndWait();
        QTRY_COMPARE_WITH_TIMEOUT(count(N::AuthFinished), 1, 12000);
        QTest::qWait(50);
        QCOMPARE(count(N::AuthFinished), 1);
        QCOMPARE(state()->status(), quint64(AppStatusLoggedIn));
        QVERIFY(!m_t->core->userDefaults().contains(DefaultsKeys::Token));
    }

    // A reply announcing more than any reply holds is closed as soon as its length is in.
    void overlongReplyIsClosedAtOnce()
    {
        qint64 streamed = 0;
        bool closedByPhone = false;
        // Announces 0xFFFFFFF0 bytes and streams filler, up to far beyond any cap.
        QTcpServer pc;
        connect(&pc, &QTcpServer::newConnection, this, [&] {
            QTcpSocket *socket = pc.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [&, socket] {
                socket->readAll();
                socket->write(QByteArray::fromHex("fffffff0"));
                auto more = [&, socket] {
                    const QByteArray chunk(64 * 1024, '\xff');
                    while (socket->bytesToWrite() < 4 * chunk.size() && streamed < (1 << 30))
                        streamed += socket->write(chunk);
                };
                connect(socket, &QTcpSocket::bytesWritten, socket, more);
                connect(socket, &QTcpSocket::disconnected, this, [&] { closedByPhone = true; });
                more();
            });
        });
        QVERIFY(pc.listen(QHostAddress::LocalHost, 0));
        AppConfig config = m_pc.config();
        config.pcPort = pc.serverPort();
        newCore(config);
        center()->setReadTimeout(60000);
        QTest::ignoreMessage(QtWarningMsg, "the PC's reply announces 4294967280 bytes; closed");
        center()->startLogin();
        QTRY_COMPARE_WITH_TIMEOUT(count(N::LoginFinished), 1, 5000);
        expectFailedLogin();
        QTRY_VERIFY(closedByPhone);
        QVERIFY2(streamed < 16 * 1024 * 1024, qPrintable(QString::number(streamed)));
    }

    // A replaced login is dropped without a result of its own; a new network ends the exchange,
    // reported once (the connection screen's test stops one).
    void replacedAndEndedExchanges()
    {
        m_pc.fault(u"login"_s, u"hang"_s, 0, 0);
        center()->setReadTimeout(60000);
        center()->startLogin();
        center()->startLogin();
        QTRY_COMPARE(requests().size(), 1);
        QCOMPARE(count(N::LoginFinished), 0);
        state()->setLastSsid(u"another network"_s);
        QCOMPARE(count(N::LoginFinished), 1);
        QTest::qWait(100);
        expectFailedLogin();
    }

    // Both exchanges carry the identifier given late: the stored one, or a new one that is kept.
    void lateKeychainStillLogsInAndAuthorises_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::newRow("stored identifier") << u"00112233445566778899AABBCCDDEEFF"_s;
        QTest::newRow("first launch") << QString();
    }
    void lateKeychainStillLogsInAndAuthorises()
    {
        QFETCH(QString, stored);
        if (!stored.isEmpty())
            m_t->keychain().items.insert(DefaultsKeys::Uuid, KeyedArchive::archive(QVariantMap{
                                                                 {DefaultsKeys::Uuid, stored}}));
        startAndAwaitTheKeychain();
        QVERIFY(requests().isEmpty());
        QTRY_COMPARE(count(N::AuthFinished), 1);
        QCOMPARE(count(N::LoginFinished), 1);
        QCOMPARE(state()->status(), quint64(AppStatusAuthorized));
        QCOMPARE(requests().size(), 2);
        const QString id = requests()[0][u"ua"_s].toString().split(u';').value(6);
        QCOMPARE(id.size(), 32);
        QVERIFY(stored.isEmpty() || id == stored);
        QCOMPARE(requests()[1][u"ua"_s].toString().split(u';').value(6), id);
        QTRY_VERIFY(m_t->keychain().items.contains(DefaultsKeys::Uuid));
        const auto kept = KeyedArchive::unarchive(m_t->keychain().items[DefaultsKeys::Uuid]);
        QCOMPARE(kept.value_or(QVariant()).toMap().value(DefaultsKeys::Uuid).toString(), id);
    }

    // The keychain's answer, the exchange and its socket go with the core.
    void coreDestroyedWhileTheKeychainIsPending()
    {
        startAndAwaitTheKeychain();
        m_rec.reset();
        m_t.reset();
        QTest::qWait(600);
        QVERIFY(requests().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLoginAndAuth)
#include "tst_loginandauth.moc"
