#include "CHKeychain.h"
#include "DefaultsKeys.h"
#include "DeviceInfoCenter.h"
#include "KeyedArchive.h"
#include "TestCore.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
// Field 8 of a per-request identity string, computed here from its definition.
QString expectedField8(const QByteArray &token, quint64 seconds)
{
    const QByteArray stamp = QByteArray::number(seconds) + "000";
    const QByteArray digest = QCryptographicHash::hash(stamp, QCryptographicHash::Md5).toHex();
    QByteArray mixed(32, '\0');
    for (int i = 0; i < 32; ++i)
        mixed[i] = char(token[i] ^ digest[i]);
    return QString::fromLatin1(mixed.toBase64() + stamp);
}

AppConfig configWithAddress()
{
    AppConfig c;
    c.wifiAddressOverride = std::optional<QString>(u"192.168.23.45"_s);
    c.deviceName = u"My phone ü;"_s;
    return c;
}
} // namespace

class TestIdentity : public QObject
{
    Q_OBJECT
private Q_SLOTS:
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

    void refusingKeychainStillGivesAStableId()
    {
        TestCore t;
        t.keychain().refuse = true;
        const QString id = t.deviceId();
        QCOMPARE(id.size(), 32);
        QCOMPARE(t.deviceId(), id);
        QCOMPARE(DeviceInfoCenter::getLoginUA().split(u';')[6], id);
    }

    void fileKeychainKeepsTheIdAcrossDataFolders()
    {
        QTemporaryDir keychainDir;
        QString id;
        {
            AppConfig c;
            c.keychainDir = keychainDir.path();
            TestCore t(c, false);
            id = t.deviceId();
            QVERIFY(!id.isEmpty());
        }
        AppConfig c;
        c.keychainDir = keychainDir.path();
        TestCore fresh(c, false);
        QVERIFY(fresh.core->userDefaults().stringForKey(DefaultsKeys::Uuid).isEmpty());
        QCOMPARE(fresh.deviceId(), id);
    }

    void unreadableKeychainItemIsIgnored()
    {
        TestCore t;
        t.keychain().items.insert(DefaultsKeys::Uuid, "garbage");
        std::optional<std::optional<QVariant>> loaded;
        QObject owner;
        CHKeychain::load(DefaultsKeys::Uuid, &owner,
                         [&](std::optional<QVariant> v) { loaded = v; });
        QTRY_VERIFY(loaded.has_value());
        QVERIFY(!loaded->has_value());
        QCOMPARE(t.deviceId().size(), 32);
    }

    void deviceNameIsConfiguredElseThePlatforms()
    {
        {
            TestCore configured; // names the phone
            QCOMPARE(DeviceInfoCenter::getDeviceName(), u"Test phone"_s);
        }
        AppCore core(AppConfig{}, makeFakePlatform());
        static_cast<FakeSystemInfo &>(*core.platform().systemInfo).name = u"Lab phone"_s;
        QCOMPARE(DeviceInfoCenter::getDeviceName(), u"Lab phone"_s);
        QCOMPARE(DeviceInfoCenter::getLoginUA().split(u';')[3], u"Lab+phone"_s);
    }

    void freeDiskSpaceComesFromThePlatform()
    {
        TestCore t;
        t.system().free = 123456789;
        QCOMPARE(DeviceInfoCenter::getFreeDiskSpace(), quint64(123456789));
    }

    void loginAndAuthStringsHaveEightFields()
    {
        TestCore t(configWithAddress());
        const QString id = t.deviceId();
        const QString login = DeviceInfoCenter::getLoginUA();
        QVERIFY(login.endsWith(u";"_s));
        const QStringList f = login.split(u';');
        QCOMPARE(f.size(), 9);
        QCOMPARE(f[0], u"iPhone"_s);
        QCOMPARE(f[3], u"My+phone+%C3%BC%3B"_s);
        QCOMPARE(f[4], u"192.168.23.45"_s);
        QCOMPARE(f[5], u"8360"_s);
        QCOMPARE(f[6], id);
        QCOMPARE(f[7], QString());
        QCOMPARE(DeviceInfoCenter::getAuthUA(), login);
        QCOMPARE(DeviceInfoCenter::getHttpRequestUA(), QString());

        t.core->userDefaults().setValue(DefaultsKeys::Token, u"0123456789abcdef0123456789abcdef"_s);
        QCOMPARE(DeviceInfoCenter::getAuthUA().split(u';')[7],
                 u"0123456789abcdef0123456789abcdef"_s);
    }

    void requestStringMixesTheTokenWithTheStamp()
    {
        TestCore t(configWithAddress());
        const QByteArray token = "fedcba9876543210FEDCBA9876543210";
        t.core->userDefaults().setValue(DefaultsKeys::Token, QString::fromLatin1(token));
        quint64 now = 1700000000;
        DeviceInfoCenter::sharedInstance()->setClock([&] { return now; });

        const QString first = DeviceInfoCenter::getHttpRequestUA().split(u';')[7];
        QCOMPARE(first, expectedField8(token, now));
        QCOMPARE(first.size(), 44 + 13);
        // Same second: the next stamp is one second later, the third is the first again.
        QCOMPARE(DeviceInfoCenter::getHttpRequestUA().split(u';')[7],
                 expectedField8(token, now + 1));
        QCOMPARE(DeviceInfoCenter::getHttpRequestUA().split(u';')[7], expectedField8(token, now));
        now += 10;
        QCOMPARE(DeviceInfoCenter::getHttpRequestUA().split(u';')[7], expectedField8(token, now));
    }

    void tokenOfTheWrongLengthSendsAnEmptyField()
    {
        TestCore t(configWithAddress());
        t.core->userDefaults().setValue(DefaultsKeys::Token, u"short-token"_s);
        const QString ua = DeviceInfoCenter::getHttpRequestUA();
        QVERIFY(!ua.isEmpty());
        QCOMPARE(ua.split(u';').size(), 9);
        QCOMPARE(ua.split(u';')[7], QString());
    }

    void missingWifiAddressLeavesFieldFiveEmpty()
    {
        TestCore t;
        QCOMPARE(DeviceInfoCenter::getLoginUA().split(u';')[4], QString());
    }

    void statisticsCountAndReport()
    {
        TestCore t;
        QCOMPARE(DeviceInfoCenter::getStatisticsString(),
                 u"kp_0#xp_0#yp_0#yy_0#sz_0#sw_0#jj_0#fj_0#jr_0#jc_0#gj_0#xm_0#aj_0#wp_0#cs_0#lw_0#"
                 "ty_0#jk_0#jp_0#js_0"_s);
        DeviceInfoCenter::increaseStatisticsByKey(1);
        DeviceInfoCenter::increaseStatisticsByKey(1);
        DeviceInfoCenter::increaseStatisticsByKey(20);
        DeviceInfoCenter::increaseStatisticsByKey(11);
        const QString text = DeviceInfoCenter::getStatisticsString();
        QVERIFY(text.startsWith(u"kp_2#xp_0#"_s));
        QVERIFY(text.endsWith(u"#js_1"_s));
        QVERIFY(text.contains(u"#gj_1#"_s));
        QCOMPARE(text.count(u'#'), 19);
    }

    void unreadableStatisticsCountFromZero()
    {
        TestCore t;
        t.core->userDefaults().setValue(DefaultsKeys::StatisticsDictionary, QByteArray("junk"));
        QVERIFY(DeviceInfoCenter::getStatisticsString().startsWith(u"kp_0#"_s));
        DeviceInfoCenter::increaseStatisticsByKey(2);
        QVERIFY(DeviceInfoCenter::getStatisticsString().startsWith(u"kp_0#xp_1#"_s));
    }

    void unreadableSettingsStartFromNothing()
    {
        QTemporaryDir data, keychain;
        {
            QFile garbage(data.filePath(u"settings.ini"_s));
            QVERIFY(garbage.open(QIODevice::WriteOnly));
            garbage.write("\x00\xff[[[not=an\nini\x01 file");
        }
        AppConfig c;
        c.dataDir = data.path();
        c.keychainDir = keychain.path();
        AppCore core(c, makeFakePlatform(data.filePath(u"settings.ini"_s)));
        QVERIFY(DeviceInfoCenter::getStatisticsString().startsWith(u"kp_0#xp_0#"_s));
        QString id;
        DeviceInfoCenter::requestDeviceId(&core, [&id](const QString &value) { id = value; });
        QTRY_COMPARE(id.size(), 32);
        QCOMPARE(DeviceInfoCenter::getDeviceId(), id);
    }

    void countsSurviveARestart()
    {
        QTemporaryDir data, keychain;
        AppConfig c;
        c.dataDir = data.path();
        c.keychainDir = keychain.path();
        for (int run = 0; run < 2; ++run) {
            AppCore core(c, makeFakePlatform(data.filePath(u"settings.ini"_s)));
            DeviceInfoCenter::increaseStatisticsByKey(4);
        }
        AppCore core(c, makeFakePlatform(data.filePath(u"settings.ini"_s)));
        QVERIFY(DeviceInfoCenter::getStatisticsString().contains(u"#yy_2#"_s));
    }
};

QTEST_GUILESS_MAIN(TestIdentity)
#include "tst_identity.moc"
