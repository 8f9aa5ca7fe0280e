// zephyr-cli as a user runs it against the stand-in PC: every result is one JSON line.

#include "JsonUtils.h"
#include "PcSim.h"

#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

using namespace Qt::StringLiterals;

class TestCliTour : public QObject
{
    Q_OBJECT

    PcSim m_pc;
    QTemporaryDir m_data;
    QTemporaryDir m_keychain;
    quint16 m_udpPort = 0;

    struct Run
    {
        int status = -1;
        QList<QVariantMap> lines;
        QString error;
    };

    Run cli(const QStringList &args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"ZEPHYR_DATA_DIR"_s, m_data.path());
        env.insert(u"ZEPHYR_KEYCHAIN_DIR"_s, m_keychain.path());
        env.insert(u"ZEPHYR_SSID"_s, u"ZephyrWiFi"_s);
        env.insert(u"ZEPHYR_WIFI_ADDRESS"_s, u"127.0.0.1"_s);
        env.insert(u"ZEPHYR_PC_ADDRESS"_s, u"127.0.0.1"_s);
        env.insert(u"ZEPHYR_PC_PORT"_s, QString::number(m_pc.port));
        env.insert(u"ZEPHYR_UDP_PORT"_s, QString::number(m_udpPort));
        env.insert(u"ZEPHYR_FEEDBACK_URL"_s, m_pc.feedbackUrl);
        env.insert(u"ZEPHYR_STATS_URL"_s, m_pc.statsUrl);
        p.setProcessEnvironment(env);
        p.start(qEnvironmentVariable("ZEPHYR_CLI_BIN"), QStringList{u"--json"_s} + args);
        Run run;
        if (!p.waitForFinished(60000)) {
            p.kill();
            p.waitForFinished();
            return run;
        }
        run.status = p.exitCode();
        run.error = QString::fromUtf8(p.readAllStandardError());
        const QList<QByteArray> lines = p.readAllStandardOutput().split('\n');
        for (const QByteArray &line : lines)
            if (!line.isEmpty())
                run.lines << JsonUtils::dataToDictionary(line).toMap();
        return run;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!qEnvironmentVariableIsEmpty("ZEPHYR_CLI_BIN"),
                 "ZEPHYR_CLI_BIN is not set: run the test through ctest");
        QVERIFY2(m_pc.start(), qPrintable(m_pc.errorString()));
        QUdpSocket probe;
        QVERIFY(probe.bind(QHostAddress::LocalHost, 0));
        m_udpPort = probe.localPort();
        QDir root(m_pc.rootPath());
        QVERIFY(root.mkpath(u"C:/tour"_s));
        QFile f(root.filePath(u"C:/tour/notes.txt"_s));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("shaken from the PC\n");
    }

    void infoAndLogin()
    {
        Run info = cli({u"info"_s});
        QCOMPARE(info.status, 0);
        QCOMPARE(info.lines.size(), 1);
        QCOMPARE(info.lines[0][u"ssid"_s].toString(), u"ZephyrWiFi"_s);
        QCOMPARE(info.lines[0][u"pcAddress"_s].toString(), u"127.0.0.1"_s);
        QCOMPARE(info.lines[0][u"deviceId"_s].toString().size(), 32);

        Run login = cli({u"login"_s});
        QVERIFY2(login.status == 0, qPrintable(login.error));
        QCOMPARE(login.lines.last()[u"status"_s].toInt(), 1024);
        QVERIFY(login.lines.last()[u"api"_s].toString().startsWith(u"http://127.0.0.1:"_s));
    }

    void shakeTextThenFileThenHistory()
    {
        m_pc.control(u"selection"_s, {{u"type"_s, u"text"_s}, {u"text"_s, u"你好"_s}});
        Run text = cli({u"shake"_s});
        QVERIFY2(text.status == 0, qPrintable(text.error));
        QCOMPARE(text.lines.size(), 1);
        QCOMPARE(text.lines[0][u"dt"_s].toString(), u"你好"_s);
        QCOMPARE(text.lines[0][u"type"_s].toLongLong(), 0x40000);

        m_pc.control(u"selection"_s, {{u"type"_s, u"file"_s}, {u"path"_s, u"C:/tour/notes.txt"_s}});
        Run file = cli({u"shake"_s});
        QVERIFY2(file.status == 0, qPrintable(file.error));
        const QVariantMap record = file.lines.last();
        QCOMPARE(record[u"path"_s].toString(), u"C:/tour/notes.txt"_s);
        QCOMPARE(record[u"finishedSize"_s].toLongLong(), 19);
        QFile local(m_data.filePath(u"qt/"_s + record[u"localPath"_s].toString()));
        QVERIFY2(local.open(QIODevice::ReadOnly), qPrintable(local.fileName()));
        QCOMPARE(local.readAll(), QByteArray("shaken from the PC\n"));

        Run history = cli({u"history"_s});
        QCOMPARE(history.status, 0);
        QCOMPARE(history.lines.size(), 2);
        QCOMPARE(history.lines[0][u"path"_s].toString(), u"C:/tour/notes.txt"_s);
    }

    void unknownSelectionFallsBackToAScreenshot()
    {
        m_pc.control(u"selection"_s, {{u"type"_s, u"unknown"_s}});
        Run shot = cli({u"shake"_s});
        QVERIFY2(shot.status == 0, qPrintable(shot.error));
        QCOMPARE(shot.lines.last()[u"type"_s].toLongLong(), 0x80004);
        QVERIFY(shot.lines.last()[u"localPath"_s].toString().endsWith(u".png"_s));
    }

    void downloadFoldersAndFiles()
    {
        QDir root(m_pc.rootPath());
        QVERIFY(root.mkpath(u"C:/trip/sub"_s));
        for (const QString &name :
             {u"C:/trip/a.txt"_s, u"C:/trip/b.jpg"_s, u"C:/trip/sub/c.txt"_s}) {
            QFile f(root.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(name.toUtf8());
        }
        // A folder's direct files; one of them named on its own too is fetched once.
        Run run = cli({u"download"_s, u"C:/trip/"_s, u"C:/trip/b.jpg"_s});
        QVERIFY2(run.status == 0, qPrintable(run.error));
        QStringList fetched;
        for (const QVariantMap &line : std::as_const(run.lines))
            fetched << line[u"path"_s].toString();
        fetched.sort();
        QCOMPARE(fetched, (QStringList{u"C:/trip/a.txt"_s, u"C:/trip/b.jpg"_s}));
        QFile local(m_data.filePath(u"qt/C:/trip/a.txt"_s));
        QVERIFY(local.open(QIODevice::ReadOnly));
        QCOMPARE(local.readAll(), QByteArray("C:/trip/a.txt"));
        QVERIFY(!QFileInfo::exists(m_data.filePath(u"qt/C:/trip/sub"_s)));

        // Nothing is fetched when one of the names does not exist.
        Run missing = cli({u"download"_s, u"C:/trip/sub/c.txt"_s, u"C:/trip/none.txt"_s});
        QCOMPARE(missing.status, 1);
        QVERIFY(missing.error.contains(u"C:/trip/none.txt"_s));
        QVERIFY(!QFileInfo::exists(m_data.filePath(u"qt/C:/trip/sub/c.txt"_s)));
    }

    void failuresExitWithOne()
    {
        m_pc.control(u"selection"_s,
                     {{u"type"_s, u"raw"_s}, {u"err"_s, 1}, {u"data"_s, QJsonObject{}}});
        Run failed = cli({u"shake"_s});
        QCOMPARE(failed.status, 1);
        QVERIFY(!failed.error.isEmpty());
        QCOMPARE(cli({u"shake"_s, u"--bogus"_s}).status, 2);
        QCOMPARE(cli({u"no-such-command"_s}).status, 2);
    }
};

QTEST_GUILESS_MAIN(TestCliTour)
#include "tst_cli_tour.moc"
