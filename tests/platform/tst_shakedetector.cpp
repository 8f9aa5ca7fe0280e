// Shake recognition over synthetic accelerometer traces: deliberate shakes pass, standing still
// and a jiggle do not.
#include "ShakeDetector.h"

#include <QTest>
#include <QVector3D>

#include <cmath>
#include <functional>
#include <random>

namespace {
using Vector = QVector3D;
constexpr double kG = 9.81;
constexpr double kPi = 3.14159265358979323846;

const Vector kFaceUp{0, 0, kG};
const Vector kUpright{0, kG, 0};
const Vector kX{1, 0, 0};

// The phone's acceleration, gravity included, at a time in seconds from the start of a segment;
// a segment is a motion for some seconds.
using Motion = std::function<Vector(double)>;
using Segment = std::pair<double, Motion>;

Motion still(const Vector &gravity)
{
    return [gravity](double) { return gravity; };
}

Motion shaking(const Vector &gravity, const Vector &axis, double hz, double amplitude)
{
    return [=](double t) { return gravity + amplitude * std::sin(2 * kPi * hz * t) * axis; };
}

// Readings (milliseconds, acceleration) at 100 per second over the segments, with a little noise.
using Trace = QList<std::pair<qint64, Vector>>;

Trace trace(std::initializer_list<Segment> segments)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> noise(-0.2, 0.2);
    Trace readings;
    double startMs = 0;
    for (const auto &[seconds, motion] : segments) {
        const double lengthMs = seconds * 1000;
        for (double t = 0; t < lengthMs; t += 10) {
            const float x = noise(random), y = noise(random), z = noise(random);
            readings.append(
                {qint64(std::llround(startMs + t)), motion(t / 1000) + Vector(x, y, z)});
        }
        startMs += lengthMs;
    }
    return readings;
}

// A shake of a little over a second, from 0.5 s, between two still moments.
Trace deliberate(const Vector &gravity, const Vector &axis, double hz, double amplitude)
{
    return trace({{0.5, still(gravity)},
                  {1.2, shaking(gravity, axis, hz, amplitude)},
                  {1.0, still(gravity)}});
}

// When the detector saw shakes, in milliseconds from the start.
QList<qint64> shakesIn(const Trace &readings)
{
    ShakeDetector detector;
    QList<qint64> shakes;
    for (const auto &[ms, a] : readings)
        if (detector.addReading(ms, a.x(), a.y(), a.z()))
            shakes.append(ms);
    return shakes;
}
} // namespace

Q_DECLARE_METATYPE(Trace)

class TestShakeDetector : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The strong-push threshold lies between the gentle jiggle and the slowest deliberate shake.
    void recognition_data()
    {
        QTest::addColumn<Trace>("readings");
        QTest::addColumn<int>("shakes");
        QTest::newRow("upright, side to side, 3 Hz, 15 m/s²")
            << deliberate(kUpright, kX, 3, 15) << 1;
        QTest::newRow("a gentle jiggle, 4 Hz, 8 m/s²")
            << trace({{0.5, still(kUpright)}, {2, shaking(kUpright, kX, 4, 8)}}) << 0;
        // Readings that are not numbers are skipped; a sensor clock that jumps back (a restarted
        // sensor) starts the recognition afresh instead of poisoning it.
        Trace notNumbers = deliberate(kUpright, kX, 4, 20);
        for (qsizetype i = 0; i < notNumbers.size(); i += 5)
            notNumbers[i].second[i % 3] = i % 2 ? qQNaN() : qInf();
        QTest::newRow("a fifth of the readings not numbers") << notNumbers << 1;
        Trace restarted = trace({{1, still(kFaceUp)}});
        for (auto &reading : restarted)
            reading.first += 3'600'000;
        QTest::newRow("after the clock jumped back")
            << restarted + deliberate(kUpright, kX, 4, 20) << 1;
        QTest::newRow("a second shake after a pause")
            << trace({{0.5, still(kUpright)},
                      {1.2, shaking(kUpright, kX, 4, 20)},
                      {1.5, still(kUpright)},
                      {1.2, shaking(kUpright, kX, 4, 20)}})
            << 2;
    }

    // A deliberate shake is one event, recognised while the hand is still shaking.
    void recognition()
    {
        QFETCH(Trace, readings);
        QFETCH(int, shakes);
        const QList<qint64> seen = shakesIn(readings);
        QCOMPARE(seen.size(), shakes);
        if (shakes) {
            QCOMPARE_GT(seen.first(), 500);
            QCOMPARE_LT(seen.first(), 1500);
        }
    }
};

QTEST_APPLESS_MAIN(TestShakeDetector)
#include "tst_shakedetector.moc"
