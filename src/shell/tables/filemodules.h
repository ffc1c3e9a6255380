#pragma once

#include <QByteArray>
#include <QString>

struct sqlite3;

// dBASE and Paradox files as SQLite virtual tables:
//   CREATE VIRTUAL TABLE temp.x USING dbase('/path/file.dbf')
//   CREATE VIRTUAL TABLE temp.x USING paradox('/path/file.db')
// The argument is an SQL string literal (apostrophes doubled). Columns are declared with the engine's
// declared types (see fieldtype.h); a column that cannot be changed is declared with the extra word
// READONLY after its type. The rowid is the record's position in the file.
namespace tables {

void registerFileModules(sqlite3* db);
void registerDbaseModule(sqlite3* db);
void registerParadoxModule(sqlite3* db);

// Why a Paradox file cannot be changed, as a sentence; empty when it can.
QString paradoxReadOnlyReason(const QString& path);

// True when the first bytes of a file look like a Paradox table header.
bool looksLikeParadox(const QByteArray& head, qint64 fileSize);

} // namespace tables
