#include "DirectoryRowText.h"

#include "Utils.h"

#include <QDateTime>

using namespace Qt::StringLiterals;

DirectoryRowText::Kind DirectoryRowText::kindOf(const FileObject &file)
{
    switch (file.type) {
    case FileObject::File:
        return kindOfFileName(file.name);
    case FileObject::Folder:
        return Kind::Folder;
    case FileObject::Drive:
    case FileObject::DriveOther:
        return Kind::Drive;
    default:
        return Kind::Other;
    }
}

DirectoryRowText::Kind DirectoryRowText::kindOfFileName(const QString &name)
{
    static const QList<std::pair<Kind, QStringList>> groups{
        {Kind::Archive, {u"rar"_s, u"zip"_s}},
        {Kind::Document, {u"txt"_s, u"doc"_s, u"docx"_s, u"pdf"_s, u"rtf"_s}},
        {Kind::Video,
         {u"asf"_s, u"avi"_s, u"m4a"_s, u"mov"_s, u"mpeg"_s, u"mkv"_s, u"mp4"_s, u"wmv"_s,
          u"rmvb"_s, u"3gp"_s, u"flv"_s, u"f4v"_s, u"rm"_s}},
        {Kind::Image, {u"png"_s, u"jpg"_s, u"jpeg"_s, u"bmp"_s, u"gif"_s}},
        {Kind::Music, {u"mp3"_s, u"wma"_s}},
    };
    const QString extension = name.mid(name.lastIndexOf(u'.') + 1).toLower();
    for (const auto &[kind, extensions] : groups)
        if (extensions.contains(extension))
            return kind;
    return Kind::File;
}

QString DirectoryRowText::imageByFileName(const QString &name)
{
    switch (kindOfFileName(name)) {
    case Kind::Archive:
        return u"file_zip.png"_s;
    case Kind::Document:
        return u"file_doc.png"_s;
    case Kind::Video:
        return u"file_video.png"_s;
    case Kind::Image:
        return u"file_image.png"_s;
    case Kind::Music:
        return u"file_music.png"_s;
    default:
        return u"file_default.png"_s;
    }
}

QString DirectoryRowText::iconOf(const FileObject &file)
{
    switch (file.type) {
    case FileObject::File:
        return imageByFileName(file.name);
    case FileObject::Folder:
        return u"file_folder.png"_s;
    default:
        return {};
    }
}

QString DirectoryRowText::sizeText(const FileObject &file)
{
    return file.type == FileObject::File ? Utils::getSizeString(file.size) : QString();
}

QString DirectoryRowText::dateText(const FileObject &file)
{
    if (file.time == 0 || file.time > quint64(std::numeric_limits<qint64>::max()))
        return {};
    const QDateTime date = QDateTime::fromSecsSinceEpoch(qint64(file.time));
    return date.isValid() ? date.toLocalTime().toString(u"yyyy-MM-dd HH:mm"_s) : QString();
}
