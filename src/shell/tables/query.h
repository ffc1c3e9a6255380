#pragma once

#include "shell/tables/connection.h"
#include "shell/tables/dataset.h"

#include <memory>

struct sqlite3_stmt;

namespace tables {

// A free SQL statement. Table files are named by their quoted path, as in
//   select Nazwa from '/home/u/prog/Bd/towary.db'
// (an apostrophe inside the path doubled). The result of a plain select from one table (no join,
// DISTINCT, GROUP BY, aggregate, LIMIT or OFFSET) is live: its records can be edited and deleted, and the
// change goes to the table by row identity. Any other result is read-only.
class Query : public DataSet {
    Q_OBJECT
public:
    explicit Query(QObject* parent = nullptr);
    ~Query() override;

    void setSql(const QString& sql) { m_sql = sql; }
    QString sql() const { return m_sql; }
    // Runs the statement. A statement that returns no rows (update, delete, insert) is run and leaves the
    // query closed; rowsAffected() tells how many records it touched.
    void open();
    void open(const QString& sql)
    {
        setSql(sql);
        open();
    }
    void close() override;
    void exec(const QString& sql)
    {
        setSql(sql);
        open();
    }

    bool isLive() const { return m_live; }
    int rowsAffected() const { return m_rowsAffected; }
    // The file paths the statement names.
    QStringList tablePaths() const { return m_paths; }

    // Rewrites the quoted file paths of a statement into SQL names, attaching the files to conn.
    // Exposed for tests.
    // readOnly attaches SQLite files read-only; written receives the files the statement changes.
    static QString rewritePaths(Connection& conn, const QString& sql, QStringList* paths,
                                QStringList* sqlNames, bool readOnly = false, QStringList* written = nullptr);

    // On: a statement that would change data is refused before it runs, and SQLite files are attached
    // read-only (exports of a result).
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    // The table files a statement would change (an empty name when it changes only what it creates
    // itself); empty for a statement that only reads. Nothing is run. Throws when it does not parse.
    static QStringList changedFiles(const QString& sql);

protected:
    QVector<QVariant> fetchRow(qint64 rowId) const override;
    qint64 storeRecord(qint64 rowId, bool isNew, const QVector<QVariant>& values,
                       const QVector<bool>& changed) override;
    void deleteRecord(qint64 rowId) override;
    QVector<qint64> matchRows(int field, const QString& value, bool partialKey) const override;

private:
    void run();
    void runChange(sqlite3_stmt* st);
    void readResult(sqlite3_stmt* st, bool live);

    QString m_sql;
    bool m_readOnly = false;
    bool m_live = false;
    int m_rowsAffected = 0;
    QStringList m_paths;
    QString m_baseTable;               // SQL name of the one table of a live result
    QVector<QString> m_baseColumns;    // column of the base table behind each result field
    QVector<QVector<QVariant>> m_rows; // the result as read; index = row id for read-only results
    QVector<qint64> m_baseRowIds;      // row identity in the base table, per result row
    std::unique_ptr<Connection> m_conn;
};

} // namespace tables
