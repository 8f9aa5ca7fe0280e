#include "Platform.h"

#include "FileKeychain.h"
#include "LinuxFolderAccess.h"
#include "LinuxNetworkInfo.h"
#include "LinuxReachability.h"
#include "LinuxSystemInfo.h"
#include "LinuxVibration.h"

#ifdef ZEPHYR_HAVE_QTKEYCHAIN
#include "SecretServiceKeychain.h"
#endif

using namespace Qt::StringLiterals;

namespace {
// The session bus only where the session names one: otherwise asking for it would try to start a
// bus of its own.
QDBusConnection sessionBusIfAny()
{
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return QDBusConnection(u"zephyr-no-session-bus"_s);
    return QDBusConnection::sessionBus();
}

std::unique_ptr<Keychain> makeKeychain(const QString &keychainDir, bool preferSecretService)
{
    auto files = std::make_unique<FileKeychain>(keychainDir);
#ifdef ZEPHYR_HAVE_QTKEYCHAIN
    if (preferSecretService && !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return std::make_unique<SecretServiceKeychain>(std::move(files));
#else
    Q_UNUSED(preferSecretService)
#endif
    return files;
}
} // namespace

std::unique_ptr<Platform> Platform::createDefault(const QString &settingsFile,
                                                  const QString &keychainDir,
                                                  bool preferSecretService)
{
    auto platform = std::make_unique<Platform>();
    platform->userDefaults = std::make_unique<UserDefaults>(settingsFile);
    platform->keychain = makeKeychain(keychainDir, preferSecretService);
    auto network = std::make_unique<LinuxNetworkInfo>();
    LinuxNetworkInfo *wifi = network.get();
    platform->networkInfo = std::move(network);
    // Declared after the network information, the reachability monitor is destroyed before it.
    platform->reachability =
        std::make_unique<LinuxReachability>([wifi] { return wifi->wifiInterface(); });
    platform->systemInfo = std::make_unique<LinuxSystemInfo>();
    platform->folderAccess = std::make_unique<LinuxFolderAccess>();
    platform->vibration = std::make_unique<LinuxVibration>(sessionBusIfAny());
    return platform;
}
