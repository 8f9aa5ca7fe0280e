#include "LinuxNetworkInfo.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QProcess>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {
constexpr unsigned kRouteFlagGateway = 0x2;
constexpr int kToolTimeLimitMs = 1500;

QString readTextFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

std::optional<QString> runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(kToolTimeLimitMs))
        return std::nullopt;
    if (!process.waitForFinished(kToolTimeLimitMs)) {
        process.kill();
        process.waitForFinished(100);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput());
}
} // namespace

std::optional<QString> LinuxNetworkInfo::parseDefaultGateway(const QString &routeTable,
                                                             const QString &interfaceName)
{
    std::optional<QString> gateway;
    const QStringList lines = routeTable.split(u'\n', Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        const QStringList f = line.split(QRegularExpression(u"\\s+"_s), Qt::SkipEmptyParts);
        if (f.size() < 4 || f[0] == u"Iface")
            continue;
        bool okDest = false, okGw = false, okFlags = false;
        const quint32 dest = f[1].toUInt(&okDest, 16);
        const quint32 gw = f[2].toUInt(&okGw, 16);
        const quint32 flags = f[3].toUInt(&okFlags, 16);
        if (!okDest || !okGw || !okFlags || f[0] != interfaceName)
            continue;
        if (dest != 0 || !(flags & kRouteFlagGateway) || gw == 0)
            continue;
        // The kernel prints the address in host (little-endian) byte order.
        gateway = u"%1.%2.%3.%4"_s.arg(gw & 0xff).arg((gw >> 8) & 0xff).arg((gw >> 16) & 0xff).arg(
            (gw >> 24) & 0xff);
    }
    return gateway;
}

QStringList LinuxNetworkInfo::parseWirelessInterfaces(const QString &procWireless)
{
    QStringList names;
    const QStringList lines = procWireless.split(u'\n', Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        const qsizetype colon = line.indexOf(u':');
        if (colon <= 0)
            continue;
        const QString name = line.left(colon).trimmed();
        if (!name.isEmpty() && !name.contains(u' ') && !name.contains(u'|'))
            names << name;
    }
    return names;
}

std::optional<QString> LinuxNetworkInfo::parseNmcliActiveSsid(const QString &output)
{
    const QStringList lines = output.split(u'\n', Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        // Terse output escapes ':' and '\' inside fields with a backslash.
        QStringList fields;
        QString current;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar c = line[i];
            if (c == u'\\' && i + 1 < line.size()) {
                current += line[++i];
            } else if (c == u':') {
                fields << current;
                current.clear();
            } else {
                current += c;
            }
        }
        fields << current;
        if (fields.size() >= 2 && fields[0] == u"yes" && !fields[1].isEmpty())
            return fields.mid(1).join(u':');
    }
    return std::nullopt;
}

std::optional<QString> LinuxNetworkInfo::wifiInterfaceName()
{
    const QDir sys(u"/sys/class/net"_s);
    const QStringList entries = sys.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : entries) {
        if (QFileInfo::exists(sys.filePath(name + u"/wireless"_s)) ||
            QFileInfo::exists(sys.filePath(name + u"/phy80211"_s)))
            return name;
    }
    const QStringList fromProc = parseWirelessInterfaces(readTextFile(u"/proc/net/wireless"_s));
    if (!fromProc.isEmpty())
        return fromProc.first();
    return std::nullopt;
}

std::optional<QString> LinuxNetworkInfo::currentSsid()
{
    if (!wifiInterfaceName())
        return std::nullopt;
    if (auto out = runTool(u"nmcli"_s, {u"-t"_s, u"-f"_s, u"ACTIVE,SSID"_s, u"dev"_s, u"wifi"_s}))
        if (auto ssid = parseNmcliActiveSsid(*out))
            return ssid;
    if (auto out = runTool(u"iwgetid"_s, {u"-r"_s})) {
        const QString ssid = out->trimmed();
        if (!ssid.isEmpty())
            return ssid;
    }
    return std::nullopt;
}

std::optional<QString> LinuxNetworkInfo::wifiAddress()
{
    const auto name = wifiInterfaceName();
    if (!name)
        return std::nullopt;
    const QNetworkInterface iface = QNetworkInterface::interfaceFromName(*name);
    if (!iface.isValid() || (iface.flags() & QNetworkInterface::IsLoopBack))
        return std::nullopt;
    const auto entries = iface.addressEntries();
    for (const QNetworkAddressEntry &entry : entries) {
        if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
            return entry.ip().toString();
    }
    return std::nullopt;
}

std::optional<QString> LinuxNetworkInfo::defaultGateway()
{
    const auto name = wifiInterfaceName();
    if (!name)
        return std::nullopt;
    return parseDefaultGateway(readTextFile(u"/proc/net/route"_s), *name);
}
