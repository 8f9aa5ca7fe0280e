#include "QuickTransferObject.h"

#include "LocalFiles.h"
#include "QuickTransferRegistry.h"

#include <QDir>
#include <QFileInfo>

#include <mutex>

using namespace Qt::StringLiterals;

namespace {
struct KindList
{
    QStringList extensions;
    quint64 type;
};

const QList<KindList> &kindLists()
{
    static const QList<KindList> lists = {
        {{u"txt"_s, u"doc"_s, u"docx"_s, u"pdf"_s, u"rtf"_s}, QuickTransferTypeDocument},
        {{u"asf"_s, u"avi"_s, u"m4a"_s, u"mov"_s, u"mpeg"_s, u"mkv"_s, u"mp4"_s, u"wmv"_s,
          u"rmvb"_s, u"3gp"_s, u"flv"_s, u"f4v"_s, u"rm"_s},
         QuickTransferTypeVideo},
        {{u"png"_s, u"jpg"_s, u"jpeg"_s, u"bmp"_s, u"gif"_s}, QuickTransferTypeImage},
        {{u"mp3"_s, u"wma"_s}, QuickTransferTypeMusic},
    };
    return lists;
}

QString stringValue(const QVariantMap &m, const QString &key)
{
    const QVariant v = m.value(key);
    // Numbers and booleans are not text: a mistyped value becomes "".
    return v.typeId() == QMetaType::QString ? v.toString() : QString();
}

quint64 unsignedValue(const QVariantMap &m, const QString &key)
{
    const QVariant v = m.value(key);
    switch (v.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::ULongLong:
    case QMetaType::UInt:
    case QMetaType::QString: {
        bool ok = false;
        const qint64 n = v.toLongLong(&ok);
        return ok && n > 0 ? quint64(n) : 0;
    }
    case QMetaType::Double: {
        const double d = v.toDouble();
        return d > 0 && d < 1.8e19 ? quint64(d) : 0;
    }
    default:
        return 0;
    }
}

void normaliseText(QString &s)
{
    if (s.isNull())
        s = u""_s;
}
} // namespace

QuickTransferObject::QuickTransferObject()
{
    registerMetaTypes();
    setNilStringPropertyZeroString();
}

QuickTransferObject::~QuickTransferObject()
{
    if (m_registry)
        m_registry->remove(this);
}

void QuickTransferObject::registerMetaTypes()
{
    static std::once_flag once;
    std::call_once(once, [] {
        qRegisterMetaType<QuickTransferObjectPtr>();
        QMetaType::registerConverter<QuickTransferObjectPtr, QVariantMap>(
            [](const QuickTransferObjectPtr &r) { return r ? r->toVariantMap() : QVariantMap(); });
    });
}

QuickTransferObjectPtr QuickTransferObject::create()
{
    return QuickTransferObjectPtr::create();
}

QuickTransferObjectPtr QuickTransferObject::createWithDictionary(const QVariant &entry,
                                                                 const QString &typeString)
{
    const bool isObject = entry.typeId() == QMetaType::QVariantMap;
    const bool isText = entry.typeId() == QMetaType::QString;
    QuickTransferObjectPtr r;
    if (typeString == u"file"_s && isObject) {
        const QVariantMap m = entry.toMap();
        r = create();
        r->path = stringValue(m, u"path"_s);
        r->size = unsignedValue(m, u"size"_s);
        r->thumb = stringValue(m, u"thumb"_s);
        r->md5 = stringValue(m, u"md5"_s);
        const QVariant folder = m.value(u"folder"_s);
        const bool isFolder =
            folder.typeId() == QMetaType::Bool ? folder.toBool() : unsignedValue(m, u"folder"_s);
        r->type = isFolder ? quint64(QuickTransferTypeFolder) : fileTypeOfPath(r->path);
    } else if (typeString == u"url"_s && isObject) {
        const QVariantMap m = entry.toMap();
        r = create();
        r->url = stringValue(m, u"url"_s);
        r->title = stringValue(m, u"title"_s);
        r->summary = stringValue(m, u"summary"_s);
        r->type = QuickTransferTypeLink;
    } else if ((typeString == u"folder"_s || typeString == u"desktop"_s) && isText) {
        r = create();
        r->dt = entry.toString();
        r->type = QuickTransferTypeFolder;
    } else if (typeString == u"text"_s && isText) {
        r = create();
        r->dt = entry.toString();
        r->type = QuickTransferTypeText;
    } else {
        return {};
    }
    r->applyLocalFileNameRule();
    r->setNilStringPropertyZeroString();
    return r;
}

QuickTransferObjectPtr QuickTransferObject::createWithFileObject(const FileObject &file)
{
    auto r = create();
    r->path = file.path;
    r->size = file.size;
    r->thumb = file.thumb;
    r->type = file.type != FileObject::File ? quint64(QuickTransferTypeFolder)
                                            : fileTypeOfPath(file.path);
    r->applyLocalFileNameRule();
    r->setNilStringPropertyZeroString();
    return r;
}

QuickTransferObjectPtr QuickTransferObject::createWithPath(const QString &pcPath)
{
    auto r = create();
    r->path = pcPath;
    r->type = fileTypeOfPath(pcPath);
    r->applyLocalFileNameRule();
    r->setNilStringPropertyZeroString();
    return r;
}

QString QuickTransferObject::extensionOfPath(const QString &pcPath)
{
    // PC paths are Windows paths: both separators end a component.
    const qsizetype cut = qMax(pcPath.lastIndexOf(u'/'), pcPath.lastIndexOf(u'\\'));
    const qsizetype dot = pcPath.lastIndexOf(u'.');
    return dot <= cut ? QString() : pcPath.mid(dot + 1);
}

quint64 QuickTransferObject::fileTypeOfPath(const QString &pcPath)
{
    const QString ext = extensionOfPath(pcPath).toLower();
    if (ext.isEmpty())
        return QuickTransferTypeDocument;
    for (const KindList &list : kindLists())
        if (list.extensions.contains(ext))
            return list.type;
    return QuickTransferTypeDocument;
}

void QuickTransferObject::applyLocalFileNameRule()
{
    if (!localPath.isEmpty() || path.isEmpty())
        return;
    if (!md5.isEmpty()) {
        const QString ext = extensionOfPath(path);
        localPath = ext.isEmpty() ? md5 : md5 + u'.' + ext;
    } else {
        localPath = path;
    }
}

void QuickTransferObject::setNilStringPropertyZeroString()
{
    for (QString *s : {&dt, &path, &thumb, &url, &title, &summary, &md5, &localPath})
        normaliseText(*s);
}

QString QuickTransferObject::downloadPath(const QString &library) const
{
    if (library.isEmpty())
        return {};
    return LocalFiles::safeLocalPath(QDir(library).filePath(u"qt"_s), localPath);
}

QString QuickTransferObject::partialPath(const QString &library) const
{
    return LocalFiles::partialPath(library, downloadPath(library));
}

quint64 QuickTransferObject::bytesOnDisk(const QString &library) const
{
    const QString final = downloadPath(library);
    if (final.isEmpty())
        return 0;
    QFileInfo info(final);
    if (info.isFile())
        return quint64(info.size());
    info.setFile(partialPath(library));
    return info.isFile() ? quint64(info.size()) : 0;
}

QString QuickTransferObject::thumbnailPath(const QString &library) const
{
    if (library.isEmpty())
        return {};
    return LocalFiles::safeLocalPath(QDir(library).filePath(u"vn_cache/save_memory_image"_s),
                                     localPath);
}

QVariantMap QuickTransferObject::toVariantMap() const
{
    return {{u"identifier"_s, identifier},
            {u"type"_s, type},
            {u"dt"_s, dt},
            {u"path"_s, path},
            {u"size"_s, size},
            {u"thumb"_s, thumb},
            {u"url"_s, url},
            {u"title"_s, title},
            {u"summary"_s, summary},
            {u"md5"_s, md5},
            {u"localPath"_s, localPath},
            {u"first_id"_s, first_id},
            {u"finishedSize"_s, finishedSize},
            {u"from"_s, from}};
}

QString QuickTransferObject::description() const
{
    return u"QuickTransferObject:0x%1 identifier:%2 type:%3, dt:%4 path:%5 size:%6 "
           "finishedSize:%7 thumb:%8 url:%9 title:%10 summary:%11 md5:%12 localPath:%13 "
           "first_id:%14 from:%15"_s.arg(QString::number(quintptr(this), 16),
                                         QString::number(identifier), QString::number(type, 16), dt,
                                         path, QString::number(size), QString::number(finishedSize),
                                         thumb, url, title, summary, md5, localPath,
                                         QString::number(first_id), QString::number(from));
}
