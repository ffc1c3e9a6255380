#pragma once

#include <QString>

class QVariant;

namespace tables {

// The engine's field types. Every table file (SQLite, dBASE, Paradox) is seen through these.
//
// Mapping to SQLite declared types, chosen so that a definition survives a round trip and the
// column affinity keeps values as typed (an alpha "007" stays text):
//   Alpha(n)      CHAR(n)            Memo          MEMO TEXT        FormattedMemo  FMTMEMO TEXT
//   Number        DOUBLE             Money         MONEY REAL       Bcd            BCD REAL
//   Integer       INTEGER            SmallInt      SMALLINT         AutoInc        INTEGER PRIMARY KEY
//   AUTOINCREMENT
//                                                                                  (AUTOINC INTEGER in
//                                                                                  virtual tables)
//   Logical       BOOLEAN            Date          DATE             Time           TIME
//   Timestamp     TIMESTAMP          Binary        BLOB             Graphic        GRAPHIC BLOB
//   Bytes(n)      BYTES BLOB(n)
// Values: alpha and memo as text; numbers as REAL; integers as INTEGER; logical as 0/1; date as
// "yyyy-MM-dd", time as "HH:mm:ss", timestamp as "yyyy-MM-dd HH:mm:ss" text; binary as BLOB.
// Declared types of foreign SQLite files are mapped by SQLite's affinity rules.
enum class FieldType {
    Alpha,
    Memo,
    FormattedMemo,
    Number,
    Money,
    Bcd,
    Integer,
    SmallInt,
    AutoInc,
    Logical,
    Date,
    Time,
    Timestamp,
    Binary,
    Graphic,
    Bytes,
};

struct Field {
    QString name;
    FieldType type = FieldType::Alpha;
    int size = 0;           // characters of an alpha field, bytes of a bytes field; 0 otherwise
    bool modifiable = true; // false for auto-increment fields and read-only files
};

// One letter per type, as the table tools show it (A, M, F, N, $, #, I, S, +, L, D, T, @, B, G, Y).
QChar typeCode(FieldType t);
QString typeName(FieldType t);
// The declared type written into CREATE TABLE for a field.
QString declaredType(const Field& f, bool virtualTable = false);
// Inverse of declaredType; unknown declared types follow SQLite's affinity rules.
Field fieldFromDeclared(const QString& name, const QString& declared);

bool isTextType(FieldType t);   // alpha and memos
bool isNumberType(FieldType t); // floating and integer numbers
bool isIntegerType(FieldType t);

// Text form of a value as the table tools show and take it.
QString valueToText(const QVariant& v, FieldType t);
// Throws AppError naming the field when the text is not a value of the field's type; empty text is null.
QVariant textToValue(const QString& text, const Field& f);

} // namespace tables
