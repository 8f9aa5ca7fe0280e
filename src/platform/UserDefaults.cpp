#include "UserDefaults.h"

UserDefaults::UserDefaults(const QString &filePath)
{
    if (!filePath.isEmpty())
        m_settings = std::make_unique<QSettings>(filePath, QSettings::IniFormat);
}

UserDefaults::~UserDefaults()
{
    if (m_settings)
        m_settings->sync();
}

QVariant UserDefaults::value(const QString &key) const
{
    return m_settings ? m_settings->value(key) : m_memory.value(key);
}

QString UserDefaults::stringForKey(const QString &key) const
{
    const QVariant v = value(key);
    return v.canConvert<QString>() ? v.toString() : QString();
}

bool UserDefaults::boolForKey(const QString &key) const
{
    const QVariant v = value(key);
    if (v.typeId() == QMetaType::QString)
        return v.toString() == u"true" || v.toString() == u"1";
    return v.toBool();
}

QByteArray UserDefaults::dataForKey(const QString &key) const
{
    const QVariant v = value(key);
    return v.typeId() == QMetaType::QByteArray ? v.toByteArray() : QByteArray();
}

bool UserDefaults::contains(const QString &key) const
{
    return m_settings ? m_settings->contains(key) : m_memory.contains(key);
}

void UserDefaults::setValue(const QString &key, const QVariant &value)
{
    if (m_settings)
        m_settings->setValue(key, value);
    else
        m_memory.insert(key, value);
}

void UserDefaults::removeObject(const QString &key)
{
    if (m_settings)
        m_settings->remove(key);
    else
        m_memory.remove(key);
}

void UserDefaults::synchronize()
{
    if (m_settings)
        m_settings->sync();
}
