// Shake recognition over synthetic accelerometer traces: deliberate shakes in every orientation
// pass; standing still, walking, running, knocks and putting the phone down do not.
#include "ShakeDetector.h"

#include <QTest>

#include <array>
#include <cmath>
#include <functional>
#include <random>

namespace {
using Vector = std::array<double, 3>;
constexpr double kG = 9.81;
constexpr double kPi = 3.14159265358979323846;

const Vector kFaceUp{0, 0, kG};
const Vector kFaceDown{0, 0, -kG};
const Vector kUpright{0, kG, 0};
const Vector kLandscape{kG, 0, 0};
const Vector kTilted{kG / std::sqrt(3.0), kG / std::sqrt(3.0), kG / std::sqrt(3.0)};
const Vector kX{1, 0, 0};
const Vector kY{0, 1, 0};
const Vector kZ{0, 0, 1};
const Vector kDiagonal{std::sqrt(0.5), 0, -std::sqrt(0.5)};

Vector operator+(const Vector &a, const Vector &b)
{
    return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}

Vector operator*(double k, const Vector &v)
{
    return {k * v[0], k * v[1], k * v[2]};
}

// The phone's acceleration, gravity included, at a time in seconds from the start of a segment.
using Motion = std::function<Vector(double)>;

struct Segment
{
    double seconds;
    Motion motion;
};

Motion still(const Vector &gravity)
{
    return [gravity](double) { return gravity; };
}

Motion shaking(const Vector &gravity, const Vector &axis, double hz, double amplitude)
{
    return [=](double t) { return gravity + amplitude * std::sin(2 * kPi * hz * t) * axis; };
}

// Walking with the phone in the hand: the body bobs twice a second and sways once.
Motion walking(const Vector &gravity)
{
    return [gravity](double t) {
        return gravity + Vector{1.0 * std::sin(2 * kPi * t), 3.0 * std::sin(2 * kPi * 2 * t),
                                1.5 * std::cos(2 * kPi * 2 * t)};
    };
}

// Running with the phone in a pocket: each step a hard landing (a half sine over the stance
// fraction of the step) and a flight close to free fall, pulling the same on average as gravity.
Motion running(double stepsPerSecond, double stance)
{
    const double flight = -(kG - 0.3);
    const double peak = (1 - stance) * -flight * kPi / (2 * stance);
    return [=](double t) {
        const double phase = std::fmod(t * stepsPerSecond, 1.0);
        const double vertical = phase < stance ? peak * std::sin(kPi * phase / stance) : flight;
        const double forward = 4.0 * std::sin(2 * kPi * stepsPerSecond * t);
        return kUpright + Vector{0, vertical, forward};
    };
}

// Readings at @p rateHz over the segments, with a little sensor noise.
struct Trace
{
    struct Reading
    {
        qint64 ms;
        Vector a;
    };
    QList<Reading> readings;
    qint64 endMs = 0;

    Trace() = default;
    Trace(std::initializer_list<Segment> segments, int rateHz = 100)
    {
        std::mt19937 random(7);
        std::uniform_real_distribution<double> noise(-0.2, 0.2);
        const double step = 1000.0 / rateHz;
        double startMs = 0;
        for (const Segment &segment : segments) {
            const double lengthMs = segment.seconds * 1000;
            for (double t = 0; t < lengthMs; t += step) {
                const Vector a = segment.motion(t / 1000);
                readings.append(
                    Reading{qint64(std::llround(startMs + t)),
                            {a[0] + noise(random), a[1] + noise(random), a[2] + noise(random)}});
            }
            startMs += lengthMs;
        }
        endMs = qint64(startMs);
    }
};

// When the detector saw shakes, in milliseconds from the start.
QList<qint64> shakesIn(const Trace &trace)
{
    ShakeDetector detector;
    QList<qint64> shakes;
    for (const auto &r : trace.readings) {
        if (detector.addReading(r.ms, r.a[0], r.a[1], r.a[2]))
            shakes.append(r.ms);
    }
    return shakes;
}
} // namespace

Q_DECLARE_METATYPE(Vector)
Q_DECLARE_METATYPE(Trace)

class TestShakeDetector : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void deliberateShakes_data()
    {
        QTest::addColumn<Vector>("gravity");
        QTest::addColumn<Vector>("axis");
        QTest::addColumn<double>("hz");
        QTest::addColumn<double>("amplitude");
        QTest::addColumn<int>("rateHz");
        QTest::newRow("upright, side to side, 3 Hz, 15 m/s²")
            << kUpright << kX << 3.0 << 15.0 << 100;
        QTest::newRow("upright, up and down, 5 Hz, 25 m/s²")
            << kUpright << kY << 5.0 << 25.0 << 100;
        QTest::newRow("face up, up and down, 3 Hz, 15 m/s²") << kFaceUp << kZ << 3.0 << 15.0 << 100;
        QTest::newRow("face down, 3 Hz, 25 m/s², 50 readings/s")
            << kFaceDown << kX << 3.0 << 25.0 << 50;
        QTest::newRow("landscape, along gravity, 5 Hz, 15 m/s², 50 readings/s")
            << kLandscape << kX << 5.0 << 15.0 << 50;
        QTest::newRow("tilted, diagonally, 4 Hz, 20 m/s²")
            << kTilted << kDiagonal << 4.0 << 20.0 << 100;
        QTest::newRow("upright, 5 Hz, 15 m/s², 50 readings/s")
            << kUpright << kZ << 5.0 << 15.0 << 50;
    }

    // A shake of a little over a second, between two still moments, is one event, recognised
    // while the hand is still shaking.
    void deliberateShakes()
    {
        QFETCH(Vector, gravity);
        QFETCH(Vector, axis);
        QFETCH(double, hz);
        QFETCH(double, amplitude);
        QFETCH(int, rateHz);
        const Trace trace({{0.5, still(gravity)},
                           {1.2, shaking(gravity, axis, hz, amplitude)},
                           {1.0, still(gravity)}},
                          rateHz);
        const QList<qint64> shakes = shakesIn(trace);
        QCOMPARE(shakes.size(), 1);
        QCOMPARE_GT(shakes.first(), 500);
        QCOMPARE_LT(shakes.first(), 1500);
    }

    void everydayMotion_data()
    {
        QTest::addColumn<Trace>("trace");
        QTest::newRow("still, face up") << Trace({{5, still(kFaceUp)}});
        QTest::newRow("still, tilted") << Trace({{5, still(kTilted)}});
        QTest::newRow("turned to a new orientation every second")
            << Trace({{1, still(kFaceUp)},
                      {1, still(kFaceDown)},
                      {1, still(kUpright)},
                      {1, still(kFaceDown)},
                      {1, still(kFaceUp)},
                      {1, still(kLandscape)}});
        QTest::newRow("walking, 2 steps/s") << Trace({{6, walking(kUpright)}});
        QTest::newRow("walking, face up in the hand") << Trace({{6, walking(kFaceUp)}});
        QTest::newRow("running, 2.8 steps/s") << Trace({{6, running(2.8, 0.4)}});
        QTest::newRow("sprinting, 3.3 steps/s") << Trace({{6, running(3.3, 0.3)}});
        QTest::newRow("a gentle jiggle, 4 Hz, 8 m/s²")
            << Trace({{0.5, still(kUpright)}, {2, shaking(kUpright, kX, 4, 8)}});
        QTest::newRow("a single bump of 30 m/s²")
            << Trace({{1, still(kFaceUp)}, {0.02, still(kFaceUp + 30 * kZ)}, {1, still(kFaceUp)}});
        QTest::newRow("a knock ringing at 50 Hz") << Trace(
            {{1, still(kFaceUp)}, {0.1, shaking(kFaceUp, kZ, 50, 30)}, {1, still(kFaceUp)}}, 1000);
        // Lowered and laid flat over half a second, then landing with a thud and a rebound.
        const Motion layingDown = [](double t) {
            const double angle = kPi / 2 * std::min(t / 0.5, 1.0);
            const double lowering = t < 0.25 ? -3.0 : t < 0.5 ? 3.0 : 0.0;
            return Vector{0, kG * std::cos(angle), kG * std::sin(angle) + lowering};
        };
        QTest::newRow("put down on a table") << Trace({{1, walking(kUpright)},
                                                       {0.5, layingDown},
                                                       {0.03, still(kFaceUp + 25 * kZ)},
                                                       {0.03, still(kFaceUp + -10 * kZ)},
                                                       {2, still(kFaceUp)}});
    }

    void everydayMotion()
    {
        QFETCH(Trace, trace);
        QCOMPARE(shakesIn(trace), QList<qint64>());
    }

    // Shaking on and on gives one event per refractory time at most; a second shake after a
    // pause is a second event.
    void oneShakeIsOneEvent()
    {
        const QList<qint64> long_ = shakesIn(Trace({{3, shaking(kUpright, kX, 4, 20)}}));
        QCOMPARE_GE(long_.size(), 1);
        QCOMPARE_LE(long_.size(), 3);
        for (qsizetype i = 1; i < long_.size(); ++i)
            QCOMPARE_GE(long_[i] - long_[i - 1], ShakeDetector::kRefractoryMs);

        const QList<qint64> twice = shakesIn(Trace({{1, shaking(kUpright, kX, 4, 20)},
                                                    {1.5, still(kUpright)},
                                                    {1, shaking(kUpright, kX, 4, 20)}}));
        QCOMPARE(twice.size(), 2);
        QCOMPARE_GT(twice[1], 2500);
    }

    // Readings that are not numbers are skipped; a sensor clock that jumps back (a restarted
    // sensor) starts the recognition afresh instead of poisoning it.
    void badReadings()
    {
        const Trace shake({{0.5, still(kUpright)}, {1.2, shaking(kUpright, kX, 4, 20)}});
        ShakeDetector detector;
        int shakes = 0;
        for (qsizetype i = 0; i < shake.readings.size(); ++i) {
            const auto &r = shake.readings[i];
            if (i % 5 == 0)
                QVERIFY(!detector.addReading(r.ms, qQNaN(), r.a[1], r.a[2]));
            else if (i % 7 == 0)
                QVERIFY(!detector.addReading(r.ms, r.a[0], qInf(), r.a[2]));
            else
                shakes += detector.addReading(r.ms, r.a[0], r.a[1], r.a[2]);
        }
        QCOMPARE(shakes, 1);

        ShakeDetector restarted;
        for (const auto &r : Trace({{1, still(kFaceUp)}}).readings)
            QVERIFY(!restarted.addReading(3'600'000 + r.ms, r.a[0], r.a[1], r.a[2]));
        shakes = 0;
        for (const auto &r : shake.readings)
            shakes += restarted.addReading(r.ms, r.a[0], r.a[1], r.a[2]);
        QCOMPARE(shakes, 1);
    }
};

QTEST_APPLESS_MAIN(TestShakeDetector)
#include "tst_shakedetector.moc"
