// zephyr-cli's hotspot commands: the client list as the client screen words it, blacklisting,
// releasing and rate limits.
#include "CliRunner.h"

#include <QJsonArray>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
const QString kAdmin = u"AA:BB:CC:00:00:01"_s;
const QString kLaptop = u"AA:BB:CC:00:00:02"_s;
const QString kTablet = u"AA:BB:CC:00:00:03"_s;

QJsonObject client(const QString &mac, const QString &name, const QString &ip, int admin,
                   const QJsonObject &more = {})
{
    QJsonObject c{{u"mac"_s, mac},       {u"name"_s, name},   {u"ip"_s, ip},
                  {u"isadmin"_s, admin}, {u"up_limit"_s, 0},  {u"down_limit"_s, 0},
                  {u"up_rate"_s, 0},     {u"down_rate"_s, 0}, {u"online_time"_s, u"0:05"_s}};
    for (auto it = more.begin(); it != more.end(); ++it)
        c.insert(it.key(), it.value());
    return c;
}
} // namespace

class TestCliHotspot : public QObject
{
    Q_OBJECT

    std::unique_ptr<PcSim> m_pc;
    std::unique_ptr<CliRunner> m_cli;

    QJsonArray pcClients() { return m_pc->state()[u"clients"_s].toArray(); }
    QJsonArray pcBlocks() { return m_pc->state()[u"blocks"_s].toArray(); }
    QJsonArray pcOperations() { return m_pc->state()[u"operations"_s].toArray(); }

private Q_SLOTS:
    void init()
    {
        const QString failure = startPcAndCli(m_pc, m_cli);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        m_pc->control(
            u"clients"_s,
            {{u"clients"_s,
              QJsonArray{
                  client(kLaptop, u"Laptop"_s, u"192.168.23.3"_s, 0,
                         {{u"down_rate"_s, 1000},
                          {u"up_rate"_s, 536},
                          {u"online_time"_s, u"1:05"_s},
                          {u"down_limit"_s, 512000},
                          {u"up_limit"_s, -1}}),
                  client(kAdmin, u"管理员的手机"_s, u"192.168.23.2"_s, 1,
                         {{u"down_rate"_s, 1048576}, {u"online_time"_s, u"12:30"_s}}),
                  client(kTablet, u"平板"_s, u"127.0.0.1"_s, 0, {{u"online_time"_s, u"25"_s}})}},
             {u"blocks"_s, QJsonArray{client(u"AA:BB:CC:00:00:09"_s, u"Spy"_s, u"1.2.3.4"_s, 0)}}});
    }

    void cleanup()
    {
        m_cli.reset();
        m_pc.reset();
    }

    void clients()
    {
        // The phone's own entry (127.0.0.1) first; the administrator it displaced takes its place.
        const CliRun people = m_cli->run({u"clients"_s}, false);
        QCOMPARE(people.status, 0);
        QCOMPARE(
            people.lines(),
            (QStringList{u"3个小伙伴在线"_s,
                         u"NAME          MAC                IP               RATE  ONLINE        "
                         u"DOWN LIMIT  UP LIMIT"_s,
                         u"平板          AA:BB:CC:00:00:03  127.0.0.1        0B/s                "
                         u"不限        不限"_s,
                         u"Laptop        AA:BB:CC:00:00:02  192.168.23.3  1.5KB/s  1小时5分钟    "
                         u"500 KB/s    不限      限速中"_s,
                         u"管理员的手机  AA:BB:CC:00:00:01  192.168.23.2  1.0MB/s  12小时30分钟  "
                         u"不限        不限      管理员"_s,
                         QString(), u"黑名单"_s, u"Spy  MAC地址：AA:BB:CC:00:00:09"_s}));

        const CliRun json = m_cli->run({u"clients"_s});
        QCOMPARE(json.json().size(), 1);
        const QJsonObject answer = json.json().first();
        QCOMPARE(answer[u"client"_s].toArray().size(), 3);
        QCOMPARE(answer[u"client"_s][0][u"mac"_s].toString(), kTablet);
        QCOMPARE(answer[u"client"_s][1][u"down_limit"_s].toInt(), 512000);
        QCOMPARE(answer[u"client"_s][2][u"mac"_s].toString(), kAdmin);
        QCOMPARE(answer[u"block"_s][0][u"name"_s].toString(), u"Spy"_s);

        m_pc->fault(u"cgi/wifi_client.mo"_s, u"garbage"_s);
        QCOMPARE(m_cli->run({u"clients"_s}).json(),
                 (QList<QJsonObject>{{{u"error"_s, u"cannot read the client list"_s}}}));
    }

    void blockAndUnblock()
    {
        // Any spelling of the address names the client; the PC gets its own spelling.
        const CliRun blocked = m_cli->run({u"block"_s, u"aa-bb-cc-00-00-02"_s}, false);
        QCOMPARE(blocked.status, 0);
        QCOMPARE(blocked.lines(), (QStringList{u"result:  true"_s, u"type:    2"_s}));
        const QJsonObject sent = pcOperations().last().toObject();
        QCOMPARE(sent[u"mac"_s].toString(), kLaptop);
        QCOMPARE(sent[u"ip"_s].toString(), u"192.168.23.3"_s);
        QCOMPARE(sent[u"name"_s].toString(), u"Laptop"_s);
        QCOMPARE(pcBlocks().size(), 2);

        const CliRun released = m_cli->run({u"unblock"_s, u"aa:bb:cc:00:00:02"_s});
        QCOMPARE(released.status, 0);
        QCOMPARE(released.json(), (QList<QJsonObject>{{{u"result"_s, true}, {u"type"_s, 3}}}));
        const QJsonObject removal = pcOperations().last().toObject();
        QCOMPARE(removal[u"mac"_s].toString(), kLaptop);
        QCOMPARE(removal[u"ip"_s].toString(), u" "_s);
        QCOMPARE(removal[u"name"_s].toString(), u"Laptop"_s);
        QCOMPARE(pcBlocks().size(), 1);

        // Refused on the phone: nothing reaches the PC.
        const qsizetype before = pcOperations().size();
        const CliRun admin = m_cli->run({u"block"_s, kAdmin});
        QCOMPARE(admin.status, 1);
        QCOMPARE(admin.json(),
                 (QList<QJsonObject>{
                     {{u"error"_s, u"the hotspot's administrator cannot be blacklisted"_s}}}));
        QCOMPARE(m_cli->run({u"block"_s, u"AA:BB:CC:00:00:77"_s}).json()[0][u"error"_s],
                 u"no connected client has the address AA:BB:CC:00:00:77"_s);
        QCOMPARE(m_cli->run({u"unblock"_s, kTablet}).json()[0][u"error"_s],
                 u"the blacklist holds no client AA:BB:CC:00:00:03"_s);
        QCOMPARE(pcOperations().size(), before);

        m_pc->fault(u"cgi/wifi_operate.mo"_s, u"wrongkind"_s);
        QCOMPARE(m_cli->run({u"block"_s, kTablet}).json(),
                 (QList<QJsonObject>{{{u"error"_s, u"the PC did not blacklist it"_s}}}));
    }

    void limit()
    {
        const CliRun both =
            m_cli->run({u"limit"_s, kTablet, u"--up"_s, u"20480"_s, u"--down"_s, u"none"_s});
        QCOMPARE(both.status, 0);
        QCOMPARE(both.json(), (QList<QJsonObject>{{{u"result"_s, true}}}));
        QJsonObject tablet = pcClients()[2].toObject();
        QCOMPARE(tablet[u"up_limit"_s].toInt(), 20480);
        QCOMPARE(tablet[u"down_limit"_s].toInt(), -1);

        // A direction left out keeps its limit.
        const CliRun down = m_cli->run({u"limit"_s, kLaptop, u"--down"_s, u"1048576"_s}, false);
        QCOMPARE(down.status, 0);
        QCOMPARE(down.lines(), QStringList{u"result:  true"_s});
        const QJsonObject laptop = pcClients()[0].toObject();
        QCOMPARE(laptop[u"down_limit"_s].toInt(), 1048576);
        QCOMPARE(laptop[u"up_limit"_s].toInt(), -1);

        // The limits it has already: nothing is sent.
        const qsizetype before = pcOperations().size();
        QCOMPARE(m_cli->run({u"limit"_s, kLaptop, u"--up"_s, u"-1"_s}).json(),
                 (QList<QJsonObject>{{{u"result"_s, true}, {u"changed"_s, false}}}));
        QCOMPARE(m_cli->run({u"limit"_s, kAdmin, u"--up"_s, u"1024"_s}).json()[0][u"error"_s],
                 u"the hotspot's administrator cannot be limited"_s);
        QCOMPARE(m_cli->run({u"limit"_s, u"AA:BB:CC:00:00:77"_s, u"--up"_s, u"1"_s}).status, 1);
        QCOMPARE(pcOperations().size(), before);

        m_pc->fault(u"cgi/wifi_ratelimit.mo"_s, u"notjson"_s);
        QCOMPARE(m_cli->run({u"limit"_s, kTablet, u"--up"_s, u"0"_s}).json(),
                 (QList<QJsonObject>{{{u"error"_s, u"the PC did not set the limits"_s}}}));
    }
};

QTEST_GUILESS_MAIN(TestCliHotspot)
#include "tst_cli_hotspot.moc"
