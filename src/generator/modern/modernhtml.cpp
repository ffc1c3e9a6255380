#include "generator/modern/modernhtml.h"

#include "generator/scriptescaping.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

#include <bit>
#include <charconv>
#include <cmath>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace generator::modern {

namespace {

// The named references merchants type; any other "&name;" is shown as typed.
QString decodeEntity(const QString& name)
{
    static const QHash<QString, QString> named{
        {QStringLiteral("amp"), QStringLiteral("&")},       {QStringLiteral("lt"), QStringLiteral("<")},
        {QStringLiteral("gt"), QStringLiteral(">")},        {QStringLiteral("quot"), QStringLiteral("\"")},
        {QStringLiteral("apos"), QStringLiteral("'")},      {QStringLiteral("nbsp"), QString(QChar(0xA0))},
        {QStringLiteral("ndash"), QString(QChar(0x2013))},  {QStringLiteral("mdash"), QString(QChar(0x2014))},
        {QStringLiteral("hellip"), QString(QChar(0x2026))}, {QStringLiteral("copy"), QString(QChar(0xA9))},
        {QStringLiteral("reg"), QString(QChar(0xAE))},      {QStringLiteral("euro"), QString(QChar(0x20AC))},
        {QStringLiteral("laquo"), QString(QChar(0xAB))},    {QStringLiteral("raquo"), QString(QChar(0xBB))},
        {QStringLiteral("bdquo"), QString(QChar(0x201E))},  {QStringLiteral("rdquo"), QString(QChar(0x201D))},
        {QStringLiteral("deg"), QString(QChar(0xB0))},
    };
    if (name.startsWith(QLatin1Char('#'))) {
        bool ok = false;
        const uint code = name.startsWith(QStringLiteral("#x"), Qt::CaseInsensitive)
                              ? name.mid(2).toUInt(&ok, 16)
                              : name.mid(1).toUInt(&ok, 10);
        if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return {};
        return QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
    }
    return named.value(name);
}

// Text between tags: references decoded, then escaped again, so "&ndash;" survives and "&" alone is
// written correctly.
QString textPart(const QString& raw)
{
    if (!raw.contains(QLatin1Char('&')))
        return raw;
    static const QRegularExpression reference(
        QStringLiteral("&(#[0-9]{1,7}|#[xX][0-9a-fA-F]{1,6}|[a-zA-Z]{2,8});"));
    QString out;
    qsizetype from = 0;
    auto it = reference.globalMatch(raw);
    while (it.hasNext()) {
        const auto m = it.next();
        out += raw.mid(from, m.capturedStart() - from);
        const QString decoded = decodeEntity(m.captured(1));
        out += decoded.isEmpty() ? m.captured(0) : decoded;
        from = m.capturedEnd();
    }
    out += raw.mid(from);
    return out;
}

const QRegularExpression& tagPattern()
{
    static const QRegularExpression tag(QStringLiteral("<(/?)([a-zA-Z][a-zA-Z0-9]*)([^<>]*)>|<!--.*?-->"),
                                        QRegularExpression::DotMatchesEverythingOption);
    return tag;
}

QString safeHref(const QString& attributes)
{
    static const QRegularExpression href(QStringLiteral("href\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))"),
                                         QRegularExpression::CaseInsensitiveOption);
    const auto m = href.match(attributes);
    if (!m.hasMatch())
        return {};
    const QString url = textPart(m.captured(1) + m.captured(2) + m.captured(3)).trimmed();
    static const QRegularExpression allowed(QStringLiteral("^(https?://|mailto:|[A-Za-z0-9_./#?=-]+$)"),
                                            QRegularExpression::CaseInsensitiveOption);
    if (!allowed.match(url).hasMatch() || url.startsWith(QStringLiteral("//")))
        return {};
    return url;
}

int channel(shell::ColorValue c, int shift)
{
    return (c >> shift) & 0xFF;
}

char hexDigit(uint value)
{
    return "0123456789abcdef"[value & 0xF];
}

char* write(char* out, const char* text)
{
    while (*text)
        *out++ = *text++;
    return out;
}

char* questionMark(char* out, char16_t)
{
    *out++ = '?'; // what QString::toUtf8 writes for it
    return out;
}

double luminance(shell::ColorValue c)
{
    auto linear = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(channel(c, 0)) + 0.7152 * linear(channel(c, 8)) + 0.0722 * linear(channel(c, 16));
}

} // namespace

QString escaped(const QString& text)
{
    return scriptescaping::replaceEach(text, [](char16_t c) -> const char* {
        switch (c) {
        case '&':
            return "&amp;";
        case '<':
            return "&lt;";
        case '>':
            return "&gt;";
        case '"':
            return "&quot;";
        case '\'':
            return "&#39;";
        case '\n':
        case '\t':
            return nullptr;
        }
        // Control characters have no place in a page (a NUL makes it invalid).
        return c < 0x20 ? " " : nullptr;
    });
}

// The ASCII characters an escaping replaces; any other is copied.
struct Html::AsciiSet {
    bool special[128] = {};
    char listed[8] = {}; // the special characters but the control characters
    bool controls = false;
    constexpr AsciiSet(const char* characters, bool controls) : controls(controls)
    {
        for (int c = 0; c < 0x20; ++c)
            special[c] = controls;
        for (int n = 0; characters[n]; ++n) {
            special[int(characters[n])] = true;
            listed[n] = characters[n];
        }
    }
};

namespace {

constexpr Html::AsciiSet kNone("", false);
constexpr Html::AsciiSet kHtml("&<>\"'", true);
constexpr Html::AsciiSet kJson("\"\\", true);
constexpr Html::AsciiSet kScriptJson("\"\\<>&", true);

#ifdef __SSE2__
// The set as vectors, made once for a text: each listed character in every lane, and the first
// character that is no control character (0 where controls are copied too).
struct AsciiLanes {
    explicit AsciiLanes(const Html::AsciiSet& set) : below(_mm_set1_epi16(set.controls ? 0x20 : 0))
    {
        for (const char* c = set.listed; *c; ++c)
            listed[count++] = _mm_set1_epi16(short(*c));
    }
    // Two bits for each of the eight characters, both set where it is ASCII the set copies as it is.
    unsigned plain(__m128i characters) const
    {
        __m128i plain =
            _mm_cmpeq_epi16(_mm_and_si128(characters, _mm_set1_epi16(short(0xFF80))), _mm_setzero_si128());
        plain = _mm_andnot_si128(_mm_cmplt_epi16(characters, below), plain);
        for (int i = 0; i < count; ++i)
            plain = _mm_andnot_si128(_mm_cmpeq_epi16(characters, listed[i]), plain);
        return unsigned(_mm_movemask_epi8(plain));
    }

    __m128i below;
    __m128i listed[7];
    int count = 0;
};
#endif

} // namespace

void Html::grow(qsizetype more)
{
    const qsizetype used = m_end - m_begin;
    m_bytes.resize(std::max(used + more, m_bytes.size() * 2));
    m_begin = m_bytes.data();
    m_end = m_begin + used;
    m_limit = m_begin + m_bytes.size();
}

QByteArray Html::take()
{
    m_bytes.resize(m_end - m_begin);
    m_begin = m_end = m_limit = nullptr;
    return std::move(m_bytes);
}

// Appends the UTF-8 of text: an ASCII character of `special` through ascii(out, c) (which returns the
// new end, writing at most `most` bytes), a lone surrogate through lone(out, c). Room is made once for
// the worst case.
template <typename Ascii, typename Lone>
Html& Html::utf8(QStringView text, const AsciiSet& set, qsizetype most, Ascii ascii, Lone lone)
{
    const qsizetype room = text.size() * std::max<qsizetype>(most, 3);
    if (m_limit - m_end < room)
        grow(room);
    char* out = m_end;
    const char16_t* s = text.utf16();
    const char16_t* const end = s + text.size();
#ifdef __SSE2__
    const AsciiLanes lanes(set);
#endif
    while (s < end) {
#ifdef __SSE2__
        // Eight characters at a time while they need no more than a copy as one byte each (the room
        // made has at least one byte for each character left).
        if (end - s >= 8) {
            const __m128i characters = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
            const int copied = std::countr_one(lanes.plain(characters)) / 2;
            if (copied > 0) {
                _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(characters, characters));
                s += copied;
                out += copied;
                continue;
            }
        }
#endif
        const char16_t c = *s++;
        if (c < 0x80) {
            if (set.special[c])
                out = ascii(out, c);
            else
                *out++ = char(c);
        } else if (c < 0x800) {
            *out++ = char(0xC0 | (c >> 6));
            *out++ = char(0x80 | (c & 0x3F));
        } else if (!QChar::isSurrogate(c)) {
            *out++ = char(0xE0 | (c >> 12));
            *out++ = char(0x80 | ((c >> 6) & 0x3F));
            *out++ = char(0x80 | (c & 0x3F));
        } else if (QChar::isHighSurrogate(c) && s < end && QChar::isLowSurrogate(*s)) {
            const char32_t u = QChar::surrogateToUcs4(c, *s++);
            *out++ = char(0xF0 | (u >> 18));
            *out++ = char(0x80 | ((u >> 12) & 0x3F));
            *out++ = char(0x80 | ((u >> 6) & 0x3F));
            *out++ = char(0x80 | (u & 0x3F));
        } else {
            out = lone(out, c);
        }
    }
    m_end = out;
    return *this;
}

Html& Html::text(QStringView text)
{
    return utf8(
        text, kNone, 1, [](char* out, char16_t) { return out; }, questionMark);
}

Html& Html::escaped(QStringView text)
{
    // As modern::escaped; "\n" and "\t" stay, other control characters become spaces.
    auto ascii = [](char* out, char16_t c) {
        switch (c) {
        case '&':
            return write(out, "&amp;");
        case '<':
            return write(out, "&lt;");
        case '>':
            return write(out, "&gt;");
        case '"':
            return write(out, "&quot;");
        case '\'':
            return write(out, "&#39;");
        }
        *out++ = c == '\n' || c == '\t' ? char(c) : ' ';
        return out;
    };
    return utf8(text, kHtml, 6, ascii, questionMark);
}

Html& Html::jsonText(QStringView text, bool inScript)
{
    auto unicode = [](char* out, char16_t c) {
        out = write(out, "\\u");
        for (int shift = 12; shift >= 0; shift -= 4)
            *out++ = hexDigit(c >> shift);
        return out;
    };
    // QJsonDocument's escapes; an invalid surrogate is written as its \u escape.
    auto ascii = [unicode](char* out, char16_t c) {
        switch (c) {
        case '"':
            return write(out, "\\\"");
        case '\\':
            return write(out, "\\\\");
        case '\b':
            return write(out, "\\b");
        case '\f':
            return write(out, "\\f");
        case '\n':
            return write(out, "\\n");
        case '\r':
            return write(out, "\\r");
        case '\t':
            return write(out, "\\t");
        }
        return unicode(out, c); // another control character, or "<", ">" or "&" in a script
    };
    return utf8(text, inScript ? kScriptJson : kJson, 6, ascii, unicode);
}

Html& Html::number(qint64 value)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return put(digits, end - digits);
}

namespace {

// A text in which safeHtml finds neither a tag nor a character reference.
bool isPlain(const QString& text)
{
    return !text.contains(QLatin1Char('<')) && !text.contains(QLatin1Char('&'));
}

// What escaped() turns into white space only, which trimmed() then removes.
bool blank(QChar c)
{
    return c.unicode() < 0x20 || c.isSpace();
}

} // namespace

Html& Html::safeHtml(const QString& merchantHtml)
{
    if (!isPlain(merchantHtml))
        return text(modern::safeHtml(merchantHtml));
    // escaped(text).trimmed() without the copies.
    qsizetype from = 0;
    qsizetype to = merchantHtml.size();
    while (from < to && blank(merchantHtml[from]))
        ++from;
    while (to > from && blank(merchantHtml[to - 1]))
        --to;
    return escaped(QStringView(merchantHtml).sliced(from, to - from));
}

QString safeHtml(const QString& merchantHtml)
{
    if (!merchantHtml.contains(QLatin1Char('<'))) // no tag: no pattern to look for
        return escaped(textPart(merchantHtml)).trimmed();

    static const QStringList kept{QStringLiteral("b"),  QStringLiteral("strong"), QStringLiteral("i"),
                                  QStringLiteral("em"), QStringLiteral("u"),      QStringLiteral("p"),
                                  QStringLiteral("h2"), QStringLiteral("h3"),     QStringLiteral("ul"),
                                  QStringLiteral("ol"), QStringLiteral("li"),     QStringLiteral("a")};
    QString out;
    QStringList open;
    qsizetype from = 0;
    auto it = tagPattern().globalMatch(merchantHtml);
    auto closeTo = [&](int index) {
        while (open.size() > index)
            out += QStringLiteral("</") + open.takeLast() + QLatin1Char('>');
    };
    while (it.hasNext()) {
        const auto m = it.next();
        out += escaped(textPart(merchantHtml.mid(from, m.capturedStart() - from)));
        from = m.capturedEnd();
        const QString name = m.captured(2).toLower();
        const bool closing = !m.captured(1).isEmpty();
        if (name == QStringLiteral("br")) {
            out += QStringLiteral("<br>");
        } else if (kept.contains(name)) {
            if (closing) {
                const int at = int(open.lastIndexOf(name));
                if (at >= 0)
                    closeTo(at);
            } else if (name == QStringLiteral("a")) {
                const QString href = safeHref(m.captured(3));
                out += href.isEmpty() ? QStringLiteral("<a>")
                                      : QStringLiteral("<a href=\"") + escaped(href) + QStringLiteral("\">");
                open << name;
            } else {
                // Block elements cannot stand inside the inline ones still open.
                if (name == QStringLiteral("p") || name.startsWith(QLatin1Char('h'))
                    || name == QStringLiteral("ul") || name == QStringLiteral("ol"))
                    closeTo(0);
                out += QLatin1Char('<') + name + QLatin1Char('>');
                open << name;
            }
        }
    }
    out += escaped(textPart(merchantHtml.mid(from)));
    closeTo(0);
    return out.trimmed();
}

namespace {

// QString::simplified, without its pass of copying where the text only has blank ends to drop.
QString simplifiedText(const QString& text)
{
    const QStringView view(text);
    qsizetype from = 0;
    qsizetype to = view.size();
    while (from < to && view[from].isSpace())
        ++from;
    while (to > from && view[to - 1].isSpace())
        --to;
    for (qsizetype i = from; i < to; ++i) {
        // A space before to is followed by a character (view[to - 1] is none).
        if (view[i].isSpace() && (view[i] != QLatin1Char(' ') || view[i + 1].isSpace()))
            return text.simplified();
    }
    return from == 0 && to == text.size() ? text : text.sliced(from, to - from);
}

} // namespace

QString plainText(const QString& merchantHtml)
{
    if (!merchantHtml.contains(QLatin1Char('<')))
        return simplifiedText(textPart(merchantHtml));
    QString text;
    qsizetype from = 0;
    auto it = tagPattern().globalMatch(merchantHtml);
    while (it.hasNext()) {
        const auto m = it.next();
        text += merchantHtml.mid(from, m.capturedStart() - from);
        text += QLatin1Char(' ');
        from = m.capturedEnd();
    }
    text += merchantHtml.mid(from);
    return simplifiedText(textPart(text));
}

QString metaDescription(const QString& merchantHtml)
{
    const QString text = plainText(merchantHtml);
    if (text.size() <= 160)
        return text;
    qsizetype cut = text.lastIndexOf(QLatin1Char(' '), 159);
    if (cut < 80)
        cut = 159;
    return text.left(cut).trimmed() + QChar(0x2026);
}

QString folded(const QString& text)
{
    // ASCII has nothing to decompose: lower case is all (toLower takes its time for any text).
    QString lower(text.size(), Qt::Uninitialized);
    char16_t* to = reinterpret_cast<char16_t*>(lower.data());
    qsizetype i = 0;
    for (const QChar letter : text) {
        const char16_t c = letter.unicode();
        if (c >= 0x80)
            break;
        to[i++] = c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
    }
    if (i == text.size())
        return lower;
    QString out;
    const QString decomposed = text.toLower().normalized(QString::NormalizationForm_D);
    for (const QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (c == QChar(0x0142)) // ł has no decomposition
            out += QLatin1Char('l');
        else
            out += c;
    }
    return out;
}

QString scriptSafeJson(const QByteArray& json)
{
    // Outside strings JSON has none of these characters, so escaping them everywhere changes no value.
    return QString::fromUtf8(json)
        .replace(QLatin1Char('<'), QStringLiteral("\\u003c"))
        .replace(QLatin1Char('>'), QStringLiteral("\\u003e"))
        .replace(QLatin1Char('&'), QStringLiteral("\\u0026"));
}

qint64 toMinorUnits(double amount)
{
    return std::llround(amount * 100.0);
}

QString moneyText(qint64 minorUnits, const QString& language)
{
    const bool comma = !language.startsWith(QStringLiteral("en"));
    const qint64 whole = std::llabs(minorUnits) / 100;
    const qint64 part = std::llabs(minorUnits) % 100;
    return (minorUnits < 0 ? QStringLiteral("-") : QString()) + QString::number(whole)
           + (comma ? QLatin1Char(',') : QLatin1Char('.'))
           + QStringLiteral("%1").arg(part, 2, 10, QLatin1Char('0'));
}

QString machineMoney(qint64 minorUnits)
{
    return moneyText(minorUnits, QStringLiteral("en"));
}

double contrastRatio(shell::ColorValue a, shell::ColorValue b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

shell::ColorValue readableOn(shell::ColorValue foreground, shell::ColorValue background, double minimum)
{
    // Towards black on a light background, towards white on a dark one, keeping the hue.
    const bool darken = luminance(background) > 0.18;
    shell::ColorValue c = foreground;
    for (int step = 0; step < 40 && contrastRatio(c, background) < minimum; ++step) {
        auto move = [darken](int v) { return darken ? v * 9 / 10 : v + (255 - v + 9) / 10; };
        c = shell::colorFromRgb(move(channel(c, 0)), move(channel(c, 8)), move(channel(c, 16)));
    }
    return c;
}

} // namespace generator::modern
