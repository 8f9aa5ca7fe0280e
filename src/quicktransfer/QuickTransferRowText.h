#pragma once

#include "QuickTransferObject.h"

#include <QCoreApplication>
#include <QList>
#include <QString>

#include <optional>

/// What one row of the quick-transfer list shows for a record: its icon, its title (a name or
/// the text itself), the size text and the download progress.
class QuickTransferRowText
{
    Q_DECLARE_TR_FUNCTIONS(QuickTransferRowText)
public:
    /// The kind's icon ("qt_icon_link.png", "qt_icon_text.png", ...); none for unknown codes.
    [[nodiscard]] static QString iconOf(const QuickTransferObject &record);
    /// A link's title (or "无标题"), a folder's last path component (or "资源管理器"), a text
    /// itself, a file's last path component.
    [[nodiscard]] static QString titleOf(const QuickTransferObject &record);
    /// The size text of the record's size ("1.5MB").
    [[nodiscard]] static QString sizeText(const QuickTransferObject &record);
    /// The downloaded fraction of a file (1 for an empty file); none for other kinds.
    [[nodiscard]] static std::optional<double> downloadRate(const QuickTransferObject &record);
    /// The downloaded fraction of an image group: all received bytes over all sizes.
    [[nodiscard]] static std::optional<double>
    downloadRate(const QList<QuickTransferObjectPtr> &group);
    /// "正在下载... 45.0%" while 0 < rate < 1; none otherwise, where the size text shows.
    [[nodiscard]] static std::optional<QString> progressText(double rate);
    /// The last level of a PC path; "/" and "\" both separate levels, trailing ones are ignored.
    [[nodiscard]] static QString lastPathComponent(const QString &path);
};
