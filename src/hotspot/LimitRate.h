#pragma once

#include <QCoreApplication>
#include <QString>

/// The rate-limit panel's slider: 1 KB/s to 1024 KB/s in steps of 1 KB/s, its right end meaning
/// no limit. Limits are bytes per second; 0 or less means no limit, and the panel sends -1 for it.
class LimitRate
{
    Q_DECLARE_TR_FUNCTIONS(LimitRate)
public:
    /// The limit sent for the slider's right end.
    static constexpr qint32 NoLimit = -1;

    /// The slider position (0.0 to 1.0) of a current limit.
    [[nodiscard]] static float sliderValueForLimit(qint64 limit);
    /// The limit a slider position stands for: a whole number of KB/s in bytes, or NoLimit.
    [[nodiscard]] static qint32 limitForSliderValue(float value);
    /// The slider's label: "%d KB/s", or "不限" at the right end.
    [[nodiscard]] static QString labelForSliderValue(float value);
    /// The label of a current limit, as the slider set from it shows it.
    [[nodiscard]] static QString labelForLimit(qint64 limit)
    {
        return labelForSliderValue(sliderValueForLimit(limit));
    }
};
