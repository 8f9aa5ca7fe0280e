#include "TestCore.h"

#include "QuickTransferRegistry.h"

#include "DataBaseCenter.h"
#include "DataBaseMethod.h"
#include "NotificationNames.h"
#include "SerialQueue.h"
#include "SqliteDatabase.h"

#include <QFile>
#include <QScopeGuard>
#include <QSemaphore>
#include <QTest>
#include <QThread>

#include <algorithm>
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
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

// A store file as earlier versions left it: their table, a document row of the old code.
void writeEarlierStore(const QString &path)
{
    SqliteDatabase db;
    QVERIFY(db.open(path));
    QVERIFY(db.executeUpdate(
        u"CREATE TABLE quick_transfer (id INTEGER PRIMARY KEY, type NUMERIC, dt TEXT, path TEXT, "
        "local_path TEXT, size bigint, thumb TEXT, url TEXT, title TEXT, summary TEXT, md5 TEXT, "
        "first_id INTEGER, time TEXT default CURRENT_TIMESTAMP)"_s));
    QVERIFY(db.executeUpdate(u"insert into quick_transfer(type, path, local_path, size, md5) "
                             "values(?, ?, ?, ?, ?)"_s,
                             {0x80010, u"C:\\a\\report.doc"_s, u""_s, 10, u"d1g"_s}));
    QVERIFY(db.executeUpdate(u"insert into quick_transfer(type, dt) values(?, ?)"_s,
                             {0x40000, u"hello"_s}));
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
        QVERIFY(m_tmp->isValid());
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
        store()->open(); // as the start-up does
        NotificationRecorder rec(m_core->hub(), {Notifications::QuickTransferSaved});
        auto a = text(u"first"_s);
        auto b = QuickTransferObject::createWithDictionary(
            QVariantMap{{u"path"_s, u"D:\\x\\pic.PNG"_s}, {u"size"_s, 99}, {u"md5"_s, u"ffee"_s}},
            u"file"_s);
        b->first_id = 7;
        for (const auto &r : {a, b})
            post(Notifications::SaveQuickTransfer, r);
        QCOMPARE(rec.count(Notifications::QuickTransferSaved), 2);
        QCOMPARE(a->identifier, 1u);
        QCOMPARE(b->identifier, 2u);
        const auto all = store()->getQuickTransfer();
        QCOMPARE(all.size(), 2);
        QCOMPARE(all[0]->identifier, 2u);
        QCOMPARE(all[0]->localPath, u"ffee.PNG"_s);
        QCOMPARE(all[0]->first_id, 7u);
        QCOMPARE(all[0]->type, quint64(QuickTransferTypeImage));
        QCOMPARE(all[1]->dt, u"first"_s);
        QVERIFY(!all[1]->url.isNull());
    }

    void earlierLayoutMovedAndMigrated()
    {
        const QString earlier = QDir(m_tmp->path()).filePath(u"db.sqlite"_s);
        writeEarlierStore(earlier);
        m_core->folders().foldersArePrivate = true;
        store()->open();
        QVERIFY(!QFile::exists(earlier));
        QVERIFY(QFile::exists(DataBaseMethod::databasePath(m_core->core->libraryPath())));
        auto all = store()->getQuickTransfer();
        QCOMPARE(all.size(), 2);
        QCOMPARE(all[1]->type, quint64(QuickTransferTypeDocument));
        // Saved without a name: the digest rule names it on reading, and the reference check
        // finds it.
        QCOMPARE(all[1]->localPath, u"d1g.doc"_s);
        QVERIFY(store()->isLocalPathReferenced(u"d1g.doc"_s));
        QVERIFY(!store()->isLocalPathReferenced(u"d1g"_s));
    }

    // Another local user can plant a link to a store of theirs in a temporary folder.
    // (A folder others may write is the command line's data folder test.)
    void earlierStoreBehindALinkIsLeft()
    {
        QTemporaryDir elsewhere;
        writeEarlierStore(elsewhere.filePath(u"db.sqlite"_s));
        QVERIFY(QFile::link(elsewhere.filePath(u"db.sqlite"_s),
                            QDir(m_tmp->path()).filePath(u"db.sqlite"_s)));
        m_core->folders().foldersArePrivate = true;
        store()->open();
        QVERIFY(store()->isOpen());
        QVERIFY(store()->getQuickTransfer().isEmpty());
        QVERIFY(QFileInfo(QDir(m_tmp->path()).filePath(u"db.sqlite"_s)).exists());
        QVERIFY(!QFileInfo(DataBaseMethod::databasePath(m_core->library())).isSymLink());
    }

    // Each record gets the id of its own row, even where that is not the largest in the table.
    void savedRecordGetsItsOwnRowId()
    {
        store()->open();
        rawUpdate(u"insert into quick_transfer(id, type, dt) values(?, ?, ?)"_s,
                  {std::numeric_limits<qint64>::max(), 0x40000, u"last"_s});
        auto mine = text(u"mine"_s);
        post(Notifications::SaveQuickTransfer, mine);
        QVERIFY(mine->identifier != 0);
        const auto all = store()->getQuickTransfer();
        QCOMPARE(all.size(), 2);
        const auto stored = std::find_if(all.cbegin(), all.cend(),
                                         [](const auto &r) { return r->dt == u"mine"_s; });
        QVERIFY(stored != all.cend());
        QCOMPARE(mine->identifier, (*stored)->identifier);
    }

    void reopenKeepsRowsAndDeletesWhatExists()
    {
        const QString lib = m_core->core->libraryPath();
        {
            DataBaseMethod db(lib);
            QVERIFY(db.isOpen());
            for (int i = 0; i < 3; ++i)
                QVERIFY(db.saveQuickTransfer(text(QString::number(i)).data()));
            QVERIFY(db.deleteQuickTransferByIdArray({3}));
        }
        DataBaseMethod db(lib);
        auto r = text(u"again"_s);
        QVERIFY(db.saveQuickTransfer(r.data()));
        QVERIFY(db.deleteQuickTransferByIdArray({1, r->identifier, 12}));
        const auto left = db.getQuickTransfer();
        QCOMPARE(left.size(), 1);
        QCOMPARE(left[0]->identifier, 2u);
        QVERIFY(db.deleteQuickTransferByIdArray({}));
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

    void unusableStoreIsSilent_data()
    {
        QTest::addColumn<bool>("folderInTheWay");
        QTest::newRow("a folder where the file should be") << true;
        QTest::newRow("a file of garbage") << false;
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

    void finishedSizeFromDisk()
    {
        auto whole = QuickTransferObject::createWithPath(u"/pc/whole.txt"_s);
        auto half = QuickTransferObject::createWithPath(u"/pc/half.txt"_s);
        auto gone = QuickTransferObject::createWithPath(u"/pc/gone.txt"_s);
        for (const auto &r : {whole, half, gone}) {
            r->size = 100;
            QVERIFY(store()->saveQuickTransfer(r.data()));
        }
        writeFile(whole->downloadPath(m_core->library()), QByteArray(100, 'a'));
        writeFile(half->partialPath(m_core->library()), QByteArray(37, 'a'));
        const auto all = store()->getQuickTransfer();
        QCOMPARE(all.size(), 3);
        QCOMPARE(all[2]->finishedSize, 100u);
        QCOMPARE(all[1]->finishedSize, 37u);
        QCOMPARE(all[0]->finishedSize, 0u);
    }

    void sizeChangesAndDeletionsFromTheHub()
    {
        auto a = text(u"a"_s), b = text(u"b"_s);
        QVERIFY(store()->saveQuickTransfer(a.data()));
        QVERIFY(store()->saveQuickTransfer(b.data()));
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
        QCOMPARE(store()->deleteRecordsAndUnreferencedFiles({a->identifier, c->identifier}),
                 QStringList{u"/pc/own.txt"_s});
        QVERIFY(QFile::exists(a->downloadPath(m_core->library())));
        QVERIFY(!QFile::exists(c->downloadPath(m_core->library())));
    }

    void readsOnTheOpeningQueueInOrder()
    {
        QVERIFY(store()->saveQuickTransfer(text(u"x"_s).data()));
        QList<qsizetype> answers;
        QObject context;
        bool onMain = true;
        auto ask = [&](QObject *asker) {
            store()->readQuickTransfer(asker, [&](const DataBaseCenter::History &h) {
                onMain = onMain && QThread::currentThread() == qApp->thread();
                answers << (h.isOpen ? h.records.size() : -1);
            });
        };
        // Asked before the open: read as soon as the store is open.
        ask(&context);
        SerialQueue *queue = m_core->core->queue(u"initQueue"_s);
        auto held = std::make_shared<QSemaphore>();
        auto opened = std::make_shared<QSemaphore>();
        auto release = qScopeGuard([held] { held->release(); });
        queue->dispatch([held, opened] {
            store()->open();
            opened->release();
            held->acquire();
        });
        opened->acquire();
        ask(&context);
        // The second read waits behind the held queue: the asking thread does not read.
        QTRY_COMPARE(answers, QList<qsizetype>{1});
        QTest::qWait(50);
        QCOMPARE(answers, QList<qsizetype>{1});
        QVERIFY(store()->saveQuickTransfer(text(u"y"_s).data()));
        {
            QObject gone;
            ask(&gone);
        }
        release.dismiss();
        held->release();
        queue->waitUntilIdle();
        QTest::qWait(50);
        QCOMPARE(answers, (QList<qsizetype>{1, 2}));
        QVERIFY(onMain);
        // Only the newest records: not complete while there are more.
        for (int newest : {1, 2, 5})
            store()->readQuickTransfer(
                &context,
                [&](const DataBaseCenter::History &h) {
                    answers << (h.complete ? h.records.size() : -h.records.size());
                },
                newest);
        QTRY_COMPARE(answers, (QList<qsizetype>{1, 2, -1, -2, 2}));
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
