#include "ControlDatagram.h"
#include "DatagramFixtures.h"
#include "DefaultsKeys.h"
#include "DeviceInfoCenter.h"
#include "JsonUtils.h"
#include "NotificationNames.h"
#include "QuickTransferObject.h"
#include "RuntimeState.h"
#include "TestCore.h"
#include "UDPCenter.h"

#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

#include <optional>

using namespace Qt::StringLiterals;
using Fixtures::datagramOf;

namespace {
const QString kPcMid = u"0123456789ABCDEF0123456789ABCDEF"_s;
const QString kPcUa = u"PC;3.0;Windows;ZEPHYR-PC;127.0.0.1;8360;%1;;"_s.arg(kPcMid);

quint16 freeUdpPort()
{
    QUdpSocket probe;
    return probe.bind(QHostAddress::LocalHost, 0) ? probe.localPort() : 0;
}

QByteArray pushOf(int cm, const QString &dt, const QString &ua = kPcUa)
{
    return datagramOf(u"{\"cm\":%1,\"ua\":\"%2\",\"dt\":%3}"_s.arg(cm).arg(ua, dt).toUtf8());
}

// The channel as the start-up makes it: created with the core's state and ports, then started.
UDPCenter *makeCenter(TestCore &t)
{
    auto *center = t.make<UDPCenter>(*t.hub(), *t.core->runtimeState(), t.core->config().udpPort,
                                     t.core->config().pcPort);
    center->start();
    return center;
}
} // namespace

/// The channel over loopback sockets; a plain QUdpSocket plays the PC.
class TestUDPCenter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void sendsEveryMessageToThePc();
    void echoCarriesTheRequestIdentity();
    void nothingIsSentWithoutPcAddress();
    void standingChanges_data();
    void standingChanges();
    void pushesFromOtherMachinesAreDropped();
    void pushedTextsAndFilesBecomeRecords();
    void brokenDatagramsAreDropped();
    void boundPortTakenIsRetried();

private:
    std::optional<QVariantMap> nextAtPc();
    void pushToPhone(const QByteArray &datagram);
    /// Lets the datagrams sent so far arrive and be handled.
    void settle();

    std::unique_ptr<QUdpSocket> m_pc;
    std::unique_ptr<TestCore> m_core;
    UDPCenter *m_center = nullptr;
};

void TestUDPCenter::init()
{
    m_pc = std::make_unique<QUdpSocket>();
    QVERIFY(m_pc->bind(QHostAddress::LocalHost, 0));
    AppConfig config;
    config.pcPort = m_pc->localPort();
    config.udpPort = freeUdpPort();
    config.pcAddressOverride = std::optional<QString>(u"127.0.0.1"_s);
    m_core = std::make_unique<TestCore>(config);
    m_center = makeCenter(*m_core);
    QVERIFY(m_center->isBound());
    QCOMPARE(m_center->localPort(), config.udpPort);
}

void TestUDPCenter::cleanup()
{
    m_center = nullptr;
    m_core.reset();
    m_pc.reset();
}

std::optional<QVariantMap> TestUDPCenter::nextAtPc()
{
    if (!m_pc->hasPendingDatagrams() && !m_pc->waitForReadyRead(2000))
        return std::nullopt;
    const QNetworkDatagram d = m_pc->receiveDatagram();
    // The PC reads the datagram with zlib and the complement, not with the phone's decoder.
    const QVariant v = JsonUtils::dataToDictionary(Fixtures::textOf(d.data()));
    return v.toMap();
}

void TestUDPCenter::pushToPhone(const QByteArray &datagram)
{
    m_pc->writeDatagram(datagram, QHostAddress::LocalHost, m_center->localPort());
}

void TestUDPCenter::settle()
{
    // A marker push: once its toast shows, every earlier datagram has been handled.
    const QString mid = m_core->core->runtimeState()->serverMid();
    const QString ua = mid.isEmpty() ? kPcUa : u"PC;3;W;n;h;8360;%1;;"_s.arg(mid);
    QSignalSpy toasts(m_center, &UDPCenter::toastRequested);
    pushToPhone(pushOf(1016, uR"({"text":"marker"})"_s, ua));
    QTRY_VERIFY(!toasts.isEmpty());
}

void TestUDPCenter::sendsEveryMessageToThePc()
{
    QVERIFY(m_center->sendMouseAction(ControlDatagram::MouseMove,
                                      ControlDatagram::motionData(3.25, -1)));
    QVERIFY(m_center->sendMouseAction(ControlDatagram::RightClick));
    QVERIFY(m_center->sendKeyboardAction(ControlDatagram::KeyPress, ControlDatagram::KeyEscape));
    QVERIFY(m_center->sendVolume(37.9));
    QVERIFY(m_center->sendText(u"早上好"_s));
    QVERIFY(!m_center->sendText(QString()));

    auto m = nextAtPc();
    QVERIFY(m);
    QCOMPARE(m->value(u"cm"_s).toInt(), 2010);
    QCOMPARE(m->value(u"dt"_s).toMap(),
             (QVariantMap{{u"action"_s, 1}, {u"data"_s, u"3.250000 -1.000000"_s}}));
    m = nextAtPc();
    QCOMPARE(m->value(u"dt"_s).toMap(), (QVariantMap{{u"action"_s, 24}, {u"data"_s, u""_s}}));
    m = nextAtPc();
    QCOMPARE(m->value(u"cm"_s).toInt(), 2011);
    QCOMPARE(m->value(u"dt"_s).toMap(),
             (QVariantMap{{u"action"_s, 4}, {u"key"_s, 27}, {u"ext"_s, 0}}));
    m = nextAtPc();
    QCOMPARE(m->value(u"cm"_s).toInt(), 2012);
    QCOMPARE(m->value(u"dt"_s).toMap().value(u"volum"_s).toInt(), 37);
    m = nextAtPc();
    QCOMPARE(m->value(u"cm"_s).toInt(), 1016);
    QCOMPARE(m->value(u"dt"_s).toMap().value(u"text"_s).toString(), u"早上好"_s);
    // The empty text sent nothing.
    QVERIFY(!nextAtPc());
}

void TestUDPCenter::echoCarriesTheRequestIdentity()
{
    QVERIFY(m_center->sendEcho());
    auto echo = nextAtPc();
    QVERIFY(echo);
    // Without a token the identity is the empty text.
    QCOMPARE(*echo, (QVariantMap{{u"cm"_s, 1000}, {u"ua"_s, u""_s}}));

    m_core->core->userDefaults().setValue(DefaultsKeys::Token,
                                          u"00112233445566778899aabbccddeeff"_s);
    QVERIFY(m_center->sendEcho());
    echo = nextAtPc();
    QVERIFY(echo);
    QCOMPARE(echo->keys(), (QStringList{u"cm"_s, u"ua"_s}));
    const QStringList fields = echo->value(u"ua"_s).toString().split(u';');
    QCOMPARE(fields.size(), 9);
    QCOMPARE(fields[6], DeviceInfoCenter::getDeviceId());
    QVERIFY(!fields[7].isEmpty());
}

void TestUDPCenter::nothingIsSentWithoutPcAddress()
{
    AppConfig config;
    config.pcPort = m_pc->localPort();
    config.udpPort = freeUdpPort();
    config.pcAddressOverride = std::optional<QString>();
    m_center = nullptr;
    m_core = std::make_unique<TestCore>(config);
    auto *center = makeCenter(*m_core);
    QVERIFY(!center->sendEcho());
    QVERIFY(!center->sendVolume(10));
    QVERIFY(!nextAtPc());
}

void TestUDPCenter::standingChanges_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<quint64>("status");
    QTest::addColumn<QString>("toast");
    QTest::newRow("rights revoked") << 1 << quint64(AppStatusLoggedIn) << u"您已被取消管理员权限"_s;
    QTest::newRow("blacklisted") << 2 << quint64(AppStatusBlacklisted)
                                 << u"您已被管理员加入黑名单"_s;
    QTest::newRow("remote disabled")
        << 3 << quint64(AppStatusRemoteDisabled) << u"电脑已禁用手机遥控服务"_s;
    QTest::newRow("full screen") << 4 << quint64(AppStatusFullScreen) << QString();
    QTest::newRow("unknown action") << 9 << quint64(AppStatusAuthorized) << QString();
}

void TestUDPCenter::standingChanges()
{
    QFETCH(int, action);
    QFETCH(quint64, status);
    QFETCH(QString, toast);
    m_core->core->runtimeState()->setStatus(AppStatusAuthorized);
    NotificationRecorder recorder(m_core->hub(), {Notifications::AppStatusChanged});
    QSignalSpy toasts(m_center, &UDPCenter::toastRequested);
    QSignalSpy pushes(m_center, &UDPCenter::pushReceived);

    pushToPhone(pushOf(1014, u"{\"action\":%1}"_s.arg(action)));
    settle();
    QCOMPARE(m_core->core->runtimeState()->status(), status);
    QCOMPARE(recorder.count(Notifications::AppStatusChanged),
             status == AppStatusAuthorized ? 0 : 1);
    const QList<QVariant> first = toasts.first();
    if (toast.isEmpty()) {
        QCOMPARE(first.at(0).toString(), u"收到来自电脑的文字"_s); // only the marker
    } else {
        QCOMPARE(first.at(0).toString(), toast);
        QCOMPARE(first.at(1).toInt(), 2000);
    }
    QCOMPARE(pushes.first().at(0).toInt(), status == AppStatusAuthorized ? 1016 : 1014);
}

void TestUDPCenter::pushesFromOtherMachinesAreDropped()
{
    m_core->core->runtimeState()->setServerMid(kPcMid);
    m_core->core->runtimeState()->setStatus(AppStatusAuthorized);
    QSignalSpy pushes(m_center, &UDPCenter::pushReceived);
    pushToPhone(pushOf(1014, u"{\"action\":2}"_s, u"PC;3;W;n;1.2.3.4;8360;OTHER;;"_s));
    pushToPhone(pushOf(1014, u"{\"action\":2}"_s, u"PC;3;W;n;1.2.3.4;8360"_s));
    pushToPhone(datagramOf(R"({"cm":1014,"dt":{"action":2}})"));
    pushToPhone(datagramOf(R"({"cm":1014,"ua":7,"dt":{"action":2}})"));
    settle();
    QCOMPARE(m_core->core->runtimeState()->status(), quint64(AppStatusAuthorized));
    QCOMPARE(pushes.size(), 1); // the marker from the attached PC

    // The attached PC itself is heard.
    pushToPhone(pushOf(1014, u"{\"action\":2}"_s));
    QTRY_COMPARE(m_core->core->runtimeState()->status(), quint64(AppStatusBlacklisted));

    // Without a known PC, a short identity is accepted.
    m_core->core->runtimeState()->setServerMid(QString());
    pushToPhone(pushOf(1014, u"{\"action\":1}"_s, u"short"_s));
    QTRY_COMPARE(m_core->core->runtimeState()->status(), quint64(AppStatusLoggedIn));
}

void TestUDPCenter::pushedTextsAndFilesBecomeRecords()
{
    const QStringList names = {Notifications::SaveQuickTransfer,
                               Notifications::RefreshQuickTransferList,
                               Notifications::DoDownloadFile};
    NotificationRecorder recorder(m_core->hub(), names);
    QSignalSpy toasts(m_center, &UDPCenter::toastRequested);
    const auto recordAt = [&recorder](int i) {
        return recorder.payloads.at(i).value(u"object"_s).value<QuickTransferObjectPtr>();
    };

    pushToPhone(pushOf(1016, uR"({"text":"会议改到三点"})"_s));
    QTRY_COMPARE(recorder.posted, names.mid(0, 2));
    QCOMPARE(recordAt(0)->type, quint64(QuickTransferTypeText));
    QCOMPARE(recordAt(0)->dt, u"会议改到三点"_s);
    QCOMPARE(toasts.first(), (QList<QVariant>{u"收到来自电脑的文字"_s, 1000}));

    recorder.clear();
    toasts.clear();
    pushToPhone(pushOf(1015, uR"({"path":"C:/docs/report.PDF","size":5368709120})"_s));
    QTRY_COMPARE(recorder.posted, names);
    const QuickTransferObjectPtr file = recordAt(0);
    QCOMPARE(recordAt(2), file);
    QCOMPARE(file->path, u"C:/docs/report.PDF"_s);
    QCOMPARE(file->type, quint64(QuickTransferTypeDocument));
    QCOMPARE(file->from, 1u);
    QCOMPARE(file->size, 5368709120u);
    QCOMPARE(toasts.first(), (QList<QVariant>{u"收到来自电脑的文件"_s, 1000}));

    recorder.clear();
    pushToPhone(pushOf(1015, uR"({"path":"C:/v.mp4","size":-5})"_s));
    QTRY_COMPARE(recorder.posted, names);
    QCOMPARE(recordAt(0)->size, 0u);
    QCOMPARE(recordAt(0)->type, quint64(QuickTransferTypeVideo));
}

void TestUDPCenter::brokenDatagramsAreDropped()
{
    m_core->core->runtimeState()->setStatus(AppStatusAuthorized);
    QSignalSpy pushes(m_center, &UDPCenter::pushReceived);
    pushToPhone("not a datagram"_ba);
    pushToPhone(QByteArray());
    pushToPhone(datagramOf(R"({"cm":1014,"dt":[2]})"));
    pushToPhone(datagramOf(R"({"cm":1014,"dt":"action"})"));
    pushToPhone(datagramOf(R"({"cm":"x","dt":{"action":2}})"));
    pushToPhone(pushOf(1016, uR"({"text":""})"_s));
    pushToPhone(pushOf(1015, uR"({"path":""})"_s));
    pushToPhone(pushOf(1015, uR"({"size":3})"_s));
    pushToPhone(datagramOf(QByteArray(30000, '{')));
    settle();
    QCOMPARE(pushes.size(), 1); // the marker only
    QCOMPARE(m_core->core->runtimeState()->status(), quint64(AppStatusAuthorized));
}

void TestUDPCenter::boundPortTakenIsRetried()
{
    QUdpSocket squatter;
    QVERIFY(squatter.bind(QHostAddress::LocalHost, 0));
    AppConfig config;
    config.pcPort = m_pc->localPort();
    config.udpPort = squatter.localPort();
    config.pcAddressOverride = std::optional<QString>(u"127.0.0.1"_s);
    m_center = nullptr;
    m_core = std::make_unique<TestCore>(config);
    auto *center = makeCenter(*m_core);
    QVERIFY(!center->isBound());
    QVERIFY(!center->sendEcho());
    squatter.close();
    QVERIFY(center->start());
    QVERIFY(center->isBound());
    QVERIFY(center->sendEcho());
    QVERIFY(nextAtPc());
}

QTEST_GUILESS_MAIN(TestUDPCenter)
#include "tst_udpcenter.moc"
