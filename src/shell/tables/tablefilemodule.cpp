#include "shell/tables/tablefilemodule.h"

#include "shell/tables/messages.h"

#include "shell/error.h"
#include "shell/tables/connection.h"

#include <QHash>
#include <QSet>
#include <QStringList>

#include <sqlite3.h>

#include <cmath>
#include <limits>
#include <mutex>
#include <optional>

namespace tables {

namespace {

struct FileVtab {
    sqlite3_vtab base; // first: SQLite hands this pointer back
    std::unique_ptr<TableFile> file;
    sqlite3* db = nullptr;
    QString schema;
    QString table;
};

// The open table files by connection, schema and table name, for tableFileOf().
struct OpenFiles {
    std::mutex lock;
    QHash<QString, TableFile*> byKey;

    static QString key(sqlite3* db, const QString& schema, const QString& table)
    {
        return QString::number(reinterpret_cast<quintptr>(db)) + QLatin1Char('/') + schema.toLower()
               + QLatin1Char('/') + table.toLower();
    }
};

OpenFiles& openFiles()
{
    static OpenFiles files;
    return files;
}

struct FileCursor {
    sqlite3_vtab_cursor base;
    qint64 row = 0;
    qint64 lastRow = 0; // a look-up by row number stops here
    QByteArray record;
};

FileVtab* vtabOf(sqlite3_vtab* v)
{
    return reinterpret_cast<FileVtab*>(v);
}

FileCursor* cursorOf(sqlite3_vtab_cursor* c)
{
    return reinterpret_cast<FileCursor*>(c);
}

void setError(sqlite3_vtab* vtab, const QString& message)
{
    sqlite3_free(vtab->zErrMsg);
    vtab->zErrMsg = sqlite3_mprintf("%s", message.toUtf8().constData());
}

int connectTable(sqlite3* db, void* aux, int argc, const char* const* argv, sqlite3_vtab** out, char** err)
{
    const auto opener = reinterpret_cast<TableFileOpener>(aux);
    if (argc < 4) {
        *err = sqlite3_mprintf("%s: the table file's path is missing (USING %s('/path/file'))", argv[0],
                               argv[0]);
        return SQLITE_ERROR;
    }
    const QString path = unquoteModuleArgument(argv[3]);
    QStringList options;
    for (int i = 4; i < argc; ++i)
        options << unquoteModuleArgument(argv[i]);
    auto vtab = std::make_unique<FileVtab>();
    vtab->base = {};
    try {
        vtab->file = opener(path, options);
        QStringList columnSql;
        QSet<QString> used;
        const QVector<FileColumn> columns = vtab->file->columns();
        for (int i = 0; i < columns.size(); ++i) {
            // SQLite wants distinct column names; a dBASE file may repeat one.
            QString name =
                columns[i].name.trimmed().isEmpty() ? QStringLiteral("Field%1").arg(i + 1) : columns[i].name;
            const QString base = name;
            for (int n = 2; used.contains(name.toLower()); ++n)
                name = QStringLiteral("%1_%2").arg(base).arg(n);
            used.insert(name.toLower());
            columnSql << quoteIdentifier(name) + QLatin1Char(' ') + columns[i].declaredType;
        }
        // A table of no fields still has records; SQLite needs a column to count them by.
        if (columnSql.isEmpty())
            columnSql << QStringLiteral("_no_fields HIDDEN");
        const QByteArray sql =
            QStringLiteral("CREATE TABLE x(%1)").arg(columnSql.join(QStringLiteral(", "))).toUtf8();
        if (sqlite3_declare_vtab(db, sql.constData()) != SQLITE_OK)
            throw shell::AppError(msg("%1: the fields cannot be declared (%2)")
                                      .arg(path, QString::fromUtf8(sqlite3_errmsg(db))));
    } catch (const std::exception& e) {
        *err = sqlite3_mprintf("%s", e.what());
        return SQLITE_ERROR;
    }
    vtab->db = db;
    vtab->schema = QString::fromUtf8(argv[1]);
    vtab->table = QString::fromUtf8(argv[2]);
    {
        OpenFiles& files = openFiles();
        const std::lock_guard<std::mutex> guard(files.lock);
        files.byKey.insert(OpenFiles::key(db, vtab->schema, vtab->table), vtab->file.get());
    }
    *out = &vtab.release()->base;
    return SQLITE_OK;
}

int disconnectTable(sqlite3_vtab* v)
{
    FileVtab* vtab = vtabOf(v);
    {
        OpenFiles& files = openFiles();
        const std::lock_guard<std::mutex> guard(files.lock);
        const QString key = OpenFiles::key(vtab->db, vtab->schema, vtab->table);
        if (files.byKey.value(key) == vtab->file.get())
            files.byKey.remove(key);
    }
    delete vtab;
    return SQLITE_OK;
}

// ByRange carries flags for the bounds it was given; SQLite checks them again (not omitted), so a bound
// only has to keep the rows that may match.
enum IndexPlan { FullScan = 0, ByRow = 1, ByRange = 2, HasLower = 4, HasUpper = 8 };

// A row number bound from an SQL value; nullopt when it bounds nothing (NULL, text that is no number).
std::optional<double> rowBound(sqlite3_value* v)
{
    const int type = sqlite3_value_numeric_type(v);
    if (type == SQLITE_INTEGER)
        return static_cast<double>(sqlite3_value_int64(v));
    if (type == SQLITE_FLOAT && std::isfinite(sqlite3_value_double(v)))
        return sqlite3_value_double(v);
    return std::nullopt;
}

int bestIndex(sqlite3_vtab* vtab, sqlite3_index_info* info)
{
    info->idxNum = FullScan;
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto& c = info->aConstraint[i];
        if (c.usable && c.iColumn == -1 && c.op == SQLITE_INDEX_CONSTRAINT_EQ) {
            info->idxNum = ByRow;
            info->aConstraintUsage[i].argvIndex = 1;
            info->aConstraintUsage[i].omit = 1;
            info->estimatedCost = 1;
            info->estimatedRows = 1;
            info->idxFlags = SQLITE_INDEX_SCAN_UNIQUE;
            return SQLITE_OK;
        }
    }
    const qint64 rows = vtabOf(vtab)->file->rowLimit();
    info->estimatedRows = rows;
    info->estimatedCost = static_cast<double>(rows) + 10;
    // A window of rows (rowid >= ? ... LIMIT n), as a grid reads ahead.
    int argument = 0;
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto& c = info->aConstraint[i];
        if (!c.usable || c.iColumn != -1)
            continue;
        int flag = 0;
        if ((c.op == SQLITE_INDEX_CONSTRAINT_GE || c.op == SQLITE_INDEX_CONSTRAINT_GT)
            && !(info->idxNum & HasLower))
            flag = HasLower;
        if ((c.op == SQLITE_INDEX_CONSTRAINT_LE || c.op == SQLITE_INDEX_CONSTRAINT_LT)
            && !(info->idxNum & HasUpper))
            flag = HasUpper;
        if (flag == 0)
            continue;
        info->idxNum |= ByRange | flag;
        info->aConstraintUsage[i].argvIndex = ++argument;
    }
    if (info->idxNum & ByRange) {
        info->estimatedRows = qMax<qint64>(1, rows / 4);
        info->estimatedCost = static_cast<double>(info->estimatedRows) + 5;
    }
    // Rows come out in file order, so an order by row number needs no sort.
    if (info->nOrderBy == 1 && info->aOrderBy[0].iColumn == -1 && !info->aOrderBy[0].desc)
        info->orderByConsumed = 1;
    return SQLITE_OK;
}

int openCursor(sqlite3_vtab*, sqlite3_vtab_cursor** out)
{
    auto* cursor = new FileCursor;
    cursor->base = {};
    *out = &cursor->base;
    return SQLITE_OK;
}

int closeCursor(sqlite3_vtab_cursor* c)
{
    delete cursorOf(c);
    return SQLITE_OK;
}

// Moves to the first row from cursor->row on that is not deleted.
int settle(FileCursor* cursor)
{
    TableFile& file = *vtabOf(cursor->base.pVtab)->file;
    try {
        while (cursor->row <= cursor->lastRow && !file.readRow(cursor->row, cursor->record))
            ++cursor->row;
    } catch (const std::exception& e) {
        setError(cursor->base.pVtab, QString::fromUtf8(e.what()));
        return SQLITE_ERROR;
    }
    return SQLITE_OK;
}

int filter(sqlite3_vtab_cursor* c, int idxNum, const char*, int argc, sqlite3_value** argv)
{
    FileCursor* cursor = cursorOf(c);
    TableFile& file = *vtabOf(c->pVtab)->file;
    try {
        file.beginScan();
    } catch (const std::exception& e) {
        setError(c->pVtab, QString::fromUtf8(e.what()));
        return SQLITE_ERROR;
    }
    const qint64 limit = file.rowLimit();
    if (idxNum == ByRow && argc == 1) {
        const int type = sqlite3_value_numeric_type(argv[0]);
        qint64 row = 0;
        if (type == SQLITE_INTEGER)
            row = sqlite3_value_int64(argv[0]);
        else if (type == SQLITE_FLOAT) {
            const double d = sqlite3_value_double(argv[0]);
            row = d == std::floor(d) && std::fabs(d) < 1e15 ? static_cast<qint64>(d) : 0;
        }
        if (row < 1 || row > limit) {
            cursor->row = 1;
            cursor->lastRow = 0; // nothing
            return SQLITE_OK;
        }
        cursor->row = row;
        cursor->lastRow = row;
    } else {
        cursor->row = 1;
        cursor->lastRow = limit;
        // Arguments come in the order bestIndex numbered them: the lower bound first.
        int at = 0;
        if ((idxNum & HasLower) && at < argc) {
            if (const auto lower = rowBound(argv[at]))
                cursor->row = static_cast<qint64>(qBound(1.0, std::floor(*lower), double(limit) + 1));
            ++at;
        }
        if ((idxNum & HasUpper) && at < argc) {
            if (const auto upper = rowBound(argv[at]))
                cursor->lastRow = static_cast<qint64>(qBound(0.0, std::ceil(*upper), double(limit)));
        }
    }
    return settle(cursor);
}

int next(sqlite3_vtab_cursor* c)
{
    FileCursor* cursor = cursorOf(c);
    ++cursor->row;
    return settle(cursor);
}

int eof(sqlite3_vtab_cursor* c)
{
    const FileCursor* cursor = cursorOf(c);
    return cursor->row > cursor->lastRow;
}

int column(sqlite3_vtab_cursor* c, sqlite3_context* ctx, int index)
{
    // An UPDATE that leaves a field alone does not need its value: the file keeps the stored bytes.
    if (sqlite3_vtab_nochange(ctx))
        return SQLITE_OK;
    FileCursor* cursor = cursorOf(c);
    try {
        vtabOf(c->pVtab)->file->resultColumn(cursor->record, index, ctx);
    } catch (const std::exception& e) {
        sqlite3_result_error(ctx, e.what(), -1);
        return SQLITE_ERROR;
    }
    return SQLITE_OK;
}

int rowId(sqlite3_vtab_cursor* c, sqlite3_int64* out)
{
    *out = cursorOf(c)->row;
    return SQLITE_OK;
}

int update(sqlite3_vtab* v, int argc, sqlite3_value** argv, sqlite3_int64* newRow)
{
    TableFile& file = *vtabOf(v)->file;
    try {
        const QString readOnly = file.readOnlyReason();
        if (!readOnly.isEmpty())
            throw shell::AppError(readOnly);
        if (argc == 1) {
            file.deleteRow(sqlite3_value_int64(argv[0]));
        } else if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
            if (sqlite3_value_type(argv[1]) != SQLITE_NULL)
                throw shell::AppError(
                    msg("%1: the record number of a new record is given by the file, not set")
                        .arg(file.displayPath()));
            *newRow = file.insertRow(argv + 2);
        } else {
            const qint64 row = sqlite3_value_int64(argv[0]);
            if (sqlite3_value_type(argv[1]) != SQLITE_INTEGER || sqlite3_value_int64(argv[1]) != row)
                throw shell::AppError(
                    msg("%1: the record number of a record cannot be changed").arg(file.displayPath()));
            file.updateRow(row, argv + 2);
        }
    } catch (const std::exception& e) {
        setError(v, QString::fromUtf8(e.what()));
        return SQLITE_ERROR;
    }
    return SQLITE_OK;
}

sqlite3_module makeModule()
{
    sqlite3_module m = {};
    m.iVersion = 1;
    m.xCreate = connectTable;
    m.xConnect = connectTable;
    m.xBestIndex = bestIndex;
    m.xDisconnect = disconnectTable;
    m.xDestroy = disconnectTable; // dropping the virtual table leaves the file alone
    m.xOpen = openCursor;
    m.xClose = closeCursor;
    m.xFilter = filter;
    m.xNext = next;
    m.xEof = eof;
    m.xColumn = column;
    m.xRowid = rowId;
    m.xUpdate = update;
    return m;
}

const sqlite3_module fileModule = makeModule();

} // namespace

QString declaredColumnType(const Field& field, bool readOnly)
{
    QString declared = field.type == FieldType::Bytes ? QStringLiteral("BYTES BLOB(%1)").arg(field.size)
                                                      : declaredType(field, true);
    if (!readOnly && field.type != FieldType::AutoInc)
        return declared;
    const qsizetype bracket = declared.indexOf(QLatin1Char('('));
    if (bracket < 0)
        return declared + QStringLiteral(" READONLY");
    return declared.left(bracket) + QStringLiteral(" READONLY") + declared.mid(bracket);
}

void registerTableFileModule(sqlite3* db, const char* moduleName, TableFileOpener opener)
{
    sqlite3_create_module_v2(db, moduleName, &fileModule, reinterpret_cast<void*>(opener), nullptr);
}

TableFile* tableFileOf(sqlite3* db, const QString& schema, const QString& table)
{
    OpenFiles& files = openFiles();
    const std::lock_guard<std::mutex> guard(files.lock);
    return files.byKey.value(OpenFiles::key(db, schema, table));
}

QString unquoteModuleArgument(const char* argument)
{
    QString text = QString::fromUtf8(argument).trimmed();
    if (text.size() >= 2 && (text.front() == QLatin1Char('\'') || text.front() == QLatin1Char('"'))
        && text.back() == text.front()) {
        const QChar quote = text.front();
        text = text.mid(1, text.size() - 2);
        text.replace(QString(2, quote), QString(quote));
    }
    return text;
}

namespace fieldvalue {

bool isNull(sqlite3_value* v)
{
    return sqlite3_value_type(v) == SQLITE_NULL;
}

QString text(sqlite3_value* v)
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return data ? QString::fromUtf8(data, sqlite3_value_bytes(v)) : QString();
}

QByteArray blob(sqlite3_value* v)
{
    const void* data = sqlite3_value_blob(v);
    return data ? QByteArray(static_cast<const char*>(data), sqlite3_value_bytes(v)) : QByteArray();
}

namespace {

[[noreturn]] void refuse(const QString& field, sqlite3_value* v, const char* what)
{
    throw shell::AppError(msg("field %1: \"%2\" is not %3").arg(field, text(v), msg(what)));
}

} // namespace

double number(sqlite3_value* v, const QString& field)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return static_cast<double>(sqlite3_value_int64(v));
    case SQLITE_FLOAT: {
        const double d = sqlite3_value_double(v);
        if (!std::isfinite(d))
            refuse(field, v, "a finite number");
        return d;
    }
    default:
        break;
    }
    QString t = text(v).trimmed();
    // Numbers typed by Polish users carry a decimal comma.
    if (!t.contains(QLatin1Char('.')))
        t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double d = t.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        refuse(field, v, "a number");
    return d;
}

qint64 integer(sqlite3_value* v, const QString& field, qint64 min, qint64 max)
{
    qint64 value = 0;
    if (sqlite3_value_type(v) == SQLITE_INTEGER) {
        value = sqlite3_value_int64(v);
    } else {
        const double d = number(v, field);
        if (d != std::floor(d) || std::fabs(d) > 9.0e18)
            refuse(field, v, "a whole number");
        value = static_cast<qint64>(d);
    }
    if (value < min || value > max)
        throw shell::AppError(
            msg("field %1: %2 is out of the range %3 to %4").arg(field).arg(value).arg(min).arg(max));
    return value;
}

bool logical(sqlite3_value* v, const QString& field)
{
    if (sqlite3_value_type(v) == SQLITE_INTEGER)
        return sqlite3_value_int64(v) != 0;
    if (sqlite3_value_type(v) == SQLITE_FLOAT)
        return sqlite3_value_double(v) != 0;
    const QString t = text(v).trimmed().toLower();
    static const QStringList yes = {QStringLiteral("1"), QStringLiteral("true"), QStringLiteral("t"),
                                    QStringLiteral("y"), QStringLiteral("yes"),  QStringLiteral("tak")};
    static const QStringList no = {QStringLiteral("0"), QStringLiteral("false"), QStringLiteral("f"),
                                   QStringLiteral("n"), QStringLiteral("no"),    QStringLiteral("nie")};
    if (yes.contains(t))
        return true;
    if (no.contains(t))
        return false;
    refuse(field, v, "a logical value");
}

QDate date(sqlite3_value* v, const QString& field)
{
    const QString t = text(v).trimmed();
    QDate d = QDate::fromString(t.left(10), Qt::ISODate);
    if (!d.isValid() || (t.size() > 10 && !timestamp(v, field).isValid()))
        refuse(field, v, "a date (yyyy-MM-dd)");
    return d;
}

QTime time(sqlite3_value* v, const QString& field)
{
    const QString t = text(v).trimmed();
    QTime tm = QTime::fromString(t, QStringLiteral("HH:mm:ss"));
    if (!tm.isValid())
        tm = QTime::fromString(t, QStringLiteral("HH:mm:ss.zzz"));
    if (!tm.isValid())
        tm = QTime::fromString(t, QStringLiteral("HH:mm"));
    if (!tm.isValid())
        refuse(field, v, "a time (HH:mm:ss)");
    return tm;
}

QDateTime timestamp(sqlite3_value* v, const QString& field)
{
    const QString t = text(v).trimmed();
    QDateTime stamp;
    for (const char* format : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-ddTHH:mm:ss",
                               "yyyy-MM-dd HH:mm", "yyyy-MM-dd"}) {
        stamp = QDateTime::fromString(t, QLatin1String(format));
        if (stamp.isValid())
            break;
    }
    if (!stamp.isValid())
        refuse(field, v, "a timestamp (yyyy-MM-dd HH:mm:ss)");
    stamp.setTimeSpec(Qt::UTC); // stored as a wall-clock value, no zone
    return stamp;
}

void resultText(sqlite3_context* ctx, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_result_text(ctx, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

namespace {

// Formatting by hand: QDate::toString with a format costs microseconds a value, which shows on 200,000
// records.
void putDigits(char* out, int value, int digits)
{
    for (int i = digits - 1; i >= 0; --i, value /= 10)
        out[i] = static_cast<char>('0' + value % 10);
}

void resultAscii(sqlite3_context* ctx, const char* text, int size)
{
    sqlite3_result_text(ctx, text, size, SQLITE_TRANSIENT);
}

} // namespace

void resultDate(sqlite3_context* ctx, const QDate& date)
{
    if (!date.isValid() || date.year() < 1 || date.year() > 9999) {
        sqlite3_result_null(ctx);
        return;
    }
    char text[10] = {0, 0, 0, 0, '-', 0, 0, '-', 0, 0};
    int y, m, d;
    date.getDate(&y, &m, &d);
    putDigits(text, y, 4);
    putDigits(text + 5, m, 2);
    putDigits(text + 8, d, 2);
    resultAscii(ctx, text, 10);
}

void resultTime(sqlite3_context* ctx, const QTime& time)
{
    if (!time.isValid()) {
        sqlite3_result_null(ctx);
        return;
    }
    char text[8] = {0, 0, ':', 0, 0, ':', 0, 0};
    putDigits(text, time.hour(), 2);
    putDigits(text + 3, time.minute(), 2);
    putDigits(text + 6, time.second(), 2);
    resultAscii(ctx, text, 8);
}

void resultTimestamp(sqlite3_context* ctx, const QDateTime& stamp)
{
    const QDate date = stamp.date();
    if (!stamp.isValid() || date.year() < 1 || date.year() > 9999) {
        sqlite3_result_null(ctx);
        return;
    }
    char text[19] = {0, 0, 0, 0, '-', 0, 0, '-', 0, 0, ' ', 0, 0, ':', 0, 0, ':', 0, 0};
    int y, m, d;
    date.getDate(&y, &m, &d);
    const QTime time = stamp.time();
    putDigits(text, y, 4);
    putDigits(text + 5, m, 2);
    putDigits(text + 8, d, 2);
    putDigits(text + 11, time.hour(), 2);
    putDigits(text + 14, time.minute(), 2);
    putDigits(text + 17, time.second(), 2);
    resultAscii(ctx, text, 19);
}

} // namespace fieldvalue

} // namespace tables
