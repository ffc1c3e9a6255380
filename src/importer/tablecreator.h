#pragma once

#include "shell/tables/fieldtype.h"

#include <QStringList>
#include <QVector>

namespace tables {
class Table;
}

namespace importer {

// Makes a new target table from the fields of a source, so a copy needs no table made by hand first.
class TableCreator {
public:
    enum class Format { Native, DBase, Paradox };

    // By extension: .dbf a dBASE table; .db, .sqlite, .sqlite3, .db3 a native table named after the file.
    // formatName ("sqlite", "dbase", "paradox") overrides; throws on anything else.
    static Format formatFor(const QString& path, const QString& formatName = {});

    // Creates the table (throws when the file exists or cannot be made; nothing is left behind then).
    // codePage: a dBASE table's code page ("852", "CP1250"...), UTF-8 when empty; it is named in a .cpg
    // file beside the table. A Paradox table (Paradox 7, unkeyed, names of up to 25 characters) records
    // its code page in its header: Windows-1250 when empty, or any with a Windows or DOS number. Returns the
    // created fields; *renamed receives "Old -> New" for every name the format made shorter. longest: per
    // field the longest text the source holds, in UTF-8 bytes (see longestTexts); a dBASE text field is made
    // as wide as that, and a memo only for texts over 254 bytes (GIS tools read no memos; Paradox: over 255).
    static QVector<tables::Field> create(const QString& path, const QVector<tables::Field>& sourceFields,
                                         Format format, const QByteArray& codePage = {},
                                         QStringList* renamed = nullptr, const QVector<int>& longest = {});
    // The longest text of every text field of a table's view (0 for other fields).
    static QVector<int> longestTexts(const tables::Table& table);
    // Removes a created table with every file it made.
    static void remove(const QString& path, Format format);

    // Names cut to maxLength characters and kept unique without regard to case: the clash gets a number
    // at its end (SupportRepId -> SupportRep, then SupportRe1).
    static QStringList shortNames(const QStringList& names, int maxLength);
};

} // namespace importer
