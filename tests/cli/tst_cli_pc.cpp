// zephyr-cli's own words (help, version, usage) and the commands that ask the PC for one thing:
// info, login, ppt, lock, shutdown, volume, screenshot and feedback.
#include "CliRows.h"

#include <QJsonArray>
#include <QRegularExpression>
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

    void cleanup()
    {
        m_cli.reset();
        m_pc.reset();
    }

    void helpListsEveryCommand()
    {
        const CliRun help = m_cli->run({u"help"_s}, false);
        QCOMPARE(help.status, 0);
        const QJsonArray commands = m_cli->run({u"help"_s}).json()[0][u"commands"_s].toArray();
        QVERIFY(commands.size() > 20);
        for (const auto &c : commands) {
            const QString name = c[u"command"_s].toString();
            QVERIFY2(help.lines().indexOf(QRegularExpression(u"  "_s + name + u" +[A-Z].*"_s)) > 0,
                     qPrintable(name));
        }
        QCOMPARE(m_cli->run({u"--help"_s}, false).out, help.out);
        QCOMPARE(m_cli->run({u"limit"_s, u"--help"_s}, false).out,
                 m_cli->run({u"help"_s, u"limit"_s}, false).out);
    }

    // Wrong words, for any command: exit status 2, the usage on stderr, one error object for
    // scripts, nothing on stdout for people, and nothing sent to the PC.
    void usageErrorsNeverReachThePc_data()
    {
        QTest::addColumn<QString>("args");
        for (const char *args : {"",
                                 "no-such-command",
                                 "--bogus info",
                                 "help ls rm",
                                 "ls a b",
                                 "rm C:/docs/sub",
                                 "rm x --in a --in b",
                                 "mv C:/docs/sub --in C:/docs",
                                 "rename C:/docs/sub  --in C:/docs",
                                 "download",
                                 "upload a.jpg",
                                 "shake now",
                                 "shutdown -5",
                                 "volume up",
                                 "feedback a --contact",
                                 "clients all",
                                 "block laptop",
                                 "unblock AA:BB:CC:00:00:02 AA:BB:CC:00:00:02",
                                 "limit AA:BB:CC:00:00:02",
                                 "limit AA:BB:CC:00:00:02 --up 5K"})
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
        cliRow("help", u"help"_s, 0, u"usage: zephyr-cli [--json] COMMAND [ARGS]\n"_s);
        cliRow("help of one", u"help limit"_s, 0,
               u"usage: zephyr-cli [--json] limit MAC [--up N] [--down N]\n"_s);
        cliRow("usage for people", {}, 2, u"\ncommands:\n  info "_s);
        cliRow("version", u"--version"_s, 0, u"zephyr-cli 1.0.0\n"_s);
        cliRow("version json", u"--json --version"_s, 0, uR"({"version":"1.0.0"})"_s);
        cliRow("info, options after it", u"info --json"_s, 0,
               uR"("pcAddress":"127.0.0.1"|"ssid":"ZephyrWiFi"|"status":256)"_s);
        cliRow("info", u"info"_s, 0, u"ssid:         ZephyrWiFi\n|\ndeviceId:     "_s);
        cliRow("login", u"login"_s, 0,
               u"status:       1024 (authorised)\n|\npcName:       ZEPHYR-PC\n|"
               u"\nclientCount:  2\n"_s);
        cliRow("login json", u"--json login"_s, 0, uR"("status":1024)"_s);
        cliRow(
            "login blacklisted", u"--json login"_s, 1,
            u"{\"error\":\"login refused: this phone is on the PC's blacklist\",\"status\":257}"_s,
            pcTold(u"verdict"_s, {{u"login"_s, u"blacklisted"_s}}));
        cliRow("not authorised", u"--json lock"_s, 1, uR"("status":512)"_s,
               pcTold(u"verdict"_s, {{u"login"_s, u"accept"_s}, {u"auth"_s, u"refuse"_s}}));
        cliRow("login, PC gone", u"login"_s, 1, u"zephyr-cli: login failed"_s, stop);
        cliRow("ppt", u"--json ppt"_s, 0, uR"({"ppt":true})"_s,
               pcTold(u"ppt"_s, {{u"ppt"_s, true}}));
        cliRow("volume", u"--json volume get"_s, 0, uR"("volume":0.37)"_s,
               pcTold(u"volume"_s, {{u"volume"_s, 37}}));
        cliRow("ppt for people", u"ppt"_s, 0, u"ppt:  true\n"_s,
               pcTold(u"ppt"_s, {{u"ppt"_s, true}}));
        cliRow("ppt unreadable", u"--json ppt"_s, 1, uR"("error")"_s,
               pcFault(u"cgi/pc_procinfo.mo"_s, u"garbage"_s));
        cliRow("volume for people", u"volume get"_s, 0, u"volume:  0.37\n"_s,
               pcTold(u"volume"_s, {{u"volume"_s, 37}}));
        cliRow("volume unreadable", u"--json volume get"_s, 1, uR"("error")"_s,
               pcFault(u"cgi/pc_volum.mo"_s, u"garbage"_s));
        cliRow("shutdown for people", u"shutdown 60"_s, 0, u"isSuccessed:  true\n"_s);
        cliRow("lock", u"lock"_s, 0, u"isScreenLocked:  true\n"_s, {}, {{u"locked"_s, true}});
        cliRow("lock refused", u"--json lock"_s, 1,
               uR"({"error":"the PC did not lock its screen"})"_s,
               pcFault(u"cgi/pc_lock.mo"_s, u"wrongkind"_s));
        cliRow("shutdown", u"--json shutdown 7200"_s, 0, uR"({"isSuccessed":true})"_s, {},
               {{u"shutdown"_s, 7200}});
        cliRow("shutdown refused", u"--json shutdown 60"_s, 1, uR"("error")"_s,
               pcFault(u"cgi/pc_shutdown.mo"_s, u"403"_s));
        cliRow("screenshot", u"screenshot"_s, 0, u"\nimage |  downloaded  shot|.png\n"_s);
        cliRow("screenshot refused", u"--json screenshot"_s, 1,
               u"电脑在锁屏或休眠状态下无法抓取屏幕"_s,
               pcFault(u"cgi/pc_screencut.mo"_s, u"wrongkind"_s));
        cliRow("feedback", u"--json feedback 很好用 --contact me@x.org"_s, 0,
               uR"({"isSuccess":true,"message":"提交成功"})"_s);
        cliRow("feedback for people", u"feedback ok"_s, 0,
               u"isSuccess:  true\nmessage:    提交成功\n"_s);
        cliRow("feedback too often", u"--json feedback again"_s, 1,
               uR"({"error":"您提交太频繁了，请稍后再试"})"_s,
               pcTold(u"feedback"_s, {{u"errno"_s, 3}}));
        cliRow("feedback, PC gone", u"--json feedback a"_s, 1, uR"({"error":"提交失败"})"_s, stop);
    }
    void commands() { runCliRow(*m_pc, *m_cli); }
};

QTEST_GUILESS_MAIN(TestCliPc)
#include "tst_cli_pc.moc"
