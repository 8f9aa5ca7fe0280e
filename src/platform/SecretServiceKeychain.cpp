#include "SecretServiceKeychain.h"

#ifdef ZEPHYR_HAVE_QTKEYCHAIN
#include <qt6keychain/keychain.h>

#include <QEventLoop>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {
const QString kKeychainService = u"ZephyrWiFi"_s;
constexpr int kAnswerLimitMs = 3000;

// Runs a job to completion; false when it failed (a missing entry counts as an answer when
// @p missingIsAnAnswer) or the service did not answer in time.
bool runJob(QKeychain::Job &job, bool missingIsAnAnswer = false)
{
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(kAnswerLimitMs, &loop, &QEventLoop::quit);
    job.setAutoDelete(false);
    job.start();
    if (!finished)
        loop.exec();
    return finished && (job.error() == QKeychain::NoError ||
                        (missingIsAnAnswer && job.error() == QKeychain::EntryNotFound));
}
} // namespace

bool SecretServiceKeychain::isSupported() { return true; }

bool SecretServiceKeychain::probe()
{
    QKeychain::ReadPasswordJob job(kKeychainService);
    job.setKey(u"probe"_s);
    return runJob(job, true);
}

bool SecretServiceKeychain::save(const QString &service, const QByteArray &data)
{
    QKeychain::WritePasswordJob job(kKeychainService);
    job.setKey(service);
    job.setBinaryData(data);
    return runJob(job);
}

std::optional<QByteArray> SecretServiceKeychain::load(const QString &service)
{
    QKeychain::ReadPasswordJob job(kKeychainService);
    job.setKey(service);
    if (!runJob(job))
        return std::nullopt;
    return job.binaryData();
}

bool SecretServiceKeychain::remove(const QString &service)
{
    QKeychain::DeletePasswordJob job(kKeychainService);
    job.setKey(service);
    return runJob(job, true);
}
#else
bool SecretServiceKeychain::isSupported() { return false; }
bool SecretServiceKeychain::probe() { return false; }
bool SecretServiceKeychain::save(const QString &, const QByteArray &) { return false; }
std::optional<QByteArray> SecretServiceKeychain::load(const QString &) { return std::nullopt; }
bool SecretServiceKeychain::remove(const QString &) { return false; }
#endif
