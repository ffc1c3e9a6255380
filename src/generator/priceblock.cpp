#include "generator/priceblock.h"

#include "generator/productrecord.h"

#include <cmath>

namespace generator {

namespace {

const QString kNormal = QStringLiteral("Normal");
const QString kNew = QStringLiteral("New");
const QString kPromotion = QStringLiteral("Promotion");
const QString kSale = QStringLiteral("Sale");

// A value that rounds to zero is written without a minus sign.
double withoutNegativeZero(double value)
{
    return std::fabs(value) < 0.005 ? 0.0 : value;
}

} // namespace

QString priceText(double value, const QLocale& locale)
{
    value = withoutNegativeZero(value);
    // Most locales write a price as the C locale does but for the decimal point; that is much cheaper
    // than the locale's own formatting, and a shop writes tens of thousands of prices. What a locale
    // writes is learnt once per thread.
    struct Learnt {
        QLocale locale = QLocale::c();
        bool plain = true;
        QChar point = QLatin1Char('.');
    };
    thread_local Learnt learnt;
    if (!(learnt.locale == locale)) {
        learnt.locale = locale;
        learnt.plain = locale.zeroDigit() == QLatin1String("0") && locale.negativeSign() == QLatin1String("-")
                       && locale.decimalPoint().size() == 1;
        learnt.point = learnt.plain ? locale.decimalPoint().at(0) : QLatin1Char('.');
    }
    if (learnt.plain && std::isfinite(value)) {
        QString text = QString::number(value, 'f', 2);
        if (learnt.point != QLatin1Char('.'))
            text[text.size() - 3] = learnt.point;
        return text;
    }
    QLocale format = locale;
    format.setNumberOptions(format.numberOptions() | QLocale::OmitGroupSeparator);
    return format.toString(value, 'f', 2);
}

QString cartPriceText(double value)
{
    return QString::number(withoutNegativeZero(value), 'f', 2);
}

bool sellsAtRegularPrice(const QString& status)
{
    return status.isEmpty() || status == kNormal || status == kNew;
}

double effectivePrice(const ProductRecord& product, bool net)
{
    if (sellsAtRegularPrice(product.status))
        return net ? product.netPrice : product.grossPrice;
    return net ? product.promotionNetPrice : product.promotionGrossPrice;
}

QString priceBlock(const ProductRecord& product, bool net, const QString& currency, const QLocale& locale,
                   PriceBlockForm form)
{
    const bool regular = sellsAtRegularPrice(product.status);
    QString block;
    if (!regular)
        block += QStringLiteral("<DEL>");
    const bool tileGross = form == PriceBlockForm::Tile && !net;
    block += tileGross ? QStringLiteral("<p>Price: ") : QStringLiteral("<b><p>Price: ");
    block += priceText(net ? product.netPrice : product.grossPrice, locale) + QLatin1Char(' ') + currency
             + QStringLiteral("</b>");
    if (product.status == kNew)
        block += QStringLiteral("&nbsp;&nbsp;<IMG SRC=\"img/new.gif\">");
    if (!regular) {
        block += QStringLiteral("</DEL><b><p>Price: ")
                 + priceText(net ? product.promotionNetPrice : product.promotionGrossPrice, locale)
                 + QLatin1Char(' ') + currency + QStringLiteral("</b>");
        if (product.status == kPromotion)
            block += QStringLiteral("&nbsp;&nbsp;<IMG SRC=\"img/promocja.gif\">");
        else if (product.status == kSale)
            block += QStringLiteral("&nbsp;&nbsp;<IMG SRC=\"img/sale.gif\">");
    }
    return block;
}

} // namespace generator
