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

    // The store the earlier layout left in the temporary folder is moved and its rows migrated;
    // one behind a link (another local user may have planted it) is left where it is. A folder
    // others may write is the command line's data folder test.
    void earlierLayoutLeftWhereOthersCouldPlantIt_data()
    {
        QTest::addColumn<bool>("link");
        QTest::newRow("in the temporary folder") << false;
        QTest::newRow("behind a link") << true;
    }
    void earlierLayoutLeftWhereOthersCouldPlantIt()
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
        SqliteDatabase raw;
        QVERIFY(raw.open(DataBaseMethod::databasePath(m_core->library())));
        QVERIFY(raw.executeUpdate(u"insert into quick_transfer(id, type, dt) values(?, ?, ?)"_s,
                                  {std::numeric_limits<qint64>::max(), 0x40000, u"last"_s}));
        auto mine = text(u"mine"_s);
        m_core->hub()->post(Notifications::SaveQuickTransfer,
                            {{u"object"_s, QVariant::fromValue(mine)}});
        const auto all = store()->getQuickTransfer();
        QCOMPARE(all.size(), 2);
        QVERIFY(mine->identifier != 0);
        QCOMPARE(all[all[0]->dt == u"mine"_s ? 0 : 1]->identifier, mine->identifier);
    }

    // A file of garbage where the store should be: saves fail, reads find nothing, no crash.
    // (A store that cannot open at all is the main list's test.)
    void unusableStoreIsSilent()
    {
        writeFile(DataBaseMethod::databasePath(m_core->core->libraryPath()), QByteArray(4096, 'z'));
        auto r = text(u"x"_s);
        QVERIFY(!store()->saveQuickTransfer(r.data()));
        QCOMPARE(r->identifier, 0u);
        QVERIFY(store()->getQuickTransfer().isEmpty());
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
        m_core->core->queue(u"initQueue"_s)->dispatch([] { store()->open(); });
        QTRY_COMPARE(answers, QList<qsizetype>{1});
        QVERIFY(store()->saveQuickTransfer(text(u"y"_s).data()));
        {
            QObject gone;
            ask(&gone, 0);
        }
        for (int newest : {1, 5})
            ask(&context, newest);
        QTRY_COMPARE(answers, (QList<qsizetype>{1, -1, 2}));
        QVERIFY(onMain);
    }

private:
    static DataBaseCenter *store() { return DataBaseCenter::sharedInstance(); }

    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<TestCore> m_core;
};

QTEST_GUILESS_MAIN(TestDataBase)
#include "tst_database.moc"
