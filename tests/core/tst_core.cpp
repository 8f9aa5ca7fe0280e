// The core without a PC: start-up, WiFi name, hub and runtime state, identity, counters,
// network position, and the encodings (JSON, the PC's file entries).
#include "DefaultsKeys.h"
#include "FileObject.h"
#include "ForegroundWatcher.h"
#include "JsonUtils.h"
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

#include "VariantCompare.h"

using namespace Qt::StringLiterals;
namespace N = Notifications;

namespace {
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
    // A link change drops the login; a return to the foreground keeps it; both reread the name.
    void linkChangesAndReturnsToTheForeground()
    {
        TestCore t;
        t.network().ssid = u"Hotspot"_s;
        t.core->start({});
        t.core->runtimeState()->setStatus(AppStatusAuthorized);
        NotificationRecorder rec(t.hub(), {N::AppStatusChanged, N::SsidChanged});
        t.core->willEnterForeground();
        QVERIFY(rec.posted.isEmpty());
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

    // Showing at start is no return; coming back is one, however many signs of it come.
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
    }

    // In registration order, with the payload; observers added, removed or destroyed meanwhile.
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

    // A post from a queue's thread arrives on the hub's thread (the store's reads show the
    // queue keeps the order).
    void postsFromASerialQueue()
    {
        SerialQueue queue(u"writeDataQueue"_s);
        NotificationCenter hub;
        QObject owner;
        QThread *postedOn = nullptr, *deliveredOn = nullptr;
        hub.addObserver(&owner, u"n"_s,
                        [&](const QVariantMap &) { deliveredOn = QThread::currentThread(); });
        queue.dispatch([&] { postedOn = QThread::currentThread(), hub.post(u"n"_s); });
        queue.waitUntilIdle();
        QVERIFY(postedOn && postedOn != QThread::currentThread());
        QTRY_COMPARE(deliveredOn, QThread::currentThread());
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
        s->setClientCount(3);
        s->setLastSsid(u"office"_s);
        QCOMPARE(rec.posted, QStringList({N::AppStatusChanged, N::ClientCountChanged,
                                          N::AppStatusChanged, N::SsidChanged}));
        QCOMPARE(s->status(), quint64(AppStatusNotLoggedIn));
        s->setApi(u"http://10.0.0.1:9000"_s);
        QCOMPARE(s->api(), u"http://10.0.0.1:9000/"_s);
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
        DeviceInfoCenter::requestDeviceId(&first, [&](const QString &id) { answers << id; });
        QCOMPARE(answers.size(), 3);
    }

    // Kept in the keychain, the identifier survives losing the settings; a keychain that refuses,
    // or holds what cannot be read, still gives a stable one.
    void deviceIdIsStable_data()
    {
        QTest::addColumn<bool>("refuse");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("healthy keychain") << false << QByteArray();
        QTest::newRow("refuses") << true << QByteArray("garbage");
        QTest::newRow("unreadable item") << false << QByteArray("garbage");
    }
    void deviceIdIsStable()
    {
        QFETCH(bool, refuse);
        QFETCH(QByteArray, stored);
        TestCore t;
        t.keychain().refuse = refuse;
        if (!stored.isEmpty())
            t.keychain().items.insert(DefaultsKeys::Uuid, stored);
        const QString id = t.deviceId();
        QVERIFY(QRegularExpression(u"^[0-9A-F]{32}$"_s).match(id).hasMatch());
        QCOMPARE(t.deviceId(), id);
        if (stored.isEmpty()) {
            QTRY_VERIFY(t.keychain().items.contains(DefaultsKeys::Uuid));
            t.core->userDefaults().removeObject(DefaultsKeys::Uuid);
            QCOMPARE(t.deviceId(), id);
        }
    }

    void loginAndAuthStringsHaveEightFields()
    {
        AppConfig c;
        c.wifiAddressOverride = std::optional<QString>(u"192.168.23.45"_s);
        c.deviceName = u"My phone ü;"_s;
        TestCore t(c);
        const QString id = t.deviceId();
        const QString login = DeviceInfoCenter::getLoginUA();
        const QStringList f = login.split(u';');
        QCOMPARE(f.size(), 9);
        QCOMPARE(f[3], u"My+phone+%C3%BC%3B"_s);
        QCOMPARE(f[4], u"192.168.23.45"_s);
        QCOMPARE(f[6], id);
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
        t.core->userDefaults().setValue(DefaultsKeys::Token, u"short-token"_s);
        QCOMPARE(DeviceInfoCenter::getHttpRequestUA().split(u';').size(), 9);
        QCOMPARE(field8(), QString());
    }

    // Unreadable settings, or an unreadable count record in them, start from nothing; counts
    // then survive restarts.
    void settingsAcrossRestarts()
    {
        QTemporaryDir data, keychain;
        QFile garbage(data.filePath(u"settings.ini"_s));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write("\x00\xff[[[not=an\nini\x01 file");
        garbage.close();
        for (int run = 0; run < 2; ++run) {
            const auto core = coreOn(data, keychain);
            if (run == 0)
                core->userDefaults().setValue(DefaultsKeys::StatisticsDictionary, "junk"_ba);
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
        QFile file(QStringLiteral(ZEPHYR_FIXTURES "/proc_net_route.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString table = QString::fromUtf8(file.readAll());
        QCOMPARE(LinuxNetworkInfo::parseDefaultGateway(table, u"wlan0"_s), u"192.168.137.1"_s);
        QCOMPARE(LinuxNetworkInfo::parseDefaultGateway(table, u"eth0"_s), u"192.168.1.254"_s);
        QVERIFY(!LinuxNetworkInfo::parseDefaultGateway(table, u"wlan1"_s));
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
        QVERIFY(!DeviceInfoCenter::getServerIpByLocalIp(u"1.2.3.4.5"_s));
    }

    void jsonReadersAgree_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("kinds") << QByteArray("{\"a\":1,\"b\":-2,\"c\":\"x\\\"y\\\\z\\/\\n\\t\","
                                             "\"d\":true,\"e\":false,\"f\":[],\"g\":{},"
                                             "\"h\":[[{\"k\":\"\xc3\xa9\"}]]}");
        QTest::newRow("repeated strings") << QByteArray(
            "[{\"name\":\"abcde\",\"type\":1},{\"type\":2,\"name\":\"aXcde\"},"
            "{\"abcde\":\"name\",\"aXcde\":\"type\",\"name\":\"abcde\"},\"aXcde\",\"\"]");
        QTest::newRow("twice the same key later") << QByteArray("[{\"a\":1},{\"b\":1,\"b\":2}]");
        QTest::newRow("too large for a double") << QByteArray("[1.7976931348623159e308]");
        QTest::newRow("nested 1025 deep") << QByteArray(1025, '[') + QByteArray(1025, ']');
        QTest::newRow("cut off") << QByteArray("{\"a\":[1,2");
    }

    // The reader agrees with QJsonDocument, kinds and values and refusals; the rows are the cases
    // the json_reader fuzz corpus (replayed as a test) does not hold.
    void jsonReadersAgree()
    {
        QFETCH(QByteArray, json);
        const QVariant expected = qtJsonReading(json);
        const QVariant read = JsonUtils::dataToDictionary(json);
        QCOMPARE(read.isValid(), expected.isValid());
        QVERIFY(!read.isValid() || sameVariant(read, expected));
    }

    // Types are 32-bit, sizes 64-bit and never negative, other kinds convert, non-objects are
    // empty.
    void fileEntries()
    {
        const FileObject big(
            QVariantMap{{u"type"_s, qlonglong(4294967298)}, {u"size"_s, qlonglong(4294967296)}});
        QCOMPARE(big.type, quint64(FileObject::Drive));
        QCOMPARE(big.size, quint64(4294967296));
        QCOMPARE(FileObject(QVariantMap{{u"size"_s, qlonglong(-5)}}).size, quint64(0));
        QCOMPARE(FileObject(QVariantMap{{u"type"_s, qlonglong(-1)}}).type, ~quint64(0));
        const FileObject f(QVariantMap{{u"name"_s, qlonglong(12)},
                                       {u"type"_s, u"3"_s},
                                       {u"time"_s, 1.7e9},
                                       {u"size"_s, u"lots"_s}});
        QCOMPARE(f.name, u"12"_s);
        QCOMPARE(f.type, quint64(FileObject::DriveOther));
        QCOMPARE(f.time, quint64(1700000000));
        QCOMPARE(f.last_modify, quint64(1700000000));
        QCOMPARE(f.size, quint64(0));
        for (const QVariant &v : {QVariant(), QVariant(u"x"_s), QVariant(QVariantList{1})}) {
            const FileObject e(v);
            QVERIFY(e.name.isEmpty() && e.type == FileObject::File && e.size == 0);
        }
        // Names and paths from the PC are written as they are, markers like "%1" included.
        const FileObject marked(QVariantMap{{u"name"_s, u"50%1 off %2"_s}, {u"path"_s, u"%10"_s}});
        QCOMPARE(marked.description().section(u' ', 1, 4), u"name=50%1 off %2 path=%10"_s);
    }
};

QTEST_GUILESS_MAIN(TestCoreServices)
#include "tst_core.moc"
