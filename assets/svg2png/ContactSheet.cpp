#include "ContactSheet.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QSaveFile>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int kSheetWidth = 2400;
constexpr int kPad = 12;
constexpr int kMinCellWidth = 200;
constexpr int kLabelHeight = 30;
const QColor kSheet(0xFF, 0xFF, 0xFF);
const QColor kLight(0xF4, 0xF5, 0xF8);
const QColor kDark(0x2D, 0x2B, 0x2F);
const QColor kLabel(0x33, 0x33, 0x33);

struct Cell
{
    QString name;
    QImage image;
    QRect rect;
};

int cellWidth(const QImage &image)
{
    return std::max(image.width() + 2 * kPad, kMinCellWidth);
}

int cellHeight(const QImage &image)
{
    return 2 * (image.height() + 2 * kPad) + kLabelHeight;
}

// One pane: the background, a faint frame around the picture's own box, the picture centred.
void drawPane(QPainter &painter, const QRect &pane, const QColor &background, const QColor &frame,
              const QImage &image)
{
    painter.fillRect(pane, background);
    const QRect box(pane.center().x() - image.width() / 2, pane.top() + kPad, image.width(),
                    image.height());
    painter.setPen(frame);
    painter.drawRect(box.adjusted(-1, -1, 0, 0));
    painter.drawImage(box.topLeft(), image);
}

} // namespace

namespace ContactSheet {

QString write(const QString &imagesFolder, const QString &outPath)
{
    const QDir folder(imagesFolder);
    if (!folder.exists())
        return u"%1: no such folder"_s.arg(imagesFolder);
    QList<Cell> cells;
    const QStringList files = folder.entryList({u"*@2x.png"_s}, QDir::Files, QDir::Name);
    for (const QString &file : files) {
        QImage image(folder.filePath(file));
        if (image.isNull())
            return u"%1: not a picture"_s.arg(folder.filePath(file));
        // The reader takes "@2x" in the name as a density; the sheet shows the pixels one to one.
        image.setDevicePixelRatio(1);
        cells.append({file.chopped(int(qstrlen("@2x.png"))), image, {}});
    }
    if (cells.isEmpty())
        return u"%1: no NAME@2x.png pictures"_s.arg(imagesFolder);
    // Pictures of one height share rows, so a tall one does not leave a row mostly empty; within
    // a height the names stay in order and a family stays together.
    std::stable_sort(cells.begin(), cells.end(), [](const Cell &a, const Cell &b) {
        return a.image.height() < b.image.height();
    });

    int x = 0;
    int y = 0;
    int rowHeight = 0;
    for (Cell &cell : cells) {
        const int width = std::min(cellWidth(cell.image), kSheetWidth);
        if (x > 0 && x + width > kSheetWidth) {
            x = 0;
            y += rowHeight + kPad;
            rowHeight = 0;
        }
        cell.rect = QRect(x, y, width, cellHeight(cell.image));
        x += width + kPad;
        rowHeight = std::max(rowHeight, cell.rect.height());
    }

    QImage sheet(kSheetWidth, y + rowHeight, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(kSheet);
    QPainter painter(&sheet);
    QFont font = painter.font();
    font.setPixelSize(18);
    painter.setFont(font);
    for (const Cell &cell : std::as_const(cells)) {
        const int paneHeight = cell.image.height() + 2 * kPad;
        const QRect light(cell.rect.left(), cell.rect.top(), cell.rect.width(), paneHeight);
        drawPane(painter, light, kLight, QColor(0xE6, 0xE7, 0xEC), cell.image);
        drawPane(painter, light.translated(0, paneHeight), kDark, QColor(0x3E, 0x3B, 0x41),
                 cell.image);
        painter.setPen(kLabel);
        const QRect label(cell.rect.left(), cell.rect.top() + 2 * paneHeight, cell.rect.width(),
                          kLabelHeight);
        painter.drawText(
            label, Qt::AlignCenter,
            painter.fontMetrics().elidedText(cell.name, Qt::ElideMiddle, cell.rect.width()));
    }
    painter.end();

    if (!QDir().mkpath(QFileInfo(outPath).absolutePath()))
        return u"cannot create the folder of %1"_s.arg(outPath);
    QSaveFile out(outPath);
    if (!out.open(QIODevice::WriteOnly) || !sheet.save(&out, "PNG") || !out.commit())
        return u"cannot write %1"_s.arg(outPath);
    return {};
}

} // namespace ContactSheet
