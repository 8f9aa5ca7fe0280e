// zephyr-cli's hotspot commands: the client list as the client screen words it, blacklisting,
// releasing and rate limits.
#include "CliRows.h"

#include <QJsonArray>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
// The laptop is limited, the first entry is the administrator, the last the phone itself.
const char kClients[] = R"({"clients": [
 {"mac": "AA:BB:CC:00:00:02", "name": "Laptop", "ip": "192.168.23.3", "isadmin": 0,
  "up_limit": -1, "down_limit": 512000, "up_rate": 536, "down_rate": 1000, "online_time": "1:05"},
 {"mac": "AA:BB:CC:00:00:01", "name": "管理员的手机", "ip": "192.168.23.2", "isadmin": 1,
  "up_limit": 0, "down_limit": 0, "up_rate": 0, "down_rate": 1048576, "online_time": "12:30"},
 {"mac": "AA:BB:CC:00:00:03", "name": "平板", "ip": "127.0.0.1", "isadmin": 0,
  "up_limit": 0, "down_limit": 0, "up_rate": 0, "down_rate": 0, "online_time": "25"}],
 "blocks": [{"mac": "AA:BB:CC:00:00:09", "name": "Spy", "ip": "1.2.3.4", "isadmin": 0,
  "up_limit": 0, "down_limit": 0, "up_rate": 0, "down_rate": 0, "online_time": "0:05"}]})";
} // namespace

class TestCliHotspot : public QObject
{
    Q_OBJECT

    std::unique_ptr<PcSim> m_pc;
    std::unique_ptr<CliRunner> m_cli;

private Q_SLOTS:
    void init()
    {
        const QString failure = startPcAndCli(m_pc, m_cli);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        m_pc->control(u"clients"_s, rowJson(kClients));
    }

    void commands_data()
    {
        addCliColumns();
        const char *untouched = R"({"operations":[]})";
        // The phone's own entry (127.0.0.1) first; the administrator it displaced takes its place.
        cliRow(
            "clients", "clients", 0,
            "3个小伙伴在线\nNAME          MAC                IP               RATE  ONLINE        "
            "DOWN LIMIT  UP LIMIT\n"
            "平板          AA:BB:CC:00:00:03  127.0.0.1        0B/s                不限        "
            "不限\n"
            "Laptop        AA:BB:CC:00:00:02  192.168.23.3  1.5KB/s  1小时5分钟    "
            "500 KB/s    不限      限速中\n"
            "管理员的手机  AA:BB:CC:00:00:01  192.168.23.2  1.0MB/s  12小时30分钟  "
            "不限        不限      管理员\n\n黑名单\nSpy  MAC地址：AA:BB:CC:00:00:09\n");
        cliRow("clients json", "--json clients", 0,
               R"("block":[{|"name":"Spy"|"down_limit":512000)");
        cliRow("clients unreadable", "--json clients", 1,
               R"({"error":"cannot read the client list"})",
               pcFault("cgi/wifi_client.mo", "garbage"));
        // Any spelling of the address names the client; the PC gets its own spelling, and a
        // direction left out keeps its limit.
        cliRow("block", "block aa-bb-cc-00-00-02", 0, "result:  true\ntype:    2\n", {},
               R"({"blocks/1/mac":"AA:BB:CC:00:00:02","operations/0/ip":"192.168.23.3",
                   "operations/0/mac":"AA:BB:CC:00:00:02","operations/0/name":"Laptop"})");
        cliRow("block the administrator", "--json block AA:BB:CC:00:00:01", 1,
               "{\"error\":\"the hotspot's administrator cannot be blacklisted\"}", {}, untouched);
        cliRow("block refused", "--json block AA:BB:CC:00:00:03", 1,
               R"({"error":"the PC did not blacklist it"})",
               pcFault("cgi/wifi_operate.mo", "wrongkind"));
        cliRow("unblock", "--json unblock aa:bb:cc:00:00:09", 0, R"({"result":true,"type":3})", {},
               R"({"blocks":[],"operations/0/mac":"AA:BB:CC:00:00:09","operations/0/ip":" "})");
        cliRow("unblock for people", "unblock aa:bb:cc:00:00:09", 0, "result:  true\ntype:    3\n");
        cliRow("unblock a client", "--json unblock AA:BB:CC:00:00:03", 1,
               "the blacklist holds no client AA:BB:CC:00:00:03", {}, untouched);
        cliRow("limit", "--json limit AA:BB:CC:00:00:03 --up 20480 --down none", 0,
               R"({"result":true})", {},
               R"({"clients/2/up_limit":20480,"clients/2/down_limit":-1})");
        cliRow("limit for people", "limit AA:BB:CC:00:00:02 --down 1048576", 0, "result:  true\n",
               {}, R"({"clients/0/up_limit":-1,"clients/0/down_limit":1048576})");
        // The limits it has already: nothing is sent.
        cliRow("limit unchanged", "--json limit AA:BB:CC:00:00:02 --up -1", 0,
               R"({"changed":false,"result":true})", {}, untouched);
        cliRow("limit the administrator", "--json limit AA:BB:CC:00:00:01 --up 1", 1,
               "the hotspot's administrator cannot be limited", {}, untouched);
        cliRow("limit refused", "--json limit AA:BB:CC:00:00:03 --up 5", 1,
               R"({"error":"the PC did not set the limits"})",
               pcFault("cgi/wifi_ratelimit.mo", "notjson"));
    }
    void commands() { runCliRow(*m_pc, *m_cli); }
};

QTEST_GUILESS_MAIN(TestCliHotspot)
#include "tst_cli_hotspot.moc"
