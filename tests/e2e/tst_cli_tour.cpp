// zephyr-cli as a user runs it against the stand-in PC, one PC and one phone for the whole tour.

#include "CliRunner.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

class TestCliTour : public QObject
{
    Q_OBJECT

    PcSim m_pc;
    CliRunner m_cli{m_pc};

    [[nodiscard]] QByteArray downloaded(const QString &localPath) const
    {
        QFile local(m_cli.dataPath() + u"/qt/"_s + localPath);
        return local.open(QIODevice::ReadOnly) ? local.readAll() : QByteArray("(missing)");
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!CliRunner::binary().isEmpty(),
                 "ZEPHYR_CLI_BIN is not set: run the test through ctest");
        QVERIFY2(m_pc.start(), qPrintable(m_pc.errorString()));
        QDir root(m_pc.rootPath());
        QVERIFY(root.mkpath(u"C:/tour"_s));
        QFile f(root.filePath(u"C:/tour/notes.txt"_s));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("shaken from the PC\n");
    }

    void shakeTextThenFileThenHistory()
    {
        m_pc.control(u"selection"_s, {{u"type"_s, u"text"_s}, {u"text"_s, u"你好"_s}});
        const CliRun text = m_cli.run({u"shake"_s});
        QVERIFY2(text.status == 0, qPrintable(text.errText()));
        QCOMPARE(text.json().size(), 1);
        QCOMPARE(text.json()[0][u"dt"_s].toString(), u"你好"_s);
        QCOMPARE(text.json()[0][u"type"_s].toInteger(), 0x40000);

        m_pc.control(u"selection"_s, {{u"type"_s, u"file"_s}, {u"path"_s, u"C:/tour/notes.txt"_s}});
        const CliRun file = m_cli.run({u"shake"_s});
        QVERIFY2(file.status == 0, qPrintable(file.errText()));
        const QJsonObject record = file.json().last();
        QCOMPARE(record[u"path"_s].toString(), u"C:/tour/notes.txt"_s);
        QCOMPARE(record[u"finishedSize"_s].toInteger(), 19);
        QCOMPARE(downloaded(record[u"localPath"_s].toString()), "shaken from the PC\n");

        const CliRun history = m_cli.run({u"history"_s});
        QCOMPARE(history.status, 0);
        QCOMPARE(history.json().size(), 2);
        QCOMPARE(history.json()[0][u"path"_s].toString(), u"C:/tour/notes.txt"_s);
    }

    void unknownSelectionFallsBackToAScreenshot()
    {
        m_pc.control(u"selection"_s, {{u"type"_s, u"unknown"_s}});
        const CliRun shot = m_cli.run({u"shake"_s});
        QVERIFY2(shot.status == 0, qPrintable(shot.errText()));
        QCOMPARE(shot.json().last()[u"type"_s].toInteger(), 0x80004);
        QVERIFY(shot.json().last()[u"localPath"_s].toString().endsWith(u".png"_s));
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
        const CliRun run = m_cli.run({u"download"_s, u"C:/trip/"_s, u"C:/trip/b.jpg"_s});
        QVERIFY2(run.status == 0, qPrintable(run.errText()));
        QStringList fetched;
        for (const QJsonObject &line : run.json())
            fetched << line[u"path"_s].toString();
        fetched.sort();
        QCOMPARE(fetched, (QStringList{u"C:/trip/a.txt"_s, u"C:/trip/b.jpg"_s}));
        QCOMPARE(downloaded(u"C:/trip/a.txt"_s), "C:/trip/a.txt");
        QVERIFY(!QFileInfo::exists(m_cli.dataPath() + u"/qt/C:/trip/sub"_s));

        // Nothing is fetched when one of the names does not exist.
        const CliRun missing =
            m_cli.run({u"download"_s, u"C:/trip/sub/c.txt"_s, u"C:/trip/none.txt"_s});
        QCOMPARE(missing.status, 1);
        QVERIFY(missing.errText().contains(u"C:/trip/none.txt"_s));
        QVERIFY(!QFileInfo::exists(m_cli.dataPath() + u"/qt/C:/trip/sub/c.txt"_s));
    }

    void refusedShakeExitsWithOne()
    {
        m_pc.control(u"selection"_s,
                     {{u"type"_s, u"raw"_s}, {u"err"_s, 1}, {u"data"_s, QJsonObject{}}});
        const CliRun failed = m_cli.run({u"shake"_s});
        QCOMPARE(failed.status, 1);
        QVERIFY(!failed.err.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCliTour)
#include "tst_cli_tour.moc"
