#pragma once

// A fresh application core per test: temporary data and keychain folders, fake platform,
// settings in a real file of the data folder.

#include "AppCore.h"
#include "DeviceInfoCenter.h"
#include "FakePlatform.h"
#include "NotificationCenter.h"

#include <QDir>
#include <QEventLoop>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QVariantMap>

#include <memory>

struct TestCore
{
    explicit TestCore(AppConfig config = {}, bool fakePlatform = true)
    {
        config.dataDir = dataDir.path();
        if (config.keychainDir.isEmpty())
            config.keychainDir = keychainDir.path();
        if (config.deviceName.isEmpty())
            config.deviceName = QStringLiteral("Test phone");
        if (config.feedbackUrl.isEmpty())
            config.feedbackUrl = QStringLiteral("http://127.0.0.1:9/");
        if (config.statsUrl.isEmpty())
            config.statsUrl = QStringLiteral("http://127.0.0.1:9/");
        config.preferSecretService = false;
        const QString settings = dataDir.filePath(QStringLiteral("settings.ini"));
        core = std::make_unique<AppCore>(
            config, fakePlatform ? makeFakePlatform(settings)
                                 : Platform::createDefault(settings, config.keychainDir, false));
    }

    [[nodiscard]] FakeNetworkInfo &network() const
    {
        return static_cast<FakeNetworkInfo &>(*core->platform().networkInfo);
    }
    [[nodiscard]] FakeKeychain &keychain() const
    {
        return static_cast<FakeKeychain &>(*core->platform().keychain);
    }
    [[nodiscard]] FakeReachability &reachability() const
    {
        return static_cast<FakeReachability &>(*core->platform().reachability);
    }
    [[nodiscard]] FakeSystemInfo &system() const
    {
        return static_cast<FakeSystemInfo &>(*core->platform().systemInfo);
    }
    [[nodiscard]] FakeFolderAccess &folders() const
    {
        return static_cast<FakeFolderAccess &>(*core->platform().folderAccess);
    }
    [[nodiscard]] NotificationCenter *hub() const { return core->notificationCenter(); }
    [[nodiscard]] QString library() const { return core->libraryPath(); }

    /// Creates a service of this test's core, as the wiring does at start-up.
    template <class T, class... Args> T *make(Args &&...args)
    {
        return core->adopt(std::make_unique<T>(std::forward<Args>(args)...));
    }
    /// The device identifier, after the keychain's answer where it takes one; empty when none
    /// came within @p timeoutMs.
    [[nodiscard]] QString deviceId(int timeoutMs = 5000) const
    {
        QString id;
        QEventLoop loop;
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        DeviceInfoCenter::requestDeviceId(&loop, [&](const QString &value) {
            id = value;
            loop.quit();
        });
        if (id.isEmpty())
            loop.exec();
        return id;
    }

    QTemporaryDir dataDir;
    QTemporaryDir keychainDir;
    std::unique_ptr<AppCore> core;
};

/// Records the names (and payloads) posted on the hub for the given names, in order.
struct NotificationRecorder : QObject
{
    NotificationRecorder(NotificationCenter *hub, const QStringList &names)
    {
        for (const QString &name : names)
            hub->addObserver(this, name, [this, name](const QVariantMap &info) {
                posted << name;
                payloads << info;
            });
    }
    [[nodiscard]] int count(const QString &name) const { return int(posted.count(name)); }
    [[nodiscard]] QVariantMap last(const QString &name) const
    {
        for (qsizetype i = posted.size() - 1; i >= 0; --i)
            if (posted[i] == name)
                return payloads[i];
        return {};
    }
    void clear()
    {
        posted.clear();
        payloads.clear();
    }
    QStringList posted;
    QList<QVariantMap> payloads;
};
