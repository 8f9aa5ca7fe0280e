#pragma once

#include <QSettings>
#include <QString>
#include <QVariant>

#include <memory>

/// The application's small persistent settings ("key_..." entries), kept in a settings file of the
/// data folder. An unreadable file reads as empty; nothing here throws or blocks.
class UserDefaults
{
public:
    /// Settings stored in the ini file at @p filePath; an empty path keeps them in memory only.
    explicit UserDefaults(const QString &filePath);
    ~UserDefaults();

    [[nodiscard]] QVariant value(const QString &key) const;
    [[nodiscard]] QString stringForKey(const QString &key) const;
    [[nodiscard]] bool boolForKey(const QString &key) const;
    [[nodiscard]] QByteArray dataForKey(const QString &key) const;
    [[nodiscard]] bool contains(const QString &key) const;
    void setValue(const QString &key, const QVariant &value);
    void removeObject(const QString &key);
    /// Writes the settings through to the file at once.
    void synchronize();

private:
    std::unique_ptr<QSettings> m_settings;
    QVariantMap m_memory;
};
