#pragma once

#include "shell/settings.h"

#include <QByteArray>
#include <QString>

// Text helpers of the modern shop: its pages escape every value they take from the catalogue or the
// settings, so a hostile product name can neither break a page nor run a script in it.
namespace generator::modern {

// Text for an element's content or a double-quoted attribute.
QString escaped(const QString& text);

// A page put together as UTF-8 in one growing buffer, piece by piece: thousands of pages are built
// without a temporary string per piece. The bytes are those of the same text converted at once with
// QString::toUtf8 (a lone surrogate gives "?"), so a text must not be cut inside a surrogate pair.
class Html {
public:
    explicit Html(qsizetype capacity = 0) { m_bytes.reserve(capacity); }

    // ASCII or UTF-8 as it stands in the source.
    template <size_t N> Html& operator<<(const char (&literal)[N])
    {
        m_bytes.append(literal, qsizetype(N - 1));
        return *this;
    }
    Html& raw(QByteArrayView bytes)
    {
        m_bytes.append(bytes);
        return *this;
    }
    Html& text(QStringView text);    // as it is
    Html& escaped(QStringView text); // as modern::escaped gives it
    // The inside of a JSON string as QJsonDocument writes it; inScript also escapes "<", ">" and "&" as
    // scriptSafeJson does.
    Html& jsonText(QStringView text, bool inScript = true);
    Html& number(qint64 value);

    const QByteArray& bytes() const { return m_bytes; }
    QByteArray take() { return std::move(m_bytes); }

private:
    QByteArray m_bytes;
};

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
