#pragma once

#include <QLocale>
#include <QString>

namespace shell {
class Interaction;
}

namespace tables {
class DataSet;
}

namespace catalogue::pricing {

// Money as a signed 64-bit count of ten-thousandths. Parsing rounds to four decimals; multiplication
// and division truncate toward zero, as the price rules require.
class Fixed {
public:
    constexpr Fixed() = default;
    static constexpr Fixed fromUnits(qint64 units) { return Fixed(units); }
    static Fixed fromInt(qint64 whole);
    // Text in the given number format (its decimal separator, or "." / ","); throws AppError otherwise.
    static Fixed parse(const QString& text, const QLocale& locale);

    qint64 units() const { return m_units; }
    double toDouble() const { return double(m_units) / 10000.0; }

    Fixed operator+(Fixed other) const;
    Fixed operator*(Fixed other) const; // (a × b) ÷ 10000
    Fixed dividedBy(qint64 k) const;    // (a × 10000) ÷ (k × 10000)
    bool operator==(const Fixed&) const = default;

    // Shortest decimal text: no trailing zeros, up to four decimals.
    QString shortestText(const QLocale& locale) const;
    // Two decimals, rounded half away from zero (the pattern "0.00").
    QString twoDecimals(const QLocale& locale) const;

private:
    constexpr explicit Fixed(qint64 units) : m_units(units) {}
    qint64 m_units = 0;
};

// Single-precision number from a box, as the gross-to-net conversions read it; throws AppError.
float parseSingle(const QString& text, const QLocale& locale);
// Pattern "0.00" for a single-precision value.
QString formatTwoDecimals(double value, const QLocale& locale);

// The four Enter-key conversions on texts. Each returns the text that goes into the target column.
// "zw." (exempt) counts as 0 %. Rates outside the listed ones use the same formula as the listed ones.
QString netToGross(const QString& netText, const QString& vatBoxText, const QLocale& locale);
QString grossToNet(const QString& grossText, const QString& vat, const QLocale& locale);
QString promotionNetToGross(const QString& netText, const QString& vat, const QLocale& locale);
QString promotionGrossToNet(const QString& grossText, const QString& vat, const QLocale& locale);

enum class Conversion { NetToGross, GrossToNet, PromotionNetToGross, PromotionGrossToNet };

// Message when the box is empty.
QString emptyBoxMessage(Conversion c);
QString sourceColumn(Conversion c);
QString targetColumn(Conversion c);

// Enter in a price box: checks, converts, sets both the typed and the computed column and stores the
// record. vatBoxText is what the VAT box shows (used by net to gross); the others use the record's VAT.
// Returns false (after telling the user) when nothing was stored.
bool applyConversion(tables::DataSet& products, Conversion c, const QString& boxText,
                     const QString& vatBoxText, const QLocale& locale, shell::Interaction& ui);

} // namespace catalogue::pricing
