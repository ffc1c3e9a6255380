#include "shell/error.h"

#include "shell/tables/messages.h"
#include "shell/tables/paradox_blobfile.h"
#include "shell/tables/paradox_format.h"

#include <QtEndian>

#include <cstring>

namespace tables {

using namespace paradox;

namespace {

constexpr int unit = 16;
constexpr int unitsPerBlock = mbBlockSize / unit;
constexpr int firstDataUnit = mbSmallDataStart / unit;
constexpr int entrySize = 5;
constexpr int hModification = 3; // of the header block

} // namespace

void ParadoxBlobFile::writeAt(qint64 offset, const QByteArray& bytes)
{
    if (!m_file.seek(offset) || m_file.write(bytes) != bytes.size())
        fail(msg("the blob file cannot be written (%1)").arg(m_file.errorString()));
}

int ParadoxBlobFile::nextModification()
{
    const QByteArray head = readAt(hModification, 2);
    int number = qFromLittleEndian<quint16>(head.constData()) + 1;
    if (number > 0xFFFF)
        number = 1;
    QByteArray bytes(2, '\0');
    qToLittleEndian<quint16>(static_cast<quint16>(number), bytes.data());
    writeAt(hModification, bytes);
    return number;
}

ParadoxBlobFile::SmallBlock ParadoxBlobFile::measureSmallBlock(qint64 offset)
{
    SmallBlock block;
    block.offset = offset;
    block.endUnit = firstDataUnit;
    const QByteArray table = readAt(offset + mbSmallTableStart, mbSmallEntries * entrySize);
    const auto* e = reinterpret_cast<const uchar*>(table.constData());
    for (int i = 0; i < mbSmallEntries; ++i, e += entrySize) {
        if (e[0] == 0) {
            ++block.freeEntries;
            continue;
        }
        block.endUnit = qMax(block.endUnit, e[0] + e[1]);
    }
    return block;
}

void ParadoxBlobFile::scanSmallBlocks()
{
    if (m_scanned)
        return;
    const qint64 blocks = m_file.size() / mbBlockSize;
    for (qint64 b = 1; b < blocks;) {
        const QByteArray head = readAt(b * mbBlockSize, 3);
        const int type = static_cast<uchar>(head.at(0));
        const int count = qFromLittleEndian<quint16>(head.constData() + 1);
        if (type == mbSmallBlobs)
            m_small.push_back(measureSmallBlock(b * mbBlockSize));
        // A run of blocks counts as one; a count of 0 would loop.
        b += (type == mbSingleBlob || type == mbFreeBlock) && count > 0 ? count : 1;
    }
    m_scanned = true;
}

QByteArray ParadoxBlobFile::store(const QByteArray& data, int fieldSize, bool graphic)
{
    const int leaderSize = fieldSize - mbPointerSize;
    QByteArray field(fieldSize, '\0');
    if (data.isEmpty())
        return field;
    QByteArray blob = data;
    if (graphic) {
        QByteArray prefix("\x01\x00\x00\x01\x00\x00\x00\x00", mbGraphicPrefix);
        qToLittleEndian<quint32>(static_cast<quint32>(data.size()), prefix.data() + 4);
        blob.prepend(prefix);
    }
    if (blob.size() > 0x7FFFFFFF - mbBlockSize)
        fail(msg("a blob of %1 bytes is too large").arg(blob.size()));
    auto* pointer = reinterpret_cast<uchar*>(field.data() + leaderSize);
    qToLittleEndian<quint32>(static_cast<quint32>(blob.size()), pointer + 4);
    std::memcpy(field.data(), blob.constData(), qMin<qsizetype>(leaderSize, blob.size()));
    if (blob.size() <= leaderSize && !graphic)
        return field; // lives in the record alone

    const int modification = nextModification();
    qToLittleEndian<quint16>(static_cast<quint16>(modification), pointer + 8);
    const qint64 units = (blob.size() + unit - 1) / unit;
    if (units <= unitsPerBlock - firstDataUnit) {
        scanSmallBlocks();
        SmallBlock* target = nullptr;
        for (SmallBlock& b : m_small)
            if (b.freeEntries > 0 && b.endUnit + units <= unitsPerBlock) {
                target = &b;
                break;
            }
        if (!target) {
            QByteArray block(mbBlockSize, '\0');
            block[0] = static_cast<char>(mbSmallBlobs);
            block[1] = 1;
            const qint64 offset = (m_file.size() + mbBlockSize - 1) / mbBlockSize * mbBlockSize;
            writeAt(offset, block);
            m_small.push_back({offset, firstDataUnit, mbSmallEntries});
            target = &m_small.last();
        }
        // The highest free entry, as Paradox fills them.
        const QByteArray table = readAt(target->offset + mbSmallTableStart, mbSmallEntries * entrySize);
        int index = mbSmallEntries - 1;
        while (index >= 0 && table.at(index * entrySize) != 0)
            --index;
        if (index < 0)
            fail(msg("the blob file is damaged (a block's blob table is full)"));
        QByteArray padded = blob;
        padded.append(QByteArray(units * unit - blob.size(), '\0'));
        writeAt(target->offset + target->endUnit * unit, padded);
        QByteArray entry(entrySize, '\0');
        entry[0] = static_cast<char>(target->endUnit);
        entry[1] = static_cast<char>(units);
        qToLittleEndian<quint16>(static_cast<quint16>(modification), entry.data() + 2);
        entry[4] = static_cast<char>(blob.size() % unit);
        writeAt(target->offset + mbSmallTableStart + index * entrySize, entry);
        qToLittleEndian<quint32>(static_cast<quint32>(target->offset + index), pointer);
        target->endUnit += static_cast<int>(units);
        --target->freeEntries;
        return field;
    }

    const qint64 blocks = (mbSingleHeaderSize + blob.size() + mbBlockSize - 1) / mbBlockSize;
    if (blocks > 0xFFFF)
        fail(msg("a blob of %1 bytes is too large").arg(blob.size()));
    QByteArray run(blocks * mbBlockSize, '\0');
    auto* h = reinterpret_cast<uchar*>(run.data());
    h[0] = mbSingleBlob;
    qToLittleEndian<quint16>(static_cast<quint16>(blocks), h + 1);
    qToLittleEndian<quint32>(static_cast<quint32>(blob.size()), h + 3);
    qToLittleEndian<quint16>(static_cast<quint16>(modification), h + 7);
    std::memcpy(run.data() + mbSingleHeaderSize, blob.constData(), blob.size());
    const qint64 offset = (m_file.size() + mbBlockSize - 1) / mbBlockSize * mbBlockSize;
    writeAt(offset, run);
    qToLittleEndian<quint32>(static_cast<quint32>(offset | 0xFF), pointer);
    return field;
}

void ParadoxBlobFile::release(const char* field, int fieldSize)
{
    const int leaderSize = fieldSize - mbPointerSize;
    const auto* pointer = reinterpret_cast<const uchar*>(field + leaderSize);
    const quint32 offset = qFromLittleEndian<quint32>(pointer);
    const quint32 length = qFromLittleEndian<quint32>(pointer + 4);
    const qint64 block = offset & ~0xFFu;
    const int index = offset & 0xFF;
    if (length == 0 || block < mbBlockSize || block % mbBlockSize != 0 || block >= m_file.size())
        return; // nothing outside the record (or a pointer already found damaged when read)
    const QByteArray head = readAt(block, 3);
    const int type = static_cast<uchar>(head.at(0));
    if (index == 0xFF && type == mbSingleBlob) {
        writeAt(block, QByteArray(1, static_cast<char>(mbFreeBlock)));
    } else if (index < mbSmallEntries && type == mbSmallBlobs) {
        writeAt(block + mbSmallTableStart + index * entrySize, QByteArray(entrySize, '\0'));
        for (SmallBlock& b : m_small)
            if (b.offset == block)
                b = measureSmallBlock(block);
    }
}

} // namespace tables
