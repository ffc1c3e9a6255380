#pragma once

#include "shell/settings.h"

#include <QString>

// Text helpers of the modern shop: its pages escape every value they take from the catalogue or the
// settings, so a hostile product name can neither break a page nor run a script in it.
namespace generator::modern {

// Text for an element's content or a double-quoted attribute.
QString escaped(const QString& text);

// Merchant-written HTML (memo texts, descriptions) reduced to a few harmless tags (b, strong, i, em, u,
// br, p, h2, h3, ul, ol, li, and a with an http(s), mailto or relative href); everything else is shown
// as text, unknown tags are dropped and every opened tag is closed.
QString safeHtml(const QString& merchantHtml);

// The text a reader sees: tags removed, character references decoded, white space collapsed.
QString plainText(const QString& merchantHtml);

// A meta description: the plain text cut at a word to at most 160 characters (with "…" when cut).
QString metaDescription(const QString& merchantHtml);

// Lower case without Polish (or other) diacritics, for matching "zolw" with "Żółw".
QString folded(const QString& text);

// JSON inside <script>: no "<", ">" or "&" is left to end the element early or start a comment.
QString scriptSafeJson(const QByteArray& json);

// Money kept as integer grosze/cents.
qint64 toMinorUnits(double amount);
// "1234,50" with the decimal separator of the language ("pl" gives a comma, "en" a point).
QString moneyText(qint64 minorUnits, const QString& language);
// "123.45" for schema.org and the price list script.
QString machineMoney(qint64 minorUnits);

// A colour made dark (or light) enough to be read on the background: contrast at least minimum.
shell::ColorValue readableOn(shell::ColorValue foreground, shell::ColorValue background,
                             double minimum = 4.5);
double contrastRatio(shell::ColorValue a, shell::ColorValue b);

} // namespace generator::modern
