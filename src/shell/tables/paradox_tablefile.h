#pragma once

#include "shell/tables/codepage.h"
#include "shell/tables/paradox_blobfile.h"
#include "shell/tables/tablefilemodule.h"

#include <QFile>

#include <memory>

namespace tables {

// A Paradox 3 to 7 table, read and written here with pxlib's definitions of the format. pxlib's own
// readers are not used: its header reader loops forever on some damaged headers, it reports empty
// fields as zero and its blob reader crashes. A table that cannot be changed safely (keyed, secondary
// indexes, blob fields, inconsistent header) opens read-only and says why.
class ParadoxTableFile : public TableFile {
public:
    // options: an optional code page that overrides the file's own.
    ParadoxTableFile(const QString& path, const QStringList& options);
    ~ParadoxTableFile() override;

    static std::unique_ptr<TableFile> open(const QString& path, const QStringList& options);
    // The check of the first bytes of a file, as format detection needs it.
    static bool looksLikeTable(const QByteArray& head, qint64 fileSize);

    QString displayPath() const override;
    QVector<FileColumn> columns() const override;
    qint64 rowLimit() const override { return m_rows.size(); }
    bool readRow(qint64 row, QByteArray& buffer) override;
    void resultColumn(const QByteArray& record, int column, sqlite3_context* ctx) override;
    QString readOnlyReason() const override { return m_readOnlyReason; }
    void updateRow(qint64 row, sqlite3_value** values) override;
    qint64 insertRow(sqlite3_value** values) override;
    void deleteRow(qint64 row) override;

private:
    struct FieldInfo {
        QString name;
        int type = 0;
        int size = 0;     // bytes in the record
        int decimals = 0; // BCD
        int offset = 0;
        Field field;
    };
    struct Block {
        int number = 0;
        int next = 0;
        int previous = 0;
        int records = 0;
    };

    [[noreturn]] void fail(const QString& what) const;
    void readHeader();
    void walkBlocks();
    void decideWritable(const QStringList& options);
    qint64 blockOffset(int block) const;
    qint64 checkedRecordOffset(qint64 row) const;
    void encodeValues(QByteArray& record, sqlite3_value** values, bool isNew);
    void writeAt(qint64 offset, const QByteArray& bytes);
    void writeBlockHeader(const Block& block);
    void writeHeaderWord(int at, quint16 value);
    void writeHeaderLong(int at, quint32 value);
    void flush();
    // Refuses to write when another program (or another open table) changed the file's layout since
    // this one looked: the record positions held here would be wrong.
    void checkUnchangedByOthers();

    QString m_path;
    QFile m_file;
    std::shared_ptr<const CodePage> m_codePage;
    std::unique_ptr<ParadoxBlobFile> m_blobs;
    QVector<FieldInfo> m_fields;
    QByteArray m_header;
    int m_recordSize = 0;
    int m_headerSize = 0;
    int m_fileType = 0;
    int m_blockSize = 0;
    int m_version = 0;
    int m_fileBlocks = 0;
    int m_usedBlocks = 0;
    int m_firstBlock = 0;
    int m_lastBlock = 0;
    int m_firstFreeBlock = 0;
    int m_keyFields = 0;
    int m_codePageNumber = 0;
    qint64 m_headerRecords = 0;
    qint32 m_autoIncrement = 0;
    bool m_hasBlobFields = false;
    QVector<Block> m_blocks; // the chain, in order
    QVector<qint64> m_rows;  // file offset of each row's record; -1 once deleted
    QString m_readOnlyReason;
    qint64 m_expectedSize = 0;
};

} // namespace tables
