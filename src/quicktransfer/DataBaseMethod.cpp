#include "DataBaseMethod.h"

#include "FolderAccess.h"
#include "LocalFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {
const QString kCreateTable =
    u"CREATE TABLE if not exists quick_transfer (id INTEGER PRIMARY KEY, type NUMERIC, dt TEXT, "
    "path TEXT, local_path TEXT, size bigint, thumb TEXT, url TEXT, title TEXT, summary TEXT, "
    "md5 TEXT, first_id INTEGER, time TEXT default CURRENT_TIMESTAMP)"_s;
const QString kCreateIndex =
    u"CREATE INDEX if not exists quick_transfer_local_path ON quick_transfer(local_path)"_s;
const QString kMigrateType = u"update quick_transfer set type = ? where type = ?"_s;
// The columns a record is read from, by position (ColumnId...): the table of an earlier store
// may list its columns in another order.
const QString kColumns =
    u"id, type, dt, path, local_path, size, thumb, url, title, summary, md5, first_id"_s;
enum Column {
    ColumnId,
    ColumnType,
    ColumnDt,
    ColumnPath,
    ColumnLocalPath,
    ColumnSize,
    ColumnThumb,
    ColumnUrl,
    ColumnTitle,
    ColumnSummary,
    ColumnMd5,
    ColumnFirstId,
};
const QString kSelectAll = u"select %1 from quick_transfer order by id desc"_s.arg(kColumns);
const QString kSelectNewest =
    u"select %1 from quick_transfer order by id desc limit ?"_s.arg(kColumns);
const QString kInsert =
    u"insert into quick_transfer(type, dt, path, local_path, size, thumb, url, title, summary, "
    "md5, first_id) values(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s;
const QString kDelete = u"delete from quick_transfer where id in (%1)"_s;
const QString kUpdateSize = u"update quick_transfer set size = ? where id = ?"_s;
const QString kSelectOne = u"select %1 from quick_transfer where id = ?"_s.arg(kColumns);
const QString kReferenced = u"select 1 from quick_transfer where local_path = ? limit 1"_s;
// Rows of old stores that were saved without a local file name get theirs by the naming rule.
const QString kUnnamedFiles =
    u"select %1 from quick_transfer where (local_path is null or local_path = '') "
    "and path is not null and path != ''"_s.arg(kColumns);

// Whether @p name is one plain file name, which LocalFiles::safeLocalPath() appends as it is.
bool isPlainName(const QString &name)
{
    if (name.isEmpty() || name == u"."_s || name == u".."_s)
        return false;
    for (const QChar c : name)
        if (c == u'/' || c == u'\\' || c.isNull())
            return false;
    return true;
}
} // namespace

QString DataBaseMethod::databasePath(const QString &libraryPath)
{
    return QDir(libraryPath).filePath(u"db/db.sqlite"_s);
}

DataBaseMethod::DataBaseMethod(const QString &libraryPath, const FolderAccess *folders)
    : m_libraryPath(libraryPath),
      m_downloadFolder(libraryPath.isEmpty() ? QString() : QDir(libraryPath).filePath(u"qt"_s))
{
    const QString target = databasePath(libraryPath);
    QDir().mkpath(QFileInfo(target).absolutePath());
    if (!QFileInfo::exists(target) && folders)
        adoptEarlierStore(*folders, target);
    if (!m_db.open(target))
        return;
    updateDB();
}

void DataBaseMethod::adoptEarlierStore(const FolderAccess &folders, const QString &target)
{
    const QString folder = QDir::tempPath();
    const QFileInfo earlier(QDir(folder).filePath(u"db.sqlite"_s));
    // Another local user can plant a store, or a link to one, in a folder others may write to.
    if (!earlier.exists() || earlier.isSymLink() || !earlier.isFile() ||
        !folders.isPrivateFolder(folder))
        return;
    if (!QFile::rename(earlier.filePath(), target)) {
        // Across file systems a rename fails: copy, then remove the old one.
        if (QFile::copy(earlier.filePath(), target))
            QFile::remove(earlier.filePath());
    }
}

bool DataBaseMethod::updateDB()
{
    const bool created = m_db.executeUpdate(kCreateTable);
    m_db.executeUpdate(kCreateIndex);
    const bool migrated = m_db.executeUpdate(
        kMigrateType, {qint64(QuickTransferTypeDocument), qint64(QuickTransferTypeOldDocument)});
    return created && migrated;
}

QuickTransferObjectPtr DataBaseMethod::recordFromRow(const SqliteQuery &row,
                                                     const QHash<QString, qint64> *files,
                                                     const QHash<QString, qint64> *parts) const
{
    auto r = QuickTransferObject::create();
    r->identifier = quint64(row.int64At(ColumnId));
    r->type = quint64(qint64(row.int32At(ColumnType)));
    r->dt = row.textAt(ColumnDt);
    r->path = row.textAt(ColumnPath);
    r->localPath = row.textAt(ColumnLocalPath);
    r->size = quint64(row.int64At(ColumnSize));
    r->thumb = row.textAt(ColumnThumb);
    r->url = row.textAt(ColumnUrl);
    r->title = row.textAt(ColumnTitle);
    r->summary = row.textAt(ColumnSummary);
    r->first_id = quint64(row.int64At(ColumnFirstId));
    r->md5 = row.textAt(ColumnMd5);
    r->applyLocalFileNameRule();
    if (!r->localPath.isEmpty() && files && !m_downloadFolder.isEmpty()) {
        // The files are listed by their path inside the download folder, so that the usual
        // plain name is looked up as it is, without making its downloadPath() for every row.
        const bool plain = isPlainName(r->localPath);
        const QString path =
            plain ? QString() : LocalFiles::safeLocalPath(m_downloadFolder, r->localPath);
        const auto whole = plain ? files->constFind(r->localPath)
                           : path.isEmpty()
                               ? files->cend()
                               : files->constFind(path.mid(m_downloadFolder.size() + 1));
        if (whole != files->cend())
            r->finishedSize = quint64(*whole);
        else if (parts && !parts->isEmpty())
            r->finishedSize = quint64(parts->value(LocalFiles::partialPath(
                m_libraryPath, plain ? r->downloadPath(m_libraryPath) : path)));
    } else if (!r->localPath.isEmpty()) {
        r->finishedSize = r->bytesOnDisk(m_libraryPath);
    }
    r->setNilStringPropertyZeroString();
    return r;
}

QList<QuickTransferObjectPtr> DataBaseMethod::getNewestQuickTransfer(int count)
{
    // A few rows: each looks its own file up.
    QList<QuickTransferObjectPtr> records;
    SqliteQuery row = m_db.executeQuery(kSelectNewest, {qMax(count, 0)});
    while (row.next())
        records << recordFromRow(row);
    return records;
}

QList<QuickTransferObjectPtr> DataBaseMethod::getQuickTransfer()
{
    QList<QuickTransferObjectPtr> records;
    // One pass over the download folder instead of two file look-ups per row.
    QHash<QString, qint64> files;
    QDirIterator it(m_downloadFolder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (!m_downloadFolder.isEmpty() && it.hasNext()) {
        it.next();
        files.insert(it.filePath().mid(m_downloadFolder.size() + 1), it.fileInfo().size());
    }
    // Downloads in progress: a few at most.
    QHash<QString, qint64> parts;
    QDirIterator partIt(LocalFiles::partialFolder(m_libraryPath), QDir::Files | QDir::Hidden);
    while (partIt.hasNext()) {
        partIt.next();
        parts.insert(partIt.filePath(), partIt.fileInfo().size());
    }
    SqliteQuery row = m_db.executeQuery(kSelectAll);
    while (row.next())
        records << recordFromRow(row, &files, &parts);
    return records;
}

bool DataBaseMethod::saveQuickTransfer(QuickTransferObject *record)
{
    if (!record)
        return false;
    const bool ok = m_db.executeUpdate(kInsert, {qint64(qint32(record->type)), record->dt,
                                                 record->path, record->localPath, record->size,
                                                 record->thumb, record->url, record->title,
                                                 record->summary, record->md5, record->first_id});
    // The id of this insert on this connection. The largest id in the table may be another
    // row's: one another connection inserted meanwhile, or one at the largest possible id, past
    // which SQLite gives new rows a free id at random.
    if (ok)
        record->identifier = quint64(m_db.lastInsertRowId());
    return ok;
}

QString DataBaseMethod::lastError() const
{
    return m_db.lastErrorMessage();
}

bool DataBaseMethod::deleteQuickTransferByIdArray(const QList<quint64> &ids)
{
    if (ids.isEmpty())
        return true;
    QString list;
    for (quint64 id : ids)
        list += QString::number(id) + u", "_s;
    list.chop(2);
    return m_db.executeUpdateOnce(kDelete.arg(list));
}

bool DataBaseMethod::updateQuickTransferSize(const QuickTransferObject &record)
{
    return m_db.executeUpdate(kUpdateSize, {record.size, record.identifier});
}

bool DataBaseMethod::isLocalPathReferenced(const QString &localPath)
{
    if (m_db.executeQuery(kReferenced, {localPath}).next())
        return true;
    SqliteQuery row = m_db.executeQuery(kUnnamedFiles);
    while (row.next()) {
        if (recordFromRow(row)->localPath == localPath)
            return true;
    }
    return false;
}

QStringList DataBaseMethod::localPathsOf(const QList<quint64> &ids)
{
    QStringList names;
    for (quint64 id : ids) {
        SqliteQuery row = m_db.executeQuery(kSelectOne, {id});
        if (!row.next())
            continue;
        const QString name = recordFromRow(row)->localPath;
        if (!name.isEmpty() && !names.contains(name))
            names << name;
    }
    return names;
}
