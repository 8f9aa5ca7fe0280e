// The shake end to end against the stand-in PC: the answer of every shape becomes records that
// are stored, announced and downloaded as the rules of the fetch say.

#include "DataBaseCenter.h"
#include "HttpFileDownloadCenter.h"
#include "HttpRequestCenter.h"
#include "LoginAndAuthCenter.h"
#include "NotificationNames.h"
#include "PcSim.h"
#include "QuickTransferArrival.h"
#include "RuntimeState.h"
#include "TestServices.h"

#include <QFile>
#include <QJsonArray>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
const QStringList kWatched = {
    Notifications::SaveQuickTransfer,      Notifications::GetNewQuickTransfer,
    Notifications::GetQuickTransferFailed, Notifications::DoDownloadFile,
    Notifications::DownloadFileFinished,   Notifications::DownloadFileFailed};

QuickTransferObjectPtr recordIn(const QVariantMap &info)
{
    return info.value(u"object"_s).value<QuickTransferObjectPtr>();
}
} // namespace

class TestShake : public QObject
{
    Q_OBJECT

    PcSim m_pc;
    std::unique_ptr<TestCore> m_t;
    std::unique_ptr<NotificationRecorder> m_rec;

    void writeFile(const QString &pcPath, qint64 size)
    {
        QFile f(m_pc.rootPath() + u'/' + pcPath);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(size));
    }

    void select(const QJsonObject &selection)
    {
        QVERIFY(m_pc.control(u"selection"_s, selection).value(u"ok"_s).toBool());
    }

    // Shakes and waits for the announcement (or the failure).
    QVariantMap shake()
    {
        m_rec->clear();
        HttpRequestCenter::sharedInstance()->getQuickTransfer();
        (void)QTest::qWaitFor(
            [this] {
                return m_rec->count(Notifications::GetNewQuickTransfer) +
                           m_rec->count(Notifications::GetQuickTransferFailed) >
                       0;
            },
            10000);
        return m_rec->count(Notifications::GetNewQuickTransfer)
                   ? m_rec->last(Notifications::GetNewQuickTransfer)
                   : m_rec->last(Notifications::GetQuickTransferFailed);
    }

    QList<quint64> storedIds()
    {
        QList<quint64> ids;
        for (const auto &r : DataBaseCenter::sharedInstance()->getQuickTransfer())
            ids << r->identifier;
        return ids;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_pc.start(), qPrintable(m_pc.errorString()));
        QDir root(m_pc.rootPath());
        QVERIFY(root.mkpath(u"C:/shake"_s));
        writeFile(u"C:/shake/small.pdf"_s, 20000);
        writeFile(u"C:/shake/big.mp4"_s, 6000000);
        writeFile(u"C:/shake/big.jpg"_s, 6000000);
        writeFile(u"C:/shake/a.jpg"_s, 3000);
        writeFile(u"C:/shake/b.mp4"_s, 2000000);
        writeFile(u"C:/shake/c.png"_s, 4000);
        writeFile(u"C:/shake/d.doc"_s, 8000000);
    }

    void init()
    {
        m_pc.control(u"reset"_s);
        m_t = std::make_unique<TestCore>(m_pc.config());
        m_rec = std::make_unique<NotificationRecorder>(m_t->hub(), kWatched);
        createServices(*m_t);
        QSignalSpy disks(HttpRequestCenter::sharedInstance(), &HttpRequestCenter::diskInfoFinished);
        LoginAndAuthCenter::sharedInstance()->startLogin();
        QTRY_COMPARE_WITH_TIMEOUT(m_t->core->runtimeState()->status(), quint64(AppStatusAuthorized),
                                  10000);
        QTRY_COMPARE(disks.count(), 1);
    }

    void cleanup()
    {
        m_rec.reset();
        m_t.reset();
    }

    void textIsStoredButNeverDownloaded()
    {
        select({{u"type"_s, u"text"_s}, {u"text"_s, u"周末见"_s}});
        const auto record = recordIn(shake());
        QVERIFY(record);
        QCOMPARE(record->type, quint64(QuickTransferTypeText));
        QCOMPARE(record->dt, u"周末见"_s);
        QVERIFY(record->identifier > 0);
        QCOMPARE(storedIds(), QList<quint64>{record->identifier});
        QCOMPARE(m_rec->count(Notifications::DoDownloadFile), 0);
    }

    void smallFilesAndImagesDownloadAtOnce()
    {
        select({{u"type"_s, u"file"_s}, {u"path"_s, u"C:/shake/small.pdf"_s}});
        const auto doc = recordIn(shake());
        QVERIFY(doc);
        QCOMPARE(doc->type, quint64(QuickTransferTypeDocument));
        QTRY_COMPARE_WITH_TIMEOUT(m_rec->count(Notifications::DownloadFileFinished), 1, 10000);
        QCOMPARE(QFileInfo(doc->downloadPath(m_t->library())).size(), 20000);

        // A big image comes down whatever its size.
        select({{u"type"_s, u"file"_s}, {u"path"_s, u"C:/shake/big.jpg"_s}});
        const auto image = recordIn(shake());
        QCOMPARE(image->type, quint64(QuickTransferTypeImage));
        QCOMPARE(m_rec->count(Notifications::DoDownloadFile), 1);
        QTRY_COMPARE_WITH_TIMEOUT(m_rec->count(Notifications::DownloadFileFinished), 1, 20000);
        QCOMPARE(QFileInfo(image->downloadPath(m_t->library())).size(), 6000000);
    }

    void bigFileWaitsForTheUser()
    {
        // An array of one entry is the entry itself.
        select({{u"type"_s, u"files"_s}, {u"paths"_s, QJsonArray{u"C:/shake/big.mp4"_s}}});
        const QVariantMap info = shake();
        const auto video = recordIn(info);
        QVERIFY(video);
        QCOMPARE(video->type, quint64(QuickTransferTypeVideo));
        QVERIFY(video->identifier > 0);
        QTest::qWait(100);
        QCOMPARE(m_rec->count(Notifications::DoDownloadFile), 0);
        const auto arrival = QuickTransferArrival::decide(info);
        QCOMPARE(arrival.current, video);
        QVERIFY(arrival.waitsForUser);
    }

    void severalFilesGroupTheirImages()
    {
        select({{u"type"_s, u"files"_s},
                {u"paths"_s,
                 QJsonArray{u"C:/shake/a.jpg"_s, u"C:/shake/b.mp4"_s, u"C:/shake/c.png"_s}}});
        const QVariantMap info = shake();
        const QVariantList array = info.value(u"array"_s).toList();
        QCOMPARE(array.size(), 3);
        const auto a = array[0].value<QuickTransferObjectPtr>();
        const auto b = array[1].value<QuickTransferObjectPtr>();
        const auto c = array[2].value<QuickTransferObjectPtr>();
        QVERIFY(a->identifier > 0 && b->identifier > 0 && c->identifier > 0);
        QCOMPARE(a->first_id, quint64(0));
        QCOMPARE(b->first_id, quint64(0));
        QCOMPARE(c->first_id, a->identifier);
        QCOMPARE(storedIds().size(), 3);
        // The fetch itself downloads nothing; the arrival starts all three.
        QCOMPARE(m_rec->count(Notifications::DoDownloadFile), 0);
        const auto arrival = QuickTransferArrival::decide(info);
        QCOMPARE(arrival.current, a);
        QCOMPARE(arrival.downloadNow, (QList<QuickTransferObjectPtr>{a, b, c}));
        QVERIFY(!arrival.waitsForUser);
    }

    void bigDocumentAmongImagesIsHeldBack()
    {
        select({{u"type"_s, u"files"_s},
                {u"paths"_s, QJsonArray{u"C:/shake/a.jpg"_s, u"C:/shake/d.doc"_s}}});
        const auto arrival = QuickTransferArrival::decide(shake());
        QVERIFY(arrival.current);
        QCOMPARE(arrival.current->path, u"C:/shake/d.doc"_s);
        QCOMPARE(arrival.setAside.size(), 1);
        QCOMPARE(arrival.setAside.first()->path, u"C:/shake/a.jpg"_s);
        QVERIFY(arrival.downloadNow.isEmpty());
        QVERIFY(arrival.waitsForUser);
    }

    void foldersAreAnnouncedNeverStored()
    {
        select({{u"type"_s, u"folder"_s}, {u"path"_s, u"C:/shake"_s}});
        const auto folder = recordIn(shake());
        QVERIFY(folder);
        QCOMPARE(folder->type, quint64(QuickTransferTypeFolder));
        QCOMPARE(m_rec->count(Notifications::SaveQuickTransfer), 0);
        QCOMPARE(m_rec->count(Notifications::DoDownloadFile), 0);
        QVERIFY(storedIds().isEmpty());
    }

    void failuresTellUnknownApart_data()
    {
        QTest::addColumn<QJsonObject>("selection");
        QTest::addColumn<bool>("isUnknown");
        QTest::newRow("unknown") << QJsonObject{{u"type"_s, u"unknown"_s}} << true;
        QTest::newRow("error") << QJsonObject{{u"type"_s, u"raw"_s},
                                              {u"err"_s, 2},
                                              {u"data"_s, QJsonObject{}}}
                               << false;
        QTest::newRow("file given as text")
            << QJsonObject{{u"type"_s, u"raw"_s},
                           {u"data"_s, QJsonObject{{u"type"_s, u"file"_s}, {u"dt"_s, u"C:/a"_s}}}}
            << false;
        QTest::newRow("empty array")
            << QJsonObject{{u"type"_s, u"raw"_s},
                           {u"data"_s,
                            QJsonObject{{u"type"_s, u"file"_s}, {u"dt"_s, QJsonArray{}}}}}
            << false;
        QTest::newRow("number") << QJsonObject{{u"type"_s, u"raw"_s},
                                               {u"data"_s,
                                                QJsonObject{{u"type"_s, u"text"_s}, {u"dt"_s, 5}}}}
                                << false;
    }
    void failuresTellUnknownApart()
    {
        QFETCH(QJsonObject, selection);
        QFETCH(bool, isUnknown);
        select(selection);
        const QVariantMap info = shake();
        QCOMPARE(m_rec->count(Notifications::GetQuickTransferFailed), 1);
        QCOMPARE(info.value(u"isUnknown"_s).toBool(), isUnknown);
        QCOMPARE(m_rec->count(Notifications::SaveQuickTransfer), 0);
    }
};

QTEST_GUILESS_MAIN(TestShake)
#include "tst_shake.moc"
