// zephyr-cli's commands on files: listing, deleting, moving and renaming PC files, downloads into
// the history, the history itself, uploads and the shake of every kind.
#include "CliRows.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
const QDateTime kModified = QDateTime::fromSecsSinceEpoch(1700000000);

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size() && f.flush() &&
           f.setFileTime(kModified, QFileDevice::FileModificationTime);
}
} // namespace

class TestCliFiles : public QObject
{
    Q_OBJECT

    std::unique_ptr<PcSim> m_pc;
    std::unique_ptr<CliRunner> m_cli;
    QTemporaryDir m_local;

private Q_SLOTS:
    void init()
    {
        const QString failure = startPcAndCli(m_pc, m_cli);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QVERIFY(QDir(m_pc->rootPath()).mkpath(u"C:/docs/sub"_s));
        QVERIFY(writeFile(m_pc->rootPath() + u"/C:/docs/a.txt"_s, "hello\n"));
        QVERIFY(writeFile(m_pc->rootPath() + u"/C:/docs/photo.jpg"_s, QByteArray(2000, 'p')));
        QVERIFY(writeFile(m_local.filePath(u"s.jpg"_s), QByteArray(20000, 'z')));
    }

    void commands_data()
    {
        addCliColumns();
        const QByteArray s = m_local.filePath(u"s.jpg"_s).toUtf8();
        const char *held = R"({"type":"file","path":"C:/docs/a.txt","size":9000000})";
        // For people: kind, size, date and name in aligned columns, folders without a size.
        cliRow("ls", "ls C:/docs", 0,
               "  sub\ndocument     6B  2023-11-14 22:13  a.txt\n"
               "image     2.0KB  2023-11-14 22:13  photo.jpg\n");
        cliRow("ls json", "--json ls C:/docs", 0,
               R"("path":"C:/docs"|"name":"sub"|"name":"a.txt"|"size":6,|"time":1700000000)");
        cliRow("ls of garbage", "--json ls C:/docs", 1, R"("error")",
               pcFault("cgi/dir_list.mo", "garbage", 0));
        cliRow("mv", "mv C:/docs/photo.jpg --to C:/docs/sub --in C:/docs", 0,
               "path:    C:/docs\nresult:  true\n", {}, R"({"file:C:/docs/sub/photo.jpg":true})");
        cliRow("mv json", "--json mv C:/docs/photo.jpg --to C:/docs/sub --in C:/docs", 0,
               R"({"path":"C:/docs","result":true})");
        cliRow("mv of nothing", "mv C:/nope --to C:/docs --in C:/", 1, "zephyr-cli: ");
        cliRow("rename", "--json rename C:/docs/photo.jpg p.jpg --in=C:/docs", 0,
               R"({"path":"C:/docs","result":true})", {}, R"({"file:C:/docs/p.jpg":true})");
        cliRow("rename into a folder", "rename C:/docs/sub a/b --in C:/docs", 1, "zephyr-cli: ");
        cliRow("rm", "--json rm C:/docs/a.txt C:/docs/photo.jpg --in C:/docs", 0,
               R"("result":true)", {},
               R"({"file:C:/docs/a.txt":false,"file:C:/docs/photo.jpg":false})");
        cliRow("rm for people", "rm C:/docs/a.txt --in C:/docs", 0, "result:  true\n");
        cliRow("rm of nothing", "--json rm C:/docs/none.txt --in C:/docs", 1,
               R"({"error":"the PC did not delete them"})");
        cliRow("download", "--json download C:/docs/a.txt", 0,
               R"("finishedSize":6,|"localPath":"C:/docs/a.txt")");
        // A download the PC breaks off fails the run; scripts learn it on stdout.
        cliRow("download broken off", "--json download C:/docs/a.txt", 1,
               "\"error\":\"|C:/docs/a.txt", pcFault("pc", "close", 0));
        cliRow("upload", "--json upload " + s + " --to C:/up", 0,
               R"({"refused":0,"to":"C:/up","uploaded":1})", {}, R"({"file:C:/up/s.jpg":true})");
        cliRow("upload for people", "upload --to Desktop " + s, 0,
               "refused:   0\nto:        Desktop\nuploaded:  1\n");
        cliRow("upload broken off", "--json upload " + s + " --to C:/up", 1,
               R"({"error":"the upload was interrupted"})", pcFault("upload", "close"));
        cliRow("shake a text", "--json shake", 0, R"("dt":"你好"|"type":262144)",
               pcTold("selection", R"({"type":"text","text":"你好"})"));
        cliRow("shake refused", "shake", 1,
               "zephyr-cli: ", pcTold("selection", R"({"type":"raw","err":1,"data":{}})"));
        // A file held back for the user: shown as waiting, not downloaded.
        cliRow("shake a held file", "shake", 0,
               "KIND       SIZE  STATE    NAME\ndocument  9.0MB  waiting  a.txt\n",
               pcTold("selection", held));
    }
    void commands() { runCliRow(*m_pc, *m_cli); }

    void historyNewestFirst()
    {
        for (const QString &file : {u"C:/docs/photo.jpg"_s, u"C:/docs/a.txt"_s})
            QCOMPARE(m_cli->run({u"download"_s, file}).status, 0);
        QFile local(m_cli->dataPath() + u"/qt/C:/docs/a.txt"_s);
        QVERIFY(local.open(QIODevice::ReadOnly) && local.readAll() == "hello\n");
        const CliRun history = m_cli->run({u"history"_s}, false);
        QCOMPARE(history.status, 0);
        QCOMPARE(history.lines(), (QStringList{u"KIND       SIZE  STATE       NAME"_s,
                                               u"document     6B  downloaded  a.txt"_s,
                                               u"image     2.0KB  downloaded  photo.jpg"_s}));
        const QList<QJsonObject> records = m_cli->run({u"history"_s}).json();
        QCOMPARE(records.size(), 2);
        QCOMPARE(records[0][u"path"_s].toString(), u"C:/docs/a.txt"_s);
    }

    void downloadOfAFolderTakesItsFilesOnce()
    {
        // A folder's direct files; one of them named on its own too is fetched once.
        const CliRun run = m_cli->run({u"download"_s, u"C:/docs/"_s, u"C:/docs/a.txt"_s});
        QVERIFY2(run.status == 0, qPrintable(run.errText()));
        QStringList fetched;
        for (const QJsonObject &line : run.json())
            fetched << line[u"path"_s].toString();
        fetched.sort();
        QCOMPARE(fetched, (QStringList{u"C:/docs/a.txt"_s, u"C:/docs/photo.jpg"_s}));
    }

    // Progress only on a terminal, gone before the results; never in what scripts read.
    void progressOnlyOnATerminal()
    {
        QVERIFY(writeFile(m_pc->rootPath() + u"/C:/docs/big.bin"_s, QByteArray(3 << 20, 'b')));
        const CliRun terminal = m_cli->runOnTerminal({u"download"_s, u"C:/docs/big.bin"_s});
        QCOMPARE(terminal.status, 0);
        QVERIFY2(terminal.out.contains("\rdownloading: 1 of 1 done, 3.1MB / 3.1MB (100%)\x1b[K"),
                 terminal.out.constData());
        QVERIFY(terminal.out.contains("\r\x1b[KKIND"));
        const CliRun piped = m_cli->run({u"download"_s, u"C:/docs/big.bin"_s}, false);
        QCOMPARE(piped.status, 0);
        QCOMPARE(piped.err, QByteArray());
        const CliRun json = m_cli->runOnTerminal({u"--json"_s, u"history"_s});
        QCOMPARE(json.status, 0);
        QVERIFY(!json.out.contains('\x1b'));
    }
};

QTEST_GUILESS_MAIN(TestCliFiles)
#include "tst_cli_files.moc"
