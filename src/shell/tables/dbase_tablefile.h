#pragma once

#include "shell/tables/codepage.h"
#include "shell/tables/dbase_header.h"
#include "shell/tables/dbase_memofile.h"
#include "shell/tables/tablefilemodule.h"

#include <QFile>

#include <memory>

namespace tables {

// A dBASE II to 7, FoxPro or Visual FoxPro table, read in blocks of records and written record by
// record, with its memo file. Opening never writes: the file is opened for writing at the first change.
// Reading is in dbase_tablefile.cpp, writing in dbase_writer.cpp, the header in dbase_header.cpp and the
// field codecs in dbase_values.cpp.
class DbaseTableFile : public TableFile {
public:
    // arguments: see TableFileOptions.
    DbaseTableFile(const QString& path, const QStringList& arguments);
    ~DbaseTableFile() override;

    static std::unique_ptr<TableFile> open(const QString& path, const QStringList& arguments);

    QVector<FileColumn> columns() const override;
    qint64 rowLimit() const override { return m_records; }
    void beginScan() override;
    bool readRow(qint64 row, QByteArray& buffer) override;
    void resultColumn(const QByteArray& record, int column, sqlite3_context* ctx) override;
    QString readOnlyReason() const override { return m_readOnlyReason; }
    void updateRow(qint64 row, sqlite3_value** values) override;
    qint64 insertRow(sqlite3_value** values) override;
    void deleteRow(qint64 row) override;
    QStringList warnings() const override { return m_warnings; }
    QStringList staleIndexes() const override { return m_changed ? m_indexFiles : QStringList(); }
    WriteCounts writeCounts() const override { return m_counts; }

private:
    struct PendingMemo {
        int field;
        QByteArray data;
        bool binary;
    };

    struct FileStamp {
        qint64 size;
        qint64 modified;
    };
    FileStamp fileStamp() const;
    void chooseCodePage(const QString& choice);
    void checkRecordCount(qint64 fileSize);
    void findIndexFiles(bool allowStale);
    void openMemoFile();
    void warnAboutMissingCodePage();
    void setReadOnly(const QString& reason);
    void memoDamaged(const QString& message);
    QByteArray readRecord(qint64 row);
    bool isNull(const char* record, const dbase::FieldLayout& f) const;
    static bool bit(const char* record, int flagsOffset, int bit);

    // dbase_writer.cpp
    void encodeValues(QByteArray& record, sqlite3_value** values, bool isNew, QVector<PendingMemo>& memos);
    void encodeField(QByteArray& record, int index, sqlite3_value* v, QVector<PendingMemo>& memos);
    void writeMemos(QByteArray& record, const QVector<PendingMemo>& memos);
    void prepareWrite();
    void writeAt(qint64 offset, const QByteArray& bytes);
    void writeRecord(qint64 row, const QByteArray& record);
    void writeHeaderCounters(qint64 records);
    void assignAutoIncrement(QByteArray& record);
    int nextValueOffset(const dbase::FieldLayout& f) const;
    qint64 recordCountIn(const QByteArray& header) const;

    QString m_path;
    QFile m_file; // read-only until the first change
    dbase::Header m_header;
    QByteArray m_headerBytes;
    qint64 m_records = 0;
    qint64 m_fileSize = 0; // as this object last saw or left it
    qint64 m_modified = 0; // nanoseconds
    QByteArray m_encodedPath;
    std::shared_ptr<const CodePage> m_codePage;
    std::unique_ptr<DbaseMemoFile> m_memo;
    QVector<Field> m_engineFields;
    QString m_readOnlyReason;
    QStringList m_warnings;
    QStringList m_indexFiles;
    WriteCounts m_counts;
    bool m_allowRounding = false;
    bool m_noCodePageMark = false;
    bool m_changed = false;
    bool m_memoWarned = false;
    qint64 m_writingRow = 0; // named in refusals

    // A block of records read ahead, so a scan reads the file in large pieces.
    QByteArray m_block;
    qint64 m_blockFirst = 0; // row of the block's first record
    qint64 m_blockRows = 0;
};

} // namespace tables
