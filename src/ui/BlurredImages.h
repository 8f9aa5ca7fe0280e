#pragma once

#include <QHash>
#include <QImage>
#include <QMutex>
#include <QObject>
#include <QQuickImageProvider>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

/// Blurred copies of window pictures, the background of overlay screens. A view hands in the
/// picture of the screen it covers and shows the address it gets back; the engine reads the
/// pictures through provider().
class BlurredImages : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("owned by the shell")
public:
    /// The image provider's name in "image://blurred/...".
    static constexpr const char *ProviderId = "blurred";

    explicit BlurredImages(QObject *parent = nullptr);

    /// Blurs @p image and returns the address under which the engine finds the copy. Only the
    /// last few copies are kept.
    Q_INVOKABLE QUrl blur(const QImage &image);

    /// A blurred copy of @p image: scaled down, box-blurred three times, a fraction of its size.
    [[nodiscard]] static QImage blurred(const QImage &image);

    /// The provider to add to an engine; the engine owns it, and it answers while this lives.
    [[nodiscard]] QQuickImageProvider *createProvider();

    /// The copy named @p id, or a null image.
    [[nodiscard]] QImage image(const QString &id) const;

    /// The copies, shared with the providers (which the engine may query from its threads).
    struct Store
    {
        mutable QMutex mutex;
        QHash<QString, QImage> images;
        QList<QString> order;
    };

private:
    std::shared_ptr<Store> m_store;
    int m_next = 0;
};
