#pragma once

#include <QString>

// Values from the catalogue go into pages as typed, except where they stand inside a script string or
// an attribute value: there a quote or an apostrophe would end the string early and break the call.
namespace scriptescaping {

// The text with every character for which replacement (char16_t -> const char*) gives a text put as that
// text; the others stay. A text with nothing to replace is returned as it is, without a copy.
template <typename Replacement> QString replaceEach(const QString& text, Replacement replacement)
{
    qsizetype first = 0;
    while (first < text.size() && !replacement(text[first].unicode()))
        ++first;
    if (first == text.size())
        return text;
    QString out;
    out.reserve(text.size() + 16);
    out.append(text.constData(), first);
    for (qsizetype i = first; i < text.size(); ++i) {
        const QChar c = text[i];
        if (const char* replaced = replacement(c.unicode()))
            out += QLatin1String(replaced);
        else
            out += c;
    }
    return out;
}

// Backslash escapes for a JavaScript string literal delimited by ' or ".
QString jsString(const QString& text);
// Character references for an attribute value delimited by " or '.
QString htmlAttribute(const QString& text);
// A value inside a script string that itself stands inside an attribute (onclick="f('…')").
inline QString scriptInAttribute(const QString& text)
{
    return htmlAttribute(jsString(text));
}
// Backslash escapes for a PHP string literal delimited by ".
QString phpDoubleQuoted(const QString& text);

} // namespace scriptescaping
