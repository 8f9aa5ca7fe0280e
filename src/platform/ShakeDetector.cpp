#include "ShakeDetector.h"

#include <cmath>

bool ShakeDetector::addReading(qint64 timestampMs, double x, double y, double z)
{
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z))
        return false;
    const Vector reading{x, y, z};
    if (m_started && (timestampMs < m_lastMs || timestampMs - m_lastMs > kMaxGapMs))
        reset();
    if (!m_started) {
        m_started = true;
        m_lastMs = timestampMs;
        m_gravity = reading;
        return false;
    }

    const double alpha = 1.0 - std::exp(-double(timestampMs - m_lastMs) / kGravityTimeConstantMs);
    m_lastMs = timestampMs;
    Vector motion{};
    double strength = 0;
    for (size_t i = 0; i < 3; ++i) {
        m_gravity[i] += alpha * (reading[i] - m_gravity[i]);
        motion[i] = reading[i] - m_gravity[i];
        strength += motion[i] * motion[i];
    }
    if (strength <= kStrongAcceleration * kStrongAcceleration)
        return false;

    const bool reversed =
        m_hasSwing && motion[0] * m_swing[0] + motion[1] * m_swing[1] + motion[2] * m_swing[2] < 0;
    const bool newSwing = !m_hasSwing || reversed;
    const qint64 previousSwingMs = m_swingStartMs;
    m_hasSwing = true;
    m_swing = motion;
    if (!newSwing)
        return false;
    m_swingStartMs = timestampMs;
    if (!reversed || timestampMs - previousSwingMs < kMinSwingMs)
        return false;
    if (m_hasShaken && timestampMs - m_shakeMs < kRefractoryMs)
        return false;

    // The reversals of the last window, oldest first.
    int kept = 0;
    for (int i = 0; i < m_reversalCount; ++i) {
        if (timestampMs - m_reversals[size_t(i)] < kWindowMs)
            m_reversals[size_t(kept++)] = m_reversals[size_t(i)];
    }
    m_reversalCount = kept;
    m_reversals[size_t(m_reversalCount++)] = timestampMs;
    if (m_reversalCount < kReversals)
        return false;

    m_reversalCount = 0;
    m_hasShaken = true;
    m_shakeMs = timestampMs;
    return true;
}

void ShakeDetector::reset()
{
    *this = ShakeDetector();
}
