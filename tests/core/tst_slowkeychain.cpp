// Login and authorisation while the keychain is slow to give the device identifier: the
// exchange waits for it without blocking, and one stopped or dropped meanwhile is left alone.
#include "DefaultsKeys.h"
#include "KeyedArchive.h"
#include "LoginAndAuthCenter.h"
#include "NotificationNames.h"
#include "RuntimeState.h"
#include "TestCore.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
const QString kStoredId = u"00112233445566778899AABBCCDDEEFF"_s;

QByteArray complemented(QByteArray bytes)
{
    for (char &c : bytes)
        c = char(~c);
    return bytes;
}

// A PC that answers every login with an acceptance and every authorisation with a token.
class ScriptedPc : public QObject
{
public:
    ScriptedPc()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                ++connections;
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    [[nodiscard]] quint16 port() const { return m_server.serverPort(); }

    int connections = 0;
    QList<QJsonObject> requests; // each request's JSON: "cm" and "ua"

private:
    void read(QTcpSocket *socket)
    {
        QByteArray &buffer = m_buffers[socket];
        buffer += socket->readAll();
        if (buffer.size() < 5)
            return;
        const quint32 length = (quint32(quint8(buffer[1])) << 24) |
                               (quint32(quint8(buffer[2])) << 16) |
                               (quint32(quint8(buffer[3])) << 8) | quint32(quint8(buffer[4]));
        if (quint32(buffer.size() - 5) < length)
            return;
        const QJsonObject request =
            QJsonDocument::fromJson(complemented(buffer.mid(5, length))).object();
        requests << request;
        const QJsonObject reply =
            request[u"cm"_s].toInt() == 1010
                ? QJsonObject{{u"cm"_s, 1010},
                              {u"dt"_s, QJsonObject{{u"api"_s, u"http://127.0.0.1:9/"_s},
                                                    {u"type"_s, 0},
                                                    {u"enable"_s, 1}}}}
                : QJsonObject{{u"cm"_s, 1013},
                              {u"dt"_s, QJsonObject{{u"ret"_s, 1}}},
                              {u"ua"_s, u"PC;1;1;pc;127.0.0.1;8360;PCMID;"
                                        "0123456789abcdef0123456789abcdef;"_s}};
        const QByteArray payload =
            complemented(QJsonDocument(reply).toJson(QJsonDocument::Compact));
        QByteArray frame(4, '\0');
        frame[0] = char(payload.size() >> 24);
        frame[1] = char(payload.size() >> 16);
        frame[2] = char(payload.size() >> 8);
        frame[3] = char(payload.size());
        socket->write(frame + payload);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QTcpSocket *, QByteArray> m_buffers;
};
} // namespace

class TestSlowKeychain : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<ScriptedPc> m_pc;
    std::unique_ptr<TestCore> m_t;
    std::unique_ptr<NotificationRecorder> m_rec;

    LoginAndAuthCenter *center() const { return LoginAndAuthCenter::sharedInstance(); }
    RuntimeState *state() const { return m_t->core->runtimeState(); }
    QString uaIdOf(int request) const
    {
        return m_pc->requests.value(request)[u"ua"_s].toString().split(u';').value(6);
    }

private Q_SLOTS:
    void init()
    {
        m_pc = std::make_unique<ScriptedPc>();
        AppConfig config;
        config.pcAddressOverride = std::optional<QString>(u"127.0.0.1"_s);
        config.pcPort = m_pc->port();
        m_t = std::make_unique<TestCore>(config);
        m_t->make<LoginAndAuthCenter>(*m_t->hub(), *m_t->core->runtimeState(),
                                      m_t->core->userDefaults(), config.pcPort);
        m_rec = std::make_unique<NotificationRecorder>(
            m_t->hub(), QStringList{Notifications::LoginFinished, Notifications::AuthFinished});
        m_t->keychain().answerDelayMs = 400;
        center()->setReadTimeout(3000);
    }

    void cleanup()
    {
        m_rec.reset();
        m_t.reset();
        m_pc.reset();
    }

    void lateKeychainStillLogsInAndAuthorises()
    {
        m_t->keychain().items.insert(DefaultsKeys::Uuid, KeyedArchive::archive(QVariantMap{
                                                             {DefaultsKeys::Uuid, kStoredId}}));
        center()->startLogin();
        QTRY_COMPARE(m_t->keychain().pendingCalls(), 1);
        QVERIFY(m_pc->requests.isEmpty());
        QTRY_COMPARE(m_rec->count(Notifications::AuthFinished), 1);
        QCOMPARE(m_rec->count(Notifications::LoginFinished), 1);
        QCOMPARE(state()->status(), quint64(AppStatusAuthorized));
        QCOMPARE(m_pc->requests.size(), 2);
        QCOMPARE(uaIdOf(0), kStoredId);
        QCOMPARE(uaIdOf(1), kStoredId);
    }

    void firstLaunchMakesOneIdentifierForBothExchanges()
    {
        center()->startLogin();
        QTRY_COMPARE(m_rec->count(Notifications::AuthFinished), 1);
        QCOMPARE(state()->status(), quint64(AppStatusAuthorized));
        const QString id = uaIdOf(0);
        QCOMPARE(id.size(), 32);
        QCOMPARE(uaIdOf(1), id);
        QTRY_VERIFY(m_t->keychain().items.contains(DefaultsKeys::Uuid));
        const auto kept = KeyedArchive::unarchive(m_t->keychain().items[DefaultsKeys::Uuid]);
        QVERIFY(kept);
        QCOMPARE(kept->toMap().value(DefaultsKeys::Uuid).toString(), id);
    }

    void stoppedWhileTheKeychainIsPending()
    {
        center()->startLogin();
        QTRY_COMPARE(m_pc->connections, 1);
        QCOMPARE(m_t->keychain().pendingCalls(), 1);
        center()->stopLogin();
        QCOMPARE(m_rec->count(Notifications::LoginFinished), 1);
        QCOMPARE(state()->status(), quint64(AppStatusNotLoggedIn));
        // The keychain answers after the exchange is gone: nothing is written, nothing reported.
        QTRY_COMPARE(m_t->keychain().pendingCalls(), 0);
        QTest::qWait(100);
        QCOMPARE(m_rec->count(Notifications::LoginFinished), 1);
        QVERIFY(m_pc->requests.isEmpty());
        QCOMPARE(m_t->deviceId().size(), 32);
    }

    void replacedOrEndedByANewNetworkWhileTheKeychainIsPending()
    {
        center()->startLogin();
        QTRY_COMPARE(m_pc->connections, 1);
        center()->startLogin();
        QTRY_COMPARE(m_pc->connections, 2);
        // Only the second exchange writes its request once the identifier is known.
        QTRY_COMPARE(m_rec->count(Notifications::AuthFinished), 1);
        QCOMPARE(m_rec->count(Notifications::LoginFinished), 1);
        QCOMPARE(m_pc->requests.size(), 2);

        m_rec->clear();
        m_t->core->userDefaults().removeObject(DefaultsKeys::Uuid);
        m_t->keychain().items.clear();
        center()->startLogin();
        QTRY_COMPARE(m_pc->connections, 3);
        state()->setLastSsid(u"another network"_s);
        QCOMPARE(m_rec->count(Notifications::LoginFinished), 1);
        QTRY_COMPARE(m_t->keychain().pendingCalls(), 0);
        QTest::qWait(100);
        QCOMPARE(m_pc->requests.size(), 2);
        QCOMPARE(m_rec->count(Notifications::LoginFinished), 1);
    }

    void coreDestroyedWhileTheKeychainIsPending()
    {
        center()->startLogin();
        QTRY_COMPARE(m_pc->connections, 1);
        m_rec.reset();
        m_t.reset();
        // The keychain's answer, the exchange and its socket went with the core.
        QTest::qWait(600);
        QVERIFY(m_pc->requests.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSlowKeychain)
#include "tst_slowkeychain.moc"
