#pragma once

#include "Motion.h"
#include "ShakeDetector.h"

class QAccelerometer;

/// Shakes on Linux: the accelerometer through Qt Sensors, its readings given to a ShakeDetector.
/// A machine without an accelerometer (a desktop) has no sensor and is not asked for readings.
class LinuxMotion : public Motion
{
    Q_OBJECT
public:
    explicit LinuxMotion(QObject *parent = nullptr);

    [[nodiscard]] bool hasSensor() const override { return m_sensor != nullptr; }

    /// Readings asked for per second, where the sensor lets the rate be chosen: a shake's swings
    /// last 100 to 170 ms, so this gives each several readings.
    static constexpr int kDataRateHz = 100;

private:
    void takeReading();

    QAccelerometer *m_sensor = nullptr;
    ShakeDetector m_detector;
};
