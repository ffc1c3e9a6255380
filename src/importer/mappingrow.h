#pragma once

#include <QString>
#include <QVector>

namespace importer {

// One row of a side's mapping grid: the field it names and whether it is marked "pomiń".
struct MappingRow {
    QString field;
    bool skipped = false;
    int index = -1; // position in the table's field list (names may repeat in dBASE files); -1: by name
};

using Mapping = QVector<MappingRow>;

// The skip marker's text.
inline QString skipMarker()
{
    return QStringLiteral("pomiń");
}

} // namespace importer
