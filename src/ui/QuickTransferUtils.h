#pragma once

#include "QuickTransferObject.h"

#include <QList>

/// Row heights of the quick-transfer list, in layout units (points).
class QuickTransferUtils
{
public:
    /// The height of one record's row.
    [[nodiscard]] static int getCellHeight(const QuickTransferObject &record);
    /// The height of an image group's row (a group of one is that record's row).
    [[nodiscard]] static int getCellHeight(const QList<QuickTransferObjectPtr> &records);
    /// Row of a text whose wrapped height is @p measured: 39 more, capped at 134.
    [[nodiscard]] static int textRowHeight(double measured);
    /// Height of @p text in the bold 15-point system font wrapped to 220 points. Needs a
    /// QGuiApplication.
    [[nodiscard]] static double measureText(const QString &text);
};
