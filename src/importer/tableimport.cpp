#include "importer/tableimport.h"

#include "importer/recordstream.h"
#include "importer/samefile.h"
#include "importer/sqlstatement.h"
#include "importer/valueconversion.h"
#include "importer/workcopy.h"
#include "shell/error.h"
#include "shell/interaction.h"
#include "shell/tables/table.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <memory>
#include <sqlite3.h>

namespace importer {

namespace {

int resolveField(const tables::Table& table, const MappingRow& row)
{
    if (row.index >= 0 && row.index < table.fields().size()
        && table.fields()[row.index].name.compare(row.field, Qt::CaseInsensitive) == 0)
        return row.index;
    const int index = table.fieldIndex(row.field);
    if (index < 0)
        throw shell::AppError(QStringLiteral("%1: nie ma pola '%2'").arg(table.sourceName(), row.field));
    return index;
}

// Where the records go while the import runs: the target itself, or a copy of its files (a dBASE or
// Paradox target being replaced, or any of them in a dry run). SQLite targets are written in one
// transaction instead.
class Destination {
public:
    Destination(tables::Table& target, bool replace, bool dryRun) : m_target(target), m_dryRun(dryRun)
    {
        m_original = target.path();
        if (target.format() != tables::FileFormat::SQLite && (replace || dryRun)) {
            if (dryRun) {
                m_scratch = std::make_unique<QTemporaryDir>();
                if (!m_scratch->isValid())
                    throw shell::AppError(QStringLiteral("nie można utworzyć folderu tymczasowego"));
            }
            const QString folder = dryRun
                                       ? m_scratch->path()
                                       : QFileInfo(QFileInfo(target.filePath()).canonicalFilePath()).path();
            m_copy = std::make_unique<WorkCopy>(target.filePath(), folder);
            target.close();
            try {
                target.open(m_copy->path());
            } catch (const std::exception&) {
                m_copy.reset();
                target.open(m_original);
                throw;
            }
        }
        if (target.format() == tables::FileFormat::SQLite) {
            // Room for the whole batch in memory, so pages are written once at the commit.
            target.connection().exec(QStringLiteral("PRAGMA main.cache_size = -65536"));
        }
        target.beginBulk();
    }
    ~Destination()
    {
        if (m_open)
            abandon();
    }

    // Stores what was written so far and goes on in a new transaction (before a question).
    void checkpoint()
    {
        if (m_dryRun || m_copy)
            return;
        m_target.commitBulk();
        m_target.beginBulk();
    }
    // keep: the records written count (commit, or the copy replaces the target); else all is undone.
    void finish(bool keep)
    {
        m_open = false;
        keep = keep && !m_dryRun;
        if (m_target.connection().inTransaction()) {
            if (keep)
                m_target.commitBulk();
            else
                m_target.connection().rollback();
        }
        if (m_copy) {
            m_target.close();
            if (keep)
                m_copy->commit();
            m_copy.reset();
            m_target.open(m_original);
        } else {
            m_target.refresh();
        }
    }
    // Index files named by the table being written, as the target's own (a copy's files carry its name).
    QStringList targetNames(QStringList files) const
    {
        if (m_copy)
            for (QString& name : files)
                name = m_copy->originalName(name);
        return files;
    }
    void abandon()
    {
        try {
            finish(false);
        } catch (const std::exception&) {
            // The failure being reported matters more; the target is reopened as it was if it can be.
            m_open = false;
        }
    }

private:
    tables::Table& m_target;
    bool m_dryRun;
    bool m_open = true;
    QString m_original;
    std::unique_ptr<QTemporaryDir> m_scratch;
    std::unique_ptr<WorkCopy> m_copy;
};

} // namespace

TableImport::TableImport(tables::Table& source, tables::Table& target, shell::Interaction& interaction)
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
    m_errors = 0;
    m_stored = 0;
    m_failure.clear();
    m_losses.clear();
    m_warnings.clear();
    if (!m_source.isOpen() || !m_target.isOpen())
        throw shell::AppError(QStringLiteral("Do importu obie tabele muszą być otwarte."));

    // The same file reached by two paths counts too: the replace mode would empty the source.
    if (isSameFile(m_source.filePath(), m_target.filePath())
        && m_source.tableName().compare(m_target.tableName(), Qt::CaseInsensitive) == 0) {
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
        throw shell::AppError(QStringLiteral("%1: tabela jest tylko do odczytu").arg(m_target.sourceName()));

    m_source.first();
    m_target.first(); // stores a record being edited in the grid
    const QVector<Pair> pairs = copiedPairs(sourceRows, targetRows);

    // Asked before anything is deleted, so answering No leaves the target as it was.
    if (!typeCheck(sourceRows, targetRows))
        return Outcome::Cancelled;
    if (onStart)
        onStart();

    const int countBefore = m_target.recordCount();
    Destination destination(m_target, mode == ImportMode::Replace, dryRun);
    if (mode == ImportMode::Replace)
        deleteTargetView();
    if (onProgressRange)
        onProgressRange(m_source.recordCount());
    if (onProgress)
        onProgress(0);
    Outcome outcome;
    try {
        outcome = copyRecords(sourceRows, targetRows, pairs, [&] { destination.checkpoint(); });
    } catch (const std::exception&) {
        // Reading the source failed: appended records stay stored, a replaced target stays as it was.
        destination.finish(mode == ImportMode::Append);
        throw;
    }
    if (outcome == Outcome::Cancelled) {
        destination.finish(true); // what was stored stays stored
        return outcome;
    }
    // The target's own failure may have left a copy half-written: an SQLite target keeps what it
    // committed, a copy of other files is dropped with the old table kept.
    // Read before the destination lets go of a copy: the counts are the copy's.
    const tables::WriteCounts counts = m_target.writeCounts();
    const QStringList stale = destination.targetNames(m_target.staleIndexFiles());
    destination.finish(outcome == Outcome::Finished || m_target.format() == tables::FileFormat::SQLite);
    if (counts.rounded > 0)
        m_warnings << QStringLiteral("liczby zaokrąglone do miejsc dziesiętnych pól: %1").arg(counts.rounded);
    if (!stale.isEmpty() && !dryRun)
        m_warnings << QStringLiteral("pliki indeksów są teraz nieaktualne: %1")
                          .arg(stale.join(QStringLiteral(", ")));
    if (outcome == Outcome::Stopped) {
        // What the target really kept (a full disk may have undone the whole transaction); every
        // other record counts as failed.
        m_stored = dryRun ? m_stored
                          : qMax(0, m_target.recordCount() - (mode == ImportMode::Append ? countBefore : 0));
        m_errors = m_source.recordCount() - m_stored;
        history(QStringLiteral("Przerwano: cel nie przyjmuje rekordów z tej samej przyczyny; nie zapisano %1")
                    .arg(m_errors));
    }
    if (outcome == Outcome::Finished && !dryRun)
        m_interaction.message(QStringLiteral("Zakończono przesyłanie danych"), QStringLiteral("informacja"));
    history(QString());
    history(QStringLiteral("Liczba błędow: %1").arg(m_errors));
    if (dryRun)
        history(QStringLiteral("Rekordy, które zostałyby zapisane: %1").arg(m_stored));
    else
        history(QStringLiteral("Liczba zaimportowanych rekordow: %1").arg(m_target.recordCount()));
    for (const QString& warning : std::as_const(m_warnings))
        history(QStringLiteral("Uwaga: ") + warning);
    if (!m_losses.isEmpty()) {
        history(dryRun ? QStringLiteral("Cel odrzuciłby:") : QStringLiteral("Cel odrzucił:"));
        for (const QString& line : m_losses.lines())
            history(line);
    }
    return outcome;
}

TableImport::Outcome TableImport::copyRecords(const Mapping& sourceRows, const Mapping& targetRows,
                                              const QVector<Pair>& pairs,
                                              const std::function<void()>& beforeQuestion)
{
    int from = 0;
    for (;;) {
        const int failed = transfer(pairs, from);
        if (failed < 0)
            return Outcome::Finished;
        ++m_errors;
        if (targetFailed()) {
            history(QStringLiteral("BŁĄD przenoszenie rekordu: %1").arg(failed));
            history(m_failure);
            return Outcome::Stopped;
        }
        beforeQuestion();
        if (!m_interaction.question(QStringLiteral("Kontynuować ?"),
                                    QStringLiteral("BŁĄD - przenoszenie rekordu: %1").arg(failed)))
            return Outcome::Cancelled;
        history(QStringLiteral("BŁĄD przenoszenie rekordu: %1").arg(failed));
        history(m_failure);
        from = failed + 1;
        if (!typeCheck(sourceRows, targetRows))
            return Outcome::Cancelled;
    }
}

bool TableImport::targetFailed() const
{
    if (!QFileInfo::exists(m_target.filePath()))
        return true;
    switch (sqlite3_extended_errcode(m_target.connection().handle()) & 0xff) {
    case SQLITE_FULL:
    case SQLITE_IOERR:
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return true;
    default:
        return false;
    }
}

bool TableImport::typeCheck(const Mapping& sourceRows, const Mapping& targetRows)
{
    if (!askTypeQuestions)
        return true;
    const int pairCount = int(qMin(sourceRows.size(), targetRows.size()));
    for (int i = 0; i < pairCount; ++i) {
        const tables::Field& target = m_target.fields()[resolveField(m_target, targetRows[i])];
        if (!target.modifiable || sourceRows[i].skipped || targetRows[i].skipped)
            continue;
        const tables::Field& source = m_source.fields()[resolveField(m_source, sourceRows[i])];
        // Kinds, not declared types: text into text never asks, whatever the sizes.
        if (kindOf(source.type) == kindOf(target.type))
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
    // Inside the destination's transaction: committed only with the new records.
    QString sql = QStringLiteral("DELETE FROM %1").arg(m_target.sqlName());
    if (!m_target.filter().trimmed().isEmpty())
        sql += QStringLiteral(" WHERE (%1)").arg(m_target.filter());
    try {
        m_target.connection().run(sql);
    } catch (const shell::AppError& e) {
        throw shell::AppError(QStringLiteral("%1: %2").arg(m_target.sourceName(), e.message()));
    }
}

int TableImport::transfer(const QVector<Pair>& pairs, int from)
{
    QStringList columns;
    for (const Pair& pair : pairs)
        columns << tables::quoteIdentifier(m_target.fields()[pair.targetField].name);
    const QVector<tables::Field>& sourceFields = m_source.fields();
    const QVector<tables::Field>& targetFields = m_target.fields();
    int failed = -1;
    int index = from;
    SqlStatement insert(m_target.connection(), tables::insertStatement(m_target.sqlName(), columns));
    // Pairs of the same type take the value as SQLite holds it, without a trip through QVariant; only a
    // text longer in bytes than its alpha field has characters to count.
    QVector<bool> direct(pairs.size());
    for (int k = 0; k < pairs.size(); ++k)
        direct[k] = tables::typeCode(sourceFields[pairs[k].sourceField].type)
                    == tables::typeCode(targetFields[pairs[k].targetField].type);
    SqlStatement reader(m_source.connection(), RecordStream::selectSql(m_source, from));
    for (;; ++index) {
        if (!reader.step())
            break;
        if (onProgress)
            onProgress(index);
        try {
            for (int k = 0; k < pairs.size(); ++k) {
                const Pair& pair = pairs[k];
                const tables::Field& to = targetFields[pair.targetField];
                if (direct[k]
                    && (to.type != tables::FieldType::Alpha || to.size <= 0
                        || reader.columnBytes(pair.sourceField) <= to.size)) {
                    insert.bindColumn(k, reader, pair.sourceField);
                    continue;
                }
                insert.bind(k, ValueConversion::convert(reader.column(pair.sourceField),
                                                        sourceFields[pair.sourceField], to, m_target));
            }
            insert.execute();
        } catch (const std::exception& e) {
            // The record is not stored; the engine's message says why.
            insert.reset();
            m_failure = shell::messageOf(e);
            QString field;
            const LossReport::Reason reason = LossReport::reasonOf(m_failure, &field);
            m_losses.add(reason, field, index, m_failure);
            if (dryRun && !targetFailed()) {
                // A dry run asks nothing: it counts and goes on.
                ++m_errors;
                continue;
            }
            failed = index;
            break;
        }
        ++m_stored;
        // Reported only once the record is stored.
        if (reportMovedRecords)
            history(QStringLiteral("Pomyślnie przeniesiono Rekord Nr %1").arg(index));
    }
    return failed;
}

} // namespace importer
