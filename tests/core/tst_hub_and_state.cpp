#include "NotificationNames.h"
#include "RuntimeState.h"
#include "TestCore.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestHubAndState : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void deliversInRegistrationOrderWithPayload()
    {
        NotificationCenter hub;
        QObject a, b;
        QStringList order;
        hub.addObserver(&b, u"n"_s,
                        [&](const QVariantMap &m) { order << u"b"_s + m[u"k"_s].toString(); });
        hub.addObserver(&a, u"n"_s,
                        [&](const QVariantMap &m) { order << u"a"_s + m[u"k"_s].toString(); });
        hub.addObserver(&a, u"other"_s, [&](const QVariantMap &) { order << u"x"_s; });
        hub.post(u"n"_s, {{u"k"_s, 1}});
        QCOMPARE(order, QStringList({u"b1"_s, u"a1"_s}));
    }

    void observersGoWithTheirOwner()
    {
        NotificationCenter hub;
        int calls = 0;
        {
            QObject owner;
            hub.addObserver(&owner, u"n"_s, [&](const QVariantMap &) { ++calls; });
            hub.post(u"n"_s);
        }
        hub.post(u"n"_s);
        QCOMPARE(calls, 1);
        QCOMPARE(hub.observerCount(u"n"_s), 0);
    }

    void observersChangeDuringDelivery()
    {
        NotificationCenter hub;
        QObject first, second, late;
        auto doomed = std::make_unique<QObject>();
        QStringList calls;
        hub.addObserver(&first, u"n"_s, [&](const QVariantMap &) {
            calls << u"first"_s;
            doomed.reset(); // removes an observer not yet reached
            hub.addObserver(&late, u"n"_s, [&](const QVariantMap &) { calls << u"late"_s; });
        });
        hub.addObserver(doomed.get(), u"n"_s, [&](const QVariantMap &) { calls << u"doomed"_s; });
        hub.addObserver(&second, u"n"_s, [&](const QVariantMap &) {
            calls << u"second"_s;
            hub.removeObserver(&second);
        });
        hub.post(u"n"_s);
        QCOMPARE(calls, QStringList({u"first"_s, u"second"_s}));
        calls.clear();
        hub.removeObserver(&first);
        hub.post(u"n"_s);
        QCOMPARE(calls, QStringList({u"late"_s}));
    }

    void postFromAnotherThreadArrivesOnTheHubThread()
    {
        NotificationCenter hub;
        QObject owner;
        QThread *deliveredOn = nullptr;
        hub.addObserver(&owner, u"n"_s,
                        [&](const QVariantMap &) { deliveredOn = QThread::currentThread(); });
        std::unique_ptr<QThread> worker(QThread::create([&] { hub.post(u"n"_s); }));
        worker->start();
        worker->wait();
        QTRY_VERIFY(deliveredOn != nullptr);
        QCOMPARE(deliveredOn, QThread::currentThread());
    }

    void apiGetsOneTrailingSlash()
    {
        TestCore t;
        RuntimeState *s = t.core->runtimeState();
        s->setApi(u"http://10.0.0.1:9000"_s);
        QCOMPARE(s->api(), u"http://10.0.0.1:9000/"_s);
        s->setApi(u"http://10.0.0.1:9000/x/"_s);
        QCOMPARE(s->api(), u"http://10.0.0.1:9000/x/"_s);
    }

    void statusAndCountPostOnlyOnChange()
    {
        TestCore t;
        RuntimeState *s = t.core->runtimeState();
        NotificationRecorder rec(
            t.hub(), {Notifications::AppStatusChanged, Notifications::ClientCountChanged});
        s->setStatus(AppStatusNotLoggedIn);
        s->setClientCount(0);
        QVERIFY(rec.posted.isEmpty());
        s->setStatus(AppStatusAuthorized);
        s->setStatus(AppStatusAuthorized);
        s->setClientCount(3);
        s->setClientCount(3);
        QCOMPARE(rec.posted,
                 QStringList({Notifications::AppStatusChanged, Notifications::ClientCountChanged}));
    }

    void wifiNameChangeDropsTheLoginFirst()
    {
        TestCore t;
        RuntimeState *s = t.core->runtimeState();
        s->setLastSsid(u"home"_s);
        s->setStatus(AppStatusAuthorized);
        NotificationRecorder rec(t.hub(),
                                 {Notifications::AppStatusChanged, Notifications::SsidChanged});
        s->setLastSsid(u"home"_s);
        QVERIFY(rec.posted.isEmpty());
        s->setLastSsid(u"office"_s);
        QCOMPARE(rec.posted,
                 QStringList({Notifications::AppStatusChanged, Notifications::SsidChanged}));
        QCOMPARE(s->status(), quint64(AppStatusNotLoggedIn));
        QCOMPARE(s->lastSsidText(), u"office"_s);

        // No WiFi, told again, is posted each time.
        s->setLastSsid(std::nullopt);
        rec.clear();
        s->setLastSsid(std::nullopt);
        QCOMPARE(rec.posted, QStringList({Notifications::SsidChanged}));
        QVERIFY(!s->lastSsid().has_value());
    }
};

QTEST_GUILESS_MAIN(TestHubAndState)
#include "tst_hub_and_state.moc"
