#pragma once

#include "shell/tables/codepage.h"
#include "shell/tables/paradox_blobfile.h"
#include "shell/tables/paradox_index.h"
#include "shell/tables/tablefilemodule.h"

#include <QFile>

#include <memory>

namespace tables {

// A Paradox 3 to 7 table, read and written here (pxlib's readers are not used: its header reader loops
// forever on some damaged headers, it reports empty fields as zero and its blob reader crashes). Keyed
// tables keep their records in key order across the data blocks and get their primary index (.PX)
// rewritten after every change; memo and blob fields are written to the .MB file. A table that cannot be
// changed safely (secondary indexes, inconsistent header, records out of key order) opens read-only and
// says why.
class ParadoxTableFile : public TableFile {
public:
    // arguments: the module's options (see TableFileOptions).
    ParadoxTableFile(const QString& path, const QStringList& options);
    ~ParadoxTableFile() override;

    static std::unique_ptr<TableFile> open(const QString& path, const QStringList& options);
    // The check of the first bytes of a file, as format detection needs it.
    static bool looksLikeTable(const QByteArray& head, qint64 fileSize);

    QStringList staleIndexes() const override { return m_changed ? m_secondaryIndexes : QStringList(); }
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
        QVector<qint64> rows; // the rows it holds, in record order
        QByteArray firstKey;  // keyed tables, once the key order is checked
    };

    [[noreturn]] void failField(const FieldInfo& f, const QString& what) const;
    void readHeader();
    void walkBlocks();
    void decideWritable();
    qint64 blockOffset(int block) const;
    qint64 checkedRecordOffset(qint64 row) const;
    int chainIndexOfRow(qint64 row) const;

    // Writing (paradox_writer.cpp).
    void encodeValues(QByteArray& record, sqlite3_value** values, bool isNew, QVector<QByteArray>& newBlobs,
                      QVector<QByteArray>& oldBlobs);
    void encodeField(const FieldInfo& f, char* raw, sqlite3_value* v, QVector<QByteArray>& newBlobs,
                     QVector<QByteArray>& oldBlobs);
    void releaseBlobs(const QVector<QByteArray>& fields);
    QByteArray keyOf(const QByteArray& record) const { return record.left(m_keySize); }
    void checkKeyOrder();
    // Where a record of the key belongs: the block (chain index) and the position in it; throws when a
    // record other than exceptRow holds the key already.
    QPair<int, int> keyPosition(const QByteArray& key, qint64 exceptRow);
    QByteArray readBlock(int number);
    void writeBlock(const Block& block, const QByteArray& records);
    void placeRows(const Block& block);
    void placeRecord(const QByteArray& record, qint64 row);
    void removeRecord(qint64 row);
    int takeFreeBlock();
    void writeAt(qint64 offset, const QByteArray& bytes);
    void writeBlockHeader(const Block& block);
    void writeHeaderWord(int at, quint16 value);
    void writeHeaderLong(int at, quint32 value);
    void writeLayout();
    void writeIndex();
    void flush();
    // Refuses to write when another program (or another open table) changed the file's layout since
    // this one looked: the record positions held here would be wrong.
    void checkUnchangedByOthers();

    QString m_path;
    QFile m_file;
    std::shared_ptr<const CodePage> m_codePage;
    std::unique_ptr<ParadoxBlobFile> m_blobs;
    std::unique_ptr<ParadoxPrimaryIndex> m_index;
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
    int m_keySize = 0;
    int m_codePageNumber = 0;
    int m_fieldInfoStart = 0;
    qint64 m_headerRecords = 0;
    qint32 m_autoIncrement = 0;
    bool m_hasBlobFields = false;
    bool m_keyOrderChecked = false;
    bool m_allowStaleIndexes = false;
    bool m_changed = false;
    QStringList m_secondaryIndexes; // left out of date by changes, as the user allowed
    QVector<Block> m_blocks;        // the chain, in order
    QVector<qint64> m_rows;         // file offset of each row's record; -1 once deleted
    QString m_readOnlyReason;
    qint64 m_expectedSize = 0;
};

} // namespace tables
