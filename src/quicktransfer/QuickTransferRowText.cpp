#include "QuickTransferRowText.h"

#include "Utils.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

QString QuickTransferRowText::iconOf(const QuickTransferObject &record)
{
    switch (record.type) {
    case QuickTransferTypeLink:
        return u"qt_icon_link.png"_s;
    case QuickTransferTypeFolder:
        return u"qt_icon_folder.png"_s;
    case QuickTransferTypeText:
        return u"qt_icon_text.png"_s;
    case QuickTransferTypeDocument:
        return u"qt_icon_doc.png"_s;
    case QuickTransferTypeVideo:
        return u"qt_icon_video.png"_s;
    case QuickTransferTypeImage:
        return u"qt_icon_image.png"_s;
    case QuickTransferTypeMusic:
        return u"qt_icon_music.png"_s;
    default:
        return {};
    }
}

QString QuickTransferRowText::titleOf(const QuickTransferObject &record)
{
    switch (record.type) {
    case QuickTransferTypeLink:
        return record.title.isEmpty() ? tr("无标题") : record.title;
    case QuickTransferTypeFolder: {
        const QString name = lastPathComponent(record.dt);
        return name.isEmpty() ? tr("资源管理器") : name;
    }
    case QuickTransferTypeText:
        return record.dt;
    default:
        return lastPathComponent(record.path);
    }
}

QString QuickTransferRowText::sizeText(const QuickTransferObject &record)
{
    return Utils::getSizeString(record.size);
}

std::optional<double> QuickTransferRowText::downloadRate(const QuickTransferObject &record)
{
    if (!record.isFile())
        return std::nullopt;
    return record.size == 0 ? 1.0 : double(record.finishedSize) / double(record.size);
}

std::optional<double> QuickTransferRowText::downloadRate(const QList<QuickTransferObjectPtr> &group)
{
    if (group.size() == 1)
        return downloadRate(*group.first());
    if (group.isEmpty())
        return std::nullopt;
    double finished = 0;
    double size = 0;
    for (const auto &record : group) {
        finished += double(record->finishedSize);
        size += double(record->size);
    }
    return size == 0 ? 1.0 : finished / size;
}

std::optional<QString> QuickTransferRowText::progressText(double rate)
{
    if (!(rate > 0 && rate < 1))
        return std::nullopt;
    return tr("正在下载... %1%").arg(QString::asprintf("%0.1f", rate * 100));
}

QString QuickTransferRowText::lastPathComponent(const QString &path)
{
    static const QRegularExpression separators(u"[/\\\\]+"_s);
    const QStringList parts = path.split(separators, Qt::SkipEmptyParts);
    return parts.isEmpty() ? QString() : parts.last();
}
