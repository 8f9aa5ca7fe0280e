#include "ImageFiles.h"

#include "LocalFiles.h"

#include <QDir>
#include <QFileInfo>

namespace ImageFiles {

bool saveImage(const QImage &image, const QString &path, const QDateTime &date)
{
    if (image.isNull() || path.isEmpty())
        return false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    bool ok = image.save(path, "JPG", 100);
    if (!ok)
        ok = image.save(path, "PNG");
    if (ok && date.isValid())
        LocalFiles::setCreationDate(path, date);
    return ok;
}

} // namespace ImageFiles
