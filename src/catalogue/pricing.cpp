#include "catalogue/pricing.h"

#include "catalogue/categorytree.h"
#include "shell/error.h"
#include "shell/interaction.h"
#include "shell/tables/dataset.h"

#include <cmath>
#include <limits>

namespace catalogue::pricing {
namespace {

constexpr qint64 kScale = 10000;

[[noreturn]] void notANumber(const QString& text)
{
    throw shell::AppError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
}

[[noreturn]] void overflow()
{
    throw shell::AppError(QStringLiteral("Numeric overflow in the price calculation"));
}

qint64 checked(__int128 v)
{
    if (v > std::numeric_limits<qint64>::max() || v < std::numeric_limits<qint64>::min())
        overflow();
    return qint64(v);
}

// Brings the text into "digits[.digits]" form; the locale's separator, "." and "," all mark decimals
// (the boxes show stored numbers with "." whatever the number format).
QString normalised(const QString& text, const QLocale& locale)
{
    QString t = text.trimmed();
    t.replace(locale.decimalPoint(), QStringLiteral("."));
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    return t;
}

QString withDecimalPoint(QString digits, const QLocale& locale)
{
    return digits.replace(QLatin1Char('.'), locale.decimalPoint());
}

// Whole-number rate of a VAT text; "zw." is exempt (0). False for anything else.
bool rateOf(const QString& vat, int* rate)
{
    const QString t = vat.trimmed();
    if (t == QLatin1String("zw.")) {
        *rate = 0;
        return true;
    }
    bool ok = false;
    const int r = t.toInt(&ok);
    if (!ok || r < 0)
        return false;
    *rate = r;
    return true;
}

// Gross to net in single precision; the listed rates multiply by their reciprocal constant.
float netFromGross(float gross, int rate, bool promotion)
{
    long double reciprocal = 0;
    switch (rate) {
    case 0:
        return gross;
    case 3:
        reciprocal = 0.9708737864077670L;
        break;
    case 5:
        reciprocal = 0.9523809523809523L;
        break;
    case 7:
        reciprocal = 0.9345794392523364L;
        break;
    case 22:
        reciprocal = 0.8196721311475410L;
        break;
    case 12:
        if (promotion) {
            reciprocal = 0.8928571428571428L;
            break;
        }
        [[fallthrough]];
    default:
        return float((long double)gross / (1.0L + (long double)rate / 100.0L));
    }
    return float((long double)gross * reciprocal);
}

QString grossToNetText(const QString& grossText, const QString& vat, const QLocale& locale, bool promotion)
{
    const float gross = parseSingle(grossText, locale);
    int rate = 0;
    if (!rateOf(vat, &rate))
        throw shell::AppError(QStringLiteral("'%1' is not a valid VAT rate").arg(vat));
    return formatTwoDecimals(double(netFromGross(gross, rate, promotion)), locale);
}

} // namespace

Fixed Fixed::fromInt(qint64 whole)
{
    return Fixed(checked(__int128(whole) * kScale));
}

Fixed Fixed::parse(const QString& text, const QLocale& locale)
{
    const QString t = normalised(text, locale);
    int i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')))
        negative = t[i++] == QLatin1Char('-');
    __int128 whole = 0;
    int digits = 0;
    for (; i < t.size() && t[i].isDigit() && t[i].unicode() < 128; ++i, ++digits) {
        whole = whole * 10 + (t[i].unicode() - '0');
        if (whole > std::numeric_limits<qint64>::max())
            overflow();
    }
    __int128 fraction = 0; // in ten-thousandths, rounded
    if (i < t.size() && t[i] == QLatin1Char('.')) {
        ++i;
        int place = 0;
        bool roundUp = false;
        for (; i < t.size() && t[i].isDigit() && t[i].unicode() < 128; ++i, ++digits, ++place) {
            const int d = t[i].unicode() - '0';
            if (place < 4)
                fraction = fraction * 10 + d;
            else if (place == 4)
                roundUp = d >= 5;
        }
        for (; place < 4; ++place)
            fraction *= 10;
        if (roundUp)
            ++fraction;
    }
    if (digits == 0 || i != t.size())
        notANumber(text);
    const __int128 units = whole * kScale + fraction;
    return Fixed(checked(negative ? -units : units));
}

Fixed Fixed::operator+(Fixed other) const
{
    return Fixed(checked(__int128(m_units) + other.m_units));
}

Fixed Fixed::operator*(Fixed other) const
{
    return Fixed(checked(__int128(m_units) * other.m_units / kScale));
}

Fixed Fixed::dividedBy(qint64 k) const
{
    if (k == 0)
        throw shell::AppError(QStringLiteral("Division by zero"));
    return Fixed(checked(__int128(m_units) * kScale / (__int128(k) * kScale)));
}

QString Fixed::shortestText(const QLocale& locale) const
{
    const bool negative = m_units < 0;
    const quint64 abs = negative ? quint64(0) - quint64(m_units) : quint64(m_units);
    QString out = QString::number(abs / kScale);
    QString frac = QStringLiteral("%1").arg(abs % kScale, 4, 10, QLatin1Char('0'));
    while (frac.endsWith(QLatin1Char('0')))
        frac.chop(1);
    if (!frac.isEmpty())
        out += QLatin1Char('.') + frac;
    return withDecimalPoint((negative ? QStringLiteral("-") : QString()) + out, locale);
}

QString Fixed::twoDecimals(const QLocale& locale) const
{
    const bool negative = m_units < 0;
    quint64 abs = negative ? quint64(0) - quint64(m_units) : quint64(m_units);
    const quint64 hundredths = (abs + 50) / 100;
    const QString text =
        QStringLiteral("%1.%2").arg(hundredths / 100).arg(hundredths % 100, 2, 10, QLatin1Char('0'));
    return withDecimalPoint((negative && hundredths != 0 ? QStringLiteral("-") : QString()) + text, locale);
}

float parseSingle(const QString& text, const QLocale& locale)
{
    bool ok = false;
    const double d = QLocale::c().toDouble(normalised(text, locale), &ok);
    if (!ok || !std::isfinite(d))
        notANumber(text);
    if (std::fabs(d) > double(std::numeric_limits<float>::max()))
        overflow();
    return float(d);
}

QString formatTwoDecimals(double value, const QLocale& locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(value, 'f', 2);
}

QString netToGross(const QString& netText, const QString& vatBoxText, const QLocale& locale)
{
    const Fixed n = Fixed::parse(netText, locale);
    // Exempt goods carry no VAT; reading "zw." as a number would make them impossible to price.
    const Fixed v = vatBoxText.trimmed() == QLatin1String("zw.") ? Fixed() : Fixed::parse(vatBoxText, locale);
    const Fixed t = n * v;
    const Fixed u = t.dividedBy(100);
    return (n + u).shortestText(locale);
}

QString grossToNet(const QString& grossText, const QString& vat, const QLocale& locale)
{
    return grossToNetText(grossText, vat, locale, false);
}

QString promotionNetToGross(const QString& netText, const QString& vat, const QLocale& locale)
{
    const Fixed n = Fixed::parse(netText, locale);
    int rate = 0;
    if (!rateOf(vat, &rate))
        return Fixed().twoDecimals(locale);
    const Fixed g = n + Fixed::fromUnits(checked(__int128(n.units()) * rate)).dividedBy(100);
    return g.twoDecimals(locale);
}

QString promotionGrossToNet(const QString& grossText, const QString& vat, const QLocale& locale)
{
    return grossToNetText(grossText, vat, locale, true);
}

QString emptyBoxMessage(Conversion c)
{
    switch (c) {
    case Conversion::NetToGross:
        return QStringLiteral("Please enter net value");
    case Conversion::GrossToNet:
        return QStringLiteral("W polu Cena Brutto wpisz cenę");
    case Conversion::PromotionNetToGross:
        return QStringLiteral("W polu Cena Promocyjna Netto wpisz cenę");
    case Conversion::PromotionGrossToNet:
        return QStringLiteral("W polu Cena Promocyjna Brutto wpisz cenę");
    }
    return {};
}

QString sourceColumn(Conversion c)
{
    switch (c) {
    case Conversion::NetToGross:
        return products::kNetPrice;
    case Conversion::GrossToNet:
        return products::kGrossPrice;
    case Conversion::PromotionNetToGross:
        return products::kPromoNet;
    case Conversion::PromotionGrossToNet:
        return products::kPromoGross;
    }
    return {};
}

QString targetColumn(Conversion c)
{
    switch (c) {
    case Conversion::NetToGross:
        return products::kGrossPrice;
    case Conversion::GrossToNet:
        return products::kNetPrice;
    case Conversion::PromotionNetToGross:
        return products::kPromoGross;
    case Conversion::PromotionGrossToNet:
        return products::kPromoNet;
    }
    return {};
}

bool applyConversion(tables::DataSet& products, Conversion c, const QString& boxText,
                     const QString& vatBoxText, const QLocale& locale, shell::Interaction& ui)
{
    if (boxText.isEmpty()) {
        ui.message(emptyBoxMessage(c));
        return false;
    }
    try {
        QString result;
        const QString vat = products.text(products::kVat);
        switch (c) {
        case Conversion::NetToGross:
            result = netToGross(boxText, vatBoxText, locale);
            break;
        case Conversion::GrossToNet:
            result = grossToNet(boxText, vat, locale);
            break;
        case Conversion::PromotionNetToGross:
            result = promotionNetToGross(boxText, vat, locale);
            break;
        case Conversion::PromotionGrossToNet:
            result = promotionGrossToNet(boxText, vat, locale);
            break;
        }
        const double typed = QLocale::c().toDouble(normalised(boxText, locale));
        const double computed = QLocale::c().toDouble(normalised(result, locale));
        products.setValue(sourceColumn(c), typed);
        products.setValue(targetColumn(c), computed);
        products.post();
        return true;
    } catch (const std::exception& e) {
        ui.error(shell::messageOf(e));
        return false;
    }
}

} // namespace catalogue::pricing
