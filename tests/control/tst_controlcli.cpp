#include "PcSim.h"

#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

using namespace Qt::StringLiterals;

/// zephyr-cli's control and upload commands against the stand-in PC.
class TestControlCli : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void sendsControlMessages();
    void outputForPeopleAndScripts();
    void badArgumentsAreUsageErrors();
    void failuresWhenThePcIsGone();
    void listenPrintsPushes();
    void listenForPeople();
    void uploadsFilesAndRefusesHugeOnes();

private:
    QProcess *cli(const QStringList &args, bool json = true);
    int run(const QStringList &args, QByteArray *out = nullptr, QByteArray *err = nullptr,
            bool json = true);
    QJsonArray udpAtPc() { return m_pc->state().value(u"udp"_s).toArray(); }

    std::unique_ptr<PcSim> m_pc;
    std::unique_ptr<QTemporaryDir> m_dirs;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

void TestControlCli::init()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("ZEPHYR_CLI_BIN"),
             "ZEPHYR_CLI_BIN is not set: run the test through ctest");
    m_pc = std::make_unique<PcSim>();
    QVERIFY2(m_pc->start(), qPrintable(m_pc->errorString()));
    m_dirs = std::make_unique<QTemporaryDir>();
}

void TestControlCli::cleanup()
{
    m_processes.clear();
    m_pc.reset();
    m_dirs.reset();
}

QProcess *TestControlCli::cli(const QStringList &args, bool json)
{
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    const quint16 udpPort = probe.localPort();
    probe.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"ZEPHYR_DATA_DIR"_s, m_dirs->filePath(u"data"_s));
    env.insert(u"ZEPHYR_KEYCHAIN_DIR"_s, m_dirs->filePath(u"keychain"_s));
    env.insert(u"ZEPHYR_PC_ADDRESS"_s, u"127.0.0.1"_s);
    env.insert(u"ZEPHYR_WIFI_ADDRESS"_s, u"127.0.0.1"_s);
    env.insert(u"ZEPHYR_SSID"_s, u"ZephyrWiFi"_s);
    env.insert(u"ZEPHYR_PC_PORT"_s, QString::number(m_pc->port));
    env.insert(u"ZEPHYR_UDP_PORT"_s, QString::number(udpPort));
    env.insert(u"ZEPHYR_FEEDBACK_URL"_s, m_pc->feedbackUrl);
    env.insert(u"ZEPHYR_STATS_URL"_s, m_pc->statsUrl);
    env.remove(u"DBUS_SESSION_BUS_ADDRESS"_s);
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(env);
    process->start(qEnvironmentVariable("ZEPHYR_CLI_BIN"),
                   json ? QStringList{u"--json"_s} + args : args);
    m_processes.push_back(std::move(process));
    return m_processes.back().get();
}

int TestControlCli::run(const QStringList &args, QByteArray *out, QByteArray *err, bool json)
{
    QProcess *p = cli(args, json);
    if (!p->waitForFinished(60000))
        return -1;
    if (out)
        *out = p->readAllStandardOutput();
    if (err)
        *err = p->readAllStandardError();
    return p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1;
}

void TestControlCli::sendsControlMessages()
{
    QCOMPARE(run({u"mouse"_s, u"move"_s, u"2.5"_s, u"-1"_s}), 0);
    QCOMPARE(run({u"mouse"_s, u"click"_s, u"double"_s}), 0);
    QCOMPARE(run({u"key"_s, u"backspace"_s}), 0);
    QCOMPARE(run({u"text"_s, u"下午好"_s}), 0);
    QCOMPARE(run({u"volume"_s, u"set"_s, u"37.9"_s}), 0);

    QList<QJsonObject> sent;
    for (const auto &entry : udpAtPc()) {
        const QJsonObject msg = entry[u"msg"_s].toObject();
        if (msg[u"cm"_s].toInt() != 1000)
            sent << msg;
    }
    QCOMPARE(sent.size(), 5);
    QCOMPARE(sent[0][u"dt"_s][u"data"_s].toString(), u"2.500000 -1.000000"_s);
    QCOMPARE(sent[1][u"dt"_s][u"action"_s].toInt(), 4102);
    QCOMPARE(sent[2][u"dt"_s][u"key"_s].toInt(), 8);
    QCOMPARE(sent[3][u"dt"_s][u"text"_s].toString(), u"下午好"_s);
    QCOMPARE(sent[4][u"dt"_s][u"volum"_s].toInt(), 37);
    QCOMPARE(m_pc->state()[u"volume"_s].toInt(), 37);
    // Each carries the request identity of an authorised phone.
    QCOMPARE(sent[0][u"ua"_s].toString().split(u';').size(), 9);
}

void TestControlCli::outputForPeopleAndScripts()
{
    QByteArray out;
    QCOMPARE(run({u"key"_s, u"esc"_s}, &out, nullptr, false), 0);
    QCOMPARE(out, QByteArray("action:  4\next:     0\nkey:     27\n"));
    QCOMPARE(run({u"text"_s, u"--"_s, u"-42 度"_s}, &out), 0);
    QCOMPARE(out, u"{\"text\":\"-42 度\"}\n"_s.toUtf8());
    // Negative numbers are words of the command, not options.
    QCOMPARE(run({u"mouse"_s, u"move"_s, u"-3"_s, u"-.5"_s}, &out, nullptr, false), 0);
    QCOMPARE(out, QByteArray("action:  1\ndata:    -3.000000 -0.500000\n"));
    QCOMPARE(run({u"volume"_s, u"set"_s, u"0"_s}, &out), 0);
    QCOMPARE(out, QByteArray("{\"volume\":0}\n"));
    QCOMPARE(m_pc->state()[u"volume"_s].toInt(), 0);
}

void TestControlCli::failuresWhenThePcIsGone()
{
    m_pc->stop();
    for (const QStringList &args : {QStringList{u"key"_s, u"up"_s},
                                    {u"mouse"_s, u"click"_s, u"left"_s},
                                    {u"text"_s, u"x"_s},
                                    {u"volume"_s, u"set"_s, u"5"_s},
                                    {u"listen"_s}}) {
        QByteArray out;
        QByteArray err;
        QCOMPARE(run(args, &out, &err), 1);
        const QJsonObject failure = QJsonDocument::fromJson(out).object();
        QVERIFY2(failure[u"error"_s].toString().startsWith(u"login failed"_s), out.constData());
        QCOMPARE(failure[u"status"_s].toInt(), 256);
        QVERIFY(err.startsWith("zephyr-cli: login failed"));
    }
}

void TestControlCli::badArgumentsAreUsageErrors()
{
    QCOMPARE(run({u"mouse"_s, u"click"_s, u"middle"_s}), 2);
    QCOMPARE(run({u"mouse"_s, u"move"_s, u"x"_s, u"1"_s}), 2);
    QCOMPARE(run({u"key"_s, u"f1"_s}), 2);
    QCOMPARE(run({u"text"_s}), 2);
    QCOMPARE(run({u"volume"_s, u"set"_s, u"101"_s}), 2);
    QCOMPARE(run({u"upload"_s, u"a.jpg"_s}), 2);
    QCOMPARE(run({u"listen"_s, u"--seconds"_s, u"-1"_s}), 2);
    QCOMPARE(udpAtPc().size(), 0);
}

void TestControlCli::listenPrintsPushes()
{
    QProcess *listener = cli({u"listen"_s, u"--seconds"_s, u"20"_s});
    // The listener's echo tells the PC where the phone is.
    QTRY_VERIFY_WITH_TIMEOUT(!udpAtPc().isEmpty(), 20000);
    QVERIFY(m_pc->control(u"push/text"_s, {{u"text"_s, u"来自电脑"_s}})[u"ok"_s].toBool());
    QVERIFY(m_pc->control(u"push/status"_s, {{u"action"_s, 3}})[u"ok"_s].toBool());
    QByteArray out;
    QTRY_VERIFY_WITH_TIMEOUT((out += listener->readAllStandardOutput()).count('\n') >= 2, 10000);
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

void TestControlCli::listenForPeople()
{
    QProcess *listener = cli({u"listen"_s, u"--seconds"_s, u"20"_s}, false);
    QTRY_VERIFY_WITH_TIMEOUT(!udpAtPc().isEmpty(), 20000);
    QVERIFY(m_pc->control(u"push/text"_s, {{u"text"_s, u"来自电脑"_s}})[u"ok"_s].toBool());
    QByteArray out;
    QTRY_VERIFY_WITH_TIMEOUT((out += listener->readAllStandardOutput()).count('\n') >= 1, 10000);
    QCOMPARE(QString::fromUtf8(out),
             u"1016  {\"text\":\"来自电脑\"}  authorised  收到来自电脑的文字\n"_s);
    listener->kill();
}

void TestControlCli::uploadsFilesAndRefusesHugeOnes()
{
    const QString small = m_dirs->filePath(u"s.jpg"_s);
    const QString huge = m_dirs->filePath(u"huge.mov"_s);
    {
        QFile s(small);
        QVERIFY(s.open(QIODevice::WriteOnly));
        s.write(QByteArray(20000, 'z'));
        QFile h(huge);
        QVERIFY(h.open(QIODevice::WriteOnly));
        QVERIFY(h.resize(qint64(4) << 30));
    }
    QByteArray out;
    QByteArray err;
    QCOMPARE(run({u"upload"_s, small, u"--to"_s, u"C:/up"_s}, &out), 0);
    QCOMPARE(QJsonDocument::fromJson(out).object()[u"uploaded"_s].toInt(), 1);
    QCOMPARE(QFileInfo(m_pc->rootPath() + u"/C:/up/s.jpg"_s).size(), 20000);

    QCOMPARE(run({u"upload"_s, huge, small, u"--to"_s, u"Desktop"_s}, &out, &err), 1);
    QVERIFY(err.contains("huge.mov"));
    QVERIFY(QFileInfo::exists(m_pc->rootPath() + u"/Desktop/s.jpg"_s));
    QVERIFY(!QFileInfo::exists(m_pc->rootPath() + u"/Desktop/huge.mov"_s));

    QCOMPARE(run({u"upload"_s, m_dirs->filePath(u"missing.jpg"_s), u"--to"_s, u"C:/"_s}), 1);
}

QTEST_GUILESS_MAIN(TestControlCli)
#include "tst_controlcli.moc"
