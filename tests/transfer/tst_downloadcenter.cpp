#include "PcSim.h"
#include "ScriptedPeer.h"
#include "TestServices.h"

#include "DataBaseCenter.h"
#include "HttpFileDownloadCenter.h"
#include "LocalFiles.h"
#include "NotificationNames.h"
#include "RuntimeState.h"
#include "SerialQueue.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Reply)

class TestDownloadCenter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_pc = std::make_unique<PcSim>();
        QVERIFY2(m_pc->start(), qPrintable(m_pc->errorString()));
        m_core = std::make_unique<TestCore>(m_pc->config());
        startServices();
    }
    void cleanup()
    {
        m_rec.reset();
        m_core.reset();
        m_pc.reset();
    }

    // Two at a time, the third waits; a record of a file already under way is not fetched
    // again, and a file the PC pushed comes from its own address.
    void twoAtATimeAndTheThirdWaits()
    {
        const auto a = record(u"C:/a.bin"_s, 3000), b = record(u"C:/b.bin"_s, 5000),
                   c = record(u"Desktop/c.bin"_s, 7000);
        c->from = 1;
        m_pc->fault(u"pc"_s, u"delay"_s, 700, 2);
        for (const auto &r : {a, b, c, QuickTransferObject::createWithPath(u"C:/a.bin"_s), a})
            download(r);
        QCOMPARE(m_center->runningCount(), 2);
        QCOMPARE(m_center->waitingCount(), 1);
        QTRY_COMPARE(finished(), 3);
        QCOMPARE(failed(), 0);
        for (const auto &r : {a, b, c})
            QVERIFY(r->finishedSize == r->size && fetched(r) &&
                    !QFile::exists(r->partialPath(m_core->library())));
        const QJsonObject requests = m_pc->state().value(u"requests"_s).toObject();
        QCOMPARE(requests.value(u"csm"_s).toInt(), 1);
        QCOMPARE(requests.value(u"pc"_s).toInt(), 2);
        // Progress reached the copies and the list, each after its chunk.
        QVERIFY(m_rec->count(Notifications::DownloadFileReceivedData) >= 3);
        QCOMPARE(m_rec->posted.indexOf(Notifications::ToObjectDownloadFileReceivedData) + 1,
                 m_rec->posted.indexOf(Notifications::DownloadFileReceivedData));
        QCOMPARE(m_center->runningCount(), 0);
    }

    // Without a service address a file already on disk finishes and keeps its row; another
    // fails, and its row goes.
    void withoutAnAddress()
    {
        RuntimeState::sharedInstance()->setApi(QString());
        const auto kept = record(u"C:/kept.txt"_s, 12), later = record(u"C:/later.txt"_s, 64);
        const QString local = kept->downloadPath(m_core->library());
        QVERIFY(QDir().mkpath(QFileInfo(local).absolutePath()));
        QVERIFY(QFile::copy(m_pc->rootPath() + u"/C:/kept.txt"_s, local));
        download(kept);
        download(later);
        QCOMPARE(finished(), 1);
        QCOMPARE(failed(), 1);
        QCOMPARE(kept->finishedSize, 12u);
        QCOMPARE(idsOfStore(), QList<quint64>{kept->identifier});
    }

    // A file is queued only while the free space asked of the platform is more than what
    // waits, the 10 MiB reserve and the file itself. Cancelling by id ends running and waiting
    // downloads; only the running one's row goes.
    void freeSpaceRuleAndCancellation()
    {
        const quint64 mb = 1000 * 1000;
        m_pc->fault(u"pc"_s, u"hang"_s, 0, 2);
        const auto a = record(u"C:/a.bin"_s, 10), b = record(u"C:/b.bin"_s, 10),
                   waiting = record(u"C:/w.bin"_s, 10), next = record(u"C:/next.bin"_s, 10);
        waiting->size = 30 * mb;
        next->size = 1 * mb;
        for (const auto &r : {a, b, waiting})
            download(r);
        QCOMPARE(m_center->downloadingFileSize(), 30 * mb);
        m_core->system().free = 30 * mb + 0xA00000 + next->size;
        download(next);
        QCOMPARE(m_center->waitingCount(), 1);
        m_core->system().free += 1;
        download(next);
        QCOMPARE(m_center->waitingCount(), 2);
        m_core->hub()->post(Notifications::CancelDownloadFile,
                            {{u"idArray"_s, QVariantList{QString::number(a->identifier),
                                                         QString::number(waiting->identifier),
                                                         QString::number(next->identifier)}}});
        QCOMPARE(m_center->waitingCount(), 0);
        QCOMPARE(m_center->runningCount(), 1);
        QCOMPARE(failed(), 1);
        QCOMPARE(idsOfStore(),
                 (QList<quint64>{next->identifier, waiting->identifier, b->identifier}));
        QVERIFY(leftNoFile(a));
    }

    void statusChangeStopsEverything()
    {
        const auto big = record(u"C:/big.bin"_s, 48 << 20);
        const auto other = record(u"C:/other.bin"_s, 48 << 20);
        const auto waiting = record(u"C:/waiting.bin"_s, 10);
        bool changed = false;
        QObject guard;
        m_core->hub()->addObserver(
            &guard, Notifications::DownloadFileReceivedData, [&](const QVariantMap &) {
                if (!changed && QFile::exists(big->partialPath(m_core->library()))) {
                    changed = true;
                    RuntimeState::sharedInstance()->setStatus(AppStatusLoggedIn);
                }
            });
        for (const auto &r : {big, other, waiting})
            download(r);
        QTRY_VERIFY(changed);
        QCOMPARE(failed(), 2);
        QCOMPARE(m_center->runningCount() + m_center->waitingCount(), 0);
        // Running rows go with their partial files; the waiting one keeps its row.
        QCOMPARE(idsOfStore(), QList<quint64>{waiting->identifier});
        QVERIFY(leftNoFile(big) && leftNoFile(other));
    }

    // A PC that claims more than the phone has room for, that trickles (too little in every
    // window of the rate bound) or that breaks off. The record keeps its size unless the answer
    // came; nothing is left, and the next try fetches the whole file.
    void misbehavingPcsLeaveNothing_data()
    {
        QTest::addColumn<quint64>("free");
        QTest::addColumn<Reply>("reply");
        QTest::addColumn<int>("sizeChanged");
        const QByteArray body(1000, 'x'), said = answer(body);
        // 45 MB and the 10 MiB reserve do not fit in 50 MB.
        QTest::newRow("more than is free")
            << quint64(50000000)
            << Reply{"HTTP/1.1 200 OK\r\nContent-Length: 45000000\r\n\r\n"_ba + body, Reply::Hang}
            << 0;
        QTest::newRow("trickle") << (quint64(1) << 40)
                                 << Reply{said, Reply::Hang, 900, 250, said.size() - 900} << 1;
        // A part file must never look complete.
        QTest::newRow("cut off") << (quint64(1) << 40) << Reply{said.chopped(600), Reply::Close}
                                 << 1;
    }
    void misbehavingPcsLeaveNothing()
    {
        QFETCH(quint64, free);
        QFETCH(Reply, reply);
        ScriptedPeer peer;
        peer.script({reply});
        RuntimeState::sharedInstance()->setApi(peer.url(u"/"_s).toString());
        m_center->setFreeSpaceProvider([free] { return free; });
        m_center->setMinimumRate(64, 300);
        const auto r = record(u"C:/claimed.bin"_s, 5);
        download(r);
        QTRY_COMPARE(failed(), 1);
        QTEST(int(m_rec->count(Notifications::QuickTransferSizeChanged)), "sizeChanged");
        QCOMPARE(r->size, m_rec->count(Notifications::QuickTransferSizeChanged) ? 1000u : 5u);
        QCOMPARE(m_center->runningCount(), 0);
        QVERIFY(leftNoFile(r) && idsOfStore().isEmpty());
        RuntimeState::sharedInstance()->setApi(m_pc->api);
        download(r);
        QTRY_COMPARE(finished(), 1);
        QVERIFY(fetched(r));
    }

    // Two records carry one digest, so they name one local file. The second, of another size,
    // is fetched rather than taken as done: its bytes do not have the digest, so it fails, and
    // the first keeps its file.
    void digestsAreVerified()
    {
        const auto first = pcFile(u"C:/one.txt"_s, 300000);
        const QByteArray md5 = QCryptographicHash::hash(
            content(m_pc->rootPath() + u"/C:/one.txt"_s), QCryptographicHash::Md5);
        download(saved(named(first, QString::fromLatin1(md5.toHex()))));
        QTRY_COMPARE(finished(), 1);
        const auto second = named(pcFile(u"C:/two.txt"_s, 20), first->md5);
        QCOMPARE(second->downloadPath(m_core->library()), first->downloadPath(m_core->library()));
        download(saved(second));
        QTRY_COMPARE(failed(), 1);
        QCOMPARE(m_pc->state()[u"requests"_s][u"pc"_s].toInt(), 2);
        QVERIFY(fetched(first) && !QFile::exists(second->partialPath(m_core->library())));
        QCOMPARE(idsOfStore(), QList<quint64>{first->identifier});
    }

    // A PC file named as another download's part file was once named: each keeps its own.
    void pcNamesCannotBePartFiles()
    {
        const auto named = record(u"C:/d/a.bin.zephyr-part"_s, 3000);
        download(named);
        QTRY_COMPARE(finished(), 1);
        const auto a = record(u"C:/d/a.bin"_s, 200000);
        download(a);
        QTRY_COMPARE(finished(), 2);
        QVERIFY(fetched(named) && fetched(a));
    }

    // The previous run ended in the middle of a download and of a preview.
    void leftoverPartFilesGoAtStartUp()
    {
        m_rec.reset();
        m_core.reset();
        m_core = std::make_unique<TestCore>(m_pc->config());
        const QString library = m_core->library();
        const auto r = pcFile(u"C:/again.bin"_s, 5000);
        const QString leftovers[] = {
            r->partialPath(library),
            LocalFiles::partialPath(library, library + u"/preview/C:/x.doc"_s)};
        for (const QString &path : leftovers) {
            QDir().mkpath(QFileInfo(path).absolutePath());
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("left over") == 9);
        }
        startServices();
        download(saved(r));
        QTRY_COMPARE(finished(), 1);
        m_core->core->queue(u"writeDataQueue"_s)->waitUntilIdle();
        QVERIFY(fetched(r));
        for (const QString &path : leftovers)
            QVERIFY2(!QFile::exists(path), qPrintable(path));
    }

private:
    void startServices()
    {
        createServices(*m_core);
        RuntimeState::sharedInstance()->setApi(m_pc->api);
        m_center = HttpFileDownloadCenter::sharedInstance();
        m_rec = std::make_unique<NotificationRecorder>(
            m_core->hub(),
            QStringList{Notifications::DownloadFileFinished, Notifications::DownloadFileFailed,
                        Notifications::QuickTransferSizeChanged,
                        Notifications::DownloadFileReceivedData,
                        Notifications::ToObjectDownloadFileReceivedData,
                        Notifications::DeleteQuickTransfer});
    }
    int finished() const { return m_rec->count(Notifications::DownloadFileFinished); }
    int failed() const { return m_rec->count(Notifications::DownloadFileFailed); }
    // The record with @p md5, and the local name that digest gives it.
    static QuickTransferObjectPtr named(const QuickTransferObjectPtr &r, const QString &md5)
    {
        r->md5 = md5;
        r->localPath.clear();
        r->applyLocalFileNameRule();
        return r;
    }
    // A file of @p bytes on the PC, and its record (not yet stored).
    QuickTransferObjectPtr pcFile(const QString &pcPath, qint64 bytes)
    {
        const QString local = m_pc->rootPath() + u'/' + pcPath;
        QDir().mkpath(QFileInfo(local).absolutePath());
        QByteArray data(bytes, Qt::Uninitialized);
        for (qint64 i = 0; i < bytes; ++i)
            data[i] = char((i * 31 + bytes) & 0xff);
        QFile f(local);
        if (!f.open(QIODevice::WriteOnly) || f.write(data) != bytes)
            qFatal("cannot write the PC's file");
        auto r = QuickTransferObject::createWithPath(pcPath);
        r->size = quint64(bytes);
        return r;
    }
    QuickTransferObjectPtr record(const QString &pcPath, qint64 bytes)
    {
        return saved(pcFile(pcPath, bytes));
    }
    static QByteArray content(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    // Whether the record's local file holds what the PC has.
    bool fetched(const QuickTransferObjectPtr &r) const
    {
        return content(r->downloadPath(m_core->library())) ==
               content(m_pc->rootPath() + u'/' + r->path);
    }
    QuickTransferObjectPtr saved(const QuickTransferObjectPtr &r)
    {
        m_core->hub()->post(Notifications::SaveQuickTransfer,
                            {{u"object"_s, QVariant::fromValue(r)}});
        return r;
    }
    void download(const QuickTransferObjectPtr &r)
    {
        m_core->hub()->post(Notifications::DoDownloadFile, {{u"object"_s, QVariant::fromValue(r)}});
    }
    // Once the writes are done: neither the part file nor the file of @p r.
    bool leftNoFile(const QuickTransferObjectPtr &r)
    {
        m_core->core->queue(u"writeDataQueue"_s)->waitUntilIdle();
        return !QFile::exists(r->partialPath(m_core->library())) &&
               !QFile::exists(r->downloadPath(m_core->library()));
    }
    QList<quint64> idsOfStore()
    {
        QList<quint64> ids;
        for (const auto &r : DataBaseCenter::sharedInstance()->getQuickTransfer())
            ids << r->identifier;
        return ids;
    }

    std::unique_ptr<PcSim> m_pc;
    std::unique_ptr<TestCore> m_core;
    std::unique_ptr<NotificationRecorder> m_rec;
    HttpFileDownloadCenter *m_center = nullptr;
};

QTEST_GUILESS_MAIN(TestDownloadCenter)
#include "tst_downloadcenter.moc"
