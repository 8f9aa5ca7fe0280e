#pragma once

#include "Platform.h"

#include <QMap>
#include <QStringList>

/// In-memory keychain for tests. It answers late, as a real one may: @p answerDelayMs after each
/// call (0: on the next turn of the event loop); it can be told to refuse every call.
class FakeKeychain : public Keychain
{
    Q_OBJECT
public:
    void save(const QString &service, const QByteArray &data, QObject *receiver,
              DoneHandler done) override;
    void load(const QString &service, QObject *receiver, LoadHandler done) override;
    void remove(const QString &service, QObject *receiver, DoneHandler done) override;

    /// Calls not answered yet.
    [[nodiscard]] int pendingCalls() const { return m_pending; }

    bool refuse = false;
    int answerDelayMs = 0;
    QMap<QString, QByteArray> items;

private:
    /// Runs @p work when the answer is due, and gives its result to @p done if the receiver
    /// still lives.
    template <class Result>
    void answer(QObject *receiver, std::function<Result()> work, std::function<void(Result)> done);

    int m_pending = 0;
};

/// Network position set by the test; the WiFi name can be reported late, as the system does.
class FakeNetworkInfo : public NetworkInfo
{
    Q_OBJECT
public:
    [[nodiscard]] std::optional<QString> currentSsid() const override { return ssid; }
    [[nodiscard]] bool isSsidReported() const override { return reported; }
    std::optional<QString> wifiAddress() override { return address; }
    std::optional<QString> defaultGateway() override { return gateway; }

    /// Reports @p name as the WiFi name now, signalling when it differs or is the first report.
    void reportSsid(const std::optional<QString> &name);
    /// Reports @p name after @p delayMs.
    void reportSsidLater(const std::optional<QString> &name, int delayMs);

    std::optional<QString> ssid;
    std::optional<QString> address;
    std::optional<QString> gateway;
    bool reported = true;
};

/// Reachability whose changes the test triggers.
class FakeReachability : public Reachability
{
    Q_OBJECT
public:
    void startNotifier() override { started = true; }
    void simulateChange() { Q_EMIT reachabilityChanged(); }
    bool started = false;
};

/// Machine facts set by the test.
class FakeSystemInfo : public SystemInfo
{
public:
    [[nodiscard]] quint64 freeBytes(const QString &) const override { return free; }
    [[nodiscard]] QString deviceName() const override { return name; }

    quint64 free = quint64(1) << 40;
    QString name = QStringLiteral("Fake phone");
};

/// Folder locks and ownership set by the test: every lock is granted unless the test says the
/// folders are in use; every folder counts as private unless the test says otherwise.
class FakeFolderAccess : public FolderAccess
{
public:
    [[nodiscard]] FolderLockAttempt lock(const QString &folder) override;
    [[nodiscard]] bool isPrivateFolder(const QString &) const override { return foldersArePrivate; }

    /// Non-zero: every folder is held by this process.
    qint64 heldByPid = 0;
    bool foldersArePrivate = true;
    /// The folders locked so far.
    QStringList locked;
};

/// Motion whose shakes the test makes.
class FakeMotion : public Motion
{
    Q_OBJECT
public:
    [[nodiscard]] bool hasSensor() const override { return sensor; }
    void simulateShake() { Q_EMIT shaken(); }
    bool sensor = true;
};

/// Counts the vibrations asked for.
class FakeVibration : public Vibration
{
    Q_OBJECT
public:
    void vibrate() override { ++vibrations; }
    int vibrations = 0;
};

/// A clipboard in memory.
class FakeClipboard : public Clipboard
{
    Q_OBJECT
public:
    void copyText(const QString &copied) override { text = copied; }
    QString text;
};

/// Records what would be composed and opened. A message ends with `result` on the next turn of
/// the event loop (Failed where the device cannot send it); an openable address is opened while
/// `opens` is set.
class FakeComposer : public Composer
{
    Q_OBJECT
public:
    [[nodiscard]] bool canSendMail() const override { return mail; }
    [[nodiscard]] bool canSendText() const override { return text; }
    void sendMail(const QString &body) override;
    void sendText(const QString &body) override;
    bool openUrl(const QUrl &url) override;

    bool mail = true;
    bool text = true;
    bool opens = true;
    Result result = Result::Sent;
    QStringList mails;
    QStringList texts;
    QList<QUrl> openedUrls;
};

/// A platform of fakes with settings kept in @p settingsFile (empty: in memory).
[[nodiscard]] std::unique_ptr<Platform> makeFakePlatform(const QString &settingsFile = {});
