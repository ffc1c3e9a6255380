#include "shell/tables/query.h"

#include "shell/tables/messages.h"

#include "shell/error.h"
#include "shell/tables/tablefilesupport.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QUrl>
#include <sqlite3.h>
#include <utility>

namespace tables {
namespace {

struct Token {
    enum Kind { Word, String, Identifier, Punct, Space } kind;
    int start;
    int length;
    QString text; // unquoted text of strings and identifiers, upper-cased words
};

// Splits a statement into tokens, honouring quotes and comments; positions refer to the input.
QVector<Token> tokenize(const QString& sql)
{
    QVector<Token> out;
    const int n = int(sql.size());
    int i = 0;
    while (i < n) {
        const QChar c = sql[i];
        const int start = i;
        if (c.isSpace()) {
            while (i < n && sql[i].isSpace())
                ++i;
            out.push_back({Token::Space, start, i - start, {}});
        } else if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            while (i < n && sql[i] != QLatin1Char('\n'))
                ++i;
            out.push_back({Token::Space, start, i - start, {}});
        } else if (c == QLatin1Char('/') && i + 1 < n && sql[i + 1] == QLatin1Char('*')) {
            const int end = int(sql.indexOf(QLatin1String("*/"), i + 2));
            i = end < 0 ? n : end + 2;
            out.push_back({Token::Space, start, i - start, {}});
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')
                   || c == QLatin1Char('[')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            QString text;
            ++i;
            while (i < n) {
                if (sql[i] == close) {
                    if (close != QLatin1Char(']') && i + 1 < n && sql[i + 1] == close) {
                        text += close;
                        i += 2;
                        continue;
                    }
                    break;
                }
                text += sql[i++];
            }
            if (i < n)
                ++i;
            out.push_back(
                {c == QLatin1Char('\'') ? Token::String : Token::Identifier, start, i - start, text});
        } else if (c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$')) {
            while (i < n
                   && (sql[i].isLetterOrNumber() || sql[i] == QLatin1Char('_') || sql[i] == QLatin1Char('$')
                       || sql[i] == QLatin1Char('.')))
                ++i;
            out.push_back({Token::Word, start, i - start, sql.mid(start, i - start).toUpper()});
        } else {
            ++i;
            out.push_back({Token::Punct, start, 1, QString(c)});
        }
    }
    return out;
}

bool isWord(const Token& t, const char* w)
{
    return t.kind == Token::Word && t.text == QLatin1String(w);
}

// Words after which a quoted text names a table file.
bool introducesTable(const Token& t)
{
    return isWord(t, "FROM") || isWord(t, "JOIN") || isWord(t, "INTO") || isWord(t, "UPDATE")
           || isWord(t, "TABLE");
}

// Words that end the table list of a FROM clause.
bool endsFromList(const Token& t)
{
    static const char* words[] = {"WHERE",  "GROUP", "ORDER",  "LIMIT",  "HAVING",
                                  "ON",     "USING", "UNION",  "EXCEPT", "INTERSECT",
                                  "SELECT", "SET",   "VALUES", "WINDOW", "RETURNING"};
    for (const char* w : words)
        if (isWord(t, w))
            return true;
    return false;
}

struct Statement {
    sqlite3_stmt* st = nullptr;
    ~Statement() { sqlite3_finalize(st); }
};

} // namespace

Query::Query(QObject* parent) : DataSet(parent) {}

Query::~Query() = default;

namespace {

// Makes a table file reachable from the statement's connection; returns its SQL name.
QString attachFile(Connection& conn, const QString& reference, int n, bool readOnly)
{
    const TableRef ref = splitTableRef(reference);
    const QString shown = QDir::toNativeSeparators(ref.file);
    const FileFormat format = detectFormat(ref.file);
    switch (format) {
    case FileFormat::Missing:
        throw shell::AppError(msg("Table %1: the file does not exist").arg(shown));
    case FileFormat::Unknown:
        throw shell::AppError(msg("Table %1: the file is not a table file, or it is damaged").arg(shown));
    case FileFormat::SQLite: {
        const QString schema = QStringLiteral("f%1").arg(n);
        QString uri = QStringLiteral("file:") + QString::fromUtf8(QUrl::toPercentEncoding(ref.file, "/"));
        if (readOnly || !isWritableFile(ref.file))
            uri += QStringLiteral("?mode=ro");
        conn.run(QStringLiteral("ATTACH DATABASE ? AS %1").arg(schema), {uri});
        try {
            return schema + QLatin1Char('.') + quoteIdentifier(chooseSqliteTable(conn, schema, ref));
        } catch (const shell::AppError& e) {
            throw shell::AppError(msg("Table %1: %2").arg(shown, e.message()));
        }
    }
    case FileFormat::DBase:
    case FileFormat::Paradox:
        break;
    }
    const QString name = QStringLiteral("temp.\"v%1\"").arg(n);
    try {
        conn.exec(QStringLiteral("CREATE VIRTUAL TABLE %1 USING %2(%3)")
                      .arg(name,
                           format == FileFormat::DBase ? QStringLiteral("dbase") : QStringLiteral("paradox"),
                           quoteLiteral(ref.file)));
    } catch (const shell::AppError& e) {
        throw shell::AppError(msg("Table %1: %2").arg(shown, e.message()));
    }
    return name;
}

// A table named after these words is changed by the statement.
bool changesNamedTable(const Token* beforePrevious, const Token& previous)
{
    return isWord(previous, "INTO") || isWord(previous, "UPDATE") || isWord(previous, "TABLE")
           || (isWord(previous, "FROM") && beforePrevious && isWord(*beforePrevious, "DELETE"));
}

} // namespace

QString Query::rewritePaths(Connection& conn, const QString& sql, QStringList* paths, QStringList* sqlNames,
                            bool readOnly, QStringList* written)
{
    const QVector<Token> tokens = tokenize(sql);
    QString out;
    int copied = 0;
    const Token* previous = nullptr;
    const Token* beforePrevious = nullptr;
    bool inFromList = false;
    int depth = 0;
    QHash<QString, QString> done; // path -> SQL name
    for (const Token& t : tokens) {
        if (t.kind == Token::Space)
            continue;
        if (t.kind == Token::Punct && t.text == QLatin1String("("))
            ++depth;
        if (t.kind == Token::Punct && t.text == QLatin1String(")"))
            --depth;
        const bool tablePosition =
            previous
            && (introducesTable(*previous)
                || (inFromList && previous->kind == Token::Punct && previous->text == QLatin1String(",")));
        if (t.kind == Token::String && tablePosition) {
            const QString path = t.text;
            QString name = done.value(path);
            if (name.isEmpty()) {
                name = attachFile(conn, path, int(done.size()), readOnly);
                done.insert(path, name);
                if (paths)
                    paths->append(path);
                if (sqlNames)
                    sqlNames->append(name);
            }
            if (written && changesNamedTable(beforePrevious, *previous) && !written->contains(path))
                written->append(path);
            out += sql.mid(copied, t.start - copied);
            out += name;
            copied = t.start + t.length;
        }
        if (depth == 0 && isWord(t, "FROM"))
            inFromList = true;
        else if (endsFromList(t))
            inFromList = false;
        beforePrevious = previous;
        previous = &t;
    }
    out += sql.mid(copied);
    return out;
}

namespace {

// Where the FROM of a plain select from one table begins (its result can be live), or -1.
int liveFromPosition(const QVector<Token>& tokens)
{
    QVector<const Token*> top;
    int depth = 0;
    for (const Token& t : tokens) {
        if (t.kind == Token::Space)
            continue;
        if (t.kind == Token::Punct && t.text == QLatin1String("(")) {
            ++depth;
            continue;
        }
        if (t.kind == Token::Punct && t.text == QLatin1String(")")) {
            --depth;
            continue;
        }
        if (depth == 0)
            top.push_back(&t);
    }
    if (top.size() < 2 || !isWord(*top[0], "SELECT") || isWord(*top[1], "DISTINCT"))
        return -1;
    static const char* blockers[] = {"GROUP",  "HAVING",    "LIMIT",  "OFFSET", "UNION",
                                     "EXCEPT", "INTERSECT", "WINDOW", "JOIN",   "VALUES"};
    int fromPos = -1;
    int tablesInFrom = 0;
    bool inFrom = false;
    for (int i = 1; i < top.size(); ++i) {
        const Token& t = *top[i];
        for (const char* b : blockers)
            if (isWord(t, b))
                return -1;
        if (isWord(t, "FROM") && fromPos < 0) {
            fromPos = t.start;
            inFrom = true;
            tablesInFrom = 1;
        } else if (inFrom && t.kind == Token::Punct && t.text == QLatin1String(",")) {
            ++tablesInFrom;
        } else if (endsFromList(t)) {
            inFrom = false;
        }
    }
    return tablesInFrom == 1 ? fromPos : -1;
}

// Prepares exactly one statement; errors carry the engine's message.
sqlite3_stmt* prepareOne(Connection& conn, const QString& sql)
{
    Statement s;
    const QByteArray text = sql.toUtf8();
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(conn.handle(), text.constData(), int(text.size()), &s.st, &tail) != SQLITE_OK)
        throw shell::AppError(msg("SQL error: %1").arg(conn.lastError()));
    if (tail && !QByteArray(tail).trimmed().isEmpty() && QByteArray(tail).trimmed() != ";")
        throw shell::AppError(msg("SQL error: only one statement can be run at a time"));
    if (!s.st)
        throw shell::AppError(msg("SQL error: the statement is empty"));
    return std::exchange(s.st, nullptr);
}

// The table behind every result column when they all come from one; empty otherwise.
bool originsOfOneTable(sqlite3_stmt* st, int columns, QString* baseDb, QString* baseTable,
                       QVector<QString>* origins)
{
    origins->resize(columns);
    for (int i = 0; i < columns; ++i) {
        const char* table = sqlite3_column_table_name(st, i);
        const char* origin = sqlite3_column_origin_name(st, i);
        const char* dbName = sqlite3_column_database_name(st, i);
        if (!table || !origin || !dbName)
            return false;
        if (baseTable->isEmpty()) {
            *baseTable = QString::fromUtf8(table);
            *baseDb = QString::fromUtf8(dbName);
        } else if (*baseTable != QString::fromUtf8(table) || *baseDb != QString::fromUtf8(dbName)) {
            return false;
        }
        (*origins)[i] = QString::fromUtf8(origin);
    }
    return true;
}

// Expressions carry no declared type: it is taken from the first value that is not null.
void typeFromValues(Field& field, const QVector<QVector<QVariant>>& rows, int column)
{
    FieldType t = FieldType::Alpha;
    for (const auto& r : rows) {
        const QVariant& v = r[column];
        if (v.isNull())
            continue;
        t = v.typeId() == QMetaType::LongLong     ? FieldType::Integer
            : v.typeId() == QMetaType::Double     ? FieldType::Number
            : v.typeId() == QMetaType::QByteArray ? FieldType::Binary
                                                  : FieldType::Alpha;
        break;
    }
    field.type = t;
    field.size = t == FieldType::Alpha ? 255 : 0;
}

} // namespace

QStringList Query::changedFiles(const QString& sql)
{
    Connection conn;
    QStringList written;
    const QString rewritten = rewritePaths(conn, sql, nullptr, nullptr, true, &written);
    Statement s{prepareOne(conn, rewritten)};
    if (sqlite3_stmt_readonly(s.st))
        return {};
    if (written.isEmpty()) // changes nothing we can name; still a change
        written << QString();
    return written;
}

void Query::open()
{
    if (isOpen())
        close();
    m_sourceName = QStringLiteral("Query");
    m_paths.clear();
    m_rowsAffected = 0;
    m_conn = std::make_unique<Connection>();
    try {
        run();
    } catch (const std::exception&) {
        // A failed statement leaves the query closed, with no file attached.
        m_conn.reset();
        throw;
    }
}

void Query::run()
{
    const QString sql = rewritePaths(*m_conn, m_sql, &m_paths, nullptr, m_readOnly);
    // A plain select from one table can be changed through its result: its rows carry their rowid.
    const int fromPos = liveFromPosition(tokenize(sql));
    bool live = fromPos >= 0;
    Statement s{prepareOne(
        *m_conn, live ? sql.left(fromPos).trimmed() + QStringLiteral(", rowid ") + sql.mid(fromPos) : sql)};
    if (m_readOnly && !sqlite3_stmt_readonly(s.st))
        throw shell::AppError(msg("SQL error: the statement would change data; only a statement "
                                  "that reads can be exported"));
    if (sqlite3_column_count(s.st) == 0) {
        runChange(s.st);
        return;
    }
    QString baseDb, baseTable;
    QVector<QString> origins;
    if (live && !originsOfOneTable(s.st, sqlite3_column_count(s.st) - 1, &baseDb, &baseTable, &origins)) {
        // prepared with the extra row identity but cannot be live: prepare the statement as written
        live = false;
        sqlite3_finalize(std::exchange(s.st, nullptr));
        s.st = prepareOne(*m_conn, sql);
    }
    readResult(s.st, live);
    m_live = live;
    m_baseTable = live ? quoteIdentifier(baseDb) + QLatin1Char('.') + quoteIdentifier(baseTable) : QString();
    m_baseColumns = live ? origins : QVector<QString>();
    QVector<qint64> view(m_rows.size());
    for (int i = 0; i < view.size(); ++i)
        view[i] = i;
    m_state = State::Browse;
    setView(std::move(view));
}

void Query::runChange(sqlite3_stmt* st)
{
    // update, insert, delete and the like
    const int rc = sqlite3_step(st);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw shell::AppError(msg("SQL error: %1").arg(m_conn->lastError()));
    m_rowsAffected = sqlite3_changes(m_conn->handle());
    m_conn.reset();
}

void Query::readResult(sqlite3_stmt* st, bool live)
{
    const int nfields = sqlite3_column_count(st) - (live ? 1 : 0);
    QVector<Field> fields;
    QVector<bool> typed(nfields, false);
    for (int i = 0; i < nfields; ++i) {
        const char* decl = sqlite3_column_decltype(st, i);
        Field f = fieldFromDeclared(QString::fromUtf8(sqlite3_column_name(st, i)),
                                    decl ? QString::fromUtf8(decl) : QString());
        typed[i] = decl != nullptr;
        if (!live)
            f.modifiable = false;
        fields.push_back(f);
    }
    QVector<QVector<QVariant>> rows;
    QVector<qint64> baseIds;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        QVector<QVariant> row(nfields);
        for (int i = 0; i < nfields; ++i)
            row[i] = columnValue(st, i);
        if (live)
            baseIds.push_back(sqlite3_column_int64(st, nfields));
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE)
        throw shell::AppError(msg("SQL error: %1").arg(m_conn->lastError()));
    for (int i = 0; i < nfields; ++i)
        if (!typed[i])
            typeFromValues(fields[i], rows, i);
    m_fields = fields;
    m_rows = std::move(rows);
    m_baseRowIds = std::move(baseIds);
}

void Query::close()
{
    DataSet::close();
    m_rows.clear();
    m_baseRowIds.clear();
    m_baseColumns.clear();
    m_live = false;
    m_conn.reset();
}

QVector<QVariant> Query::fetchRow(qint64 rowId) const
{
    return m_rows.value(rowId, QVector<QVariant>(m_fields.size()));
}

qint64 Query::storeRecord(qint64 rowId, bool isNew, const QVector<QVariant>& values,
                          const QVector<bool>& changed)
{
    if (!m_live)
        fail(msg("this result is read-only; only a plain select from one table can be changed"));
    QStringList cols;
    QVector<QVariant> params;
    writtenColumns(isNew, values, changed, cols, params, &m_baseColumns);
    qint64 baseId;
    if (isNew) {
        m_conn->run(insertStatement(m_baseTable, cols), params);
        baseId = m_conn->lastInsertRowId();
    } else {
        baseId = m_baseRowIds[rowId];
        if (!cols.isEmpty()) {
            params << baseId;
            m_conn->run(updateStatement(m_baseTable, cols), params);
        }
    }
    QStringList origin;
    for (const QString& c : m_baseColumns)
        origin << quoteIdentifier(c);
    const auto fresh = m_conn->select(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                                          .arg(origin.join(QStringLiteral(", ")), m_baseTable),
                                      {baseId});
    const QVector<QVariant> row = fresh.isEmpty() ? values : fresh[0];
    if (isNew) {
        m_rows.push_back(row);
        m_baseRowIds.push_back(baseId);
        return m_rows.size() - 1;
    }
    m_rows[rowId] = row;
    return rowId;
}

void Query::deleteRecord(qint64 rowId)
{
    if (!m_live)
        fail(msg("this result is read-only; only a plain select from one table can be changed"));
    // By row identity: exactly the record the user saw, whatever the statement would return now.
    m_conn->run(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(m_baseTable), {m_baseRowIds[rowId]});
}

QVector<qint64> Query::matchRows(int fieldNo, const QString& value, bool partialKey) const
{
    QVector<qint64> ids;
    const QString folded = value.toCaseFolded();
    for (int i = 0; i < m_rows.size(); ++i) {
        const QString v = valueToText(m_rows[i][fieldNo], m_fields[fieldNo].type);
        if (partialKey ? v.startsWith(value) : v.toCaseFolded() == folded)
            ids.push_back(i);
    }
    return ids;
}

} // namespace tables
