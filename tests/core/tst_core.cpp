// The application core without a PC: start-up and the WiFi name, the hub and the runtime state,
// the device identifier and identity strings, usage counters, and the network position.
#include "DefaultsKeys.h"
#include "ForegroundWatcher.h"
#include "KeyedArchive.h"
#include "LinuxNetworkInfo.h"
#include "NotificationNames.h"
#include "RuntimeState.h"
#include "SerialQueue.h"
#include "TestCore.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

using namespace Qt::StringLiterals;
namespace N = Notifications;

namespace {
QString fixture(const QString &name)
{
    QFile f(QStringLiteral(ZEPHYR_FIXTURES) + u'/' + name);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// A core over the given data and keychain folders, as a restart finds them.
std::unique_ptr<AppCore> coreOn(const QTemporaryDir &data, const QTemporaryDir &keychain)
{
    AppConfig c;
    c.dataDir = data.path();
    c.keychainDir = keychain.path();
    return std::make_unique<AppCore>(c, makeFakePlatform(data.filePath(u"settings.ini"_s)));
}
} // namespace

class TestCoreServices : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A link change drops the login even on the same network; a return to the foreground keeps
    // it and is counted; either reads the WiFi name again.
    void linkChangesAndReturnsToTheForeground()
    {
        TestCore t;
        t.network().ssid = u"Hotspot"_s;
        t.core->start({});
        t.core->runtimeState()->setStatus(AppStatusAuthorized);
        NotificationRecorder rec(t.hub(), {N::AppStatusChanged, N::SsidChanged});
        t.core->willEnterForeground();
        QVERIFY(rec.posted.isEmpty());
        QVERIFY(DeviceInfoCenter::getStatisticsString().startsWith(u"kp_2#"_s));
        t.reachability().simulateChange();
        QCOMPARE(t.core->runtimeState()->status(), quint64(AppStatusNotLoggedIn));
        QCOMPARE(rec.posted, QStringList({N::AppStatusChanged}));
        rec.clear();
        t.network().ssid = u"Elsewhere"_s;
        t.reachability().simulateChange();
        QCOMPARE(rec.posted, QStringList({N::SsidChanged}));
        t.network().ssid = u"Third"_s; // known to the platform, not yet announced
        t.core->willEnterForeground();
        QCOMPARE(rec.count(N::SsidChanged), 2);
        QCOMPARE(t.core->runtimeState()->lastSsid(), u"Third"_s);
        QVERIFY(DeviceInfoCenter::getStatisticsString().startsWith(u"kp_3#"_s));
    }

    // Started without a WiFi name: one announcement, and the name is taken when it comes.
    void wifiNameReportedLateIsTaken()
    {
        TestCore t;
        t.network().reported = false;
        NotificationRecorder rec(t.hub(), {N::SsidChanged});
        t.core->start({});
        QCOMPARE(rec.count(N::SsidChanged), 1);
        QVERIFY(!t.core->runtimeState()->lastSsid());
        // "Not on WiFi" again changes nothing: it would end a login for nothing.
        t.network().reportSsidLater(std::nullopt, 50);
        QTest::qWait(150);
        QVERIFY(t.network().reported);
        QCOMPARE(rec.count(N::SsidChanged), 1);
        t.core->runtimeState()->setStatus(AppStatusLoggedIn);
        t.network().reportSsidLater(u"Hotspot"_s, 100);
        QVERIFY(!DeviceInfoCenter::getCurrentSSID());
        QTRY_COMPARE(rec.count(N::SsidChanged), 2);
        QCOMPARE(t.core->runtimeState()->lastSsid(), u"Hotspot"_s);
        QCOMPARE(t.core->runtimeState()->status(), quint64(AppStatusNotLoggedIn));
    }

    // Being shown and activated at start is no return; leaving (inactive, hidden, suspended,
    // minimised) and coming back is one, however many signs of it come.
    void returnsToTheForegroundAreTold()
    {
        ForegroundWatcher w;
        QSignalSpy back(&w, &ForegroundWatcher::willEnterForeground);
        w.applicationStateChanged(Qt::ApplicationInactive);
        w.windowVisibilityChanged(QWindow::Windowed);
        w.applicationStateChanged(Qt::ApplicationActive);
        QCOMPARE(back.count(), 0);
        w.applicationStateChanged(Qt::ApplicationInactive);
        w.applicationStateChanged(Qt::ApplicationActive);
        QCOMPARE(back.count(), 1);
        w.windowVisibilityChanged(QWindow::Minimized);
        w.applicationStateChanged(Qt::ApplicationInactive);
        w.windowVisibilityChanged(QWindow::Windowed);
        w.applicationStateChanged(Qt::ApplicationActive);
        w.applicationStateChanged(Qt::ApplicationActive);
        w.windowVisibilityChanged(QWindow::Maximized);
        QCOMPARE(back.count(), 2);
        w.applicationStateChanged(Qt::ApplicationHidden);
        w.applicationStateChanged(Qt::ApplicationActive);
        w.applicationStateChanged(Qt::ApplicationSuspended);
        w.windowVisibilityChanged(QWindow::FullScreen);
        QCOMPARE(back.count(), 4);
    }

    void serialQueueRunsTasksInOrder()
    {
        SerialQueue queue(u"writeDataQueue"_s);
        QList<int> seen;
        for (int i = 0; i < 50; ++i)
            queue.dispatch([&, i] { seen << i; });
        queue.waitUntilIdle();
        QCOMPARE(seen.size(), 50);
        QVERIFY(std::is_sorted(seen.cbegin(), seen.cend()));
    }

    // Delivery in registration order, with the payload; observers added, removed or destroyed
    // meanwhile.
    void observersChangeDuringDelivery()
    {
        NotificationCenter hub;
        QObject first, second, late;
        auto doomed = std::make_unique<QObject>();
        QStringList calls;
        hub.addObserver(&first, u"n"_s, [&](const QVariantMap &m) {
            calls << u"first"_s + m[u"k"_s].toString();
            doomed.reset(); // removes an observer not yet reached
            hub.addObserver(&late, u"n"_s, [&](const QVariantMap &) { calls << u"late"_s; });
        });
        hub.addObserver(doomed.get(), u"n"_s, [&](const QVariantMap &) { calls << u"doomed"_s; });
        hub.addObserver(&second, u"n"_s, [&](const QVariantMap &) {
            calls << u"second"_s;
            hub.removeObserver(&second);
        });
        hub.addObserver(&first, u"other"_s, [&](const QVariantMap &) { calls << u"x"_s; });
        hub.post(u"n"_s, {{u"k"_s, 1}});
        QCOMPARE(calls, QStringList({u"first1"_s, u"second"_s}));
        calls.clear();
        hub.removeObserver(&first);
        hub.post(u"n"_s);
        QCOMPARE(calls, QStringList({u"late"_s}));
        QCOMPARE(hub.observerCount(u"n"_s), 1);
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

    // Status, count and WiFi name post only changes; a new WiFi name drops the login first.
    void runtimeStatePostsChanges()
    {
        TestCore t;
        RuntimeState *s = t.core->runtimeState();
        s->setLastSsid(u"home"_s);
        NotificationRecorder rec(t.hub(),
                                 {N::AppStatusChanged, N::ClientCountChanged, N::SsidChanged});
        s->setStatus(AppStatusNotLoggedIn);
        s->setClientCount(0);
        s->setLastSsid(u"home"_s);
        QVERIFY(rec.posted.isEmpty());
        s->setStatus(AppStatusAuthorized);
        s->setStatus(AppStatusAuthorized);
        s->setClientCount(3);
        s->setClientCount(3);
        s->setLastSsid(u"office"_s);
        QCOMPARE(rec.posted, QStringList({N::AppStatusChanged, N::ClientCountChanged,
                                          N::AppStatusChanged, N::SsidChanged}));
        QCOMPARE(s->status(), quint64(AppStatusNotLoggedIn));
        QCOMPARE(s->lastSsidText(), u"office"_s);
        // No WiFi, told again, is posted each time.
        s->setLastSsid(std::nullopt);
        rec.clear();
        s->setLastSsid(std::nullopt);
        QCOMPARE(rec.posted, QStringList({N::SsidChanged}));
        QVERIFY(!s->lastSsid().has_value());
        s->setApi(u"http://10.0.0.1:9000"_s);
        QCOMPARE(s->api(), u"http://10.0.0.1:9000/"_s);
        s->setApi(u"http://10.0.0.1:9000/x/"_s);
        QCOMPARE(s->api(), u"http://10.0.0.1:9000/x/"_s);
    }

    void deviceIdIsStableAndSurvivesLosingTheSettings()
    {
        TestCore t;
        QVERIFY(DeviceInfoCenter::getDeviceId().isEmpty());
        const QString id = t.deviceId();
        QVERIFY(QRegularExpression(u"^[0-9A-F]{32}$"_s).match(id).hasMatch());
        QCOMPARE(DeviceInfoCenter::getDeviceId(), id);
        QTRY_VERIFY(t.keychain().items.contains(DefaultsKeys::Uuid));
        t.core->userDefaults().removeObject(DefaultsKeys::Uuid);
        QCOMPARE(t.deviceId(), id);
        QCOMPARE(t.core->userDefaults().stringForKey(DefaultsKeys::Uuid), id);
    }

    void slowKeychainAnswersEveryCallerOnce()
    {
        TestCore t;
        t.keychain().answerDelayMs = 300;
        t.keychain().items.insert(
            DefaultsKeys::Uuid, KeyedArchive::archive(QVariantMap{
                                    {DefaultsKeys::Uuid, u"0123456789ABCDEF0123456789ABCDEF"_s}}));
        QStringList answers;
        QObject first, second;
        auto *gone = new QObject;
        DeviceInfoCenter::requestDeviceId(&first, [&](const QString &id) { answers << id; });
        DeviceInfoCenter::requestDeviceId(gone, [&](const QString &) { answers << u"gone"_s; });
        DeviceInfoCenter::requestDeviceId(&second, [&](const QString &id) { answers << id; });
        // One keychain read serves everyone waiting; nobody is answered before it.
        QCOMPARE(t.keychain().pendingCalls(), 1);
        QVERIFY(answers.isEmpty());
        delete gone;
        QTRY_COMPARE(answers.size(), 2);
        QCOMPARE(answers, QStringList(2, u"0123456789ABCDEF0123456789ABCDEF"_s));
        QTest::qWait(50);
        QCOMPARE(answers.size(), 2);
        // Known now: the next caller is answered at once.
        DeviceInfoCenter::requestDeviceId(&first, [&](const QString &id) { answers << id; });
        QCOMPARE(answers.size(), 3);
    }

    // A keychain that refuses, or holds what cannot be read, still gives a stable identifier.
    void keychainFaultsStillGiveAStableId_data()
    {
        QTest::addColumn<bool>("refuse");
        QTest::newRow("refuses") << true;
        QTest::newRow("unreadable item") << false;
    }
    void keychainFaultsStillGiveAStableId()
    {
        QFETCH(bool, refuse);
        TestCore t;
        t.keychain().refuse = refuse;
        t.keychain().items.insert(DefaultsKeys::Uuid, "garbage");
        const QString id = t.deviceId();
        QVERIFY(QRegularExpression(u"^[0-9A-F]{32}$"_s).match(id).hasMatch());
        QCOMPARE(t.deviceId(), id);
        QCOMPARE(DeviceInfoCenter::getLoginUA().split(u';')[6], id);
    }

    void deviceNameFallsBackToThePlatforms()
    {
        AppCore core(AppConfig{}, makeFakePlatform());
        static_cast<FakeSystemInfo &>(*core.platform().systemInfo).name = u"Lab phone"_s;
        QCOMPARE(DeviceInfoCenter::getDeviceName(), u"Lab phone"_s);
        QCOMPARE(DeviceInfoCenter::getLoginUA().split(u';')[3], u"Lab+phone"_s);
    }

    void loginAndAuthStringsHaveEightFields()
    {
        AppConfig c;
        c.wifiAddressOverride = std::optional<QString>(u"192.168.23.45"_s);
        c.deviceName = u"My phone ü;"_s;
        TestCore t(c);
        const QString id = t.deviceId();
        const QString login = DeviceInfoCenter::getLoginUA();
        QVERIFY(login.endsWith(u";"_s));
        const QStringList f = login.split(u';');
        QCOMPARE(f.size(), 9);
        QCOMPARE(f[3], u"My+phone+%C3%BC%3B"_s);
        QCOMPARE(f[4], u"192.168.23.45"_s);
        QCOMPARE(f[6], id);
        QCOMPARE(f[7], QString());
        QCOMPARE(DeviceInfoCenter::getAuthUA(), login);
        QCOMPARE(DeviceInfoCenter::getHttpRequestUA(), QString());
        const QString token = u"fedcba9876543210FEDCBA9876543210"_s;
        t.core->userDefaults().setValue(DefaultsKeys::Token, token);
        QCOMPARE(DeviceInfoCenter::getAuthUA().split(u';')[7], token);
        // Known answers: the token XOR the MD5 hex of the millisecond stamp, in Base64, then it.
        quint64 now = 1700000000;
        DeviceInfoCenter::sharedInstance()->setClock([&] { return now; });
        const auto field8 = [] { return DeviceInfoCenter::getHttpRequestUA().split(u';')[7]; };
        const QString at0 = u"AAQFV1oAXwgCUwIFVgsGVichIXt2eA5eBwdUBlFWVVY=1700000000000"_s;
        QCOMPARE(field8(), at0);
        // Same second: the next stamp is one second later, the third is the first again.
        QCOMPARE(field8(), u"XgNcVQRRDVtWAlcHBAQABHRxISZ6c11bAwYGVwtRAgc=1700000001000"_s);
        QCOMPARE(field8(), at0);
        now += 10;
        QCOMPARE(field8(), u"VVRSBlEFWA8DAgQFVQVXBnV1c3AmeQhaDwMNDAMLA1I=1700000010000"_s);
        t.core->userDefaults().setValue(DefaultsKeys::Token, u"short-token"_s);
        QCOMPARE(DeviceInfoCenter::getHttpRequestUA().split(u';').size(), 9);
        QCOMPARE(field8(), QString());
    }

    // Counts are kept per key; an unreadable record counts from zero.
    void statisticsCountAndReport()
    {
        TestCore t;
        t.core->userDefaults().setValue(DefaultsKeys::StatisticsDictionary, QByteArray("junk"));
        QVERIFY(DeviceInfoCenter::getStatisticsString().startsWith(u"kp_0#"_s));
        DeviceInfoCenter::increaseStatisticsByKey(1);
        DeviceInfoCenter::increaseStatisticsByKey(1);
        DeviceInfoCenter::increaseStatisticsByKey(20);
        DeviceInfoCenter::increaseStatisticsByKey(11);
        const QString text = DeviceInfoCenter::getStatisticsString();
        QVERIFY(text.startsWith(u"kp_2#xp_0#"_s));
        QVERIFY(text.endsWith(u"#gj_1#xm_0#aj_0#wp_0#cs_0#lw_0#ty_0#jk_0#jp_0#js_1"_s));
    }

    // Unreadable settings start from nothing; counts then survive restarts.
    void settingsAcrossRestarts()
    {
        QTemporaryDir data, keychain;
        QFile garbage(data.filePath(u"settings.ini"_s));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write("\x00\xff[[[not=an\nini\x01 file");
        garbage.close();
        for (int run = 0; run < 2; ++run) {
            const auto core = coreOn(data, keychain);
            QVERIFY(DeviceInfoCenter::getStatisticsString().contains(
                run ? u"#yy_1#"_s : u"kp_0#xp_0#yp_0#yy_0#"_s));
            QString id;
            DeviceInfoCenter::requestDeviceId(core.get(), [&id](const QString &v) { id = v; });
            QTRY_COMPARE(id.size(), 32);
            QCOMPARE(DeviceInfoCenter::getDeviceId(), id);
            DeviceInfoCenter::increaseStatisticsByKey(4);
        }
        const auto core = coreOn(data, keychain);
        QVERIFY(DeviceInfoCenter::getStatisticsString().contains(u"#yy_2#"_s));
    }

    // The last default route of the WiFi interface with the gateway flag wins.
    void routeAndWirelessTables()
    {
        const QString table = fixture(u"proc_net_route.txt"_s);
        QVERIFY(!table.isEmpty());
        QCOMPARE(LinuxNetworkInfo::parseDefaultGateway(table, u"wlan0"_s), u"192.168.137.1"_s);
        QCOMPARE(LinuxNetworkInfo::parseDefaultGateway(table, u"eth0"_s), u"192.168.1.254"_s);
        QVERIFY(!LinuxNetworkInfo::parseDefaultGateway(table, u"wlan1"_s));
        QVERIFY(!LinuxNetworkInfo::parseDefaultGateway(QString(), u"wlan0"_s));
        QVERIFY(!LinuxNetworkInfo::parseDefaultGateway(u"garbage\nwlan0 zz yy"_s, u"wlan0"_s));
        const QString routes = u"Iface\tDestination\tGateway\tFlags\n"
                               "wlan0\t00000000\t0101A8C0\t0003\n"
                               "wlan0\t00000000\t0201A8C0\t0003\n"
                               "wlan0\t00000000\t0301A8C0\t0001\n"_s;
        QCOMPARE(LinuxNetworkInfo::parseDefaultGateway(routes, u"wlan0"_s), u"192.168.1.2"_s);
        const QString wireless = u"Inter-| sta-|   Quality        |   Discarded packets\n"
                                 " face | tus | link level noise |  nwid  crypt   frag\n"
                                 " wlp2s0: 0000   62.  -48.  -256        0      0      0\n"_s;
        QCOMPARE(LinuxNetworkInfo::parseWirelessInterfaces(wireless), QStringList({u"wlp2s0"_s}));
    }

    void pcAddressIsTheGatewayElseHostOne()
    {
        TestCore t;
        t.network().gateway = u"192.168.137.1"_s;
        t.network().address = u"192.168.137.23"_s;
        QCOMPARE(DeviceInfoCenter::getServerWiFiIPAddress(), u"192.168.137.1"_s);
        t.network().gateway.reset();
        t.network().address = u"10.1.2.3"_s;
        QCOMPARE(DeviceInfoCenter::getServerWiFiIPAddress(), u"10.1.2.1"_s);
        t.network().address.reset();
        QVERIFY(!DeviceInfoCenter::getServerWiFiIPAddress());
        QVERIFY(!DeviceInfoCenter::getServerIpByLocalIp(u"10.1.2"_s));
        QVERIFY(!DeviceInfoCenter::getServerIpByLocalIp(u"1.2.3.4.5"_s));
    }

    // The command-line tests run on the usual settings; here the odd ones. A configured WiFi name,
    // empty for "not on WiFi", holds whatever the system says; a bad port is the default one.
    void configReadsTheEnvironment()
    {
        qputenv("ZEPHYR_SSID", "");
        qputenv("ZEPHYR_UDP_PORT", "not-a-port");
        qputenv("ZEPHYR_FEEDBACK_URL", "http://127.0.0.1:5");
        const AppConfig c = AppConfig::fromEnvironment();
        qunsetenv("ZEPHYR_SSID");
        qunsetenv("ZEPHYR_UDP_PORT");
        qunsetenv("ZEPHYR_FEEDBACK_URL");
        QCOMPARE(c.udpPort, quint16(8360));
        QCOMPARE(c.feedbackUrl, u"http://127.0.0.1:5/"_s);
        QVERIFY(!c.wifiAddressOverride.has_value());
        TestCore t(c);
        t.network().ssid = u"ignored"_s;
        t.core->start({});
        QVERIFY(!DeviceInfoCenter::getCurrentSSID());
        NotificationRecorder rec(t.hub(), {N::SsidChanged});
        t.network().reportSsid(u"Elsewhere"_s);
        QVERIFY(rec.posted.isEmpty());
        QVERIFY(!t.core->runtimeState()->lastSsid());
    }
};

QTEST_GUILESS_MAIN(TestCoreServices)
#include "tst_core.moc"
