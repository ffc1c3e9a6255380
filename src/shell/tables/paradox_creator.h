#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

namespace tables {

// A field of a new Paradox table: its type code (paradox::FieldTypeCode) and the bytes it takes in the
// record (alpha: its length, 1..255; memo and blob: leader + 10-byte pointer).
struct ParadoxNewField {
    QString name;
    int type = 0;
    int size = 0;
};

// Writes an empty, unkeyed Paradox 7 table (file version 12) and, when a field needs one, its blob file
// (.mb). codePage: an iconv name whose Windows or DOS number the header records (CP1250, CP852, CP1252...);
// the sort order is "ANSIINTL" for CP1252 and "ascii" otherwise. Data blocks are 2 KB unless a record
// needs more. Throws AppError when a file exists already or cannot be written; nothing is left then.
void createParadoxTable(const QString& path, const QVector<ParadoxNewField>& fields,
                        const QByteArray& codePage);

// The number a Paradox header or a dBASE driver gives a code page (1250 for CP1250); 0 when it has none.
int windowsCodePageNumber(const QByteArray& iconvName);

} // namespace tables
