#include "shell/tables/connection.h"

#include "shell/tables/messages.h"

#include "shell/error.h"
#include "shell/tables/filemodules.h"

#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

namespace tables {
namespace {

// kal_fold(x): the text folded for comparison without regard to case, Polish letters included
// (SQLite's NOCASE folds ASCII only).
void foldFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const QByteArray folded = QString::fromUtf8(text, sqlite3_value_bytes(argv[0])).toCaseFolded().toUtf8();
    sqlite3_result_text(ctx, folded.constData(), int(folded.size()), SQLITE_TRANSIENT);
}

} // namespace

void bindValue(sqlite3_stmt* st, int i, const QVariant& v)
{
    if (!v.isValid() || v.isNull()) {
        sqlite3_bind_null(st, i);
        return;
    }
    switch (v.typeId()) {
    case QMetaType::Bool:
        sqlite3_bind_int(st, i, v.toBool() ? 1 : 0);
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::Short:
        sqlite3_bind_int64(st, i, v.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(st, i, v.toDouble());
        break;
    case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        sqlite3_bind_blob(st, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        break;
    }
    case QMetaType::QDate: {
        const QByteArray t = v.toDate().toString(QStringLiteral("yyyy-MM-dd")).toUtf8();
        sqlite3_bind_text(st, i, t.constData(), int(t.size()), SQLITE_TRANSIENT);
        break;
    }
    case QMetaType::QTime: {
        const QByteArray t = v.toTime().toString(QStringLiteral("HH:mm:ss")).toUtf8();
        sqlite3_bind_text(st, i, t.constData(), int(t.size()), SQLITE_TRANSIENT);
        break;
    }
    case QMetaType::QDateTime: {
        const QByteArray t = v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
        sqlite3_bind_text(st, i, t.constData(), int(t.size()), SQLITE_TRANSIENT);
        break;
    }
    default: {
        const QByteArray t = v.toString().toUtf8();
        sqlite3_bind_text(st, i, t.constData(), int(t.size()), SQLITE_TRANSIENT);
    }
    }
}

QVariant columnValue(sqlite3_stmt* st, int i)
{
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(st, i)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(st, i));
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)),
                                          sqlite3_column_bytes(st, i)));
    case SQLITE_BLOB:
        return QVariant(
            QByteArray(static_cast<const char*>(sqlite3_column_blob(st, i)), sqlite3_column_bytes(st, i)));
    default:
        return QVariant();
    }
}

namespace {

// A cached statement in use: reset when done, so no read transaction stays open behind the caller.
struct Statement {
    sqlite3_stmt* st = nullptr;
    ~Statement()
    {
        if (st) {
            sqlite3_reset(st);
            sqlite3_clear_bindings(st);
        }
    }
};

constexpr int kStatementCacheSize = 64;

} // namespace

Connection::Connection(const QString& path, bool readOnly, bool create) : m_path(path)
{
    const QByteArray name = path.isEmpty() ? QByteArray(":memory:") : QFile::encodeName(path);
    const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX
                      | (create && !readOnly ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(name.constData(), &m_db, flags, nullptr) != SQLITE_OK) {
        const QString reason = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : msg("out of memory");
        sqlite3_close(m_db);
        m_db = nullptr;
        throw shell::AppError(msg("Cannot open table file %1: %2").arg(path, reason));
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, 3000);
    sqlite3_create_function_v2(m_db, "kal_fold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, foldFunction,
                               nullptr, nullptr, nullptr);
    registerFileModules(m_db);
}

Connection::~Connection()
{
    for (sqlite3_stmt* st : std::as_const(m_statements))
        sqlite3_finalize(st);
    sqlite3_close_v2(m_db);
}

sqlite3_stmt* Connection::prepared(const QString& sql) const
{
    if (sqlite3_stmt* st = m_statements.value(sql))
        return st;
    if (m_statements.size() >= kStatementCacheSize) {
        for (sqlite3_stmt* st : std::as_const(m_statements))
            sqlite3_finalize(st);
        m_statements.clear();
    }
    sqlite3_stmt* st = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        fail({});
    }
    if (!st)
        throw shell::AppError(msg("the statement is empty"));
    m_statements.insert(sql, st);
    return st;
}

QString Connection::lastError() const
{
    return QString::fromUtf8(sqlite3_errmsg(m_db));
}

void Connection::fail(const QString& context) const
{
    throw shell::AppError(context.isEmpty() ? lastError() : context + QStringLiteral(": ") + lastError());
}

void Connection::exec(const QString& sql)
{
    char* err = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const QString msg = err ? QString::fromUtf8(err) : lastError();
        sqlite3_free(err);
        throw shell::AppError(msg);
    }
}

QVector<QVector<QVariant>> Connection::select(const QString& sql, const QVector<QVariant>& params) const
{
    Statement s{prepared(sql)};
    for (int i = 0; i < params.size(); ++i)
        bindValue(s.st, i + 1, params[i]);
    QVector<QVector<QVariant>> rows;
    const int n = sqlite3_column_count(s.st);
    int rc;
    while ((rc = sqlite3_step(s.st)) == SQLITE_ROW) {
        QVector<QVariant> row(n);
        for (int i = 0; i < n; ++i)
            row[i] = columnValue(s.st, i);
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE)
        fail({});
    return rows;
}

QVector<qint64> Connection::selectIntegers(const QString& sql) const
{
    Statement s{prepared(sql)};
    QVector<qint64> values;
    int rc;
    while ((rc = sqlite3_step(s.st)) == SQLITE_ROW)
        values.push_back(sqlite3_column_int64(s.st, 0));
    if (rc != SQLITE_DONE)
        fail({});
    return values;
}

void Connection::run(const QString& sql, const QVector<QVariant>& params)
{
    Statement s{prepared(sql)};
    for (int i = 0; i < params.size(); ++i)
        bindValue(s.st, i + 1, params[i]);
    int rc;
    while ((rc = sqlite3_step(s.st)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        fail({});
}

qint64 Connection::lastInsertRowId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

int Connection::changes() const
{
    return sqlite3_changes(m_db);
}

qint64 Connection::dataVersion() const
{
    const auto rows = select(QStringLiteral("PRAGMA main.data_version"));
    return rows.isEmpty() ? 0 : rows[0][0].toLongLong();
}

void Connection::begin()
{
    exec(QStringLiteral("BEGIN IMMEDIATE"));
}

void Connection::commit()
{
    exec(QStringLiteral("COMMIT"));
}

void Connection::rollback()
{
    if (inTransaction())
        exec(QStringLiteral("ROLLBACK"));
}

bool Connection::inTransaction() const
{
    return sqlite3_get_autocommit(m_db) == 0;
}

QString quoteLiteral(const QString& text)
{
    QString s = text;
    s.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

QString insertStatement(const QString& table, const QStringList& columns)
{
    if (columns.isEmpty())
        return QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table);
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(table, columns.join(QStringLiteral(", ")),
             QStringList(columns.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
}

QString updateStatement(const QString& table, const QStringList& columns)
{
    QStringList sets;
    for (const QString& c : columns)
        sets << c + QStringLiteral(" = ?");
    return QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(table, sets.join(QStringLiteral(", ")));
}

QString quoteIdentifier(const QString& name)
{
    QString s = name;
    s.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

TableRef splitTableRef(const QString& reference)
{
    const qsizetype at = reference.lastIndexOf(QLatin1String("::"));
    // A file whose own name holds "::" is still that file.
    if (at <= 0 || QFileInfo::exists(reference))
        return {reference, {}};
    return {reference.left(at), reference.mid(at + 2)};
}

QString joinTableRef(const TableRef& ref)
{
    return ref.table.isEmpty() ? ref.file : ref.file + QStringLiteral("::") + ref.table;
}

QStringList sqliteTableNames(const Connection& conn, const QString& schema)
{
    QStringList names;
    const auto rows = conn.select(QStringLiteral("SELECT name FROM %1.sqlite_master WHERE type = 'table' AND "
                                                 "name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name")
                                      .arg(quoteIdentifier(schema)));
    for (const auto& r : rows)
        names << r[0].toString();
    return names;
}

QString chooseSqliteTable(const Connection& conn, const QString& schema, const TableRef& ref)
{
    const QStringList names = sqliteTableNames(conn, schema);
    const QString wanted = ref.table.isEmpty() ? QFileInfo(ref.file).completeBaseName() : ref.table;
    for (const QString& name : names)
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return name;
    if (ref.table.isEmpty() && names.size() == 1)
        return names.first();
    if (names.isEmpty())
        throw shell::AppError(msg("the file holds no table"));
    if (!ref.table.isEmpty())
        throw shell::AppError(msg("the file holds no table named %1 (its tables: %2)")
                                  .arg(ref.table, names.join(QStringLiteral(", "))));
    throw shell::AppError(msg("the file holds several tables (%1); name one as FILE::TABLE")
                              .arg(names.join(QStringLiteral(", "))));
}

FileFormat detectFormat(const QString& path)
{
    QFile f(path);
    if (!QFileInfo(path).isFile())
        return FileFormat::Missing;
    if (!f.open(QIODevice::ReadOnly))
        return FileFormat::Unknown;
    const QByteArray head = f.read(128);
    if (head.startsWith(QByteArrayLiteral("SQLite format 3")))
        return FileFormat::SQLite;
    if (path.endsWith(QLatin1String(".dbf"), Qt::CaseInsensitive))
        return FileFormat::DBase;
    if (looksLikeParadox(head, f.size()))
        return FileFormat::Paradox;
    return FileFormat::Unknown;
}

} // namespace tables
