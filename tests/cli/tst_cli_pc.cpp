// zephyr-cli's own words (help, version, usage) and the commands that ask the PC for one thing:
// info, login, ppt, lock, shutdown, volume, screenshot and feedback.
#include "CliRows.h"

#include <QJsonArray>
#include <QTest>

using namespace Qt::StringLiterals;

class TestCliPc : public QObject
{
    Q_OBJECT

    std::unique_ptr<PcSim> m_pc;
    std::unique_ptr<CliRunner> m_cli;

private Q_SLOTS:
    void init()
    {
        const QString failure = startPcAndCli(m_pc, m_cli);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    // Wrong words, for any command: exit status 2, the usage on stderr, one error object for
    // scripts, nothing on stdout for people, and nothing sent to the PC.
    void usageErrorsNeverReachThePc_data()
    {
        QTest::addColumn<QString>("args");
        for (const char *args :
             {"", "no-such-command", "--bogus info", "help ls rm", "ls a b", "rm C:/docs/sub",
              "mv C:/docs/sub --in C:/docs", "rename C:/docs/sub  --in C:/docs", "download",
              "upload a.jpg", "shake now", "shutdown -5", "volume up", "feedback a --contact",
              "clients all", "block laptop", "unblock AA:BB:CC:00:00:02 AA:BB:CC:00:00:02",
              "limit AA:BB:CC:00:00:02", "limit AA:BB:CC:00:00:02 --up 5K"})
            QTest::newRow(args) << QString::fromUtf8(args);
    }
    void usageErrorsNeverReachThePc()
    {
        QFETCH(QString, args);
        const CliRun usage = m_cli->run(words(args));
        QCOMPARE(usage.status, 2);
        QCOMPARE(usage.json().size(), 1);
        QVERIFY(!usage.json()[0][u"error"_s].toString().isEmpty());
        QVERIFY2(usage.errText().contains(u"usage: zephyr-cli"_s), usage.err.constData());
        QCOMPARE(m_cli->run(words(args), false).out, QByteArray());
        QCOMPARE(m_pc->state()[u"logins"_s].toArray().size(), 0);
    }

    void commands_data()
    {
        addCliColumns();
        const QJsonArray stop{QJsonArray{u"stop"_s}};
        cliRow("help", "help", 0, "usage: zephyr-cli [--json] COMMAND [ARGS]\n");
        cliRow("help json", "--json help", 0, R"("commands":[|"command":"limit")");
        cliRow("help of one", "limit --help", 0,
               "usage: zephyr-cli [--json] limit MAC [--up N] [--down N]\n");
        cliRow("version", "--version", 0, "zephyr-cli 1.0.0\n");
        cliRow("version json", "--json --version", 0, R"({"version":"1.0.0"})");
        cliRow("info, options after it", "info --json", 0,
               R"("pcAddress":"127.0.0.1"|"ssid":"ZephyrWiFi"|"status":256)");
        cliRow("info", "info", 0, "ssid:         ZephyrWiFi\n|\ndeviceId:     ");
        cliRow("login", "login", 0,
               "status:       1024 (authorised)\n|\npcName:       ZEPHYR-PC\n|\nclientCount:  2\n");
        cliRow("login json", "--json login", 0, R"("status":1024)");
        cliRow("login blacklisted", "--json login", 1,
               "{\"error\":\"login refused: this phone is on the PC's blacklist\",\"status\":257}",
               pcTold("verdict", R"({"login":"blacklisted"})"));
        cliRow("not authorised", "--json lock", 1, R"("status":512)",
               pcTold("verdict", R"({"login":"accept","auth":"refuse"})"));
        cliRow("login, PC gone", "login", 1, "zephyr-cli: login failed", stop);
        cliRow("ppt", "--json ppt", 0, R"({"ppt":true})", pcTold("ppt", R"({"ppt":true})"));
        cliRow("ppt for people", "ppt", 0, "ppt:  true\n", pcTold("ppt", R"({"ppt":true})"));
        cliRow("ppt unreadable", "--json ppt", 1, R"("error")",
               pcFault("cgi/pc_procinfo.mo", "garbage"));
        cliRow("volume", "--json volume get", 0, R"("volume":0.37)",
               pcTold("volume", R"({"volume":37})"));
        cliRow("volume for people", "volume get", 0, "volume:  0.37\n",
               pcTold("volume", R"({"volume":37})"));
        cliRow("volume unreadable", "--json volume get", 1, R"("error")",
               pcFault("cgi/pc_volum.mo", "garbage"));
        cliRow("lock", "lock", 0, "isScreenLocked:  true\n", {}, R"({"locked":true})");
        cliRow("lock refused", "--json lock", 1, R"({"error":"the PC did not lock its screen"})",
               pcFault("cgi/pc_lock.mo", "wrongkind"));
        cliRow("shutdown", "--json shutdown 7200", 0, R"({"isSuccessed":true})", {},
               R"({"shutdown":7200})");
        cliRow("shutdown for people", "shutdown 60", 0, "isSuccessed:  true\n");
        cliRow("shutdown refused", "--json shutdown 60", 1, R"("error")",
               pcFault("cgi/pc_shutdown.mo", "403"));
        cliRow("screenshot", "screenshot", 0, "\nimage |  downloaded  shot|.png\n");
        cliRow("screenshot refused", "--json screenshot", 1, "电脑在锁屏或休眠状态下无法抓取屏幕",
               pcFault("cgi/pc_screencut.mo", "wrongkind"));
        cliRow("feedback", "--json feedback 很好用 --contact me@x.org", 0,
               R"({"isSuccess":true,"message":"提交成功"})");
        cliRow("feedback for people", "feedback ok", 0, "isSuccess:  true\nmessage:    提交成功\n");
        cliRow("feedback too often", "--json feedback again", 1,
               R"({"error":"您提交太频繁了，请稍后再试"})", pcTold("feedback", R"({"errno":3})"));
    }
    void commands() { runCliRow(*m_pc, *m_cli); }
};

QTEST_GUILESS_MAIN(TestCliPc)
#include "tst_cli_pc.moc"
