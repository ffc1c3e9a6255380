#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <QVector>

#include "shell/tables/fieldtype.h"
#include "shell/tables/tablefilesupport.h"

#include <memory>

struct sqlite3;
struct sqlite3_context;
struct sqlite3_value;

namespace tables {

// One column of a table file as SQLite sees it.
struct FileColumn {
    QString name;
    QString declaredType; // an engine declared type, followed by READONLY when the column cannot change
};

// A dBASE or Paradox file opened by a virtual table. Rows are numbered from 1 in file order; a number
// stays with its record for the life of the object. Every method reports failures as AppError with a
// message naming the file (and the field, where one is at fault).
class TableFile {
public:
    explicit TableFile(const QString& path = {}) : m_filePath(path) {}
    virtual ~TableFile() = default;

    QString filePath() const { return m_filePath; }
    // The file's path as shown in messages.
    virtual QString displayPath() const { return nativePath(m_filePath); }

    virtual QVector<FileColumn> columns() const = 0;
    // Rows are 1..rowLimit(); some of them may be deleted.
    virtual qint64 rowLimit() const = 0;
    // Called before each pass over the rows; a file that reads ahead drops what it has read.
    virtual void beginScan() {}
    // Reads the record of a row into buffer; false when the row is deleted.
    virtual bool readRow(qint64 row, QByteArray& buffer) = 0;
    // Gives SQLite the value of a column of a record read by readRow.
    virtual void resultColumn(const QByteArray& record, int column, sqlite3_context* ctx) = 0;

    // Empty when the file can be changed; otherwise why not, as a sentence.
    virtual QString readOnlyReason() const = 0;
    // values holds one value per column; a value for which sqlite3_value_nochange() is true keeps the field.
    virtual void updateRow(qint64 row, sqlite3_value** values) = 0;
    virtual qint64 insertRow(sqlite3_value** values) = 0;
    virtual void deleteRow(qint64 row) = 0;

    // What the user should know about the file although it opened (sentences naming the file).
    virtual QStringList warnings() const { return {}; }
    // Index files beside the table that changes made here have left out of date.
    virtual QStringList staleIndexes() const { return {}; }
    virtual WriteCounts writeCounts() const { return {}; }

protected:
    [[noreturn]] void fail(const QString& what) const { failFile(m_filePath, what); }

private:
    QString m_filePath;
};

using TableFileOpener = std::unique_ptr<TableFile> (*)(const QString& path, const QStringList& options);

// The declared type of a column of a field, with READONLY where the field cannot change. The word goes
// before a size in brackets, where SQLite's grammar allows it.
QString declaredColumnType(const Field& field, bool readOnly);

// Registers a virtual table module whose argument is the file path as an SQL string literal, optionally
// followed by further literals handed to the opener (see TableFileOptions).
void registerTableFileModule(sqlite3* db, const char* moduleName, TableFileOpener opener);

// The file behind a virtual table of a connection (schema "main", "temp", ...); null when that table is
// not a table file. Valid while the virtual table exists.
TableFile* tableFileOf(sqlite3* db, const QString& schema, const QString& table);

// The text of an SQL string literal written as a module argument: 'a''b' -> a'b. Bare words are kept.
QString unquoteModuleArgument(const char* argument);

// Values coming from SQLite, converted for a field; failures throw AppError naming the field.
namespace fieldvalue {
bool isNull(sqlite3_value* v);
QString text(sqlite3_value* v);
QByteArray blob(sqlite3_value* v);
double number(sqlite3_value* v, const QString& field);
qint64 integer(sqlite3_value* v, const QString& field, qint64 min, qint64 max);
bool logical(sqlite3_value* v, const QString& field);
QDate date(sqlite3_value* v, const QString& field);
QTime time(sqlite3_value* v, const QString& field);
QDateTime timestamp(sqlite3_value* v, const QString& field);

void resultText(sqlite3_context* ctx, const QString& text);
void resultDate(sqlite3_context* ctx, const QDate& date);
void resultTime(sqlite3_context* ctx, const QTime& time);
void resultTimestamp(sqlite3_context* ctx, const QDateTime& stamp);
} // namespace fieldvalue

} // namespace tables
