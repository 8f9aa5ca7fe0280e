// zephyr-cli's commands on files: listing, deleting, moving and renaming PC files, downloads into
// the history, the history itself, uploads and the shake of every kind.
#include "CliRunner.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>
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

QStringList names(const QJsonObject &listing)
{
    QStringList out;
    for (const auto &entry : listing[u"array"_s].toArray())
        out << entry[u"name"_s].toString();
    return out;
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
    }

    void cleanup()
    {
        m_cli.reset();
        m_pc.reset();
    }

    // For people: kind, size, date and name in aligned columns, folders without a size.
    void lsForPeople()
    {
        const CliRun folder = m_cli->run({u"ls"_s, u"C:/docs"_s}, false);
        QCOMPARE(folder.status, 0);
        const QStringList lines = folder.lines();
        QCOMPARE(lines.size(), 3);
        QVERIFY2(QRegularExpression(u"^folder {11}\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d  sub$"_s)
                     .match(lines[0])
                     .hasMatch(),
                 qPrintable(lines[0]));
        QCOMPARE(lines[1], u"document     6B  2023-11-14 22:13  a.txt"_s);
        QCOMPARE(lines[2], u"image     2.0KB  2023-11-14 22:13  photo.jpg"_s);

        const CliRun top = m_cli->run({u"ls"_s, u"/"_s}, false);
        QCOMPARE(top.status, 0);
        QCOMPARE(top.lines().size(), 2);
        QVERIFY(top.lines()[0].startsWith(u"drive "_s) && top.lines()[0].endsWith(u"  C:"_s));
        QVERIFY(top.lines()[1].startsWith(u"folder "_s) && top.lines()[1].endsWith(u"  桌面"_s));
        QCOMPARE(top.lines()[0].indexOf(u"C:"_s), top.lines()[1].indexOf(u"桌面"_s));
    }

    // For scripts: the listing's answer as one object.
    void lsForScripts()
    {
        const CliRun json = m_cli->run({u"ls"_s, u"C:/docs"_s});
        QCOMPARE(json.status, 0);
        QCOMPARE(json.json().size(), 1);
        const QJsonObject listing = json.json().first();
        QCOMPARE(listing[u"path"_s].toString(), u"C:/docs"_s);
        QCOMPARE(names(listing), (QStringList{u"sub"_s, u"a.txt"_s, u"photo.jpg"_s}));
        QCOMPARE(listing[u"array"_s][1][u"size"_s].toInt(), 6);
        QCOMPARE(listing[u"array"_s][1][u"time"_s].toInteger(), 1700000000);
    }

    void lsFailures()
    {
        const CliRun missing = m_cli->run({u"ls"_s, u"C:/nope"_s});
        QCOMPARE(missing.status, 1);
        QCOMPARE(missing.json(), (QList<QJsonObject>{{{u"error"_s, u"cannot list C:/nope"_s}}}));
        QVERIFY(missing.errText().contains(u"cannot list C:/nope"_s));
        // A command's wrong words are answered with that command's usage.
        QVERIFY(m_cli->run({u"ls"_s}).errText().contains(u"usage: zephyr-cli [--json] ls PATH"_s));

        // Until cleared: logging in lists the disks too.
        m_pc->fault(u"cgi/dir_list.mo"_s, u"garbage"_s, 0, 0);
        const CliRun garbage = m_cli->run({u"ls"_s, u"C:/docs"_s});
        QCOMPARE(garbage.status, 1);
        QVERIFY(garbage.isJsonOnly());
        QVERIFY(garbage.json().last().contains(u"error"_s));
    }

    void rmMvRename()
    {
        const CliRun moved = m_cli->run(
            {u"mv"_s, u"C:/docs/photo.jpg"_s, u"--to"_s, u"C:/docs/sub"_s, u"--in"_s, u"C:/docs"_s},
            false);
        QCOMPARE(moved.status, 0);
        QCOMPARE(moved.lines(), (QStringList{u"path:    C:/docs"_s, u"result:  true"_s}));
        QVERIFY(QFile::exists(pcFile(u"C:/docs/sub/photo.jpg"_s)));

        const CliRun renamed = m_cli->run(
            {u"rename"_s, u"C:/docs/sub/photo.jpg"_s, u"p.jpg"_s, u"--in=C:/docs/sub"_s});
        QCOMPARE(renamed.status, 0);
        QCOMPARE(renamed.json(),
                 (QList<QJsonObject>{{{u"path"_s, u"C:/docs/sub"_s}, {u"result"_s, true}}}));
        QVERIFY(QFile::exists(pcFile(u"C:/docs/sub/p.jpg"_s)));

        const CliRun removed = m_cli->run(
            {u"rm"_s, u"C:/docs/a.txt"_s, u"C:/docs/sub/p.jpg"_s, u"--in"_s, u"C:/docs"_s});
        QCOMPARE(removed.status, 0);
        QCOMPARE(removed.json().first()[u"result"_s].toBool(), true);
        QVERIFY(!QFile::exists(pcFile(u"C:/docs/a.txt"_s)));
        QCOMPARE(QDir(pcFile(u".recycle"_s)).entryList(QDir::Files).size(), 2);

        // The PC's refusals.
        const CliRun notThere = m_cli->run({u"rm"_s, u"C:/docs/a.txt"_s, u"--in"_s, u"C:/docs"_s});
        QCOMPARE(notThere.status, 1);
        QCOMPARE(notThere.json(),
                 (QList<QJsonObject>{{{u"error"_s, u"the PC did not delete them"_s}}}));
        QCOMPARE(
            m_cli->run({u"rename"_s, u"C:/docs/sub"_s, u"a/b"_s, u"--in"_s, u"C:/docs"_s}).status,
            1);
        QCOMPARE(m_cli->run({u"mv"_s, u"C:/nope"_s, u"--to"_s, u"C:/docs"_s, u"--in"_s, u"C:/"_s})
                     .status,
                 1);
    }

    void downloadAndHistory()
    {
        // An empty history prints nothing.
        const CliRun none = m_cli->run({u"history"_s}, false);
        QCOMPARE(none.status, 0);
        QCOMPARE(none.out, QByteArray());

        for (const QString &file : {u"C:/docs/photo.jpg"_s, u"C:/docs/a.txt"_s}) {
            const CliRun run = m_cli->run({u"download"_s, file});
            QCOMPARE(run.status, 0);
            const QJsonObject record = run.json().value(0);
            QCOMPARE(record[u"finishedSize"_s], record[u"size"_s]);
            QVERIFY(
                QFile::exists(m_cli->dataPath() + u"/qt/"_s + record[u"localPath"_s].toString()));
        }

        // The history, newest first.
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

        const CliRun missing = m_cli->run({u"download"_s, u"C:/nope.txt"_s});
        QCOMPARE(missing.status, 1);
        QCOMPARE(missing.json(),
                 (QList<QJsonObject>{
                     {{u"error"_s, u"no such file or folder on the PC: C:/nope.txt"_s}}}));

        // A download the PC breaks off fails the run; scripts learn it on stdout.
        QVERIFY(writeFile(pcFile(u"C:/docs/b.txt"_s), "bye\n"));
        m_pc->fault(u"pc"_s, u"close"_s, 0, 0);
        const CliRun broken = m_cli->run({u"download"_s, u"C:/docs/b.txt"_s});
        QCOMPARE(broken.status, 1);
        QVERIFY(broken.isJsonOnly());
        QVERIFY(!broken.json().isEmpty());
        QVERIFY(broken.json().last()[u"error"_s].toString().contains(u"C:/docs/b.txt"_s));
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

    void upload()
    {
        const QString local = m_local.filePath(u"s.jpg"_s);
        QVERIFY(writeFile(local, QByteArray(20000, 'z')));
        const CliRun json = m_cli->run({u"upload"_s, local, u"--to"_s, u"C:/up"_s});
        QCOMPARE(json.status, 0);
        QCOMPARE(json.json(), (QList<QJsonObject>{
                                  {{u"uploaded"_s, 1}, {u"refused"_s, 0}, {u"to"_s, u"C:/up"_s}}}));
        QCOMPARE(QFileInfo(pcFile(u"C:/up/s.jpg"_s)).size(), 20000);

        const CliRun people = m_cli->run({u"upload"_s, u"--to"_s, u"Desktop"_s, local}, false);
        QCOMPARE(people.status, 0);
        QCOMPARE(people.lines(),
                 (QStringList{u"refused:   0"_s, u"to:        Desktop"_s, u"uploaded:  1"_s}));

        const CliRun unreadable =
            m_cli->run({u"upload"_s, m_local.filePath(u"missing.jpg"_s), u"--to"_s, u"C:/"_s});
        QCOMPARE(unreadable.status, 1);
        QVERIFY(unreadable.json().first()[u"error"_s].toString().contains(u"missing.jpg"_s));

        m_pc->fault(u"upload"_s, u"close"_s);
        const CliRun interrupted = m_cli->run({u"upload"_s, local, u"--to"_s, u"C:/up"_s});
        QCOMPARE(interrupted.status, 1);
        QCOMPARE(interrupted.json(),
                 (QList<QJsonObject>{{{u"error"_s, u"the upload was interrupted"_s}}}));
    }

    void shake()
    {
        m_pc->control(u"selection"_s, {{u"type"_s, u"text"_s}, {u"text"_s, u"你好"_s}});
        const CliRun text = m_cli->run({u"shake"_s});
        QVERIFY2(text.status == 0, qPrintable(text.errText()));
        QCOMPARE(text.json().size(), 1);
        QCOMPARE(text.json()[0][u"dt"_s].toString(), u"你好"_s);
        QCOMPARE(text.json()[0][u"type"_s].toInteger(), 0x40000);

        m_pc->control(u"selection"_s, {{u"type"_s, u"file"_s}, {u"path"_s, u"C:/docs/a.txt"_s}});
        const CliRun file = m_cli->run({u"shake"_s});
        QVERIFY2(file.status == 0, qPrintable(file.errText()));
        QCOMPARE(file.json().last()[u"finishedSize"_s].toInteger(), 6);
        QCOMPARE(downloaded(file.json().last()[u"localPath"_s].toString()), "hello\n");

        // A selection the PC cannot name falls back to a screenshot.
        m_pc->control(u"selection"_s, {{u"type"_s, u"unknown"_s}});
        const CliRun shot = m_cli->run({u"shake"_s});
        QVERIFY2(shot.status == 0, qPrintable(shot.errText()));
        QCOMPARE(shot.json().last()[u"type"_s].toInteger(), 0x80004);
        QVERIFY(shot.json().last()[u"localPath"_s].toString().endsWith(u".png"_s));

        m_pc->control(u"selection"_s,
                      {{u"type"_s, u"raw"_s}, {u"err"_s, 1}, {u"data"_s, QJsonObject{}}});
        const CliRun refused = m_cli->run({u"shake"_s});
        QCOMPARE(refused.status, 1);
        QVERIFY(!refused.err.isEmpty());

        // A file held back for the user: shown as waiting, not downloaded.
        m_pc->control(
            u"selection"_s,
            {{u"type"_s, u"file"_s}, {u"path"_s, u"C:/docs/a.txt"_s}, {u"size"_s, 9000000}});
        const CliRun held = m_cli->run({u"shake"_s}, false);
        QCOMPARE(held.status, 0);
        QCOMPARE(held.lines(), (QStringList{u"KIND       SIZE  STATE    NAME"_s,
                                            u"document  9.0MB  waiting  a.txt"_s}));
        const CliRun heldJson = m_cli->run({u"shake"_s});
        QCOMPARE(heldJson.json().size(), 1);
        QCOMPARE(heldJson.json()[0][u"waiting"_s].toBool(), true);
        QCOMPARE(heldJson.json()[0][u"size"_s].toInt(), 9000000);

        m_pc->control(u"selection"_s, {{u"type"_s, u"url"_s}, {u"url"_s, u"http://x.org/"_s}});
        const CliRun link = m_cli->run({u"shake"_s}, false);
        QCOMPARE(link.lines(),
                 (QStringList{u"KIND  SIZE  STATE  NAME"_s, u"link               无标题"_s}));
    }
};

QTEST_GUILESS_MAIN(TestCliFiles)
#include "tst_cli_files.moc"
