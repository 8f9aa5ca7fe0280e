#include "LimitRate.h"

#include <algorithm>
#include <cmath>

namespace {
// The highest position that still limits: 1024 KB/s.
constexpr double kTopLimited = 1023.0 / 1024.0;

int kilobytesOf(float value)
{
    return int(std::floor(value * 1024.0f + 1.0f));
}
} // namespace

float LimitRate::sliderValueForLimit(qint64 limit)
{
    if (limit <= 0)
        return 1.0f;
    // A limit above the slider's range stays a limit (its top), never "no limit"; one below
    // 1 KB/s sits at the left end.
    const double value = (double(limit / 1024) - 1.0) * (1.0 / 1024.0);
    return float(std::clamp(value, 0.0, kTopLimited));
}

qint32 LimitRate::limitForSliderValue(float value)
{
    if (value >= 1.0f)
        return NoLimit;
    return kilobytesOf(std::max(value, 0.0f)) * 1024;
}

QString LimitRate::labelForSliderValue(float value)
{
    if (value >= 1.0f)
        return tr("不限");
    return QString::asprintf("%d KB/s", kilobytesOf(std::max(value, 0.0f)));
}
