// zephyr-cli's own words (help, version, usage) and the commands that ask the PC for one thing:
// info, login, ppt, lock, shutdown, volume, screenshot and feedback.
#include "CliRunner.h"

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

    void help()
    {
        // Every command the scripts are told of is also shown to people, with its summary.
        const CliRun help = m_cli->run({u"help"_s}, false);
        QCOMPARE(help.status, 0);
        QCOMPARE(help.lines().first(), u"usage: zephyr-cli [--json] COMMAND [ARGS]"_s);
        const QJsonArray commands = m_cli->run({u"help"_s}).json()[0][u"commands"_s].toArray();
        QVERIFY(commands.size() > 20);
        for (const auto &c : commands) {
            const QString name = c[u"command"_s].toString();
            QVERIFY2(help.lines().indexOf(QRegularExpression(u"  "_s + name + u" +[A-Z].*"_s)) > 0,
                     qPrintable(name));
        }
        QCOMPARE(m_cli->run({u"--help"_s}, false).out, help.out);

        const CliRun one = m_cli->run({u"help"_s, u"limit"_s}, false);
        QCOMPARE(one.status, 0);
        QCOMPARE(one.lines()[0], u"usage: zephyr-cli [--json] limit MAC [--up N] [--down N]"_s);
        QCOMPARE(m_cli->run({u"limit"_s, u"--help"_s}, false).out, one.out);

        QCOMPARE(m_cli->run({u"--version"_s}, false).out, QByteArray("zephyr-cli 1.0.0\n"));
        QCOMPARE(m_cli->run({u"--version"_s}).json(),
                 (QList<QJsonObject>{{{u"version"_s, u"1.0.0"_s}}}));
    }

    // Wrong words, for any command: exit status 2, the usage on stderr, one error object for
    // scripts, nothing on stdout for people, and nothing sent to the PC.
    void usageErrorsNeverReachThePc_data()
    {
        QTest::addColumn<QStringList>("args");
        const QString mac = u"AA:BB:CC:00:00:02"_s;
        QTest::newRow("no command") << QStringList{};
        QTest::newRow("unknown command") << QStringList{u"no-such-command"_s};
        QTest::newRow("unknown option") << QStringList{u"--bogus"_s, u"info"_s};
        QTest::newRow("help for two") << QStringList{u"help"_s, u"ls"_s, u"rm"_s};
        QTest::newRow("ls of two") << QStringList{u"ls"_s, u"a"_s, u"b"_s};
        QTest::newRow("ls with --in") << QStringList{u"ls"_s, u"--in"_s, u"x"_s, u"C:/"_s};
        QTest::newRow("rm without --in") << QStringList{u"rm"_s, u"C:/docs/sub"_s};
        QTest::newRow("rm with --in twice")
            << QStringList{u"rm"_s, u"x"_s, u"--in"_s, u"a"_s, u"--in"_s, u"b"_s};
        QTest::newRow("mv without --to")
            << QStringList{u"mv"_s, u"C:/docs/sub"_s, u"--in"_s, u"C:/docs"_s};
        QTest::newRow("rename to nothing")
            << QStringList{u"rename"_s, u"C:/docs/sub"_s, u""_s, u"--in"_s, u"C:/docs"_s};
        QTest::newRow("download nothing") << QStringList{u"download"_s};
        QTest::newRow("upload without --to") << QStringList{u"upload"_s, u"a.jpg"_s};
        QTest::newRow("upload no file") << QStringList{u"upload"_s, u"--to"_s, u"C:/"_s};
        QTest::newRow("shake with a word") << QStringList{u"shake"_s, u"now"_s};
        QTest::newRow("negative shutdown") << QStringList{u"shutdown"_s, u"-5"_s};
        QTest::newRow("shutdown soon") << QStringList{u"shutdown"_s, u"soon"_s};
        QTest::newRow("lock with a word") << QStringList{u"lock"_s, u"now"_s};
        QTest::newRow("volume up") << QStringList{u"volume"_s, u"up"_s};
        QTest::newRow("feedback without text") << QStringList{u"feedback"_s};
        QTest::newRow("contact without value")
            << QStringList{u"feedback"_s, u"a"_s, u"--contact"_s};
        QTest::newRow("clients with a word") << QStringList{u"clients"_s, u"all"_s};
        QTest::newRow("block nobody") << QStringList{u"block"_s};
        QTest::newRow("block a name") << QStringList{u"block"_s, u"laptop"_s};
        QTest::newRow("unblock two") << QStringList{u"unblock"_s, mac, mac};
        QTest::newRow("limit without direction") << QStringList{u"limit"_s, mac};
        QTest::newRow("limit with a unit") << QStringList{u"limit"_s, mac, u"--up"_s, u"5K"_s};
    }
    void usageErrorsNeverReachThePc()
    {
        QFETCH(QStringList, args);
        const CliRun usage = m_cli->run(args);
        QCOMPARE(usage.status, 2);
        QCOMPARE(usage.json().size(), 1);
        QVERIFY(!usage.json()[0][u"error"_s].toString().isEmpty());
        QVERIFY2(usage.errText().contains(u"usage: zephyr-cli"_s), usage.err.constData());
        QCOMPARE(m_cli->run(args, false).out, QByteArray());
        QCOMPARE(m_pc->state()[u"logins"_s].toArray().size(), 0);
    }

    void usageForPeople()
    {
        // Without a command, people are shown the commands.
        QVERIFY(m_cli->run({}, false).errText().contains(u"\ncommands:\n  info "_s));
        // The options of the program may also follow the command.
        QCOMPARE(m_cli->run({u"info"_s, u"--json"_s}, false).json().size(), 1);
    }

    void infoAndLogin()
    {
        const CliRun info = m_cli->run({u"info"_s});
        QCOMPARE(info.status, 0);
        const QJsonObject i = info.json().first();
        QCOMPARE(i[u"ssid"_s].toString(), u"ZephyrWiFi"_s);
        QCOMPARE(i[u"pcAddress"_s].toString(), u"127.0.0.1"_s);
        QCOMPARE(i[u"status"_s].toInt(), 256);
        const CliRun people = m_cli->run({u"info"_s}, false);
        QVERIFY(people.lines().contains(u"ssid:         ZephyrWiFi"_s));
        QVERIFY(people.lines().contains(u"deviceId:     "_s + i[u"deviceId"_s].toString()));

        const CliRun login = m_cli->run({u"login"_s}, false);
        QCOMPARE(login.status, 0);
        QCOMPARE(login.lines()[0], u"status:       1024 (authorised)"_s);
        QCOMPARE(login.lines()[2], u"pcName:       ZEPHYR-PC"_s);
        QCOMPARE(login.lines()[3], u"clientCount:  2"_s);
        const QJsonObject l = m_cli->run({u"login"_s}).json().first();
        QCOMPARE(l[u"status"_s].toInt(), 1024);
        QCOMPARE(l[u"api"_s].toString(), m_pc->api);
    }

    void loginRefusals()
    {
        // A refusal: the standing the PC's verdict leaves is in the failure object.
        m_pc->control(u"verdict"_s, {{u"login"_s, u"blacklisted"_s}});
        const CliRun blacklisted = m_cli->run({u"login"_s});
        QCOMPARE(blacklisted.status, 1);
        QCOMPARE(blacklisted.json(),
                 (QList<QJsonObject>{{{u"error"_s, u"login refused: this phone is on the PC's "
                                                   u"blacklist"_s},
                                      {u"status"_s, 257}}}));
        m_pc->control(u"verdict"_s, {{u"login"_s, u"accept"_s}, {u"auth"_s, u"refuse"_s}});
        const CliRun unauthorised = m_cli->run({u"lock"_s});
        QCOMPARE(unauthorised.status, 1);
        QCOMPARE(unauthorised.json()[0][u"status"_s].toInt(), 512);

        m_pc->stop();
        const CliRun stopped = m_cli->run({u"login"_s}, false);
        QCOMPARE(stopped.status, 1);
        QCOMPARE(stopped.out, QByteArray());
        QVERIFY(stopped.errText().startsWith(u"zephyr-cli: login failed"_s));
    }

    void requestsToThePc()
    {
        m_pc->control(u"ppt"_s, {{u"ppt"_s, true}});
        QCOMPARE(m_cli->run({u"ppt"_s}).json(), (QList<QJsonObject>{{{u"ppt"_s, true}}}));

        m_pc->control(u"volume"_s, {{u"volume"_s, 37}});
        QCOMPARE(m_cli->run({u"volume"_s, u"get"_s}).json()[0][u"volume"_s].toDouble(), 0.37);

        const CliRun lock = m_cli->run({u"lock"_s}, false);
        QCOMPARE(lock.status, 0);
        QCOMPARE(lock.lines(), QStringList{u"isScreenLocked:  true"_s});
        QCOMPARE(m_pc->state()[u"locked"_s].toBool(), true);

        QCOMPARE(m_cli->run({u"shutdown"_s, u"7200"_s}).json(),
                 (QList<QJsonObject>{{{u"isSuccessed"_s, true}}}));
        QCOMPARE(m_pc->state()[u"shutdown"_s].toInt(), 7200);

        const CliRun shot = m_cli->run({u"screenshot"_s}, false);
        QCOMPARE(shot.status, 0);
        QCOMPARE(shot.lines().size(), 2);
        QVERIFY(shot.lines()[1].startsWith(u"image "_s));
        QVERIFY(shot.lines()[1].contains(u"  downloaded  shot"_s));
        QVERIFY(shot.lines()[1].endsWith(u".png"_s));
    }

    void failuresOfThePc()
    {
        m_pc->fault(u"cgi/pc_lock.mo"_s, u"wrongkind"_s);
        QCOMPARE(m_cli->run({u"lock"_s}).json(),
                 (QList<QJsonObject>{{{u"error"_s, u"the PC did not lock its screen"_s}}}));
        m_pc->fault(u"cgi/pc_screencut.mo"_s, u"wrongkind"_s);
        QCOMPARE(m_cli->run({u"screenshot"_s}).json()[0][u"error"_s].toString(),
                 u"电脑在锁屏或休眠状态下无法抓取屏幕"_s);
        m_pc->fault(u"cgi/pc_shutdown.mo"_s, u"403"_s);
        QCOMPARE(m_cli->run({u"shutdown"_s, u"60"_s}).status, 1);
    }

    void feedback()
    {
        const CliRun sent =
            m_cli->run({u"feedback"_s, u"很好用"_s, u"--contact"_s, u"me@example.org"_s});
        QCOMPARE(sent.status, 0);
        QCOMPARE(sent.json(),
                 (QList<QJsonObject>{{{u"isSuccess"_s, true}, {u"message"_s, u"提交成功"_s}}}));
        QCOMPARE(m_cli->run({u"feedback"_s, u"ok"_s}, false).lines(),
                 (QStringList{u"isSuccess:  true"_s, u"message:    提交成功"_s}));

        m_pc->control(u"feedback"_s, {{u"errno"_s, 3}});
        const CliRun often = m_cli->run({u"feedback"_s, u"again"_s});
        QCOMPARE(often.status, 1);
        QCOMPARE(often.json(),
                 (QList<QJsonObject>{{{u"error"_s, u"您提交太频繁了，请稍后再试"_s}}}));

        m_pc->stop();
        QCOMPARE(m_cli->run({u"feedback"_s, u"a"_s}).json()[0][u"error"_s].toString(),
                 u"提交失败"_s);
    }
};

QTEST_GUILESS_MAIN(TestCliPc)
#include "tst_cli_pc.moc"
