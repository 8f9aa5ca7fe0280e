#include "Platform.h"

#include "FileKeychain.h"
#include "LinuxNetworkInfo.h"
#include "LinuxSystemInfo.h"
#include "SecretServiceKeychain.h"

std::unique_ptr<Platform> Platform::createDefault(const QString &settingsFile,
                                                  const QString &keychainDir,
                                                  bool preferSecretService)
{
    auto platform = std::make_unique<Platform>();
    platform->userDefaults = std::make_unique<UserDefaults>(settingsFile);
    if (preferSecretService && SecretServiceKeychain::isSupported() &&
        !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") && SecretServiceKeychain::probe())
        platform->keychain = std::make_unique<SecretServiceKeychain>();
    else
        platform->keychain = std::make_unique<FileKeychain>(keychainDir);
    platform->networkInfo = std::make_unique<LinuxNetworkInfo>();
    platform->reachability = std::make_unique<Reachability>();
    platform->systemInfo = std::make_unique<LinuxSystemInfo>();
    return platform;
}
