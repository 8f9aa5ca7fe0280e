#pragma once

#include "SystemInfo.h"

#include <QByteArrayView>

#include <optional>

/// Machine facts on Linux: free space from statvfs, and the pretty host name of
/// /etc/machine-info, else the host name.
class LinuxSystemInfo : public SystemInfo
{
public:
    [[nodiscard]] quint64 freeBytes(const QString &path) const override;
    [[nodiscard]] QString deviceName() const override;

    /// The PRETTY_HOSTNAME of the text of /etc/machine-info (shell-style assignments, quoted or
    /// not), or nothing when it is missing or empty.
    [[nodiscard]] static std::optional<QString> parsePrettyHostname(QByteArrayView machineInfo);
};
