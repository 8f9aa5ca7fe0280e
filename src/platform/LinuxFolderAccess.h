#pragma once

#include "FolderAccess.h"

/// Folder locks and ownership on Linux: an flock(2) on "library.lock" in the folder, which the
/// kernel drops with the process, holding the process id for the message of a second one; and
/// lstat(2) for the owner and the permission bits.
class LinuxFolderAccess : public FolderAccess
{
public:
    [[nodiscard]] FolderLockAttempt lock(const QString &folder) override;
    [[nodiscard]] bool isPrivateFolder(const QString &folder) const override;

    /// The lock file's name inside a locked folder.
    [[nodiscard]] static QString lockFileName();
};
