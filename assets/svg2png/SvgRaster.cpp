#include "SvgRaster.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSvgRenderer>
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

namespace {

// The largest drawing accepted, in points: the widest picture the screens show is a bar.
constexpr int kMaxSide = 1024;

// The SVG reader reports what it cannot draw only as log messages; they are collected while one
// drawing is read, so that a drawing it half understands fails the build.
QStringList *g_svgWarnings = nullptr;
QtMessageHandler g_previousHandler = nullptr;

void collectSvgWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (g_svgWarnings && type != QtDebugMsg && type != QtInfoMsg) {
        g_svgWarnings->append(message);
        return;
    }
    if (g_previousHandler)
        g_previousHandler(type, context, message);
}

class WarningCollector
{
public:
    explicit WarningCollector(QStringList *sink)
    {
        g_svgWarnings = sink;
        g_previousHandler = qInstallMessageHandler(collectSvgWarnings);
    }
    ~WarningCollector()
    {
        qInstallMessageHandler(g_previousHandler);
        g_svgWarnings = nullptr;
    }
    WarningCollector(const WarningCollector &) = delete;
    WarningCollector &operator=(const WarningCollector &) = delete;
};

// The size the drawing declares on its root element, in whole points: the screens lay pictures
// out at that size, and the 2x and 3x files must be exact multiples of it. Empty when the root
// has no such width and height.
QSize declaredSize(const QByteArray &svg)
{
    QXmlStreamReader reader(svg);
    while (!reader.atEnd() && !reader.isStartElement())
        reader.readNext();
    if (!reader.isStartElement() || reader.name() != u"svg"_s)
        return {};
    static const QRegularExpression whole(u"^[1-9][0-9]{0,5}$"_s);
    const QString width = reader.attributes().value(u"width"_s).toString();
    const QString height = reader.attributes().value(u"height"_s).toString();
    if (!whole.match(width).hasMatch() || !whole.match(height).hasMatch())
        return {};
    return {width.toInt(), height.toInt()};
}

// Where the XML of a drawing breaks, for the message; empty when it is well-formed.
QString xmlError(const QByteArray &svg)
{
    QXmlStreamReader reader(svg);
    while (!reader.atEnd())
        reader.readNext();
    if (!reader.hasError())
        return {};
    return u" (line %1: %2)"_s.arg(reader.lineNumber()).arg(reader.errorString());
}

} // namespace

namespace SvgRaster {

Result render(const QString &svgPath)
{
    Result result;
    QFile file(svgPath);
    if (!QFileInfo(svgPath).isFile() || !file.open(QIODevice::ReadOnly)) {
        result.error = u"%1: no such file"_s.arg(svgPath);
        return result;
    }
    const QByteArray svg = file.readAll();
    QStringList warnings;
    {
        WarningCollector collector(&warnings);
        QSvgRenderer renderer(svg);
        if (renderer.isValid() && warnings.isEmpty()) {
            const QSize size = declaredSize(svg);
            if (size.isEmpty() || size.width() > kMaxSide || size.height() > kMaxSide) {
                result.error = u"%1: the svg element needs a width and a height in whole points "
                               "from 1 to %2"_s.arg(svgPath)
                                   .arg(kMaxSide);
                return result;
            }
            for (const int scale : kScales) {
                QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
                image.fill(Qt::transparent);
                QPainter painter(&image);
                painter.setRenderHint(QPainter::Antialiasing);
                renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size * scale)));
                painter.end();
                result.images.append(image);
            }
        }
    }
    if (!warnings.isEmpty()) {
        result.images.clear();
        result.error = u"%1: %2"_s.arg(svgPath, warnings.join(u"; "_s));
    } else if (result.images.isEmpty()) {
        result.error =
            u"%1: not a drawing the SVG reader understands%2"_s.arg(svgPath, xmlError(svg));
    }
    return result;
}

QString scaledFileName(const QString &prefix, int scale)
{
    return scale == 1 ? prefix + u".png"_s : u"%1@%2x.png"_s.arg(prefix).arg(scale);
}

QString writeScaled(const QList<QImage> &images, const QString &prefix)
{
    const QString folder = QFileInfo(prefix).absolutePath();
    if (!QDir().mkpath(folder))
        return u"cannot create %1"_s.arg(folder);
    for (qsizetype i = 0; i < images.size() && i < qsizetype(std::size(kScales)); ++i) {
        // Written whole or not at all, so a failed build leaves no truncated picture behind.
        const QString path = scaledFileName(prefix, kScales[i]);
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || !images[i].save(&file, "PNG") || !file.commit())
            return u"cannot write %1"_s.arg(path);
    }
    return {};
}

} // namespace SvgRaster
