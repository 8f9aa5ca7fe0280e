#pragma once

#include <QtGlobal>

#include <array>

/// Recognises a deliberate shake of the phone in its accelerometer readings.
///
/// Gravity is followed with a slow low-pass filter and taken off each reading. What remains is
/// the acceleration the hand gives the phone; a reading is strong when that exceeds
/// kStrongAcceleration. A shake is kReversals reversals of direction between strong readings
/// within kWindowMs: pushes back and forth, not one push. The threshold is above 1 g on purpose:
/// a phone can never fall faster than free fall, so steps, running and bumps, which are strong in
/// one direction only (the impact), never reverse strongly. After a shake, kRefractoryMs pass
/// before the next can be recognised, so one shake is one event.
class ShakeDetector
{
public:
    /// Acceleration beyond gravity, in m/s², that counts as a strong push.
    static constexpr double kStrongAcceleration = 12.0;
    /// Reversals of direction that make a shake.
    static constexpr int kReversals = 3;
    /// The time in which the reversals must fall.
    static constexpr qint64 kWindowMs = 1000;
    /// After a shake, no other is recognised for this long.
    static constexpr qint64 kRefractoryMs = 1000;
    /// A reversal sooner than this after the previous one is a vibration (a knock ringing in the
    /// case), not the hand: a shaking hand reverses at most about ten times a second.
    static constexpr qint64 kMinSwingMs = 40;
    /// Time constant of the gravity filter: long against a shake's period, short enough to follow
    /// the phone being turned.
    static constexpr double kGravityTimeConstantMs = 1000.0;
    /// A pause in the readings this long (the sensor stopped) starts the recognition afresh.
    static constexpr qint64 kMaxGapMs = 500;

    /// Takes one reading: @p timestampMs on any steady clock in milliseconds, @p x, @p y, @p z
    /// the acceleration in m/s² including gravity. Returns true when this reading completes a
    /// shake. Readings that are not finite are skipped; a clock going backwards or a long pause
    /// starts afresh.
    bool addReading(qint64 timestampMs, double x, double y, double z);
    /// Forgets every reading.
    void reset();

private:
    using Vector = std::array<double, 3>;

    bool m_started = false;
    qint64 m_lastMs = 0;
    Vector m_gravity{};
    bool m_hasSwing = false;
    Vector m_swing{};
    qint64 m_swingStartMs = 0;
    std::array<qint64, kReversals> m_reversals{};
    int m_reversalCount = 0;
    bool m_hasShaken = false;
    qint64 m_shakeMs = 0;
};
