#pragma once

#include "Clipboard.h"
#include "Composer.h"
#include "FolderAccess.h"
#include "Keychain.h"
#include "Motion.h"
#include "NetworkInfo.h"
#include "Reachability.h"
#include "SystemInfo.h"
#include "UserDefaults.h"
#include "Vibration.h"

#include <memory>

/// The phone platform's services that the application relies on. The composition root builds the
/// real ones for this operating system; tests build fakes (FakePlatform.h).
struct Platform
{
    std::unique_ptr<UserDefaults> userDefaults;
    std::unique_ptr<Keychain> keychain;
    std::unique_ptr<NetworkInfo> networkInfo;
    std::unique_ptr<Reachability> reachability;
    std::unique_ptr<SystemInfo> systemInfo;
    std::unique_ptr<FolderAccess> folderAccess;
    std::unique_ptr<Vibration> vibration;
    /// The services only a window uses, set by addGuiServices() (PlatformGui.h, in the
    /// zephyr_platform_gui library); null in zephyr-cli.
    std::unique_ptr<Motion> motion;
    std::unique_ptr<Clipboard> clipboard;
    std::unique_ptr<Composer> composer;

    /// The services of this machine: settings in @p settingsFile, the secret service where one
    /// is at hand (and @p preferSecretService), with a file keychain in @p keychainDir wherever
    /// it cannot answer. Nothing here waits for an answer.
    [[nodiscard]] static std::unique_ptr<Platform> createDefault(const QString &settingsFile,
                                                                 const QString &keychainDir,
                                                                 bool preferSecretService);
};
