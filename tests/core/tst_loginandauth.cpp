// Login and authorisation against the stand-in PC on loopback, faults included.
#include "DefaultsKeys.h"
#include "LoginAndAuthCenter.h"
#include "NotificationNames.h"
#include "PcSim.h"
#include "RuntimeState.h"
#include "TestCore.h"

#include <QJsonArray>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
// A PC of its own making: the first @c acceptedLogins connections get an accepting login reply
// and are closed; every later one gets a reply that announces 0xFFFFFFF0 bytes and then streams
// filler for as long as the phone keeps the connection open.
class HostilePc : public QTcpServer
{
public:
    int acceptedLogins = 0;
    qint64 streamed = 0;
    bool closedByPhone = false;

    HostilePc()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                const bool accept = m_connections++ < acceptedLogins;
                // The reply goes out once the request frame is in.
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket, accept] {
                    socket->readAll();
                    socket->disconnect(this);
                    if (accept) {
                        // {"cm":1010,"dt":{"type":1,"enable":1}}, framed and complemented
                        socket->write(QByteArray::fromHex(
                            "0000002684dd9c92ddc5cecfcecfd3dd9b8bddc584dd8b868f9addc5ced3dd9a91"
                            "9e9d939addc5ce8282"));
                        socket->disconnectFromHost();
                    } else {
                        stream(socket);
                    }
                });
            }
        });
    }

private:
    void stream(QTcpSocket *socket)
    {
        socket->write(QByteArray::fromHex("fffffff0"));
        const QByteArray chunk(64 * 1024, '\xff');
        auto more = [this, socket, chunk] {
            // Stops by itself far beyond any cap, so that a phone that never stops still ends.
            while (socket->bytesToWrite() < 4 * chunk.size() && streamed < (qint64(1) << 30)) {
                socket->write(chunk);
                streamed += chunk.size();
            }
        };
        connect(socket, &QTcpSocket::bytesWritten, socket, more);
        connect(socket, &QTcpSocket::disconnected, this, [this] { closedByPhone = true; });
        more();
    }

    int m_connections = 0;
};
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

    void newCore(AppConfig config)
    {
        m_rec.reset();
        m_t.reset();
        m_t = std::make_unique<TestCore>(config);
        m_t->make<LoginAndAuthCenter>(*m_t->hub(), *m_t->core->runtimeState(),
                                      m_t->core->userDefaults(), config.pcPort);
        m_rec = std::make_unique<NotificationRecorder>(
            m_t->hub(), QStringList{Notifications::AppStatusChanged, Notifications::StartLogin,
                                    Notifications::StartAuth, Notifications::LoginFinished,
                                    Notifications::AuthFinished});
        center()->setReadTimeout(400);
    }

    void loginAndWait()
    {
        center()->startLogin();
        QTRY_COMPARE_WITH_TIMEOUT(m_rec->count(Notifications::LoginFinished), 1, 12000);
    }

    void expectFailedLogin()
    {
        QCOMPARE(state()->status(), quint64(AppStatusNotLoggedIn));
        QCOMPARE(m_rec->count(Notifications::StartAuth), 0);
        // Exactly one result, also after the event loop has had its chance to deliver another.
        QTest::qWait(50);
        QCOMPARE(m_rec->count(Notifications::LoginFinished), 1);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_pc.start(), qPrintable(m_pc.errorString())); }

    void init()
    {
        m_pc.control(u"reset"_s);
        newCore(m_pc.config());
    }

    void cleanup()
    {
        m_rec.reset();
        m_t.reset();
    }

    void acceptedLoginThenAuthorisation()
    {
        QList<quint64> statuses;
        m_t->hub()->addObserver(m_rec.get(), Notifications::AppStatusChanged,
                                [&](const QVariantMap &) { statuses << state()->status(); });
        loginAndWait();
        QCOMPARE(state()->api(), m_pc.api);
        QTRY_COMPARE_WITH_TIMEOUT(m_rec->count(Notifications::AuthFinished), 1, 12000);
        QCOMPARE(statuses, (QList<quint64>{AppStatusLoggedIn, AppStatusAuthorized}));
        QCOMPARE(m_rec->posted,
                 (QStringList{Notifications::StartLogin, Notifications::AppStatusChanged,
                              Notifications::StartAuth, Notifications::LoginFinished,
                              Notifications::AppStatusChanged, Notifications::AuthFinished}));
        const QJsonObject pc = m_pc.state();
        const QString token = pc.value(u"tokens"_s).toArray().last().toString();
        QCOMPARE(m_t->core->userDefaults().stringForKey(DefaultsKeys::Token), token);
        QCOMPARE(state()->serverMid(), pc.value(u"machine_id"_s).toString());
        // The PC saw a login with an empty field 8, then an authorisation.
        const QJsonArray logins = pc.value(u"logins"_s).toArray();
        QCOMPARE(logins.size(), 2);
        QCOMPARE(logins[0][u"cm"_s].toInt(), 1010);
        QVERIFY(logins[0][u"ua"_s].toString().endsWith(u";;"_s));
        QCOMPARE(logins[1][u"cm"_s].toInt(), 1013);
    }

    // A refusing verdict sets the standing it names; a broken reply fails the login. Either
    // way no authorisation follows and the result comes once.
    void failedLogins_data()
    {
        QTest::addColumn<QJsonObject>("verdict");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<quint64>("status");
        QTest::newRow("unknown type")
            << QJsonObject{{u"login"_s, u"refuse"_s}} << QString() << quint64(AppStatusNotLoggedIn);
        QTest::newRow("no enable")
            << QJsonObject{{u"login"_s, u"raw"_s}, {u"type"_s, 1}, {u"enable"_s, QJsonValue()}}
            << QString() << quint64(AppStatusRemoteDisabled);
        for (const char *kind : {"close", "short", "notjson", "hang"})
            QTest::newRow(kind) << QJsonObject() << QString::fromLatin1(kind)
                                << quint64(AppStatusNotLoggedIn);
    }
    void failedLogins()
    {
        QFETCH(QJsonObject, verdict);
        QFETCH(QString, fault);
        if (fault.isEmpty()) {
            QVERIFY(m_pc.control(u"verdict"_s, verdict).value(u"ok"_s).toBool());
            state()->setStatus(AppStatusAuthorized);
        } else {
            m_pc.fault(u"login"_s, fault);
        }
        loginAndWait();
        QTEST(state()->status(), "status");
        QCOMPARE(m_rec->count(Notifications::StartAuth), 0);
        QTest::qWait(50);
        QCOMPARE(m_rec->count(Notifications::LoginFinished), 1);
        QVERIFY(fault.isEmpty() || state()->api().isEmpty());
    }

    // A refused, malformed or missing authorisation leaves the login standing, reported once.
    void failedAuthorisationKeepsLoggedIn_data()
    {
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<QString>("fault");
        QTest::newRow("refused") << u"refuse"_s << QString();
        QTest::newRow("action answer") << u"action"_s << QString();
        QTest::newRow("closes without reply") << QString() << u"close"_s;
        QTest::newRow("never answers") << QString() << u"hang"_s;
    }
    void failedAuthorisationKeepsLoggedIn()
    {
        QFETCH(QString, verdict);
        QFETCH(QString, fault);
        if (fault.isEmpty())
            m_pc.control(u"verdict"_s, {{u"auth"_s, verdict}});
        else
            m_pc.fault(u"auth"_s, fault);
        loginAndWait();
        QTRY_COMPARE_WITH_TIMEOUT(m_rec->count(Notifications::AuthFinished), 1, 12000);
        QTest::qWait(50);
        QCOMPARE(m_rec->count(Notifications::AuthFinished), 1);
        QCOMPARE(state()->status(), quint64(AppStatusLoggedIn));
        QVERIFY(!m_t->core->userDefaults().contains(DefaultsKeys::Token));
    }

    // Nothing to connect to: the failure is reported before startLogin returns.
    void noPcAddressFailsAtOnce()
    {
        AppConfig config = m_pc.config();
        config.pcAddressOverride = std::optional<QString>();
        newCore(config);
        center()->startLogin();
        QCOMPARE(m_rec->count(Notifications::LoginFinished), 1);
        expectFailedLogin();
    }

    // A reply that announces more than any reply holds is closed as soon as its length is in,
    // instead of being buffered until the PC stops sending.
    void overlongRepliesAreClosedAtOnce_data()
    {
        QTest::addColumn<int>("acceptedLogins");
        QTest::newRow("login") << 0;
        QTest::newRow("authorisation") << 1;
    }
    void overlongRepliesAreClosedAtOnce()
    {
        QFETCH(int, acceptedLogins);
        HostilePc pc;
        pc.acceptedLogins = acceptedLogins;
        QVERIFY(pc.listen(QHostAddress::LocalHost, 0));
        AppConfig config = m_pc.config();
        config.pcPort = pc.serverPort();
        newCore(config);
        center()->setReadTimeout(60000);
        QTest::ignoreMessage(QtWarningMsg, "the PC's reply announces 4294967280 bytes; closed");
        center()->startLogin();
        const QString finished =
            acceptedLogins ? Notifications::AuthFinished : Notifications::LoginFinished;
        QTRY_COMPARE_WITH_TIMEOUT(m_rec->count(finished), 1, 5000);
        QCOMPARE(state()->status(),
                 quint64(acceptedLogins ? AppStatusLoggedIn : AppStatusNotLoggedIn));
        QTRY_VERIFY(pc.closedByPhone);
        QVERIFY2(pc.streamed < 16 * 1024 * 1024, qPrintable(QString::number(pc.streamed)));
    }

    void stopAndWifiChangeEndExchanges()
    {
        m_pc.fault(u"login"_s, u"hang"_s, 0, 0);
        center()->setReadTimeout(60000);
        center()->startLogin();
        QTRY_VERIFY(m_pc.state().value(u"logins"_s).toArray().size() == 1);
        center()->stopLogin();
        QCOMPARE(m_rec->count(Notifications::LoginFinished), 1);
        expectFailedLogin();

        // A replaced login is dropped without a result of its own.
        m_rec->clear();
        center()->startLogin();
        center()->startLogin();
        QTRY_VERIFY(m_pc.state().value(u"logins"_s).toArray().size() == 2);
        QCOMPARE(m_rec->count(Notifications::LoginFinished), 0);
        state()->setLastSsid(u"another network"_s);
        QCOMPARE(m_rec->count(Notifications::LoginFinished), 1);
        QCOMPARE(state()->status(), quint64(AppStatusNotLoggedIn));
        QTest::qWait(100);
        QCOMPARE(m_rec->count(Notifications::LoginFinished), 1);
    }
};

QTEST_GUILESS_MAIN(TestLoginAndAuth)
#include "tst_loginandauth.moc"
