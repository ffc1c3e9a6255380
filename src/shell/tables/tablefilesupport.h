#pragma once

#include <QString>
#include <QStringList>

// What the dBASE and Paradox modules share: finding companion files, naming the file in messages, and
// the options an opener is given after the path.
namespace tables {

// A path as messages show it.
QString nativePath(const QString& path);

// A companion file of a table (same base name, another extension), whatever the case of the extension;
// empty when there is none.
QString companionFile(const QString& tablePath, const QString& extension);

// Whether this program may write a table file. The check can be replaced: root may write any file, so a
// test cannot make one read-only by its permissions alone.
bool isWritableFile(const QString& path);
using WritableCheck = bool (*)(const QString& path);
void setWritableCheck(WritableCheck check); // nullptr: the file system's answer again

// Throws AppError "path: what".
[[noreturn]] void failFile(const QString& path, const QString& what);

// Throws the error given when another program changed a table file since it was opened here, so that a
// write of ours would overwrite its work.
[[noreturn]] void failChangedByAnotherProgram(const QString& path);

// The options of a table file module, as SQL arguments after the path:
//   USING dbase('/p/t.dbf', '852', 'allow-stale-indexes', 'allow-rounding')
// The first is the code page chosen by the user (empty: the file's own mark); the rest are words.
struct TableFileOptions {
    QString codePage;
    bool allowStaleIndexes = false; // write although index files beside the table will not follow
    bool allowRounding = false;     // store numbers rounded to the field's decimals instead of refusing

    // Throws AppError on a word it does not know.
    static TableFileOptions parse(const QStringList& arguments);
    // As SQL string literals, ready to follow the quoted path.
    QStringList toSqlArguments() const;
};

// Counts of the values that did not go into a file as they were given, since it was opened.
struct WriteCounts {
    qint64 rounded = 0;         // numbers stored with fewer decimals (rounding allowed)
    qint64 refusedRounding = 0; // numbers refused because they fit only rounded
    qint64 refusedCodePage = 0; // texts refused because the file's code page lacks a character
};

} // namespace tables
