#pragma once

#include "Keychain.h"

/// Keychain over a private folder, one file per item, for machines without a secret service.
class FileKeychain : public Keychain
{
public:
    explicit FileKeychain(const QString &directory);
    bool save(const QString &service, const QByteArray &data) override;
    [[nodiscard]] std::optional<QByteArray> load(const QString &service) override;
    bool remove(const QString &service) override;

    [[nodiscard]] QString directory() const { return m_directory; }

private:
    [[nodiscard]] QString itemPath(const QString &service) const;
    QString m_directory;
};
