#include "CliContext.h"

#include "DeviceInfoCenter.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "QuickTransferRowText.h"

#include <QEventLoop>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {
// A pushed text can be long; a failure names it by its beginning.
constexpr qsizetype kNameInMessage = 60;
} // namespace

CliContext::CliContext(AppCore &core, bool json)
    : CliOutput(json), m_core(core), m_observer(std::make_unique<QObject>())
{
    core.notificationCenter()->addObserver(
        m_observer.get(), Notifications::QuickTransferSaveFailed, [this](const QVariantMap &info) {
            ++m_saveFailures;
            const auto record = info.value(u"object"_s).value<QuickTransferObjectPtr>();
            QString what =
                record ? CliTable::oneLine(QuickTransferRowText::titleOf(*record)) : QString();
            if (what.size() > kNameInMessage)
                what = what.left(kNameInMessage - 1) + u'…';
            fail(u"the history could not store \"%1\": %2"_s.arg(
                what, info.value(u"error"_s).toString()));
        });
}

CliContext::~CliContext() = default;

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
