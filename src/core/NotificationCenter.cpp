#include "NotificationCenter.h"

#include "AppCore.h"

#include <QThread>

NotificationCenter::NotificationCenter(QObject *parent) : QObject(parent) {}

NotificationCenter::~NotificationCenter() = default;

NotificationCenter *NotificationCenter::defaultCenter()
{
    AppCore *core = AppCore::current();
    Q_ASSERT_X(core, "NotificationCenter", "no application core is running");
    return core ? core->notificationCenter() : nullptr;
}

void NotificationCenter::addObserver(QObject *owner, const QString &name, Handler handler)
{
    if (!owner || !handler)
        return;
    m_observers.append(Observer{m_nextId++, owner, name, std::move(handler)});
    if (!m_watchedOwners.contains(owner)) {
        m_watchedOwners.append(owner);
        connect(
            owner, &QObject::destroyed, this, [this, owner] { ownerDestroyed(owner); },
            Qt::DirectConnection);
    }
}

void NotificationCenter::ownerDestroyed(QObject *owner)
{
    m_watchedOwners.removeAll(owner);
    m_observers.removeIf(
        [owner](const Observer &o) { return o.owner.isNull() || o.owner == owner; });
}

void NotificationCenter::removeObserver(QObject *owner)
{
    m_observers.removeIf([owner](const Observer &o) { return o.owner == owner; });
}

void NotificationCenter::removeObserver(QObject *owner, const QString &name)
{
    m_observers.removeIf(
        [owner, &name](const Observer &o) { return o.owner == owner && o.name == name; });
}

void NotificationCenter::post(const QString &name, const QVariantMap &userInfo)
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this, name, userInfo] { post(name, userInfo); }, Qt::QueuedConnection);
        return;
    }
    // Deliver to the observers registered now; one removed during the delivery is skipped, one
    // added during it waits for the next post.
    QList<quint64> ids;
    for (const Observer &o : std::as_const(m_observers)) {
        if (o.name == name)
            ids.append(o.id);
    }
    for (quint64 id : std::as_const(ids)) {
        auto it = std::find_if(m_observers.cbegin(), m_observers.cend(),
                               [id](const Observer &o) { return o.id == id; });
        if (it == m_observers.cend() || it->owner.isNull())
            continue;
        const Handler handler = it->handler;
        handler(userInfo);
    }
}

int NotificationCenter::observerCount(const QString &name) const
{
    return int(std::count_if(m_observers.cbegin(), m_observers.cend(), [&name](const Observer &o) {
        return o.name == name && !o.owner.isNull();
    }));
}
