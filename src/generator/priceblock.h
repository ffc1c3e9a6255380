#pragma once

#include <QLocale>
#include <QString>

namespace generator {

struct ProductRecord;

// "0.00" in the given number format, without a thousands separator (1234,50 with a decimal comma).
QString priceText(double value, const QLocale& locale);
// The same value as a number literal for the cart script (1234.50).
QString cartPriceText(double value);

// "Normal" and "New" sell at the regular price; any other status at the promotion price. Records added
// by the Importer may carry no status at all, which means "Normal".
bool sellsAtRegularPrice(const QString& status);

// The price the cart receives: regular or promotion, net or gross.
double effectivePrice(const ProductRecord& product, bool net);

enum class PriceBlockForm { DetailPage, Tile };

// The price block of a product page or tile: the regular price (struck through when a promotion price
// applies), the status icon and the promotion price, with the currency after each price.
QString priceBlock(const ProductRecord& product, bool net, const QString& currency, const QLocale& locale,
                   PriceBlockForm form);

} // namespace generator
