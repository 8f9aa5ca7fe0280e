#pragma once

#include <QString>

#include <memory>

/// A folder held by this process alone; released when destroyed, and by the system when the
/// process ends, however it ends.
class FolderLock
{
public:
    virtual ~FolderLock() = default;
};

/// What came of asking for a folder's lock: the lock, or why there is none.
struct FolderLockAttempt
{
    std::unique_ptr<FolderLock> lock;
    /// Another process holds the folder.
    bool inUse = false;
    /// The process holding it, when it could be told; 0 otherwise.
    qint64 holderPid = 0;
    /// Why the folder could not be locked at all (it cannot be made or written).
    QString error;
};

/// How the operating system shares folders between processes and between users.
class FolderAccess
{
public:
    virtual ~FolderAccess() = default;
    /// Takes @p folder (made when missing) for this process, through a lock file inside it. A
    /// lock left by a process that has ended never stands in the way.
    [[nodiscard]] virtual FolderLockAttempt lock(const QString &folder) = 0;
    /// Whether @p folder belongs to this user alone: a folder, not a link to one, owned by the
    /// current user and writable by no group and no other user.
    [[nodiscard]] virtual bool isPrivateFolder(const QString &folder) const = 0;
};
