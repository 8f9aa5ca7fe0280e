#include "BlurredImages.h"

#include <QMutexLocker>

using namespace Qt::StringLiterals;

namespace {
constexpr int KeptImages = 4;
constexpr int Downscale = 8;
constexpr int Radius = 2;

// One horizontal and one vertical running-sum pass over premultiplied pixels.
void boxBlur(QImage &image)
{
    const int w = image.width();
    const int h = image.height();
    if (w < 2 || h < 2)
        return;
    std::vector<quint32> line(static_cast<size_t>(std::max(w, h)));
    auto pass = [&](int count, int length, auto pixelAt) {
        for (int i = 0; i < count; ++i) {
            for (int j = 0; j < length; ++j)
                line[size_t(j)] = *pixelAt(i, j);
            for (int j = 0; j < length; ++j) {
                quint32 sum[4] = {0, 0, 0, 0};
                int n = 0;
                for (int k = std::max(0, j - Radius); k <= std::min(length - 1, j + Radius); ++k) {
                    const quint32 p = line[size_t(k)];
                    for (int c = 0; c < 4; ++c)
                        sum[c] += (p >> (8 * c)) & 0xff;
                    ++n;
                }
                quint32 out = 0;
                for (int c = 0; c < 4; ++c)
                    out |= (sum[c] / quint32(n)) << (8 * c);
                *pixelAt(i, j) = out;
            }
        }
    };
    pass(h, w, [&](int y, int x) { return reinterpret_cast<quint32 *>(image.scanLine(y)) + x; });
    pass(w, h, [&](int x, int y) { return reinterpret_cast<quint32 *>(image.scanLine(y)) + x; });
}

class Provider : public QQuickImageProvider
{
public:
    explicit Provider(std::shared_ptr<BlurredImages::Store> store)
        : QQuickImageProvider(QQuickImageProvider::Image), m_store(std::move(store))
    {
    }

    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override
    {
        QImage image;
        {
            QMutexLocker lock(&m_store->mutex);
            image = m_store->images.value(id);
        }
        if (image.isNull()) {
            image = QImage(1, 1, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
        }
        if (requestedSize.isValid())
            image = image.scaled(requestedSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (size)
            *size = image.size();
        return image;
    }

private:
    std::shared_ptr<BlurredImages::Store> m_store;
};
} // namespace

BlurredImages::BlurredImages(QObject *parent) : QObject(parent), m_store(std::make_shared<Store>())
{
}

QImage BlurredImages::blurred(const QImage &image)
{
    if (image.isNull())
        return {};
    const QSize small(std::max(1, image.width() / Downscale),
                      std::max(1, image.height() / Downscale));
    QImage out = image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                     .scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    for (int i = 0; i < 3; ++i)
        boxBlur(out);
    return out;
}

QUrl BlurredImages::blur(const QImage &image)
{
    const QString id = QString::number(++m_next);
    QImage copy = blurred(image);
    {
        QMutexLocker lock(&m_store->mutex);
        m_store->images.insert(id, std::move(copy));
        m_store->order.append(id);
        while (m_store->order.size() > KeptImages)
            m_store->images.remove(m_store->order.takeFirst());
    }
    return QUrl(u"image://%1/%2"_s.arg(QLatin1StringView(ProviderId), id));
}

QImage BlurredImages::image(const QString &id) const
{
    QMutexLocker lock(&m_store->mutex);
    return m_store->images.value(id);
}

QQuickImageProvider *BlurredImages::createProvider()
{
    return new Provider(m_store);
}
