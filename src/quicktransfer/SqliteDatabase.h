#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>

struct sqlite3;
struct sqlite3_stmt;

class SqliteDatabase;

/// One run of a prepared statement: rows are stepped with next() and read by column name, or by
/// position (from 0) where a statement names its columns. The statement goes back to its
/// database's cache (reset, bindings cleared) when the query ends.
class SqliteQuery
{
public:
    SqliteQuery(SqliteQuery &&other) noexcept;
    SqliteQuery &operator=(SqliteQuery &&) = delete;
    ~SqliteQuery();

    [[nodiscard]] bool isValid() const { return m_stmt != nullptr; }
    /// Steps to the next row; false at the end or on an error.
    bool next();
    [[nodiscard]] QString text(const char *column) const;
    [[nodiscard]] qint32 int32(const char *column) const;
    [[nodiscard]] qint64 int64(const char *column) const;
    [[nodiscard]] quint64 uint64(const char *column) const;
    [[nodiscard]] QString textAt(int column) const;
    [[nodiscard]] qint32 int32At(int column) const;
    [[nodiscard]] qint64 int64At(int column) const;

private:
    friend class SqliteDatabase;
    explicit SqliteQuery(sqlite3_stmt *stmt);
    int columnIndex(const char *column) const;

    sqlite3_stmt *m_stmt = nullptr;
    mutable QList<std::pair<QByteArray, int>> m_columns;
};

/// A SQLite database opened by path, closed on destruction. Statements are prepared once and
/// cached by their text; failures are logged under "zephyr.store" and returned as values.
class SqliteDatabase
{
public:
    SqliteDatabase() = default;
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase &) = delete;
    SqliteDatabase &operator=(const SqliteDatabase &) = delete;

    bool open(const QString &path);
    void close();
    [[nodiscard]] bool isOpen() const { return m_db != nullptr; }

    /// Runs a statement that returns no rows, binding @p args in order (integers, unsigned
    /// 64-bit integers, text). Returns whether it completed.
    bool executeUpdate(const QString &sql, const QVariantList &args = {});
    /// The same for a statement text that is used once (not kept in the cache).
    bool executeUpdateOnce(const QString &sql);
    /// Starts a query; an invalid query when the statement cannot be prepared.
    [[nodiscard]] SqliteQuery executeQuery(const QString &sql, const QVariantList &args = {});

    /// SQLite's message for the last statement that failed ("database is locked", ...).
    [[nodiscard]] QString lastErrorMessage() const;
    /// The row id of the last successful insert on this connection.
    [[nodiscard]] qint64 lastInsertRowId() const;

private:
    sqlite3_stmt *prepare(const QString &sql, const QVariantList &args);
    void noteError(const char *what, const QString &sql);

    sqlite3 *m_db = nullptr;
    QHash<QString, sqlite3_stmt *> m_cache;
    QString m_lastError;
};
