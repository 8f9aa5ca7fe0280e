#include "FakePlatform.h"

bool FakeKeychain::save(const QString &service, const QByteArray &data)
{
    if (refuse)
        return false;
    items.insert(service, data);
    return true;
}

std::optional<QByteArray> FakeKeychain::load(const QString &service)
{
    if (refuse || !items.contains(service))
        return std::nullopt;
    return items.value(service);
}

bool FakeKeychain::remove(const QString &service)
{
    if (refuse)
        return false;
    items.remove(service);
    return true;
}

std::unique_ptr<Platform> makeFakePlatform(const QString &settingsFile)
{
    auto platform = std::make_unique<Platform>();
    platform->userDefaults = std::make_unique<UserDefaults>(settingsFile);
    platform->keychain = std::make_unique<FakeKeychain>();
    platform->networkInfo = std::make_unique<FakeNetworkInfo>();
    platform->reachability = std::make_unique<FakeReachability>();
    platform->systemInfo = std::make_unique<FakeSystemInfo>();
    return platform;
}
