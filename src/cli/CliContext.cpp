#include "CliContext.h"

#include "DeviceInfoCenter.h"
#include "NotificationCenter.h"

#include <QEventLoop>
#include <QTimer>

using namespace Qt::StringLiterals;

CliContext::CliContext(AppCore &core, bool json) : CliOutput(json), m_core(core) {}

std::optional<QVariantMap> CliContext::waitForNotification(const QString &name, int timeoutMs,
                                                           const std::function<void()> &trigger)
{
    return waitForAny({name}, timeoutMs, trigger);
}

std::optional<QVariantMap> CliContext::waitForAny(const QStringList &names, int timeoutMs,
                                                  const std::function<void()> &trigger)
{
    QObject owner;
    QEventLoop loop;
    std::optional<QVariantMap> result;
    for (const QString &name : names) {
        m_core.notificationCenter()->addObserver(&owner, name, [&, name](const QVariantMap &info) {
            if (result)
                return;
            QVariantMap withName = info;
            withName.insert(u"name"_s, name);
            result = withName;
            loop.quit();
        });
    }
    if (trigger)
        trigger();
    if (!result) {
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return result;
}

void CliContext::waitUntilSettled(int timeoutMs)
{
    NetworkInfo *network = m_core.platform().networkInfo.get();
    const auto settled = [this, network] {
        return !DeviceInfoCenter::getDeviceId().isEmpty() &&
               (m_core.config().ssidOverride || network->isSsidReported());
    };
    if (settled())
        return;
    QObject owner;
    QEventLoop loop;
    const auto check = [&] {
        if (settled())
            loop.quit();
    };
    DeviceInfoCenter::requestDeviceId(&owner, [&](const QString &) { check(); });
    QObject::connect(network, &NetworkInfo::ssidChanged, &owner, check);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!settled())
        loop.exec();
}
