#pragma once

#include "importer/mappingrow.h"

#include <QStringList>

namespace tables {
class DataSet;
}

namespace importer {

// How the fields of the two tables are paired. Both faces of the program use these, so the same rule
// gives the same pairs in the windows and on the command line.
enum class PairingRule {
    FieldOrder, // row i of each side is the table's field i
    Sorted,     // each side sorted by name, case-insensitively ("sortuj")
    ByName,     // fields of equal name (case-insensitive) side by side; the rest marked skipped
};

struct Pairing {
    Mapping source;
    Mapping target;

    static Pairing make(const tables::DataSet& source, const tables::DataSet& target, PairingRule rule);
    // One side's rows in field order or sorted (the windows' field list and grid).
    static Mapping side(const tables::DataSet& table, bool sorted);
    // The field names sorted as the Sorted rule sorts them (the filter and SQL windows' field lists).
    static QStringList sortedFieldNames(const tables::DataSet& table);
    // The pairs the import will copy, one line each ("Nazwa -> Name"), then the unpaired fields.
    QStringList describe() const;
};

} // namespace importer
