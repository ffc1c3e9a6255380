#include "importer/tableimport.h"

#include "importer/recordstream.h"
#include "importer/samefile.h"
#include "importer/sqlstatement.h"
#include "importer/valueconversion.h"
#include "importer/vieweraser.h"
#include "shell/error.h"
#include "shell/interaction.h"
#include "shell/tables/table.h"

namespace importer {

namespace {

int resolveField(const tables::Table& table, const MappingRow& row)
{
    if (row.index >= 0 && row.index < table.fields().size()
        && table.fields()[row.index].name.compare(row.field, Qt::CaseInsensitive) == 0)
        return row.index;
    const int index = table.fieldIndex(row.field);
    if (index < 0)
        throw AppError(QStringLiteral("%1: field '%2' not found").arg(table.sourceName(), row.field));
    return index;
}

} // namespace

TableImport::TableImport(tables::Table& source, tables::Table& target, Interaction& interaction)
    : m_source(source), m_target(target), m_interaction(interaction)
{
}

void TableImport::history(const QString& line)
{
    if (onHistory)
        onHistory(line);
}

TableImport::Outcome TableImport::run(const Mapping& sourceRows, const Mapping& targetRows, ImportMode mode)
{
    m_lastHandled = 0;
    m_errors = 0;
    m_failure.clear();
    if (!m_source.isOpen() || !m_target.isOpen())
        throw AppError(QStringLiteral("Both tables must be open to import."));

    // The same file reached by two paths counts too: the replace mode would empty the source.
    if (isSameFile(m_source.path(), m_target.path())) {
        m_interaction.message(QStringLiteral("Zaznaczono dwukrotnie ten sam plik!"),
                              QStringLiteral("uwaga, akcja anulowana"));
        return Outcome::Refused;
    }
    if (m_source.recordCount() == 0) {
        m_interaction.message(QStringLiteral("Brak danych do przeniesienia!"),
                              QStringLiteral("uwaga, akcja anulowana"));
        return Outcome::Refused;
    }
    if (m_target.isReadOnly())
        throw AppError(QStringLiteral("%1: the table is read-only").arg(m_target.sourceName()));

    m_source.first();
    m_target.first(); // stores a record being edited in the grid
    const QVector<Pair> pairs = copiedPairs(sourceRows, targetRows);

    // Asked before anything is deleted, so answering No leaves the target as it was.
    if (!typeCheck(sourceRows, targetRows))
        return Outcome::Cancelled;
    if (onStart)
        onStart();
    if (mode == ImportMode::Replace)
        deleteTargetView();
    if (onProgressRange)
        onProgressRange(m_source.recordCount());
    if (onProgress)
        onProgress(0);

    int from = 0;
    for (;;) {
        const int failed = transfer(pairs, from);
        if (failed < 0)
            break;
        ++m_errors;
        if (!m_interaction.question(QStringLiteral("Kontynuować ?"),
                                    QStringLiteral("BŁĄD - przenoszenie rekordu: %1").arg(failed))) {
            m_target.refresh();
            return Outcome::Cancelled;
        }
        history(QStringLiteral("BŁĄD przenoszenie rekordu: %1").arg(failed));
        history(m_failure);
        from = failed + 1;
        if (!typeCheck(sourceRows, targetRows)) {
            m_target.refresh();
            return Outcome::Cancelled;
        }
    }
    m_target.refresh();
    m_interaction.message(QStringLiteral("Zakończono przesyłanie danych"), QStringLiteral("informacja"));
    history(QString());
    history(QStringLiteral("Liczba błędow: %1").arg(m_errors));
    history(QStringLiteral("Liczba zaimportowanych rekordow: %1").arg(m_target.recordCount()));
    return Outcome::Finished;
}

bool TableImport::typeCheck(const Mapping& sourceRows, const Mapping& targetRows)
{
    const int pairCount = int(qMin(sourceRows.size(), targetRows.size()));
    for (int i = 0; i < pairCount; ++i) {
        const tables::Field& target = m_target.fields()[resolveField(m_target, targetRows[i])];
        if (!target.modifiable || sourceRows[i].skipped || targetRows[i].skipped)
            continue;
        const tables::Field& source = m_source.fields()[resolveField(m_source, sourceRows[i])];
        if (tables::typeCode(source.type) == tables::typeCode(target.type))
            continue;
        const QString text =
            QStringLiteral("Wiersz nr: %1\npola: %2 oraz %3 są niezgodnego typu\nCzy mimo to kontynuować ?")
                .arg(i)
                .arg(source.name, target.name);
        if (!m_interaction.question(text, QStringLiteral("Uwaga: inny rodzaj pola")))
            return false;
    }
    return true;
}

QVector<TableImport::Pair> TableImport::copiedPairs(const Mapping& sourceRows,
                                                    const Mapping& targetRows) const
{
    QVector<Pair> pairs;
    const int pairCount = int(qMin(sourceRows.size(), targetRows.size()));
    for (int i = 0; i < pairCount; ++i) {
        const int target = resolveField(m_target, targetRows[i]);
        const int source = resolveField(m_source, sourceRows[i]);
        if (m_target.fields()[target].modifiable && !sourceRows[i].skipped && !targetRows[i].skipped)
            pairs.push_back({source, target});
    }
    return pairs;
}

void TableImport::deleteTargetView()
{
    ViewEraser::eraseView(m_target);
}

int TableImport::transfer(const QVector<Pair>& pairs, int from)
{
    QStringList columns;
    for (const Pair& pair : pairs)
        columns << tables::quoteIdentifier(m_target.fields()[pair.targetField].name);
    const QString sql =
        columns.isEmpty()
            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_target.sqlName())
            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(m_target.sqlName(), columns.join(QStringLiteral(", ")),
                       QStringList(columns.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
    const QVector<tables::Field>& sourceFields = m_source.fields();
    const QVector<tables::Field>& targetFields = m_target.fields();
    int failed = -1;
    int index = from;
    if (m_target.format() == tables::FileFormat::SQLite) {
        // Room for the whole batch in memory, so pages are written once at the commit.
        m_target.connection().exec(QStringLiteral("PRAGMA main.cache_size = -65536"));
    }
    m_target.beginBulk();
    try {
        SqlStatement insert(m_target.connection(), sql);
        RecordStream::forEach(m_source, from, [&](const QVector<QVariant>& values) {
            if (onProgress)
                onProgress(index);
            try {
                for (int k = 0; k < pairs.size(); ++k) {
                    const Pair& pair = pairs[k];
                    insert.bind(k, ValueConversion::convert(values.value(pair.sourceField),
                                                            sourceFields[pair.sourceField],
                                                            targetFields[pair.targetField], m_target));
                }
                insert.execute();
            } catch (const std::exception& e) {
                // The record is not stored; the engine's message says why.
                insert.reset();
                m_failure = messageOf(e);
                failed = index;
                return false;
            }
            // Reported only once the record is stored.
            m_lastHandled = index;
            if (reportMovedRecords)
                history(QStringLiteral("Pomyślnie przeniesiono Rekord Nr %1").arg(index));
            ++index;
            return true;
        });
    } catch (const std::exception&) {
        // Reading the source failed: keep what was stored and report the failure.
        m_target.commitBulk();
        m_target.refresh();
        throw;
    }
    m_target.commitBulk();
    return failed;
}

} // namespace importer
