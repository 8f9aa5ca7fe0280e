#include "CliRunner.h"

#include <QJsonArray>
#include <QTest>

using namespace Qt::StringLiterals;

/// zephyr-cli's control commands against the stand-in PC.
class TestControlCli : public QObject
{
    Q_OBJECT
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

    // Every control command's words, its output for people and scripts, and what reaches the PC.
    void sendsControlMessages()
    {
        // Negative numbers are words of the command, not options.
        QCOMPARE(m_cli->run({u"mouse"_s, u"move"_s, u"-3"_s, u"-.5"_s}, false).out,
                 QByteArray("action:  1\ndata:    -3.000000 -0.500000\n"));
        QCOMPARE(m_cli->run({u"mouse"_s, u"click"_s, u"double"_s}).status, 0);
        QCOMPARE(m_cli->run({u"key"_s, u"esc"_s}, false).out,
                 QByteArray("action:  4\next:     0\nkey:     27\n"));
        QCOMPARE(m_cli->run({u"text"_s, u"--"_s, u"-42 度"_s}).out,
                 u"{\"text\":\"-42 度\"}\n"_s.toUtf8());
        QCOMPARE(m_cli->run({u"volume"_s, u"set"_s, u"37.9"_s}).status, 0);
        QCOMPARE(m_cli->run({u"volume"_s, u"set"_s, u"0"_s}).out, QByteArray("{\"volume\":0}\n"));

        QList<QJsonObject> sent;
        for (const auto &entry : udpAtPc()) {
            const QJsonObject msg = entry[u"msg"_s].toObject();
            if (msg[u"cm"_s].toInt() != 1000)
                sent << msg;
        }
        QCOMPARE(sent.size(), 6);
        QCOMPARE(sent[0][u"dt"_s][u"data"_s].toString(), u"-3.000000 -0.500000"_s);
        QCOMPARE(sent[1][u"dt"_s][u"action"_s].toInt(), 4102);
        QCOMPARE(sent[2][u"dt"_s][u"key"_s].toInt(), 27);
        QCOMPARE(sent[3][u"dt"_s][u"text"_s].toString(), u"-42 度"_s);
        QCOMPARE(sent[4][u"dt"_s][u"volum"_s].toInt(), 37);
        QCOMPARE(m_pc->state()[u"volume"_s].toInt(), 0);
    }

    void badArgumentsAreUsageErrors()
    {
        for (const QStringList &wrong : {QStringList{u"mouse"_s, u"click"_s, u"middle"_s},
                                         {u"mouse"_s, u"move"_s, u"x"_s, u"1"_s},
                                         {u"key"_s, u"f1"_s},
                                         {u"text"_s},
                                         {u"volume"_s, u"set"_s, u"101"_s},
                                         {u"listen"_s, u"--seconds"_s, u"-1"_s}})
            QVERIFY2(m_cli->run(wrong).status == 2, qPrintable(wrong.join(u' ')));
        QCOMPARE(udpAtPc().size(), 0);
    }

    void failuresWhenThePcIsGone()
    {
        m_pc->stop();
        for (const QStringList &args : {QStringList{u"key"_s, u"up"_s}, {u"listen"_s}}) {
            const CliRun failed = m_cli->run(args);
            QCOMPARE(failed.status, 1);
            const QJsonObject failure = failed.json().value(0);
            QVERIFY2(failure[u"error"_s].toString().startsWith(u"login failed"_s),
                     failed.out.constData());
            QCOMPARE(failure[u"status"_s].toInt(), 256);
            QVERIFY(failed.err.startsWith("zephyr-cli: login failed"));
        }
    }

    // A push printed for people, then (one listener later) for scripts, with the standing after it.
    void listenPrintsPushes()
    {
        std::unique_ptr<QProcess> forPeople, listener;
        QCOMPARE(QString::fromUtf8(listenToOneText(false, forPeople)),
                 u"1016  {\"text\":\"来自电脑\"}  authorised  收到来自电脑的文字\n"_s);
        forPeople->kill();
        QByteArray out = listenToOneText(true, listener);
        QVERIFY(m_pc->control(u"push/status"_s, {{u"action"_s, 3}})[u"ok"_s].toBool());
        QTRY_VERIFY_WITH_TIMEOUT((out += listener->readAllStandardOutput()).count('\n') >= 2,
                                 10000);
        const QList<QByteArray> lines = out.trimmed().split('\n');
        const QJsonObject text = QJsonDocument::fromJson(lines[0]).object();
        QCOMPARE(text[u"cm"_s].toInt(), 1016);
        QCOMPARE(text[u"dt"_s][u"text"_s].toString(), u"来自电脑"_s);
        QCOMPARE(text[u"toast"_s].toString(), u"收到来自电脑的文字"_s);
        const QJsonObject standing = QJsonDocument::fromJson(lines[1]).object();
        QCOMPARE(standing[u"status"_s].toInt(), 260);
        QCOMPARE(standing[u"toast"_s].toString(), u"电脑已禁用手机遥控服务"_s);
        listener->kill();
    }

private:
    QJsonArray udpAtPc() { return m_pc->state().value(u"udp"_s).toArray(); }
    /// Starts a listener into @p listener, waits for its echo to tell the PC where the phone
    /// is, pushes a text and returns what the listener printed of it.
    QByteArray listenToOneText(bool json, std::unique_ptr<QProcess> &listener)
    {
        const qsizetype heard = udpAtPc().size();
        listener = m_cli->start({u"listen"_s, u"--seconds"_s, u"20"_s}, json);
        if (!QTest::qWaitFor([&] { return udpAtPc().size() > heard; }, 20000))
            return {};
        m_pc->control(u"push/text"_s, {{u"text"_s, u"来自电脑"_s}});
        QByteArray out;
        (void)QTest::qWaitFor(
            [&] { return (out += listener->readAllStandardOutput()).contains('\n'); }, 10000);
        return out;
    }

    std::unique_ptr<PcSim> m_pc;
    std::unique_ptr<CliRunner> m_cli;
};

QTEST_GUILESS_MAIN(TestControlCli)
#include "tst_controlcli.moc"
