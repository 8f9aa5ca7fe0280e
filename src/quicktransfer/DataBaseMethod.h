#pragma once

#include "QuickTransferObject.h"
#include "SqliteDatabase.h"

class FolderAccess;

#include <QHash>
#include <QList>

/// The statements of the quick-transfer history over its one SQLite database. Not thread-safe:
/// DataBaseCenter serialises every call.
class DataBaseMethod
{
public:
    /// Opens "<library>/db/db.sqlite" and updates its schema. When there is none yet, a store of
    /// the earlier layout (a "db.sqlite" in the temporary folder) is brought over, but only when
    /// @p folders says that folder belongs to this user alone: in a shared one another user may
    /// have planted it. Without @p folders nothing is brought over.
    explicit DataBaseMethod(const QString &libraryPath, const FolderAccess *folders = nullptr);

    [[nodiscard]] bool isOpen() const { return m_db.isOpen(); }
    [[nodiscard]] static QString databasePath(const QString &libraryPath);

    /// Every stored record, newest first, with finishedSize taken from the disk.
    [[nodiscard]] QList<QuickTransferObjectPtr> getQuickTransfer();
    /// The newest @p count records, newest first, as getQuickTransfer() gives them.
    [[nodiscard]] QList<QuickTransferObjectPtr> getNewestQuickTransfer(int count);
    /// Inserts @p record; on success its identifier is the id of the row just inserted. A failed
    /// insert leaves the identifier as it was, and lastError() tells why.
    bool saveQuickTransfer(QuickTransferObject *record);
    /// Why the last statement failed.
    [[nodiscard]] QString lastError() const;
    bool deleteQuickTransferByIdArray(const QList<quint64> &ids);
    bool updateQuickTransferSize(const QuickTransferObject &record);
    /// Creates the table and its index, and rewrites the type code of earlier stores.
    bool updateDB();
    /// Whether a stored record has exactly this local file name.
    [[nodiscard]] bool isLocalPathReferenced(const QString &localPath);
    /// The local file names of the stored records with these ids (non-empty ones).
    [[nodiscard]] QStringList localPathsOf(const QList<quint64> &ids);

private:
    void adoptEarlierStore(const FolderAccess &folders, const QString &target);
    /// @p files: sizes of the files of the download folder, when already listed, and @p parts
    /// those of the part files.
    QuickTransferObjectPtr recordFromRow(const SqliteQuery &row,
                                         const QHash<QString, qint64> *files = nullptr,
                                         const QHash<QString, qint64> *parts = nullptr) const;

    QString m_libraryPath;
    QString m_downloadFolder;
    SqliteDatabase m_db;
};
