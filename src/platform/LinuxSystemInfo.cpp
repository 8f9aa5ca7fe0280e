#include "LinuxSystemInfo.h"

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <cerrno>

#include <sys/statvfs.h>

using namespace Qt::StringLiterals;

namespace {
// The value of a shell-style assignment: quotes removed, backslash escapes resolved.
QByteArray unquote(QByteArrayView value)
{
    QByteArray out;
    char quote = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (quote == '\'') {
            if (c == '\'')
                quote = 0;
            else
                out += c;
        } else if (c == '\\' && i + 1 < value.size()) {
            out += value[++i];
        } else if (quote == '"') {
            if (c == '"')
                quote = 0;
            else
                out += c;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '#' && (i == 0 || value[i - 1] == ' ')) {
            break;
        } else {
            out += c;
        }
    }
    return out;
}
} // namespace

quint64 LinuxSystemInfo::freeBytes(const QString &path) const
{
    // statvfs alone: QStorageInfo would also read the mount table on every call. A path not
    // made yet lies on the file system of its nearest existing folder.
    QString probe = QFileInfo(path).absoluteFilePath();
    for (;;) {
        struct statvfs fs
        {
        };
        if (::statvfs(QFile::encodeName(probe).constData(), &fs) == 0)
            return quint64(fs.f_bavail) * quint64(fs.f_frsize);
        const QString parent = QFileInfo(probe).absolutePath();
        if (errno != ENOENT || parent == probe)
            return 0;
        probe = parent;
    }
}

std::optional<QString> LinuxSystemInfo::parsePrettyHostname(QByteArrayView machineInfo)
{
    std::optional<QString> name;
    constexpr QByteArrayView key = "PRETTY_HOSTNAME=";
    const QList<QByteArray> lines = machineInfo.toByteArray().split('\n');
    for (const QByteArray &raw : lines) {
        const QByteArray line = raw.trimmed();
        if (!line.startsWith(key))
            continue;
        const QString value = QString::fromUtf8(unquote(line.sliced(key.size()))).trimmed();
        name = value.isEmpty() ? std::nullopt : std::optional<QString>(value);
    }
    return name;
}

QString LinuxSystemInfo::deviceName() const
{
    QFile info(u"/etc/machine-info"_s);
    if (info.open(QIODevice::ReadOnly)) {
        if (auto name = parsePrettyHostname(info.read(64 * 1024)))
            return *name;
    }
    return QSysInfo::machineHostName();
}
