#include "DeviceInfoCenter.h"

#include "AppCore.h"
#include "Base64.h"
#include "CHKeychain.h"
#include "DefaultsKeys.h"
#include "KeyedArchive.h"
#include "StringExtension.h"
#include "Utils.h"

#include <QDateTime>
#include <QDir>
#include <QSysInfo>
#include <QUuid>

using namespace Qt::StringLiterals;

namespace {
const char *const kStatisticKeys[20] = {"kp", "xp", "yp", "yy", "sz", "sw", "jj", "fj", "jr", "jc",
                                        "gj", "xm", "aj", "wp", "cs", "lw", "ty", "jk", "jp", "js"};

UserDefaults &defaults()
{
    return *AppCore::current()->platform().userDefaults;
}

const AppConfig &config()
{
    return AppCore::current()->config();
}

std::optional<QVariantMap> storedStatistics()
{
    const auto object =
        KeyedArchive::unarchive(defaults().dataForKey(DefaultsKeys::StatisticsDictionary));
    if (!object || object->typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    return object->toMap();
}
} // namespace

DeviceInfoCenter::DeviceInfoCenter(QObject *parent)
    : QObject(parent), m_clock([] { return quint64(QDateTime::currentSecsSinceEpoch()); })
{
}

DeviceInfoCenter *DeviceInfoCenter::sharedInstance()
{
    return AppCore::current()->service<DeviceInfoCenter>();
}

QString DeviceInfoCenter::getUUID()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().remove(u'-');
}

QString DeviceInfoCenter::getDeviceId()
{
    return defaults().stringForKey(DefaultsKeys::Uuid);
}

void DeviceInfoCenter::requestDeviceId(QObject *receiver, std::function<void(const QString &)> done)
{
    const QString known = getDeviceId();
    if (!known.isEmpty()) {
        if (done)
            done(known);
        return;
    }
    DeviceInfoCenter *self = sharedInstance();
    self->m_idRequests.append({receiver, receiver != nullptr, std::move(done)});
    if (std::exchange(self->m_loadingDeviceId, true))
        return;
    CHKeychain::load(DefaultsKeys::Uuid, self,
                     [self](const std::optional<QVariant> &item) { self->deviceIdLoaded(item); });
}

void DeviceInfoCenter::deviceIdLoaded(const std::optional<QVariant> &item)
{
    m_loadingDeviceId = false;
    UserDefaults &d = defaults();
    QString id = d.stringForKey(DefaultsKeys::Uuid);
    if (id.isEmpty() && item && item->typeId() == QMetaType::QVariantMap) {
        const QVariant stored = item->toMap().value(DefaultsKeys::Uuid);
        if (stored.typeId() == QMetaType::QString)
            id = stored.toString();
    }
    if (id.isEmpty()) {
        id = getUUID();
        // A keychain that refuses leaves the identifier in the settings alone.
        CHKeychain::save(DefaultsKeys::Uuid, QVariantMap{{DefaultsKeys::Uuid, id}});
    }
    if (d.stringForKey(DefaultsKeys::Uuid) != id) {
        d.setValue(DefaultsKeys::Uuid, id);
        d.synchronize();
    }
    const QList<IdRequest> requests = std::exchange(m_idRequests, {});
    for (const IdRequest &request : requests) {
        if (request.done && (!request.guarded || request.receiver))
            request.done(id);
    }
}

QString DeviceInfoCenter::getDeviceName()
{
    const QString configured = config().deviceName;
    return configured.isEmpty() ? AppCore::current()->platform().systemInfo->deviceName()
                                : configured;
}

QString DeviceInfoCenter::getUAWithToken(const QString &token)
{
    const QStringList fields = {
        u"iPhone"_s,
        getBuildVersion(),
        getPlatformVersion(),
        StringExtension::urlencode(getDeviceName()),
        getLocalWiFiIPAddress().value_or(QString()),
        QString::number(config().udpPort),
        getDeviceId(),
        token,
    };
    QString ua;
    for (const QString &f : fields)
        ua += f + u';';
    return ua;
}

QString DeviceInfoCenter::getLoginUA()
{
    return getUAWithToken(QString());
}

QString DeviceInfoCenter::getAuthUA()
{
    return getUAWithToken(defaults().stringForKey(DefaultsKeys::Token));
}

quint64 DeviceInfoCenter::nextStamp()
{
    quint64 t = m_clock();
    if (t == m_lastStamp.load())
        t += 1;
    m_lastStamp.store(t);
    return t;
}

QString DeviceInfoCenter::requestTokenField(const QString &token, quint64 seconds)
{
    const QString stamp = QString::number(seconds) + u"000"_s;
    const auto mixed = Utils::XORStr1(token, StringExtension::md5(stamp));
    if (!mixed || token.size() != 32)
        return {};
    return Base64::encodeBase64Data(mixed->left(32)) + stamp;
}

QString DeviceInfoCenter::getHttpRequestUA()
{
    const quint64 t = sharedInstance()->nextStamp();
    const QString token = defaults().stringForKey(DefaultsKeys::Token);
    if (token.isEmpty())
        return {};
    // A token the PC never hands out (not 32 characters) cannot be mixed: field 8 stays empty.
    return getUAWithToken(requestTokenField(token, t));
}

QString DeviceInfoCenter::getAppVersion()
{
    return QStringLiteral(ZEPHYR_APP_VERSION);
}

QString DeviceInfoCenter::getBuildVersion()
{
    return QStringLiteral(ZEPHYR_BUILD_VERSION);
}

QString DeviceInfoCenter::getPlatformVersion()
{
    return u"%1.%2"_s.arg(QT_VERSION_MAJOR).arg(QT_VERSION_MINOR);
}

QString DeviceInfoCenter::getSystemVersion()
{
    return QSysInfo::productVersion();
}

quint64 DeviceInfoCenter::getFreeDiskSpace()
{
    return getFreeDiskSpace(QDir::tempPath());
}

quint64 DeviceInfoCenter::getFreeDiskSpace(const QString &path)
{
    return AppCore::current()->platform().systemInfo->freeBytes(path);
}

std::optional<QString> DeviceInfoCenter::getCurrentSSID()
{
    if (config().ssidOverride)
        return *config().ssidOverride;
    return AppCore::current()->platform().networkInfo->currentSsid();
}

std::optional<QString> DeviceInfoCenter::getLocalWiFiIPAddress()
{
    if (config().wifiAddressOverride)
        return *config().wifiAddressOverride;
    return AppCore::current()->platform().networkInfo->wifiAddress();
}

std::optional<QString> DeviceInfoCenter::getServerIpByLocalIp(const std::optional<QString> &localIp)
{
    if (!localIp)
        return std::nullopt;
    const QStringList parts = localIp->split(u'.');
    if (parts.size() != 4)
        return std::nullopt;
    return u"%1.%2.%3.1"_s.arg(parts[0], parts[1], parts[2]);
}

std::optional<QString> DeviceInfoCenter::getServerWiFiIPAddress()
{
    if (config().pcAddressOverride)
        return *config().pcAddressOverride;
    const auto gateway = AppCore::current()->platform().networkInfo->defaultGateway();
    if (gateway && !gateway->isEmpty() && *gateway != u"0.0.0.0")
        return gateway;
    return getServerIpByLocalIp(getLocalWiFiIPAddress());
}

void DeviceInfoCenter::increaseStatisticsByKey(int counter)
{
    QVariantMap counts = storedStatistics().value_or(QVariantMap());
    const QString key = QString::number(counter);
    counts.insert(key, counts.value(key).toLongLong() + 1);
    defaults().setValue(DefaultsKeys::StatisticsDictionary, KeyedArchive::archive(counts));
}

QVariantMap DeviceInfoCenter::getStatisticsCounts()
{
    return storedStatistics().value_or(QVariantMap());
}

void DeviceInfoCenter::removeReportedStatistics(const QVariantMap &reported)
{
    const auto stored = storedStatistics();
    QVariantMap counts = stored.value_or(QVariantMap());
    for (auto it = reported.cbegin(); it != reported.cend(); ++it) {
        const auto count = counts.constFind(it.key());
        if (count == counts.cend())
            continue;
        const qint64 left = count->toLongLong() - it->toLongLong();
        if (left > 0)
            counts.insert(it.key(), left);
        else
            counts.remove(it.key());
    }
    if (counts.isEmpty())
        defaults().removeObject(DefaultsKeys::StatisticsDictionary);
    else if (counts != *stored)
        defaults().setValue(DefaultsKeys::StatisticsDictionary, KeyedArchive::archive(counts));
}

QString DeviceInfoCenter::getStatisticsString()
{
    const QVariantMap counts = storedStatistics().value_or(QVariantMap());
    QStringList items;
    for (int i = 0; i < 20; ++i) {
        items << QString::fromLatin1(kStatisticKeys[i]) + u'_' +
                     QString::number(counts.value(QString::number(i + 1)).toLongLong());
    }
    return items.join(u'#');
}
