#include "importer/tableexport.h"

#include "importer/recordstream.h"
#include "shell/tables/dataset.h"

#include <QHash>

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

struct Iso88592Table {
    QHash<char16_t, char> bytes;
    Iso88592Table()
    {
        for (int i = 0; i < 96; ++i)
            bytes.insert(kIso88592High[i], char(0xA0 + i));
    }
};

const Iso88592Table& isoTable()
{
    static const Iso88592Table table;
    return table;
}

// An ASCII character of a cell, with the three HTML takes as markup escaped.
void appendAscii(QByteArray& out, char c)
{
    switch (c) {
    case '&':
        out += "&amp;";
        break;
    case '<':
        out += "&lt;";
        break;
    case '>':
        out += "&gt;";
        break;
    default:
        out += c;
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

void TableExport::appendHtmlText(QByteArray& out, const QString& text)
{
    const auto& table = isoTable().bytes;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            appendAscii(out, char(c));
            continue;
        }
        if (c == 0x00F3) {
            out += "&oacute;";
            continue;
        }
        if (c == 0x00D3) {
            out += "&Oacute;";
            continue;
        }
        const auto found = table.constFind(c);
        if (found != table.constEnd()) {
            out += found.value();
            continue;
        }
        char32_t code = c;
        if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate())
            code = QChar::surrogateToUcs4(c, text[++i].unicode());
        out += "&#" + QByteArray::number(uint(code)) + ';';
    }
}

QByteArray TableExport::html(const tables::DataSet& data, const ExportSettings& settings)
{
    QByteArray out;
    out += "<HTML><HEAD><META HTTP-EQUIV=\"CONTENT-TYPE\" CONTENT=\"text/html; charset=iso-8859-2\">"
           "<META NAME=\"GENERATOR\"CONTENT=\"ORVANE Importer\"></HEAD><body bgcolor=\"#FFFFFF\">";
    out += settings.boldLines ? "<TABLE BORDER=1>" : "<TABLE BORDER=0>";
    out += "<TR>";
    const QVector<tables::Field>& fields = data.fields();
    for (const tables::Field& f : fields) {
        out += "<TD>";
        appendHtmlText(out, f.name);
    }
    out += "</TR>";
    const QByteArray oddRows = "<TR bgcolor=\"" + colorCode(settings.oddRowColor) + "\">";
    const QByteArray evenRows = "<TR bgcolor=\"" + colorCode(settings.evenRowColor) + "\">";
    int n = 0;
    RecordStream::forEachText(data, [&](const QVector<QByteArray>& cells) {
        // Counted from 0: the 1st, 3rd ... record takes the odd-row colour.
        out += n % 2 == 0 ? oddRows : evenRows;
        for (const QByteArray& cell : cells) {
            out += "<TD>";
            appendHtmlUtf8(out, cell);
        }
        out += "</TR>";
        ++n;
        return true;
    });
    out += "</TABLE></HTML>\r\n";
    return out;
}

void TableExport::appendHtmlUtf8(QByteArray& out, const QByteArray& utf8)
{
    for (const char c : utf8) {
        if (uchar(c) >= 0x80) {
            appendHtmlText(out, QString::fromUtf8(utf8));
            return;
        }
    }
    for (const char c : utf8)
        appendAscii(out, c);
}

QByteArray TableExport::text(const tables::DataSet& data, const QString& separator)
{
    QByteArray out;
    const QByteArray sep = separator.toUtf8();
    RecordStream::forEachText(data, [&](const QVector<QByteArray>& cells) {
        for (const QByteArray& cell : cells) {
            out += cell;
            out += sep;
        }
        out += '\n';
        return true;
    });
    out += "\r\n";
    return out;
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
