#pragma once

#include "shell/tables/fieldtype.h"

#include <QByteArray>
#include <QString>
#include <QVector>

namespace tables::dbase {

// The families of the format, which differ in header layout and binary types.
enum class Dialect {
    Dbase2,       // 0x02: 16-byte field descriptors, 521-byte header
    Dbase3,       // 0x03, 0x83 and the FoxBASE/FoxPro 2 bytes (0xF5, 0xFB)
    Dbase4,       // 0x43, 0x63, 0x8B, 0xCB, 0x05: dBASE IV/5
    Dbase7,       // 0x04, 0x8C: 48-byte descriptors, long names, big-endian binary numbers
    VisualFoxPro, // 0x30, 0x31, 0x32: field offsets, flags, _NullFlags, 263-byte backlink
};

// How a field's bytes hold its value.
enum class Storage {
    Text,         // C
    Numeric,      // N, F: digits as text
    Date,         // D: yyyyMMdd
    Logical,      // L
    Memo,         // M: block number of text in the memo file
    BinaryMemo,   // B (dBASE), G, P, W: block number of bytes in the memo file
    VarChar,      // V (Visual FoxPro): text, length in the last byte when shorter
    VarBinary,    // Q (Visual FoxPro): bytes, likewise
    FoxInteger,   // I (Visual FoxPro): little-endian 32 bits
    FoxCurrency,  // Y: little-endian 64 bits, ten-thousandths
    FoxDateTime,  // T: little-endian Julian day and milliseconds
    FoxDouble,    // B (Visual FoxPro): little-endian IEEE double
    Dbase7Long,   // I, + (dBASE 7): big-endian 32 bits with the sign bit flipped
    Dbase7Double, // O (dBASE 7): big-endian double arranged to sort as bytes
    Dbase7Stamp,  // @ (dBASE 7): milliseconds since the Julian day origin, stored as O
    Raw,          // anything else: bytes shown as they are, never written
};

struct FieldLayout {
    QByteArray rawName; // in the table's code page
    char type = 'C';
    int offset = 0; // within the record, after the deletion mark
    int length = 0;
    int decimals = 0;
    int descriptor = 0; // offset of the field's descriptor in the header
    Storage storage = Storage::Text;
    FieldType engineType = FieldType::Alpha;
    int nullBit = -1;      // bit in _NullFlags set when the value is NULL
    int varLengthBit = -1; // bit in _NullFlags set when a V/Q value is shorter than the field
    bool autoIncrement = false;
    quint32 nextValue = 0; // of an auto-increment field
    int step = 1;
};

struct Header {
    int version = 0;
    Dialect dialect = Dialect::Dbase3;
    qint64 records = 0; // as the header states it
    int headerLength = 0;
    int recordLength = 0;
    int languageDriver = 0;
    QVector<FieldLayout> fields; // without _NullFlags
    int nullFlagsOffset = -1;    // within the record
    int nullFlagsLength = 0;
    bool needsMemo = false;
    bool terminated = true; // false when the field list had no end mark
    bool foxPro = false;    // memo file .fpt
};

// Record count and last-update date, as a write has to put them back.
namespace offsets {
constexpr int version = 0;
constexpr int updateYear = 1; // year - 1900, month, day
constexpr int recordCount = 4;
constexpr int headerLength = 8;
constexpr int recordLength = 10;
constexpr int languageDriver = 29;
constexpr int dbase7DriverName = 32; // 32 bytes; the descriptors start at 68
constexpr int dbase2RecordCount = 1; // 16 bits
constexpr int dbase2UpdateDate = 3;  // month, day, year - 1900
constexpr int dbase2RecordLength = 6;
constexpr int dbase2Fields = 8;
constexpr int dbase2HeaderLength = 521;
constexpr int foxBacklinkLength = 263;
} // namespace offsets

// Reads the header from the first bytes of a file (at least the stated header length, when the file
// has that much). Throws AppError naming path when it is not a dBASE header or is damaged.
Header parseHeader(const QByteArray& head, qint64 fileSize, const QString& path);

// The number of bytes parseHeader needs to see; head holds at least the first 32 bytes.
int headerBytesNeeded(const QByteArray& head);

} // namespace tables::dbase
