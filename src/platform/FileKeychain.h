#pragma once

#include "Keychain.h"

/// Keychain over a private folder, one file per item, for machines without a secret service.
/// The files are small and local, so each call does its work at once and answers on the next
/// turn of the event loop.
class FileKeychain : public Keychain
{
    Q_OBJECT
public:
    explicit FileKeychain(const QString &directory, QObject *parent = nullptr);

    void save(const QString &service, const QByteArray &data, QObject *receiver,
              DoneHandler done) override;
    void load(const QString &service, QObject *receiver, LoadHandler done) override;
    void remove(const QString &service, QObject *receiver, DoneHandler done) override;

    [[nodiscard]] QString directory() const { return m_directory; }

private:
    [[nodiscard]] QString itemPath(const QString &service) const;
    [[nodiscard]] bool saveNow(const QString &service, const QByteArray &data);
    [[nodiscard]] std::optional<QByteArray> loadNow(const QString &service) const;
    [[nodiscard]] bool removeNow(const QString &service);

    QString m_directory;
};
