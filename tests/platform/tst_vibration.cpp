// Vibration through the feedback daemon, against a fake daemon on a bus of the test's own.
#include "LinuxVibration.h"
#include "PrivateBus.h"

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
private Q_SLOTS:
    // Without a daemon (a desktop) a vibration is nothing, and reported nowhere; a daemon started
    // later is asked from then on: each vibration one short event, not waited for (it never
    // answers here).
    void asksTheDaemonForAShortEvent()
    {
        QTest::failOnWarning(QRegularExpression(u".*"_s));
        FakeFeedbackDaemon daemon;
        PrivateBus bus;
        QVERIFY2(bus.start(), "dbus-daemon is needed (package dbus-daemon)");
        QDBusConnection server = bus.connect(u"daemon"_s);
        LinuxVibration vibration(bus.connect(u"app"_s));
        vibration.vibrate();
        QTest::qWait(300);
        QVERIFY(server.registerVirtualObject(kPath, &daemon));
        QVERIFY(server.registerService(kService));
        vibration.vibrate();
        vibration.vibrate();
        QTRY_COMPARE_WITH_TIMEOUT(daemon.calls.size(), 2, 5000);
        QTest::qWait(300);
        QCOMPARE(daemon.calls.size(), 2);
        const QDBusMessage call = daemon.calls.first();
        QCOMPARE(call.member(), u"TriggerFeedback"_s);
        QCOMPARE(call.signature(), u"ssa{sv}i"_s);
        QVERIFY(!call.isReplyRequired());
        QCOMPARE(call.arguments().value(1).toString(), u"button-pressed"_s);
        LinuxVibration(QDBusConnection(u"no such connection"_s)).vibrate();
        server.unregisterObject(kPath);
    }
};

QTEST_GUILESS_MAIN(TestVibration)
#include "tst_vibration.moc"
