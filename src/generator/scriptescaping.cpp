#include "generator/scriptescaping.h"

namespace scriptescaping {

QString jsString(const QString& text)
{
    return replaceEach(text, [](char16_t c) -> const char* {
        switch (c) {
        case '\\':
            return "\\\\";
        case '\'':
            return "\\'";
        case '"':
            return "\\\"";
        case '\n':
            return "\\n";
        case '\r':
            return "\\r";
        case 0x2028: // line terminators inside a literal
            return "\\u2028";
        case 0x2029:
            return "\\u2029";
        }
        return nullptr;
    });
}

QString htmlAttribute(const QString& text)
{
    return replaceEach(text, [](char16_t c) -> const char* {
        switch (c) {
        case '&':
            return "&amp;";
        case '"':
            return "&quot;";
        case '\'':
            return "&#39;";
        case '<':
            return "&lt;";
        case '>':
            return "&gt;";
        }
        return nullptr;
    });
}

QString phpDoubleQuoted(const QString& text)
{
    return replaceEach(text, [](char16_t c) -> const char* {
        switch (c) {
        case '\\':
            return "\\\\";
        case '"':
            return "\\\"";
        case '$': // no variable interpolation
            return "\\$";
        case '\n':
            return "\\n";
        case '\r':
            return "\\r";
        }
        return nullptr;
    });
}

} // namespace scriptescaping
