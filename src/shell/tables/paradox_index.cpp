#include "shell/tables/paradox_index.h"

#include "shell/tables/messages.h"

#include "shell/error.h"
#include "shell/tables/paradox_format.h"
#include "shell/tables/paradox_values.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tables {

using namespace paradox;

namespace {

constexpr int indexHeaderSize = 2048;
constexpr int indexTailSize = 6; // block number, record count, a zero: three short fields

void putWord(QByteArray& bytes, int at, int value)
{
    qToLittleEndian<quint16>(static_cast<quint16>(value), bytes.data() + at);
}

void putLong(QByteArray& bytes, int at, qint64 value)
{
    qToLittleEndian<quint32>(static_cast<quint32>(value), bytes.data() + at);
}

} // namespace

ParadoxPrimaryIndex::ParadoxPrimaryIndex(const QString& path, const QByteArray& tableHeader,
                                         int fieldInfoStart, int keyFields, int keySize)
    : m_path(path), m_keyFields(keyFields), m_keySize(keySize)
{
    const int recordSize = keySize + indexTailSize;
    // Blocks as the table's own index uses them; large keys need larger blocks to hold a tree.
    while (m_blockSize < 32768 && (m_blockSize - blockHeaderSize) / recordSize < 8)
        m_blockSize *= 2;
    QFile file(path);
    QByteArray old;
    if (file.open(QIODevice::ReadOnly))
        old = file.read(indexHeaderSize);
    if (old.size() >= 0x58) {
        const auto* h = reinterpret_cast<const uchar*>(old.constData());
        const int oldHeaderSize = qFromLittleEndian<quint16>(h + hHeaderSize);
        const int kb = h[hMaxTableSize];
        if (h[hFileType] == primaryIndex && qFromLittleEndian<quint16>(h + hRecordSize) == recordSize
            && oldHeaderSize == old.size()
            && (kb == 1 || kb == 2 || kb == 4 || kb == 8 || kb == 16 || kb == 32)
            && kb * 1024 >= m_blockSize) {
            m_header = old;
            m_blockSize = kb * 1024;
        }
    }
    if (m_header.isEmpty())
        m_header = freshHeader(tableHeader, fieldInfoStart);
}

QByteArray ParadoxPrimaryIndex::freshHeader(const QByteArray& tableHeader, int fieldInfoStart) const
{
    QByteArray h(indexHeaderSize, '\0');
    putWord(h, hRecordSize, m_keySize + indexTailSize);
    putWord(h, hHeaderSize, indexHeaderSize);
    h[hFileType] = static_cast<char>(primaryIndex);
    h[hMaxTableSize] = static_cast<char>(m_blockSize / 1024);
    putWord(h, hFieldCount, m_keyFields);
    // Sort order, flags and change counters as the table has them.
    for (int at = 0x29; at < 0x30; ++at)
        h[at] = tableHeader.at(at);
    h[hVersion] = tableHeader.at(hVersion);
    // An index header carries the key fields' types and sizes right after the common part.
    int at = fieldInfoShort;
    for (int i = 0; i < m_keyFields; ++i) {
        h[at++] = tableHeader.at(fieldInfoStart + 2 * i);
        h[at++] = tableHeader.at(fieldInfoStart + 2 * i + 1);
    }
    at += 4; // the table name pointer
    const QByteArray name = QFile::encodeName(QFileInfo(m_path).fileName()).left(78);
    h.replace(at, name.size(), name);
    return h;
}

QByteArray ParadoxPrimaryIndex::build(const QVector<Entry>& entries) const
{
    const int recordSize = m_keySize + indexTailSize;
    // One level where a block of up to 32 KB holds every entry: the shape every reader knows.
    int blockSize = m_blockSize;
    while (blockSize < 32768 && (blockSize - blockHeaderSize) / recordSize < entries.size())
        blockSize *= 2;
    const int perBlock = (blockSize - blockHeaderSize) / recordSize;
    QByteArray header = m_header;
    header[hMaxTableSize] = static_cast<char>(blockSize / 1024);
    QByteArray blocks;
    int blockCount = 0;
    qint64 records = 0;

    // One level after the other, leaves first: each block's entries point at the level below; a level
    // that fits one block is the root.
    QVector<Entry> level = entries;
    int levels = 0;
    int root = 0;
    while (true) {
        ++levels;
        const int count = level.size();
        const int blocksHere = qMax(1, (count + perBlock - 1) / perBlock);
        QVector<Entry> above;
        for (int b = 0; b < blocksHere; ++b) {
            // Entries spread evenly so that no block is left nearly empty.
            const int from = static_cast<int>(static_cast<qint64>(count) * b / blocksHere);
            const int to = static_cast<int>(static_cast<qint64>(count) * (b + 1) / blocksHere);
            const int number = ++blockCount;
            QByteArray block(blockSize, '\0');
            auto* bh = reinterpret_cast<uchar*>(block.data());
            qToLittleEndian<quint16>(static_cast<quint16>(number - 1), bh + 2);
            qToLittleEndian<qint16>(static_cast<qint16>((to - from - 1) * recordSize), bh + 4);
            int sum = 0;
            for (int i = from; i < to; ++i) {
                auto* r = bh + blockHeaderSize + (i - from) * recordSize;
                const QByteArray& key = level[i].key;
                std::memcpy(r, key.constData(), qMin<qsizetype>(key.size(), m_keySize));
                encodeInteger(r + m_keySize, 2, level[i].block);
                encodeInteger(r + m_keySize + 2, 2, level[i].records);
                encodeInteger(r + m_keySize + 4, 2, 0);
                sum += level[i].records;
            }
            records += to - from;
            blocks += block;
            if (from < to)
                above.push_back({level[from].key, number, sum});
            else
                above.push_back({QByteArray(m_keySize, '\0'), number, 0});
        }
        if (blocksHere == 1) {
            root = blockCount;
            break;
        }
        level = above;
    }
    // Every index block is on one chain, levels one after the other, as readers walk them.
    for (int b = 1; b < blockCount; ++b)
        qToLittleEndian<quint16>(static_cast<quint16>(b + 1), blocks.data() + (b - 1) * blockSize);
    putLong(header, hRecords, records);
    putWord(header, hUsedBlocks, blockCount);
    putWord(header, hFileBlocks, blockCount);
    putWord(header, hFirstBlock, 1);
    putWord(header, hLastBlock, blockCount);
    putWord(header, hIndexRoot, root);
    header[hIndexLevels] = static_cast<char>(levels);
    putWord(header, hFirstFreeBlock, 0);
    return header + blocks;
}

// Written beside and renamed over the old one, without waiting for the disk: an index can be made again
// from its table, and a table filled record by record rewrites it every time.
void ParadoxPrimaryIndex::write(const QVector<Entry>& entries) const
{
    const QByteArray bytes = build(entries);
    const QString temp = m_path + QStringLiteral(".part");
    QFile file(temp);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        const QString why = file.errorString();
        file.close();
        QFile::remove(temp);
        throw shell::AppError(
            msg("%1: the primary index cannot be written (%2)").arg(QDir::toNativeSeparators(m_path), why));
    }
    file.close();
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(m_path).constData()) != 0) {
        QFile::remove(temp);
        throw shell::AppError(
            msg("%1: the primary index cannot be written (%2)")
                .arg(QDir::toNativeSeparators(m_path), QString::fromLocal8Bit(std::strerror(errno))));
    }
}

} // namespace tables
