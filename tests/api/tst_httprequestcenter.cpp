// The HTTP layer: decoding and request texts on fixtures from the wire rules, one exchange
// against a scripted server, and the coordinator against the stand-in PC.
#include "DefaultsKeys.h"
#include "HttpAnswer.h"
#include "HttpRequestCenter.h"
#include "HttpRequestMethod.h"
#include "LoginAndAuthCenter.h"
#include "NotificationNames.h"
#include "PcSim.h"
#include "QuickTransferObject.h"
#include "RuntimeState.h"
#include "TestCore.h"
#include "Utils.h"

#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace Qt::StringLiterals;

namespace N = Notifications;

namespace {
// Answers every request with @c status and @c body, then Base64 filler up to @c bodySize bytes
// as fast as the client takes it, then closes.
class ScriptedServer : public QTcpServer
{
public:
    QByteArray status = "200 OK";
    QByteArray body;
    bool announceLength = true;
    qint64 bodySize = -1; // the body's own size when not set
    qint64 streamed = 0;

    ScriptedServer()
    {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *socket = nextPendingConnection();
            // Answered once, at the first bytes of the request.
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                socket->disconnect(this);
                answer(socket);
            });
        });
    }

private:
    void answer(QTcpSocket *socket)
    {
        const qint64 size = bodySize < 0 ? body.size() : bodySize;
        QByteArray head = "HTTP/1.1 " + status + "\r\nContent-Type: text/plain\r\n";
        if (announceLength)
            head += "Content-Length: " + QByteArray::number(size) + "\r\n";
        socket->write(head + "Connection: close\r\n\r\n" + body);
        streamed = body.size();
        const QByteArray chunk(64 * 1024, 'A');
        auto more = [this, socket, chunk, size] {
            while (socket->bytesToWrite() < 4 * chunk.size() && streamed < size) {
                const QByteArray part = chunk.left(size - streamed);
                socket->write(part);
                streamed += part.size();
            }
            if (streamed >= size && !socket->bytesToWrite())
                socket->disconnectFromHost();
        };
        connect(socket, &QTcpSocket::bytesWritten, socket, more);
        more();
    }
};

// Every answer the coordinator posts, so that stray ones show in the recorded order.
const QStringList kAnswers =
    QStringList() << N::CancelHttpRequest << N::GetVolumeFinished << N::GetIsPptExistFinished
                  << N::LockScreenFinished << N::ShutdownPcFinished << N::GetDirectoryListFinished
                  << N::GetDirectoryFolderListFinished << N::DeleteFileFinished
                  << N::RenameFileFinished << N::MoveFileFinished << N::GetScreenshotFinished
                  << N::SaveQuickTransfer << N::DoDownloadFile << N::RefreshQuickTransferList
                  << N::GetClientListFinished << N::UpdateLimitRateFinished
                  << N::OperateClientFinished << N::SubmitFeedbackFinished << N::AppStatusChanged;

} // namespace

class TestHttpRequestCenter : public QObject
{
    Q_OBJECT
private:
    PcSim m_pc;
    std::unique_ptr<TestCore> m_t;
    std::unique_ptr<NotificationRecorder> m_rec;
    QNetworkAccessManager m_manager;

    HttpRequestCenter *center() const { return HttpRequestCenter::sharedInstance(); }
    RuntimeState *state() const { return m_t->core->runtimeState(); }

    void newCore(const AppConfig &overrides)
    {
        m_rec.reset();
        m_t.reset();
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

    QStringList postedPaths(const QString &name) const
    {
        QStringList out;
        for (int i = 0; i < m_rec->posted.size(); ++i)
            if (m_rec->posted[i] == name)
                out << m_rec->payloads[i][u"object"_s].value<QuickTransferObjectPtr>()->path;
        return out;
    }

    int requests(const QString &route) { return m_pc.state()[u"requests"_s][route].toInt(); }

    // The answer of one GET of @p server; the callback must be called once.
    QVariant exchange(const ScriptedServer &server, const QString &tagStr = {})
    {
        int count = 0;
        QVariant answer;
        auto *request = new HttpRequestBase(
            {&m_manager, m_t->hub(), state(), {}, {}},
            [&](HttpRequestBase *, const QVariant &v) { ++count, answer = v; }, this);
        request->setTagStr(tagStr);
        request->setHttpRequestGetWithUrl(
            u"http://127.0.0.1:%1/cgi/dir_list.mo"_s.arg(server.serverPort()));
        [&] { QTRY_VERIFY_WITH_TIMEOUT(count > 0, 10000); }();
        QTest::qWait(20);
        delete request;
        [&] { QCOMPARE(count, 1); }();
        return answer;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_pc.start(), qPrintable(m_pc.errorString()));
        QDir root(m_pc.rootPath());
        QVERIFY(root.mkpath(u"C:/get/sub"_s));
        for (const QString &name : {u"C:/get/a.txt"_s, u"C:/get/b.jpg"_s, u"C:/get/sub/c.txt"_s})
            QVERIFY(QFile(root.filePath(name)).open(QIODevice::WriteOnly));
    }

    // Every test but the statistics ones starts authorised.
    void init()
    {
        m_pc.control(u"reset"_s);
        newCore(m_pc.config());
        if (!QByteArray(QTest::currentTestFunction()).startsWith("statistics"))
            authorise();
    }

    void statusChangesCancelAndRefetch()
    {
        m_pc.fault(u"cgi/dir_list.mo"_s, u"hang"_s);
        center()->getDirectoryList(u"C:/"_s);
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

    // Cancelling a shutdown stops it and nothing else; a new one goes out again.
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
    }

    // A drive answered without "err" gives its direct files (the command-line tests take a
    // folder's); an unusable answer takes nothing.
    void folderDownloads_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("taken");
        QTest::newRow("drive") << u"C:/get"_s << u"noerr"_s
                               << QStringList{u"C:/get/a.txt"_s, u"C:/get/b.jpg"_s};
        QTest::newRow("unusable answer") << u"C:/get"_s << u"wrongkind"_s << QStringList();
    }
    void folderDownloads()
    {
        QFETCH(QString, path);
        QFETCH(QString, fault);
        QFETCH(QStringList, taken);
        if (!fault.isEmpty())
            m_pc.fault(u"cgi/dir_list.mo"_s, fault);
        QSignalSpy listed(center(), &HttpRequestCenter::directoryFileListToDownloadFinished);
        FileObject folder;
        folder.path = path;
        folder.type = FileObject::Drive;
        center()->downloadFileOrDirectroy(folder);
        QVERIFY(m_rec->posted.isEmpty());
        QVERIFY(listed.wait());
        QCOMPARE(listed.takeFirst(), (QVariantList{path, !taken.isEmpty(), taken.size()}));
        QCOMPARE(postedPaths(N::SaveQuickTransfer), taken);
        QCOMPARE(postedPaths(N::DoDownloadFile), taken);
        QCOMPARE(m_rec->posted.isEmpty() ? QString() : m_rec->posted.last(),
                 taken.isEmpty() ? QString() : N::RefreshQuickTransferList);
        QCOMPARE(center()->pendingRequestCount(), 0);
    }

    // Listings are cancelled by path; a general cancellation spares the outside service.
    void cancellationByTag()
    {
        const int listed = requests(u"cgi/dir_list.mo"_s);
        m_pc.fault(u"http"_s, u"hang"_s, 0, 0);
        center()->getDirectoryList(u"C:/a"_s);
        center()->getDirectoryList(u"C:/b"_s);
        center()->submitFeedbackText(u"hello"_s, {});
        QTRY_COMPARE(requests(u"cgi/dir_list.mo"_s), listed + 2);
        center()->stopGetDirectoryList({});
        center()->stopGetDirectoryList(u"C:/a"_s);
        QCOMPARE(m_rec->count(N::GetDirectoryListFinished), 1);
        QCOMPARE(m_rec->last(N::GetDirectoryListFinished)[u"path"_s], QVariant(u"C:/a"_s));
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

    // Requests carry the token the authorisation gave, in the identity a strict PC checks (a
    // refusal ending the login is a row of the faults).
    void identityCarriesTheToken()
    {
        m_pc.control(u"strict"_s, {{u"strict"_s, true}});
        center()->getVolume();
        QVERIFY(answerOf(N::GetVolumeFinished).contains(u"volume"_s));
    }

    // The command-line tests cover the phone's own entry first; without a known address none
    // is the phone's own, not even those without one: the administrator is first.
    void clientListWithoutOwnAddress()
    {
        const QJsonDocument clients = QJsonDocument::fromJson(R"([{"mac":"m1","ip":"10.0.0.5"},
            {"mac":"m2","ip":"10.0.0.6","isadmin":1}, {"mac":"m3","ip":"127.0.0.1"},
            {"mac":"m4"}, {"mac":"m5","ip":""}])");
        m_pc.control(u"clients"_s, {{u"clients"_s, clients.array()}});
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
    }

    // Reports wait for the guide, go once a day, and take off only the counts they carried.
    void statistics()
    {
        UserDefaults &defaults = m_t->core->userDefaults();
        for (const int key : {DeviceInfoCenter::StatAppStart, DeviceInfoCenter::StatRemoteControl})
            DeviceInfoCenter::increaseStatisticsByKey(key);
        HttpRequestCenter::commitStatisticsIfDue();
        QCOMPARE(center()->pendingRequestCount(), 0);
        m_t->core->completeFirstLaunchGuide();
        m_pc.fault(u"AppStore/getIsUpdate"_s, u"wrongkind"_s);
        HttpRequestCenter::commitStatisticsIfDue();
        QTRY_COMPARE(requests(u"AppStore/getIsUpdate"_s), 1);
        QTRY_COMPARE(center()->pendingRequestCount(), 0);
        QVERIFY(!defaults.contains(DefaultsKeys::LastCommitStatisticsDate));
        // The counts of the failed report go with the next one; a count made meanwhile stays.
        const QString report = DeviceInfoCenter::getStatisticsString();
        QVERIFY(report.startsWith(u"kp_1#"_s) && report.contains(u"#xm_1#"_s));
        m_pc.fault(u"AppStore/getIsUpdate"_s, u"delay"_s, 500);
        HttpRequestCenter::commitStatisticsIfDue();
        QCOMPARE(center()->pendingRequestCount(), 1);
        DeviceInfoCenter::increaseStatisticsByKey(DeviceInfoCenter::StatAppStart);
        QTRY_COMPARE(center()->pendingRequestCount(), 0);
        QCOMPARE(m_pc.state()[u"stats"_s].toArray().last()[u"s"_s].toString(), report);
        const QString left = DeviceInfoCenter::getStatisticsString();
        QVERIFY(left.startsWith(u"kp_1#"_s) && left.contains(u"#xm_0#"_s));
        HttpRequestCenter::commitStatisticsIfDue();
        QCOMPARE(center()->pendingRequestCount(), 0);
    }

    // A report made before the keychain has named the phone waits for its identifier.
    void statisticsNameThePhone()
    {
        m_t->core->completeFirstLaunchGuide();
        HttpRequestCenter::commitStatisticsIfDue();
        QTRY_COMPARE(requests(u"AppStore/getIsUpdate"_s), 1);
        const QString sent = m_pc.state()[u"stats"_s].toArray().last()[u"m"_s].toString();
        QVERIFY(!sent.isEmpty());
        QCOMPARE(sent, m_t->deviceId());
    }

    // Qt makes every status from 400 an error: the body is still decoded, also an outside
    // service's plain JSON; only a 403 of the PC drops the login.
    void answersOfEveryStatusAreDecoded_data()
    {
        QTest::addColumn<QByteArray>("status");
        QTest::addColumn<QString>("tag");
        QTest::newRow("200") << "200 OK"_ba << QString();
        QTest::newRow("401") << "401 Unauthorized"_ba << QString();
        QTest::newRow("403") << "403 Forbidden"_ba << QString();
        QTest::newRow("407") << "407 Proxy Authentication Required"_ba << QString();
        QTest::newRow("outside service, 400") << "400 Bad Request"_ba << HttpTags::PlainJson;
    }
    void answersOfEveryStatusAreDecoded()
    {
        QFETCH(QByteArray, status);
        QFETCH(QString, tag);
        ScriptedServer server;
        server.status = status;
        const QByteArray json = R"({"err":1,"msg":"refused","data":{}})";
        server.body = tag.isEmpty() ? Utils::negated(json).toBase64() : json;
        const QVariantMap answer = exchange(server, tag).toMap();
        QCOMPARE(answer.value(u"err"_s), QVariant(1));
        QCOMPARE(answer.value(u"msg"_s), QVariant(u"refused"_s));
        QCOMPARE(state()->status(),
                 quint64(status.startsWith("403") ? AppStatusNotLoggedIn : AppStatusAuthorized));
    }

    // An answer over the cap (real ones stay near 5 MB) is refused once known, the rest unread;
    // one under it is read whole.
    void answerSizes_data()
    {
        QTest::addColumn<bool>("announced");
        QTest::addColumn<bool>("over");
        QTest::newRow("over, announced length") << true << true;
        QTest::newRow("over, bytes received") << false << true;
        QTest::newRow("under, announced length") << true << false;
    }
    void answerSizes()
    {
        QFETCH(bool, announced);
        QFETCH(bool, over);
        ScriptedServer server;
        server.announceLength = announced;
        if (over) {
            server.bodySize = qint64(256) << 20;
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(u"answer of .*dir_list.mo is over 64 MiB"_s));
            QVERIFY(!exchange(server).isValid());
            const qint64 read = announced ? 0 : HttpRequestBase::MaxAnswerBytes;
            QVERIFY2(server.streamed < read + (qint64(16) << 20),
                     qPrintable(QString::number(server.streamed)));
            return;
        }
        const QByteArray entries = '"' + QByteArray(6 << 20, 'x') + '"';
        server.body = Utils::negated(R"({"err":0,"data":{"files":[)" + entries + "]}}").toBase64();
        const QVariantMap answer = exchange(server).toMap();
        const QVariantList files = answer.value(u"data"_s).toMap().value(u"files"_s).toList();
        QCOMPARE(files.size(), 1);
        QCOMPARE(files.first().toString().size(), 6 << 20);
    }

    // The PC's Base64 of complemented JSON (mended where not quite JSON), plain JSON (read over a
    // socket by the status table), images.
    void decoding()
    {
        const auto value = [](const QByteArray &body, const QString &tag = {}) {
            return HttpAnswer::decode(tag, 200, body).value;
        };
        const QByteArray volume = "hN2ajY3dxc/T3Zuei57dxYTdiZCTipLdxczIgoI="; // {"err":0,...}
        QCOMPARE(value(volume).toMap()[u"data"_s].toMap()[u"volum"_s], QVariant(37));
        // {"t":"a<CR>\nb","u":"it\'s"}: neither is JSON until rewritten.
        QCOMPARE(value("hN2L3cXdnvKjkZ3d092K3cXdlouj2Izdgg=="),
                 QVariant(QVariantMap{{u"t"_s, u"a\nb"_s}, {u"u"_s, u"it's"_s}}));
        QCOMPARE(value("pM7TzaI=").toList().size(), 2); // [1,2] reaches the caller unchanged
        // Invalid UTF-8, non-JSON, non-Base64, empty bodies and plain JSON give none.
        for (const QByteArray &bad : {"hN2L3cXdAN2C"_ba, "w5eLkpPB"_ba, "%%% not base64 %%%"_ba,
                                      QByteArray(), R"({"err":0})"_ba})
            QVERIFY2(!value(bad).isValid(), bad.constData());
        QVERIFY(!value("<html>", HttpTags::PlainJson).isValid());
        const QByteArray png("\x89PNG\r\n\x1a\n....", 12);
        QCOMPARE(value(png, HttpTags::Image).toByteArray(), png);
        QVERIFY(!value({}, HttpTags::Image).isValid());
        // An outside service's 403 is no refusal of the PC's (the status table takes the PC's).
        QVERIFY(!HttpAnswer::decode(HttpTags::PlainJson, 403, {}).dropsLogin);
    }

    // Known answers for what reaches the PC: what may not stand in a URL ("#" included) is
    // escaped in queries, reserved characters are kept; forms escape all but letters, digits
    // and "-._"; an empty path list is an empty array rather than a lone bracket.
    void requestTexts()
    {
        const QString base = u"http://h/cgi/x.mo"_s;
        QCOMPARE(HttpRequestBase::buildGetUrl(base, {{u"name"_s, u"a&b c"_s}}),
                 QByteArray("http://h/cgi/x.mo?name=a%26b%20c"));
        QCOMPARE(HttpRequestBase::escapeQueryValue(u"C:/a=b+c?d;e,f@g$h!i'j(k)*~"_s),
                 QByteArray("C:/a=b+c?d;e,f@g$h!i'j(k)*~"));
        QCOMPARE(HttpRequestBase::escapeQueryValue(u"\"%<>[\\]^`{|}#"_s),
                 QByteArray("%22%25%3C%3E%5B%5C%5D%5E%60%7B%7C%7D%23"));
        QCOMPARE(HttpRequestBase::escapeQueryValue(u"桌面\t"_s),
                 QByteArray("%E6%A1%8C%E9%9D%A2%09"));
        QCOMPARE(HttpRequestBase::escapeFormComponent(u":/?#[]@!$ &'()*+,;=\"<>%{}|\\^~`"_s),
                 QByteArray("%3A%2F%3F%23%5B%5D%40%21%24%20%26%27%28%29%2A%2B%2C%3B%3D%22%3C"
                            "%3E%25%7B%7D%7C%5C%5E%7E%60"));
        QCOMPARE(HttpRequestBase::escapeFormComponent(u"Az09-._é"_s), QByteArray("Az09-._%C3%A9"));
        QCOMPARE(HttpRequestBase::buildFormBody({{u"files"_s, u"[\"C:/a b\"]"_s}, {u"x"_s, 1}}),
                 QByteArray("files=%5B%22C%3A%2Fa%20b%22%5D&x=1"));
        QCOMPARE(HttpRequestMethod::pathListText({}), u"[]"_s);
    }
};

QTEST_GUILESS_MAIN(TestHttpRequestCenter)
#include "tst_httprequestcenter.moc"
