// The shake end to end against the stand-in PC: folders, big images and malformed answers. The
// command-line tests cover a text, one small file, the unknown selection, a refusal and a held
// document, the panel tests texts and what a group's arrival downloads and holds back.

#include "NotificationNames.h"
#include "PcContent.h"

using namespace Qt::StringLiterals;
namespace N = Notifications;

class TestShake : public QObject
{
    Q_OBJECT

    PcContent m_pc;
    std::unique_ptr<TestCore> m_t;
    std::unique_ptr<NotificationRecorder> m_rec;

    // Shakes and waits for the announcement, else the failure.
    QVariantMap shake()
    {
        m_rec->clear();
        HttpRequestCenter::sharedInstance()->getQuickTransfer();
        const QString ok = N::GetNewQuickTransfer;
        const QString failed = N::GetQuickTransferFailed;
        (void)QTest::qWaitFor([&] { return m_rec->count(ok) + m_rec->count(failed) > 0; }, 10000);
        return m_rec->last(m_rec->count(ok) ? ok : failed);
    }
    QuickTransferObjectPtr shakeOne()
    {
        return shake().value(u"object"_s).value<QuickTransferObjectPtr>();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_pc.startWith({{u"C:/shake/big.jpg"_s, 6000000}}),
                 qPrintable(m_pc.errorString()));
    }

    void init()
    {
        m_t = std::make_unique<TestCore>(m_pc.config());
        m_rec = std::make_unique<NotificationRecorder>(
            m_t->hub(),
            QStringList{N::SaveQuickTransfer, N::GetNewQuickTransfer, N::GetQuickTransferFailed,
                        N::DoDownloadFile, N::DownloadFileFinished, N::DownloadFileFailed});
        QVERIFY(m_pc.logIn(*m_t));
    }

    void cleanup()
    {
        m_rec.reset();
        m_t.reset();
    }

    // A folder is only announced: neither stored nor downloaded (the panel tests take texts).
    void foldersAreOnlyAnnounced()
    {
        QVERIFY(m_pc.select({{u"type"_s, u"folder"_s}, {u"path"_s, u"C:/shake"_s}}));
        QCOMPARE(shakeOne()->type, quint64(QuickTransferTypeFolder));
        QTest::qWait(100);
        QCOMPARE(m_rec->count(N::DoDownloadFile), 0);
        QVERIFY(PcContent::storedIds().isEmpty());
    }

    void bigImagesDownloadAtOnce()
    {
        QVERIFY(m_pc.selectFile(u"C:/shake/big.jpg"_s));
        const auto image = shakeOne();
        QCOMPARE(image->type, quint64(QuickTransferTypeImage));
        QCOMPARE(m_rec->count(N::DoDownloadFile), 1);
        QTRY_COMPARE_WITH_TIMEOUT(m_rec->count(N::DownloadFileFinished), 1, 20000);
        QCOMPARE(QFileInfo(image->downloadPath(m_t->library())).size(), 6000000);
    }

    // Answers of the wrong shape fail the fetch, store nothing, and are not the unknown kind.
    void malformedAnswersFail_data()
    {
        QTest::addColumn<QJsonObject>("data");
        QTest::newRow("file given as text")
            << QJsonObject{{u"type"_s, u"file"_s}, {u"dt"_s, u"C:/a"_s}};
        QTest::newRow("number") << QJsonObject{{u"type"_s, u"text"_s}, {u"dt"_s, 5}};
    }
    void malformedAnswersFail()
    {
        QFETCH(QJsonObject, data);
        QVERIFY(m_pc.select({{u"type"_s, u"raw"_s}, {u"data"_s, data}}));
        QVERIFY(!shake().value(u"isUnknown"_s).toBool());
        QCOMPARE(m_rec->count(N::GetQuickTransferFailed), 1);
        QCOMPARE(m_rec->count(N::SaveQuickTransfer), 0);
    }
};

QTEST_GUILESS_MAIN(TestShake)
#include "tst_shake.moc"
