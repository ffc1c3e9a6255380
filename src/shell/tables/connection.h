#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

struct sqlite3;
struct sqlite3_stmt;

namespace tables {

// An SQLite connection with the engine's functions and the dBASE and Paradox modules registered.
class Connection {
public:
    // Empty path: an in-memory database. create: make the file when it is missing.
    explicit Connection(const QString& path = {}, bool readOnly = false, bool create = false);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* handle() const { return m_db; }
    QString path() const { return m_path; }

    void exec(const QString& sql);
    // Runs a statement with positional parameters and returns every row.
    QVector<QVector<QVariant>> select(const QString& sql, const QVector<QVariant>& params = {}) const;
    // The first column of every row as an integer (row ids of a large table: no QVariant for each).
    QVector<qint64> selectIntegers(const QString& sql) const;
    void run(const QString& sql, const QVector<QVariant>& params = {});
    qint64 lastInsertRowId() const;
    int changes() const;
    // Changes made by other connections since the last call are visible when this number moves.
    qint64 dataVersion() const;

    void begin();
    void commit();
    void rollback();
    bool inTransaction() const;

    // Errors carry SQLite's message prefixed by context.
    [[noreturn]] void fail(const QString& context) const;
    QString lastError() const;

private:
    // Statements run again and again (a record by its row id) are prepared once.
    sqlite3_stmt* prepared(const QString& sql) const;

    sqlite3* m_db = nullptr;
    QString m_path;
    mutable QHash<QString, sqlite3_stmt*> m_statements;
};

// Binds a value to parameter i (from 1). Dates, times and timestamps as the engine stores them
// ("yyyy-MM-dd", "HH:mm:ss", "yyyy-MM-dd HH:mm:ss").
void bindValue(sqlite3_stmt* st, int i, const QVariant& v);
// The value of a result column as the engine carries it (integer, double, text, bytes or null).
QVariant columnValue(sqlite3_stmt* st, int column);

// Quotes a text as an SQL string literal: apostrophes doubled.
QString quoteLiteral(const QString& text);
// Quotes an identifier: double quotes doubled.
QString quoteIdentifier(const QString& name);

// "INSERT INTO table (a, b) VALUES (?, ?)" (DEFAULT VALUES without columns) and
// "UPDATE table SET a = ?, b = ? WHERE rowid = ?"; columns already quoted.
QString insertStatement(const QString& table, const QStringList& columns);
QString updateStatement(const QString& table, const QStringList& columns);

// A table named on the command line or in a statement: a file, or "file::table" for one table of an
// SQLite database holding several.
struct TableRef {
    QString file;
    QString table; // empty: the file's own table
};
TableRef splitTableRef(const QString& reference);
QString joinTableRef(const TableRef& ref);

// The tables of an attached SQLite database (schema "main", "f0" ...), internal ones left out.
QStringList sqliteTableNames(const Connection& conn, const QString& schema);
// Which table of an SQLite database a reference means: the one it names, else the one named after the
// file (the native convention), else the only table there is. Throws naming the tables to choose from.
QString chooseSqliteTable(const Connection& conn, const QString& schema, const TableRef& ref);

// Kind of a table file, decided by its content (and the .dbf extension for dBASE, which has no magic).
enum class FileFormat { Missing, Unknown, SQLite, Paradox, DBase };
FileFormat detectFormat(const QString& path);

} // namespace tables
