#pragma once

#include "shell/settings.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cstring>

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
    explicit Html(qsizetype capacity = 0) { grow(std::max<qsizetype>(capacity, 256)); }
    Html(const Html&) = delete;
    Html& operator=(const Html&) = delete;

    // ASCII or UTF-8 as it stands in the source.
    template <size_t N> Html& operator<<(const char (&literal)[N]) { return put(literal, qsizetype(N - 1)); }
    Html& raw(QByteArrayView bytes) { return put(bytes.data(), bytes.size()); }
    Html& text(QStringView text);    // as it is
    Html& escaped(QStringView text); // as modern::escaped gives it
    // The inside of a JSON string as QJsonDocument writes it; inScript also escapes "<", ">" and "&" as
    // scriptSafeJson does.
    Html& jsonText(QStringView text, bool inScript = true);
    Html& number(qint64 value);
    Html& safeHtml(const QString& merchantHtml); // what modern::safeHtml gives

    QByteArrayView bytes() const { return {m_begin, m_end - m_begin}; }
    struct AsciiSet;   // the ASCII characters an escaping replaces
    QByteArray take(); // leaves the writer empty

private:
    Html& put(const char* data, qsizetype size)
    {
        if (m_limit - m_end < size)
            grow(size);
        if (size > 0)
            std::memcpy(m_end, data, size_t(size));
        m_end += size;
        return *this;
    }
    void grow(qsizetype more);
    template <typename Ascii, typename Lone>
    Html& utf8(QStringView text, const AsciiSet& set, qsizetype most, Ascii ascii, Lone lone);

    QByteArray m_bytes; // its size is the room so far; the page is m_begin..m_end
    char* m_begin = nullptr;
    char* m_end = nullptr;
    char* m_limit = nullptr;
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
