#include "importer/tableexport.h"

#include "importer/recordstream.h"
#include "shell/tables/dataset.h"

#include <array>
#include <charconv>

namespace importer {

namespace {

// Unicode code points of the ISO-8859-2 bytes 0xA0 to 0xFF.
constexpr char16_t kIso88592High[96] = {
    0x00A0, 0x0104, 0x02D8, 0x0141, 0x00A4, 0x013D, 0x015A, 0x00A7, 0x00A8, 0x0160, 0x015E, 0x0164,
    0x0179, 0x00AD, 0x017D, 0x017B, 0x00B0, 0x0105, 0x02DB, 0x0142, 0x00B4, 0x013E, 0x015B, 0x02C7,
    0x00B8, 0x0161, 0x015F, 0x0165, 0x017A, 0x02DD, 0x017E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102,
    0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170,
    0x00DC, 0x00DD, 0x0162, 0x00DF, 0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3,
    0x00F4, 0x0151, 0x00F6, 0x00F7, 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9};

// The ISO-8859-2 byte of each code point below 0x2E0 (0: none). The page's own ASCII is not in it.
struct Iso88592Table {
    static constexpr char32_t kSize = 0x2E0;
    std::array<char, kSize> bytes{};
    Iso88592Table()
    {
        for (int i = 0; i < 96; ++i)
            bytes[kIso88592High[i]] = char(0xA0 + i);
    }
};

const Iso88592Table& isoTable()
{
    static const Iso88592Table table;
    return table;
}

// Bytes of a cell that need more than copying: the three HTML takes as markup and every non-ASCII byte.
struct SpecialBytes {
    std::array<bool, 256> special{};
    constexpr SpecialBytes()
    {
        for (int c = 0x80; c < 256; ++c)
            special[size_t(c)] = true;
        special['&'] = special['<'] = special['>'] = true;
    }
};
constexpr SpecialBytes kSpecial;

void appendAscii(ExportSink& out, char c)
{
    switch (c) {
    case '&':
        out.append("&amp;", 5);
        break;
    case '<':
        out.append("&lt;", 4);
        break;
    case '>':
        out.append("&gt;", 4);
        break;
    default:
        out.append(c);
    }
}

void appendCodePoint(ExportSink& out, char32_t code)
{
    if (code < 0x80) {
        appendAscii(out, char(code));
    } else if (code == 0x00F3) {
        out.append("&oacute;", 8);
    } else if (code == 0x00D3) {
        out.append("&Oacute;", 8);
    } else if (code < Iso88592Table::kSize && isoTable().bytes[code] != 0) {
        out.append(isoTable().bytes[code]);
    } else {
        char* p = out.reserve(16);
        p[0] = '&';
        p[1] = '#';
        char* end = std::to_chars(p + 2, p + 15, uint32_t(code)).ptr;
        *end++ = ';';
        out.commit(end - p);
    }
}

// The code points of well-formed UTF-8.
template <typename Visit> void forEachCodePoint(QByteArrayView utf8, Visit visit)
{
    const auto* p = reinterpret_cast<const uchar*>(utf8.data());
    const uchar* end = p + utf8.size();
    while (p != end) {
        const uchar c = *p;
        const int more = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        char32_t code = more == 0 ? c : more == 1 ? (c & 0x1F) : more == 2 ? (c & 0x0F) : (c & 0x07);
        for (int k = 1; k <= more; ++k)
            code = (code << 6) | (p[k] & 0x3F);
        visit(code);
        p += more + 1;
    }
}

QByteArray hex2(int v)
{
    return QByteArray::number(v, 16).toUpper().rightJustified(2, '0');
}

} // namespace

QByteArray TableExport::colorCode(const QColor& color)
{
    return '#' + hex2(color.red()) + hex2(color.green()) + hex2(color.blue());
}

void TableExport::appendHtmlText(ExportSink& out, QStringView text)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t code = text[i].unicode();
        if (QChar::isHighSurrogate(code) && i + 1 < n && text[i + 1].isLowSurrogate())
            code = QChar::surrogateToUcs4(char16_t(code), text[++i].unicode());
        appendCodePoint(out, code);
    }
}

void TableExport::appendHtmlUtf8(ExportSink& out, QByteArrayView utf8)
{
    const auto* bytes = reinterpret_cast<const uchar*>(utf8.data());
    const qsizetype n = utf8.size();
    qsizetype plain = 0;
    while (plain < n && !kSpecial.special[bytes[plain]])
        ++plain;
    out.append(utf8.data(), plain);
    if (plain == n)
        return;
    utf8 = utf8.sliced(plain);
    if (utf8.isValidUtf8())
        forEachCodePoint(utf8, [&](char32_t code) { appendCodePoint(out, code); });
    else
        appendHtmlText(out, QString::fromUtf8(utf8)); // damaged bytes: as the decoder replaces them
}

void TableExport::html(const tables::DataSet& data, const ExportSettings& settings, ExportSink& out)
{
    out.append("<HTML><HEAD><META HTTP-EQUIV=\"CONTENT-TYPE\" CONTENT=\"text/html; charset=iso-8859-2\">"
               "<META NAME=\"GENERATOR\"CONTENT=\"ORVANE Importer\"></HEAD><body bgcolor=\"#FFFFFF\">");
    out.append(settings.boldLines ? "<TABLE BORDER=1>" : "<TABLE BORDER=0>");
    out.append("<TR>");
    for (const tables::Field& f : data.fields()) {
        out.append("<TD>");
        appendHtmlText(out, f.name);
    }
    out.append("</TR>");
    const QByteArray oddRows = "<TR bgcolor=\"" + colorCode(settings.oddRowColor) + "\">";
    const QByteArray evenRows = "<TR bgcolor=\"" + colorCode(settings.evenRowColor) + "\">";
    int n = 0;
    RecordStream::forEachText(data, [&](const QVector<QByteArrayView>& cells) {
        // Counted from 0: the 1st, 3rd ... record takes the odd-row colour.
        out.append(n % 2 == 0 ? oddRows : evenRows);
        for (const QByteArrayView cell : cells) {
            out.append("<TD>", 4);
            appendHtmlUtf8(out, cell);
        }
        out.append("</TR>", 5);
        ++n;
        return true;
    });
    out.append("</TABLE></HTML>\r\n");
}

void TableExport::text(const tables::DataSet& data, const QString& separator, ExportSink& out)
{
    const QByteArray sep = separator.toUtf8();
    RecordStream::forEachText(data, [&](const QVector<QByteArrayView>& cells) {
        for (const QByteArrayView cell : cells) {
            out.append(cell);
            out.append(sep);
        }
        out.append('\n');
        return true;
    });
    out.append("\r\n", 2);
}

QString TableExport::htmlFileFilter()
{
    return QStringLiteral("pliki html (*.html);;Wszystkie pliki (*)");
}

QString TableExport::textFileFilter()
{
    return QStringLiteral("pliki txt (*.txt);;Wszystkie pliki (*)");
}

} // namespace importer
