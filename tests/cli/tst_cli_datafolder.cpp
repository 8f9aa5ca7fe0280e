// zephyr-cli processes and their data folder: one process per folder, a history that cannot
// store a record, and the store of the earlier layout in the temporary folder.
#include "CliRunner.h"
#include "SqliteDatabase.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {
// A store as the earlier layout left it, with one text.
bool writeEarlierStore(const QString &path)
{
    SqliteDatabase db;
    return db.open(path) &&
           db.executeUpdate(
               u"CREATE TABLE quick_transfer (id INTEGER PRIMARY KEY, type NUMERIC, dt TEXT, "
               "path TEXT, local_path TEXT, size bigint, thumb TEXT, url TEXT, title TEXT, "
               "summary TEXT, md5 TEXT, first_id INTEGER, time TEXT default CURRENT_TIMESTAMP)"_s) &&
           db.executeUpdate(u"insert into quick_transfer(type, dt) values(?, ?)"_s,
                            {0x40000, u"planted"_s});
}
} // namespace

class TestCliDataFolder : public QObject
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

    // Two processes on one folder spoiled each other's part files and history rows.
    void secondProcessIsTurnedAway()
    {
        auto listener = m_cli->start({u"listen"_s, u"--seconds"_s, u"30"_s});
        // Its echo reaching the PC tells that it has started and holds the folder.
        QVERIFY(QTest::qWaitFor(
            [this] { return !m_pc->state().value(u"udp"_s).toArray().isEmpty(); }, 20000));
        const QString inUse = u"is in use by another process (pid %1)"_s.arg(listener->processId());

        const CliRun json = m_cli->run({u"history"_s});
        QVERIFY(json.status == 1 && json.isJsonOnly());
        const QString error = json.json().value(0)[u"error"_s].toString();
        QVERIFY2(error.contains(inUse) && error.contains(m_cli->dataPath()), json.out.constData());

        const CliRun people = m_cli->run({u"history"_s}, false);
        QVERIFY(people.status == 1 && people.out.isEmpty());
        QVERIFY2(people.errText().startsWith(u"zephyr-cli: the data folder "_s) &&
                     people.errText().contains(inUse),
                 people.err.constData());

        // A holder that is killed leaves its lock file behind; it does not stand in the way.
        listener->kill();
        QVERIFY(listener->waitForFinished());
        QVERIFY(QFile::exists(m_cli->dataPath() + u"/library.lock"_s));
        const CliRun after = m_cli->run({u"history"_s});
        QVERIFY(after.status == 0 && after.out.isEmpty());
    }

    // A record the history could not store was printed with identifier 0 and exit status 0.
    void recordTheHistoryCannotStoreIsAFailure()
    {
        QCOMPARE(m_cli->run({u"history"_s}).status, 0);
        m_pc->control(u"selection"_s, {{u"type"_s, u"text"_s}, {u"text"_s, u"来自电脑"_s}});
        SqliteDatabase other;
        QVERIFY(other.open(m_cli->dataPath() + u"/db/db.sqlite"_s));
        // Another program writing the store: every insert finds it locked.
        QVERIFY(other.executeUpdateOnce(u"BEGIN IMMEDIATE"_s));

        const CliRun refused = m_cli->run({u"shake"_s});
        QVERIFY(refused.status == 1 && refused.isJsonOnly() && refused.json().size() == 1);
        QCOMPARE(refused.json()[0][u"error"_s].toString(),
                 u"the history could not store \"来自电脑\": database is locked"_s);
        QVERIFY(refused.errText().contains(u"database is locked"_s));
        const CliRun people = m_cli->run({u"shake"_s}, false);
        QVERIFY(people.status == 1 && people.out.isEmpty());

        QVERIFY(other.executeUpdateOnce(u"ROLLBACK"_s));
        const CliRun stored = m_cli->run({u"shake"_s});
        QCOMPARE(stored.status, 0);
        QCOMPARE(stored.json().value(0)[u"dt"_s].toString(), u"来自电脑"_s);
        QVERIFY(stored.json()[0][u"identifier"_s].toInteger() >= 1);
    }

    // Another local user can plant a store in a shared temporary folder.
    void earlierStoreOnlyFromAPrivateFolder_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("adopted");
        QTest::newRow("this user's own folder") << 0700 << true;
        QTest::newRow("shared with the sticky bit, as /tmp") << 01777 << false;
        QTest::newRow("group may write") << 0770 << false;
    }
    void earlierStoreOnlyFromAPrivateFolder()
    {
        QFETCH(int, mode);
        QFETCH(bool, adopted);
        QTemporaryDir tmp;
        const QString folder = tmp.filePath(u"t"_s);
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(writeEarlierStore(folder + u"/db.sqlite"_s));
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), mode_t(mode)), 0);

        qputenv("TMPDIR", QFile::encodeName(folder)); // the run takes this process's environment
        const CliRun history = m_cli->run({u"history"_s});
        qunsetenv("TMPDIR");
        QCOMPARE(history.status, 0);
        QCOMPARE(history.json().size(), adopted ? 1 : 0);
        if (adopted)
            QCOMPARE(history.json()[0][u"dt"_s].toString(), u"planted"_s);
        QCOMPARE(QFile::exists(folder + u"/db.sqlite"_s), !adopted);
    }
};

QTEST_GUILESS_MAIN(TestCliDataFolder)
#include "tst_cli_datafolder.moc"
