#include "LinuxMotion.h"

#include <QAccelerometer>

#include <algorithm>
#include <cstdlib>

namespace {
// The accelerometer to use, or none. Qt's "dummy" backend is no sensor: it repeats one made-up
// reading on a timer.
QByteArray accelerometerBackend()
{
    const QList<QByteArray> backends = QSensor::sensorsForType(QAccelerometer::sensorType);
    for (const QByteArray &backend : backends) {
        if (!backend.startsWith("dummy."))
            return backend;
    }
    return {};
}

// The rate closest to the one wanted among those the sensor offers; 0 to keep its own.
int chooseDataRate(const qrangelist &rates)
{
    int chosen = 0;
    for (const qrange &range : rates) {
        const int rate = std::clamp(LinuxMotion::kDataRateHz, range.first, range.second);
        if (chosen == 0 ||
            std::abs(rate - LinuxMotion::kDataRateHz) < std::abs(chosen - LinuxMotion::kDataRateHz))
            chosen = rate;
    }
    return chosen;
}
} // namespace

LinuxMotion::LinuxMotion(QObject *parent) : Motion(parent)
{
    const QByteArray backend = accelerometerBackend();
    if (backend.isEmpty())
        return;
    auto *sensor = new QAccelerometer(this);
    sensor->setIdentifier(backend);
    if (!sensor->connectToBackend()) {
        delete sensor;
        return;
    }
    if (const int rate = chooseDataRate(sensor->availableDataRates()))
        sensor->setDataRate(rate);
    connect(sensor, &QSensor::readingChanged, this, &LinuxMotion::takeReading);
    if (!sensor->start()) {
        delete sensor;
        return;
    }
    m_sensor = sensor;
}

void LinuxMotion::takeReading()
{
    const QAccelerometerReading *reading = m_sensor->reading();
    if (!reading)
        return;
    // Sensor timestamps are microseconds.
    if (m_detector.addReading(qint64(reading->timestamp() / 1000), reading->x(), reading->y(),
                              reading->z()))
        Q_EMIT shaken();
}
