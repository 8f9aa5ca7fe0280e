#include "SecretServiceKeychain.h"

#include <qt6keychain/keychain.h>

#include <QTimer>

using namespace Qt::StringLiterals;

namespace {
const QString kKeychainService = u"ZephyrWiFi"_s;
}

SecretServiceKeychain::SecretServiceKeychain(std::unique_ptr<Keychain> fallback, int answerLimitMs,
                                             QObject *parent)
    : Keychain(parent), m_fallback(std::move(fallback)), m_answerLimitMs(answerLimitMs)
{
}

// Jobs still running are left to finish and delete themselves: deleting one while the service
// works on it is not safe, and their answers no longer reach this object.
SecretServiceKeychain::~SecretServiceKeychain() = default;

void SecretServiceKeychain::run(QKeychain::Job *job, Finished finished)
{
    auto settled = std::make_shared<bool>(false);
    auto shared = std::make_shared<Finished>(std::move(finished));
    QTimer::singleShot(m_answerLimitMs, this, [settled, shared] {
        if (std::exchange(*settled, true))
            return;
        (*shared)(Outcome::Failed, nullptr);
    });
    connect(job, &QKeychain::Job::finished, this, [settled, shared](QKeychain::Job *j) {
        if (std::exchange(*settled, true))
            return;
        const Outcome outcome = j->error() == QKeychain::NoError         ? Outcome::Answered
                                : j->error() == QKeychain::EntryNotFound ? Outcome::Missing
                                                                         : Outcome::Failed;
        (*shared)(outcome, j);
    });
    job->setAutoDelete(true);
    job->start();
}

void SecretServiceKeychain::save(const QString &service, const QByteArray &data, QObject *receiver,
                                 DoneHandler done)
{
    if (m_serviceFailed) {
        m_fallback->save(service, data, receiver, std::move(done));
        return;
    }
    // Past this point the item is kept whatever becomes of the receiver; only its answer is
    // dropped.
    done = whileAlive(receiver, std::move(done));
    auto *job = new QKeychain::WritePasswordJob(kKeychainService);
    job->setKey(service);
    job->setBinaryData(data);
    run(job, [this, service, data, done](Outcome outcome, QKeychain::Job *) {
        if (outcome == Outcome::Answered) {
            if (done)
                answerLater(nullptr, [done] { done(true); });
            return;
        }
        m_serviceFailed = true;
        m_fallback->save(service, data, nullptr, done);
    });
}

void SecretServiceKeychain::load(const QString &service, QObject *receiver, LoadHandler done)
{
    if (m_serviceFailed) {
        m_fallback->load(service, receiver, std::move(done));
        return;
    }
    done = whileAlive(receiver, std::move(done));
    auto *job = new QKeychain::ReadPasswordJob(kKeychainService);
    job->setKey(service);
    run(job, [this, service, done](Outcome outcome, QKeychain::Job *j) {
        if (outcome == Outcome::Answered) {
            const QByteArray data = static_cast<QKeychain::ReadPasswordJob *>(j)->binaryData();
            if (done)
                answerLater(nullptr, [done, data] { done(data); });
            return;
        }
        if (outcome == Outcome::Failed)
            m_serviceFailed = true;
        m_fallback->load(service, nullptr, done);
    });
}

void SecretServiceKeychain::remove(const QString &service, QObject *receiver, DoneHandler done)
{
    if (m_serviceFailed) {
        m_fallback->remove(service, receiver, std::move(done));
        return;
    }
    done = whileAlive(receiver, std::move(done));
    auto *job = new QKeychain::DeletePasswordJob(kKeychainService);
    job->setKey(service);
    run(job, [this, service, done](Outcome outcome, QKeychain::Job *) {
        if (outcome == Outcome::Failed)
            m_serviceFailed = true;
        // The fallback may hold the item from a run without the service.
        m_fallback->remove(service, nullptr, done);
    });
}
