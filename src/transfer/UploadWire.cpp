#include "UploadWire.h"

#include "JsonUtils.h"
#include "Utils.h"

#include <QtEndian>

using namespace Qt::StringLiterals;

QByteArray UploadWire::be32(quint32 value)
{
    QByteArray out(4, Qt::Uninitialized);
    qToBigEndian(value, out.data());
    return out;
}

QByteArray UploadWire::identity(const QString &ua)
{
    const QByteArray text = JsonUtils::objectToData(QVariantMap{{u"ua"_s, ua}});
    return '\x00' + be32(quint32(text.size())) + Utils::negated(text) + '\x01';
}

QByteArray UploadWire::fileHeader(const QString &targetPath, qint64 seconds, qint64 size)
{
    const QByteArray path = targetPath.toUtf8();
    return '\x02' + be32(quint32(path.size())) + Utils::negated(path) +
           be32(quint32(quint64(seconds) & 0xffffffffu)) +
           be32(quint32(quint64(size) & 0xffffffffu));
}

QByteArray UploadWire::trailer(qint64 size)
{
    return be32(quint32(quint64(size) & 0xffffffffu));
}

QByteArray UploadWire::endMarker()
{
    return QByteArray(1, '\x04');
}

QString UploadWire::targetPath(const QString &folder, const QString &fileName)
{
    if (folder.isEmpty() || folder.endsWith(u'/'))
        return folder + fileName;
    return folder + u'/' + fileName;
}

qint64 UploadWire::fragmentLength(qint64 size, qint64 index)
{
    if (size <= 0 || index < 0)
        return 0;
    const qint64 fragments = (size + FragmentSize - 1) / FragmentSize;
    if (index >= fragments)
        return 0;
    return std::min(FragmentSize, size - FragmentSize * index);
}

quint32 UploadWire::replySize(const QByteArray &reply)
{
    return reply.size() == 4 ? qFromBigEndian<quint32>(reply.constData()) : 0;
}
