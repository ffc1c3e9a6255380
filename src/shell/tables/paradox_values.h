#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QTime>

#include <optional>

// The encodings of Paradox field values. Numbers are stored so that they sort as bytes: integers
// big-endian with the sign bit flipped, doubles with the sign bit set when positive and every bit inverted
// when negative. An empty field is all zeros whatever its type.
namespace tables::paradox {

qint64 decodeInteger(const uchar* raw, int size); // size 2 or 4
void encodeInteger(uchar* raw, int size, qint64 value);

double decodeDouble(const uchar* raw);
void encodeDouble(uchar* raw, double value);

// BCD: a byte with the sign and the decimals, then 32 digits as nibbles. nullopt for an empty or invalid
// field.
constexpr int bcdSize = 17;
std::optional<double> decodeBcd(const uchar* raw);
// False when the value has more than 32 digits at the field's decimals.
bool encodeBcd(uchar* raw, int decimals, double value);

// Dates are days since 0000-12-31 (day 1 is 0001-01-01); invalid outside 0001-01-01..9999-12-31.
QDate dateOfDay(qint64 day);
qint64 dayOfDate(const QDate& date);
// Times are milliseconds since midnight; timestamps milliseconds since day 0 as a double.
QTime timeOfMilliseconds(qint64 ms);
QDateTime timestampOfValue(double value);
double valueOfTimestamp(const QDateTime& stamp);

bool allZero(const char* data, int size);

} // namespace tables::paradox
