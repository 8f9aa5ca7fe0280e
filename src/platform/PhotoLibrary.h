#pragma once

#include "PhotoAsset.h"

#include <QList>
#include <QString>

/// The phone's photo library. On this platform it is a folder of pictures and videos:
/// ZEPHYR_PHOTO_DIR when set, else the user's pictures folder.
class PhotoLibrary
{
public:
    explicit PhotoLibrary(QString folder = defaultFolder());

    [[nodiscard]] static QString defaultFolder();
    [[nodiscard]] QString folder() const { return m_folder; }

    /// The pictures and videos of the folder (not its sub-folders), newest first.
    [[nodiscard]] QList<PhotoAsset> assets() const;

private:
    QString m_folder;
};
