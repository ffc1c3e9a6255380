#include "shell/tables/dbase_values.h"

#include <QtEndian>

#include <cmath>
#include <cstring>

namespace tables::dbase {

namespace {

constexpr qint64 msPerDay = 86400000;

QByteArray trimmed(const char* data, int length)
{
    int start = 0;
    while (start < length && (data[start] == ' ' || data[start] == '\0'))
        ++start;
    while (length > start && (data[length - 1] == ' ' || data[length - 1] == '\0'))
        --length;
    return QByteArray(data + start, length - start);
}

QDateTime fromJulianMs(qint64 day, qint64 ms)
{
    if (day <= 0 || ms < 0 || ms >= msPerDay)
        return {};
    const QDate date = QDate::fromJulianDay(day);
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return {};
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)), Qt::UTC);
}

quint64 sortableBits(double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, 8);
    // Positive numbers get the sign bit set, negative ones are inverted, so the bytes sort as numbers.
    return (bits & 0x8000000000000000ULL) ? ~bits : bits | 0x8000000000000000ULL;
}

double fromSortableBits(quint64 bits)
{
    bits = (bits & 0x8000000000000000ULL) ? bits & ~0x8000000000000000ULL : ~bits;
    double value;
    std::memcpy(&value, &bits, 8);
    return value;
}

} // namespace

std::optional<double> parseNumber(const char* data, int length)
{
    QByteArray t = trimmed(data, length);
    if (t.isEmpty() || t.startsWith('*')) // stars: a value that overflowed the width
        return std::nullopt;
    t.replace(',', '.');
    bool ok = false;
    const double d = t.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

std::optional<qint64> parseInteger(const char* data, int length)
{
    const QByteArray t = trimmed(data, length);
    bool ok = false;
    const qint64 v = t.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return v;
}

NumberFit formatNumber(double value, int length, int decimals, QByteArray& out)
{
    out.clear();
    if (!std::isfinite(value))
        return NumberFit::TooWide;
    QByteArray text;
    for (int d = qMin(decimals, qMax(0, length - 2)); d >= 0; --d) {
        text = QByteArray::number(value, 'f', d);
        if (text.size() <= length)
            break;
    }
    if (text.size() > length)
        return NumberFit::TooWide;
    out = QByteArray(length - text.size(), ' ') + text;
    // What a double holds beyond 15 significant digits is noise, not data.
    const double back = text.toDouble();
    return std::fabs(back - value) <= std::fabs(value) * 1e-14 ? NumberFit::Exact : NumberFit::Rounded;
}

NumberFit formatInteger(qint64 value, int length, QByteArray& out)
{
    const QByteArray text = QByteArray::number(value);
    if (text.size() > length) {
        out.clear();
        return NumberFit::TooWide;
    }
    out = QByteArray(length - text.size(), ' ') + text;
    return NumberFit::Exact;
}

QDate parseDate(const char* data)
{
    int digits[8];
    for (int i = 0; i < 8; ++i) {
        if (data[i] < '0' || data[i] > '9')
            return {};
        digits[i] = data[i] - '0';
    }
    const int y = digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3];
    const int m = digits[4] * 10 + digits[5];
    const int d = digits[6] * 10 + digits[7];
    return QDate(y, m, d);
}

QByteArray formatDate(const QDate& date)
{
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return {};
    char text[8];
    int y, m, d;
    date.getDate(&y, &m, &d);
    for (int i = 3; i >= 0; --i, y /= 10)
        text[i] = static_cast<char>('0' + y % 10);
    text[4] = static_cast<char>('0' + m / 10);
    text[5] = static_cast<char>('0' + m % 10);
    text[6] = static_cast<char>('0' + d / 10);
    text[7] = static_cast<char>('0' + d % 10);
    return QByteArray(text, 8);
}

std::optional<bool> parseLogical(char c)
{
    switch (c) {
    case 'T':
    case 't':
    case 'Y':
    case 'y':
        return true;
    case 'F':
    case 'f':
    case 'N':
    case 'n':
        return false;
    default:
        return std::nullopt;
    }
}

std::optional<quint32> parseMemoBlock(const char* data, int length)
{
    if (length == 4)
        return qFromLittleEndian<quint32>(data);
    const QByteArray t = trimmed(data, length);
    if (t.isEmpty())
        return 0;
    bool ok = false;
    const quint32 block = t.toUInt(&ok);
    if (!ok)
        return std::nullopt;
    return block;
}

bool formatMemoBlock(quint32 block, int length, char* out)
{
    if (length == 4) {
        qToLittleEndian<quint32>(block, out);
        return true;
    }
    if (block == 0) {
        std::memset(out, ' ', length);
        return true;
    }
    const QByteArray text = QByteArray::number(block);
    if (text.size() > length)
        return false;
    std::memset(out, ' ', length);
    std::memcpy(out + length - text.size(), text.constData(), text.size());
    return true;
}

QDateTime readFoxDateTime(const uchar* data)
{
    return fromJulianMs(qFromLittleEndian<qint32>(data), qFromLittleEndian<qint32>(data + 4));
}

void writeFoxDateTime(const QDateTime& stamp, uchar* out)
{
    if (!stamp.isValid()) {
        std::memset(out, 0, 8);
        return;
    }
    qToLittleEndian<qint32>(static_cast<qint32>(stamp.date().toJulianDay()), out);
    qToLittleEndian<qint32>(stamp.time().msecsSinceStartOfDay(), out + 4);
}

double readFoxCurrency(const uchar* data)
{
    return static_cast<double>(qFromLittleEndian<qint64>(data)) / 10000.0;
}

bool writeFoxCurrency(double amount, uchar* out)
{
    if (!std::isfinite(amount) || std::fabs(amount) > 9.0e14)
        return false;
    qToLittleEndian<qint64>(static_cast<qint64>(std::llround(amount * 10000.0)), out);
    return true;
}

qint32 readDbase7Long(const uchar* data)
{
    return static_cast<qint32>(qFromBigEndian<quint32>(data) ^ 0x80000000U);
}

void writeDbase7Long(qint32 value, uchar* out)
{
    qToBigEndian<quint32>(static_cast<quint32>(value) ^ 0x80000000U, out);
}

double readDbase7Double(const uchar* data)
{
    return fromSortableBits(qFromBigEndian<quint64>(data));
}

void writeDbase7Double(double value, uchar* out)
{
    qToBigEndian<quint64>(sortableBits(value), out);
}

QDateTime readDbase7Timestamp(const uchar* data)
{
    const double ms = readDbase7Double(data);
    if (!std::isfinite(ms) || ms <= 0 || ms > 1e17)
        return {};
    const auto whole = static_cast<qint64>(std::llround(ms));
    return fromJulianMs(whole / msPerDay, whole % msPerDay);
}

void writeDbase7Timestamp(const QDateTime& stamp, uchar* out)
{
    if (!stamp.isValid()) {
        std::memset(out, 0, 8);
        return;
    }
    const qint64 ms = stamp.date().toJulianDay() * msPerDay + stamp.time().msecsSinceStartOfDay();
    writeDbase7Double(static_cast<double>(ms), out);
}

} // namespace tables::dbase
