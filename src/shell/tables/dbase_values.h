#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>

#include <optional>

// The value codecs of dBASE fields: bytes of a field to a value and back. Pure functions, no files.
namespace tables::dbase {

// N and F fields: digits right-aligned in the field's width.
std::optional<double> parseNumber(const char* data, int length);
std::optional<qint64> parseInteger(const char* data, int length);

enum class NumberFit {
    Exact,   // stored as given
    Rounded, // stored with fewer decimals than the value has
    TooWide, // the whole part does not fit
};
// Formats value right-aligned into length bytes with at most decimals decimals (fewer when the whole
// part needs the room). The result says whether digits were lost; out holds the text when it fits.
NumberFit formatNumber(double value, int length, int decimals, QByteArray& out);
NumberFit formatInteger(qint64 value, int length, QByteArray& out);

// D fields: yyyyMMdd; blank or zeros are no date. Invalid stays invalid (the caller shows the bytes).
QDate parseDate(const char* data);
QByteArray formatDate(const QDate& date); // empty when the year is outside 1..9999

// L fields: T/t/Y/y true, F/f/N/n false, anything else unknown.
std::optional<bool> parseLogical(char c);

// Block numbers of memo fields: text of 10 bytes or a little-endian 32-bit number of 4 bytes.
std::optional<quint32> parseMemoBlock(const char* data, int length);
bool formatMemoBlock(quint32 block, int length, char* out);

// Visual FoxPro binary fields.
QDateTime readFoxDateTime(const uchar* data);
void writeFoxDateTime(const QDateTime& stamp, uchar* out); // invalid: zeros
double readFoxCurrency(const uchar* data);
bool writeFoxCurrency(double amount, uchar* out); // false when it does not fit 64 bits

// dBASE 7 binary fields: big-endian, arranged so that the bytes sort as the values do.
qint32 readDbase7Long(const uchar* data);
void writeDbase7Long(qint32 value, uchar* out);
double readDbase7Double(const uchar* data);
void writeDbase7Double(double value, uchar* out);
QDateTime readDbase7Timestamp(const uchar* data); // invalid when empty
void writeDbase7Timestamp(const QDateTime& stamp, uchar* out);

} // namespace tables::dbase
