#pragma once

#include "FileObject.h"

#include <QList>
#include <QMutex>
#include <QObject>
#include <QStringList>

#include <optional>

/// Connection status bits: 0x100 not logged in (with one reason bit), 0x200 logged in as an
/// ordinary client, 0x400 authorised as administrator.
class NotificationCenter;

enum AppStatus : quint64 {
    AppStatusNotLoggedIn = 256,
    AppStatusBlacklisted = 257,
    AppStatusFullScreen = 258,
    AppStatusRemoteDisabled = 260,
    AppStatusLoggedIn = 512,
    AppStatusAuthorized = 1024,
};

/// What the application knows of its current connection with the PC. Changes of the status, the
/// WiFi name and the client count are announced on the notification hub.
class RuntimeState : public QObject
{
    Q_OBJECT
    /// Base address of the PC's HTTP service, always ending in "/" once set.
    Q_PROPERTY(QString api READ api WRITE setApi NOTIFY apiChanged)
    /// Connection status (AppStatus bits).
    Q_PROPERTY(quint64 status READ status WRITE setStatus NOTIFY statusChanged)
    /// Name of the WiFi network the phone is on; empty when not on WiFi.
    Q_PROPERTY(QString lastSsid READ lastSsidText NOTIFY lastSsidChanged)
    /// Number of devices on the hotspot.
    Q_PROPERTY(int clientCount READ clientCount WRITE setClientCount NOTIFY clientCountChanged)
    /// Name of the PC.
    Q_PROPERTY(QString pcName READ pcName WRITE setPcName NOTIFY pcNameChanged)
    /// True while the side menu is shown over the main screen.
    Q_PROPERTY(bool isMainViewCovered READ isMainViewCovered WRITE setIsMainViewCovered NOTIFY
                   isMainViewCoveredChanged)
public:
    /// Posts its changes on @p hub.
    explicit RuntimeState(NotificationCenter &hub, QObject *parent = nullptr);

    [[nodiscard]] static RuntimeState *sharedInstance();

    [[nodiscard]] QString api() const { return m_api; }
    /// Stores the address with a trailing "/"; an equal address changes nothing.
    void setApi(const QString &api);

    [[nodiscard]] quint16 tcpPort() const { return m_tcpPort; }
    void setTcpPort(quint16 port) { m_tcpPort = port; }
    [[nodiscard]] QString lumoVersion() const { return m_lumoVersion; }
    void setLumoVersion(const QString &v) { m_lumoVersion = v; }
    [[nodiscard]] double expenses() const { return m_expenses; }
    void setExpenses(double e) { m_expenses = e; }
    [[nodiscard]] qint64 traffic() const { return m_traffic; }
    void setTraffic(qint64 t) { m_traffic = t; }

    [[nodiscard]] int clientCount() const { return m_clientCount; }
    /// Posts the client-count notification on a change.
    void setClientCount(int count);

    [[nodiscard]] QString pcName() const { return m_pcName; }
    void setPcName(const QString &name);
    [[nodiscard]] QString shareDir() const { return m_shareDir; }
    void setShareDir(const QString &dir) { m_shareDir = dir; }

    [[nodiscard]] std::optional<QString> lastSsid() const { return m_lastSsid; }
    [[nodiscard]] QString lastSsidText() const { return m_lastSsid.value_or(QString()); }
    /// A different name (a missing one always counts as different) stores it, sets the status to
    /// not logged in and posts the WiFi-name notification.
    void setLastSsid(const std::optional<QString> &ssid);

    [[nodiscard]] QString serverMid() const { return m_serverMid; }
    void setServerMid(const QString &mid) { m_serverMid = mid; }

    [[nodiscard]] QList<FileObjectPtr> diskArray() const { return m_diskArray; }
    void setDiskArray(const QList<FileObjectPtr> &disks) { m_diskArray = disks; }
    [[nodiscard]] FileObjectPtr desktopFile() const { return m_desktopFile; }
    void setDesktopFile(const FileObjectPtr &desktop) { m_desktopFile = desktop; }

    [[nodiscard]] quint64 status() const { return m_status; }
    /// Posts the status notification when the value differs.
    void setStatus(quint64 status);
    [[nodiscard]] bool isAuthorized() const { return m_status & AppStatusAuthorized; }

    [[nodiscard]] bool isMainViewCovered() const { return m_isMainViewCovered; }
    void setIsMainViewCovered(bool covered);

    /// Image loads in flight; guarded, since the image loader works off the main thread.
    void addSavingMemoryBlockUUID(const QString &uuid);
    /// Appends @p uuid after dropping the oldest tokens while @p limit or more are held, in one
    /// step under the list's lock, so that every loader shares the one cap.
    void addSavingMemoryBlockUUID(const QString &uuid, qsizetype limit);
    void removeSavingMemoryBlockUUID(const QString &uuid);
    [[nodiscard]] bool containsSavingMemoryBlockUUID(const QString &uuid) const;
    [[nodiscard]] QStringList savingMemoryBlockUUIDArray() const;

Q_SIGNALS:
    void apiChanged();
    void statusChanged();
    void lastSsidChanged();
    void clientCountChanged();
    void pcNameChanged();
    void isMainViewCoveredChanged();

private:
    NotificationCenter &m_hub;
    QString m_api;
    quint16 m_tcpPort = 0;
    QString m_lumoVersion;
    double m_expenses = 0;
    qint64 m_traffic = 0;
    int m_clientCount = 0;
    QString m_pcName;
    QString m_shareDir;
    std::optional<QString> m_lastSsid;
    QString m_serverMid;
    QList<FileObjectPtr> m_diskArray;
    FileObjectPtr m_desktopFile;
    quint64 m_status = 0;
    bool m_isMainViewCovered = false;
    mutable QMutex m_uuidLock;
    QStringList m_savingMemoryBlockUUIDArray;
};
