// The shake end to end against the stand-in PC: the answer of every shape becomes records that
// are stored, announced and downloaded as the rules of the fetch say.

#include "NotificationNames.h"
#include "PcContent.h"
#include "QuickTransferArrival.h"

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

    PcContent m_pc;
    std::unique_ptr<TestCore> m_t;
    std::unique_ptr<NotificationRecorder> m_rec;

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

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_pc.startWith({{u"C:/shake/small.pdf"_s, 20000},
                                 {u"C:/shake/big.mp4"_s, 6000000},
                                 {u"C:/shake/big.jpg"_s, 6000000},
                                 {u"C:/shake/a.jpg"_s, 3000},
                                 {u"C:/shake/b.mp4"_s, 2000000},
                                 {u"C:/shake/c.png"_s, 4000},
                                 {u"C:/shake/d.doc"_s, 8000000}}),
                 qPrintable(m_pc.errorString()));
    }

    void init()
    {
        m_t = std::make_unique<TestCore>(m_pc.config());
        m_rec = std::make_unique<NotificationRecorder>(m_t->hub(), kWatched);
        QVERIFY(m_pc.logIn(*m_t));
    }

    void cleanup()
    {
        m_rec.reset();
        m_t.reset();
    }

    void textsAreStoredFoldersOnlyAnnouncedNeitherDownloaded_data()
    {
        QTest::addColumn<QJsonObject>("selection");
        QTest::addColumn<quint64>("type");
        QTest::newRow("text") << QJsonObject{{u"type"_s, u"text"_s}, {u"text"_s, u"周末见"_s}}
                              << quint64(QuickTransferTypeText);
        QTest::newRow("folder") << QJsonObject{{u"type"_s, u"folder"_s}, {u"path"_s, u"C:/shake"_s}}
                                << quint64(QuickTransferTypeFolder);
    }
    void textsAreStoredFoldersOnlyAnnouncedNeitherDownloaded()
    {
        QFETCH(QJsonObject, selection);
        QFETCH(quint64, type);
        QVERIFY(m_pc.select(selection));
        const auto record = recordIn(shake());
        QVERIFY(record);
        QCOMPARE(record->type, type);
        QTest::qWait(100);
        QCOMPARE(m_rec->count(Notifications::DoDownloadFile), 0);
        if (type == QuickTransferTypeFolder) {
            QCOMPARE(m_rec->count(Notifications::SaveQuickTransfer), 0);
            QVERIFY(PcContent::storedIds().isEmpty());
        } else {
            QCOMPARE(record->dt, u"周末见"_s);
            QCOMPARE(PcContent::storedIds(), QList<quint64>{record->identifier});
        }
    }

    void smallFilesAndImagesDownloadAtOnce()
    {
        QVERIFY(m_pc.selectFile(u"C:/shake/small.pdf"_s));
        const auto doc = recordIn(shake());
        QVERIFY(doc);
        QCOMPARE(doc->type, quint64(QuickTransferTypeDocument));
        QTRY_COMPARE_WITH_TIMEOUT(m_rec->count(Notifications::DownloadFileFinished), 1, 10000);
        QCOMPARE(QFileInfo(doc->downloadPath(m_t->library())).size(), 20000);

        // A big image comes down whatever its size.
        QVERIFY(m_pc.selectFile(u"C:/shake/big.jpg"_s));
        const auto image = recordIn(shake());
        QCOMPARE(image->type, quint64(QuickTransferTypeImage));
        QCOMPARE(m_rec->count(Notifications::DoDownloadFile), 1);
        QTRY_COMPARE_WITH_TIMEOUT(m_rec->count(Notifications::DownloadFileFinished), 1, 20000);
        QCOMPARE(QFileInfo(image->downloadPath(m_t->library())).size(), 6000000);
    }

    void severalFilesGroupTheirImages()
    {
        QVERIFY(m_pc.selectFiles({u"C:/shake/a.jpg"_s, u"C:/shake/b.mp4"_s, u"C:/shake/c.png"_s}));
        const QVariantMap info = shake();
        const QVariantList array = info.value(u"array"_s).toList();
        QCOMPARE(array.size(), 3);
        const auto a = array[0].value<QuickTransferObjectPtr>();
        const auto b = array[1].value<QuickTransferObjectPtr>();
        const auto c = array[2].value<QuickTransferObjectPtr>();
        QCOMPARE(a->first_id, quint64(0));
        QCOMPARE(b->first_id, quint64(0));
        QCOMPARE(c->first_id, a->identifier);
        QCOMPARE(PcContent::storedIds().size(), 3);
        // The fetch itself downloads nothing; the arrival starts all three.
        QCOMPARE(m_rec->count(Notifications::DoDownloadFile), 0);
        const auto arrival = QuickTransferArrival::decide(info);
        QCOMPARE(arrival.current, a);
        QCOMPARE(arrival.downloadNow, (QList<QuickTransferObjectPtr>{a, b, c}));
        QVERIFY(!arrival.waitsForUser);
    }

    void bigDocumentAmongImagesIsHeldBack()
    {
        QVERIFY(m_pc.selectFiles({u"C:/shake/a.jpg"_s, u"C:/shake/d.doc"_s}));
        const auto arrival = QuickTransferArrival::decide(shake());
        QVERIFY(arrival.current);
        QCOMPARE(arrival.current->path, u"C:/shake/d.doc"_s);
        QCOMPARE(arrival.setAside.size(), 1);
        QCOMPARE(arrival.setAside.first()->path, u"C:/shake/a.jpg"_s);
        QVERIFY(arrival.downloadNow.isEmpty());
        QVERIFY(arrival.waitsForUser);
    }

    void failuresTellUnknownApart_data()
    {
        QTest::addColumn<QJsonObject>("selection");
        QTest::addColumn<bool>("isUnknown");
        QTest::newRow("unknown") << QJsonObject{{u"type"_s, u"unknown"_s}} << true;
        const auto raw = [](const QJsonObject &data) {
            return QJsonObject{{u"type"_s, u"raw"_s}, {u"data"_s, data}};
        };
        QTest::newRow("error") << QJsonObject{{u"type"_s, u"raw"_s},
                                              {u"err"_s, 2},
                                              {u"data"_s, QJsonObject{}}}
                               << false;
        QTest::newRow("file given as text")
            << raw({{u"type"_s, u"file"_s}, {u"dt"_s, u"C:/a"_s}}) << false;
        QTest::newRow("empty array")
            << raw({{u"type"_s, u"file"_s}, {u"dt"_s, QJsonArray{}}}) << false;
        QTest::newRow("number") << raw({{u"type"_s, u"text"_s}, {u"dt"_s, 5}}) << false;
    }
    void failuresTellUnknownApart()
    {
        QFETCH(QJsonObject, selection);
        QFETCH(bool, isUnknown);
        QVERIFY(m_pc.select(selection));
        const QVariantMap info = shake();
        QCOMPARE(m_rec->count(Notifications::GetQuickTransferFailed), 1);
        QCOMPARE(info.value(u"isUnknown"_s).toBool(), isUnknown);
        QCOMPARE(m_rec->count(Notifications::SaveQuickTransfer), 0);
    }
};

QTEST_GUILESS_MAIN(TestShake)
#include "tst_shake.moc"
