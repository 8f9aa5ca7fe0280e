#include "FileObject.h"

using namespace Qt::StringLiterals;

namespace {
QString text(const QVariant &v)
{
    return v.typeId() == QMetaType::QString ? *static_cast<const QString *>(v.constData())
                                            : v.toString();
}

qint64 readInteger(const QVariant &v)
{
    if (v.typeId() == QMetaType::LongLong)
        return *static_cast<const qlonglong *>(v.constData());
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    if (ok)
        return n;
    return qint64(v.toDouble());
}
} // namespace

FileObject::FileObject(const QVariant &entry)
{
    if (entry.typeId() != QMetaType::QVariantMap)
        return;
    // One walk over the entry's own fields; a missing field leaves the member's default, which
    // is what reading it as an invalid value gives.
    const auto &m = *static_cast<const QVariantMap *>(entry.constData());
    for (auto it = m.cbegin(); it != m.cend(); ++it) {
        const QString &key = it.key();
        const QVariant &v = it.value();
        if (key == u"name"_s)
            name = text(v);
        else if (key == u"path"_s)
            path = text(v);
        else if (key == u"type"_s)
            // Types are 32-bit on the wire.
            type = quint64(qint64(qint32(readInteger(v))));
        else if (key == u"time"_s)
            time = last_modify = quint64(readInteger(v));
        else if (key == u"size"_s) {
            // Sizes are read as 64-bit so files of 2 GiB and more keep their size, and a negative
            // size (a PC that overflowed its own 32-bit field) reads as 0.
            const qint64 s = readInteger(v);
            size = s > 0 ? quint64(s) : 0;
        } else if (key == u"desc"_s)
            desc = text(v);
        else if (key == u"thumb"_s)
            thumb = text(v);
    }
}

QVariantMap FileObject::toVariantMap() const
{
    return {{u"name"_s, name}, {u"path"_s, path}, {u"remotePath"_s, remotePath},
            {u"type"_s, type}, {u"time"_s, time}, {u"last_modify"_s, last_modify},
            {u"size"_s, size}, {u"desc"_s, desc}, {u"thumb"_s, thumb}};
}

QString FileObject::description() const
{
    return u"FileObject: name=%1 path=%2 remotePath=%3 type=%4 time=%5 last_modify=%6 size=%7 "
           "desc=%8 thumb=%9 asset=%10"_s.arg(name, path, remotePath, QString::number(type),
                                              QString::number(time), QString::number(last_modify),
                                              QString::number(size), desc, thumb, asset);
}
