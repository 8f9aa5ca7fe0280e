// The window's platform services: shakes from an accelerometer backend of the test's own, and
// addresses handed to the desktop (caught by URL handlers of the test).
#include "LinuxComposer.h"
#include "LinuxMotion.h"

#include <QAccelerometer>
#include <QDesktopServices>
#include <QSensorBackend>
#include <QSensorManager>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {
const QByteArray kBackendId = "zephyr.test.accelerometer";

// An accelerometer whose readings the test gives.
class TestAccelerometer : public QSensorBackend
{
public:
    explicit TestAccelerometer(QSensor *sensor) : QSensorBackend(sensor)
    {
        setReading<QAccelerometerReading>(&m_reading);
    }
    void start() override { started = true; }
    void stop() override { started = false; }

    // Readings at 100 per second from @p fromMs, of gravity on y and @p shake m/s² at 4 Hz on x.
    void feed(int fromMs, int toMs, double shake)
    {
        for (int ms = fromMs; ms < toMs; ms += 10) {
            m_reading.setTimestamp(quint64(ms) * 1000);
            m_reading.setX(shake * std::sin(2 * 3.14159265358979 * 4 * ms / 1000.0));
            m_reading.setY(9.81);
            m_reading.setZ(0.1);
            newReadingAvailable();
        }
    }

    inline static TestAccelerometer *current = nullptr;
    bool started = false;

private:
    QAccelerometerReading m_reading{nullptr};
};
} // namespace

// The test makes the accelerometers and receives the addresses the desktop would open.
class TestPlatformGui : public QObject, public QSensorBackendFactory
{
    Q_OBJECT
public:
    QSensorBackend *createBackend(QSensor *sensor) override
    {
        return TestAccelerometer::current = new TestAccelerometer(sensor);
    }

public Q_SLOTS:
    void open(const QUrl &url) { m_urls.append(url); }

private:
    QList<QUrl> m_urls;
    const QStringList m_schemes{u"https"_s, u"file"_s, u"javascript"_s};

private Q_SLOTS:
    void cleanup()
    {
        for (const QString &scheme : m_schemes)
            QDesktopServices::unsetUrlHandler(scheme);
        m_urls.clear();
    }

    // A desktop has only Qt's stand-in accelerometer, which is not used. With an accelerometer,
    // its readings are watched and a shake among them is one signal.
    void shakesFromTheAccelerometer()
    {
        QVERIFY(!LinuxMotion().hasSensor());
        QSensorManager::registerBackend(QAccelerometer::sensorType, kBackendId, this);
        auto unregister = qScopeGuard(
            [] { QSensorManager::unregisterBackend(QAccelerometer::sensorType, kBackendId); });
        LinuxMotion motion;
        QVERIFY(motion.hasSensor());
        QVERIFY(TestAccelerometer::current && TestAccelerometer::current->started);
        QSignalSpy shaken(&motion, &Motion::shaken);
        TestAccelerometer::current->feed(0, 1200, 20.0);
        QCOMPARE(shaken.count(), 1);
    }

    // A desktop that cannot hand the address over (here the offscreen platform, which has no
    // opener) makes the mail fail, reported after the call has returned (not during it).
    void whatCannotBeSentFails()
    {
        LinuxComposer composer;
        QSignalSpy finished(&composer, &Composer::mailFinished);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"does not support"_s));
        composer.sendMail(u"hello"_s);
        QVERIFY(finished.isEmpty() && finished.wait(5000));
        QCOMPARE(finished.first().first().value<Composer::Result>(), Composer::Result::Failed);
    }

    void openUrl_data()
    {
        QTest::addColumn<QUrl>("url");
        QTest::addColumn<bool>("opened");
        QTest::newRow("https") << QUrl(u"https://example.com/a?b=1#c"_s) << true;
        QTest::newRow("local file") << QUrl(u"file:///etc/passwd"_s) << false;
        QTest::newRow("script") << QUrl(u"javascript:alert(1)"_s) << false;
    }

    // Web, mail and telephone addresses go to the desktop; others, which could start local
    // programs or open local files from an address the PC sent, are refused.
    void openUrl()
    {
        QFETCH(QUrl, url);
        QFETCH(bool, opened);
        for (const QString &scheme : m_schemes)
            QDesktopServices::setUrlHandler(scheme, this, "open");
        LinuxComposer composer;
        QCOMPARE(composer.openUrl(url), opened);
        QCOMPARE(m_urls, opened ? QList<QUrl>{url} : QList<QUrl>());
    }
};

QTEST_MAIN(TestPlatformGui)
#include "tst_platformgui.moc"
