#include "shell/tables/paradox_blobfile.h"

#include "shell/tables/messages.h"

#include "shell/error.h"

#include "shell/tables/paradox_format.h"
#include "shell/tables/tablefilesupport.h"

#include <QDir>
#include <QtEndian>

namespace tables {

using namespace paradox;

namespace {

constexpr qint64 blockSize = mbBlockSize;
constexpr int pointerSize = mbPointerSize;
constexpr int graphicPrefix = mbGraphicPrefix;

} // namespace

ParadoxBlobFile::ParadoxBlobFile(const QString& path, bool writable) : m_path(path), m_file(path)
{
    // Unbuffered: blobs are written in place and read back at once.
    if (!m_file.open((writable ? QIODevice::ReadWrite : QIODevice::ReadOnly) | QIODevice::Unbuffered))
        fail(msg("the blob file cannot be opened (%1)").arg(m_file.errorString()));
    const QByteArray head = m_file.read(blockSize);
    if (head.size() < 16 || head.at(0) != 0)
        fail(msg("the blob file is damaged (no header block)"));
}

void ParadoxBlobFile::fail(const QString& what) const
{
    failFile(m_path, what);
}

QByteArray ParadoxBlobFile::readAt(qint64 offset, qint64 size)
{
    if (offset < 0 || size < 0 || offset + size > m_file.size())
        fail(msg("a blob lies beyond the end of the blob file; the file is truncated or damaged"));
    QByteArray data;
    if (!m_file.seek(offset) || (data = m_file.read(size)).size() != size)
        fail(msg("the blob file cannot be read (%1)").arg(m_file.errorString()));
    return data;
}

QByteArray ParadoxBlobFile::read(const char* field, int fieldSize, bool graphic, bool* isNull)
{
    *isNull = false;
    const int leaderSize = fieldSize - pointerSize;
    const auto* pointer = reinterpret_cast<const uchar*>(field + leaderSize);
    const quint32 offset = qFromLittleEndian<quint32>(pointer);
    const quint32 length = qFromLittleEndian<quint32>(pointer + 4);
    if (length == 0) {
        *isNull = true;
        return {};
    }
    QByteArray data;
    if (length <= static_cast<quint32>(leaderSize)) {
        data = QByteArray(field, length); // short enough to live in the record alone
    } else {
        const qint64 block = offset & ~0xFFu;
        const int index = offset & 0xFF;
        if (block < blockSize || block % blockSize != 0)
            fail(msg("a blob pointer leads to offset %1, which is not a data block; the table is damaged")
                     .arg(block));
        const QByteArray head = readAt(block, 12);
        const auto* h = reinterpret_cast<const uchar*>(head.constData());
        if (index == 0xFF) {
            if (h[0] != 2)
                fail(msg("the blob at offset %1 is missing (block type %2); the blob file is damaged")
                         .arg(block)
                         .arg(h[0]));
            const qint64 blocks = qFromLittleEndian<quint16>(h + 1);
            if (9 + static_cast<qint64>(length) > blocks * blockSize)
                fail(msg("the blob at offset %1 is longer than its blocks; the blob file is damaged")
                         .arg(block));
            data = readAt(block + 9, length);
        } else {
            if (h[0] != 3 || index >= 64)
                fail(msg("the blob %1 at offset %2 is missing (block type %3); the blob file is damaged")
                         .arg(index)
                         .arg(block)
                         .arg(h[0]));
            const QByteArray entry = readAt(block + 12 + index * 5, 5);
            const auto* e = reinterpret_cast<const uchar*>(entry.constData());
            const qint64 start = block + 16 * static_cast<qint64>(e[0]);
            if (e[0] == 0 || start + length > block + blockSize || 16 * static_cast<qint64>(e[1]) < length)
                fail(msg("the blob %1 at offset %2 does not fit its block; the blob file is damaged")
                         .arg(index)
                         .arg(block));
            data = readAt(start, length);
        }
    }
    if (graphic && data.size() >= graphicPrefix)
        data.remove(0, graphicPrefix);
    return data;
}

} // namespace tables
