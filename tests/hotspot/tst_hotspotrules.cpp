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
    // The texts of a client's row, from the laptop's entry (1:05 online, no rate, no limit)
    // with the fields given.
    void rowTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariantMap>("fields");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const char *text, const QVariantMap &fields,
                            const QString &expected) {
            QTest::newRow(name) << QString::fromUtf8(text) << fields << expected;
        };
        const QString down = u"down_rate"_s, up = u"up_rate"_s, time = u"online_time"_s;
        row("1023 B/s", "rate", {{down, 1023}}, u"1023B/s"_s);
        row("exactly 1 KiB/s", "rate", {{down, 1024}}, u"1.0KB/s"_s);
        row("both directions add up", "rate", {{down, 512}, {up, 512}}, u"1.0KB/s"_s);
        row("negative is nothing", "rate", {{down, -5000}, {up, 10}}, u"10B/s"_s);
        row("rate not a number", "rate", {{down, u"fast"_s}, {up, QVariant()}}, u"0B/s"_s);
        row("no overflow", "rate", {{down, qint64(1) << 62}, {up, qint64(1) << 62}},
            u"8796093022208.0MB/s"_s);
        row("with seconds", "online", {{time, u"12:07:59"_s}}, u"12小时7分钟"_s);
        // Parts that are not numbers read as 0; a time without ":" or not a text shows nothing.
        row("parts not numbers", "online", {{time, u"x:3m"_s}}, u"0小时3分钟"_s);
        row("no colon", "online", {{time, u"135"_s}}, QString());
        row("time not a text", "online", {{time, 135}}, QString());
        row("connected", "connect", {{down, 2048}}, u"2.0KB/s  1小时5分钟"_s);
        // A limited client: seven blanks, the mark, two blanks, then rate and time.
        row("limited", "connect", {{u"up_limit"_s, 1}}, u"       限速中  0B/s  1小时5分钟"_s);
        // Without a time online the rate is not shown either.
        row("no time", "connect", {{time, u"5"_s}}, QString());
        row("limited, no time", "connect", {{time, u"5"_s}, {u"up_limit"_s, 9}},
            u"       限速中  "_s);
    }
    void rowTexts()
    {
        QFETCH(QString, text);
        QFETCH(QVariantMap, fields);
        const QVariantMap e = entry(fields);
        QTEST(text == u"rate"_s     ? ClientListText::rateText(e)
              : text == u"online"_s ? ClientListText::onlineTimeText(e)
                                    : ClientListText::connectText(e),
              "expected");
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
