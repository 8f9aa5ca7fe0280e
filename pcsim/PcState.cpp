#include "PcState.h"

#include "Wire.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr qsizetype MaxRecords = 2000;
constexpr qint64 Md5Limit = 64 * 1024 * 1024;

QJsonObject client(const QString &mac, const QString &name, const QString &ip, int admin)
{
    return {{u"mac"_s, mac},       {u"name"_s, name},   {u"ip"_s, ip},
            {u"isadmin"_s, admin}, {u"up_limit"_s, 0},  {u"down_limit"_s, 0},
            {u"up_rate"_s, 0},     {u"down_rate"_s, 0}, {u"online_time"_s, u"0:05"_s}};
}
} // namespace

void logLine(const QString &line)
{
    std::fprintf(stderr, "zephyr-pc: %s\n", line.toUtf8().constData());
    std::fflush(stderr);
}

bool isPicture(const QString &name)
{
    static const QStringList exts{u"jpg"_s, u"jpeg"_s, u"png"_s, u"gif"_s,
                                  u"bmp"_s, u"webp"_s, u"heic"_s};
    return exts.contains(QFileInfo(name).suffix().toLower());
}

PcState::PcState(const QString &root) : m_root(root)
{
    m_root.mkpath(u"."_s);
    m_root.setPath(m_root.canonicalPath());
    if (m_root.entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty()) {
        m_root.mkpath(u"C:"_s);
        m_root.mkpath(u"Desktop"_s);
    }
    machineId = Wire::newToken().toUpper();
    reset();
}

void PcState::reset()
{
    pcName = u"ZEPHYR-PC"_s;
    volume = 50;
    locked = false;
    shutdownSec = 0;
    ppt = false;
    strict = false;
    clients = QJsonArray{client(u"AA:BB:CC:00:00:01"_s, u"管理员的手机"_s, u"127.0.0.1"_s, 1),
                         client(u"AA:BB:CC:00:00:02"_s, u"Laptop"_s, u"192.168.23.3"_s, 0)};
    blocks = {};
    selection = {{u"type"_s, u"unknown"_s}};
    loginType = 1;
    loginEnable = 1;
    authVerdict = u"accept"_s;
    authAction = 1;
    fixedToken.clear();
    feedbackErrno = 0;
    statsAnswer = {{u"errno"_s, 0}, {u"update"_s, 0}};
    logins = udp = uploads = feedback = stats = operations = {};
    requests.clear();
    faults.clear();
}

QString PcState::pcUa(const QString &token) const
{
    return u"PC;3.0;Windows;%1;%2;%3;%4;%5;"_s.arg(Wire::formEncode(pcName), host,
                                                   QString::number(port), machineId, token);
}

QString PcState::apiBase(const QString &hostOverride) const
{
    return u"http://%1:%2/"_s.arg(hostOverride.isEmpty() ? host : hostOverride,
                                  QString::number(httpPort));
}

void PcState::record(QJsonArray &list, const QJsonValue &value)
{
    if (list.size() >= MaxRecords)
        list.removeFirst();
    list.append(value);
}

std::optional<Fault> PcState::takeFault(const QStringList &targets)
{
    for (qsizetype i = 0; i < faults.size(); ++i) {
        if (!targets.contains(faults[i].target))
            continue;
        Fault f = faults[i];
        if (faults[i].count > 0 && --faults[i].count == 0)
            faults.removeAt(i);
        return f;
    }
    return std::nullopt;
}

QString PcState::issueToken()
{
    const QString token = fixedToken.isEmpty() ? Wire::newToken() : fixedToken;
    tokens.removeAll(token);
    tokens.append(token);
    while (tokens.size() > 64)
        tokens.removeFirst();
    return token;
}

bool PcState::tokenAccepted(const QString &ua) const
{
    const QStringList f = Wire::uaFields(ua);
    if (f.size() < 8)
        return false;
    const QString token = Wire::tokenOfRequestField(f[7]);
    return !token.isEmpty() && tokens.contains(token);
}

std::optional<QString> PcState::resolve(const QString &pcPath) const
{
    static const QRegularExpression sep(u"[/\\\\]"_s);
    QStringList parts;
    for (const QString &p : pcPath.split(sep, Qt::SkipEmptyParts)) {
        if (p == u"."_s)
            continue;
        if (p == u".."_s || p.contains(QChar(0)))
            return std::nullopt;
        parts << p;
    }
    if (parts.isEmpty())
        return std::nullopt;
    const QString local = m_root.absolutePath() + u'/' + parts.join(u'/');
    // A symbolic link inside the tree must not lead out of it either.
    const QString canonical = QFileInfo(local).canonicalFilePath();
    if (!canonical.isEmpty() && canonical != m_root.absolutePath() &&
        !canonical.startsWith(m_root.absolutePath() + u'/'))
        return std::nullopt;
    return local;
}

QString PcState::pcPathOf(const QString &localPath) const
{
    QString rel = m_root.relativeFilePath(localPath);
    if (!rel.contains(u'/') && rel.endsWith(u':'))
        rel += u'/';
    return rel;
}

QJsonObject PcState::entry(const QFileInfo &info) const
{
    const QString path = pcPathOf(info.absoluteFilePath());
    const bool dir = info.isDir();
    return {{u"name"_s, info.fileName()},
            {u"path"_s, path},
            {u"type"_s, dir ? 1 : 0},
            {u"time"_s, info.lastModified().toSecsSinceEpoch()},
            {u"size"_s, dir ? 0 : info.size()},
            {u"desc"_s, QString()},
            {u"thumb"_s, !dir && isPicture(info.fileName()) ? path : QString()}};
}

QJsonArray PcState::listDrives() const
{
    static const QRegularExpression drive(u"^[A-Za-z]:$"_s);
    QJsonArray out;
    for (const QFileInfo &info :
         m_root.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (drive.match(info.fileName()).hasMatch()) {
            // A marker file turns a drive into one that cannot take uploads (type 3).
            const bool fixed = !QFileInfo::exists(info.absoluteFilePath() + u"/.removable"_s);
            out.append(QJsonObject{{u"name"_s, info.fileName()},
                                   {u"path"_s, info.fileName() + u'/'},
                                   {u"type"_s, fixed ? 2 : 3},
                                   {u"time"_s, info.lastModified().toSecsSinceEpoch()},
                                   {u"size"_s, 0},
                                   {u"desc"_s, fixed ? u"本地磁盘"_s : u"可移动磁盘"_s},
                                   {u"thumb"_s, QString()}});
        }
    }
    if (QFileInfo(m_root.absoluteFilePath(u"Desktop"_s)).isDir())
        out.append(QJsonObject{{u"name"_s, u"桌面"_s},
                               {u"path"_s, u"Desktop"_s},
                               {u"type"_s, 1},
                               {u"time"_s, 0},
                               {u"size"_s, 0},
                               {u"desc"_s, QString()},
                               {u"thumb"_s, QString()}});
    return out;
}

std::optional<QJsonArray> PcState::list(const QString &pcPath) const
{
    const auto local = resolve(pcPath);
    if (!local || !QFileInfo(*local).isDir())
        return std::nullopt;
    QJsonArray out;
    const QDir dir(*local);
    for (const QFileInfo &info : dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot,
                                                   QDir::DirsFirst | QDir::Name | QDir::IgnoreCase))
        out.append(entry(info));
    return out;
}

bool PcState::recycle(const QString &pcPath)
{
    const auto local = resolve(pcPath);
    if (!local || !QFileInfo::exists(*local) || pcPathOf(*local).startsWith(u".recycle"_s))
        return false;
    m_root.mkpath(u".recycle"_s);
    const QString target = m_root.absolutePath() + u"/.recycle/"_s +
                           QString::number(QDateTime::currentMSecsSinceEpoch()) + u'_' +
                           QFileInfo(*local).fileName();
    return QDir().rename(*local, target);
}

bool PcState::rename(const QString &pcPath, const QString &newName)
{
    const auto local = resolve(pcPath);
    if (!local || !QFileInfo::exists(*local) || newName.isEmpty() || newName == u"."_s ||
        newName == u".."_s || newName.contains(u'/') || newName.contains(u'\\'))
        return false;
    const QString target = QFileInfo(*local).absolutePath() + u'/' + newName;
    if (QFileInfo::exists(target))
        return false;
    return QDir().rename(*local, target);
}

bool PcState::move(const QString &pcPath, const QString &destDir)
{
    const auto from = resolve(pcPath);
    const auto dest = resolve(destDir);
    if (!from || !dest || !QFileInfo::exists(*from) || !QFileInfo(*dest).isDir())
        return false;
    if ((*dest + u'/').startsWith(*from + u'/'))
        return false; // into itself
    const QString target = *dest + u'/' + QFileInfo(*from).fileName();
    if (QFileInfo::exists(target))
        return false;
    return QDir().rename(*from, target);
}

QString PcState::takeScreenshot()
{
    m_root.mkpath(u"C:/screenshots"_s);
    const QString pcPath = u"C:/screenshots/shot.png"_s;
    QFile f(m_root.absolutePath() + u'/' + pcPath);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    f.write(Wire::pngImage(64, 40, quint32(++m_shots) * 2654435761u));
    return pcPath;
}

QJsonObject PcState::fileItem(const QString &pcPath, const QJsonObject &hints) const
{
    const auto local = resolve(pcPath);
    const QFileInfo info(local.value_or(QString()));
    QString md5;
    if (local && info.isFile() && info.size() <= Md5Limit) {
        QFile f(*local);
        QCryptographicHash h(QCryptographicHash::Md5);
        if (f.open(QIODevice::ReadOnly) && h.addData(&f))
            md5 = QString::fromLatin1(h.result().toHex());
    }
    QJsonObject item{{u"path"_s, pcPath},
                     {u"size"_s, info.isFile() ? info.size() : 0},
                     {u"thumb"_s, isPicture(pcPath) ? pcPath : QString()},
                     {u"md5"_s, md5},
                     {u"folder"_s, info.isDir()}};
    for (const QString &key : {u"size"_s, u"thumb"_s, u"md5"_s, u"folder"_s})
        if (hints.contains(key))
            item[key] = hints[key];
    return item;
}

QJsonObject PcState::shakeAnswer() const
{
    const QString type = selection.value(u"type"_s).toString();
    QJsonObject data{{u"type"_s, type}};
    if (type == u"raw"_s)
        return {{u"err"_s, selection.value(u"err"_s).toInt(0)},
                {u"data"_s, selection.value(u"data"_s)}};
    if (type == u"file"_s) {
        data[u"dt"_s] = fileItem(selection.value(u"path"_s).toString(), selection);
    } else if (type == u"files"_s) {
        data[u"type"_s] = u"file"_s;
        QJsonArray items;
        for (const QJsonValue &v : selection.value(u"paths"_s).toArray())
            items.append(v.isObject() ? fileItem(v[u"path"_s].toString(), v.toObject())
                                      : fileItem(v.toString(), {}));
        data[u"dt"_s] = items;
    } else if (type == u"text"_s) {
        data[u"dt"_s] = selection.value(u"text"_s).toString();
    } else if (type == u"url"_s) {
        data[u"dt"_s] = QJsonObject{{u"url"_s, selection.value(u"url"_s).toString()},
                                    {u"title"_s, selection.value(u"title"_s).toString()},
                                    {u"summary"_s, selection.value(u"summary"_s).toString()}};
    } else if (type == u"folder"_s) {
        data[u"dt"_s] = selection.value(u"path"_s).toString();
    } else if (type == u"desktop"_s) {
        data[u"dt"_s] = u"Desktop"_s;
    } else {
        data[u"type"_s] = u"unknown"_s;
        data[u"dt"_s] = QString();
    }
    return {{u"err"_s, 0}, {u"data"_s, data}};
}

QJsonObject PcState::toJson() const
{
    QJsonObject counts;
    for (auto it = requests.cbegin(); it != requests.cend(); ++it)
        counts[it.key()] = it.value();
    QJsonArray faultList;
    for (const Fault &f : faults)
        faultList.append(QJsonObject{
            {u"target"_s, f.target}, {u"kind"_s, f.kind}, {u"ms"_s, f.ms}, {u"count"_s, f.count}});
    return {{u"volume"_s, volume},
            {u"locked"_s, locked},
            {u"shutdown"_s, shutdownSec},
            {u"ppt"_s, ppt},
            {u"strict"_s, strict},
            {u"clients"_s, clients},
            {u"blocks"_s, blocks},
            {u"selection"_s, selection},
            {u"machine_id"_s, machineId},
            {u"pc_ua"_s, pcUa()},
            {u"tokens"_s, QJsonArray::fromStringList(tokens)},
            {u"phone"_s, QJsonObject{{u"host"_s, phoneHost}, {u"port"_s, phonePort}}},
            {u"root"_s, root()},
            {u"logins"_s, logins},
            {u"udp"_s, udp},
            {u"uploads"_s, uploads},
            {u"feedback"_s, feedback},
            {u"stats"_s, stats},
            {u"operations"_s, operations},
            {u"requests"_s, counts},
            {u"faults"_s, faultList}};
}
