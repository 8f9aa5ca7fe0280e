#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

/// One picture or video of the photo library: on this platform, a file of the library's folder.
struct PhotoAsset
{
    /// The file that holds the asset's bytes.
    QString filePath;
    /// The name the asset is known by (its file name).
    QString fileName;
    /// Byte size when the asset was read from the library.
    qint64 size = 0;
    QDateTime creationDate;

    /// The asset of a regular file; nothing for a missing or unreadable file or a folder.
    [[nodiscard]] static std::optional<PhotoAsset> fromFile(const QString &path);
};
