// Login and authorisation while the keychain is slow to give the device identifier: the
// exchange waits for it without blocking, and one stopped or dropped meanwhile is left alone.
#include "DefaultsKeys.h"
#include "KeyedArchive.h"
#include "LoginAndAuthCenter.h"
#include "NotificationNames.h"
#include "PcSim.h"
#include "RuntimeState.h"
#include "TestCore.h"

#include <QJsonArray>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
const QString kStoredId = u"00112233445566778899AABBCCDDEEFF"_s;
} // namespace

class TestSlowKeychain : public QObject
{
    Q_OBJECT
private:
    PcSim m_pc;
    std::unique_ptr<TestCore> m_t;
    std::unique_ptr<NotificationRecorder> m_rec;

    LoginAndAuthCenter *center() const { return LoginAndAuthCenter::sharedInstance(); }
    RuntimeState *state() const { return m_t->core->runtimeState(); }
    // The requests the PC has read, each with its "cm" and "ua".
    QJsonArray requests() { return m_pc.state().value(u"logins"_s).toArray(); }
    QString uaIdOf(int request)
    {
        return requests().at(request)[u"ua"_s].toString().split(u';').value(6);
    }
    // The exchange has begun and waits for the keychain's answer.
    void startAndAwaitTheKeychain()
    {
        center()->startLogin();
        QTRY_COMPARE(m_t->keychain().pendingCalls(), 1);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_pc.start(), qPrintable(m_pc.errorString())); }

    void init()
    {
        m_pc.control(u"reset"_s);
        const AppConfig config = m_pc.config();
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
    }

    // Both exchanges carry the one identifier: the stored one, or on a first launch a new one
    // that is kept.
    void lateKeychainStillLogsInAndAuthorises_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::newRow("stored identifier") << kStoredId;
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
        QTRY_COMPARE(m_rec->count(Notifications::AuthFinished), 1);
        QCOMPARE(m_rec->count(Notifications::LoginFinished), 1);
        QCOMPARE(state()->status(), quint64(AppStatusAuthorized));
        QCOMPARE(requests().size(), 2);
        const QString id = uaIdOf(0);
        QCOMPARE(id.size(), 32);
        QVERIFY(stored.isEmpty() || id == stored);
        QCOMPARE(uaIdOf(1), id);
        QTRY_VERIFY(m_t->keychain().items.contains(DefaultsKeys::Uuid));
        const auto kept = KeyedArchive::unarchive(m_t->keychain().items[DefaultsKeys::Uuid]);
        QCOMPARE(kept.value_or(QVariant()).toMap().value(DefaultsKeys::Uuid).toString(), id);
    }

    void stoppedWhileTheKeychainIsPending()
    {
        startAndAwaitTheKeychain();
        center()->stopLogin();
        QCOMPARE(m_rec->count(Notifications::LoginFinished), 1);
        QCOMPARE(state()->status(), quint64(AppStatusNotLoggedIn));
        // The keychain answers after the exchange is gone: nothing is written, nothing reported.
        QTRY_COMPARE(m_t->keychain().pendingCalls(), 0);
        QTest::qWait(100);
        QCOMPARE(m_rec->count(Notifications::LoginFinished), 1);
        QVERIFY(requests().isEmpty());
        QCOMPARE(m_t->deviceId().size(), 32);
    }

    void replacedOrEndedByANewNetworkWhileTheKeychainIsPending()
    {
        startAndAwaitTheKeychain();
        center()->startLogin();
        // Only the second exchange writes its request once the identifier is known.
        QTRY_COMPARE(m_rec->count(Notifications::AuthFinished), 1);
        QCOMPARE(m_rec->count(Notifications::LoginFinished), 1);
        QCOMPARE(requests().size(), 2);

        m_rec->clear();
        m_t->core->userDefaults().removeObject(DefaultsKeys::Uuid);
        m_t->keychain().items.clear();
        startAndAwaitTheKeychain();
        state()->setLastSsid(u"another network"_s);
        QCOMPARE(m_rec->count(Notifications::LoginFinished), 1);
        QTRY_COMPARE(m_t->keychain().pendingCalls(), 0);
        QTest::qWait(100);
        QCOMPARE(requests().size(), 2);
        QCOMPARE(m_rec->count(Notifications::LoginFinished), 1);
    }

    void coreDestroyedWhileTheKeychainIsPending()
    {
        startAndAwaitTheKeychain();
        m_rec.reset();
        m_t.reset();
        // The keychain's answer, the exchange and its socket went with the core.
        QTest::qWait(600);
        QVERIFY(requests().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSlowKeychain)
#include "tst_slowkeychain.moc"
