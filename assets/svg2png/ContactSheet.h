#pragma once

#include <QString>

/// A sheet of every rendered picture for looking them over side by side.
namespace ContactSheet {

/// Draws every "NAME@2x.png" of `imagesFolder`, by height and then by name, once on the light
/// list background and once on the dark menu background, with NAME under it, and writes the
/// sheet to `outPath` (a PNG). Needs a QGuiApplication for the names. Returns an empty text, or why
/// it failed.
[[nodiscard]] QString write(const QString &imagesFolder, const QString &outPath);

} // namespace ContactSheet
