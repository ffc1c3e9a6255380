#include "shell/tables/paradox_values.h"

#include <QtEndian>

#include <cmath>
#include <cstring>

namespace tables::paradox {

namespace {

constexpr qint64 julianDayOfDayZero = 1721425; // day 1 of a Paradox date is 0001-01-01
constexpr qint64 lastDay = 3652059;            // 9999-12-31
constexpr int bcdDigits = 32;
constexpr qint64 msPerDay = 86400000;

} // namespace

qint64 decodeInteger(const uchar* raw, int size)
{
    if (size == 2)
        return static_cast<qint16>(qFromBigEndian<quint16>(raw) ^ 0x8000u);
    return static_cast<qint32>(qFromBigEndian<quint32>(raw) ^ 0x80000000u);
}

void encodeInteger(uchar* raw, int size, qint64 value)
{
    if (size == 2)
        qToBigEndian<quint16>(static_cast<quint16>(static_cast<quint16>(value) ^ 0x8000u), raw);
    else
        qToBigEndian<quint32>(static_cast<quint32>(value) ^ 0x80000000u, raw);
}

double decodeDouble(const uchar* raw)
{
    quint64 bits = qFromBigEndian<quint64>(raw);
    if (bits & 0x8000000000000000ULL)
        bits &= ~0x8000000000000000ULL;
    else
        bits = ~bits;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

void encodeDouble(uchar* raw, double value)
{
    if (value == 0)
        value = 0; // no negative zero
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    if (bits & 0x8000000000000000ULL)
        bits = ~bits;
    else
        bits |= 0x8000000000000000ULL;
    qToBigEndian<quint64>(bits, raw);
}

// The first byte holds the sign (0x80 positive, 0x40 negative, neither when empty) and the decimals; a
// negative number has every digit complemented.
std::optional<double> decodeBcd(const uchar* raw)
{
    if ((raw[0] & 0xC0) == 0)
        return std::nullopt;
    const bool negative = !(raw[0] & 0x80);
    const int decimals = qMin(raw[0] & 0x3F, bcdDigits);
    QByteArray text;
    text.reserve(bcdDigits + 2);
    if (negative)
        text += '-';
    for (int i = 0; i < bcdDigits; ++i) {
        int digit = (raw[1 + i / 2] >> (i % 2 ? 0 : 4)) & 0xF;
        if (negative)
            digit = 0xF - digit;
        if (digit > 9)
            return std::nullopt;
        if (i == bcdDigits - decimals)
            text += '.';
        text += static_cast<char>('0' + digit);
    }
    bool ok = false;
    const double d = text.toDouble(&ok);
    return ok ? std::optional<double>(d) : std::nullopt;
}

bool encodeBcd(uchar* raw, int decimals, double value)
{
    decimals = qMin(decimals, bcdDigits);
    if (!std::isfinite(value))
        return false;
    const bool negative = value < 0;
    QByteArray digits = QByteArray::number(std::fabs(value), 'f', decimals).replace('.', "");
    if (digits.size() > bcdDigits)
        return false;
    digits = QByteArray(bcdDigits - digits.size(), '0') + digits;
    std::memset(raw, 0, bcdSize);
    raw[0] = static_cast<uchar>((negative ? 0x40 : 0xC0) | decimals);
    for (int i = 0; i < bcdDigits; ++i) {
        int digit = digits.at(i) - '0';
        if (negative)
            digit = 0xF - digit;
        raw[1 + i / 2] |= static_cast<uchar>(digit << (i % 2 ? 0 : 4));
    }
    return true;
}

QDate dateOfDay(qint64 day)
{
    if (day < 1 || day > lastDay)
        return {};
    return QDate::fromJulianDay(day + julianDayOfDayZero);
}

qint64 dayOfDate(const QDate& date)
{
    return date.toJulianDay() - julianDayOfDayZero;
}

QTime timeOfMilliseconds(qint64 ms)
{
    return ms >= 0 && ms < msPerDay ? QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)) : QTime();
}

QDateTime timestampOfValue(double value)
{
    if (!std::isfinite(value) || value < 0 || value > 4.0e14)
        return {};
    const auto total = static_cast<qint64>(std::llround(value));
    const QDate date = dateOfDay(total / msPerDay);
    if (!date.isValid())
        return {};
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(total % msPerDay)), Qt::UTC);
}

double valueOfTimestamp(const QDateTime& stamp)
{
    return static_cast<double>(dayOfDate(stamp.date()) * msPerDay + stamp.time().msecsSinceStartOfDay());
}

bool allZero(const char* data, int size)
{
    for (int i = 0; i < size; ++i)
        if (data[i] != 0)
            return false;
    return true;
}

} // namespace tables::paradox
