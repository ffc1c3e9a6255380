#include "shell/tables/paradox_tablefile.h"

#include "shell/tables/messages.h"

#include "shell/error.h"
#include "shell/tables/paradox_format.h"
#include "shell/tables/paradox_values.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>

#include <sqlite3.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace tables {

using namespace paradox;

namespace {

// Bytes a field of a type takes in the record; 0 for a type or size that is not valid.
int storedSize(int type, int size)
{
    switch (type) {
    case Alpha:
        return size >= 1 ? size : 0;
    case Date:
    case Long:
    case Time:
    case AutoInc:
        return size == 4 ? 4 : 0;
    case Short:
        return size == 2 ? 2 : 0;
    case Currency:
    case Number:
    case Timestamp:
        return size == 8 ? 8 : 0;
    case Logical:
        return size == 1 ? 1 : 0;
    case MemoBlob:
    case Blob:
    case FmtMemoBlob:
    case Ole:
    case Graphic:
        return size >= 10 ? size : 0;
    case Bcd:
        return size <= 32 ? 17 : 0; // the size byte holds the decimals
    case Bytes:
        return size >= 1 ? size : 0;
    default:
        return 0;
    }
}

FieldType engineType(int type)
{
    switch (type) {
    case Alpha:
        return FieldType::Alpha;
    case Date:
        return FieldType::Date;
    case Short:
        return FieldType::SmallInt;
    case Long:
        return FieldType::Integer;
    case Currency:
        return FieldType::Money;
    case Number:
        return FieldType::Number;
    case Logical:
        return FieldType::Logical;
    case MemoBlob:
        return FieldType::Memo;
    case FmtMemoBlob:
        return FieldType::FormattedMemo;
    case Graphic:
        return FieldType::Graphic;
    case Time:
        return FieldType::Time;
    case Timestamp:
        return FieldType::Timestamp;
    case AutoInc:
        return FieldType::AutoInc;
    case Bcd:
        return FieldType::Bcd;
    case Bytes:
        return FieldType::Bytes;
    default:
        return FieldType::Binary; // binary and OLE
    }
}

} // namespace

std::unique_ptr<TableFile> ParadoxTableFile::open(const QString& path, const QStringList& options)
{
    return std::make_unique<ParadoxTableFile>(path, options);
}

bool ParadoxTableFile::looksLikeTable(const QByteArray& head, qint64 fileSize)
{
    if (head.size() < 0x58 || fileSize < 0x58)
        return false;
    const auto* h = reinterpret_cast<const uchar*>(head.constData());
    const int recordSize = qFromLittleEndian<quint16>(h + hRecordSize);
    const int headerSize = qFromLittleEndian<quint16>(h + hHeaderSize);
    const int fileType = h[hFileType];
    const int maxTableSize = h[hMaxTableSize];
    const int fields = qFromLittleEndian<quint16>(h + hFieldCount);
    const int version = h[hVersion];
    return recordSize > 0 && headerSize >= 0x58 && headerSize <= fileSize && (fileType == 0 || fileType == 2)
           && ((maxTableSize >= 1 && maxTableSize <= 4) || maxTableSize == 8 || maxTableSize == 16
               || maxTableSize == 32)
           && fields >= 1 && fields <= 255 && version >= 3 && version <= 12;
}

ParadoxTableFile::ParadoxTableFile(const QString& path, const QStringList& arguments)
    : TableFile(path), m_path(path), m_file(path)
{
    TableFileOptions options;
    try {
        options = TableFileOptions::parse(arguments);
    } catch (const shell::AppError& e) {
        fail(e.message());
    }
    m_allowStaleIndexes = options.allowStaleIndexes;
    const bool writable = isWritableFile(path);
    // Unbuffered: what another program wrote meanwhile must not hide behind a read buffer.
    if (!m_file.open((writable ? QIODevice::ReadWrite : QIODevice::ReadOnly) | QIODevice::Unbuffered))
        fail(msg("the file cannot be opened (%1)").arg(m_file.errorString()));
    readHeader();
    walkBlocks();
    m_expectedSize = m_file.size();

    QByteArray codePage;
    if (!options.codePage.isEmpty()) {
        try {
            codePage = CodePage::fromUserChoice(options.codePage);
        } catch (const shell::AppError& e) {
            fail(e.message());
        }
    }
    if (codePage.isEmpty())
        codePage = CodePage::fromWindowsNumber(m_codePageNumber);
    if (codePage.isEmpty())
        codePage = paradoxFallbackCodePage();
    try {
        m_codePage = CodePage::byName(codePage);
    } catch (const shell::AppError& e) {
        fail(e.message());
    }

    // Field names are stored in the table's code page; they follow the table name in the header.
    int at = m_fieldInfoStart + 2 * m_fields.size() + 4 + 4 * m_fields.size() + (m_version >= 12 ? 261 : 79);
    for (FieldInfo& f : m_fields) {
        const int end = m_header.indexOf('\0', at);
        f.name = m_codePage->decode(m_header.constData() + at, end - at);
        f.field.name = f.name;
        at = end + 1;
    }

    if (!writable)
        m_readOnlyReason = msg("the file is read-only");
    decideWritable();
    if (m_hasBlobFields) {
        const QString blobPath = companionFile(path, QStringLiteral("mb"));
        if (blobPath.isEmpty())
            fail(msg("the table has memo or blob fields but its blob file (%1.MB) is missing")
                     .arg(QFileInfo(path).completeBaseName()));
        if (m_readOnlyReason.isEmpty() && !isWritableFile(blobPath))
            m_readOnlyReason = msg("its blob file %1 is read-only").arg(QFileInfo(blobPath).fileName());
        m_blobs = std::make_unique<ParadoxBlobFile>(blobPath, m_readOnlyReason.isEmpty());
    }
    if (m_readOnlyReason.isEmpty() && m_keyFields > 0) {
        QString indexPath = companionFile(path, QStringLiteral("px"));
        if (indexPath.isEmpty())
            indexPath = QFileInfo(path).path() + QLatin1Char('/') + QFileInfo(path).completeBaseName()
                        + QStringLiteral(".PX");
        m_index = std::make_unique<ParadoxPrimaryIndex>(indexPath, m_header, m_fieldInfoStart, m_keyFields,
                                                        m_keySize);
    }
    if (!m_readOnlyReason.isEmpty())
        m_readOnlyReason = QStringLiteral("%1: %2").arg(displayPath(), m_readOnlyReason);
    for (FieldInfo& f : m_fields)
        f.field.modifiable = m_readOnlyReason.isEmpty() && f.type != AutoInc;
}

ParadoxTableFile::~ParadoxTableFile() = default;

void ParadoxTableFile::failField(const FieldInfo& f, const QString& what) const
{
    fail(msg("field %1: %2").arg(f.name, what));
}

void ParadoxTableFile::readHeader()
{
    const qint64 fileSize = m_file.size();
    QByteArray head = m_file.read(0x80);
    if (head.size() < 0x58)
        fail(msg("the file is too short to be a Paradox table"));
    const auto* h = reinterpret_cast<const uchar*>(head.constData());
    m_recordSize = qFromLittleEndian<quint16>(h + hRecordSize);
    m_headerSize = qFromLittleEndian<quint16>(h + hHeaderSize);
    m_fileType = h[hFileType];
    const int maxTableSize = h[hMaxTableSize];
    m_version = h[hVersion];
    const int fieldCount = qFromLittleEndian<quint16>(h + hFieldCount);
    if (m_fileType != 0 && m_fileType != 2)
        fail(msg("the file is not a Paradox table (file type %1; an index file?)").arg(m_fileType));
    if (m_version < 3 || m_version > 12)
        fail(msg("the header is damaged or of an unknown Paradox version (%1)").arg(m_version));
    if (!(maxTableSize >= 1 && maxTableSize <= 4) && maxTableSize != 8 && maxTableSize != 16
        && maxTableSize != 32)
        fail(msg("the header is damaged (block size %1 KB)").arg(maxTableSize));
    m_blockSize = maxTableSize * 1024;
    m_fieldInfoStart = m_version >= 5 ? fieldInfoLong : fieldInfoShort;
    const int fieldInfoStart = m_fieldInfoStart;
    if (fieldCount < 1 || fieldCount > 255)
        fail(msg("the header is damaged (%1 fields)").arg(fieldCount));
    const int namesStart = fieldInfoStart + 6 * fieldCount + 4 + (m_version >= 12 ? 261 : 79);
    if (m_headerSize < namesStart + 2 * fieldCount || m_headerSize > fileSize)
        fail(msg("the header is damaged or the file truncated (header of %1 bytes in a file of %2)")
                 .arg(m_headerSize)
                 .arg(fileSize));
    if (m_recordSize < 1 || m_recordSize + blockHeaderSize > m_blockSize)
        fail(msg("the header is damaged (record size %1)").arg(m_recordSize));
    m_file.seek(0);
    m_header = m_file.read(m_headerSize);
    if (m_header.size() != m_headerSize)
        fail(msg("the header cannot be read"));
    h = reinterpret_cast<const uchar*>(m_header.constData());

    // Password-protected tables are scrambled block by block.
    const quint32 encryption = m_version >= 5 ? qFromLittleEndian<quint32>(h + hEncryption2)
                                              : qFromLittleEndian<quint32>(h + hEncryption1);
    if (encryption != 0)
        fail(msg("the table is protected by a password, which this program does not support"));

    m_headerRecords = qFromLittleEndian<quint32>(h + hRecords);
    m_usedBlocks = qFromLittleEndian<quint16>(h + hUsedBlocks);
    m_fileBlocks = qFromLittleEndian<quint16>(h + hFileBlocks);
    m_firstBlock = qFromLittleEndian<quint16>(h + hFirstBlock);
    m_lastBlock = qFromLittleEndian<quint16>(h + hLastBlock);
    m_keyFields = qFromLittleEndian<quint16>(h + hKeyFields);
    m_autoIncrement = qFromLittleEndian<qint32>(h + hAutoIncrement);
    m_firstFreeBlock = qFromLittleEndian<quint16>(h + hFirstFreeBlock);
    m_codePageNumber = m_version >= 5 ? qFromLittleEndian<quint16>(h + hCodePage) : 0;

    int offset = 0;
    for (int i = 0; i < fieldCount; ++i) {
        FieldInfo f;
        f.type = h[fieldInfoStart + 2 * i];
        const int size = h[fieldInfoStart + 2 * i + 1];
        f.size = storedSize(f.type, size);
        if (f.size == 0)
            fail(msg("the header is damaged (field %1 has type %2 and size %3)")
                     .arg(i + 1)
                     .arg(f.type)
                     .arg(size));
        f.decimals = f.type == Bcd ? size : 0;
        f.offset = offset;
        offset += f.size;
        f.field.type = engineType(f.type);
        if (f.type == Alpha || f.type == Bytes)
            f.field.size = f.size;
        m_hasBlobFields = m_hasBlobFields || isBlobType(f.type);
        m_fields.push_back(f);
    }
    for (int i = 0; i < qMin<int>(m_keyFields, m_fields.size()); ++i)
        m_keySize += m_fields[i].size;
    if (offset != m_recordSize)
        fail(msg("the header is damaged (the fields take %1 bytes of a %2-byte record)")
                 .arg(offset)
                 .arg(m_recordSize));
    // Every field name must end inside the header.
    int at = namesStart;
    for (int i = 0; i < fieldCount; ++i) {
        const qsizetype end = m_header.indexOf('\0', at);
        if (end < 0)
            fail(msg("the header is damaged (the field names run past its end)"));
        at = static_cast<int>(end) + 1;
    }
}

qint64 ParadoxTableFile::blockOffset(int block) const
{
    return m_headerSize + static_cast<qint64>(block - 1) * m_blockSize;
}

void ParadoxTableFile::walkBlocks()
{
    const qint64 fileSize = m_file.size();
    if (blockOffset(m_fileBlocks + 1) > fileSize)
        fail(msg("the file is truncated: its header counts %1 blocks, the file holds %2")
                 .arg(m_fileBlocks)
                 .arg((fileSize - m_headerSize) / m_blockSize));
    QVector<bool> seen(m_fileBlocks + 1, false);
    int previous = 0;
    for (int block = m_firstBlock; block != 0;) {
        if (block > m_fileBlocks || seen[block])
            fail(msg("the chain of data blocks is damaged (block %1)").arg(block));
        seen[block] = true;
        if (!m_file.seek(blockOffset(block)))
            fail(msg("block %1 cannot be read").arg(block));
        const QByteArray head = m_file.read(blockHeaderSize);
        if (head.size() != blockHeaderSize)
            fail(msg("block %1 cannot be read").arg(block));
        const auto* h = reinterpret_cast<const uchar*>(head.constData());
        Block b;
        b.number = block;
        b.next = qFromLittleEndian<quint16>(h);
        b.previous = qFromLittleEndian<quint16>(h + 2);
        const int added = qFromLittleEndian<qint16>(h + 4);
        int records = 0;
        if (added < 0)
            records = 0;
        else if (added % m_recordSize == 0 && blockHeaderSize + added + m_recordSize <= m_blockSize)
            records = added / m_recordSize + 1;
        else
            fail(msg("block %1 is damaged (it claims %2 bytes of records)")
                     .arg(block)
                     .arg(added + m_recordSize));
        if (b.previous != previous && m_readOnlyReason.isEmpty())
            m_readOnlyReason =
                msg("the links between its data blocks do not agree; the table may be damaged");
        for (int r = 0; r < records; ++r) {
            m_rows.push_back(blockOffset(block) + blockHeaderSize + static_cast<qint64>(r) * m_recordSize);
            b.rows.push_back(m_rows.size());
        }
        m_blocks.push_back(b);
        previous = block;
        block = b.next;
    }
    if (!m_blocks.isEmpty() && m_blocks.last().number != m_lastBlock && m_readOnlyReason.isEmpty())
        m_readOnlyReason =
            msg("its header names another last block than the chain ends with; the table may be damaged");
    if (m_rows.size() != m_headerRecords && m_readOnlyReason.isEmpty())
        m_readOnlyReason =
            msg("its header counts %1 records but the data blocks hold %2; the table may be damaged")
                .arg(m_headerRecords)
                .arg(m_rows.size());
}

void ParadoxTableFile::decideWritable()
{
    if (!m_readOnlyReason.isEmpty())
        return;
    if ((m_fileType == keyedTable) != (m_keyFields > 0) || m_keyFields > m_fields.size()) {
        m_readOnlyReason =
            msg("its header names %1 key fields in a table of file type %2; the table may be damaged")
                .arg(m_keyFields)
                .arg(m_fileType);
        return;
    }
    for (int i = 0; i < m_keyFields; ++i)
        if (isBlobType(m_fields[i].type)) {
            m_readOnlyReason =
                msg("its key holds the blob field %1; the table may be damaged").arg(m_fields[i].name);
            return;
        }
    // Secondary indexes are not rebuilt here: a change would leave them out of date.
    const QFileInfo info(m_path);
    const QStringList indexes =
        QDir(info.path())
            .entryList({info.completeBaseName() + QStringLiteral(".[XxYy][0-9Gg]*")}, QDir::Files);
    if (!indexes.isEmpty() && m_allowStaleIndexes)
        m_secondaryIndexes = indexes;
    else if (!indexes.isEmpty())
        m_readOnlyReason =
            msg("the table has secondary indexes (%1) that a change made here would leave out of "
                "date, so it is open read-only")
                .arg(indexes.join(QStringLiteral(", ")));
}

QVector<FileColumn> ParadoxTableFile::columns() const
{
    QVector<FileColumn> cols;
    for (const FieldInfo& f : m_fields)
        cols.push_back({f.name, declaredColumnType(f.field, !f.field.modifiable)});
    return cols;
}

qint64 ParadoxTableFile::checkedRecordOffset(qint64 row) const
{
    if (row < 1 || row > m_rows.size() || m_rows[row - 1] < 0)
        fail(msg("there is no record %1").arg(row));
    return m_rows[row - 1];
}

bool ParadoxTableFile::readRow(qint64 row, QByteArray& buffer)
{
    if (row < 1 || row > m_rows.size())
        fail(msg("there is no record %1").arg(row));
    const qint64 offset = m_rows[row - 1];
    if (offset < 0)
        return false;
    buffer.resize(m_recordSize);
    if (!m_file.seek(offset) || m_file.read(buffer.data(), m_recordSize) != m_recordSize)
        fail(msg("record %1 cannot be read (%2)").arg(row).arg(m_file.errorString()));
    return true;
}

void ParadoxTableFile::resultColumn(const QByteArray& record, int column, sqlite3_context* ctx)
{
    if (column < 0 || column >= m_fields.size() || record.size() != m_recordSize) {
        sqlite3_result_null(ctx);
        return;
    }
    const FieldInfo& f = m_fields[column];
    const char* raw = record.constData() + f.offset;
    const auto* bytes = reinterpret_cast<const uchar*>(raw);
    // An empty field is stored as zeros, whatever its type (a stored zero number is not all zeros).
    if (allZero(raw, f.size)) {
        sqlite3_result_null(ctx);
        return;
    }
    switch (f.type) {
    case Alpha: {
        int length = 0;
        while (length < f.size && raw[length] != 0)
            ++length;
        fieldvalue::resultText(ctx, m_codePage->decode(raw, length));
        return;
    }
    case Short:
    case Long:
    case AutoInc:
        sqlite3_result_int64(ctx, decodeInteger(bytes, f.size));
        return;
    case Number:
    case Currency: {
        const double d = decodeDouble(bytes);
        if (std::isfinite(d))
            sqlite3_result_double(ctx, d);
        else
            sqlite3_result_null(ctx);
        return;
    }
    case Logical:
        if (bytes[0] == 0x80 || bytes[0] == 0x81)
            sqlite3_result_int(ctx, bytes[0] == 0x81);
        else
            sqlite3_result_null(ctx);
        return;
    case Date:
        fieldvalue::resultDate(ctx, dateOfDay(decodeInteger(bytes, 4)));
        return;
    case Time:
        fieldvalue::resultTime(ctx, timeOfMilliseconds(decodeInteger(bytes, 4)));
        return;
    case Timestamp: {
        const QDateTime stamp = timestampOfValue(decodeDouble(bytes));
        if (stamp.isValid())
            fieldvalue::resultTimestamp(ctx, stamp);
        else
            sqlite3_result_null(ctx);
        return;
    }
    case Bcd:
        if (const auto d = decodeBcd(bytes))
            sqlite3_result_double(ctx, *d);
        else
            sqlite3_result_null(ctx);
        return;
    case Bytes:
        sqlite3_result_blob(ctx, raw, f.size, SQLITE_TRANSIENT);
        return;
    default: {
        bool isNull = false;
        if (!m_blobs) {
            sqlite3_result_null(ctx);
            return;
        }
        QByteArray data;
        try {
            data = m_blobs->read(raw, f.size, f.type == Graphic, &isNull);
        } catch (const shell::AppError& e) {
            fail(msg("field %1: %2").arg(f.name, e.message()));
        }
        if (isNull)
            sqlite3_result_null(ctx);
        else if (f.type == MemoBlob || f.type == FmtMemoBlob)
            fieldvalue::resultText(ctx, m_codePage->decode(data));
        else
            sqlite3_result_blob(ctx, data.constData(), static_cast<int>(data.size()), SQLITE_TRANSIENT);
        return;
    }
    }
}

} // namespace tables
