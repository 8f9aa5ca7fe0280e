// The transfer panel against the stand-in PC: its timeline, what it shows for every kind of
// selection, its buttons, the failure, the "unknown" path and every wait it must not hang in.

#include "DataBaseCenter.h"
#include "HttpFileDownloadCenter.h"
#include "HttpRequestCenter.h"
#include "LoginAndAuthCenter.h"
#include "NotificationNames.h"
#include "PcSim.h"
#include "QuickTransferAnimationViewController.h"
#include "RuntimeState.h"
#include "TestServices.h"
#include "ToastCenter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using Panel = QuickTransferAnimationViewController;

class TestTransferPanel : public QObject
{
    Q_OBJECT

    PcSim m_pc;
    std::unique_ptr<TestCore> m_t;
    std::unique_ptr<ToastCenter> m_toasts;
    std::unique_ptr<NotificationRecorder> m_rec;
    std::unique_ptr<Panel> m_panel;
    QElapsedTimer m_clock;

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
        QVERIFY(root.mkpath(u"C:/p/Holiday"_s));
        writeFile(u"C:/p/notes.pdf"_s, 20000);
        writeFile(u"C:/p/report.doc"_s, 6000000);
        writeFile(u"C:/p/film.mp4"_s, 6000000);
        writeFile(u"C:/p/clip.mp4"_s, 300000);
        writeFile(u"C:/p/song.mp3"_s, 6000000);
        writeFile(u"C:/p/beach.jpg"_s, 3000);
        writeFile(u"C:/p/a.jpg"_s, 2000);
        writeFile(u"C:/p/b.pdf"_s, 4000);
    }

    void init()
    {
        m_pc.control(u"reset"_s);
        m_t = std::make_unique<TestCore>(m_pc.config());
        m_toasts = std::make_unique<ToastCenter>();
        m_rec = std::make_unique<NotificationRecorder>(
            m_t->hub(),
            QStringList{Notifications::DoDownloadFile, Notifications::DeleteQuickTransfer,
                        Notifications::RefreshQuickTransferList});
        createServices(*m_t);
        QSignalSpy disks(HttpRequestCenter::sharedInstance(), &HttpRequestCenter::diskInfoFinished);
        LoginAndAuthCenter::sharedInstance()->startLogin();
        QTRY_COMPARE_WITH_TIMEOUT(m_t->core->runtimeState()->status(), quint64(AppStatusAuthorized),
                                  10000);
        QTRY_COMPARE(disks.count(), 1);
        m_rec->clear();
    }

    void cleanup()
    {
        m_panel.reset();
        m_rec.reset();
        m_t.reset();
        m_toasts.reset();
    }

    void timelineShowsTheResultAtTheEarliestAfterTheOpening_data()
    {
        QTest::addColumn<int>("answerDelay");
        QTest::addColumn<int>("shownFrom");
        QTest::addColumn<int>("shownBy");
        QTest::newRow("arrives at 0.3 s, shown at about 2.5 s") << 300 << 2450 << 2900;
        QTest::newRow("arrives at 4 s, shown at once") << 4000 << 3700 << 4500;
    }
    void timelineShowsTheResultAtTheEarliestAfterTheOpening()
    {
        QFETCH(int, answerDelay);
        QFETCH(int, shownFrom);
        QFETCH(int, shownBy);
        select({{u"type"_s, u"text"_s}, {u"text"_s, u"周末见"_s}});
        m_pc.fault(u"cgi/pc_shake.mo"_s, u"delay"_s, answerDelay);
        Panel *panel = shake();
        QList<QPair<Panel::Stage, qint64>> stages;
        connect(panel, &Panel::stageChanged, this, [&] {
            stages.append({panel->stage(), m_clock.elapsed()});
        });
        QCOMPARE(panel->stage(), Panel::Opening);
        QCOMPARE(panel->airplaneStatus(), 0);
        QVERIFY(!panel->isCanRetry());

        const qint64 shown = waitForOutcome();
        QVERIFY2(shown >= shownFrom && shown <= shownBy, qPrintable(QString::number(shown)));
        QCOMPARE(panel->stage(), Panel::Result);
        QCOMPARE(panel->kind(), Panel::TextKind);
        QCOMPARE(panel->contentTitle(), u"周末见"_s);
        QCOMPARE(panel->airplaneStatus(), 1);
        QVERIFY(panel->isCanRetry());
        QCOMPARE(m_rec->count(Notifications::RefreshQuickTransferList), 1);

        // Panel in over 0.5 s, the plane's 1.0 s, then the waiting state.
        QVERIFY(stages.size() >= 3);
        QCOMPARE(stages[0].first, Panel::Flying);
        QVERIFY2(stages[0].second >= 480 && stages[0].second < 800,
                 qPrintable(QString::number(stages[0].second)));
        QCOMPARE(stages[1].first, Panel::Waiting);
        QVERIFY2(stages[1].second >= 1480 && stages[1].second < 1900,
                 qPrintable(QString::number(stages[1].second)));
        QCOMPARE(panel->planeFrames().size(), 12);
        QCOMPARE(panel->planeFrames().last(), u"main_qt_airplane11.png"_s);
        QCOMPARE(panel->fireFrames(), QStringList({u"main_qt_fire0.png"_s, u"main_qt_fire1.png"_s,
                                                   u"main_qt_fire2.png"_s}));
        QCOMPARE(panel->waitingText(), u"正在快传到手机"_s);
    }

    void everyKindShowsItsContentAndButtons_data()
    {
        QTest::addColumn<QJsonObject>("selection");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("detail");
        // share, success, left+right, bottom
        QTest::addColumn<QString>("buttons");
        QTest::addColumn<QString>("bottomTitle");
        QTest::newRow("link") << QJsonObject{{u"type"_s, u"url"_s},
                                             {u"url"_s, u"http://example.org/a"_s},
                                             {u"title"_s, u"新闻"_s}}
                              << int(Panel::LinkKind) << u"main_qt_icon_url.png"_s << u"新闻"_s
                              << u"http://example.org/a"_s << u"ss"_s << QString();
        QTest::newRow("link without title")
            << QJsonObject{{u"type"_s, u"url"_s}, {u"url"_s, u"http://example.org/b"_s}}
            << int(Panel::LinkKind) << u"main_qt_icon_url.png"_s << u"无标题"_s
            << u"http://example.org/b"_s << u"ss"_s << QString();
        QTest::newRow("small document")
            << QJsonObject{{u"type"_s, u"file"_s}, {u"path"_s, u"C:/p/notes.pdf"_s}}
            << int(Panel::DocumentKind) << u"main_qt_icon_doc.png"_s << u"notes.pdf"_s
            << u"20.0KB"_s << u"ss"_s << QString();
        QTest::newRow("large document")
            << QJsonObject{{u"type"_s, u"file"_s}, {u"path"_s, u"C:/p/report.doc"_s}}
            << int(Panel::DocumentKind) << u"main_qt_icon_doc.png"_s << u"report.doc"_s
            << u"6.0MB"_s << u"b"_s << u"下载到手机"_s;
        QTest::newRow("large video")
            << QJsonObject{{u"type"_s, u"file"_s}, {u"path"_s, u"C:/p/film.mp4"_s}}
            << int(Panel::MediaKind) << u"qt_video.png"_s << u"film.mp4"_s << u"6.0MB"_s << u"lr"_s
            << QString();
        QTest::newRow("small video")
            << QJsonObject{{u"type"_s, u"file"_s}, {u"path"_s, u"C:/p/clip.mp4"_s}}
            << int(Panel::MediaKind) << u"qt_video.png"_s << u"clip.mp4"_s << u"300.0KB"_s
            << u"ss"_s << QString();
        QTest::newRow("large music")
            << QJsonObject{{u"type"_s, u"file"_s}, {u"path"_s, u"C:/p/song.mp3"_s}}
            << int(Panel::MediaKind) << u"qt_music.png"_s << u"song.mp3"_s << u"6.0MB"_s << u"lr"_s
            << QString();
        QTest::newRow("folder") << QJsonObject{{u"type"_s, u"folder"_s},
                                               {u"path"_s, u"C:/p/Holiday"_s}}
                                << int(Panel::FolderKind) << u"main_qt_icon_folder.png"_s
                                << u"Holiday"_s << QString() << u"b"_s << u"打开文件夹"_s;
        QTest::newRow("image") << QJsonObject{{u"type"_s, u"file"_s},
                                              {u"path"_s, u"C:/p/beach.jpg"_s}}
                               << int(Panel::ImageKind) << QString() << u"beach.jpg"_s << QString()
                               << u"ss"_s << QString();
    }
    void everyKindShowsItsContentAndButtons()
    {
        QFETCH(QJsonObject, selection);
        QFETCH(int, kind);
        QFETCH(QString, icon);
        QFETCH(QString, title);
        QFETCH(QString, detail);
        QFETCH(QString, buttons);
        QFETCH(QString, bottomTitle);
        m_t->core->runtimeState()->setPcName(u"书房"_s);
        select(selection);
        Panel *panel = shake();
        QVERIFY(waitForOutcome() > 0);
        QCOMPARE(panel->stage(), Panel::Result);
        QCOMPARE(int(panel->kind()), kind);
        QCOMPARE(panel->contentIcon(), icon);
        QCOMPARE(panel->contentTitle(), title);
        QCOMPARE(panel->contentDetail(), detail);
        QCOMPARE(panel->shareVisible(), buttons == u"ss");
        QCOMPARE(panel->successVisible(), buttons == u"ss");
        QCOMPARE(panel->leftRightVisible(), buttons == u"lr");
        QCOMPARE(panel->bottomVisible(), buttons == u"b");
        QCOMPARE(panel->bottomTitle(), bottomTitle);
        QCOMPARE(panel->fromText(), u"来自：书房的电脑"_s);
        if (kind == Panel::ImageKind) {
            QVERIFY(panel->pictureSource().isLocalFile());
            QVERIFY(QFile::exists(panel->pictureSource().toLocalFile()));
        }
    }

    void senderFallsBackToTheWifiName()
    {
        select({{u"type"_s, u"text"_s}, {u"text"_s, u"x"_s}});
        Panel *panel = shake();
        m_t->core->runtimeState()->setPcName(QString());
        m_t->core->runtimeState()->setLastSsid(u"ZephyrWiFi"_s);
        QCOMPARE(panel->fromText(), u"来自：ZephyrWiFi的电脑"_s);
    }

    void failureOffersRetryByButtonAndByShake()
    {
        m_pc.fault(u"cgi/pc_shake.mo"_s, u"garbage"_s);
        Panel *panel = shake();
        QSignalSpy vibrate(panel, &Panel::vibrate);
        QSignalSpy again(panel, &Panel::getQuickTransfer);
        // A shake during the opening does nothing.
        QTest::qWait(800);
        m_t->hub()->post(Notifications::DeviceShaked);
        QVERIFY(!panel->isClosing());
        const qint64 shown = waitForOutcome();
        QVERIFY2(shown >= 2450 && shown < 2900, qPrintable(QString::number(shown)));
        QCOMPARE(panel->stage(), Panel::Failed);
        QCOMPARE(panel->failureText(), u"抱歉，没能抓到电脑屏幕上的内容~"_s);
        QCOMPARE(panel->failedImage(), u"main_qt_failed.png"_s);

        m_t->hub()->post(Notifications::DeviceShaked);
        QCOMPARE(vibrate.count(), 1);
        close();
        QCOMPARE(again.count(), 1);

        // The retry button, once the PC no longer counts the phone as its administrator.
        m_pc.fault(u"cgi/pc_shake.mo"_s, u"garbage"_s);
        panel = shake();
        QSignalSpy again2(panel, &Panel::getQuickTransfer);
        QVERIFY(waitForOutcome() > 0);
        panel->tappedRetryButton();
        m_t->core->runtimeState()->setStatus(AppStatusLoggedIn);
        close();
        QCOMPARE(again2.count(), 0);
        QCOMPARE(m_toasts->title(), u"您已被取消管理员权限"_s);
        QCOMPARE(m_toasts->toastDuration(), 2000);
    }

    void aCoveredPanelIgnoresShakes()
    {
        select({{u"type"_s, u"url"_s}, {u"url"_s, u"http://example.org/"_s}});
        Panel *panel = shake();
        QSignalSpy web(panel, &Panel::openWebPage);
        QVERIFY(waitForOutcome() > 0);
        panel->tappedContentButton();
        QCOMPARE(web.count(), 1);
        QCOMPARE(web.first().first().toUrl(), QUrl(u"http://example.org/"_s));
        QVERIFY(panel->isSelfViewConvered());
        m_t->hub()->post(Notifications::DeviceShaked);
        QVERIFY(!panel->isClosing());
        panel->coverClosed();
        m_t->hub()->post(Notifications::DeviceShaked);
        QVERIFY(panel->isClosing());
    }

    void unknownSelectionShowsTheScreenshot()
    {
        select({{u"type"_s, u"unknown"_s}});
        Panel *panel = shake();
        QVERIFY(waitForOutcome() > 0);
        QCOMPARE(panel->stage(), Panel::Unknown);
        QVERIFY(panel->isQuickTransferUnknown());
        QCOMPARE(panel->unknownText(),
                 u"当前只能摇到电脑桌面截屏哟~\n更多惊喜请选择一个文件或打开网页摇一摇试试吧"_s);
        QTRY_COMPARE_WITH_TIMEOUT(panel->kind(), Panel::ImageKind, 10000);
        QVERIFY(QFile::exists(panel->pictureSource().toLocalFile()));
        QCOMPARE(panel->stage(), Panel::Unknown);
        // A late answer of another fetch changes nothing.
        auto other = QuickTransferObject::create();
        other->type = QuickTransferTypeText;
        other->dt = u"late"_s;
        m_t->hub()->post(Notifications::GetNewQuickTransfer,
                         {{u"object"_s, QVariant::fromValue(other)}});
        QCOMPARE(panel->quickTransferObject()->type, quint64(QuickTransferTypeImage));
    }

    void screenshotTheLockedPcCannotTakeIsAToast()
    {
        select({{u"type"_s, u"unknown"_s}});
        m_pc.fault(u"cgi/pc_screencut.mo"_s, u"garbage"_s);
        Panel *panel = shake();
        QVERIFY(waitForOutcome() > 0);
        QCOMPARE(panel->stage(), Panel::Unknown);
        QTRY_COMPARE_WITH_TIMEOUT(m_toasts->title(), u"电脑在锁屏或休眠状态下无法抓取屏幕"_s,
                                  10000);
        QCOMPARE(panel->kind(), Panel::NoKind);
    }

    void largeVideoOfferedAndDeclinedLeavesNoHistory()
    {
        select({{u"type"_s, u"file"_s}, {u"path"_s, u"C:/p/film.mp4"_s}});
        Panel *panel = shake();
        QVERIFY(waitForOutcome() > 0);
        QCOMPARE(panel->leftTitle(), u"立即播放"_s);
        QCOMPARE(panel->rightTitle(), u"下载到手机"_s);
        const quint64 id = panel->quickTransferObject()->identifier;
        QVERIFY(id > 0);
        QCOMPARE(storedIds(), QList<quint64>{id});
        QCOMPARE(m_rec->count(Notifications::DoDownloadFile), 0);

        // Playing streams it from the PC while it is not on the phone.
        QSignalSpy play(panel, &Panel::playMedia);
        panel->tappedLeftButton();
        QCOMPARE(play.count(), 1);
        const QUrl url = play.first().first().toUrl();
        QVERIFY2(url.scheme() == u"http" && url.path().endsWith(u"film.mp4"),
                 qPrintable(url.toString()));

        panel->tappedCloseButton();
        close();
        QCOMPARE(m_rec->last(Notifications::DeleteQuickTransfer).value(u"arrayId"_s).toList(),
                 QVariantList{id});
        QCOMPARE(storedIds(), QList<quint64>{});
    }

    void largeVideoDownloadedWithTheRightButtonAlone()
    {
        select({{u"type"_s, u"files"_s},
                {u"paths"_s, QJsonArray{u"C:/p/a.jpg"_s, u"C:/p/film.mp4"_s, u"C:/p/b.pdf"_s}}});
        Panel *panel = shake();
        QVERIFY(waitForOutcome() > 0);
        QCOMPARE(panel->kind(), Panel::MediaKind);
        QCOMPARE(panel->quickTransferArray().size(), 2);
        QCOMPARE(m_rec->count(Notifications::DoDownloadFile), 0);
        panel->tappedRightButton();
        QVERIFY(panel->isStartDownload());
        QCOMPARE(m_rec->count(Notifications::DoDownloadFile), 1);
        QCOMPARE(m_rec->last(Notifications::DoDownloadFile)
                     .value(u"object"_s)
                     .value<QuickTransferObjectPtr>(),
                 panel->quickTransferObject());
        close();
        QCOMPARE(m_rec->count(Notifications::DeleteQuickTransfer), 0);
        QCOMPARE(storedIds().size(), 3);
    }

    void largeDocumentOfThreeFiles_data()
    {
        QTest::addColumn<bool>("download");
        QTest::newRow("bottom button downloads all three") << true;
        QTest::newRow("closing deletes all three") << false;
    }
    void largeDocumentOfThreeFiles()
    {
        QFETCH(bool, download);
        select({{u"type"_s, u"files"_s},
                {u"paths"_s, QJsonArray{u"C:/p/a.jpg"_s, u"C:/p/report.doc"_s, u"C:/p/b.pdf"_s}}});
        Panel *panel = shake();
        QVERIFY(waitForOutcome() > 0);
        QCOMPARE(panel->kind(), Panel::DocumentKind);
        QVERIFY(panel->bottomVisible());
        const QList<quint64> ids = storedIds();
        QCOMPARE(ids.size(), 3);
        if (download) {
            panel->tappedBottomButton();
            close();
            QCOMPARE(m_rec->count(Notifications::DoDownloadFile), 3);
            QCOMPARE(m_rec->count(Notifications::DeleteQuickTransfer), 0);
            QTRY_COMPARE_WITH_TIMEOUT(HttpFileDownloadCenter::sharedInstance()->runningCount() +
                                          HttpFileDownloadCenter::sharedInstance()->waitingCount(),
                                      0, 10000);
            QCOMPARE(storedIds().size(), 3);
        } else {
            panel->tappedCloseButton();
            close();
            QCOMPARE(m_rec->count(Notifications::DoDownloadFile), 0);
            QVariantList expected{panel->quickTransferObject()->identifier};
            for (const auto &r : panel->quickTransferArray())
                expected << r->identifier;
            QCOMPARE(m_rec->last(Notifications::DeleteQuickTransfer).value(u"arrayId"_s).toList(),
                     expected);
            QCOMPARE(storedIds(), QList<quint64>{});
        }
    }

    void smallFilesOfSeveralDownloadAtOnce()
    {
        select(
            {{u"type"_s, u"files"_s}, {u"paths"_s, QJsonArray{u"C:/p/b.pdf"_s, u"C:/p/a.jpg"_s}}});
        Panel *panel = shake();
        QVERIFY(waitForOutcome() > 0);
        QCOMPARE(panel->kind(), Panel::DocumentKind);
        QCOMPARE(m_rec->count(Notifications::DoDownloadFile), 2);
        panel->tappedCloseButton();
        close();
        QCOMPARE(m_rec->count(Notifications::DeleteQuickTransfer), 0);
    }

    void imageWhoseDownloadFailsEarlyShowsTheFailure()
    {
        select({{u"type"_s, u"file"_s}, {u"path"_s, u"C:/p/beach.jpg"_s}});
        m_pc.fault(u"pc"_s, u"close"_s);
        Panel *panel = shake();
        QTRY_VERIFY_WITH_TIMEOUT(panel->isDownloadFileFailed(), 5000);
        QVERIFY(panel->stage() < Panel::Result);
        const qint64 shown = waitForOutcome();
        QVERIFY2(shown >= 2450 && shown < 2900, qPrintable(QString::number(shown)));
        QCOMPARE(panel->stage(), Panel::Failed);
    }

    void imageTheManagerDropsShowsTheFailure()
    {
        HttpFileDownloadCenter::sharedInstance()->setFreeSpaceProvider([] { return quint64(0); });
        select({{u"type"_s, u"file"_s}, {u"path"_s, u"C:/p/beach.jpg"_s}});
        Panel *panel = shake();
        QVERIFY(waitForOutcome() > 0);
        QCOMPARE(panel->stage(), Panel::Failed);
    }

    void pcThatStopsAnsweringEndsInTheFailure_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("the answer") << u"cgi/pc_shake.mo"_s;
        QTest::newRow("the image's download") << u"pc"_s;
    }
    void pcThatStopsAnsweringEndsInTheFailure()
    {
        QFETCH(QString, target);
        select({{u"type"_s, u"file"_s}, {u"path"_s, u"C:/p/beach.jpg"_s}});
        m_pc.fault(target, u"hang"_s);
        Panel *panel = shake(3500);
        const qint64 shown = waitForOutcome();
        QVERIFY2(shown >= 3300 && shown < 4500, qPrintable(QString::number(shown)));
        QCOMPARE(panel->stage(), Panel::Failed);
        QVERIFY(panel->isCanRetry());
        m_pc.fault(target, u"clear"_s);
    }

    void pcThatGoesAwayEndsInTheFailure()
    {
        select({{u"type"_s, u"text"_s}, {u"text"_s, u"x"_s}});
        m_pc.fault(u"cgi/pc_shake.mo"_s, u"hang"_s);
        Panel *panel = shake();
        QTest::qWait(200);
        m_t->core->runtimeState()->setStatus(AppStatusNotLoggedIn);
        const qint64 shown = waitForOutcome();
        QVERIFY2(shown >= 2450 && shown < 2900, qPrintable(QString::number(shown)));
        QCOMPARE(panel->stage(), Panel::Failed);
        m_pc.fault(u"cgi/pc_shake.mo"_s, u"clear"_s);
    }

    void contentButtons()
    {
        // A text opens the text screen once the panel has gone.
        select({{u"type"_s, u"text"_s}, {u"text"_s, u"长文本"_s}});
        Panel *panel = shake();
        QVERIFY(waitForOutcome() > 0);
        QSignalSpy text(panel, &Panel::openText);
        QSignalSpy share(panel, &Panel::shareText);
        panel->tappedShareButton();
        QCOMPARE(share.count(), 1);
        QCOMPARE(share.first().first().toString(), u"长文本"_s);
        panel->tappedContentButton();
        QCOMPARE(text.count(), 0);
        close();
        QCOMPARE(text.count(), 1);
        QCOMPARE(text.first().first().toString(), u"长文本"_s);

        // A folder opens the PC browser on its path.
        select({{u"type"_s, u"folder"_s}, {u"path"_s, u"C:/p/Holiday"_s}});
        panel = shake();
        QVERIFY(waitForOutcome() > 0);
        QSignalSpy directory(panel, &Panel::openDirectory);
        panel->tappedBottomButton();
        close();
        QCOMPARE(directory.count(), 1);
        QCOMPARE(directory.first().first().toString(), u"C:/p/Holiday"_s);

        // A large document is previewed only once it is on the phone.
        select({{u"type"_s, u"file"_s}, {u"path"_s, u"C:/p/report.doc"_s}});
        panel = shake();
        QVERIFY(waitForOutcome() > 0);
        QSignalSpy preview(panel, &Panel::previewDocument);
        panel->tappedContentButton();
        QCOMPARE(preview.count(), 0);
        QCOMPARE(m_toasts->title(), u"文件下载完毕才能预览"_s);
    }

    void shareOfAFileWaitsForItsDownload()
    {
        select({{u"type"_s, u"file"_s}, {u"path"_s, u"C:/p/notes.pdf"_s}});
        m_pc.fault(u"pc"_s, u"delay"_s, 3500);
        Panel *panel = shake();
        QVERIFY(waitForOutcome() > 0);
        QSignalSpy openIn(panel, &Panel::openIn);
        panel->tappedShareButton();
        QVERIFY(panel->isSharing());
        QVERIFY(panel->isSelfViewConvered());
        QVERIFY(m_toasts->isProgressVisible());
        QTRY_COMPARE_WITH_TIMEOUT(openIn.count(), 1, 10000);
        QVERIFY(QFile::exists(openIn.first().first().toString()));
        QVERIFY(!m_toasts->isProgressVisible());
    }

    void shareWaitEnds_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("the connection drops the download") << u"status"_s;
        QTest::newRow("the download hangs past the limit") << u"hang"_s;
        QTest::newRow("the manager drops it") << u"drop"_s;
    }
    void shareWaitEnds()
    {
        QFETCH(QString, how);
        select({{u"type"_s, u"file"_s}, {u"path"_s, u"C:/p/notes.pdf"_s}});
        if (how == u"drop")
            HttpFileDownloadCenter::sharedInstance()->setFreeSpaceProvider(
                [] { return quint64(0); });
        else
            m_pc.fault(u"pc"_s, how == u"status" ? u"delay"_s : u"hang"_s, 3000);
        Panel *panel = shake(3000);
        QVERIFY(waitForOutcome() > 0);
        QCOMPARE(panel->stage(), Panel::Result);
        QSignalSpy openIn(panel, &Panel::openIn);
        panel->tappedShareButton();
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
