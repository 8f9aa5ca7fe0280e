#pragma once

#include <QDateTime>
#include <QImage>
#include <QString>

/// Pictures written into the Library folder (photos copied out of the album, screenshots).
namespace ImageFiles {
/// Writes @p image as JPEG of best quality (PNG when JPEG fails) with @p date as creation
/// date, creating missing folders. Nothing happens for a null image or an empty path.
bool saveImage(const QImage &image, const QString &path, const QDateTime &date);
} // namespace ImageFiles
