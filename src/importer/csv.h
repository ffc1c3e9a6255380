#pragma once

#include "importer/exportsink.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>

namespace tables {
class DataSet;
}

namespace importer {

// Comma-separated values as RFC 4180 has them: a field holding the separator, a quote or a line break
// is quoted, quotes inside doubled; records end with CR LF; the first record names the fields.
struct CsvOptions {
    char separator = ',';
    bool header = true;
    QByteArray codePage = "UTF-8"; // a name CodePage::fromCpgText takes ("UTF-8", "1250", "CP852" ...)
};

class Csv {
public:
    // The records of a CSV text. A ragged record, an unterminated quote, text after a closing quote or
    // bytes that are not text in the code page throw AppError naming the line and the column
    // ("dane.csv, wiersz 3, kolumna 2: ..."). Empty lines are skipped.
    static QVector<QStringList> parse(const QByteArray& bytes, const CsvOptions& options,
                                      const QString& fileName);
    // The records of a view, the field names first when options.header is on.
    static void write(const tables::DataSet& data, const CsvOptions& options, ExportSink& out);
    // One field, quoted when it needs to be.
    static void appendField(ExportSink& out, QByteArrayView field, char separator);
};

// A CSV file seen as a table: its records read into a native table in a folder of its own that goes
// with this object. Every column is text (the file carries no types).
class CsvSource {
public:
    CsvSource(const QString& csvPath, const CsvOptions& options);
    QString tablePath() const { return m_tablePath; }

private:
    QTemporaryDir m_dir;
    QString m_tablePath;
};

// True for a file that is read as CSV (by its extension).
bool isCsvPath(const QString& path);

} // namespace importer
