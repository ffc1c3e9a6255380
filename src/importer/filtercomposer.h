#pragma once

#include <QString>
#include <QStringList>

namespace tables {
class Table;
}

namespace importer {

// What the filter dialog does with its expression: composing it from entries, applying it to a table
// and removing it again.
class FilterComposer {
public:
    static QStringList operators();
    // The entry appended to the expression, one blank between; nothing else inserted.
    static QString append(const QString& expression, const QString& entry);
    // Sets the table's filter to the expression as it is (empty shows every record); returns the count
    // label's text. Throws the engine's error when the expression does not parse.
    static QString apply(tables::Table& table, const QString& expression);
    static QString remove(tables::Table& table);
};

} // namespace importer
