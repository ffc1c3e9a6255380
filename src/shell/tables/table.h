#pragma once

#include "shell/tables/connection.h"
#include "shell/tables/dataset.h"
#include "shell/tables/tablefilesupport.h"

#include <QHash>

#include <memory>

namespace tables {

class TableFile;

// A table file opened by its path. A native table file is an SQLite database holding one table named
// after the file's base name (towary.db holds towary); dBASE and Paradox files are opened through their
// virtual table modules. The view is the table's records in file order, restricted by the filter text.
class Table : public DataSet {
    Q_OBJECT
public:
    explicit Table(QObject* parent = nullptr);
    ~Table() override;

    // The path of the file, or "file::table" for one of the tables of an SQLite database.
    void setPath(const QString& path) { m_path = path; }
    QString path() const { return m_path; }
    // The file part of the path and the table's own name (after open).
    QString filePath() const { return m_file; }
    QString tableName() const { return m_tableName; }
    // The tables an SQLite file holds, by name; empty for other files.
    static QStringList tableNames(const QString& path);
    void open();
    void open(const QString& path)
    {
        setPath(path);
        open();
    }
    void close() override;

    // Options for dBASE and Paradox files, set before open():
    //  - setCodePage: the code page the file's text is in, overriding the file's own mark: a number
    //    ("852", "1250", "437", "620" for Mazovia) or a name iconv knows ("CP852", "ISO-8859-2"); empty
    //    uses the file's mark. An unknown page makes open() fail.
    //  - setAllowStaleIndexes: a dBASE table with index files beside it (.mdx/.cdx of its name, any
    //    .ndx/.ntx/.idx in its folder) opens read-only unless this is set; then staleIndexFiles() names
    //    the index files once a change has left them out of date.
    //  - setAllowRounding: a number that fits a dBASE field only with fewer decimals is refused unless
    //    this is set; writeCounts() counts both the rounded and the refused ones.
    // After open(), openWarnings() holds what the user should be told although the file opened (no code
    // page mark while bytes above 127 are present, a missing or damaged memo file, a record count that
    // disagrees with the file size), each a sentence naming the file.
    void setCodePage(const QString& codePage) { m_options.codePage = codePage; }
    QString codePage() const { return m_options.codePage; }
    void setAllowStaleIndexes(bool allow) { m_options.allowStaleIndexes = allow; }
    void setAllowRounding(bool allow) { m_options.allowRounding = allow; }
    // Opens the table read-only for this reason whatever the file allows (empty: as the file allows).
    void setReadOnlyReason(const QString& reason) { m_forcedReadOnly = reason; }
    QStringList openWarnings() const;
    QStringList staleIndexFiles() const;
    WriteCounts writeCounts() const;

    // The SQL name of the table inside its connection (for statements the owner builds).
    QString sqlName() const { return m_sqlName; }
    FileFormat format() const { return m_format; }
    bool isReadOnly() const { return m_readOnly; }
    // Why the table cannot be changed (empty when it can).
    QString readOnlyReason() const { return m_readOnlyReason; }

    // Filter text: an SQLite expression over the columns; empty shows every record.
    void setFilter(const QString& filter);
    QString filter() const { return m_filter; }

    // Re-reads the view, keeping the current record where it still is.
    void refresh();
    // Re-reads when another program changed the file since the last look; returns true when it did.
    bool refreshIfChanged();

    // Groups posts into one transaction (bulk work such as an import).
    void beginBulk();
    void commitBulk();
    void rollbackBulk();

    // Creates a native table file with the given fields; throws when the file exists.
    static void create(const QString& path, const QVector<Field>& fields);

    Connection& connection() const { return *m_conn; }

protected:
    QVector<QVariant> fetchRow(qint64 rowId) const override;
    qint64 storeRecord(qint64 rowId, bool isNew, const QVector<QVariant>& values,
                       const QVector<bool>& changed) override;
    void deleteRecord(qint64 rowId) override;
    QVector<qint64> matchRows(int field, const QString& value, bool partialKey) const override;
    QString readOnlyNote() const override
    {
        return m_readOnlyReason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(m_readOnlyReason);
    }

private:
    QVector<qint64> readRowIds(const QString& filter) const;
    QString fileError(const QString& what) const;
    QString fileStamp() const;
    QString readOnlyText() const;
    TableFile* tableFile() const;

    QString m_path;
    QString m_file;
    QString m_tableName;
    QString m_sqlName;
    QString m_filter;
    FileFormat m_format = FileFormat::Missing;
    bool m_readOnly = false;
    QString m_readOnlyReason;
    TableFileOptions m_options;
    QString m_forcedReadOnly;
    QStringList m_openWarnings;
    qint64 m_dataVersion = 0; // SQLite files: changes by other connections
    QString m_stamp;          // other files: size and modification time
    QString m_selectList;
    static constexpr int windowRows = 256;
    mutable QHash<qint64, QVector<QVariant>> m_window; // records of a dBASE or Paradox file read ahead
    std::unique_ptr<Connection> m_conn;
};

} // namespace tables
