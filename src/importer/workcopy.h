#pragma once

#include <QPair>
#include <QString>
#include <QVector>

namespace importer {

// A dBASE or Paradox table worked on through a copy of its files (the table file and every file of the
// same base name beside it: memos, primary index, code page mark). A replace that is killed half-way
// leaves the old table; a dry run leaves nothing.
class WorkCopy {
public:
    // Copies the files into folder (the table's own folder for a replace) under a new base name.
    WorkCopy(const QString& tableFile, const QString& folder);
    ~WorkCopy(); // removes the copy unless it was committed
    WorkCopy(const WorkCopy&) = delete;
    WorkCopy& operator=(const WorkCopy&) = delete;

    QString path() const { return m_path; }
    // The original's file name for a file name of the copy (t.imp1a2b3c.mdx -> t.mdx); other names as given.
    QString originalName(const QString& fileName) const;
    // Renames the copy over the original files (the table file last).
    void commit();

private:
    QString m_path;
    QVector<QPair<QString, QString>> m_files; // copy, original
    bool m_committed = false;
};

} // namespace importer
