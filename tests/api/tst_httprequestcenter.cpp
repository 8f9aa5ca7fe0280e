#include "AppCore.h"
#include "DefaultsKeys.h"
#include "DeviceInfoCenter.h"
#include "HttpRequestCenter.h"
#include "KeyedArchive.h"
#include "LoginAndAuthCenter.h"
#include "NotificationNames.h"
#include "PcSim.h"
#include "QuickTransferObject.h"
#include "RuntimeState.h"
#include "TestCore.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
// Every answer the coordinator posts, so that stray ones show in the recorded order.
const QStringList kAnswers =
    QStringList() << Notifications::CancelHttpRequest << Notifications::GetVolumeFinished
                  << Notifications::GetIsPptExistFinished << Notifications::LockScreenFinished
                  << Notifications::ShutdownPcFinished << Notifications::GetDirectoryListFinished
                  << Notifications::GetDirectoryFolderListFinished
                  << Notifications::DeleteFileFinished << Notifications::RenameFileFinished
                  << Notifications::MoveFileFinished << Notifications::GetScreenshotFinished
                  << Notifications::SaveQuickTransfer << Notifications::DoDownloadFile
                  << Notifications::RefreshQuickTransferList << Notifications::GetClientListFinished
                  << Notifications::UpdateLimitRateFinished << Notifications::OperateClientFinished
                  << Notifications::SubmitFeedbackFinished << Notifications::AppStatusChanged;

QJsonObject client(const QString &mac, const QString &ip, int admin)
{
    return {{u"mac"_s, mac}, {u"ip"_s, ip}, {u"name"_s, mac}, {u"isadmin"_s, admin}};
}

QStringList names(const QVariant &records)
{
    QStringList out;
    for (const QVariant &v : records.toList())
        out << v.value<FileObjectPtr>()->name;
    return out;
}
} // namespace

class TestHttpRequestCenter : public QObject
{
    Q_OBJECT
private:
    PcSim m_pc;
    std::unique_ptr<TestCore> m_t;
    std::unique_ptr<NotificationRecorder> m_rec;

    HttpRequestCenter *center() const { return HttpRequestCenter::sharedInstance(); }
    RuntimeState *state() const { return m_t->core->runtimeState(); }

    void newCore() { newCore(m_pc.config()); }
    void newCore(const AppConfig &overrides)
    {
        m_rec.reset();
        m_t = std::make_unique<TestCore>(overrides);
        // The coordinator and the login, without the download manager: answers are checked as
        // the coordinator leaves them.
        const AppConfig &config = m_t->core->config();
        m_t->make<LoginAndAuthCenter>(*m_t->hub(), *state(), m_t->core->userDefaults(),
                                      config.pcPort);
        auto *network = m_t->make<QNetworkAccessManager>();
        m_t->make<HttpRequestCenter>(*m_t->hub(), *state(), m_t->core->userDefaults(), *network,
                                     config.feedbackUrl, config.statsUrl);
        m_rec = std::make_unique<NotificationRecorder>(m_t->hub(), kAnswers);
        center()->setRequestTimeout(1500);
        LoginAndAuthCenter::sharedInstance()->setReadTimeout(1500);
    }

    // Logs in and authorises; the information fetched on authorisation has arrived.
    void authorise()
    {
        QSignalSpy wifi(center(), &HttpRequestCenter::wifiInfoFinished);
        QSignalSpy disks(center(), &HttpRequestCenter::diskInfoFinished);
        LoginAndAuthCenter::sharedInstance()->startLogin();
        QTRY_COMPARE_WITH_TIMEOUT(state()->status(), quint64(AppStatusAuthorized), 10000);
        QTRY_COMPARE(wifi.count() + disks.count(), 2);
        QCOMPARE(center()->pendingRequestCount(), 0);
        m_rec->clear();
    }

    // Waits for one @p name, checks no second one follows, and that no request is left over.
    QVariantMap answerOf(const QString &name)
    {
        [&] { QTRY_COMPARE_WITH_TIMEOUT(m_rec->count(name), 1, 8000); }();
        QTest::qWait(30);
        [&] { QCOMPARE(m_rec->count(name), 1); }();
        [&] { QTRY_COMPARE(center()->pendingRequestCount(), 0); }();
        return m_rec->last(name);
    }

    void writePcFiles(const QStringList &names)
    {
        for (const QString &name : names) {
            QFile f(QDir(m_pc.rootPath()).filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("x");
        }
    }

    void writeDownloadTree()
    {
        QVERIFY(QDir(m_pc.rootPath()).mkpath(u"C:/get/sub"_s));
        writePcFiles({u"C:/get/a.txt"_s, u"C:/get/b.jpg"_s, u"C:/get/sub/c.txt"_s});
    }

    // The PC paths of the records posted under @p name, in order.
    QStringList postedPaths(const QString &name) const
    {
        QStringList out;
        for (int i = 0; i < m_rec->posted.size(); ++i)
            if (m_rec->posted[i] == name)
                out << m_rec->payloads[i][u"object"_s].value<QuickTransferObjectPtr>()->path;
        return out;
    }

    // How many requests for @p route the PC has had.
    int requests(const QString &route) { return m_pc.state()[u"requests"_s][route].toInt(); }

    QJsonObject lastOperation()
    {
        return m_pc.state()[u"operations"_s].toArray().last().toObject();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_pc.start(), qPrintable(m_pc.errorString()));
        QDir root(m_pc.rootPath());
        QVERIFY(root.mkpath(u"E:"_s) && root.mkpath(u"C:/Docs # 1 & more"_s));
        QVERIFY(root.mkpath(u"D:"_s) && root.mkpath(u"Desktop"_s));
        QFile(root.filePath(u"D:/.removable"_s)).open(QIODevice::WriteOnly);
    }

    void init()
    {
        m_pc.control(u"reset"_s);
        newCore();
    }

    void cleanup()
    {
        m_rec.reset();
        m_t.reset();
    }

    void authorisationFetchesPcInformationAndDisks()
    {
        authorise();
        QCOMPARE(state()->shareDir(), u"C:/Share"_s);
        QStringList disks;
        for (const FileObjectPtr &f : state()->diskArray())
            disks << f->name;
        QCOMPARE(disks, (QStringList{u"C:"_s, u"D:"_s, u"E:"_s}));
        QVERIFY(state()->desktopFile());
        QCOMPARE(state()->desktopFile()->path, u"Desktop"_s);
    }

    void statusChangesCancelAndRefetch()
    {
        authorise();
        const int listed = requests(u"cgi/dir_list.mo"_s);
        m_pc.fault(u"cgi/dir_list.mo"_s, u"hang"_s);
        center()->getDirectoryList(u"C:/"_s);
        QTRY_COMPARE(requests(u"cgi/dir_list.mo"_s), listed + 1);
        const int infoBefore = requests(u"cgi/wifi_info.mo"_s);
        state()->setStatus(AppStatusLoggedIn);
        // The cancelled listing answered at once, as a failure, and nothing was fetched.
        QCOMPARE(m_rec->count(Notifications::GetDirectoryListFinished), 1);
        QCOMPARE(m_rec->last(Notifications::GetDirectoryListFinished)[u"array"_s].toList().size(),
                 0);
        QCOMPARE(center()->pendingRequestCount(), 0);
        state()->setStatus(AppStatusAuthorized);
        QCOMPARE(center()->pendingRequestCount(), 2);
        QTRY_COMPARE(center()->pendingRequestCount(), 0);
        QCOMPARE(requests(u"cgi/wifi_info.mo"_s), infoBefore + 1);
    }

    void volumeOutOfRangeIsNoAnswer()
    {
        authorise();
        m_pc.control(u"volume"_s, {{u"volume"_s, 120}});
        center()->getVolume();
        QVERIFY(answerOf(Notifications::GetVolumeFinished).isEmpty());
    }

    // A failed presentation query posts nothing; only its signal tells a waiting caller.
    void failedPresentationQueryOnlySignals()
    {
        authorise();
        m_pc.fault(u"cgi/pc_procinfo.mo"_s, u"notjson"_s);
        QSignalSpy pptDone(center(), &HttpRequestCenter::isPptOpenFinished);
        center()->getIsPptOpen();
        QTRY_COMPARE(center()->pendingRequestCount(), 0);
        QCOMPARE(m_rec->count(Notifications::GetIsPptExistFinished), 0);
        QCOMPARE(pptDone.size(), 1);
        QCOMPARE(pptDone.first().first().toBool(), false);
    }

    void shutdownIsCounted()
    {
        authorise();
        center()->shutdownPCAfter(7200);
        QCOMPARE(answerOf(Notifications::ShutdownPcFinished)[u"isSuccessed"_s], QVariant(true));
        QCOMPARE(lastOperation()[u"sec"_s].toString(), u"7200"_s);
        QVERIFY(DeviceInfoCenter::getStatisticsString().contains(u"#gj_1#"_s));
    }

    void cancellingTheShutdownStopsOnlyIt()
    {
        authorise();
        m_pc.fault(u"http"_s, u"delay"_s, 300, 2);
        center()->shutdownPCAfter(60);
        center()->getVolume();
        center()->stopShutdownPC();
        QCOMPARE(m_rec->last(Notifications::ShutdownPcFinished)[u"isSuccessed"_s], QVariant(false));
        QVERIFY(answerOf(Notifications::GetVolumeFinished).contains(u"volume"_s));
        QCOMPARE(m_rec->count(Notifications::ShutdownPcFinished), 1);
    }

    void listings()
    {
        authorise();
        QVERIFY(QDir(m_pc.rootPath()).mkpath(u"C:/work/sub"_s));
        writePcFiles({u"C:/work/a.txt"_s, u"C:/work/b.txt"_s, u"C:/work/c.txt"_s});
        center()->getDirectoryFolderList(u"C:/work"_s);
        QCOMPARE(names(answerOf(Notifications::GetDirectoryFolderListFinished)[u"array"_s]),
                 QStringList{u"sub"_s});
        // The disk list through the folder listing keeps drives of type 2 and the desktop.
        m_rec->clear();
        center()->getDirectoryFolderList(u"/"_s);
        QCOMPARE(names(answerOf(Notifications::GetDirectoryFolderListFinished)[u"array"_s]),
                 (QStringList{u"C:"_s, u"E:"_s, u"桌面"_s}));

        // A name with "#", "&" and spaces reaches the PC whole.
        m_rec->clear();
        center()->getDirectoryList(u"C:/Docs # 1 & more"_s);
        QCOMPARE(answerOf(Notifications::GetDirectoryListFinished)[u"result"_s], QVariant(true));
    }

    void downloadOfAFileIsSavedHandedOverAndRefreshed()
    {
        authorise();
        writeDownloadTree();
        QSignalSpy listed(center(), &HttpRequestCenter::directoryFileListToDownloadFinished);
        FileObject file;
        file.path = u"C:/get/a.txt"_s;
        file.size = 5;
        center()->downloadFileOrDirectroy(file);
        QCOMPARE(m_rec->posted,
                 (QStringList{Notifications::SaveQuickTransfer, Notifications::DoDownloadFile,
                              Notifications::RefreshQuickTransferList}));
        const auto record = m_rec->payloads[0][u"object"_s].value<QuickTransferObjectPtr>();
        QCOMPARE(record, m_rec->payloads[1][u"object"_s].value<QuickTransferObjectPtr>());
        QCOMPARE(record->size, 5u);
        QCOMPARE(record->localPath, u"C:/get/a.txt"_s);
        QVERIFY(listed.isEmpty());
    }

    void downloadOfAFolderTakesItsDirectFiles_data()
    {
        QTest::addColumn<quint64>("type");
        QTest::addColumn<QString>("fault");
        QTest::newRow("folder") << quint64(FileObject::Folder) << QString();
        // An answer without "err" is a successful one; a drive is listed like a folder.
        QTest::newRow("drive, answer without err") << quint64(FileObject::Drive) << u"noerr"_s;
    }
    void downloadOfAFolderTakesItsDirectFiles()
    {
        QFETCH(quint64, type);
        QFETCH(QString, fault);
        authorise();
        writeDownloadTree();
        if (!fault.isEmpty())
            m_pc.fault(u"cgi/dir_list.mo"_s, fault);
        QSignalSpy listed(center(), &HttpRequestCenter::directoryFileListToDownloadFinished);
        FileObject folder;
        folder.path = u"C:/get"_s;
        folder.type = type;
        center()->downloadFileOrDirectroy(folder);
        QVERIFY(m_rec->posted.isEmpty());
        QVERIFY(listed.wait());
        // The answer carries the folder's path; its sub-folder's files are not taken.
        QCOMPARE(listed.takeFirst(), (QVariantList{u"C:/get"_s, true, 2}));
        QCOMPARE(postedPaths(Notifications::SaveQuickTransfer),
                 postedPaths(Notifications::DoDownloadFile));
        QCOMPARE(postedPaths(Notifications::DoDownloadFile),
                 (QStringList{u"C:/get/a.txt"_s, u"C:/get/b.jpg"_s}));
        QCOMPARE(m_rec->posted.last(), Notifications::RefreshQuickTransferList);
        QCOMPARE(center()->pendingRequestCount(), 0);
    }

    void folderDownloadOfAFileOrAnUnusableAnswerTakesNothing()
    {
        authorise();
        writeDownloadTree();
        QSignalSpy listed(center(), &HttpRequestCenter::directoryFileListToDownloadFinished);
        for (const QString &kind : {QString(), u"wrongkind"_s}) {
            m_rec->clear();
            if (!kind.isEmpty())
                m_pc.fault(u"cgi/dir_list.mo"_s, kind);
            center()->getDirectoryFileListToDownload(kind.isEmpty() ? u"C:/get/a.txt"_s
                                                                    : u"C:/get"_s);
            QVERIFY(listed.wait());
            QCOMPARE(listed.takeFirst().at(1), QVariant(false));
            QVERIFY(m_rec->posted.isEmpty());
        }
    }

    void folderDownloadIsCancelledWithTheFolderListing()
    {
        authorise();
        writeDownloadTree();
        QSignalSpy listed(center(), &HttpRequestCenter::directoryFileListToDownloadFinished);
        m_pc.fault(u"cgi/dir_list.mo"_s, u"hang"_s);
        center()->getDirectoryFileListToDownload(u"C:/get"_s);
        QTRY_COMPARE(m_pc.state()[u"faults"_s].toArray().size(), 0);
        center()->stopGetDirectoryList(u"C:/get"_s);
        QCOMPARE(listed.size(), 1);
        QCOMPARE(listed.takeFirst(), (QVariantList{u"C:/get"_s, false, 0}));
        QCOMPARE(center()->pendingRequestCount(), 0);
        QCOMPARE(m_rec->count(Notifications::DoDownloadFile), 0);
    }

    void cancellationByTag()
    {
        authorise();
        const int listed = requests(u"cgi/dir_list.mo"_s);
        m_pc.fault(u"http"_s, u"hang"_s, 0, 0);
        center()->getDirectoryList(u"C:/a"_s);
        center()->getDirectoryList(u"C:/b"_s);
        center()->submitFeedbackText(u"hello"_s, {});
        QTRY_COMPARE(requests(u"cgi/dir_list.mo"_s), listed + 2);
        center()->stopGetDirectoryList({});
        center()->stopGetDirectoryList(u"C:/a"_s);
        QCOMPARE(m_rec->count(Notifications::GetDirectoryListFinished), 1);
        QCOMPARE(m_rec->last(Notifications::GetDirectoryListFinished)[u"path"_s],
                 QVariant(u"C:/a"_s));
        QCOMPARE(center()->pendingRequestCount(), 2);
        // A general cancellation stops the PC request, not the outside service.
        m_t->hub()->post(Notifications::CancelHttpRequest);
        QCOMPARE(m_rec->count(Notifications::GetDirectoryListFinished), 2);
        QCOMPARE(center()->pendingRequestCount(), 1);
        QCOMPARE(m_rec->count(Notifications::SubmitFeedbackFinished), 0);
        QCOMPARE(answerOf(Notifications::SubmitFeedbackFinished)[u"isSuccess"_s], QVariant(false));
    }

    void faultsEndInFailureOnce_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : {"close", "notjson", "wrongkind", "hang", "403"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void faultsEndInFailureOnce()
    {
        QFETCH(QString, kind);
        authorise();
        // Without a limit: the HTTP client may try again on a fresh connection.
        m_pc.fault(u"cgi/pc_lock.mo"_s, kind, 0, 0);
        center()->lockScreen();
        QCOMPARE(answerOf(Notifications::LockScreenFinished)[u"isScreenLocked"_s], QVariant(false));
        QCOMPARE(state()->status(),
                 quint64(kind == u"403"_s ? AppStatusNotLoggedIn : AppStatusAuthorized));
    }

    void refusalDuringListing()
    {
        authorise();
        m_pc.fault(u"cgi/dir_list.mo"_s, u"403"_s);
        m_pc.fault(u"cgi/pc_volum.mo"_s, u"hang"_s);
        center()->getVolume();
        center()->getDirectoryList(u"C:/"_s);
        // The refusal drops the login, which cancels the other pending request.
        QVERIFY(answerOf(Notifications::GetVolumeFinished).isEmpty());
        QCOMPARE(answerOf(Notifications::GetDirectoryListFinished)[u"result"_s], QVariant(false));
        QCOMPARE(state()->status(), quint64(AppStatusNotLoggedIn));
    }

    void identityHeaderOnlyWithToken()
    {
        m_pc.control(u"strict"_s, {{u"strict"_s, true}});
        // Not logged in: nothing reaches the network, the answer comes before returning.
        center()->getVolume();
        QCOMPARE(m_rec->count(Notifications::GetVolumeFinished), 1);
        QVERIFY(m_rec->last(Notifications::GetVolumeFinished).isEmpty());
        QCOMPARE(center()->pendingRequestCount(), 0);
        QCOMPARE(requests(u"cgi/pc_volum.mo"_s), 0);

        // A base address but no token: no identity, and the strict PC refuses.
        state()->setApi(m_pc.api);
        state()->setStatus(AppStatusLoggedIn);
        m_rec->clear();
        center()->getVolume();
        QVERIFY(answerOf(Notifications::GetVolumeFinished).isEmpty());
        QCOMPARE(state()->status(), quint64(AppStatusNotLoggedIn));

        // After the authorisation the identity carries a token the PC accepts.
        authorise();
        center()->getVolume();
        QVERIFY(answerOf(Notifications::GetVolumeFinished).contains(u"volume"_s));
    }

    void screenshot()
    {
        authorise();
        center()->getScreenshot();
        const QVariantMap info = answerOf(Notifications::GetScreenshotFinished);
        QCOMPARE(info[u"isSuccess"_s], QVariant(true));
        QCOMPARE(m_rec->posted,
                 (QStringList{Notifications::SaveQuickTransfer, Notifications::DoDownloadFile,
                              Notifications::RefreshQuickTransferList,
                              Notifications::GetScreenshotFinished}));
        const auto record = info[u"object"_s].value<QuickTransferObjectPtr>();
        QVERIFY(record);
        const QString path = record->path;
        const QString local = record->localPath;
        QVERIFY2(
            QRegularExpression(QRegularExpression::escape(path.chopped(4)) + u"\\d{13}\\.png$"_s)
                .match(local)
                .hasMatch(),
            qPrintable(local));
        QCOMPARE(record->size, quint64(102400));
        QCOMPARE(record->type, quint64(QuickTransferTypeImage));
        QVERIFY(DeviceInfoCenter::getStatisticsString().contains(u"#sw_1#"_s));

        m_rec->clear();
        m_pc.fault(u"cgi/pc_screencut.mo"_s, u"wrongkind"_s);
        center()->getScreenshot();
        QCOMPARE(answerOf(Notifications::GetScreenshotFinished),
                 (QVariantMap{{u"isSuccess"_s, false}}));
        QCOMPARE(m_rec->posted, QStringList{Notifications::GetScreenshotFinished});
    }

    void clientListPutsAdministratorAndPhoneFirst_data()
    {
        QTest::addColumn<bool>("ownAddressKnown");
        QTest::addColumn<QStringList>("order");
        // Administrator first, then the phone's own entry swapped to the front.
        QTest::newRow("own address known") << true << QStringList{u"m3"_s, u"m1"_s, u"m2"_s};
        // No entry is the phone's own, not even those without an address: the administrator
        // stays first.
        QTest::newRow("own address unknown") << false << QStringList{u"m2"_s, u"m1"_s, u"m3"_s};
    }
    void clientListPutsAdministratorAndPhoneFirst()
    {
        QFETCH(bool, ownAddressKnown);
        const QJsonObject noAddress{{u"mac"_s, u"m4"_s}, {u"name"_s, u"m4"_s}, {u"isadmin"_s, 0}};
        m_pc.control(
            u"clients"_s,
            {{u"clients"_s,
              QJsonArray{client(u"m1"_s, u"10.0.0.5"_s, 0), client(u"m2"_s, u"10.0.0.6"_s, 1),
                         client(u"m3"_s, u"127.0.0.1"_s, 0), noAddress, client(u"m5"_s, u""_s, 0)}},
             {u"blocks"_s, QJsonArray{client(u"b1"_s, u"10.0.0.9"_s, 0)}}});
        if (!ownAddressKnown) {
            AppConfig config = m_pc.config();
            config.wifiAddressOverride = std::optional<QString>();
            newCore(config);
        }
        authorise();
        center()->getClientList();
        const QVariantMap list = answerOf(Notifications::GetClientListFinished);
        QStringList macs;
        for (const QVariant &c : list[u"client"_s].toList())
            macs << c.toMap()[u"mac"_s].toString();
        QFETCH(QStringList, order);
        QCOMPARE(macs, order << u"m4"_s << u"m5"_s);
        QCOMPARE(list[u"block"_s].toList().size(), 1);
    }

    void feedback_data()
    {
        QTest::addColumn<int>("err");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("draftAfter");
        QTest::newRow("too often")
            << 3 << QString() << u"您提交太频繁了，请稍后再试"_s << u"draft"_s;
        QTest::newRow("accepted") << 0 << QString() << u"提交成功"_s << QString();
        QTest::newRow("not JSON") << 0 << u"notjson"_s << u"提交失败"_s << u"draft"_s;
    }
    void feedback()
    {
        QFETCH(int, err);
        QFETCH(QString, fault);
        UserDefaults &defaults = m_t->core->userDefaults();
        defaults.setValue(DefaultsKeys::FeedbackContent, u"draft"_s);
        m_pc.control(u"feedback"_s, {{u"errno"_s, err}});
        if (!fault.isEmpty())
            m_pc.fault(u"wifiapp/feedback"_s, fault);
        center()->submitFeedbackText(u"太慢 & #1"_s, u"me@x"_s);
        QTEST(answerOf(Notifications::SubmitFeedbackFinished)[u"message"_s].toString(), "message");
        QTEST(defaults.stringForKey(DefaultsKeys::FeedbackContent), "draftAfter");
        if (!fault.isEmpty())
            return; // the faulty PC keeps no record
        const QJsonObject sent = m_pc.state()[u"feedback"_s].toArray().last().toObject();
        QCOMPARE(sent[u"method"_s].toString(), u"POST"_s);
        QCOMPARE(sent[u"query"_s][u"pid"_s].toString(), u"Zephyrwifiandroid"_s);
        QCOMPARE(sent[u"fields"_s][u"txt_1"_s].toString(), u"太慢 & #1"_s);
        QCOMPARE(sent[u"fields"_s][u"contact_text"_s].toString(), u"me@x"_s);
        QCOMPARE(sent[u"fields"_s][u"app"_s].toString(), u"Zephyrwifiapp"_s);
    }

    void statisticsWaitForTheGuideAndAUsableAnswer()
    {
        const QString deviceId = m_t->deviceId();
        QVERIFY(!deviceId.isEmpty());
        UserDefaults &defaults = m_t->core->userDefaults();
        DeviceInfoCenter::increaseStatisticsByKey(DeviceInfoCenter::StatAppStart);
        DeviceInfoCenter::increaseStatisticsByKey(DeviceInfoCenter::StatScreenshotScreen);
        // The first-launch guide is not completed: nothing is sent.
        HttpRequestCenter::commitStatisticsIfDue();
        QCOMPARE(center()->pendingRequestCount(), 0);

        m_t->core->completeFirstLaunchGuide();
        m_pc.fault(u"AppStore/getIsUpdate"_s, u"wrongkind"_s);
        HttpRequestCenter::commitStatisticsIfDue();
        QTRY_COMPARE(center()->pendingRequestCount(), 0);
        QVERIFY(!defaults.contains(DefaultsKeys::LastCommitStatisticsDate));
        QVERIFY(defaults.contains(DefaultsKeys::StatisticsDictionary));

        // The counts of the failed report are sent with the next one, then reset.
        const QString report = DeviceInfoCenter::getStatisticsString();
        HttpRequestCenter::commitStatisticsIfDue();
        QTRY_VERIFY(defaults.contains(DefaultsKeys::LastCommitStatisticsDate));
        QVERIFY(!defaults.contains(DefaultsKeys::StatisticsDictionary));
        const QJsonObject params = m_pc.state()[u"stats"_s].toArray().last().toObject();
        QCOMPARE(params[u"s"_s].toString(), report);
        QVERIFY(report.startsWith(u"kp_1#"_s) && report.endsWith(u"#js_1"_s));
        QCOMPARE(params[u"m"_s].toString(), deviceId);
        QCOMPARE(params[u"t"_s].toString(), u"auto_release"_s);
    }

    void statisticsGoOncePerDay()
    {
        UserDefaults &defaults = m_t->core->userDefaults();
        m_t->core->completeFirstLaunchGuide();
        HttpRequestCenter::commitStatisticsIfDue();
        QTRY_VERIFY(defaults.contains(DefaultsKeys::LastCommitStatisticsDate));
        QTRY_COMPARE(center()->pendingRequestCount(), 0);
        const int before = requests(u"AppStore/getIsUpdate"_s);
        HttpRequestCenter::commitStatisticsIfDue();
        QCOMPARE(center()->pendingRequestCount(), 0);
        defaults.setValue(DefaultsKeys::LastCommitStatisticsDate,
                          QDateTime::currentDateTime().addDays(-1));
        HttpRequestCenter::commitStatisticsIfDue();
        QTRY_COMPARE(requests(u"AppStore/getIsUpdate"_s), before + 1);
    }

    // A successful report takes off what it carried; what was counted while it was on its way
    // is reported the next time.
    void countsMadeDuringTheReportStay()
    {
        m_t->core->completeFirstLaunchGuide();
        DeviceInfoCenter::increaseStatisticsByKey(DeviceInfoCenter::StatAppStart);
        DeviceInfoCenter::increaseStatisticsByKey(DeviceInfoCenter::StatAppStart);
        DeviceInfoCenter::increaseStatisticsByKey(DeviceInfoCenter::StatRemoteControl);
        m_pc.fault(u"AppStore/getIsUpdate"_s, u"delay"_s, 500);
        HttpRequestCenter::commitStatisticsIfDue();
        QCOMPARE(center()->pendingRequestCount(), 1);
        DeviceInfoCenter::increaseStatisticsByKey(DeviceInfoCenter::StatAppStart);
        DeviceInfoCenter::increaseStatisticsByKey(DeviceInfoCenter::StatQuickTransferFetch);
        QTRY_COMPARE(center()->pendingRequestCount(), 0);

        UserDefaults &defaults = m_t->core->userDefaults();
        QVERIFY(defaults.contains(DefaultsKeys::LastCommitStatisticsDate));
        QVERIFY(m_pc.state()[u"stats"_s].toArray().last()[u"s"_s].toString().startsWith(
            u"kp_2#xp_0#yp_0#yy_0#sz_0#sw_0#jj_0#fj_0#jr_0#jc_0#gj_0#xm_1#"_s));
        QCOMPARE(DeviceInfoCenter::getStatisticsString(),
                 u"kp_1#xp_0#yp_0#yy_1#sz_0#sw_0#jj_0#fj_0#jr_0#jc_0#gj_0#xm_0#aj_0#wp_0#cs_0#"
                 "lw_0#ty_0#jk_0#jp_0#js_0"_s);
        QVERIFY(defaults.contains(DefaultsKeys::StatisticsDictionary));
    }
};

QTEST_GUILESS_MAIN(TestHttpRequestCenter)
#include "tst_httprequestcenter.moc"
