#include "DefaultsKeys.h"
#include "DeviceInfoCenter.h"
#include "ForegroundWatcher.h"
#include "GuideController.h"
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

    AppCore::Hooks recordingHooks(TestCore &t, QStringList &steps, QString &storeThread,
                                  bool &foldersExistedForStore)
    {
        AppCore::Hooks hooks;
        hooks.createServices = [&](AppCore &) { steps << u"services"_s; };
        hooks.openStore = [&, lib = t.core->libraryPath()](AppCore &) {
            storeThread = QThread::currentThread()->objectName();
            foldersExistedForStore = true;
            for (const char *f : {"file", "preview", "qt", "image", "thumb"})
                foldersExistedForStore &= QDir(lib + u'/' + QString::fromLatin1(f)).exists();
        };
        hooks.showGuide = [&] { steps << u"guide"_s; };
        hooks.commitStatistics = [&] { steps << u"statistics"_s; };
        t.hub()->addObserver(t.core.get(), Notifications::SsidChanged, [&](const QVariantMap &) {
            steps << u"ssid:"_s + t.core->runtimeState()->lastSsidText();
        });
        return hooks;
    }

private Q_SLOTS:
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
        QStringList steps;
        QString storeThread;
        bool folders = false;
        QVERIFY(t.core->start(recordingHooks(t, steps, storeThread, folders)));
        QCOMPARE(t.folders().locked, QStringList{t.library()});
        // The WiFi name is known before anything is shown or reported.
        QCOMPARE(steps.first(), u"services"_s);
        QCOMPARE(steps.at(1), u"ssid:Hotspot"_s);
        QCOMPARE(steps.contains(u"guide"_s), !guideDone);
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
        QStringList steps;
        QString storeThread;
        bool folders = false;
        QVERIFY(!t.core->start(recordingHooks(t, steps, storeThread, folders)));
        QVERIFY(steps.isEmpty());
        QVERIFY(storeThread.isEmpty());
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

        // A repeated report of the same name is no change either.
        Q_EMIT t.network().ssidChanged();
        QCOMPARE(rec.count(Notifications::SsidChanged), 2);
        t.network().reportSsid(std::nullopt);
        QCOMPARE(rec.count(Notifications::SsidChanged), 3);
        QVERIFY(!t.core->runtimeState()->lastSsid());
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
        QVERIFY(DeviceInfoCenter::getStatisticsString().startsWith(u"kp_1#"_s));

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

    void guideNeedsTheAgreementToLeave()
    {
        TestCore t;
        GuideController guide;
        guide.show();
        QVERIFY(guide.isVisible());
        guide.tappedCheckButton();
        QVERIFY(!guide.tappedStartButton());
        guide.tappedCheckButton();
        QSignalSpy dismiss(&guide, &GuideController::dismissRequested);
        QVERIFY(guide.tappedStartButton());
        QCOMPARE(dismiss.count(), 1);
        QVERIFY(!t.core->isFirstLaunchGuideCompleted());
        guide.finishDismiss();
        QVERIFY(!guide.isVisible());
        QVERIFY(t.core->isFirstLaunchGuideCompleted());
        QVERIFY(t.core->userDefaults().boolForKey(DefaultsKeys::IsNotFirstV2));
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
