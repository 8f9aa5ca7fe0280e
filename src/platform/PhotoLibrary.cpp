#include "PhotoLibrary.h"

#include <QDir>
#include <QStandardPaths>

#include <algorithm>

using namespace Qt::StringLiterals;

PhotoLibrary::PhotoLibrary(QString folder) : m_folder(std::move(folder)) {}

QString PhotoLibrary::defaultFolder()
{
    const QString fixed = qEnvironmentVariable("ZEPHYR_PHOTO_DIR");
    if (!fixed.isEmpty())
        return fixed;
    return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
}

QList<PhotoAsset> PhotoLibrary::assets() const
{
    static const QStringList patterns = {
        u"*.jpg"_s, u"*.jpeg"_s, u"*.png"_s, u"*.gif"_s, u"*.bmp"_s, u"*.heic"_s, u"*.webp"_s,
        u"*.mov"_s, u"*.mp4"_s,  u"*.m4v"_s, u"*.3gp"_s, u"*.avi"_s, u"*.mkv"_s,
    };
    QDir dir(m_folder);
    dir.setNameFilters(patterns);
    QList<PhotoAsset> out;
    for (const QString &name : dir.entryList(QDir::Files | QDir::Readable)) {
        if (auto asset = PhotoAsset::fromFile(dir.filePath(name)))
            out << *asset;
    }
    std::stable_sort(out.begin(), out.end(), [](const PhotoAsset &a, const PhotoAsset &b) {
        return a.creationDate > b.creationDate;
    });
    return out;
}
