#include "DeviceInfoCenter.h"
#include "ForegroundWatcher.h"
#include "NotificationNames.h"
#include "RuntimeState.h"
#include "SerialQueue.h"
#include "TestCore.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

using namespace Qt::StringLiterals;

class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The store opens on its queue once its folders exist; the guide (first launch only) and
    // the report come with the WiFi name already known.
    void startLocksTheFolderAndOpensTheStoreOnItsQueue_data()
    {
        QTest::addColumn<bool>("guideDone");
        QTest::newRow("first launch") << false;
        QTest::newRow("guide completed") << true;
    }
    void startLocksTheFolderAndOpensTheStoreOnItsQueue()
    {
        QFETCH(bool, guideDone);
        TestCore t;
        t.network().ssid = u"Hotspot"_s;
        if (guideDone)
            t.core->completeFirstLaunchGuide();
        QStringList ssidAt;
        QString storeThread;
        bool folders = true;
        AppCore::Hooks hooks;
        hooks.openStore = [&](AppCore &) {
            storeThread = QThread::currentThread()->objectName();
            for (const char *f : {"file", "preview", "qt", "image", "thumb"})
                folders &= QDir(t.library() + u'/' + QString::fromLatin1(f)).exists();
        };
        hooks.showGuide = [&] { ssidAt << u"guide:"_s + t.core->runtimeState()->lastSsidText(); };
        hooks.commitStatistics = [&] {
            ssidAt << u"statistics:"_s + t.core->runtimeState()->lastSsidText();
        };
        QVERIFY(t.core->start(hooks));
        QCOMPARE(t.folders().locked, QStringList{t.library()});
        QCOMPARE(ssidAt.contains(u"guide:Hotspot"_s), !guideDone);
        QVERIFY(ssidAt.contains(u"statistics:Hotspot"_s));
        QCOMPARE(ssidAt.size(), guideDone ? 1 : 2);
        QVERIFY(DeviceInfoCenter::getStatisticsString().startsWith(u"kp_1#"_s));
        t.core->queue(u"initQueue"_s)->waitUntilIdle();
        QCOMPARE(storeThread, u"initQueue"_s);
        QVERIFY(folders);
        QVERIFY(t.reachability().started);
    }

    // A second process on the same data folder would overwrite the first's files and rows.
    void dataFolderInUseStartsNothing()
    {
        TestCore t;
        t.folders().heldByPid = 4242;
        bool called = false;
        AppCore::Hooks hooks;
        hooks.createServices = [&](AppCore &) { called = true; };
        hooks.openStore = [&](AppCore &) { called = true; };
        hooks.showGuide = hooks.commitStatistics = [&] { called = true; };
        QVERIFY(!t.core->start(hooks));
        QVERIFY(!called);
        QVERIFY(!t.reachability().started);
        const QString error = t.core->startError();
        QVERIFY2(error.contains(t.library()) && error.contains(u"in use by another process (pid "
                                                               u"4242)"_s),
                 qPrintable(error));
    }

    void reachabilityChangeDropsTheLogin()
    {
        TestCore t;
        t.network().ssid = u"Hotspot"_s;
        t.core->start({});
        t.core->runtimeState()->setStatus(AppStatusAuthorized);
        NotificationRecorder rec(t.hub(),
                                 {Notifications::AppStatusChanged, Notifications::SsidChanged});
        t.reachability().simulateChange();
        QCOMPARE(t.core->runtimeState()->status(), quint64(AppStatusNotLoggedIn));
        QCOMPARE(rec.posted, QStringList({Notifications::AppStatusChanged}));

        t.network().ssid = u"Elsewhere"_s;
        rec.clear();
        t.reachability().simulateChange();
        QCOMPARE(rec.posted, QStringList({Notifications::SsidChanged}));
    }

    // Started without a WiFi name: one announcement, and the name is taken when it comes.
    void wifiNameReportedLateIsTaken()
    {
        TestCore t;
        t.network().reported = false;
        NotificationRecorder rec(t.hub(), {Notifications::SsidChanged});
        t.core->start({});
        QCOMPARE(rec.count(Notifications::SsidChanged), 1);
        QVERIFY(!t.core->runtimeState()->lastSsid());

        // "Not on WiFi" again changes nothing: it would end a login for nothing.
        t.network().reportSsidLater(std::nullopt, 50);
        QTest::qWait(150);
        QVERIFY(t.network().reported);
        QCOMPARE(rec.count(Notifications::SsidChanged), 1);

        t.core->runtimeState()->setStatus(AppStatusLoggedIn);
        t.network().reportSsidLater(u"Hotspot"_s, 100);
        QVERIFY(!DeviceInfoCenter::getCurrentSSID());
        QTRY_COMPARE(rec.count(Notifications::SsidChanged), 2);
        QCOMPARE(t.core->runtimeState()->lastSsid(), u"Hotspot"_s);
        QCOMPARE(t.core->runtimeState()->status(), quint64(AppStatusNotLoggedIn));
    }

    void configuredWifiNameIgnoresTheSystem()
    {
        AppConfig c;
        c.ssidOverride = std::optional<QString>(u"Hotspot"_s);
        TestCore t(c);
        t.core->start({});
        NotificationRecorder rec(t.hub(), {Notifications::SsidChanged});
        t.network().reportSsid(u"Elsewhere"_s);
        t.network().reportSsid(std::nullopt);
        QVERIFY(rec.posted.isEmpty());
        QCOMPARE(t.core->runtimeState()->lastSsid(), u"Hotspot"_s);
    }

    void returnsToTheForegroundAreTold()
    {
        ForegroundWatcher w;
        QSignalSpy back(&w, &ForegroundWatcher::willEnterForeground);
        // Being shown and activated at start is no return.
        w.applicationStateChanged(Qt::ApplicationInactive);
        w.windowVisibilityChanged(QWindow::Windowed);
        w.applicationStateChanged(Qt::ApplicationActive);
        QCOMPARE(back.count(), 0);

        w.applicationStateChanged(Qt::ApplicationInactive);
        w.applicationStateChanged(Qt::ApplicationActive);
        QCOMPARE(back.count(), 1);

        // Minimised and restored: both signs of the return count once.
        w.windowVisibilityChanged(QWindow::Minimized);
        w.applicationStateChanged(Qt::ApplicationInactive);
        w.windowVisibilityChanged(QWindow::Windowed);
        w.applicationStateChanged(Qt::ApplicationActive);
        QCOMPARE(back.count(), 2);

        // Shown or activated again without having been away: nothing.
        w.applicationStateChanged(Qt::ApplicationActive);
        w.windowVisibilityChanged(QWindow::Maximized);
        QCOMPARE(back.count(), 2);

        // Hidden or suspended is away too.
        w.applicationStateChanged(Qt::ApplicationHidden);
        w.applicationStateChanged(Qt::ApplicationActive);
        w.applicationStateChanged(Qt::ApplicationSuspended);
        w.windowVisibilityChanged(QWindow::FullScreen);
        QCOMPARE(back.count(), 4);
    }

    void returnToTheForegroundRereadsTheNameAndCounts()
    {
        TestCore t;
        t.network().ssid = u"Hotspot"_s;
        t.core->start({});
        ForegroundWatcher w;
        connect(&w, &ForegroundWatcher::willEnterForeground, t.core.get(),
                &AppCore::willEnterForeground);
        w.applicationStateChanged(Qt::ApplicationActive);

        // Back on the same network: counted, and the login is kept.
        t.core->runtimeState()->setStatus(AppStatusAuthorized);
        NotificationRecorder rec(t.hub(),
                                 {Notifications::AppStatusChanged, Notifications::SsidChanged});
        w.applicationStateChanged(Qt::ApplicationInactive);
        w.applicationStateChanged(Qt::ApplicationActive);
        QVERIFY(rec.posted.isEmpty());
        QCOMPARE(t.core->runtimeState()->status(), quint64(AppStatusAuthorized));
        QVERIFY(DeviceInfoCenter::getStatisticsString().startsWith(u"kp_2#"_s));

        w.applicationStateChanged(Qt::ApplicationInactive);
        t.network().ssid = u"Elsewhere"_s; // known to the platform, not yet announced
        w.applicationStateChanged(Qt::ApplicationActive);
        QCOMPARE(rec.count(Notifications::SsidChanged), 1);
        QCOMPARE(t.core->runtimeState()->lastSsid(), u"Elsewhere"_s);
        QVERIFY(DeviceInfoCenter::getStatisticsString().startsWith(u"kp_3#"_s));
    }

    void remoteControlEventsNeedAnEvent()
    {
        TestCore t;
        NotificationRecorder rec(t.hub(), {Notifications::RemoteControlReceived});
        t.core->remoteControlReceived(QVariant());
        QCOMPARE(rec.count(Notifications::RemoteControlReceived), 0);
        t.core->remoteControlReceived(u"play"_s);
        QCOMPARE(rec.last(Notifications::RemoteControlReceived).value(u"event"_s),
                 QVariant(u"play"_s));
    }

    void serialQueueRunsTasksInOrder()
    {
        SerialQueue queue(u"writeDataQueue"_s);
        QList<int> seen;
        QMutex lock;
        for (int i = 0; i < 50; ++i)
            queue.dispatch([&, i] {
                QMutexLocker l(&lock);
                seen << i;
            });
        queue.waitUntilIdle();
        QCOMPARE(seen.size(), 50);
        QVERIFY(std::is_sorted(seen.cbegin(), seen.cend()));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
