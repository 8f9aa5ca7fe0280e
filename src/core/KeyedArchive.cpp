#include "KeyedArchive.h"

#include <QDataStream>
#include <QIODevice>

using namespace Qt::StringLiterals;

namespace {
constexpr quint32 kMagic = 0x5a4b4131; // "ZKA1"
}

namespace KeyedArchive {

QByteArray archive(const QVariant &object)
{
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << kMagic << object;
    return data;
}

std::optional<QVariant> unarchive(const QByteArray &data, QString *error)
{
    QDataStream in(data);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0;
    in >> magic;
    if (in.status() != QDataStream::Ok || magic != kMagic) {
        if (error)
            *error = u"not an archive"_s;
        return std::nullopt;
    }
    QVariant object;
    in >> object;
    if (in.status() != QDataStream::Ok || !object.isValid()) {
        if (error)
            *error = u"truncated or corrupt archive"_s;
        return std::nullopt;
    }
    return object;
}

} // namespace KeyedArchive
