#pragma once

#include "importer/exportsettings.h"

#include <QByteArray>

namespace tables {
class DataSet;
}

namespace importer {

// Writes the records of a view (a table or a query result) as an HTML table or as delimited text.
class TableExport {
public:
    // ISO-8859-2 HTML; names and values escaped, characters outside ISO-8859-2 as character references.
    static QByteArray html(const tables::DataSet& data, const ExportSettings& settings);
    // Each field followed by the separator, each record by LF, the whole by CR LF; UTF-8.
    static QByteArray text(const tables::DataSet& data, const QString& separator);

    // A text for the HTML page: "&", "<", ">" escaped, "ó"/"Ó" as entities, the rest in ISO-8859-2 or as
    // numeric character references.
    static void appendHtmlText(QByteArray& out, const QString& text);
    static void appendHtmlUtf8(QByteArray& out, const QByteArray& utf8);
    // "#RRGGBB" in upper-case hexadecimal.
    static QByteArray colorCode(const QColor& color);

    static QString htmlFileFilter();
    static QString textFileFilter();
};

} // namespace importer
