#include "CliRecords.h"

#include "DirectoryRowText.h"
#include "QuickTransferRowText.h"

using namespace Qt::StringLiterals;

namespace CliRecords {

QString kindText(const QuickTransferObject &record)
{
    switch (record.type) {
    case QuickTransferTypeLink:
        return u"link"_s;
    case QuickTransferTypeFolder:
        return u"folder"_s;
    case QuickTransferTypeText:
        return u"text"_s;
    case QuickTransferTypeDocument:
        return u"document"_s;
    case QuickTransferTypeVideo:
        return u"video"_s;
    case QuickTransferTypeImage:
        return u"image"_s;
    case QuickTransferTypeMusic:
        return u"music"_s;
    default:
        return u"0x"_s + QString::number(record.type, 16);
    }
}

QString kindText(const FileObject &file)
{
    switch (DirectoryRowText::kindOf(file)) {
    case DirectoryRowText::Kind::Folder:
        return u"folder"_s;
    case DirectoryRowText::Kind::Drive:
        return u"drive"_s;
    case DirectoryRowText::Kind::Archive:
        return u"archive"_s;
    case DirectoryRowText::Kind::Document:
        return u"document"_s;
    case DirectoryRowText::Kind::Video:
        return u"video"_s;
    case DirectoryRowText::Kind::Image:
        return u"image"_s;
    case DirectoryRowText::Kind::Music:
        return u"music"_s;
    case DirectoryRowText::Kind::File:
        return u"file"_s;
    case DirectoryRowText::Kind::Other:
        break;
    }
    return u"other"_s;
}

namespace {
QString stateText(const QuickTransferObject &record, bool waiting)
{
    const auto rate = QuickTransferRowText::downloadRate(record);
    if (!rate)
        return {};
    if (*rate >= 1)
        return u"downloaded"_s;
    if (waiting)
        return u"waiting"_s;
    if (*rate <= 0)
        return u"not downloaded"_s;
    return QString::asprintf("%0.1f%%", *rate * 100);
}

QString sizeText(const QuickTransferObject &record)
{
    if (record.type == QuickTransferTypeLink || record.type == QuickTransferTypeText)
        return {};
    return QuickTransferRowText::sizeText(record);
}
} // namespace

void print(CliOutput &out, const QList<QuickTransferObjectPtr> &shown,
           const QList<QuickTransferObjectPtr> &waiting)
{
    // A record the history refused has no identifier; its failure has been reported instead.
    QList<QuickTransferObjectPtr> records;
    for (const auto &record : shown)
        if (record->identifier || record->type == QuickTransferTypeFolder)
            records << record;
    if (out.json()) {
        for (const auto &record : records) {
            QVariantMap printed = record->toVariantMap();
            if (waiting.contains(record))
                printed.insert(u"waiting"_s, true);
            out.print(printed);
        }
        return;
    }
    if (records.isEmpty())
        return;
    CliTable table({u"KIND"_s, u"SIZE"_s, u"STATE"_s, u"NAME"_s},
                   {CliTable::Left, CliTable::Right, CliTable::Left, CliTable::Left});
    for (const auto &record : records)
        table.addRow({kindText(*record), sizeText(*record),
                      stateText(*record, waiting.contains(record)),
                      QuickTransferRowText::titleOf(*record)});
    out.printTable(table);
}

void printListing(CliOutput &out, const QList<FileObjectPtr> &files, const QVariantMap &answer)
{
    if (out.json()) {
        out.print(answer);
        return;
    }
    CliTable table({u"KIND"_s, u"SIZE"_s, u"MODIFIED"_s, u"NAME"_s},
                   {CliTable::Left, CliTable::Right, CliTable::Left, CliTable::Left}, false);
    for (const auto &file : files)
        table.addRow({kindText(*file), DirectoryRowText::sizeText(*file),
                      DirectoryRowText::dateText(*file), file->name});
    out.printTable(table);
}

} // namespace CliRecords
