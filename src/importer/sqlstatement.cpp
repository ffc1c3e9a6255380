#include "importer/sqlstatement.h"

#include "shell/error.h"
#include "shell/tables/connection.h"

#include <sqlite3.h>

namespace importer {

SqlStatement::SqlStatement(tables::Connection& connection, const QString& sql) : m_connection(connection)
{
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v3(connection.handle(), text.constData(), int(text.size()), SQLITE_PREPARE_PERSISTENT,
                           &m_statement, nullptr)
        != SQLITE_OK) {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
        connection.fail({});
    }
}

SqlStatement::~SqlStatement()
{
    sqlite3_finalize(m_statement);
}

void SqlStatement::bind(int index, const QVariant& value)
{
    tables::bindValue(m_statement, index + 1, value);
}

bool SqlStatement::step()
{
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const QString message = m_connection.lastError();
    sqlite3_reset(m_statement);
    throw shell::AppError(message);
}

void SqlStatement::execute()
{
    while (step()) {
    }
    reset();
}

void SqlStatement::reset()
{
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

QVariant SqlStatement::column(int i) const
{
    return tables::columnValue(m_statement, i);
}

int SqlStatement::columnType(int i) const
{
    return sqlite3_column_type(m_statement, i);
}

QByteArrayView SqlStatement::columnUtf8(int i) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, i));
    return QByteArrayView(text, sqlite3_column_bytes(m_statement, i));
}

qint64 SqlStatement::columnInt64(int i) const
{
    return sqlite3_column_int64(m_statement, i);
}

double SqlStatement::columnDouble(int i) const
{
    return sqlite3_column_double(m_statement, i);
}

int SqlStatement::columnBytes(int i) const
{
    return sqlite3_column_bytes(m_statement, i);
}

void SqlStatement::bindColumn(int index, const SqlStatement& other, int column)
{
    sqlite3_bind_value(m_statement, index + 1, sqlite3_column_value(other.m_statement, column));
}

} // namespace importer
