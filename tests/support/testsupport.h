#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <ostream>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os)
{
    *os << "{ ";
    for (const QString& s : l)
        *os << '"' << s.toStdString() << "\" ";
    *os << '}';
}

namespace testsupport {

// Folder of the repository's test fixtures.
QString fixturesDir();
// Folder of the shared real-world dBASE and Paradox tables (read-only: copy before writing).
QString sharedTablesDir();
// Copies a shared table (and its companion files of the same base name) into dir; returns the new path.
QString copySharedTable(const QString& fileName, const QString& dir);
// Writes bytes to a file, creating folders; fails the test on error.
void writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);

} // namespace testsupport
