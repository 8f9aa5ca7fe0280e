#pragma once

#include "QuickTransferObject.h"

#include <QImage>
#include <QObject>
#include <QSize>

class QThreadPool;
class RuntimeState;

/// Loads the picture of an image record for display, capped in pixels: a picture larger than
/// the screen is scaled to about the screen's pixel area once, and the result is kept as a PNG
/// under "vn_cache/save_memory_image" for later showings. At most the 11 newest loads of all
/// loaders together stay live; an older one that has not started when it is pushed out shows
/// nothing.
class SaveMemoryImageLoader : public QObject
{
    Q_OBJECT
public:
    /// @p screenPixels: width and height of the screen in device pixels. The live loads are
    /// counted in @p state; the files are those of the Library folder @p libraryPath.
    SaveMemoryImageLoader(QSize screenPixels, RuntimeState &state, const QString &libraryPath,
                          QObject *parent = nullptr);

    /// Starts a load; the picture arrives as imageLoaded(token, image) on this object's thread,
    /// scaled on the loading thread to at most @p maxHeight pixels high when given.
    /// Returns the load's token, or "" when nothing is loaded (the file is not complete).
    QString load(const QuickTransferObject &record, int maxHeight = 0);

    static constexpr int kMaxLiveLoads = 11;

    /// The threads that load pictures, shared by every loader: one fewer than the cores (at
    /// least one), so that the main thread keeps a core to itself while pictures load.
    static QThreadPool *pool();

Q_SIGNALS:
    void imageLoaded(const QString &token, const QImage &image);
    /// The load ended without an image (pushed out, or no file).
    void loadSkipped(const QString &token);

private:
    QImage loadImage(const QString &token, const QString &thumbPath, const QString &fullPath);

    QSize m_screen;
    RuntimeState &m_state;
    QString m_libraryPath;
};
