#include "importer/csv.h"

#include "importer/recordstream.h"
#include "importer/sqlstatement.h"
#include "shell/error.h"
#include "shell/tables/codepage.h"
#include "shell/tables/connection.h"
#include "shell/tables/dataset.h"
#include "shell/tables/table.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>

namespace importer {

namespace {

std::shared_ptr<const tables::CodePage> codePageOf(const QByteArray& name)
{
    const QByteArray iconvName = tables::CodePage::fromCpgText(name);
    if (iconvName.isEmpty())
        throw shell::AppError(QStringLiteral("nieznana strona kodowa: %1").arg(QString::fromLatin1(name)));
    return tables::CodePage::byName(iconvName);
}

class Parser {
public:
    Parser(const QByteArray& bytes, const CsvOptions& options, const QString& fileName)
        : m_bytes(bytes), m_sep(options.separator), m_name(fileName), m_codePage(codePageOf(options.codePage))
    {
        if (m_codePage->isUtf8() && m_bytes.startsWith("\xEF\xBB\xBF"))
            m_pos = 3;
    }

    QVector<QStringList> records()
    {
        QVector<QStringList> out;
        const qsizetype n = m_bytes.size();
        while (m_pos < n) {
            const int recordLine = m_line;
            QStringList record = readRecord();
            if (record.size() == 1 && record[0].isEmpty())
                continue; // an empty line
            if (!out.isEmpty() && record.size() != out.first().size())
                fail(recordLine, int(qMin(record.size(), out.first().size())) + 1,
                     QStringLiteral("rekord ma %1 pól, a pierwszy %2")
                         .arg(record.size())
                         .arg(out.first().size()));
            out.push_back(std::move(record));
        }
        return out;
    }

private:
    [[noreturn]] void fail(int line, int column, const QString& what) const
    {
        throw shell::AppError(
            QStringLiteral("%1, wiersz %2, kolumna %3: %4").arg(m_name).arg(line).arg(column).arg(what));
    }

    QString decode(const QByteArray& raw, int line, int column) const
    {
        if (!m_codePage->isUtf8())
            return m_codePage->decode(raw);
        QStringDecoder decoder(QStringDecoder::Utf8);
        QString text = decoder.decode(raw);
        if (decoder.hasError())
            fail(line, column,
                 QStringLiteral("bajty, które nie są tekstem UTF-8 (wybierz stronę kodową pliku)"));
        return text;
    }

    // Reads fields up to the end of a record; the position ends after its line break.
    QStringList readRecord()
    {
        QStringList fields;
        const qsizetype n = m_bytes.size();
        const char* d = m_bytes.constData();
        for (;;) {
            QByteArray raw;
            const int column = int(fields.size()) + 1;
            const int startLine = m_line;
            if (m_pos < n && d[m_pos] == '"') {
                ++m_pos;
                for (;;) {
                    if (m_pos >= n)
                        fail(startLine, column,
                             QStringLiteral("cudzysłów otwarty tutaj nie został zamknięty"));
                    const char c = d[m_pos++];
                    if (c == '"') {
                        if (m_pos < n && d[m_pos] == '"') {
                            raw += '"';
                            ++m_pos;
                            continue;
                        }
                        break;
                    }
                    if (c == '\n')
                        ++m_line;
                    raw += c;
                }
                if (m_pos < n && d[m_pos] != m_sep && d[m_pos] != '\r' && d[m_pos] != '\n')
                    fail(m_line, column,
                         QStringLiteral("po cudzysłowie zamykającym stoi tekst zamiast separatora"));
            } else {
                const qsizetype start = m_pos;
                while (m_pos < n && d[m_pos] != m_sep && d[m_pos] != '\r' && d[m_pos] != '\n')
                    ++m_pos;
                raw = m_bytes.mid(start, m_pos - start);
            }
            fields << decode(raw, startLine, column);
            if (m_pos < n && d[m_pos] == m_sep) {
                ++m_pos;
                continue;
            }
            if (m_pos < n && d[m_pos] == '\r')
                ++m_pos;
            if (m_pos < n && d[m_pos] == '\n')
                ++m_pos;
            ++m_line;
            return fields;
        }
    }

    const QByteArray& m_bytes;
    char m_sep;
    QString m_name;
    std::shared_ptr<const tables::CodePage> m_codePage;
    qsizetype m_pos = 0;
    int m_line = 1;
};

} // namespace

QVector<QStringList> Csv::parse(const QByteArray& bytes, const CsvOptions& options, const QString& fileName)
{
    return Parser(bytes, options, fileName).records();
}

void Csv::appendField(ExportSink& out, QByteArrayView field, char separator)
{
    const char* data = field.data();
    const qsizetype size = field.size();
    // Line breaks and the quote sort below '#': one comparison passes most bytes.
    qsizetype plain = 0;
    for (; plain < size; ++plain) {
        const char c = data[plain];
        if (c == separator || (uchar(c) <= '"' && (c == '"' || c == '\n' || c == '\r')))
            break;
    }
    if (plain == size) {
        out.append(data, size);
        return;
    }
    out.append('"');
    for (qsizetype i = 0; i < size; ++i) {
        if (data[i] == '"')
            out.append('"');
        out.append(data[i]);
    }
    out.append('"');
}

void Csv::write(const tables::DataSet& data, const CsvOptions& options, ExportSink& out)
{
    const auto codePage = codePageOf(options.codePage);
    const char sep = options.separator;
    QByteArray encoded;
    int record = 0; // counted from 1 as the user counts them; the field names are 0
    const auto append = [&](QByteArrayView utf8, int column) {
        if (codePage->isUtf8()) {
            appendField(out, utf8, sep);
            return;
        }
        QString missing;
        encoded.clear();
        if (!codePage->encode(QString::fromUtf8(utf8), encoded, &missing))
            throw shell::AppError(
                QStringLiteral("rekord %1, pole %2: znaku \"%3\" nie ma w stronie kodowej %4")
                    .arg(record)
                    .arg(data.fields()[column].name, missing, QString::fromLatin1(codePage->name())));
        appendField(out, encoded, sep);
    };
    if (options.header) {
        const QVector<tables::Field>& fields = data.fields();
        for (int i = 0; i < fields.size(); ++i) {
            if (i > 0)
                out.append(sep);
            append(fields[i].name.toUtf8(), i);
        }
        out.append("\r\n", 2);
    }
    RecordStream::forEachText(data, [&](const QVector<QByteArrayView>& cells) {
        ++record;
        for (int i = 0; i < cells.size(); ++i) {
            if (i > 0)
                out.append(sep);
            append(cells[i], i);
        }
        out.append("\r\n", 2);
        return true;
    });
}

bool isCsvPath(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix();
    return suffix.compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0
           || suffix.compare(QLatin1String("tsv"), Qt::CaseInsensitive) == 0;
}

CsvSource::CsvSource(const QString& csvPath, const CsvOptions& options)
{
    QFile file(csvPath);
    if (!file.open(QIODevice::ReadOnly))
        throw shell::AppError(
            QStringLiteral("%1: nie można odczytać pliku: %2").arg(csvPath, file.errorString()));
    const QVector<QStringList> records = Csv::parse(file.readAll(), options, QFileInfo(csvPath).fileName());
    if (records.isEmpty())
        throw shell::AppError(QStringLiteral("%1: plik nie zawiera żadnego rekordu").arg(csvPath));
    if (!m_dir.isValid())
        throw shell::AppError(QStringLiteral("nie można utworzyć folderu tymczasowego"));

    // Field names: the header's, made unique; numbered when there is no header or a name is empty.
    QVector<tables::Field> fields;
    QSet<QString> used;
    const QStringList& first = records.first();
    for (int i = 0; i < first.size(); ++i) {
        QString name = options.header ? first[i].trimmed() : QString();
        if (name.isEmpty())
            name = QStringLiteral("Pole%1").arg(i + 1);
        QString unique = name;
        for (int k = 2; used.contains(unique.toCaseFolded()); ++k)
            unique = QStringLiteral("%1_%2").arg(name).arg(k);
        used.insert(unique.toCaseFolded());
        tables::Field f;
        f.name = unique;
        f.type = tables::FieldType::Memo;
        fields.push_back(f);
    }
    m_tablePath = m_dir.filePath(QFileInfo(csvPath).completeBaseName() + QStringLiteral(".db"));
    tables::Table::create(m_tablePath, fields);
    tables::Connection conn(m_tablePath);
    QStringList columns;
    for (const tables::Field& f : fields)
        columns << tables::quoteIdentifier(f.name);
    conn.begin();
    {
        SqlStatement insert(
            conn, tables::insertStatement(tables::quoteIdentifier(QFileInfo(m_tablePath).completeBaseName()),
                                          columns));
        for (qsizetype r = options.header ? 1 : 0; r < records.size(); ++r) {
            for (int i = 0; i < records[r].size(); ++i)
                insert.bind(i, records[r][i]);
            insert.execute();
        }
    }
    conn.commit();
}

} // namespace importer
