#include "FileObject.h"

using namespace Qt::StringLiterals;

namespace {
// The field under @p key, read in place; a missing field reads as an invalid QVariant.
const QVariant &field(const QVariantMap &m, const QString &key)
{
    static const QVariant missing;
    const auto it = m.constFind(key);
    return it == m.cend() ? missing : *it;
}

QString text(const QVariantMap &m, const QString &key)
{
    const QVariant &v = field(m, key);
    return v.typeId() == QMetaType::QString ? *static_cast<const QString *>(v.constData())
                                            : v.toString();
}

qint64 readInteger(const QVariantMap &m, const QString &key)
{
    const QVariant &v = field(m, key);
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
    const auto &m = *static_cast<const QVariantMap *>(entry.constData());
    name = text(m, u"name"_s);
    path = text(m, u"path"_s);
    // Types are 32-bit on the wire; sizes are read as 64-bit so files of 2 GiB and more keep their
    // size, and a negative size (a PC that overflowed its own 32-bit field) reads as 0.
    type = quint64(qint64(qint32(readInteger(m, u"type"_s))));
    const quint64 t = quint64(readInteger(m, u"time"_s));
    time = t;
    last_modify = t;
    const qint64 s = readInteger(m, u"size"_s);
    size = s > 0 ? quint64(s) : 0;
    desc = text(m, u"desc"_s);
    thumb = text(m, u"thumb"_s);
}

QVariantMap FileObject::toVariantMap() const
{
    return {{u"name"_s, name},           {u"path"_s, path},   {u"remotePath"_s, remotePath},
            {u"type"_s, type},           {u"time"_s, time},   {u"last_modify"_s, last_modify},
            {u"size"_s, size},           {u"desc"_s, desc},   {u"thumb"_s, thumb}};
}

QString FileObject::description() const
{
    return u"FileObject: name=%1 path=%2 remotePath=%3 type=%4 time=%5 last_modify=%6 size=%7 "
           "desc=%8 thumb=%9 asset=%10"_s.arg(name, path, remotePath)
        .arg(type)
        .arg(time)
        .arg(last_modify)
        .arg(size)
        .arg(desc, thumb, asset);
}
