#include "SaveMemoryImageLoader.h"

#include "RuntimeState.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QPointer>
#include <QThread>
#include <QThreadPool>
#include <QUuid>

#include <algorithm>
#include <cmath>

Q_GLOBAL_STATIC(QThreadPool, s_pictureThreads)

QThreadPool *SaveMemoryImageLoader::pool()
{
    static const bool sized = [] {
        s_pictureThreads->setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
        return true;
    }();
    Q_UNUSED(sized);
    return s_pictureThreads;
}

SaveMemoryImageLoader::SaveMemoryImageLoader(QSize screenPixels, RuntimeState &state,
                                             const QString &libraryPath, QObject *parent)
    : QObject(parent), m_screen(screenPixels), m_state(state), m_libraryPath(libraryPath)
{
}

QString SaveMemoryImageLoader::load(const QuickTransferObject &record, int maxHeight)
{
    if (record.finishedSize < record.size)
        return {};
    const QString token = QUuid::createUuid().toString(QUuid::WithoutBraces);
    RuntimeState *state = &m_state;
    state->addSavingMemoryBlockUUID(token, kMaxLiveLoads);
    const QString thumb = record.thumbnailPath(m_libraryPath);
    const QString full = record.downloadPath(m_libraryPath);
    pool()->start(
        [this, self = QPointer<SaveMemoryImageLoader>(this), state, token, thumb, full, maxHeight] {
            QImage image;
            if (state->containsSavingMemoryBlockUUID(token))
                image = loadImage(token, thumb, full);
            if (maxHeight > 0 && image.height() > maxHeight)
                image = image.scaledToHeight(maxHeight, Qt::SmoothTransformation);
            state->removeSavingMemoryBlockUUID(token);
            // The loader may be gone by now: hand over through the application object.
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [self, token, image] {
                    if (!self)
                        return;
                    if (image.isNull())
                        Q_EMIT self->loadSkipped(token);
                    else
                        Q_EMIT self->imageLoaded(token, image);
                },
                Qt::QueuedConnection);
        },
        QThread::HighPriority);
    return token;
}

QImage SaveMemoryImageLoader::loadImage(const QString &, const QString &thumbPath,
                                        const QString &fullPath)
{
    if (!thumbPath.isEmpty() && QFileInfo::exists(thumbPath)) {
        const QImage thumb(thumbPath);
        if (!thumb.isNull())
            return thumb;
    }
    if (fullPath.isEmpty())
        return {};
    QImageReader reader(fullPath);
    const QSize size = reader.size();
    const double screenArea = double(m_screen.width()) * m_screen.height();
    const double area = double(size.width()) * size.height();
    if (size.isValid() && screenArea > 0 && area > screenArea) {
        const double f = std::sqrt(area / screenArea);
        // Decoded straight at the reduced size: the full picture is never held.
        reader.setScaledSize(QSize(int(size.width() / f), int(size.height() / f)));
        const QImage scaled = reader.read();
        if (scaled.isNull())
            return {};
        QDir().mkpath(QFileInfo(thumbPath).absolutePath());
        scaled.save(thumbPath, "PNG");
        return scaled;
    }
    return reader.read();
}
