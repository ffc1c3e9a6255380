#pragma once

#include <QString>

// Values from the catalogue go into pages as typed, except where they stand inside a script string or
// an attribute value: there a quote or an apostrophe would end the string early and break the call.
namespace scriptescaping {

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
