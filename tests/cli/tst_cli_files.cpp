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

    [[nodiscard]] QString pcFile(const QString &path) const
    {
        return m_pc->rootPath() + u'/' + path;
    }

    [[nodiscard]] QByteArray downloaded(const QString &localPath) const
    {
        QFile local(m_cli->dataPath() + u"/qt/"_s + localPath);
        return local.open(QIODevice::ReadOnly) ? local.readAll() : QByteArray("(missing)");
    }

private Q_SLOTS:
    void init()
    {
        const QString failure = startPcAndCli(m_pc, m_cli);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QVERIFY(QDir(m_pc->rootPath()).mkpath(u"C:/docs/sub"_s));
        QVERIFY(writeFile(pcFile(u"C:/docs/a.txt"_s), "hello\n"));
        QVERIFY(writeFile(pcFile(u"C:/docs/photo.jpg"_s), QByteArray(2000, 'p')));
        QVERIFY(writeFile(m_local.filePath(u"s.jpg"_s), QByteArray(20000, 'z')));
    }

    void cleanup()
    {
        m_cli.reset();
        m_pc.reset();
    }

    void commands_data()
    {
        addCliColumns();
        const QString s = m_local.filePath(u"s.jpg"_s);
        const auto select = [](const QJsonObject &selection) {
            return pcTold(u"selection"_s, selection);
        };
        const QJsonArray held =
            select({{u"type"_s, u"file"_s}, {u"path"_s, u"C:/docs/a.txt"_s}, {u"size"_s, 9000000}});
        // For people: kind, size, date and name in aligned columns, folders without a size.
        cliRow("ls", u"ls C:/docs"_s, 0,
               u"  sub\ndocument     6B  2023-11-14 22:13  a.txt\n"
               u"image     2.0KB  2023-11-14 22:13  photo.jpg\n"_s);
        cliRow("ls json", u"--json ls C:/docs"_s, 0,
               uR"("path":"C:/docs"|"name":"sub"|"name":"a.txt"|"size":6,|"time":1700000000)"_s);
        cliRow("ls of nothing", u"--json ls C:/nope"_s, 1, uR"({"error":"cannot list C:/nope"})"_s);
        // Until cleared: logging in lists the disks too.
        cliRow("ls of garbage", u"--json ls C:/docs"_s, 1, uR"("error")"_s,
               pcFault(u"cgi/dir_list.mo"_s, u"garbage"_s, 0));
        cliRow("mv", u"mv C:/docs/photo.jpg --to C:/docs/sub --in C:/docs"_s, 0,
               u"path:    C:/docs\nresult:  true\n"_s, {},
               {{u"file:C:/docs/sub/photo.jpg"_s, true}});
        cliRow("mv of nothing", u"mv C:/nope --to C:/docs --in C:/"_s, 1, u"zephyr-cli: "_s);
        cliRow("rename", u"--json rename C:/docs/photo.jpg p.jpg --in=C:/docs"_s, 0,
               uR"({"path":"C:/docs","result":true})"_s, {}, {{u"file:C:/docs/p.jpg"_s, true}});
        cliRow("rename into a folder", u"rename C:/docs/sub a/b --in C:/docs"_s, 1,
               u"zephyr-cli: "_s);
        cliRow("rm", u"--json rm C:/docs/a.txt C:/docs/photo.jpg --in C:/docs"_s, 0,
               uR"("result":true)"_s, {},
               {{u"file:C:/docs/a.txt"_s, false}, {u"file:C:/docs/photo.jpg"_s, false}});
        cliRow("rm for people", u"rm C:/docs/a.txt --in C:/docs"_s, 0, u"result:  true\n"_s);
        cliRow("mv json", u"--json mv C:/docs/photo.jpg --to C:/docs/sub --in C:/docs"_s, 0,
               uR"({"path":"C:/docs","result":true})"_s);
        cliRow("rm of nothing", u"--json rm C:/docs/none.txt --in C:/docs"_s, 1,
               uR"({"error":"the PC did not delete them"})"_s);
        cliRow("empty history", u"history"_s, 0, {});
        cliRow("download", u"--json download C:/docs/a.txt"_s, 0,
               uR"("finishedSize":6,|"localPath":"C:/docs/a.txt")"_s);
        cliRow("download of nothing", u"--json download C:/nope.txt"_s, 1,
               uR"({"error":"no such file or folder on the PC: C:/nope.txt"})"_s);
        // A download the PC breaks off fails the run; scripts learn it on stdout.
        cliRow("download broken off", u"--json download C:/docs/a.txt"_s, 1,
               uR"("error":"|C:/docs/a.txt)"_s, pcFault(u"pc"_s, u"close"_s, 0));
        cliRow("upload", u"--json upload "_s + s + u" --to C:/up"_s, 0,
               uR"({"refused":0,"to":"C:/up","uploaded":1})"_s, {},
               {{u"file:C:/up/s.jpg"_s, true}});
        cliRow("upload for people", u"upload --to Desktop "_s + s, 0,
               u"refused:   0\nto:        Desktop\nuploaded:  1\n"_s);
        cliRow("upload of nothing", u"--json upload "_s + s + u"x --to C:/"_s, 1, u"s.jpgx"_s);
        cliRow("upload broken off", u"--json upload "_s + s + u" --to C:/up"_s, 1,
               uR"({"error":"the upload was interrupted"})"_s, pcFault(u"upload"_s, u"close"_s));
        cliRow("shake a text", u"--json shake"_s, 0, uR"("dt":"你好"|"type":262144)"_s,
               select({{u"type"_s, u"text"_s}, {u"text"_s, u"你好"_s}}));
        cliRow("shake a file", u"--json shake"_s, 0, uR"("finishedSize":6,)"_s,
               select({{u"type"_s, u"file"_s}, {u"path"_s, u"C:/docs/a.txt"_s}}));
        // A selection the PC cannot name falls back to a screenshot.
        cliRow("shake the unknown", u"--json shake"_s, 0, uR"("type":524292|.png")"_s,
               select({{u"type"_s, u"unknown"_s}}));
        cliRow("shake refused", u"shake"_s, 1, u"zephyr-cli: "_s,
               select({{u"type"_s, u"raw"_s}, {u"err"_s, 1}, {u"data"_s, QJsonObject{}}}));
        // A file held back for the user: shown as waiting, not downloaded.
        cliRow("shake a held file", u"shake"_s, 0,
               u"KIND       SIZE  STATE    NAME\ndocument  9.0MB  waiting  a.txt\n"_s, held);
        cliRow("shake a held file json", u"--json shake"_s, 0,
               uR"("size":9000000,|"waiting":true)"_s, held);
        cliRow("shake a link", u"shake"_s, 0,
               u"KIND  SIZE  STATE  NAME\nlink               无标题\n"_s,
               select({{u"type"_s, u"url"_s}, {u"url"_s, u"http://x.org/"_s}}));
    }
    void commands() { runCliRow(*m_pc, *m_cli); }

    void historyNewestFirst()
    {
        for (const QString &file : {u"C:/docs/photo.jpg"_s, u"C:/docs/a.txt"_s})
            QCOMPARE(m_cli->run({u"download"_s, file}).status, 0);
        QCOMPARE(downloaded(u"C:/docs/a.txt"_s), "hello\n");
        const CliRun history = m_cli->run({u"history"_s}, false);
        QCOMPARE(history.status, 0);
        QCOMPARE(history.lines(), (QStringList{u"KIND       SIZE  STATE       NAME"_s,
                                               u"document     6B  downloaded  a.txt"_s,
                                               u"image     2.0KB  downloaded  photo.jpg"_s}));
        const CliRun records = m_cli->run({u"history"_s});
        QCOMPARE(records.json().size(), 2);
        QVERIFY(records.json()[0][u"identifier"_s].toInt() >
                records.json()[1][u"identifier"_s].toInt());
        QCOMPARE(records.json()[0][u"path"_s].toString(), u"C:/docs/a.txt"_s);
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
        QCOMPARE(downloaded(u"C:/docs/a.txt"_s), "hello\n");

        // Nothing is fetched when one of the names does not exist.
        QVERIFY(writeFile(pcFile(u"C:/docs/sub/c.txt"_s), "c"));
        const CliRun missing =
            m_cli->run({u"download"_s, u"C:/docs/sub/c.txt"_s, u"C:/docs/none.txt"_s});
        QCOMPARE(missing.status, 1);
        QVERIFY(missing.errText().contains(u"C:/docs/none.txt"_s));
        QVERIFY(!QFileInfo::exists(m_cli->dataPath() + u"/qt/C:/docs/sub/c.txt"_s));
    }

    void progressOnlyOnATerminal()
    {
        QVERIFY(writeFile(pcFile(u"C:/docs/big.bin"_s), QByteArray(3 << 20, 'b')));
        const CliRun terminal = m_cli->runOnTerminal({u"download"_s, u"C:/docs/big.bin"_s});
        QCOMPARE(terminal.status, 0);
        QVERIFY2(terminal.out.contains("\rdownloading: 1 of 1 done, 3.1MB / 3.1MB (100%)\x1b[K"),
                 terminal.out.constData());
        // The progress line is gone before the result is printed.
        QVERIFY(terminal.out.contains("\r\x1b[KKIND"));

        const CliRun piped = m_cli->run({u"download"_s, u"C:/docs/big.bin"_s}, false);
        QCOMPARE(piped.status, 0);
        QCOMPARE(piped.err, QByteArray());

        const QString local = m_local.filePath(u"up.bin"_s);
        QVERIFY(writeFile(local, QByteArray(1 << 20, 'u')));
        const CliRun upload =
            m_cli->runOnTerminal({u"upload"_s, local, local, u"--to"_s, u"C:/up"_s});
        QCOMPARE(upload.status, 0);
        QVERIFY2(upload.out.contains("\ruploading: 1 of 2 done, 2.1MB / 2.1MB (100%)\x1b[K"),
                 upload.out.constData());

        // With --json nothing but the results, even on a terminal.
        const CliRun json = m_cli->runOnTerminal({u"--json"_s, u"history"_s});
        QCOMPARE(json.status, 0);
        QVERIFY(!json.out.contains('\x1b'));
    }
};

QTEST_GUILESS_MAIN(TestCliFiles)
#include "tst_cli_files.moc"
