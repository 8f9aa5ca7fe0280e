#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

#include <atomic>
#include <functional>
#include <optional>

/// Who this phone is and where it stands: the device identifier, versions, the identity strings
/// (UA) carried by every exchange with the PC, the network position and the usage counters.
class DeviceInfoCenter : public QObject
{
    Q_OBJECT
public:
    /// Usage counters, numbered as in the daily report.
    enum Statistic {
        StatAppStart = 1,
        StatBrowserDownload = 2,
        StatBrowserOpenFile = 3,
        StatQuickTransferFetch = 4,
        StatUploadPhotos = 5,
        StatUploadVideosOrScreenshot = 6,
        StatOpenLink = 7,
        StatOpenText = 8,
        StatPlayVideo = 9,
        StatShowImage = 10,
        StatShutdown = 11,
        StatRemoteControl = 12,
        StatOpenDocument = 13,
        StatPlayMusic = 14,
        StatUnused = 15,
        StatOpenBrowser = 16,
        StatVolumeScreen = 17,
        StatTouchpadScreen = 18,
        StatPresentationScreen = 19,
        StatScreenshotScreen = 20,
    };

    explicit DeviceInfoCenter(QObject *parent = nullptr);
    [[nodiscard]] static DeviceInfoCenter *sharedInstance();

    /// A fresh random identifier: 32 upper-case hexadecimal characters.
    [[nodiscard]] static QString getUUID();
    /// The stable device identifier as far as it is known now: empty until requestDeviceId has
    /// found or made it.
    [[nodiscard]] static QString getDeviceId();
    /// Calls @p done with the stable device identifier: at once when the settings hold it, else
    /// once the keychain has answered (its copy, or a new identifier then saved to it). Not
    /// called once @p receiver is destroyed; a null receiver asks for no guard.
    static void requestDeviceId(QObject *receiver, std::function<void(const QString &)> done);
    /// The name the user gave the phone: the configured one, else the platform's.
    [[nodiscard]] static QString getDeviceName();

    /// The eight-field identity string with @p token as field 8.
    [[nodiscard]] static QString getUAWithToken(const QString &token);
    [[nodiscard]] static QString getLoginUA();
    [[nodiscard]] static QString getAuthUA();
    /// The per-request identity string; empty while no token is stored.
    [[nodiscard]] static QString getHttpRequestUA();
    /// Field 8 of a per-request identity string for @p token at @p seconds; empty when the token
    /// cannot be mixed (it must be 32 characters).
    [[nodiscard]] static QString requestTokenField(const QString &token, quint64 seconds);

    [[nodiscard]] static QString getAppVersion();
    [[nodiscard]] static QString getBuildVersion();
    [[nodiscard]] static QString getPlatformVersion();
    [[nodiscard]] static QString getSystemVersion();
    /// Free bytes on the file system of the temporary directory.
    [[nodiscard]] static quint64 getFreeDiskSpace();
    /// Free bytes on the file system holding @p path.
    [[nodiscard]] static quint64 getFreeDiskSpace(const QString &path);

    [[nodiscard]] static std::optional<QString> getCurrentSSID();
    [[nodiscard]] static std::optional<QString> getLocalWiFiIPAddress();
    [[nodiscard]] static std::optional<QString>
    getServerIpByLocalIp(const std::optional<QString> &localIp);
    [[nodiscard]] static std::optional<QString> getServerWiFiIPAddress();

    static void increaseStatisticsByKey(int counter);
    [[nodiscard]] static QString getStatisticsString();
    /// The stored counts, counter number (as text) to count; empty when none are stored.
    [[nodiscard]] static QVariantMap getStatisticsCounts();
    /// Takes counts that a report carried off the stored ones, so that what was counted while
    /// the report was on its way stays for the next one. A counter brought to 0 is dropped, and
    /// with none left the stored counts are removed.
    static void removeReportedStatistics(const QVariantMap &reported);

    /// Replaces the clock of the per-request stamps (seconds since 1970), for tests.
    void setClock(std::function<quint64()> clock) { m_clock = std::move(clock); }

private:
    struct IdRequest
    {
        QPointer<QObject> receiver;
        bool guarded = false;
        std::function<void(const QString &)> done;
    };

    quint64 nextStamp();
    void deviceIdLoaded(const std::optional<QVariant> &item);

    std::function<quint64()> m_clock;
    std::atomic<quint64> m_lastStamp{0};
    QList<IdRequest> m_idRequests;
    bool m_loadingDeviceId = false;
};
