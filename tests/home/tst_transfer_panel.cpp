// The transfer panel against the stand-in PC: what it shows for every kind of selection, its
// buttons, the failure, the "unknown" path and every wait it must not hang in.

#include "HttpFileDownloadCenter.h"
#include "NotificationNames.h"
#include "PcContent.h"
#include "QuickTransferAnimationViewController.h"
#include "ToastCenter.h"

#include <QElapsedTimer>

using namespace Qt::StringLiterals;
using Panel = QuickTransferAnimationViewController;

class TestTransferPanel : public QObject
{
    Q_OBJECT

    PcContent m_pc;
    std::unique_ptr<TestCore> m_t;
    std::unique_ptr<ToastCenter> m_toasts;
    std::unique_ptr<NotificationRecorder> m_rec;
    std::unique_ptr<Panel> m_panel;
    QElapsedTimer m_clock;

    // A shake on the main screen: the fetch goes out and the panel opens.
    Panel *shake(int waitLimitMs = Panel::DefaultWaitLimitMs)
    {
        HttpRequestCenter::sharedInstance()->getQuickTransfer();
        m_panel = std::make_unique<Panel>(m_t->hub(), m_t->core->runtimeState(), m_toasts.get(),
                                          m_t->library());
        m_panel->setWaitLimit(waitLimitMs);
        m_clock.start();
        m_panel->showInView();
        return m_panel.get();
    }

    // Waits until the panel leaves its flight; returns when that happened, in ms.
    qint64 waitForOutcome(int timeoutMs = 10000)
    {
        if (!QTest::qWaitFor([this] { return m_panel->stage() > Panel::Waiting; }, timeoutMs))
            return -1;
        return m_clock.elapsed();
    }

    // The close animation as the view plays it.
    void close()
    {
        QVERIFY(m_panel->isClosing());
        m_panel->closeFinished();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_pc.startWith({{u"C:/p/notes.pdf"_s, 20000},
                                 {u"C:/p/report.doc"_s, 6000000},
                                 {u"C:/p/film.mp4"_s, 6000000},
                                 {u"C:/p/beach.jpg"_s, 3000},
                                 {u"C:/p/a.jpg"_s, 2000},
                                 {u"C:/p/b.pdf"_s, 4000}}),
                 qPrintable(m_pc.errorString()));
        QVERIFY(QDir(m_pc.rootPath()).mkpath(u"C:/p/Holiday"_s));
    }

    void init()
    {
        m_t = std::make_unique<TestCore>(m_pc.config());
        m_toasts = std::make_unique<ToastCenter>();
        m_rec = std::make_unique<NotificationRecorder>(
            m_t->hub(),
            QStringList{Notifications::DoDownloadFile, Notifications::DeleteQuickTransfer});
        QVERIFY(m_pc.logIn(*m_t));
        m_rec->clear();
    }

    void cleanup()
    {
        m_panel.reset();
        m_rec.reset();
        m_t.reset();
        m_toasts.reset();
    }

    void everyKindShowsItsContentAndButtons_data()
    {
        QTest::addColumn<QJsonObject>("selection");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("detail");
        // ss: share and success, lr: left and right, b: the bottom one with its title
        QTest::addColumn<QString>("buttons");
        const auto file = [](const QString &path) {
            return QJsonObject{{u"type"_s, u"file"_s}, {u"path"_s, u"C:/p/"_s + path}};
        };
        QTest::newRow("small document") << file(u"notes.pdf"_s) << int(Panel::DocumentKind)
                                        << u"notes.pdf"_s << u"20.0KB"_s << u"ss"_s;
        QTest::newRow("large document") << file(u"report.doc"_s) << int(Panel::DocumentKind)
                                        << u"report.doc"_s << u"6.0MB"_s << u"b 下载到手机"_s;
        // An array of one entry is the entry itself.
        QTest::newRow("large video")
            << QJsonObject{{u"type"_s, u"files"_s}, {u"paths"_s, QJsonArray{u"C:/p/film.mp4"_s}}}
            << int(Panel::MediaKind) << u"film.mp4"_s << u"6.0MB"_s << u"lr"_s;
        QTest::newRow("folder") << QJsonObject{{u"type"_s, u"folder"_s},
                                               {u"path"_s, u"C:/p/Holiday"_s}}
                                << int(Panel::FolderKind) << u"Holiday"_s << QString()
                                << u"b 打开文件夹"_s;
    }
    void everyKindShowsItsContentAndButtons()
    {
        QFETCH(QJsonObject, selection);
        QFETCH(int, kind);
        QFETCH(QString, title);
        QFETCH(QString, detail);
        QFETCH(QString, buttons);
        QVERIFY(m_pc.select(selection));
        Panel *panel = shake();
        QVERIFY(waitForOutcome() > 0);
        QCOMPARE(panel->stage(), Panel::Result);
        QCOMPARE(int(panel->kind()), kind);
        QCOMPARE(panel->contentTitle(), title);
        QCOMPARE(panel->contentDetail(), detail);
        QCOMPARE(panel->shareVisible(), buttons == u"ss");
        QCOMPARE(panel->successVisible(), buttons == u"ss");
        QCOMPARE(panel->leftRightVisible(), buttons == u"lr");
        QCOMPARE(panel->bottomVisible(), buttons.startsWith(u'b'));
        QCOMPARE(panel->bottomTitle(), buttons.mid(2));
        // What the main button does.
        if (kind == Panel::FolderKind) {
            QSignalSpy directory(panel, &Panel::openDirectory);
            panel->tappedBottomButton();
            close();
            QCOMPARE(directory.count(), 1);
            QCOMPARE(directory.first().first().toString(), u"C:/p/Holiday"_s);
        } else if (buttons.startsWith(u'b')) {
            // A large document is previewed only once it is on the phone.
            QSignalSpy preview(panel, &Panel::previewDocument);
            panel->tappedContentButton();
            QCOMPARE(preview.count(), 0);
            QCOMPARE(m_toasts->title(), u"文件下载完毕才能预览"_s);
        } else if (buttons == u"lr") {
            // Playing streams it from the PC while it is not on the phone.
            QSignalSpy play(panel, &Panel::playMedia);
            panel->tappedLeftButton();
            const QUrl url = play.value(0).value(0).toUrl();
            QVERIFY2(url.scheme() == u"http" && url.path().endsWith(title),
                     qPrintable(url.toString()));
        }
    }

    // A shake is ignored while the panel opens and retries once it has failed; the retry button
    // fetches nothing once the phone is no longer the PC's administrator, and says so.
    void failureOffersRetryByButtonAndByShake()
    {
        m_pc.fault(u"cgi/pc_shake.mo"_s, u"garbage"_s);
        Panel *panel = shake();
        QSignalSpy vibrate(panel, &Panel::vibrate);
        QSignalSpy again(panel, &Panel::getQuickTransfer);
        QTest::qWait(800);
        m_t->hub()->post(Notifications::DeviceShaked);
        QVERIFY(!panel->isClosing());
        QVERIFY(waitForOutcome() > 0);
        QCOMPARE(panel->stage(), Panel::Failed);
        m_t->hub()->post(Notifications::DeviceShaked);
        QCOMPARE(vibrate.count(), 1);
        close();
        QCOMPARE(again.count(), 1);

        m_pc.fault(u"cgi/pc_shake.mo"_s, u"garbage"_s);
        panel = shake();
        QSignalSpy again2(panel, &Panel::getQuickTransfer);
        QVERIFY(waitForOutcome() > 0);
        panel->tappedRetryButton();
        m_t->core->runtimeState()->setStatus(AppStatusLoggedIn);
        close();
        QCOMPARE(again2.count(), 0);
        QCOMPARE(m_toasts->title(), u"您已被取消管理员权限"_s);
    }

    // An unknown selection shows the PC's screenshot, or a toast when the locked PC cannot take
    // one; a late answer of another fetch changes nothing.
    void unknownSelectionShowsTheScreenshot_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::newRow("screenshot") << false;
        QTest::newRow("locked PC") << true;
    }
    void unknownSelectionShowsTheScreenshot()
    {
        QFETCH(bool, locked);
        QVERIFY(m_pc.select({{u"type"_s, u"unknown"_s}}));
        if (locked)
            m_pc.fault(u"cgi/pc_screencut.mo"_s, u"garbage"_s);
        Panel *panel = shake();
        QVERIFY(waitForOutcome() > 0);
        QCOMPARE(panel->stage(), Panel::Unknown);
        QVERIFY(panel->isQuickTransferUnknown());
        if (locked) {
            QTRY_COMPARE_WITH_TIMEOUT(m_toasts->title(), u"电脑在锁屏或休眠状态下无法抓取屏幕"_s,
                                      10000);
            QCOMPARE(panel->kind(), Panel::NoKind);
            return;
        }
        QTRY_COMPARE_WITH_TIMEOUT(panel->kind(), Panel::ImageKind, 10000);
        QVERIFY(QFile::exists(panel->pictureSource().toLocalFile()));
        QCOMPARE(panel->stage(), Panel::Unknown);
        auto other = QuickTransferObject::create();
        other->type = QuickTransferTypeText;
        m_t->hub()->post(Notifications::GetNewQuickTransfer,
                         {{u"object"_s, QVariant::fromValue(other)}});
        QCOMPARE(panel->quickTransferObject()->type, quint64(QuickTransferTypeImage));
    }

    // What is downloaded and what stays stored once the panel closes by a button.
    void buttonsDecideDownloadsAndHistory_data()
    {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("downloads");
        QTest::addColumn<bool>("kept");
        const QStringList document{u"C:/p/a.jpg"_s, u"C:/p/report.doc"_s, u"C:/p/b.pdf"_s};
        QTest::newRow("large document, the bottom button downloads all three")
            << document << u"bottom"_s << 3 << true;
        QTest::newRow("large document declined") << document << u"close"_s << 0 << false;
    }
    void buttonsDecideDownloadsAndHistory()
    {
        QFETCH(QStringList, paths);
        QFETCH(QString, button);
        QFETCH(int, downloads);
        QFETCH(bool, kept);
        QVERIFY(m_pc.selectFiles(paths));
        Panel *panel = shake();
        QVERIFY(waitForOutcome() > 0);
        QCOMPARE(PcContent::storedIds().size(), paths.size());
        QCOMPARE(m_rec->count(Notifications::DoDownloadFile), button == u"close" ? downloads : 0);
        if (button == u"bottom")
            panel->tappedBottomButton();
        else
            panel->tappedCloseButton();
        close();
        QCOMPARE(m_rec->count(Notifications::DoDownloadFile), downloads);
        if (kept) {
            QCOMPARE(m_rec->count(Notifications::DeleteQuickTransfer), 0);
            QCOMPARE(PcContent::storedIds().size(), paths.size());
        } else {
            QVariantList expected{panel->quickTransferObject()->identifier};
            for (const auto &r : panel->quickTransferArray())
                expected << r->identifier;
            QCOMPARE(m_rec->last(Notifications::DeleteQuickTransfer).value(u"arrayId"_s).toList(),
                     expected);
            QCOMPARE(PcContent::storedIds(), QList<quint64>{});
        }
        QTRY_COMPARE_WITH_TIMEOUT(HttpFileDownloadCenter::sharedInstance()->runningCount() +
                                      HttpFileDownloadCenter::sharedInstance()->waitingCount(),
                                  0, 10000);
    }

    // Whatever stops the image's fetch, the panel fails: a download closed as soon as the opening
    // allows, a PC that hangs at the wait limit, one that goes away at once.
    void stoppedFetchEndsInTheFailure_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("goesAway");
        QTest::newRow("the PC closes the download") << u"pc"_s << u"close"_s << false;
        QTest::newRow("the answer hangs") << u"cgi/pc_shake.mo"_s << u"hang"_s << false;
        QTest::newRow("the download hangs") << u"pc"_s << u"hang"_s << false;
        QTest::newRow("the PC goes away while it answers")
            << u"cgi/pc_shake.mo"_s << u"hang"_s << true;
    }
    void stoppedFetchEndsInTheFailure()
    {
        QFETCH(QString, target);
        QFETCH(QString, fault);
        QFETCH(bool, goesAway);
        const bool hangs = fault == u"hang";
        m_pc.fault(target, fault);
        QVERIFY(m_pc.selectFile(u"C:/p/beach.jpg"_s));
        Panel *panel = shake(hangs ? 3500 : Panel::DefaultWaitLimitMs);
        if (!hangs) {
            QTRY_VERIFY_WITH_TIMEOUT(panel->isDownloadFileFailed(), 5000);
            QVERIFY(panel->stage() < Panel::Result);
        } else if (goesAway) {
            QTest::qWait(200);
            m_t->core->runtimeState()->setStatus(AppStatusNotLoggedIn);
        }
        // Shown once the opening has played; a hang at the wait limit, not before.
        const qint64 shown = waitForOutcome();
        const bool atTheLimit = hangs && !goesAway;
        QVERIFY2(shown >= (atTheLimit ? 3300 : 2450) && shown <= (atTheLimit ? 4499 : 2899),
                 qPrintable(QString::number(shown)));
        QCOMPARE(panel->stage(), Panel::Failed);
        QVERIFY(panel->isCanRetry());
        m_pc.fault(target, u"clear"_s);
    }

    // Sharing a file waits for its download; every way that wait can end without it ends the
    // share with a message.
    void shareOfAFileWaitsForItsDownload_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("the download arrives late") << u"arrives"_s;
        QTest::newRow("the connection drops the download") << u"status"_s;
        QTest::newRow("the download hangs past the limit") << u"hang"_s;
        QTest::newRow("the manager drops it") << u"drop"_s;
    }
    void shareOfAFileWaitsForItsDownload()
    {
        QFETCH(QString, how);
        QVERIFY(m_pc.selectFile(u"C:/p/notes.pdf"_s));
        if (how == u"drop")
            HttpFileDownloadCenter::sharedInstance()->setFreeSpaceProvider(
                [] { return quint64(0); });
        else if (how == u"hang")
            m_pc.fault(u"pc"_s, u"hang"_s, 3000);
        else
            m_pc.fault(u"pc"_s, u"delay"_s, how == u"arrives" ? 3500 : 3000);
        Panel *panel = shake(how == u"arrives" ? Panel::DefaultWaitLimitMs : 3000);
        QVERIFY(waitForOutcome() > 0);
        QCOMPARE(panel->stage(), Panel::Result);
        QSignalSpy openIn(panel, &Panel::openIn);
        panel->tappedShareButton();
        if (how == u"arrives") {
            QVERIFY(panel->isSharing());
            QVERIFY(panel->isSelfViewConvered());
            QVERIFY(m_toasts->isProgressVisible());
            QTRY_COMPARE_WITH_TIMEOUT(openIn.count(), 1, 10000);
            QVERIFY(QFile::exists(openIn.first().first().toString()));
            QVERIFY(!m_toasts->isProgressVisible());
            return;
        }
        if (how == u"status") {
            QVERIFY(panel->isSharing());
            m_t->core->runtimeState()->setStatus(AppStatusNotLoggedIn);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!panel->isSharing(), 8000);
        QCOMPARE(openIn.count(), 0);
        QCOMPARE(m_toasts->title(), u"文件下载失败"_s);
        QVERIFY(!panel->isSelfViewConvered());
        m_pc.fault(u"pc"_s, u"clear"_s);
    }
};

QTEST_GUILESS_MAIN(TestTransferPanel)
#include "tst_transfer_panel.moc"
