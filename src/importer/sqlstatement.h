#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVariant>

struct sqlite3_stmt;

namespace tables {
class Connection;
}

namespace importer {

// One prepared statement on a table's connection, kept for many rows (bulk reading and writing).
class SqlStatement {
public:
    SqlStatement(tables::Connection& connection, const QString& sql);
    ~SqlStatement();
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    void bind(int index, const QVariant& value); // index from 0
    // True while a row is there; throws with the engine's message on failure.
    bool step();
    // Runs a statement that returns no rows and makes it ready for the next bindings.
    void execute();
    void reset();
    QVariant column(int index) const;
    // Raw access for bulk text work: the SQLite storage class, and the value as UTF-8 text
    // (valid until the next step).
    int columnType(int index) const;
    QByteArrayView columnUtf8(int index) const;
    qint64 columnInt64(int index) const;
    double columnDouble(int index) const;
    int columnBytes(int index) const;
    // Binds column `column` of another statement's current row as SQLite holds it (no conversion).
    void bindColumn(int index, const SqlStatement& other, int column);

private:
    tables::Connection& m_connection;
    sqlite3_stmt* m_statement = nullptr;
};

} // namespace importer
