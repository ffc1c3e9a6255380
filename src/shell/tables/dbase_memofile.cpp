#include "shell/tables/dbase_memofile.h"

#include "shell/tables/messages.h"

#include "shell/error.h"

#include <QDir>
#include <QtEndian>

namespace tables {

namespace {

constexpr qint64 headerSize = 512;
constexpr qint64 largestMemo = 256 * 1024 * 1024; // larger lengths mean a damaged file

} // namespace

DbaseMemoFile::DbaseMemoFile(const QString& path, Kind kind, bool writable)
    : m_path(path), m_kind(kind), m_file(path)
{
    if (!m_file.open(writable ? QIODevice::ReadWrite : QIODevice::ReadOnly))
        fail(msg("the memo file cannot be opened (%1)").arg(m_file.errorString()));
    const QByteArray head = m_file.read(headerSize);
    if (head.size() < 32)
        fail(msg("the memo file is too short to be one; it is damaged"));
    const auto* h = reinterpret_cast<const uchar*>(head.constData());
    switch (m_kind) {
    case Kind::Dbase3:
        m_blockSize = 512;
        break;
    case Kind::Dbase4: {
        const quint16 size = qFromLittleEndian<quint16>(h + 20);
        m_blockSize = size == 0 ? 512 : size;
        break;
    }
    case Kind::FoxPro: {
        const quint16 size = qFromBigEndian<quint16>(h + 6);
        m_blockSize = size == 0 ? 1 : size;
        break;
    }
    }
    if (m_blockSize < 1)
        fail(msg("the memo file's block size is damaged"));
}

void DbaseMemoFile::reopenForWriting()
{
    m_file.close();
    if (!m_file.open(QIODevice::ReadWrite))
        fail(msg("the memo file cannot be opened for writing (%1)").arg(m_file.errorString()));
}

void DbaseMemoFile::fail(const QString& what) const
{
    throw shell::AppError(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(m_path), what));
}

QByteArray DbaseMemoFile::read(quint32 block)
{
    const qint64 offset = static_cast<qint64>(block) * m_blockSize;
    const qint64 fileSize = m_file.size();
    if (block == 0 || offset < headerSize)
        fail(msg("memo block %1 is not a data block; the table or its memo file is damaged").arg(block));
    if (offset >= fileSize)
        fail(msg("memo block %1 lies beyond the end of the memo file; the file is truncated or damaged")
                 .arg(block));
    if (!m_file.seek(offset))
        fail(msg("memo block %1 cannot be read (%2)").arg(block).arg(m_file.errorString()));

    if (m_kind == Kind::FoxPro || m_kind == Kind::Dbase4) {
        const QByteArray head = m_file.read(8);
        if (head.size() < 8)
            fail(msg("memo block %1 is cut short; the memo file is truncated").arg(block));
        const auto* h = reinterpret_cast<const uchar*>(head.constData());
        qint64 length = -1;
        if (m_kind == Kind::FoxPro)
            length = qFromBigEndian<quint32>(h + 4);
        else if (h[0] == 0xFF && h[1] == 0xFF && h[2] == 0x08 && h[3] == 0x00)
            length = static_cast<qint64>(qFromLittleEndian<quint32>(h + 4)) - 8;
        if (length >= 0) {
            if (length > largestMemo || offset + 8 + length > fileSize)
                fail(msg("the memo in block %1 runs past the end of the memo file; the file is "
                         "truncated or damaged")
                         .arg(block));
            const QByteArray data = m_file.read(length);
            if (data.size() != length)
                fail(msg("the memo in block %1 cannot be read").arg(block));
            return data;
        }
        // A dBASE IV memo file written the dBASE III way: text up to the end mark.
        m_file.seek(offset);
    }

    QByteArray data;
    while (data.size() < largestMemo) {
        const QByteArray chunk = m_file.read(m_blockSize);
        if (chunk.isEmpty())
            break; // the last memo of a file may lack its end mark
        const qsizetype end = chunk.indexOf('\x1A');
        if (end >= 0) {
            data += chunk.left(end);
            break;
        }
        data += chunk;
    }
    return data;
}

quint32 DbaseMemoFile::nextFreeBlock()
{
    // The header's own pointer is not trusted: pointing inside the file it would overwrite memos in use,
    // pointing far beyond it (a damaged header) it would blow the file up. New blocks go at the end.
    const qint64 end = (qMax<qint64>(m_file.size(), headerSize) + m_blockSize - 1) / m_blockSize;
    if (end > 0xFFFFFFFFLL)
        fail(msg("the memo file is full"));
    return static_cast<quint32>(end);
}

quint32 DbaseMemoFile::append(const QByteArray& data, bool binary)
{
    QByteArray stored;
    switch (m_kind) {
    case Kind::Dbase3:
        if (data.contains('\x1A'))
            fail(msg("a dBASE III memo cannot hold the character 0x1A"));
        stored = data + QByteArray("\x1A\x1A", 2);
        break;
    case Kind::Dbase4: {
        stored.resize(8);
        auto* h = reinterpret_cast<uchar*>(stored.data());
        h[0] = 0xFF;
        h[1] = 0xFF;
        h[2] = 0x08;
        h[3] = 0x00;
        qToLittleEndian<quint32>(static_cast<quint32>(data.size() + 8), h + 4);
        stored += data;
        break;
    }
    case Kind::FoxPro: {
        stored.resize(8);
        auto* h = reinterpret_cast<uchar*>(stored.data());
        qToBigEndian<quint32>(binary ? 0 : 1, h);
        qToBigEndian<quint32>(static_cast<quint32>(data.size()), h + 4);
        stored += data;
        break;
    }
    }
    if (data.size() > largestMemo)
        fail(msg("a memo of %1 bytes is too large").arg(data.size()));
    const qint64 blocks = (stored.size() + m_blockSize - 1) / m_blockSize;
    stored.append(blocks * m_blockSize - stored.size(), m_kind == Kind::Dbase3 ? '\x1A' : '\0');

    const quint32 first = nextFreeBlock();
    const qint64 after = static_cast<qint64>(first) + blocks;
    if (after > 0xFFFFFFFFLL || after * m_blockSize > 0x7FFFFFFFLL * 2)
        fail(msg("the memo file is full"));
    // Data first, then the header that hands the blocks out: a failure between the two wastes space only.
    if (!m_file.seek(static_cast<qint64>(first) * m_blockSize) || m_file.write(stored) != stored.size()
        || !m_file.flush())
        fail(msg("the memo cannot be written (%1)").arg(m_file.errorString()));
    uchar next[4];
    if (m_kind == Kind::FoxPro)
        qToBigEndian<quint32>(static_cast<quint32>(after), next);
    else
        qToLittleEndian<quint32>(static_cast<quint32>(after), next);
    if (!m_file.seek(0) || m_file.write(reinterpret_cast<const char*>(next), 4) != 4 || !m_file.flush())
        fail(msg("the memo file's header cannot be written (%1)").arg(m_file.errorString()));
    return first;
}

} // namespace tables
