// The client list's texts, the rules of the blacklist and rate-limit requests, and the rate-limit
// slider, with known answers.
#include "ClientListText.h"
#include "ClientRules.h"
#include "LimitRate.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {
QVariantMap entry(const QVariantMap &fields)
{
    QVariantMap e{{u"mac"_s, u"AA:BB:CC:00:00:02"_s},
                  {u"name"_s, u"Laptop"_s},
                  {u"ip"_s, u"192.168.23.3"_s},
                  {u"isadmin"_s, 0},
                  {u"down_rate"_s, 0},
                  {u"up_rate"_s, 0},
                  {u"down_limit"_s, 0},
                  {u"up_limit"_s, 0},
                  {u"online_time"_s, u"1:05"_s}};
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        e.insert(it.key(), it.value());
    return e;
}
} // namespace

class TestHotspotRules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void rateText_data()
    {
        QTest::addColumn<QVariant>("down");
        QTest::addColumn<QVariant>("up");
        QTest::addColumn<QString>("text");
        QTest::newRow("1023 B/s") << QVariant(1023) << QVariant(0) << u"1023B/s"_s;
        QTest::newRow("exactly 1 KiB/s") << QVariant(1024) << QVariant(0) << u"1.0KB/s"_s;
        QTest::newRow("both directions add up") << QVariant(512) << QVariant(512) << u"1.0KB/s"_s;
        QTest::newRow("negative is nothing") << QVariant(-5000) << QVariant(10) << u"10B/s"_s;
        QTest::newRow("not a number") << QVariant(u"fast"_s) << QVariant() << u"0B/s"_s;
        QTest::newRow("no overflow")
            << QVariant(qint64(1) << 62) << QVariant(qint64(1) << 62) << u"8796093022208.0MB/s"_s;
    }
    void rateText()
    {
        QFETCH(QVariant, down);
        QFETCH(QVariant, up);
        QFETCH(QString, text);
        QCOMPARE(ClientListText::rateText(entry({{u"down_rate"_s, down}, {u"up_rate"_s, up}})),
                 text);
    }

    void onlineTimeAndTheRowLine()
    {
        QCOMPARE(ClientListText::onlineTimeText(entry({{u"online_time"_s, u"2:35"_s}})),
                 u"2小时35分钟"_s);
        QCOMPARE(ClientListText::onlineTimeText(entry({{u"online_time"_s, u"12:07:59"_s}})),
                 u"12小时7分钟"_s);
        // Parts that are not numbers read as 0; a time without ":" or not a text shows nothing.
        QCOMPARE(ClientListText::onlineTimeText(entry({{u"online_time"_s, u"x:3m"_s}})),
                 u"0小时3分钟"_s);
        QCOMPARE(ClientListText::onlineTimeText(entry({{u"online_time"_s, u"135"_s}})), QString());
        QCOMPARE(ClientListText::onlineTimeText(entry({{u"online_time"_s, 135}})), QString());

        QCOMPARE(ClientListText::connectText(entry({{u"down_rate"_s, 2048}})),
                 u"2.0KB/s  1小时5分钟"_s);
        // A limited client: seven blanks, the mark, two blanks, then rate and time.
        QCOMPARE(ClientListText::connectText(entry({{u"up_limit"_s, 1}})),
                 u"       限速中  0B/s  1小时5分钟"_s);
        // Without a time online the rate is not shown either.
        QCOMPARE(ClientListText::connectText(entry({{u"online_time"_s, u"5"_s}})), QString());
        QCOMPARE(
            ClientListText::connectText(entry({{u"online_time"_s, u"5"_s}, {u"up_limit"_s, 9}})),
            u"       限速中  "_s);

        QCOMPARE(ClientListText::macAddressText(entry({})), u"MAC地址：AA:BB:CC:00:00:02"_s);
    }

    void entriesByAddress()
    {
        QVERIFY(ClientRules::isMacAddress(u"aa-bb-cc-00-00-01"_s));
        QVERIFY(!ClientRules::isMacAddress(u"aa-bb:cc-00-00-01"_s));
        QVERIFY(!ClientRules::isMacAddress(u"AA:BB:CC:00:00"_s));
        QVERIFY(!ClientRules::isMacAddress(u"AA:BB:CC:00:00:0G"_s));

        const QVariantList list{entry({{u"mac"_s, u"AA:BB:CC:00:00:01"_s}, {u"name"_s, u"A"_s}}),
                                entry({{u"name"_s, u"B"_s}}), QVariant(u"not an entry"_s)};
        QCOMPARE(ClientRules::entryByMac(list, u"aa-bb-cc-00-00-02"_s)[u"name"_s], u"B"_s);
        QVERIFY(ClientRules::entryByMac(list, u"AA:BB:CC:00:00:03"_s).isEmpty());
        QCOMPARE(ClientRules::nameByMac(list, u"AA:BB:CC:00:00:01"_s), u"A"_s);
        QCOMPARE(ClientRules::nameByMac(list, u"AA:BB:CC:00:00:03"_s), QString());
    }

    void whatMayBeDone()
    {
        QVERIFY(ClientRules::canOperate(entry({})));
        QVERIFY(!ClientRules::canOperate(entry({{u"isadmin"_s, 1}})));
        QVERIFY(ClientRules::canOperate(entry({{u"isadmin"_s, 2}})));
        QVERIFY(!ClientRules::isLimited(entry({})));
        QVERIFY(!ClientRules::isLimited(entry({{u"up_limit"_s, -1}, {u"down_limit"_s, -1}})));
        QVERIFY(ClientRules::isLimited(entry({{u"up_limit"_s, 1}})));
        QVERIFY(ClientRules::isLimited(entry({{u"down_limit"_s, u"1024"_s}})));
    }

    void parametersOfUnknownClientsAndUnchangedLimits()
    {
        // A MAC the blacklist does not hold is sent as given, without a name.
        QCOMPARE(ClientRules::removeFromBlacklistParameters({}, u"AA:BB:CC:00:00:09"_s),
                 (QVariantMap{{u"type"_s, 3},
                              {u"mac"_s, u"AA:BB:CC:00:00:09"_s},
                              {u"ip"_s, u" "_s},
                              {u"name"_s, QString()}}));

        const QVariantMap limited = entry({{u"up_limit"_s, u"512000"_s}, {u"down_limit"_s, 0}});
        QVERIFY(ClientRules::limitsUnchanged(limited, 512000, 0));
        QVERIFY(!ClientRules::limitsUnchanged(limited, 512000, -1));
        QVERIFY(!ClientRules::limitsUnchanged(limited, 1024, 0));
    }

    void typedLimits()
    {
        QCOMPARE(ClientRules::parseLimit(u"none"_s), std::optional<qint32>(-1));
        QCOMPARE(ClientRules::parseLimit(u"0"_s), std::optional<qint32>(0));
        QCOMPARE(ClientRules::parseLimit(u"512000"_s), std::optional<qint32>(512000));
        QCOMPARE(ClientRules::parseLimit(u"2147483647"_s), std::optional<qint32>(2147483647));
        for (const QString &bad : {u"2147483648"_s, u"99999999999"_s, u"-2"_s, u""_s, u"1e3"_s,
                                   u" 5"_s, u"5KB"_s, u"+5"_s, u"NONE"_s})
            QVERIFY2(!ClientRules::parseLimit(bad), qPrintable(bad));
    }

    void sliderFromALimit()
    {
        // No limit, and anything of 0 or less, is the right end.
        QCOMPARE(LimitRate::sliderValueForLimit(0), 1.0f);
        QCOMPARE(LimitRate::labelForLimit(0), u"不限"_s);
        QCOMPARE(LimitRate::sliderValueForLimit(512000), float(499.0 / 1024.0));
        QCOMPARE(LimitRate::labelForLimit(512000), u"500 KB/s"_s);
        // Not a multiple of 1024: shown truncated to whole KB/s.
        QCOMPARE(LimitRate::labelForLimit(513000), u"500 KB/s"_s);
        // Below 1 KB/s: the left end.
        QCOMPARE(LimitRate::sliderValueForLimit(1000), 0.0f);
        QCOMPARE(LimitRate::labelForLimit(1), u"1 KB/s"_s);
        QCOMPARE(LimitRate::sliderValueForLimit(1048576), float(1023.0 / 1024.0));
        // Above the slider's range a limit stays a limit, at the slider's top.
        QCOMPARE(LimitRate::labelForLimit(1049600), u"1024 KB/s"_s);
    }

    void limitFromTheSlider()
    {
        QCOMPARE(LimitRate::limitForSliderValue(0.0f), 1024);
        QCOMPARE(LimitRate::limitForSliderValue(float(499.0 / 1024.0)), 512000);
        QCOMPARE(LimitRate::limitForSliderValue(0.9999f), 1048576);
        QCOMPARE(LimitRate::limitForSliderValue(1.0f), -1);
        QCOMPARE(LimitRate::labelForSliderValue(0.9999f), u"1024 KB/s"_s);
        QCOMPARE(LimitRate::labelForSliderValue(1.0f), u"不限"_s);
        // A current limit survives OK without moving the slider.
        QCOMPARE(LimitRate::limitForSliderValue(LimitRate::sliderValueForLimit(512000)), 512000);
        QCOMPARE(LimitRate::limitForSliderValue(LimitRate::sliderValueForLimit(513000)), 512000);
        QCOMPARE(LimitRate::limitForSliderValue(LimitRate::sliderValueForLimit(0)), -1);
    }
};

QTEST_GUILESS_MAIN(TestHotspotRules)
#include "tst_hotspotrules.moc"
