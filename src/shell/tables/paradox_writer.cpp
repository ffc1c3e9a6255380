// Changing a Paradox table: values encoded into records, records placed in the data blocks (in key

#include "shell/tables/messages.h"
// order when the table is keyed), blocks split and freed, the header's counters and the primary index
// kept in step.

#include "shell/error.h"
#include "shell/tables/paradox_format.h"
#include "shell/tables/paradox_tablefile.h"
#include "shell/tables/paradox_values.h"

#include <QtEndian>

#include <sqlite3.h>

#include <cstring>

namespace tables {

using namespace paradox;

void ParadoxTableFile::encodeField(const FieldInfo& f, char* raw, sqlite3_value* v,
                                   QVector<QByteArray>& newBlobs, QVector<QByteArray>& oldBlobs)
{
    auto* bytes = reinterpret_cast<uchar*>(raw);
    const bool null = fieldvalue::isNull(v);
    if (f.type == AutoInc) {
        if (!null)
            failField(f, msg("an auto-increment field is numbered by the table and cannot be set"));
        return;
    }
    if (isBlobType(f.type)) {
        QByteArray data;
        if (!null && (f.type == MemoBlob || f.type == FmtMemoBlob)) {
            QString missing;
            if (!m_codePage->encode(fieldvalue::text(v), data, &missing))
                failField(f, msg("the character \"%1\" cannot be stored in the code page %2 of this "
                                 "table")
                                 .arg(missing, QString::fromLatin1(m_codePage->name())));
        } else if (!null) {
            data = fieldvalue::blob(v);
        }
        if (!m_blobs)
            failField(f, msg("the table has no blob file"));
        QByteArray stored;
        try {
            stored = m_blobs->store(data, f.size, f.type == Graphic);
        } catch (const shell::AppError& e) {
            failField(f, e.message());
        }
        oldBlobs.push_back(QByteArray(raw, f.size));
        newBlobs.push_back(stored);
        std::memcpy(raw, stored.constData(), f.size);
        return;
    }
    if (null) {
        std::memset(raw, 0, f.size);
        return;
    }
    switch (f.type) {
    case Alpha: {
        QByteArray encoded;
        QString missing;
        if (!m_codePage->encode(fieldvalue::text(v), encoded, &missing))
            failField(f, msg("the character \"%1\" cannot be stored in the code page %2 of this table")
                             .arg(missing, QString::fromLatin1(m_codePage->name())));
        if (encoded.contains('\0'))
            failField(f, msg("the text holds a NUL character"));
        if (encoded.size() > f.size)
            failField(f,
                      msg("the text is %1 bytes long, the field holds %2").arg(encoded.size()).arg(f.size));
        std::memset(raw, 0, f.size);
        std::memcpy(raw, encoded.constData(), encoded.size());
        return;
    }
    case Short:
        encodeInteger(bytes, 2, fieldvalue::integer(v, f.name, -32767, 32767));
        return;
    case Long:
        encodeInteger(bytes, 4, fieldvalue::integer(v, f.name, -2147483647, 2147483647));
        return;
    case Number:
    case Currency:
        encodeDouble(bytes, fieldvalue::number(v, f.name));
        return;
    case Logical:
        bytes[0] = fieldvalue::logical(v, f.name) ? 0x81 : 0x80;
        return;
    case Date: {
        const QDate d = fieldvalue::date(v, f.name);
        if (d.year() < 1)
            failField(f, msg("dates before the year 1 cannot be stored"));
        encodeInteger(bytes, 4, dayOfDate(d));
        return;
    }
    case Time:
        encodeInteger(bytes, 4, fieldvalue::time(v, f.name).msecsSinceStartOfDay());
        return;
    case Timestamp: {
        const QDateTime stamp = fieldvalue::timestamp(v, f.name);
        if (stamp.date().year() < 1)
            failField(f, msg("dates before the year 1 cannot be stored"));
        encodeDouble(bytes, valueOfTimestamp(stamp));
        return;
    }
    case Bcd: {
        const double d = fieldvalue::number(v, f.name);
        if (!encodeBcd(bytes, f.decimals, d))
            failField(f, msg("the number %1 has too many digits for the field").arg(d));
        return;
    }
    case Bytes: {
        const QByteArray data = fieldvalue::blob(v);
        if (data.size() > f.size)
            failField(f, msg("%1 bytes do not fit the field's %2").arg(data.size()).arg(f.size));
        std::memset(raw, 0, f.size);
        std::memcpy(raw, data.constData(), data.size());
        return;
    }
    default:
        failField(f, msg("fields of type %1 cannot be changed").arg(f.type));
    }
}

void ParadoxTableFile::encodeValues(QByteArray& record, sqlite3_value** values, bool isNew,
                                    QVector<QByteArray>& newBlobs, QVector<QByteArray>& oldBlobs)
{
    for (int i = 0; i < m_fields.size(); ++i) {
        const FieldInfo& f = m_fields[i];
        if (!isNew && sqlite3_value_nochange(values[i]))
            continue;
        try {
            encodeField(f, record.data() + f.offset, values[i], newBlobs, oldBlobs);
        } catch (const shell::AppError& e) {
            if (e.message().startsWith(displayPath()))
                throw;
            throw shell::AppError(QStringLiteral("%1: %2").arg(displayPath(), e.message()));
        }
    }
}

void ParadoxTableFile::releaseBlobs(const QVector<QByteArray>& fields)
{
    if (!m_blobs)
        return;
    for (const QByteArray& field : fields)
        m_blobs->release(field.constData(), static_cast<int>(field.size()));
}

void ParadoxTableFile::writeAt(qint64 offset, const QByteArray& bytes)
{
    if (!m_file.seek(offset) || m_file.write(bytes) != bytes.size())
        fail(msg("the file cannot be written (%1)").arg(m_file.errorString()));
}

void ParadoxTableFile::flush()
{
    if (!m_file.flush())
        fail(msg("the file cannot be written (%1)").arg(m_file.errorString()));
}

void ParadoxTableFile::writeBlockHeader(const Block& block)
{
    QByteArray head(blockHeaderSize, '\0');
    auto* h = reinterpret_cast<uchar*>(head.data());
    qToLittleEndian<quint16>(static_cast<quint16>(block.next), h);
    qToLittleEndian<quint16>(static_cast<quint16>(block.previous), h + 2);
    qToLittleEndian<qint16>(static_cast<qint16>((block.rows.size() - 1) * m_recordSize), h + 4);
    writeAt(blockOffset(block.number), head);
}

void ParadoxTableFile::writeHeaderWord(int at, quint16 value)
{
    qToLittleEndian<quint16>(value, m_header.data() + at);
    writeAt(at, m_header.mid(at, 2));
}

void ParadoxTableFile::writeHeaderLong(int at, quint32 value)
{
    qToLittleEndian<quint32>(value, m_header.data() + at);
    writeAt(at, m_header.mid(at, 4));
}

void ParadoxTableFile::checkUnchangedByOthers()
{
    constexpr int layoutBytes = 0x58; // record count, blocks, free list, counters
    QByteArray now;
    if (m_file.seek(0))
        now = m_file.read(layoutBytes);
    if (now != m_header.left(layoutBytes) || m_file.size() != m_expectedSize)
        failChangedByAnotherProgram(m_path);
    m_changed = true;
}

QByteArray ParadoxTableFile::readBlock(int number)
{
    QByteArray block;
    if (!m_file.seek(blockOffset(number)) || (block = m_file.read(m_blockSize)).size() != m_blockSize)
        fail(msg("block %1 cannot be read (%2)").arg(number).arg(m_file.errorString()));
    return block.mid(blockHeaderSize);
}

// Writes a block whole: its header and records, zeros after them.
void ParadoxTableFile::writeBlock(const Block& block, const QByteArray& records)
{
    QByteArray bytes(m_blockSize, '\0');
    auto* h = reinterpret_cast<uchar*>(bytes.data());
    qToLittleEndian<quint16>(static_cast<quint16>(block.next), h);
    qToLittleEndian<quint16>(static_cast<quint16>(block.previous), h + 2);
    qToLittleEndian<qint16>(static_cast<qint16>((block.rows.size() - 1) * m_recordSize), h + 4);
    const qsizetype used = static_cast<qsizetype>(block.rows.size()) * m_recordSize;
    std::memcpy(bytes.data() + blockHeaderSize, records.constData(), used);
    writeAt(blockOffset(block.number), bytes);
    m_expectedSize = qMax(m_expectedSize, blockOffset(block.number) + m_blockSize);
}

void ParadoxTableFile::placeRows(const Block& block)
{
    for (int i = 0; i < block.rows.size(); ++i)
        m_rows[block.rows[i] - 1] =
            blockOffset(block.number) + blockHeaderSize + static_cast<qint64>(i) * m_recordSize;
}

int ParadoxTableFile::chainIndexOfRow(qint64 row) const
{
    const qint64 offset = checkedRecordOffset(row);
    const int number = static_cast<int>((offset - m_headerSize) / m_blockSize) + 1;
    for (int i = 0; i < m_blocks.size(); ++i)
        if (m_blocks[i].number == number)
            return i;
    fail(msg("record %1 is not in a data block").arg(row));
}

// A block for the chain: the head of the free list when it is sound, else a new one at the end.
int ParadoxTableFile::takeFreeBlock()
{
    if (m_firstFreeBlock > 0 && m_firstFreeBlock <= m_fileBlocks) {
        bool inChain = false;
        for (const Block& b : m_blocks)
            inChain = inChain || b.number == m_firstFreeBlock;
        if (!inChain) {
            const int number = m_firstFreeBlock;
            if (!m_file.seek(blockOffset(number)))
                fail(msg("block %1 cannot be read").arg(number));
            const QByteArray head = m_file.read(2);
            int next = head.size() == 2 ? qFromLittleEndian<quint16>(head.constData()) : 0;
            if (next > m_fileBlocks || next == number)
                next = 0;
            m_firstFreeBlock = next;
            return number;
        }
        m_firstFreeBlock = 0; // a free list that leads into the chain is not followed
    }
    if (m_fileBlocks >= 0xFFFF)
        fail(msg("the table is full"));
    return ++m_fileBlocks;
}

// The header's view of the chain, after blocks came or went.
void ParadoxTableFile::writeLayout()
{
    m_usedBlocks = static_cast<int>(m_blocks.size());
    m_firstBlock = m_blocks.isEmpty() ? 0 : m_blocks.first().number;
    m_lastBlock = m_blocks.isEmpty() ? 0 : m_blocks.last().number;
    writeHeaderWord(hFileBlocks, static_cast<quint16>(m_fileBlocks));
    writeHeaderWord(hUsedBlocks, static_cast<quint16>(m_usedBlocks));
    writeHeaderWord(hFirstBlock, static_cast<quint16>(m_firstBlock));
    writeHeaderWord(hLastBlock, static_cast<quint16>(m_lastBlock));
    writeHeaderWord(hFirstFreeBlock, static_cast<quint16>(m_firstFreeBlock));
}

void ParadoxTableFile::writeIndex()
{
    if (!m_index)
        return;
    QVector<ParadoxPrimaryIndex::Entry> entries;
    for (const Block& b : m_blocks)
        entries.push_back({b.firstKey, b.number, static_cast<int>(b.rows.size())});
    m_index->write(entries);
}

// Binary search needs the records in key order; a table sorted otherwise (another sort order) is not
// changed. Reads every block once and keeps each block's first key.
void ParadoxTableFile::checkKeyOrder()
{
    if (m_keyOrderChecked || m_keyFields == 0)
        return;
    QByteArray previous;
    for (Block& b : m_blocks) {
        const QByteArray records = readBlock(b.number);
        for (int i = 0; i < b.rows.size(); ++i) {
            const QByteArray key = records.mid(static_cast<qsizetype>(i) * m_recordSize, m_keySize);
            if (i == 0)
                b.firstKey = key;
            if (!previous.isNull() && std::memcmp(previous.constData(), key.constData(), m_keySize) >= 0) {
                m_readOnlyReason = msg("%1: its records are not in the order of their key as this "
                                       "program sorts them (another sort order?), so it is open "
                                       "read-only")
                                       .arg(displayPath());
                fail(msg("its records are not in the order of their key as this program sorts them "
                         "(another sort order?), so it is open read-only"));
            }
            previous = key;
        }
    }
    m_keyOrderChecked = true;
}

QPair<int, int> ParadoxTableFile::keyPosition(const QByteArray& key, qint64 exceptRow)
{
    // The last block whose first key is not above the key.
    int low = 0;
    int high = static_cast<int>(m_blocks.size()) - 1;
    int chain = 0;
    while (low <= high) {
        const int mid = (low + high) / 2;
        if (std::memcmp(m_blocks[mid].firstKey.constData(), key.constData(), m_keySize) <= 0) {
            chain = mid;
            low = mid + 1;
        } else {
            high = mid - 1;
        }
    }
    if (m_blocks.isEmpty())
        return {0, 0};
    const Block& block = m_blocks[chain];
    const QByteArray records = readBlock(block.number);
    int position = 0;
    for (; position < block.rows.size(); ++position) {
        const int order = std::memcmp(records.constData() + static_cast<qsizetype>(position) * m_recordSize,
                                      key.constData(), m_keySize);
        if (order == 0 && block.rows[position] != exceptRow)
            fail(msg("a record with the same key is in the table already (key violation)"));
        if (order > 0)
            break;
    }
    return {chain, position};
}

// Puts a record into the chain under a row number: at its key's place in a keyed table, at the end
// otherwise. A full block splits: the new block takes the upper half (or only the new record when it
// goes at the very end, so that tables filled in order keep full blocks).
void ParadoxTableFile::placeRecord(const QByteArray& record, qint64 row)
{
    const int perBlock = (m_blockSize - blockHeaderSize) / m_recordSize;
    int chain = static_cast<int>(m_blocks.size()) - 1;
    int position = chain < 0 ? 0 : static_cast<int>(m_blocks[chain].rows.size());
    if (m_keyFields > 0 && !m_blocks.isEmpty()) {
        const auto place = keyPosition(keyOf(record), row);
        chain = place.first;
        position = place.second;
    }
    if (chain >= 0 && m_blocks[chain].rows.size() < perBlock) {
        Block& block = m_blocks[chain];
        QByteArray records = readBlock(block.number);
        records.insert(static_cast<qsizetype>(position) * m_recordSize, record);
        block.rows.insert(position, row);
        if (position == 0)
            block.firstKey = keyOf(record);
        writeBlock(block, records);
        placeRows(block);
        return;
    }

    Block fresh;
    fresh.number = takeFreeBlock();
    if (chain < 0 || (chain + 1 == m_blocks.size() && position == m_blocks[chain].rows.size())) {
        fresh.rows = {row};
        fresh.previous = chain < 0 ? 0 : m_blocks[chain].number;
        fresh.firstKey = keyOf(record);
        // The new block is written whole before anything points at it.
        writeBlock(fresh, record);
        flush();
        if (chain >= 0) {
            m_blocks[chain].next = fresh.number;
            writeBlockHeader(m_blocks[chain]);
        }
    } else {
        Block& full = m_blocks[chain];
        QByteArray records = readBlock(full.number);
        records.truncate(full.rows.size() * static_cast<qsizetype>(m_recordSize));
        records.insert(static_cast<qsizetype>(position) * m_recordSize, record);
        QVector<qint64> rows = full.rows;
        rows.insert(position, row);
        const int keep = static_cast<int>(rows.size()) / 2;
        fresh.rows = rows.mid(keep);
        fresh.previous = full.number;
        fresh.next = full.next;
        const QByteArray moved = records.mid(static_cast<qsizetype>(keep) * m_recordSize);
        fresh.firstKey = keyOf(moved);
        writeBlock(fresh, moved);
        flush();
        full.rows = rows.mid(0, keep);
        full.firstKey = keyOf(records);
        full.next = fresh.number;
        writeBlock(full, records.left(static_cast<qsizetype>(keep) * m_recordSize));
        placeRows(full);
    }
    if (chain + 1 < m_blocks.size()) {
        m_blocks[chain + 1].previous = fresh.number;
        writeBlockHeader(m_blocks[chain + 1]);
    }
    m_blocks.insert(chain + 1, fresh);
    placeRows(fresh);
    writeLayout();
}

// Takes a row's record out of its block; an emptied block leaves the chain and heads the free list, as
// Paradox keeps them.
void ParadoxTableFile::removeRecord(qint64 row)
{
    const int chain = chainIndexOfRow(row);
    Block& block = m_blocks[chain];
    const int position = static_cast<int>(block.rows.indexOf(row));
    QByteArray records = readBlock(block.number);
    records.remove(static_cast<qsizetype>(position) * m_recordSize, m_recordSize);
    block.rows.remove(position);
    m_rows[row - 1] = -1;
    if (!block.rows.isEmpty()) {
        if (position == 0)
            block.firstKey = keyOf(records);
        writeBlock(block, records);
        placeRows(block);
        return;
    }
    const Block emptied = block;
    if (chain > 0) {
        m_blocks[chain - 1].next = emptied.next;
        writeBlockHeader(m_blocks[chain - 1]);
    }
    if (chain + 1 < m_blocks.size()) {
        m_blocks[chain + 1].previous = emptied.previous;
        writeBlockHeader(m_blocks[chain + 1]);
    }
    Block free;
    free.number = emptied.number;
    free.next = m_firstFreeBlock;
    writeBlock(free, {});
    m_blocks.remove(chain);
    m_firstFreeBlock = emptied.number;
    writeLayout();
}

void ParadoxTableFile::updateRow(qint64 row, sqlite3_value** values)
{
    checkUnchangedByOthers();
    checkKeyOrder();
    QByteArray record;
    checkedRecordOffset(row);
    readRow(row, record);
    const QByteArray oldKey = keyOf(record);
    QVector<QByteArray> newBlobs, oldBlobs;
    try {
        encodeValues(record, values, false, newBlobs, oldBlobs);
        if (m_keyFields > 0 && keyOf(record) != oldKey) {
            keyPosition(keyOf(record), row); // refuses a key that is taken before anything moves
            removeRecord(row);
            placeRecord(record, row);
        } else {
            writeAt(m_rows[row - 1], record);
        }
        flush();
    } catch (const shell::AppError&) {
        releaseBlobs(newBlobs);
        throw;
    }
    releaseBlobs(oldBlobs);
    writeIndex();
}

qint64 ParadoxTableFile::insertRow(sqlite3_value** values)
{
    checkUnchangedByOthers();
    checkKeyOrder();
    QByteArray record(m_recordSize, '\0');
    QVector<QByteArray> newBlobs, oldBlobs;
    try {
        encodeValues(record, values, true, newBlobs, oldBlobs);
        bool counted = false;
        for (const FieldInfo& f : m_fields)
            if (f.type == AutoInc) {
                if (m_autoIncrement >= 2147483647)
                    fail(msg("the auto-increment counter is exhausted"));
                encodeInteger(reinterpret_cast<uchar*>(record.data()) + f.offset, 4, m_autoIncrement + 1);
                counted = true;
            }
        if (m_keyFields > 0 && !m_blocks.isEmpty())
            keyPosition(keyOf(record), 0);
        m_rows.push_back(0);
        const qint64 row = m_rows.size();
        try {
            placeRecord(record, row);
        } catch (const shell::AppError&) {
            m_rows.last() = -1;
            throw;
        }
        if (counted)
            writeHeaderLong(hAutoIncrement, static_cast<quint32>(++m_autoIncrement));
        writeHeaderLong(hRecords, static_cast<quint32>(++m_headerRecords));
        flush();
        writeIndex();
        return row;
    } catch (const shell::AppError&) {
        releaseBlobs(newBlobs);
        throw;
    }
}

void ParadoxTableFile::deleteRow(qint64 row)
{
    checkUnchangedByOthers();
    checkKeyOrder();
    QByteArray record;
    checkedRecordOffset(row);
    readRow(row, record);
    removeRecord(row);
    writeHeaderLong(hRecords, static_cast<quint32>(--m_headerRecords));
    flush();
    QVector<QByteArray> blobs;
    for (const FieldInfo& f : m_fields)
        if (isBlobType(f.type))
            blobs.push_back(record.mid(f.offset, f.size));
    releaseBlobs(blobs);
    writeIndex();
}

} // namespace tables
