#pragma once

#include "FolderAccess.h"
#include "Keychain.h"
#include "NetworkInfo.h"
#include "Reachability.h"
#include "SystemInfo.h"
#include "UserDefaults.h"

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

    /// The services of this machine: settings in @p settingsFile, the secret service where one
    /// is at hand (and @p preferSecretService), with a file keychain in @p keychainDir wherever
    /// it cannot answer. Nothing here waits for an answer.
    [[nodiscard]] static std::unique_ptr<Platform> createDefault(const QString &settingsFile,
                                                                 const QString &keychainDir,
                                                                 bool preferSecretService);
};
