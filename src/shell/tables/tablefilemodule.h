#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <QVector>

#include "shell/tables/fieldtype.h"

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
    virtual ~TableFile() = default;

    // The file's path as shown in messages.
    virtual QString displayPath() const = 0;

    virtual QVector<FileColumn> columns() const = 0;
    // Rows are 1..rowLimit(); some of them may be deleted.
    virtual qint64 rowLimit() const = 0;
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
};

using TableFileOpener = std::unique_ptr<TableFile> (*)(const QString& path, const QStringList& options);

// The declared type of a column of a field, with READONLY where the field cannot change. The word goes
// before a size in brackets, where SQLite's grammar allows it.
QString declaredColumnType(const Field& field, bool readOnly);

// Registers a virtual table module whose argument is the file path as an SQL string literal, optionally
// followed by further literals handed to the opener (a code page name).
void registerTableFileModule(sqlite3* db, const char* moduleName, TableFileOpener opener);

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
