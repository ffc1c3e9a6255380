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

void SqlStatement::bind(int index, const QVariant& v)
{
    const int i = index + 1;
    if (!v.isValid() || v.isNull()) {
        sqlite3_bind_null(m_statement, i);
        return;
    }
    switch (v.typeId()) {
    case QMetaType::Bool:
        sqlite3_bind_int(m_statement, i, v.toBool() ? 1 : 0);
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::Short:
        sqlite3_bind_int64(m_statement, i, v.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(m_statement, i, v.toDouble());
        break;
    case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        sqlite3_bind_blob(m_statement, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        break;
    }
    default: {
        const QByteArray t = v.toString().toUtf8();
        sqlite3_bind_text(m_statement, i, t.constData(), int(t.size()), SQLITE_TRANSIENT);
    }
    }
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
    throw AppError(message);
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
    switch (sqlite3_column_type(m_statement, i)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(m_statement, i)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_statement, i));
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(m_statement, i)),
                                          sqlite3_column_bytes(m_statement, i)));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(m_statement, i)),
                                   sqlite3_column_bytes(m_statement, i)));
    default:
        return QVariant();
    }
}

} // namespace importer

namespace importer {

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

} // namespace importer
