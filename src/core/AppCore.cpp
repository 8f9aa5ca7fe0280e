#include "AppCore.h"

#include "DefaultsKeys.h"
#include "DeviceInfoCenter.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "RuntimeState.h"
#include "SerialQueue.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace {
AppCore *g_current = nullptr;

const QStringList kLibraryFolders = {u"file"_s, u"preview"_s, u"qt"_s, u"image"_s, u"thumb"_s};
} // namespace

AppCore::AppCore(AppConfig config, std::unique_ptr<Platform> platform, QObject *parent)
    : QObject(parent), m_config(std::move(config)), m_platform(std::move(platform)),
      m_hub(std::make_unique<NotificationCenter>())
{
    qRegisterMetaType<FileObjectPtr>();
    m_previous = g_current;
    g_current = this;
    m_runtimeState = std::make_unique<RuntimeState>(*m_hub);
    // The identity is the core's own: every exchange with the PC carries it.
    adopt(std::make_unique<DeviceInfoCenter>());
    m_runtimeState->setStatus(AppStatusNotLoggedIn);
}

AppCore::~AppCore()
{
    // Background work first, so no task outlives what it writes to.
    for (auto &[name, queue] : m_queues)
        queue->waitUntilIdle();
    while (!m_services.empty())
        m_services.pop_back();
    m_queues.clear();
    m_runtimeState.reset();
    m_hub.reset();
    if (g_current == this)
        g_current = m_previous;
}

AppCore *AppCore::current()
{
    return g_current;
}

QString AppCore::libraryPath(const QString &sub) const
{
    return sub.isEmpty() ? m_config.dataDir : QDir(m_config.dataDir).filePath(sub);
}

SerialQueue *AppCore::queue(const QString &name)
{
    std::lock_guard lock(m_queueLock);
    auto &slot = m_queues[name];
    if (!slot)
        slot = std::make_unique<SerialQueue>(name);
    return slot.get();
}

void AppCore::initDirectory()
{
    for (const QString &folder : kLibraryFolders)
        QDir().mkpath(libraryPath(folder));
}

bool AppCore::start(const Hooks &hooks)
{
    FolderLockAttempt attempt = m_platform->folderAccess->lock(libraryPath());
    if (!attempt.lock) {
        const QString folder = QDir::toNativeSeparators(libraryPath());
        if (attempt.inUse && attempt.holderPid)
            m_startError = u"the data folder %1 is in use by another process (pid %2): only one "
                           u"process may use a data folder at a time"_s.arg(
                               folder, QString::number(attempt.holderPid));
        else if (attempt.inUse)
            m_startError = u"the data folder %1 is in use by another process: only one process "
                           u"may use a data folder at a time"_s.arg(folder);
        else
            m_startError = u"cannot lock the data folder %1: %2"_s.arg(folder, attempt.error);
        return false;
    }
    m_libraryLock = std::move(attempt.lock);

    if (hooks.createServices)
        hooks.createServices(*this);
    m_runtimeState->setLastSsid(DeviceInfoCenter::getCurrentSSID());
    DeviceInfoCenter::increaseStatisticsByKey(DeviceInfoCenter::StatAppStart);
    // Looked up now, so that the identifier is known before the first exchange with the PC.
    DeviceInfoCenter::requestDeviceId(this, {});
    const auto openStore = hooks.openStore;
    queue(u"initQueue"_s)->dispatch([this, openStore] {
        initDirectory();
        if (openStore)
            openStore(*this);
    });

    // The system reports the WiFi name when it knows it; only a real change is taken, since a
    // second report of "not on WiFi" would end a login for nothing.
    connect(m_platform->networkInfo.get(), &NetworkInfo::ssidChanged, this, [this] {
        const auto ssid = DeviceInfoCenter::getCurrentSSID();
        if (ssid != m_runtimeState->lastSsid())
            m_runtimeState->setLastSsid(ssid);
    });

    Reachability *reach = m_platform->reachability.get();
    connect(reach, &Reachability::reachabilityChanged, this,
            [this] { m_hub->post(Notifications::NetworkReachabilityChanged); });
    m_hub->addObserver(this, Notifications::NetworkReachabilityChanged,
                       [this](const QVariantMap &) { reachabilityChanged(); });
    reach->startNotifier();

    if (!isFirstLaunchGuideCompleted() && hooks.showGuide)
        hooks.showGuide();
    if (hooks.commitStatistics)
        hooks.commitStatistics();
    return true;
}

void AppCore::willEnterForeground()
{
    m_runtimeState->setLastSsid(DeviceInfoCenter::getCurrentSSID());
    DeviceInfoCenter::increaseStatisticsByKey(DeviceInfoCenter::StatAppStart);
}

void AppCore::reachabilityChanged()
{
    m_runtimeState->setStatus(AppStatusNotLoggedIn);
    m_runtimeState->setLastSsid(DeviceInfoCenter::getCurrentSSID());
}

void AppCore::remoteControlReceived(const QVariant &event)
{
    if (!event.isValid() || event.isNull())
        return;
    m_hub->post(Notifications::RemoteControlReceived, {{u"event"_s, event}});
}

bool AppCore::isFirstLaunchGuideCompleted() const
{
    return m_platform->userDefaults->boolForKey(DefaultsKeys::IsNotFirstV2);
}

void AppCore::completeFirstLaunchGuide()
{
    m_platform->userDefaults->setValue(DefaultsKeys::IsNotFirstV2, true);
    m_platform->userDefaults->synchronize();
}
