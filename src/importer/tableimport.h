#pragma once

#include "importer/mappingrow.h"

#include <QString>
#include <functional>

class Interaction;

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
// lines and progress through the callbacks. Records are stored in transactions that are committed
// before every question after a failed record and at the end, so what was stored stays stored.
class TableImport {
public:
    enum class Outcome {
        Refused,   // a check failed before anything was touched
        Cancelled, // a question was answered No
        Finished,
    };

    TableImport(tables::Table& source, tables::Table& target, Interaction& interaction);

    std::function<void()> onStart; // the history is emptied, progress begins
    std::function<void(int maximum)> onProgressRange;
    std::function<void(int position)> onProgress; // the source record being moved
    std::function<void(const QString& line)> onHistory;
    // Off: the line of every moved record is left out of the history (the command line shows errors
    // and the summary only).
    bool reportMovedRecords = true;

    Outcome run(const Mapping& sourceRows, const Mapping& targetRows, ImportMode mode);

    int errorCount() const { return m_errors; }
    int lastHandled() const { return m_lastHandled; }

private:
    struct Pair {
        int sourceField;
        int targetField;
    };
    bool typeCheck(const Mapping& sourceRows, const Mapping& targetRows);
    QVector<Pair> copiedPairs(const Mapping& sourceRows, const Mapping& targetRows) const;
    void deleteTargetView();
    // Returns the number of the failed source record, or -1 when every record was moved.
    int transfer(const QVector<Pair>& pairs, int from);
    void history(const QString& line);

    tables::Table& m_source;
    tables::Table& m_target;
    Interaction& m_interaction;
    int m_errors = 0;
    int m_lastHandled = 0;
    QString m_failure;
};

} // namespace importer
