#include "CHKeychain.h"
#include "DefaultsKeys.h"
#include "DeviceInfoCenter.h"
#include "KeyedArchive.h"
#include "TestCore.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
AppConfig configWithAddress()
{
    AppConfig c;
    c.wifiAddressOverride = std::optional<QString>(u"192.168.23.45"_s);
    c.deviceName = u"My phone ü;"_s;
    return c;
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

    void deviceNameFallsBackToThePlatforms()
    {
        AppCore core(AppConfig{}, makeFakePlatform());
        static_cast<FakeSystemInfo &>(*core.platform().systemInfo).name = u"Lab phone"_s;
        QCOMPARE(DeviceInfoCenter::getDeviceName(), u"Lab phone"_s);
        QCOMPARE(DeviceInfoCenter::getLoginUA().split(u';')[3], u"Lab+phone"_s);
    }

    void loginAndAuthStringsHaveEightFields()
    {
        TestCore t(configWithAddress());
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

        t.core->userDefaults().setValue(DefaultsKeys::Token, u"0123456789abcdef0123456789abcdef"_s);
        QCOMPARE(DeviceInfoCenter::getAuthUA().split(u';')[7],
                 u"0123456789abcdef0123456789abcdef"_s);
    }

    // Known answers: the token XOR the MD5 hex of the millisecond stamp, in Base64, then the stamp.
    void requestStringMixesTheTokenWithTheStamp()
    {
        TestCore t(configWithAddress());
        t.core->userDefaults().setValue(DefaultsKeys::Token, u"fedcba9876543210FEDCBA9876543210"_s);
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

    void unreadableSettingsStartFromNothing()
    {
        QTemporaryDir data, keychain;
        {
            QFile garbage(data.filePath(u"settings.ini"_s));
            QVERIFY(garbage.open(QIODevice::WriteOnly));
            garbage.write("\x00\xff[[[not=an\nini\x01 file");
        }
        const auto core = coreOn(data, keychain);
        QVERIFY(DeviceInfoCenter::getStatisticsString().startsWith(u"kp_0#xp_0#"_s));
        QString id;
        DeviceInfoCenter::requestDeviceId(core.get(), [&id](const QString &value) { id = value; });
        QTRY_COMPARE(id.size(), 32);
        QCOMPARE(DeviceInfoCenter::getDeviceId(), id);
    }

    void countsSurviveARestart()
    {
        QTemporaryDir data, keychain;
        for (int run = 0; run < 2; ++run) {
            const auto core = coreOn(data, keychain);
            DeviceInfoCenter::increaseStatisticsByKey(4);
        }
        const auto core = coreOn(data, keychain);
        QVERIFY(DeviceInfoCenter::getStatisticsString().contains(u"#yy_2#"_s));
    }
};

QTEST_GUILESS_MAIN(TestIdentity)
#include "tst_identity.moc"
