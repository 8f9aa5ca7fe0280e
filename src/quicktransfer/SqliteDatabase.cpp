#include "SqliteDatabase.h"

#include <QFile>
#include <QLoggingCategory>

#include <sqlite3.h>

Q_LOGGING_CATEGORY(lcStore, "zephyr.store", QtWarningMsg)

SqliteQuery::SqliteQuery(sqlite3_stmt *stmt) : m_stmt(stmt) {}

SqliteQuery::SqliteQuery(SqliteQuery &&other) noexcept
    : m_stmt(std::exchange(other.m_stmt, nullptr)), m_columns(std::move(other.m_columns))
{
}

SqliteQuery::~SqliteQuery()
{
    if (m_stmt) {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
}

bool SqliteQuery::next()
{
    if (!m_stmt)
        return false;
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        qCWarning(lcStore) << "step failed:" << sqlite3_errmsg(sqlite3_db_handle(m_stmt));
    return false;
}

int SqliteQuery::columnIndex(const char *column) const
{
    // A short list of the names asked so far, compared as text: no allocation per value read,
    // as a hash keyed by a new byte array per call had.
    for (const auto &[name, index] : std::as_const(m_columns))
        if (qstrcmp(name.constData(), column) == 0)
            return index;
    int index = -1;
    for (int i = 0, n = sqlite3_column_count(m_stmt); i < n; ++i) {
        if (qstricmp(sqlite3_column_name(m_stmt, i), column) == 0) {
            index = i;
            break;
        }
    }
    m_columns.append({QByteArray(column), index});
    return index;
}

QString SqliteQuery::text(const char *column) const
{
    return textAt(columnIndex(column));
}

qint32 SqliteQuery::int32(const char *column) const
{
    return int32At(columnIndex(column));
}

qint64 SqliteQuery::int64(const char *column) const
{
    return int64At(columnIndex(column));
}

QString SqliteQuery::textAt(int column) const
{
    if (!m_stmt || column < 0 || column >= sqlite3_column_count(m_stmt))
        return {};
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    return p ? QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, column)) : QString();
}

qint32 SqliteQuery::int32At(int column) const
{
    if (!m_stmt || column < 0 || column >= sqlite3_column_count(m_stmt))
        return 0;
    return sqlite3_column_int(m_stmt, column);
}

qint64 SqliteQuery::int64At(int column) const
{
    if (!m_stmt || column < 0 || column >= sqlite3_column_count(m_stmt))
        return 0;
    return sqlite3_column_int64(m_stmt, column);
}

quint64 SqliteQuery::uint64(const char *column) const
{
    return quint64(int64(column));
}

SqliteDatabase::~SqliteDatabase()
{
    close();
}

bool SqliteDatabase::open(const QString &path)
{
    close();
    const QByteArray native = QFile::encodeName(path);
    if (sqlite3_open_v2(native.constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        qCWarning(lcStore) << "cannot open" << path << (m_db ? sqlite3_errmsg(m_db) : "");
        sqlite3_close(m_db);
        m_db = nullptr;
        return false;
    }
    sqlite3_busy_timeout(m_db, 2000);
    // A file that is not a database opens fine and fails at the first statement.
    if (!executeUpdate(QStringLiteral("PRAGMA schema_version"))) {
        close();
        return false;
    }
    return true;
}

void SqliteDatabase::close()
{
    for (sqlite3_stmt *stmt : std::as_const(m_cache))
        sqlite3_finalize(stmt);
    m_cache.clear();
    if (m_db)
        sqlite3_close(m_db);
    m_db = nullptr;
}

QString SqliteDatabase::lastErrorMessage() const
{
    return m_db ? m_lastError : QStringLiteral("the database is not open");
}

qint64 SqliteDatabase::lastInsertRowId() const
{
    return m_db ? sqlite3_last_insert_rowid(m_db) : 0;
}

void SqliteDatabase::noteError(const char *what, const QString &sql)
{
    // Kept now: a later call that succeeds clears SQLite's own message.
    m_lastError = QString::fromUtf8(sqlite3_errmsg(m_db));
    qCWarning(lcStore) << what << m_lastError << sql;
}

sqlite3_stmt *SqliteDatabase::prepare(const QString &sql, const QVariantList &args)
{
    if (!m_db)
        return nullptr;
    sqlite3_stmt *stmt = m_cache.value(sql);
    if (!stmt) {
        const QByteArray utf8 = sql.toUtf8();
        if (sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &stmt, nullptr) !=
                SQLITE_OK ||
            !stmt) {
            noteError("prepare failed:", sql);
            return nullptr;
        }
        m_cache.insert(sql, stmt);
    }
    if (sqlite3_bind_parameter_count(stmt) != args.size()) {
        m_lastError = QStringLiteral("wrong number of arguments");
        qCWarning(lcStore) << "wrong number of arguments for" << sql;
        return nullptr;
    }
    for (int i = 0; i < args.size(); ++i) {
        const QVariant &v = args.at(i);
        int rc = SQLITE_OK;
        switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
            rc = sqlite3_bind_int64(stmt, i + 1, v.toLongLong());
            break;
        case QMetaType::ULongLong:
            // Stored as the same 64 bits; read back unsigned.
            rc = sqlite3_bind_int64(stmt, i + 1, qint64(v.toULongLong()));
            break;
        case QMetaType::UnknownType:
        case QMetaType::Nullptr:
            rc = sqlite3_bind_null(stmt, i + 1);
            break;
        default: {
            const QByteArray text = v.toString().toUtf8();
            rc = sqlite3_bind_text(stmt, i + 1, text.constData(), int(text.size()),
                                   SQLITE_TRANSIENT);
        }
        }
        if (rc != SQLITE_OK) {
            noteError("bind failed:", sql);
            sqlite3_reset(stmt);
            sqlite3_clear_bindings(stmt);
            return nullptr;
        }
    }
    return stmt;
}

bool SqliteDatabase::executeUpdate(const QString &sql, const QVariantList &args)
{
    sqlite3_stmt *stmt = prepare(sql, args);
    if (!stmt)
        return false;
    int rc = sqlite3_step(stmt);
    while (rc == SQLITE_ROW)
        rc = sqlite3_step(stmt);
    if (rc != SQLITE_DONE)
        noteError("update failed:", sql);
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    return rc == SQLITE_DONE;
}

bool SqliteDatabase::executeUpdateOnce(const QString &sql)
{
    if (!m_db)
        return false;
    char *error = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        m_lastError = QString::fromUtf8(error ? error : sqlite3_errmsg(m_db));
        qCWarning(lcStore) << "update failed:" << m_lastError << sql;
    }
    sqlite3_free(error);
    return rc == SQLITE_OK;
}

SqliteQuery SqliteDatabase::executeQuery(const QString &sql, const QVariantList &args)
{
    return SqliteQuery(prepare(sql, args));
}
