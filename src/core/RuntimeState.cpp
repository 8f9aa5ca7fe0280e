#include "RuntimeState.h"

#include "AppCore.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"

RuntimeState::RuntimeState(NotificationCenter &hub, QObject *parent) : QObject(parent), m_hub(hub)
{
}

RuntimeState *RuntimeState::sharedInstance()
{
    AppCore *core = AppCore::current();
    Q_ASSERT_X(core, "RuntimeState", "no application core is running");
    return core ? core->runtimeState() : nullptr;
}

void RuntimeState::setApi(const QString &api)
{
    if (api == m_api)
        return;
    m_api = api;
    if (!m_api.endsWith(u'/'))
        m_api += u'/';
    Q_EMIT apiChanged();
}

void RuntimeState::setClientCount(int count)
{
    if (count == m_clientCount)
        return;
    m_clientCount = count;
    Q_EMIT clientCountChanged();
    m_hub.post(Notifications::ClientCountChanged);
}

void RuntimeState::setPcName(const QString &name)
{
    if (name == m_pcName)
        return;
    m_pcName = name;
    Q_EMIT pcNameChanged();
}

void RuntimeState::setLastSsid(const std::optional<QString> &ssid)
{
    if (ssid && m_lastSsid && *ssid == *m_lastSsid)
        return;
    m_lastSsid = ssid;
    Q_EMIT lastSsidChanged();
    setStatus(AppStatusNotLoggedIn);
    m_hub.post(Notifications::SsidChanged);
}

void RuntimeState::setStatus(quint64 status)
{
    if (status == m_status)
        return;
    m_status = status;
    Q_EMIT statusChanged();
    m_hub.post(Notifications::AppStatusChanged);
}

void RuntimeState::setIsMainViewCovered(bool covered)
{
    if (covered == m_isMainViewCovered)
        return;
    m_isMainViewCovered = covered;
    Q_EMIT isMainViewCoveredChanged();
}

void RuntimeState::addSavingMemoryBlockUUID(const QString &uuid)
{
    QMutexLocker lock(&m_uuidLock);
    m_savingMemoryBlockUUIDArray.append(uuid);
}

void RuntimeState::addSavingMemoryBlockUUID(const QString &uuid, qsizetype limit)
{
    QMutexLocker lock(&m_uuidLock);
    const qsizetype excess = m_savingMemoryBlockUUIDArray.size() - qMax(limit - 1, 0);
    if (excess > 0)
        m_savingMemoryBlockUUIDArray.remove(0, excess);
    m_savingMemoryBlockUUIDArray.append(uuid);
}

void RuntimeState::removeSavingMemoryBlockUUID(const QString &uuid)
{
    QMutexLocker lock(&m_uuidLock);
    m_savingMemoryBlockUUIDArray.removeAll(uuid);
}

bool RuntimeState::containsSavingMemoryBlockUUID(const QString &uuid) const
{
    QMutexLocker lock(&m_uuidLock);
    return m_savingMemoryBlockUUIDArray.contains(uuid);
}

QStringList RuntimeState::savingMemoryBlockUUIDArray() const
{
    QMutexLocker lock(&m_uuidLock);
    return m_savingMemoryBlockUUIDArray;
}
