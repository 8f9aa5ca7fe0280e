#include "FakePlatform.h"

#include <QPointer>
#include <QTimer>

template <class Result>
void FakeKeychain::answer(QObject *receiver, std::function<Result()> work,
                          std::function<void(Result)> done)
{
    ++m_pending;
    QTimer::singleShot(answerDelayMs, this,
                       [this, guard = QPointer<QObject>(receiver), guarded = receiver != nullptr,
                        work = std::move(work), done = std::move(done)] {
                           --m_pending;
                           const Result result = work();
                           if ((guarded && !guard) || !done)
                               return;
                           done(result);
                       });
}

void FakeKeychain::save(const QString &service, const QByteArray &data, QObject *receiver,
                        DoneHandler done)
{
    answer<bool>(
        receiver,
        [this, service, data] {
            if (refuse)
                return false;
            items.insert(service, data);
            return true;
        },
        std::move(done));
}

void FakeKeychain::load(const QString &service, QObject *receiver, LoadHandler done)
{
    answer<std::optional<QByteArray>>(
        receiver,
        [this, service]() -> std::optional<QByteArray> {
            if (refuse || !items.contains(service))
                return std::nullopt;
            return items.value(service);
        },
        std::move(done));
}

void FakeKeychain::remove(const QString &service, QObject *receiver, DoneHandler done)
{
    answer<bool>(
        receiver,
        [this, service] {
            if (refuse)
                return false;
            items.remove(service);
            return true;
        },
        std::move(done));
}

void FakeNetworkInfo::reportSsid(const std::optional<QString> &name)
{
    const bool first = !std::exchange(reported, true);
    if (!first && name == ssid)
        return;
    ssid = name;
    Q_EMIT ssidChanged();
}

void FakeNetworkInfo::reportSsidLater(const std::optional<QString> &name, int delayMs)
{
    QTimer::singleShot(delayMs, this, [this, name] { reportSsid(name); });
}

FolderLockAttempt FakeFolderAccess::lock(const QString &folder)
{
    FolderLockAttempt attempt;
    if (heldByPid) {
        attempt.inUse = true;
        attempt.holderPid = heldByPid;
        return attempt;
    }
    locked << folder;
    attempt.lock = std::make_unique<FolderLock>();
    return attempt;
}

void FakeComposer::sendMail(const QString &body)
{
    const Result ending = mail ? result : Result::Failed;
    if (mail)
        mails.append(body);
    QTimer::singleShot(0, this, [this, ending] { Q_EMIT mailFinished(ending); });
}

void FakeComposer::sendText(const QString &body)
{
    const Result ending = text ? result : Result::Failed;
    if (text)
        texts.append(body);
    QTimer::singleShot(0, this, [this, ending] { Q_EMIT textFinished(ending); });
}

bool FakeComposer::openUrl(const QUrl &url)
{
    if (!opens || !isOpenable(url))
        return false;
    openedUrls.append(url);
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
    platform->folderAccess = std::make_unique<FakeFolderAccess>();
    platform->vibration = std::make_unique<FakeVibration>();
    platform->motion = std::make_unique<FakeMotion>();
    platform->clipboard = std::make_unique<FakeClipboard>();
    platform->composer = std::make_unique<FakeComposer>();
    return platform;
}
