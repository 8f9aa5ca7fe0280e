// Vibration through the feedback daemon, against a fake daemon on a bus of the test's own.
#include "LinuxVibration.h"
#include "PrivateBus.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
const QString kService = u"org.sigxcpu.Feedback"_s;
const QString kPath = u"/org/sigxcpu/Feedback"_s;

// Keeps every call it receives and never answers.
class FakeFeedbackDaemon : public QDBusVirtualObject
{
public:
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &) override
    {
        calls.append(message);
        return true;
    }
    QList<QDBusMessage> calls;
};
} // namespace

class TestVibration : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<PrivateBus> m_bus;
    QDBusConnection m_server{QString()};
    FakeFeedbackDaemon m_daemon;
    int m_round = 0;

    void publishDaemon()
    {
        QVERIFY(m_server.registerVirtualObject(kPath, &m_daemon));
        QVERIFY(m_server.registerService(kService));
    }

private Q_SLOTS:
    void init()
    {
        // Nothing is reported, even where no daemon runs.
        QTest::failOnWarning(QRegularExpression(u".*"_s));
        m_daemon.calls.clear();
        m_bus = std::make_unique<PrivateBus>();
        QVERIFY2(m_bus->start(), "dbus-daemon is needed (package dbus-daemon)");
        m_server = m_bus->connect(u"daemon"_s + QString::number(++m_round));
        QVERIFY(m_server.isConnected());
    }

    void cleanup()
    {
        m_server.unregisterObject(kPath);
        m_bus.reset();
    }

    // Each vibration is one short event asked of the daemon, which is not waited for: it never
    // answers here.
    void asksTheDaemonForAShortEvent()
    {
        publishDaemon();
        LinuxVibration vibration(m_bus->connect(u"app"_s + QString::number(m_round)));
        vibration.vibrate();
        vibration.vibrate();
        QTRY_COMPARE_WITH_TIMEOUT(m_daemon.calls.size(), 2, 5000);
        for (const QDBusMessage &call : std::as_const(m_daemon.calls)) {
            QCOMPARE(call.interface(), kService);
            QCOMPARE(call.member(), u"TriggerFeedback"_s);
            QCOMPARE(call.signature(), u"ssa{sv}i"_s);
            QVERIFY(!call.isReplyRequired());
            const QVariantList args = call.arguments();
            QCOMPARE(args.value(0).toString(), u"io.zephyrwifi.ZephyrWiFi"_s);
            QCOMPARE(args.value(1).toString(), u"button-pressed"_s);
            const auto hints = qdbus_cast<QVariantMap>(args.value(2));
            QCOMPARE(hints, (QVariantMap{{u"profile"_s, u"quiet"_s}}));
            QCOMPARE(args.value(3).toInt(), -1);
        }
    }

    // Without a daemon (a desktop) a vibration is nothing, and a daemon started later is asked
    // from then on.
    void withoutADaemonNothingHappens()
    {
        LinuxVibration vibration(m_bus->connect(u"app"_s + QString::number(m_round)));
        vibration.vibrate();
        QTest::qWait(300);
        publishDaemon();
        vibration.vibrate();
        QTRY_COMPARE_WITH_TIMEOUT(m_daemon.calls.size(), 1, 5000);
        QTest::qWait(300);
        QCOMPARE(m_daemon.calls.size(), 1);

        LinuxVibration offline(QDBusConnection(u"no such connection"_s));
        offline.vibrate();
    }
};

QTEST_GUILESS_MAIN(TestVibration)
#include "tst_vibration.moc"
