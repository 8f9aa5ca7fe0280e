#pragma once

#include <QString>

/// Facts about this machine: its free storage and the name its user gave it.
class SystemInfo
{
public:
    virtual ~SystemInfo() = default;
    /// Free bytes available to the application on the file system holding @p path; 0 when the
    /// file system cannot be asked.
    [[nodiscard]] virtual quint64 freeBytes(const QString &path) const = 0;
    /// The name the user gave this machine.
    [[nodiscard]] virtual QString deviceName() const = 0;
};
