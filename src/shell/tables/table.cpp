#include "shell/tables/table.h"

#include "shell/tables/messages.h"

#include "shell/error.h"
#include "shell/tables/filemodules.h"
#include "shell/tables/tablefilemodule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tables {

Table::Table(QObject* parent) : DataSet(parent) {}

Table::~Table() = default;

QString Table::fileError(const QString& what) const
{
    return msg("Table %1: %2").arg(QDir::toNativeSeparators(m_path), what);
}

void Table::open()
{
    if (isOpen())
        close();
    m_sourceName = msg("Table %1").arg(QDir::toNativeSeparators(m_path));
    m_readOnly = false;
    m_readOnlyReason.clear();
    m_openWarnings.clear();
    m_window.clear();
    const TableRef ref = splitTableRef(m_path);
    m_file = ref.file;
    m_format = detectFormat(m_file);
    switch (m_format) {
    case FileFormat::Missing:
        throw shell::AppError(fileError(msg("the file does not exist")));
    case FileFormat::Unknown:
        throw shell::AppError(fileError(msg("the file is not a table file, or it is damaged")));
    default:
        break;
    }

    QVector<Field> fields;
    try {
        if (m_format == FileFormat::SQLite) {
            m_readOnly = !isWritableFile(m_file);
            if (m_readOnly)
                m_readOnlyReason = msg("the file is read-only");
            m_conn = std::make_unique<Connection>(m_file, m_readOnly);
            m_tableName = chooseSqliteTable(*m_conn, QStringLiteral("main"), ref);
            const auto found = m_conn->select(
                QStringLiteral("SELECT sql FROM sqlite_master WHERE type='table' AND name = ?"),
                {m_tableName});
            const bool autoIncrement =
                !found.isEmpty()
                && found[0][0].toString().contains(QLatin1String("AUTOINCREMENT"), Qt::CaseInsensitive);
            m_sqlName = QStringLiteral("main.") + quoteIdentifier(m_tableName);
            const auto info = m_conn->select(
                QStringLiteral("PRAGMA main.table_info(%1)").arg(quoteIdentifier(m_tableName)));
            for (const auto& col : info) {
                Field f = fieldFromDeclared(col[1].toString(), col[2].toString());
                if (autoIncrement && col[5].toInt() == 1 && f.type == FieldType::Integer) {
                    f.type = FieldType::AutoInc;
                    f.modifiable = false;
                }
                if (m_readOnly)
                    f.modifiable = false;
                fields.push_back(f);
            }
            m_dataVersion = m_conn->dataVersion();
        } else {
            if (!ref.table.isEmpty())
                throw shell::AppError(msg("the file holds one table only; %1 names a table in it")
                                          .arg(QDir::toNativeSeparators(m_path)));
            m_tableName = QFileInfo(m_file).completeBaseName();
            m_conn = std::make_unique<Connection>();
            const QString module =
                m_format == FileFormat::DBase ? QStringLiteral("dbase") : QStringLiteral("paradox");
            m_sqlName = QStringLiteral("main.\"source\"");
            const QStringList args = QStringList{quoteLiteral(m_file)} + m_options.toSqlArguments();
            m_conn->exec(QStringLiteral("CREATE VIRTUAL TABLE %1 USING %2(%3)")
                             .arg(m_sqlName, module, args.join(QStringLiteral(", "))));
            const auto info = m_conn->select(QStringLiteral("PRAGMA main.table_info(\"source\")"));
            bool anyModifiable = false;
            for (const auto& col : info) {
                Field f = fieldFromDeclared(col[1].toString(), col[2].toString());
                anyModifiable = anyModifiable || f.modifiable;
                fields.push_back(f);
            }
            m_readOnly = !anyModifiable;
            if (const TableFile* file = tableFile()) {
                if (m_readOnly)
                    m_readOnlyReason = file->readOnlyReason();
                m_openWarnings = file->warnings();
            }
        }
        if (fields.isEmpty() && m_format == FileFormat::SQLite)
            throw shell::AppError(msg("the table has no fields"));
        if (!m_forcedReadOnly.isEmpty()) {
            m_readOnly = true;
            m_readOnlyReason = m_forcedReadOnly;
            for (Field& f : fields)
                f.modifiable = false;
        }
    } catch (const shell::AppError& e) {
        m_conn.reset();
        const QString msg = e.message();
        throw shell::AppError(msg.startsWith(QLatin1String("Table ")) ? msg : fileError(msg));
    }
    m_fields = fields;
    QStringList cols;
    for (const Field& f : m_fields)
        cols << quoteIdentifier(f.name);
    m_selectList = cols.isEmpty() ? QStringLiteral("rowid") : cols.join(QStringLiteral(", "));
    m_stamp = fileStamp();
    m_state = State::Browse; // readRowIds needs an open table
    try {
        setView(readRowIds(m_filter));
    } catch (...) {
        close();
        throw;
    }
}

QStringList Table::tableNames(const QString& path)
{
    if (detectFormat(path) != FileFormat::SQLite)
        return {};
    const Connection conn(path, true);
    return sqliteTableNames(conn, QStringLiteral("main"));
}

void Table::close()
{
    m_window.clear();
    if (m_conn && m_conn->inTransaction())
        m_conn->rollback();
    DataSet::close();
    m_conn.reset();
}

TableFile* Table::tableFile() const
{
    if (!m_conn || m_format == FileFormat::SQLite)
        return nullptr;
    return tableFileOf(m_conn->handle(), QStringLiteral("main"), QStringLiteral("source"));
}

QStringList Table::openWarnings() const
{
    // Damage found while reading (a memo block) adds to what was known at opening.
    const TableFile* file = tableFile();
    return file ? file->warnings() : m_openWarnings;
}

QStringList Table::staleIndexFiles() const
{
    const TableFile* file = tableFile();
    return file ? file->staleIndexes() : QStringList();
}

WriteCounts Table::writeCounts() const
{
    const TableFile* file = tableFile();
    return file ? file->writeCounts() : WriteCounts();
}

QString Table::readOnlyText() const
{
    return m_readOnlyReason.isEmpty() ? msg("the table is read-only")
                                      : msg("the table is read-only: %1").arg(m_readOnlyReason);
}

QString Table::fileStamp() const
{
    const QFileInfo fi(m_file);
    return QString::number(fi.size()) + QLatin1Char('/')
           + QString::number(fi.lastModified().toMSecsSinceEpoch());
}

QVector<qint64> Table::readRowIds(const QString& filter) const
{
    QString sql = QStringLiteral("SELECT rowid FROM %1").arg(m_sqlName);
    if (!filter.trimmed().isEmpty())
        sql += QStringLiteral(" WHERE (%1)").arg(filter);
    sql += QStringLiteral(" ORDER BY rowid");
    try {
        return m_conn->selectIntegers(sql);
    } catch (const shell::AppError& e) {
        if (filter.trimmed().isEmpty())
            throw shell::AppError(fileError(e.message()));
        throw shell::AppError(fileError(msg("filter \"%1\": %2").arg(filter, e.message())));
    }
}

void Table::setFilter(const QString& filter)
{
    if (!isOpen()) {
        m_filter = filter;
        return;
    }
    checkBrowsing("change the filter");
    QVector<qint64> ids = readRowIds(filter); // throws and keeps the old filter when it does not parse
    m_filter = filter;
    setView(std::move(ids));
}

void Table::refresh()
{
    m_window.clear();
    checkOpen();
    if (state() != State::Browse)
        return;
    const qint64 current = currentRowId();
    const int oldPos = recordNumber() - 1;
    QVector<qint64> ids = readRowIds(m_filter);
    int pos = ids.indexOf(current);
    if (pos < 0)
        pos = qMin(oldPos, int(ids.size()) - 1);
    if (m_format == FileFormat::SQLite)
        m_dataVersion = m_conn->dataVersion();
    m_stamp = fileStamp();
    setView(std::move(ids), pos);
}

bool Table::refreshIfChanged()
{
    if (!isOpen() || state() != State::Browse)
        return false;
    bool changed;
    if (m_format == FileFormat::SQLite)
        changed = m_conn->dataVersion() != m_dataVersion;
    else
        changed = fileStamp() != m_stamp;
    if (changed)
        refresh();
    return changed;
}

void Table::beginBulk()
{
    checkOpen();
    m_conn->begin();
}

void Table::commitBulk()
{
    checkOpen();
    try {
        m_conn->commit();
    } catch (const shell::AppError& e) {
        throw shell::AppError(fileError(e.message()));
    }
}

void Table::rollbackBulk()
{
    checkOpen();
    m_conn->rollback();
    refresh();
}

QVector<QVariant> Table::fetchRow(qint64 rowId) const
{
    if (m_format != FileFormat::SQLite) {
        // dBASE and Paradox records are read a window at a time: one statement per record costs more
        // than reading the record.
        const auto cached = m_window.constFind(rowId);
        if (cached != m_window.constEnd())
            return cached.value();
        m_window.clear();
        const auto rows =
            m_conn->select(QStringLiteral("SELECT rowid, %1 FROM %2 WHERE rowid >= ? ORDER BY rowid LIMIT %3")
                               .arg(m_selectList, m_sqlName)
                               .arg(windowRows),
                           {rowId});
        for (const auto& r : rows)
            m_window.insert(r[0].toLongLong(), r.mid(1, m_fields.size()));
        const auto found = m_window.constFind(rowId);
        if (found != m_window.constEnd())
            return found.value();
        return QVector<QVariant>(m_fields.size()); // deleted meanwhile by another program
    }
    const auto rows = m_conn->select(
        QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(m_selectList, m_sqlName), {rowId});
    if (rows.isEmpty())
        return QVector<QVariant>(m_fields.size()); // deleted meanwhile by another program
    return rows[0].mid(0, m_fields.size());
}

qint64 Table::storeRecord(qint64 rowId, bool isNew, const QVector<QVariant>& values,
                          const QVector<bool>& changed)
{
    m_window.clear();
    if (m_readOnly)
        throw shell::AppError(fileError(readOnlyText()));
    QStringList cols;
    QVector<QVariant> params;
    writtenColumns(isNew, values, changed, cols, params);
    try {
        if (isNew) {
            m_conn->run(insertStatement(m_sqlName, cols), params);
            return m_conn->lastInsertRowId();
        }
        if (!cols.isEmpty()) {
            params << rowId;
            m_conn->run(updateStatement(m_sqlName, cols), params);
        }
    } catch (const shell::AppError& e) {
        throw shell::AppError(fileError(e.message()));
    }
    if (m_format == FileFormat::SQLite)
        m_dataVersion = m_conn->dataVersion();
    m_stamp = fileStamp();
    return rowId;
}

void Table::deleteRecord(qint64 rowId)
{
    m_window.clear();
    if (m_readOnly)
        throw shell::AppError(fileError(readOnlyText()));
    try {
        m_conn->run(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(m_sqlName), {rowId});
    } catch (const shell::AppError& e) {
        throw shell::AppError(fileError(e.message()));
    }
    m_stamp = fileStamp();
}

QVector<qint64> Table::matchRows(int fieldNo, const QString& value, bool partialKey) const
{
    const Field& f = m_fields[fieldNo];
    const QString col = quoteIdentifier(f.name);
    QString where;
    QVector<QVariant> params;
    if (partialKey) {
        where = QStringLiteral("substr(CAST(%1 AS TEXT), 1, length(?1)) = ?1").arg(col);
        params << value;
    } else if (isNumberType(f.type)) {
        where = QStringLiteral("%1 = ?1").arg(col);
        params << textToValue(value, f);
    } else {
        where = QStringLiteral("kal_fold(%1) = kal_fold(?1)").arg(col);
        params << value;
    }
    if (!m_filter.trimmed().isEmpty())
        where += QStringLiteral(" AND (%1)").arg(m_filter);
    QVector<qint64> ids;
    try {
        const auto rows = m_conn->select(
            QStringLiteral("SELECT rowid FROM %1 WHERE %2 ORDER BY rowid").arg(m_sqlName, where), params);
        for (const auto& r : rows)
            ids.push_back(r[0].toLongLong());
    } catch (const shell::AppError& e) {
        throw shell::AppError(fileError(e.message()));
    }
    return ids;
}

void Table::create(const QString& path, const QVector<Field>& fields)
{
    if (QFileInfo::exists(path))
        throw shell::AppError(msg("Table %1: the file already exists").arg(QDir::toNativeSeparators(path)));
    if (fields.isEmpty())
        throw shell::AppError(
            msg("Table %1: a table needs at least one field").arg(QDir::toNativeSeparators(path)));
    QStringList cols;
    for (const Field& f : fields)
        cols << quoteIdentifier(f.name) + QLatin1Char(' ') + declaredType(f);
    const QString name = QFileInfo(path).completeBaseName();
    // Built beside the final name and renamed, so a failure never leaves half a table under that name.
    const QString temp = path + QStringLiteral(".new");
    QFile::remove(temp);
    try {
        Connection conn(temp, false, true);
        conn.exec(QStringLiteral("CREATE TABLE %1 (%2)")
                      .arg(quoteIdentifier(name), cols.join(QStringLiteral(", "))));
    } catch (const shell::AppError& e) {
        QFile::remove(temp);
        throw shell::AppError(msg("Table %1: %2").arg(QDir::toNativeSeparators(path), e.message()));
    }
    if (!QFile::rename(temp, path)) {
        QFile::remove(temp);
        throw shell::AppError(
            msg("Table %1: the file cannot be created").arg(QDir::toNativeSeparators(path)));
    }
}

} // namespace tables
