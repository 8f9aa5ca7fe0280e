#pragma once

#include "Keychain.h"

#include <memory>

namespace QKeychain {
class Job;
}

/// Keychain over the desktop secret service, through QtKeychain's asynchronous jobs. Where the
/// service cannot answer (none running, an error, or no answer within the time limit) the item
/// goes to the fallback keychain instead, and once the service has failed every later call
/// does. An item the service does not hold is looked up in the fallback too, so an identifier
/// kept there by a run without the service is still found.
class SecretServiceKeychain : public Keychain
{
    Q_OBJECT
public:
    static constexpr int DefaultAnswerLimitMs = 5000;

    explicit SecretServiceKeychain(std::unique_ptr<Keychain> fallback,
                                   int answerLimitMs = DefaultAnswerLimitMs,
                                   QObject *parent = nullptr);
    ~SecretServiceKeychain() override;

    void save(const QString &service, const QByteArray &data, QObject *receiver,
              DoneHandler done) override;
    void load(const QString &service, QObject *receiver, LoadHandler done) override;
    void remove(const QString &service, QObject *receiver, DoneHandler done) override;

    /// Whether the service has failed, so that every call goes to the fallback.
    [[nodiscard]] bool usesFallback() const { return m_serviceFailed; }

private:
    enum class Outcome { Answered, Missing, Failed };
    using Finished = std::function<void(Outcome, QKeychain::Job *)>;
    /// Starts @p job; @p finished gets its outcome once, at its answer or at the time limit.
    void run(QKeychain::Job *job, Finished finished);

    std::unique_ptr<Keychain> m_fallback;
    int m_answerLimitMs;
    bool m_serviceFailed = false;
};
