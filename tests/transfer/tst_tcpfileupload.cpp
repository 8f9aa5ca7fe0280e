#include "NotificationNames.h"
#include "PcSim.h"
#include "RuntimeState.h"
#include "TCPFileUploadCenter.h"
#include "TestCore.h"

#include <QFile>
#include <QJsonArray>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

using namespace Qt::StringLiterals;

class TestTCPFileUpload : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_pc = std::make_unique<PcSim>();
        QVERIFY2(m_pc->start(), qPrintable(m_pc->errorString()));
        startCenter(m_pc->port);
    }

    void cleanup()
    {
        m_recorder.reset();
        m_core.reset();
        m_pc.reset();
    }

    // Items added while an upload runs follow on the same connection. With every item confirmed
    // and only the close missing, the upload is done; an item added once the end marker is out
    // is never sent, and the upload ends as aborted, whether the standing changes or the wait
    // for the close runs out.
    void itemsFollowOnOneConnectionUntilTheEndMarker()
    {
        auto *center = TCPFileUploadCenter::sharedInstance();
        const QDateTime taken = QDateTime::currentDateTimeUtc();
        QVERIFY(center
                    ->uploadAssets({item(u"a.jpg"_s, 300000), item(u"b.png"_s, 16384),
                                    item(u"empty.jpg"_s, 0), item(u"照片.mov"_s, 8193)})
                    .isEmpty());
        (void)center->uploadAssets({item(u"late.jpg"_s, 5000, u"Desktop"_s)});
        QCOMPARE(outcome(), Notifications::UploadFileSuccessed);
        QCOMPARE(m_recorder->posted.size(), 1);
        for (const QString &name : {u"a.jpg"_s, u"b.png"_s, u"empty.jpg"_s, u"照片.mov"_s})
            QCOMPARE(pcFile(u"C:/up/"_s + name), m_contents[name]);
        QCOMPARE(pcFile(u"Desktop/late.jpg"_s), m_contents[u"late.jpg"_s]);
        const QJsonArray uploads = uploadsAtPc();
        QCOMPARE(uploads.size(), 5);
        QCOMPARE(uploads[0][u"announced"_s].toInt(), 300000);
        QCOMPARE(uploads[0][u"trailer"_s].toInt(), 300000);
        QVERIFY(std::abs(uploads[0][u"time"_s].toInteger() - taken.toSecsSinceEpoch()) < 120);
        QCOMPARE(m_pc->state()[u"requests"_s][u"upload"_s].toInt(), 1);

        // 0: only the close is missing; 1, 2: an item comes late, then the standing changes or
        // the wait for the close runs out.
        for (const int late : {0, 1, 2}) {
            m_recorder->clear();
            QVERIFY(m_pc->fault(u"upload_end"_s, u"hang"_s)[u"ok"_s].toBool());
            center->setStallTimeout(late == 1 ? 60000 : 300);
            (void)center->uploadAssets({item(u"b.jpg"_s, 100)});
            if (late) {
                QTRY_VERIFY(center->pendingCount() == 0 && center->isRunning());
                (void)center->uploadAssets({item(u"late.jpg"_s, 100)});
                QCOMPARE(center->pendingCount(), 1);
            }
            if (late == 1)
                RuntimeState::sharedInstance()->setStatus(AppStatusLoggedIn);
            QCOMPARE(outcome(),
                     late ? Notifications::UploadFileAborted : Notifications::UploadFileSuccessed);
            QCOMPARE(m_recorder->posted.size(), 1);
            QCOMPARE(center->pendingCount(), 0);
            QVERIFY(!center->isRunning());
        }
        QCOMPARE(uploadsAtPc().size(), 8);
        QCOMPARE(pcFile(u"C:/up/late.jpg"_s), "<missing>"_ba);
    }

    // Replies the PC gets wrong or splits, or never gives: a.jpg and b.jpg go the times listed,
    // the upload ends as it must, and the service is free for the next one.
    void faultsOfThePc_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QString>("sent");
        const QString ok = Notifications::UploadFileSuccessed,
                      aborted = Notifications::UploadFileAborted;
        // Two wrong size replies: the item goes a second and a third time, then is confirmed.
        QTest::newRow("mismatched replies") << u"garbage"_s << 2 << ok << u"aaab"_s;
        // Each size reply arrives in two segments: every item is confirmed on its first send.
        QTest::newRow("split replies") << u"split"_s << 2 << ok << u"ab"_s;
        // Never confirmed: as many sends of the item as allowed, then the end.
        QTest::newRow("never confirmed")
            << u"garbage"_s << 0 << aborted << QString(TCPFileUploadCenter::MaxSendsPerItem, u'a');
        QTest::newRow("no reply") << u"hang"_s << 1 << aborted << QString();
    }
    void faultsOfThePc()
    {
        QFETCH(QString, fault);
        QFETCH(int, count);
        QFETCH(QString, sent);
        QVERIFY(m_pc->fault(u"upload"_s, fault, 150, count)[u"ok"_s].toBool());
        auto *center = TCPFileUploadCenter::sharedInstance();
        center->setStallTimeout(500);
        (void)center->uploadAssets({item(u"a.jpg"_s, 20000), item(u"b.jpg"_s, 100)});
        QTEST(outcome(), "outcome");
        QCOMPARE(m_recorder->posted.size(), 1);
        QString paths;
        for (const auto &u : uploadsAtPc())
            paths += u[u"path"_s].toString().mid(6, 1);
        if (!sent.isEmpty())
            QCOMPARE(paths, sent);
        if (sent.endsWith(u'b'))
            QCOMPARE(pcFile(u"C:/up/b.jpg"_s), m_contents[u"b.jpg"_s]);

        QVERIFY(m_pc->fault(u"*"_s, u"clear"_s)[u"ok"_s].toBool());
        m_recorder->clear();
        (void)center->uploadAssets({item(u"c.jpg"_s, 10)});
        QCOMPARE(outcome(), Notifications::UploadFileSuccessed);
    }

    // A file of 4 GiB is refused when chosen, with a toast. An item without a destination folder,
    // whose file is gone or grew past the limit after it was chosen, cannot be described; nobody
    // may be listening on the PC port. Each upload ends at once, as aborted.
    void failuresEndAsAborted()
    {
        auto *center = TCPFileUploadCenter::sharedInstance();
        auto gone = item(u"gone.jpg"_s, 10), grown = item(u"grows.mov"_s, 10);
        QFile::remove(gone.asset->filePath);
        QVERIFY(QFile(grown.asset->filePath).resize(qint64(4) << 30)); // sparse: takes no room
        QSignalSpy toasts(center, &TCPFileUploadCenter::toastRequested);
        const QStringList refused =
            center->uploadAssets({{PhotoAsset::fromFile(grown.asset->filePath), u"C:/up"_s}});
        QCOMPARE(refused.size(), 1);
        QVERIFY(refused.first().contains(u"grows.mov"_s) && refused.first().contains(u"4GB"_s));
        QCOMPARE(toasts.size(), 1);
        QVERIFY(!center->isRunning());
        for (const auto &broken :
             {TCPFileUploadCenter::Item{item(u"a.jpg"_s, 10).asset, {}}, gone, grown}) {
            m_recorder->clear();
            (void)center->uploadAssets({broken});
            QCOMPARE(outcome(5000), Notifications::UploadFileAborted);
        }
        QCOMPARE(uploadsAtPc().size(), 0);
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        const quint16 port = closed.serverPort();
        closed.close();
        startCenter(port);
        (void)TCPFileUploadCenter::sharedInstance()->uploadAssets({item(u"b.jpg"_s, 10)});
        QCOMPARE(outcome(5000), Notifications::UploadFileAborted);
    }

private:
    TCPFileUploadCenter::Item item(const QString &name, qint64 size,
                                   const QString &folder = u"C:/up"_s)
    {
        QByteArray bytes(size, Qt::Uninitialized);
        QRandomGenerator rng(quint32(size) ^ quint32(qHash(name)));
        for (char &c : bytes)
            c = char(rng.bounded(256));
        const QString path = m_files.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != size)
            qFatal("cannot write the test file");
        file.close();
        m_contents[name] = bytes;
        return {PhotoAsset::fromFile(path), folder};
    }

    void startCenter(quint16 port)
    {
        m_recorder.reset();
        AppConfig config;
        config.pcPort = port;
        config.pcAddressOverride = std::optional<QString>(u"127.0.0.1"_s);
        m_core = std::make_unique<TestCore>(config);
        m_core->make<TCPFileUploadCenter>(*m_core->hub(), config.pcPort);
        m_recorder = std::make_unique<NotificationRecorder>(
            m_core->hub(),
            QStringList{Notifications::UploadFileSuccessed, Notifications::UploadFileAborted});
    }

    QByteArray pcFile(const QString &pcPath) const
    {
        QFile file(m_pc->rootPath() + u'/' + pcPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : "<missing>"_ba;
    }

    QJsonArray uploadsAtPc() { return m_pc->state().value(u"uploads"_s).toArray(); }

    // Waits for the outcome notification; its name.
    QString outcome(int timeoutMs = 20000)
    {
        (void)QTest::qWaitFor([this] { return !m_recorder->posted.isEmpty(); }, timeoutMs);
        return m_recorder->posted.value(0, u"(no outcome)"_s);
    }

    std::unique_ptr<PcSim> m_pc;
    std::unique_ptr<TestCore> m_core;
    std::unique_ptr<NotificationRecorder> m_recorder;
    QTemporaryDir m_files;
    QMap<QString, QByteArray> m_contents;
};

QTEST_GUILESS_MAIN(TestTCPFileUpload)
#include "tst_tcpfileupload.moc"
