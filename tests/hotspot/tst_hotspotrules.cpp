// Edges of the client list's texts, of the blacklist and rate-limit rules and of the rate-limit
// slider, with known answers. The common cases go through the command line's client test.
#include "ClientListText.h"
#include "ClientRules.h"
#include "LimitRate.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {
// The laptop's entry (1:05 online, no rate, no limit) with @p fields changed.
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
    e.insert(fields);
    return e;
}
} // namespace

class TestHotspotRules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
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
        row("negative is nothing", "rate", {{down, -5000}, {up, 10}}, u"10B/s"_s);
        row("rate not a number", "rate", {{down, u"fast"_s}, {up, QVariant()}}, u"0B/s"_s);
        row("no overflow", "rate", {{down, qint64(1) << 62}, {up, qint64(1) << 62}},
            u"8796093022208.0MB/s"_s);
        // Parts that are not numbers read as 0; a time that is not a text shows nothing.
        row("parts not numbers", "online", {{time, u"x:3m"_s}}, u"0小时3分钟"_s);
        row("time not a text", "online", {{time, 135}}, QString());
        // Without a time online the rate is not shown either; a limited client's mark is.
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

    void rules()
    {
        for (const QString &bad :
             {u"aa-bb:cc-00-00-01"_s, u"AA:BB:CC:00:00"_s, u"AA:BB:CC:00:00:0G"_s})
            QVERIFY2(!ClientRules::isMacAddress(bad), qPrintable(bad));
        QVERIFY(ClientRules::canOperate(entry({{u"isadmin"_s, 2}})));
        QVERIFY(!ClientRules::isLimited(entry({{u"up_limit"_s, -1}, {u"down_limit"_s, -1}})));
        QVERIFY(ClientRules::isLimited(entry({{u"down_limit"_s, u"1024"_s}})));
        // A MAC the blacklist does not hold is sent as given, without a name.
        QCOMPARE(ClientRules::removeFromBlacklistParameters({}, u"AA:BB:CC:00:00:09"_s),
                 (QVariantMap{{u"type"_s, 3},
                              {u"mac"_s, u"AA:BB:CC:00:00:09"_s},
                              {u"ip"_s, u" "_s},
                              {u"name"_s, QString()}}));
    }

    void typedLimits()
    {
        QCOMPARE(ClientRules::parseLimit(u"0"_s), std::optional<qint32>(0));
        QCOMPARE(ClientRules::parseLimit(u"2147483647"_s), std::optional<qint32>(2147483647));
        for (const QString &bad : {u"2147483648"_s, u"99999999999"_s, u"-2"_s, u""_s, u"1e3"_s,
                                   u" 5"_s, u"+5"_s, u"NONE"_s})
            QVERIFY2(!ClientRules::parseLimit(bad), qPrintable(bad));
    }

    // A current limit: its slider position, its label, and the limit sent when OK is pressed
    // without moving the slider.
    void slider_data()
    {
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("label");
        QTest::addColumn<qint32>("sent");
        QTest::newRow("none") << qint64(0) << 1.0f << u"不限"_s << -1;
        QTest::newRow("500 KB/s") << qint64(512000) << float(499.0 / 1024.0) << u"500 KB/s"_s
                                  << 512000;
        QTest::newRow("below 1 KB/s: the left end") << qint64(1000) << 0.0f << u"1 KB/s"_s << 1024;
        // Above the slider's range a limit stays a limit, at the slider's top.
        QTest::newRow("above the top")
            << qint64(1049600) << float(1023.0 / 1024.0) << u"1024 KB/s"_s << 1048576;
    }
    void slider()
    {
        QFETCH(qint64, limit);
        QTEST(LimitRate::sliderValueForLimit(limit), "value");
        QTEST(LimitRate::labelForLimit(limit), "label");
        QTEST(LimitRate::limitForSliderValue(LimitRate::sliderValueForLimit(limit)), "sent");
        QCOMPARE(LimitRate::limitForSliderValue(0.9999f), 1048576);
        QCOMPARE(LimitRate::labelForSliderValue(0.9999f), u"1024 KB/s"_s);
    }
};

QTEST_GUILESS_MAIN(TestHotspotRules)
#include "tst_hotspotrules.moc"
