#include "QuickTransferUtils.h"

#include <QFontDatabase>
#include <QFontMetricsF>

#include <cmath>
#include <limits>

int QuickTransferUtils::textRowHeight(double measured)
{
    const int h = int(std::ceil(measured));
    return h < 95 ? h + 39 : 134;
}

double QuickTransferUtils::measureText(const QString &text)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    // Layout units are points of the phone's screen: one point is one logical pixel.
    font.setPixelSize(15);
    font.setBold(true);
    const QFontMetricsF metrics(font);
    return metrics
        .boundingRect(QRectF(0, 0, 220, std::numeric_limits<int>::max()), Qt::TextWordWrap, text)
        .height();
}

int QuickTransferUtils::getCellHeight(const QuickTransferObject &record)
{
    switch (record.type) {
    case QuickTransferTypeLink:
    case QuickTransferTypeFolder:
    case QuickTransferTypeDocument:
        return 75;
    case QuickTransferTypeVideo:
        return 210;
    case QuickTransferTypeImage:
        return 176;
    case QuickTransferTypeMusic:
        return 103;
    case QuickTransferTypeText:
        return textRowHeight(measureText(record.dt));
    default:
        return 0;
    }
}

int QuickTransferUtils::getCellHeight(const QList<QuickTransferObjectPtr> &records)
{
    if (records.size() >= 3)
        return 112;
    if (records.size() == 2)
        return 149;
    if (records.isEmpty() || !records.first())
        return 0;
    return getCellHeight(*records.first());
}
