#pragma once

#include <QString>

/// The texts of the preview download screen: a size in its decimal unit, the progress label and
/// the icon of the file kind.
class DownloadProgressText
{
public:
    explicit DownloadProgressText(quint64 size);

    [[nodiscard]] QString unit() const { return m_suffix; }
    [[nodiscard]] double rate() const { return m_rate; }
    /// "已加载：0B / 999.0B" before any byte.
    [[nodiscard]] QString initialLabel() const;
    /// "已加载：1.2MB / 2.5MB" after @p received bytes.
    [[nodiscard]] QString label(double received) const;
    /// Fraction of the file received (0 for an empty file).
    [[nodiscard]] double progress(double received) const;
    /// The icon image for a file name.
    [[nodiscard]] static QString iconForName(const QString &name);

private:
    quint64 m_size;
    double m_rate = 1;
    QString m_suffix;
};
