#include "TestCore.h"

#include "QuickTransferRegistry.h"

#include "DataBaseCenter.h"
#include "DataBaseMethod.h"
#include "NotificationNames.h"
#include "SerialQueue.h"
#include "SqliteDatabase.h"

#include <QFile>
#include <QTest>
#include <QThread>

#include <limits>

using namespace Qt::StringLiterals;

namespace {
QuickTransferObjectPtr text(const QString &dt)
{
    return QuickTransferObject::createWithDictionary(dt, u"text"_s);
}

void writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(data) == data.size());
}
} // namespace

class TestDataBase : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        // The earlier layout kept its store in the temporary folder.
        m_tmp = std::make_unique<QTemporaryDir>();
        qputenv("TMPDIR", m_tmp->path().toUtf8());
        m_core = std::make_unique<TestCore>();
        auto *registry = m_core->make<QuickTransferRegistry>(*m_core->hub());
        m_core->make<DataBaseCenter>(*m_core->hub(), m_core->library(), registry,
                                     &m_core->folders());
    }
    void cleanup()
    {
        m_core.reset();
        m_tmp.reset();
        qunsetenv("TMPDIR");
    }

    void savesNumbersAndReadsNewestFirst()
    {
        store()->open();
        NotificationRecorder rec(m_core->hub(), {Notifications::QuickTransferSaved});
        auto a = text(u"first"_s);
        auto b = QuickTransferObject::createWithDictionary(
            QVariantMap{{u"path"_s, u"D:\\x\\pic.PNG"_s}, {u"size"_s, 99}, {u"md5"_s, u"ffee"_s}},
            u"file"_s);
        b->first_id = 7;
        for (const auto &r : {a, b})
            post(Notifications::SaveQuickTransfer, r);
        QCOMPARE(rec.count(Notifications::QuickTransferSaved), 2);
        QCOMPARE(QList<quint64>({a->identifier, b->identifier}), QList<quint64>({1, 2}));
        const auto all = store()->getQuickTransfer();
        QCOMPARE(all.size(), 2);
        QCOMPARE(all[0]->identifier, 2u);
        QCOMPARE(all[0]->localPath, u"ffee.PNG"_s);
        QCOMPARE(all[0]->first_id, 7u);
        QCOMPARE(all[0]->type, quint64(QuickTransferTypeImage));
        QCOMPARE(all[1]->dt, u"first"_s);
        QVERIFY(!all[1]->url.isNull());
    }

    // The store the earlier layout left in the temporary folder is moved and its rows migrated;
    // one behind a link (another local user may have planted it) is left where it is. A folder
    // others may write is the command line's data folder test.
    void earlierStore_data()
    {
        QTest::addColumn<bool>("link");
        QTest::newRow("in the temporary folder") << false;
        QTest::newRow("behind a link") << true;
    }
    void earlierStore()
    {
        QFETCH(bool, link);
        QTemporaryDir elsewhere;
        const QString earlier = QDir(m_tmp->path()).filePath(u"db.sqlite"_s);
        {
            SqliteDatabase db;
            QVERIFY(db.open(link ? elsewhere.filePath(u"db.sqlite"_s) : earlier));
            QVERIFY(db.executeUpdate(
                u"CREATE TABLE quick_transfer (id INTEGER PRIMARY KEY, type NUMERIC, dt TEXT, "
                "path TEXT, local_path TEXT, size bigint, thumb TEXT, url TEXT, title TEXT, "
                "summary TEXT, md5 TEXT, first_id INTEGER, time TEXT default CURRENT_TIMESTAMP)"_s));
            QVERIFY(db.executeUpdate(u"insert into quick_transfer(type, path, local_path, size, "
                                     "md5) values(?, ?, ?, ?, ?)"_s,
                                     {0x80010, u"C:\\a\\report.doc"_s, u""_s, 10, u"d1g"_s}));
        }
        if (link)
            QVERIFY(QFile::link(elsewhere.filePath(u"db.sqlite"_s), earlier));
        m_core->folders().foldersArePrivate = true;
        store()->open();
        QVERIFY(store()->isOpen());
        QCOMPARE(QFileInfo::exists(earlier), link);
        QVERIFY(!QFileInfo(DataBaseMethod::databasePath(m_core->library())).isSymLink());
        const auto all = store()->getQuickTransfer();
        QCOMPARE(all.size(), link ? 0 : 1);
        if (link)
            return;
        QCOMPARE(all[0]->type, quint64(QuickTransferTypeDocument));
        // Saved without a name: the digest rule names it on reading, and the reference check
        // finds it.
        QCOMPARE(all[0]->localPath, u"d1g.doc"_s);
        QVERIFY(store()->isLocalPathReferenced(u"d1g.doc"_s));
        QVERIFY(!store()->isLocalPathReferenced(u"d1g"_s));
    }

    // Each record gets the id of its own row, even where that is not the largest in the table.
    void savedRecordGetsItsOwnRowId()
    {
        store()->open();
        rawUpdate(u"insert into quick_transfer(id, type, dt) values(?, ?, ?)"_s,
                  {std::numeric_limits<qint64>::max(), 0x40000, u"last"_s});
        auto mine = text(u"mine"_s);
        post(Notifications::SaveQuickTransfer, mine);
        const auto all = store()->getQuickTransfer();
        QCOMPARE(all.size(), 2);
        QVERIFY(mine->identifier != 0);
        QCOMPARE(all[all[0]->dt == u"mine"_s ? 0 : 1]->identifier, mine->identifier);
    }

    void failedInsertLeavesIdentifierZero()
    {
        QVERIFY(store()->saveQuickTransfer(text(u"kept"_s).data()));
        rawUpdate(u"CREATE TRIGGER refuse BEFORE INSERT ON quick_transfer WHEN NEW.dt = 'boom' "
                  "BEGIN SELECT RAISE(ABORT, 'refused'); END"_s);
        NotificationRecorder rec(m_core->hub(), {Notifications::QuickTransferSaved,
                                                 Notifications::QuickTransferSaveFailed});
        auto r = text(u"boom"_s);
        post(Notifications::SaveQuickTransfer, r);
        QCOMPARE(r->identifier, 0u);
        QCOMPARE(rec.posted, QStringList{Notifications::QuickTransferSaveFailed});
        const QVariantMap failed = rec.last(Notifications::QuickTransferSaveFailed);
        QCOMPARE(failed.value(u"object"_s).value<QuickTransferObjectPtr>(), r);
        QCOMPARE(failed.value(u"error"_s).toString(), u"refused"_s);
        QCOMPARE(store()->getQuickTransfer().size(), 1);
    }

    // A folder where the store's file should be, or a file of garbage.
    void unusableStoreIsSilent_data()
    {
        QTest::addColumn<bool>("folderInTheWay");
        QTest::newRow("a folder") << true;
        QTest::newRow("garbage") << false;
    }
    void unusableStoreIsSilent()
    {
        QFETCH(bool, folderInTheWay);
        const QString path = DataBaseMethod::databasePath(m_core->core->libraryPath());
        if (folderInTheWay)
            QDir().mkpath(path);
        else
            writeFile(path, QByteArray(4096, 'z'));
        auto r = text(u"x"_s);
        QVERIFY(!store()->saveQuickTransfer(r.data()));
        QCOMPARE(r->identifier, 0u);
        QVERIFY(store()->getQuickTransfer().isEmpty());
    }

    // Read back, each record counts as finished what its file or its part file holds.
    void finishedSizeFromDisk()
    {
        QList<QuickTransferObjectPtr> records;
        for (const QString &name : {u"whole"_s, u"half"_s, u"gone"_s}) {
            records << QuickTransferObject::createWithPath(u"/pc/"_s + name);
            records.last()->size = 100;
            QVERIFY(store()->saveQuickTransfer(records.last().data()));
        }
        writeFile(records[0]->downloadPath(m_core->library()), QByteArray(100, 'a'));
        writeFile(records[1]->partialPath(m_core->library()), QByteArray(37, 'a'));
        QList<quint64> finished;
        for (const auto &r : store()->getQuickTransfer())
            finished << r->finishedSize;
        QCOMPARE(finished, (QList<quint64>{0, 37, 100}));
    }

    void sizeChangesAndDeletionsFromTheHub()
    {
        auto a = text(u"a"_s), b = text(u"b"_s);
        QVERIFY(store()->saveQuickTransfer(a.data()) && store()->saveQuickTransfer(b.data()));
        a->size = 4242;
        post(Notifications::QuickTransferSizeChanged, a);
        QCOMPARE(store()->getQuickTransfer().last()->size, 4242u);
        QCOMPARE(store()->getQuickTransfer().first()->size, 0u);

        NotificationRecorder rec(m_core->hub(), {Notifications::RefreshQuickTransferList});
        m_core->hub()->post(Notifications::DeleteQuickTransfer, {{u"arrayId"_s, u"2"_s}});
        QCOMPARE(store()->getQuickTransfer().size(), 2); // not an array: nothing deleted
        QCOMPARE(rec.count(Notifications::RefreshQuickTransferList), 1);
        m_core->hub()->post(Notifications::DeleteQuickTransfer,
                            {{u"arrayId"_s, QVariantList{b->identifier}}});
        QCOMPARE(store()->getQuickTransfer().size(), 1);
        QCOMPARE(rec.count(Notifications::RefreshQuickTransferList), 2);
    }

    void deletingKeepsFilesOthersUse()
    {
        auto a = QuickTransferObject::createWithPath(u"/pc/shared.txt"_s);
        auto b = QuickTransferObject::createWithPath(u"/pc/shared.txt"_s);
        auto c = QuickTransferObject::createWithPath(u"/pc/own.txt"_s);
        for (const auto &r : {a, b, c})
            QVERIFY(store()->saveQuickTransfer(r.data()));
        writeFile(a->downloadPath(m_core->library()), "x");
        writeFile(c->downloadPath(m_core->library()), "y");
        // An id no row has any more (deleted elsewhere) does not stop the others.
        bool deleted = false;
        QCOMPARE(store()->deleteRecordsAndUnreferencedFiles({a->identifier, 77, c->identifier},
                                                            &deleted),
                 QStringList{u"/pc/own.txt"_s});
        QVERIFY(deleted);
        QCOMPARE(store()->getQuickTransfer().size(), 1);
        QVERIFY(QFile::exists(a->downloadPath(m_core->library())));
        QVERIFY(!QFile::exists(c->downloadPath(m_core->library())));
    }

    // Reads asked before the open wait for it; the answers come on the main thread in the order
    // asked, none for an asker that is gone, and only the newest records when asked (incomplete
    // while there are more). That the main thread never reads itself is the main list's test.
    void readsAfterTheOpenInOrder()
    {
        QVERIFY(store()->saveQuickTransfer(text(u"x"_s).data()));
        QList<qsizetype> answers;
        QObject context;
        bool onMain = true;
        const auto ask = [&](QObject *asker, int newest) {
            store()->readQuickTransfer(
                asker,
                [&](const DataBaseCenter::History &h) {
                    onMain = onMain && QThread::currentThread() == qApp->thread();
                    answers << (!h.isOpen ? 0 : h.complete ? h.records.size() : -h.records.size());
                },
                newest);
        };
        ask(&context, 0);
        QTest::qWait(50);
        QVERIFY(answers.isEmpty());
        m_core->core->queue(u"initQueue"_s)->dispatch([] { store()->open(); });
        QTRY_COMPARE(answers, QList<qsizetype>{1});
        QVERIFY(store()->saveQuickTransfer(text(u"y"_s).data()));
        {
            QObject gone;
            ask(&gone, 0);
        }
        for (int newest : {1, 2, 5})
            ask(&context, newest);
        QTRY_COMPARE(answers, (QList<qsizetype>{1, -1, -2, 2}));
        QVERIFY(onMain);
    }

private:
    // Changes the store's file behind its back.
    void rawUpdate(const QString &sql, const QVariantList &args = {})
    {
        SqliteDatabase raw;
        QVERIFY(raw.open(DataBaseMethod::databasePath(m_core->library())));
        QVERIFY(raw.executeUpdate(sql, args));
    }
    static DataBaseCenter *store() { return DataBaseCenter::sharedInstance(); }
    void post(const QString &name, const QuickTransferObjectPtr &r)
    {
        m_core->hub()->post(name, {{u"object"_s, QVariant::fromValue(r)}});
    }

    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<TestCore> m_core;
};

QTEST_GUILESS_MAIN(TestDataBase)
#include "tst_database.moc"
