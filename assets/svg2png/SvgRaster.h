#pragma once

#include <QImage>
#include <QList>
#include <QString>

/// Renders the application's SVG drawings into PNG files at the screen densities the screens use.
namespace SvgRaster {

/// The densities written: NAME.png, NAME@2x.png and NAME@3x.png.
inline constexpr int kScales[] = {1, 2, 3};

/// What rendering one drawing gave: the images by scale, or why there are none.
struct Result
{
    QList<QImage> images;
    QString error;
};

/// Renders `svgPath` at every scale of `kScales`. The drawing's width and height attributes give
/// its size in points (the 1x size in pixels); a drawing the SVG reader warns about is refused
/// rather than rendered half right.
[[nodiscard]] Result render(const QString &svgPath);

/// Writes the images of `render()` as `prefix`.png, `prefix`@2x.png and `prefix`@3x.png,
/// creating the folder. Returns an empty text, or why it failed.
[[nodiscard]] QString writeScaled(const QList<QImage> &images, const QString &prefix);

/// The output file of one scale: "prefix.png" at 1x, "prefix@Nx.png" otherwise.
[[nodiscard]] QString scaledFileName(const QString &prefix, int scale);

} // namespace SvgRaster
