#include "DefaultsKeys.h"
#include "HttpRequestCenter.h"
#include "LoginAndAuthCenter.h"
#include "NotificationNames.h"
#include "PcSim.h"
#include "QuickTransferObject.h"
#include "RuntimeState.h"
#include "TestCore.h"

#include <QFile>
#include <QJsonArray>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace N = Notifications;

namespace {
// Every answer the coordinator posts, so that stray ones show in the recorded order.
const QStringList kAnswers =
    QStringList() << N::CancelHttpRequest << N::GetVolumeFinished << N::GetIsPptExistFinished
                  << N::LockScreenFinished << N::ShutdownPcFinished << N::GetDirectoryListFinished
                  << N::GetDirectoryFolderListFinished << N::DeleteFileFinished
                  << N::RenameFileFinished << N::MoveFileFinished << N::GetScreenshotFinished
                  << N::SaveQuickTransfer << N::DoDownloadFile << N::RefreshQuickTransferList
                  << N::GetClientListFinished << N::UpdateLimitRateFinished
                  << N::OperateClientFinished << N::SubmitFeedbackFinished << N::AppStatusChanged;

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

    void newCore(const AppConfig &overrides)
    {
        m_rec.reset();
        m_t = std::make_unique<TestCore>(overrides);
        // Without the download manager: answers are checked as the coordinator leaves them.
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

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_pc.start(), qPrintable(m_pc.errorString()));
        QDir root(m_pc.rootPath());
        QVERIFY(root.mkpath(u"E:"_s) && root.mkpath(u"C:/Docs # 1 & more"_s));
        QVERIFY(root.mkpath(u"D:"_s) && root.mkpath(u"Desktop"_s));
        QVERIFY(root.mkpath(u"C:/get/sub"_s) && root.mkpath(u"C:/work/sub"_s));
        for (const QString &name : {u"D:/.removable"_s, u"C:/get/a.txt"_s, u"C:/get/b.jpg"_s,
                                    u"C:/get/sub/c.txt"_s, u"C:/work/a.txt"_s})
            QVERIFY(QFile(root.filePath(name)).open(QIODevice::WriteOnly));
    }

    // Every test but those named here starts authorised.
    void init()
    {
        m_pc.control(u"reset"_s);
        newCore(m_pc.config());
        const QByteArray test = QTest::currentTestFunction();
        if (!test.startsWith("identity") && !test.startsWith("feedback") &&
            !test.startsWith("statistics") && !test.startsWith("clientList"))
            authorise();
    }

    void cleanup()
    {
        m_rec.reset();
        m_t.reset();
    }

    void statusChangesCancelAndRefetch()
    {
        const int listed = requests(u"cgi/dir_list.mo"_s);
        m_pc.fault(u"cgi/dir_list.mo"_s, u"hang"_s);
        center()->getDirectoryList(u"C:/"_s);
        QTRY_COMPARE(requests(u"cgi/dir_list.mo"_s), listed + 1);
        const int infoBefore = requests(u"cgi/wifi_info.mo"_s);
        state()->setStatus(AppStatusLoggedIn);
        // The cancelled listing answers at once, as a failure.
        QCOMPARE(m_rec->count(N::GetDirectoryListFinished), 1);
        QVERIFY(m_rec->last(N::GetDirectoryListFinished)[u"array"_s].toList().isEmpty());
        QCOMPARE(center()->pendingRequestCount(), 0);
        state()->setStatus(AppStatusAuthorized);
        QCOMPARE(center()->pendingRequestCount(), 2);
        QTRY_COMPARE(center()->pendingRequestCount(), 0);
        QCOMPARE(requests(u"cgi/wifi_info.mo"_s), infoBefore + 1);
    }

    // A volume out of range is no answer; a failed presentation query posts nothing, only its
    // signal tells a waiting caller.
    void unusableAnswers()
    {
        m_pc.control(u"volume"_s, {{u"volume"_s, 120}});
        center()->getVolume();
        QVERIFY(answerOf(N::GetVolumeFinished).isEmpty());
        m_pc.fault(u"cgi/pc_procinfo.mo"_s, u"notjson"_s);
        QSignalSpy pptDone(center(), &HttpRequestCenter::isPptOpenFinished);
        center()->getIsPptOpen();
        QTRY_COMPARE(center()->pendingRequestCount(), 0);
        QCOMPARE(m_rec->count(N::GetIsPptExistFinished), 0);
        QCOMPARE(pptDone.size(), 1);
        QCOMPARE(pptDone.first().first().toBool(), false);
    }

    // A shutdown is counted; cancelling one stops it and nothing else.
    void shutdownAndItsCancellation()
    {
        m_pc.fault(u"http"_s, u"delay"_s, 300, 2);
        center()->shutdownPCAfter(60);
        center()->getVolume();
        center()->stopShutdownPC();
        QCOMPARE(m_rec->last(N::ShutdownPcFinished)[u"isSuccessed"_s], QVariant(false));
        QVERIFY(answerOf(N::GetVolumeFinished).contains(u"volume"_s));
        QCOMPARE(m_rec->count(N::ShutdownPcFinished), 1);
        center()->shutdownPCAfter(7200);
        QTRY_COMPARE(m_rec->count(N::ShutdownPcFinished), 2);
        QVERIFY(DeviceInfoCenter::getStatisticsString().contains(u"#gj_2#"_s));
    }

    // Authorisation fetched the share folder, the disks and the desktop; the folder list of "/"
    // keeps drives of type 2 and the desktop; "#", "&" and spaces reach the PC whole.
    void listings()
    {
        QCOMPARE(state()->shareDir(), u"C:/Share"_s);
        QCOMPARE(state()->desktopFile()->path, u"Desktop"_s);
        QCOMPARE(state()->diskArray().size(), 3);
        center()->getDirectoryFolderList(u"C:/work"_s);
        QCOMPARE(names(answerOf(N::GetDirectoryFolderListFinished)[u"array"_s]),
                 QStringList{u"sub"_s});
        m_rec->clear();
        center()->getDirectoryFolderList(u"/"_s);
        QCOMPARE(names(answerOf(N::GetDirectoryFolderListFinished)[u"array"_s]),
                 (QStringList{u"C:"_s, u"E:"_s, u"桌面"_s}));
        m_rec->clear();
        center()->getDirectoryList(u"C:/Docs # 1 & more"_s);
        QCOMPARE(answerOf(N::GetDirectoryListFinished)[u"result"_s], QVariant(true));
    }

    // The command-line tests take a folder's direct files; here a drive, listed like a folder,
    // answered without "err", and the order of what is posted.
    void downloadOfADriveTakesItsDirectFiles()
    {
        m_pc.fault(u"cgi/dir_list.mo"_s, u"noerr"_s);
        QSignalSpy listed(center(), &HttpRequestCenter::directoryFileListToDownloadFinished);
        FileObject folder;
        folder.path = u"C:/get"_s;
        folder.type = FileObject::Drive;
        center()->downloadFileOrDirectroy(folder);
        QVERIFY(m_rec->posted.isEmpty());
        QVERIFY(listed.wait());
        QCOMPARE(listed.takeFirst(), (QVariantList{u"C:/get"_s, true, 2}));
        QCOMPARE(postedPaths(N::SaveQuickTransfer), postedPaths(N::DoDownloadFile));
        QCOMPARE(postedPaths(N::DoDownloadFile),
                 (QStringList{u"C:/get/a.txt"_s, u"C:/get/b.jpg"_s}));
        QCOMPARE(m_rec->posted.last(), N::RefreshQuickTransferList);
        QCOMPARE(center()->pendingRequestCount(), 0);
    }

    void folderDownloadOfAFileOrAnUnusableAnswerTakesNothing()
    {
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

    // A listing is cancelled by its path, the folder download's listing too; a general
    // cancellation stops the PC's requests, not the outside service.
    void cancellationByTag()
    {
        QSignalSpy download(center(), &HttpRequestCenter::directoryFileListToDownloadFinished);
        const int listed = requests(u"cgi/dir_list.mo"_s);
        m_pc.fault(u"http"_s, u"hang"_s, 0, 0);
        center()->getDirectoryList(u"C:/a"_s);
        center()->getDirectoryList(u"C:/b"_s);
        center()->getDirectoryFileListToDownload(u"C:/get"_s);
        center()->submitFeedbackText(u"hello"_s, {});
        QTRY_COMPARE(requests(u"cgi/dir_list.mo"_s), listed + 3);
        center()->stopGetDirectoryList({});
        center()->stopGetDirectoryList(u"C:/a"_s);
        QCOMPARE(m_rec->count(N::GetDirectoryListFinished), 1);
        QCOMPARE(m_rec->last(N::GetDirectoryListFinished)[u"path"_s], QVariant(u"C:/a"_s));
        QVERIFY(download.isEmpty());
        center()->stopGetDirectoryList(u"C:/get"_s);
        QCOMPARE(download.size(), 1);
        QCOMPARE(download.takeFirst(), (QVariantList{u"C:/get"_s, false, 0}));
        QCOMPARE(m_rec->count(N::DoDownloadFile), 0);
        QCOMPARE(center()->pendingRequestCount(), 2);
        m_t->hub()->post(N::CancelHttpRequest);
        QCOMPARE(m_rec->count(N::GetDirectoryListFinished), 2);
        QCOMPARE(center()->pendingRequestCount(), 1);
        QCOMPARE(m_rec->count(N::SubmitFeedbackFinished), 0);
        QCOMPARE(answerOf(N::SubmitFeedbackFinished)[u"isSuccess"_s], QVariant(false));
    }

    void faultsEndInFailureOnce_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : {"close", "short", "notjson", "wrongkind", "hang", "403"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void faultsEndInFailureOnce()
    {
        QFETCH(QString, kind);
        // Without a limit: the HTTP client may try again on a fresh connection.
        m_pc.fault(u"cgi/pc_lock.mo"_s, kind, 0, 0);
        center()->lockScreen();
        QCOMPARE(answerOf(N::LockScreenFinished)[u"isScreenLocked"_s], QVariant(false));
        QCOMPARE(state()->status(),
                 quint64(kind == u"403"_s ? AppStatusNotLoggedIn : AppStatusAuthorized));
    }

    void identityHeaderOnlyWithToken()
    {
        m_pc.control(u"strict"_s, {{u"strict"_s, true}});
        // Not logged in: nothing reaches the network, the answer comes before returning.
        center()->getVolume();
        QCOMPARE(m_rec->count(N::GetVolumeFinished), 1);
        QVERIFY(m_rec->last(N::GetVolumeFinished).isEmpty());
        QCOMPARE(requests(u"cgi/pc_volum.mo"_s), 0);
        // A base address but no token: no identity, and the strict PC refuses.
        state()->setApi(m_pc.api);
        state()->setStatus(AppStatusLoggedIn);
        m_rec->clear();
        center()->getVolume();
        QVERIFY(answerOf(N::GetVolumeFinished).isEmpty());
        QCOMPARE(state()->status(), quint64(AppStatusNotLoggedIn));
        authorise();
        center()->getVolume();
        QVERIFY(answerOf(N::GetVolumeFinished).contains(u"volume"_s));
    }

    // The command-line tests cover the shot and its refusal; here a failure saves no record.
    void failedScreenshotSavesNoRecord()
    {
        m_pc.fault(u"cgi/pc_screencut.mo"_s, u"wrongkind"_s);
        center()->getScreenshot();
        QVERIFY(!answerOf(N::GetScreenshotFinished)[u"isSuccess"_s].toBool());
        QCOMPARE(m_rec->posted, QStringList{N::GetScreenshotFinished});
    }

    // The command-line tests cover the phone's own entry moved to the front. Without a known
    // address no entry is the phone's own, not even those without one: the administrator is
    // first.
    void clientListWithoutOwnAddress()
    {
        const QJsonObject noAddress{{u"mac"_s, u"m4"_s}, {u"name"_s, u"m4"_s}, {u"isadmin"_s, 0}};
        m_pc.control(
            u"clients"_s,
            {{u"clients"_s,
              QJsonArray{client(u"m1"_s, u"10.0.0.5"_s, 0), client(u"m2"_s, u"10.0.0.6"_s, 1),
                         client(u"m3"_s, u"127.0.0.1"_s, 0), noAddress, client(u"m5"_s, u""_s, 0)}},
             {u"blocks"_s, QJsonArray{client(u"b1"_s, u"10.0.0.9"_s, 0)}}});
        AppConfig config = m_pc.config();
        config.wifiAddressOverride = std::optional<QString>();
        newCore(config);
        authorise();
        center()->getClientList();
        const QVariantMap list = answerOf(N::GetClientListFinished);
        QStringList macs;
        for (const QVariant &c : list[u"client"_s].toList())
            macs << c.toMap()[u"mac"_s].toString();
        QCOMPARE(macs, (QStringList{u"m2"_s, u"m1"_s, u"m3"_s, u"m4"_s, u"m5"_s}));
        QCOMPARE(list[u"block"_s].toList().size(), 1);
    }

    // The settings screen's test covers the accepted form; here a failure keeps the draft.
    void feedbackKeepsTheDraftUntilAccepted()
    {
        UserDefaults &defaults = m_t->core->userDefaults();
        defaults.setValue(DefaultsKeys::FeedbackContent, u"draft"_s);
        m_pc.fault(u"wifiapp/feedback"_s, u"notjson"_s);
        center()->submitFeedbackText(u"太慢 & #1"_s, u"me@x"_s);
        QCOMPARE(answerOf(N::SubmitFeedbackFinished)[u"message"_s], QVariant(u"提交失败"_s));
        QCOMPARE(defaults.stringForKey(DefaultsKeys::FeedbackContent), u"draft"_s);
        m_rec->clear();
        center()->submitFeedbackText(u"太慢 & #1"_s, u"me@x"_s);
        QCOMPARE(answerOf(N::SubmitFeedbackFinished)[u"message"_s], QVariant(u"提交成功"_s));
        const QJsonObject sent = m_pc.state()[u"feedback"_s].toArray().last().toObject();
        QCOMPARE(sent[u"method"_s].toString(), u"POST"_s);
        QCOMPARE(sent[u"query"_s][u"pid"_s].toString(), u"Zephyrwifiandroid"_s);
        QCOMPARE(sent[u"fields"_s][u"app"_s].toString(), u"Zephyrwifiapp"_s);
    }

    // Reports wait for the guide and a usable answer, go once a day, and take off only the
    // counts they carried.
    void statistics()
    {
        const QString deviceId = m_t->deviceId();
        UserDefaults &defaults = m_t->core->userDefaults();
        DeviceInfoCenter::increaseStatisticsByKey(DeviceInfoCenter::StatAppStart);
        DeviceInfoCenter::increaseStatisticsByKey(DeviceInfoCenter::StatRemoteControl);
        HttpRequestCenter::commitStatisticsIfDue();
        QCOMPARE(center()->pendingRequestCount(), 0);
        m_t->core->completeFirstLaunchGuide();
        m_pc.fault(u"AppStore/getIsUpdate"_s, u"wrongkind"_s);
        HttpRequestCenter::commitStatisticsIfDue();
        QTRY_COMPARE(center()->pendingRequestCount(), 0);
        QVERIFY(!defaults.contains(DefaultsKeys::LastCommitStatisticsDate));

        // The counts of the failed report go with the next one; counts made meanwhile stay.
        const QString report = DeviceInfoCenter::getStatisticsString();
        m_pc.fault(u"AppStore/getIsUpdate"_s, u"delay"_s, 500);
        HttpRequestCenter::commitStatisticsIfDue();
        QCOMPARE(center()->pendingRequestCount(), 1);
        DeviceInfoCenter::increaseStatisticsByKey(DeviceInfoCenter::StatAppStart);
        DeviceInfoCenter::increaseStatisticsByKey(DeviceInfoCenter::StatAppStart);
        DeviceInfoCenter::increaseStatisticsByKey(DeviceInfoCenter::StatQuickTransferFetch);
        QTRY_COMPARE(center()->pendingRequestCount(), 0);
        QVERIFY(defaults.contains(DefaultsKeys::LastCommitStatisticsDate));
        const QJsonObject params = m_pc.state()[u"stats"_s].toArray().last().toObject();
        QCOMPARE(params[u"s"_s].toString(), report);
        QVERIFY(report.startsWith(u"kp_1#"_s) && report.contains(u"#xm_1#"_s));
        QCOMPARE(params[u"m"_s].toString(), deviceId);
        QCOMPARE(params[u"t"_s].toString(), u"auto_release"_s);
        const QString left = DeviceInfoCenter::getStatisticsString();
        QVERIFY(left.startsWith(u"kp_2#xp_0#yp_0#yy_1#"_s) && left.contains(u"#xm_0#"_s));
        // Once a day.
        const int before = requests(u"AppStore/getIsUpdate"_s);
        HttpRequestCenter::commitStatisticsIfDue();
        QCOMPARE(center()->pendingRequestCount(), 0);
        defaults.setValue(DefaultsKeys::LastCommitStatisticsDate,
                          QDateTime::currentDateTime().addDays(-1));
        HttpRequestCenter::commitStatisticsIfDue();
        QTRY_COMPARE(requests(u"AppStore/getIsUpdate"_s), before + 1);
    }
};

QTEST_GUILESS_MAIN(TestHttpRequestCenter)
#include "tst_httprequestcenter.moc"
