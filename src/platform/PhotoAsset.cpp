#include "PhotoAsset.h"

#include <QFileInfo>

std::optional<PhotoAsset> PhotoAsset::fromFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        return std::nullopt;
    QDateTime created = info.birthTime();
    if (!created.isValid())
        created = info.lastModified();
    return PhotoAsset{info.absoluteFilePath(), info.fileName(), info.size(), created};
}
