// zephyr-svg2png: renders one SVG drawing into NAME.png, NAME@2x.png and NAME@3x.png for the
// application's resources, or lays every rendered picture out on one contact sheet.
#include "ContactSheet.h"
#include "SvgRaster.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

const char kUsage[] = "usage: zephyr-svg2png IN.svg OUT_PREFIX\n"
                      "       zephyr-svg2png --contact-sheet OUT.png IMAGES_FOLDER\n";

int fail(const QString &message)
{
    std::fprintf(stderr, "zephyr-svg2png: %s\n", qUtf8Printable(message));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    const bool contactSheet = argc == 4 && qstrcmp(argv[1], "--contact-sheet") == 0;
    if (!contactSheet && (argc != 3 || argv[1][0] == '-')) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (contactSheet) {
        // The names on the sheet need fonts, hence a GUI application; no window is shown.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        const QString error =
            ContactSheet::write(QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[2]));
        return error.isEmpty() ? 0 : fail(error);
    }
    QCoreApplication app(argc, argv);
    const SvgRaster::Result result = SvgRaster::render(QString::fromLocal8Bit(argv[1]));
    if (!result.error.isEmpty())
        return fail(result.error);
    const QString error = SvgRaster::writeScaled(result.images, QString::fromLocal8Bit(argv[2]));
    return error.isEmpty() ? 0 : fail(error);
}
