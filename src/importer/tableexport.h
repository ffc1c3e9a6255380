#pragma once

#include "importer/exportsettings.h"
#include "importer/exportsink.h"

#include <QByteArray>

namespace tables {
class DataSet;
}

namespace importer {

// Writes the records of a view (a table or a query result) as an HTML table or as delimited text.
class TableExport {
public:
    // ISO-8859-2 HTML; names and values escaped, characters outside ISO-8859-2 as character references.
    static void html(const tables::DataSet& data, const ExportSettings& settings, ExportSink& out);
    // Each field followed by the separator, each record by LF, the whole by CR LF; UTF-8.
    static void text(const tables::DataSet& data, const QString& separator, ExportSink& out);

    // A text for the HTML page: "&", "<", ">" escaped, "ó"/"Ó" as entities, the rest in ISO-8859-2 or as
    // numeric character references.
    static void appendHtmlText(ExportSink& out, QStringView text);
    static void appendHtmlUtf8(ExportSink& out, QByteArrayView utf8);
    // "#RRGGBB" in upper-case hexadecimal.
    static QByteArray colorCode(const QColor& color);

    static QString htmlFileFilter();
    static QString textFileFilter();
};

} // namespace importer
