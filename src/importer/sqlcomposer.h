#pragma once

#include <QString>
#include <QStringList>

namespace importer {

// The entries of the SQL page and what a click on them inserts into the statement.
class SqlComposer {
public:
    static QStringList operators();
    static QStringList keywords();
    // The text inserted at the cursor for an entry: the entry and a blank; "FROM" adds the quoted path
    // of the source table file (apostrophes doubled so the statement still parses).
    static QString insertion(const QString& entry, const QString& sourcePath);
    // The statement after a file name is appended to it.
    static QString appendFileName(const QString& statement, const QString& fileName);
};

} // namespace importer
