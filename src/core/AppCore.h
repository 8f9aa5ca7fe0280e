#pragma once

#include "AppConfig.h"
#include "Platform.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <typeindex>
#include <vector>

class NotificationCenter;
class RuntimeState;
class SerialQueue;

/// The running application without its screens: owns the platform, the notification hub, the
/// runtime state and every service, and runs the start-up sequence in its fixed order. The GUI and
/// the command line each build one; a test builds one per test function.
class AppCore : public QObject
{
    Q_OBJECT
public:
    /// What the layers above the core plug into the start-up sequence.
    struct Hooks
    {
        /// Creates the long-lived services, in order, before the WiFi name is read, and hands
        /// each to adopt().
        std::function<void(AppCore &)> createServices;
        /// Opens the local store; runs on the "initQueue" after the folders are made.
        std::function<void(AppCore &)> openStore;
        /// Shows the first-launch guide (only called while it has not been completed).
        std::function<void()> showGuide;
        /// The daily statistics report.
        std::function<void()> commitStatistics;
    };

    AppCore(AppConfig config, std::unique_ptr<Platform> platform, QObject *parent = nullptr);
    ~AppCore() override;

    /// The running core; every sharedInstance() is reached through it.
    [[nodiscard]] static AppCore *current();

    [[nodiscard]] NotificationCenter *notificationCenter() const { return m_hub.get(); }
    [[nodiscard]] RuntimeState *runtimeState() const { return m_runtimeState.get(); }
    [[nodiscard]] Platform &platform() const { return *m_platform; }
    [[nodiscard]] UserDefaults &userDefaults() const { return *m_platform->userDefaults; }
    [[nodiscard]] const AppConfig &config() const { return m_config; }

    /// The Library folder, or one of its sub-folders.
    [[nodiscard]] QString libraryPath(const QString &sub = {}) const;
    /// The named serial queue ("initQueue", "writeDataQueue", ...), created on first use.
    [[nodiscard]] SerialQueue *queue(const QString &name);

    /// The running service of type T, or null before start() has created it.
    template <class T> [[nodiscard]] T *service() const
    {
        std::lock_guard lock(m_serviceLock);
        const auto it = m_serviceIndex.find(std::type_index(typeid(T)));
        return it == m_serviceIndex.end() ? nullptr : static_cast<T *>(it->second);
    }

    /// Takes a service the wiring created; services are destroyed in reverse order of adoption.
    template <class T> T *adopt(std::unique_ptr<T> owned)
    {
        std::lock_guard lock(m_serviceLock);
        T *raw = owned.get();
        m_serviceIndex[std::type_index(typeid(T))] = raw;
        m_services.push_back(std::move(owned));
        return raw;
    }

    /// Runs the start-up sequence: services, WiFi name, launch counter, folders and store on the
    /// "initQueue", platform observers, first-launch guide, statistics report. First the Library
    /// folder is locked for this process, as two processes writing one folder spoil each other's
    /// files and rows: when another process holds it (or it cannot be locked) nothing starts,
    /// and false is returned with the reason in startError().
    bool start(const Hooks &hooks);
    /// Why start() refused to run; empty when it ran.
    [[nodiscard]] QString startError() const { return m_startError; }

    /// Creates the folders of the Library (missing ones only; failures are ignored).
    void initDirectory();

    /// The application came back to the foreground.
    void willEnterForeground();
    /// The network link changed, whatever the new state.
    void reachabilityChanged();
    /// A media remote-control event; a missing event posts nothing.
    void remoteControlReceived(const QVariant &event);

    /// Whether the first-launch guide has been left with its start button.
    [[nodiscard]] bool isFirstLaunchGuideCompleted() const;
    void completeFirstLaunchGuide();

private:
    // Declared first, so released only after everything that writes to the folder has gone (the
    // settings are written when the platform goes).
    std::unique_ptr<FolderLock> m_libraryLock;
    AppConfig m_config;
    std::unique_ptr<Platform> m_platform;
    std::unique_ptr<NotificationCenter> m_hub;
    std::unique_ptr<RuntimeState> m_runtimeState;
    mutable std::mutex m_serviceLock;
    std::vector<std::unique_ptr<QObject>> m_services;
    std::map<std::type_index, QObject *> m_serviceIndex;
    std::mutex m_queueLock;
    std::map<QString, std::unique_ptr<SerialQueue>> m_queues;
    AppCore *m_previous = nullptr;
    QString m_startError;
};
