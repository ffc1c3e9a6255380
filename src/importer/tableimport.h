#pragma once

#include "importer/lossreport.h"
#include "importer/mappingrow.h"

#include <QString>
#include <functional>

namespace shell {
class Interaction;
}

namespace tables {
class Table;
}

namespace importer {

enum class ImportMode {
    Append,  // "Importuj dane nie usuwając starych danych"
    Replace, // "Importuj dane usuwając stare dane"
};

// Moves the records of the source table's view into the target table, pairing row i of the source
// mapping with row i of the target mapping. Questions and messages go through the interaction; history
// lines and progress through the callbacks.
// An SQLite target is written in one transaction: in the append mode committed before every question
// after a failed record and at the end, so what was stored stays stored; in the replace mode the delete
// and the copy are committed together at the end (old records or new ones, never none). A dBASE or
// Paradox target is replaced through a copy of its files renamed over them at the end.
class TableImport {
public:
    enum class Outcome {
        Refused,   // a check failed before anything was touched
        Cancelled, // a question was answered No
        Stopped,   // the target refused a record for a reason every remaining one would meet too
        Finished,
    };

    TableImport(tables::Table& source, tables::Table& target, shell::Interaction& interaction);

    std::function<void()> onStart; // the history is emptied, progress begins
    std::function<void(int maximum)> onProgressRange;
    std::function<void(int position)> onProgress; // the source record being moved
    std::function<void(const QString& line)> onHistory;
    // Off: the line of every moved record is left out of the history (the command line shows errors
    // and the summary only).
    bool reportMovedRecords = true;
    // Every conversion and every write is tried, on a copy nobody keeps: the target stays as it was,
    // refused records are counted without questions and the loss report tells what would be lost.
    bool dryRun = false;
    // Off when the question has no point: a source that carries no types (a CSV file, every value
    // converted or refused record by record) or a target made from the source's own fields.
    bool askTypeQuestions = true;

    Outcome run(const Mapping& sourceRows, const Mapping& targetRows, ImportMode mode);

    int errorCount() const { return m_errors; }
    // Records stored (in a dry run: that would be stored).
    int storedCount() const { return m_stored; }
    // What the user should know although the copy went on: index files left stale, numbers rounded.
    QStringList warnings() const { return m_warnings; }

private:
    struct Pair {
        int sourceField;
        int targetField;
    };
    bool typeCheck(const Mapping& sourceRows, const Mapping& targetRows);
    QVector<Pair> copiedPairs(const Mapping& sourceRows, const Mapping& targetRows) const;
    void deleteTargetView();
    Outcome copyRecords(const Mapping& sourceRows, const Mapping& targetRows, const QVector<Pair>& pairs,
                        const std::function<void()>& beforeQuestion);
    // Returns the number of the failed source record, or -1 when every record was moved.
    int transfer(const QVector<Pair>& pairs, int from);
    // True when the failure of the last record is the target's own (disk full, file gone, read-only):
    // every remaining record would fail the same way.
    bool targetFailed() const;
    void history(const QString& line);

    tables::Table& m_source;
    tables::Table& m_target;
    shell::Interaction& m_interaction;
    int m_errors = 0;
    int m_stored = 0;
    QString m_failure;
    LossReport m_losses;
    QStringList m_warnings;
};

} // namespace importer
