// Changes to a dBASE table: records encoded field by field, memos appended, the header's counters kept.

#include "shell/error.h"
#include "shell/tables/dbase_tablefile.h"
#include "shell/tables/dbase_values.h"
#include "shell/tables/messages.h"

#include <QFileInfo>
#include <QtEndian>

#include <sqlite3.h>

#include <cmath>
#include <limits>

namespace tables {

using dbase::FieldLayout;
using dbase::NumberFit;
using dbase::Storage;

namespace {

constexpr char endOfFile = 0x1A;

void setBit(QByteArray& record, int flagsOffset, int bit, bool on)
{
    auto& byte = reinterpret_cast<uchar&>(record[flagsOffset + bit / 8]);
    const auto mask = static_cast<uchar>(1 << (bit % 8));
    byte = on ? (byte | mask) : (byte & ~mask);
}

} // namespace

void DbaseTableFile::prepareWrite()
{
    if (!m_readOnlyReason.isEmpty())
        throw shell::AppError(m_readOnlyReason);
    // The record count as we left it; had another program added records since, ours would overwrite them.
    QFile now(m_path);
    QByteArray head;
    if (now.open(QIODevice::ReadOnly))
        head = now.read(m_header.headerLength);
    if (head.size() != m_header.headerLength || recordCountIn(head) != recordCountIn(m_headerBytes)
        || now.size() != m_fileSize)
        failChangedByAnotherProgram(m_path);
    if (!m_file.isWritable()) {
        m_file.close();
        if (!m_file.open(QIODevice::ReadWrite))
            fail(msg("the file cannot be opened for writing (%1)").arg(m_file.errorString()));
    }
    if (m_memo && !m_memo->isWritable())
        m_memo->reopenForWriting();
}

qint64 DbaseTableFile::recordCountIn(const QByteArray& header) const
{
    if (m_header.dialect == dbase::Dialect::Dbase2)
        return qFromLittleEndian<quint16>(header.constData() + dbase::offsets::dbase2RecordCount);
    return qFromLittleEndian<quint32>(header.constData() + dbase::offsets::recordCount);
}

void DbaseTableFile::writeAt(qint64 offset, const QByteArray& bytes)
{
    if (!m_file.seek(offset) || m_file.write(bytes) != bytes.size() || !m_file.flush())
        fail(msg("the file cannot be written (%1)").arg(m_file.errorString()));
    m_blockRows = 0;
    m_changed = true;
    const FileStamp stamp = fileStamp();
    m_fileSize = stamp.size;
    m_modified = stamp.modified;
}

void DbaseTableFile::writeHeaderCounters(qint64 records)
{
    QByteArray& h = m_headerBytes;
    const QDate today = QDate::currentDate();
    if (m_header.dialect == dbase::Dialect::Dbase2) {
        if (records > 0xFFFF)
            fail(msg("a dBASE II table holds at most 65535 records"));
        qToLittleEndian<quint16>(static_cast<quint16>(records), h.data() + dbase::offsets::dbase2RecordCount);
        h[dbase::offsets::dbase2UpdateDate] = static_cast<char>(today.month());
        h[dbase::offsets::dbase2UpdateDate + 1] = static_cast<char>(today.day());
        h[dbase::offsets::dbase2UpdateDate + 2] = static_cast<char>(today.year() % 100);
        writeAt(0, h.left(dbase::offsets::dbase2RecordLength));
    } else {
        qToLittleEndian<quint32>(static_cast<quint32>(records), h.data() + dbase::offsets::recordCount);
        h[dbase::offsets::updateYear] = static_cast<char>(qBound(0, today.year() - 1900, 255));
        h[dbase::offsets::updateYear + 1] = static_cast<char>(today.month());
        h[dbase::offsets::updateYear + 2] = static_cast<char>(today.day());
        writeAt(0, h.left(dbase::offsets::headerLength));
    }
}

void DbaseTableFile::writeRecord(qint64 row, const QByteArray& record)
{
    const qint64 offset = m_header.headerLength + (row - 1) * m_header.recordLength;
    if (row <= m_records) {
        writeAt(offset, record);
        writeHeaderCounters(m_records); // the date of the last change
        return;
    }
    // The record and the end mark first, then the count that makes them part of the table.
    writeAt(offset, record + endOfFile);
    writeHeaderCounters(row);
    m_records = row;
}

void DbaseTableFile::assignAutoIncrement(QByteArray& record)
{
    for (int i = 0; i < m_header.fields.size(); ++i) {
        FieldLayout& f = m_header.fields[i];
        if (!f.autoIncrement)
            continue;
        auto* raw = reinterpret_cast<uchar*>(record.data() + f.offset);
        const quint32 value = f.nextValue;
        if (value > quint32(std::numeric_limits<qint32>::max()))
            fail(msg("field %1: the auto-increment values are used up").arg(m_engineFields[i].name));
        if (f.storage == Storage::Dbase7Long)
            dbase::writeDbase7Long(static_cast<qint32>(value), raw);
        else
            qToLittleEndian<qint32>(static_cast<qint32>(value), raw);
        f.nextValue = value + static_cast<quint32>(f.step);
        qToLittleEndian<quint32>(f.nextValue, m_headerBytes.data() + nextValueOffset(f));
    }
}

int DbaseTableFile::nextValueOffset(const FieldLayout& f) const
{
    return f.descriptor + (m_header.dialect == dbase::Dialect::Dbase7 ? 40 : 19);
}

void DbaseTableFile::encodeValues(QByteArray& record, sqlite3_value** values, bool isNew,
                                  QVector<PendingMemo>& memos)
{
    for (int i = 0; i < m_header.fields.size(); ++i) {
        if (m_header.fields[i].autoIncrement || (!isNew && sqlite3_value_nochange(values[i])))
            continue;
        encodeField(record, i, values[i], memos);
    }
}

void DbaseTableFile::encodeField(QByteArray& record, int index, sqlite3_value* v, QVector<PendingMemo>& memos)
{
    const FieldLayout& f = m_header.fields[index];
    const QString& name = m_engineFields[index].name;
    char* raw = record.data() + f.offset;
    auto* bytes = reinterpret_cast<uchar*>(raw);
    const bool null = fieldvalue::isNull(v);
    const auto refuse = [&](const QString& what) {
        throw shell::AppError(
            msg("%1: field %2, record %3: %4").arg(displayPath(), name).arg(m_writingRow).arg(what));
    };
    const auto encodeText = [&](QByteArray& out) {
        QString missing;
        if (!m_codePage->encode(fieldvalue::text(v), out, &missing)) {
            ++m_counts.refusedCodePage;
            refuse(msg("the character \"%1\" cannot be stored in the code page %2 of this table")
                       .arg(missing, QString::fromLatin1(m_codePage->name())));
        }
    };
    if (f.nullBit >= 0) {
        setBit(record, m_header.nullFlagsOffset, f.nullBit, null);
        if (null) {
            std::memset(raw, f.storage == Storage::Text || f.storage == Storage::Numeric ? ' ' : 0, f.length);
            return;
        }
    }
    try {
        switch (f.storage) {
        case Storage::Text: {
            QByteArray encoded;
            if (!null)
                encodeText(encoded);
            if (encoded.size() > f.length)
                refuse(
                    msg("the text is %1 bytes long, the field holds %2").arg(encoded.size()).arg(f.length));
            std::memset(raw, ' ', f.length);
            std::memcpy(raw, encoded.constData(), encoded.size());
            return;
        }
        case Storage::VarChar:
        case Storage::VarBinary: {
            QByteArray data;
            if (!null) {
                if (f.storage == Storage::VarChar)
                    encodeText(data);
                else
                    data = fieldvalue::blob(v);
            }
            if (data.size() > f.length)
                refuse(msg("the value is %1 bytes long, the field holds %2").arg(data.size()).arg(f.length));
            std::memset(raw, 0, f.length);
            std::memcpy(raw, data.constData(), data.size());
            const bool shorter = data.size() < f.length;
            if (shorter)
                bytes[f.length - 1] = static_cast<uchar>(data.size());
            setBit(record, m_header.nullFlagsOffset, f.varLengthBit, shorter);
            return;
        }
        case Storage::Numeric: {
            QByteArray text(f.length, ' ');
            if (null) {
                std::memcpy(raw, text.constData(), f.length);
                return;
            }
            NumberFit fit;
            const bool whole = f.engineType == FieldType::Integer;
            if (whole && sqlite3_value_type(v) == SQLITE_INTEGER) {
                fit = dbase::formatInteger(sqlite3_value_int64(v), f.length, text);
            } else {
                const double d = fieldvalue::number(v, name);
                fit = dbase::formatNumber(d, f.length, whole ? 0 : f.decimals, text);
            }
            if (fit == NumberFit::TooWide)
                refuse(msg("the number %1 does not fit the field's width of %2")
                           .arg(fieldvalue::text(v))
                           .arg(f.length));
            if (fit == NumberFit::Rounded) {
                if (!m_allowRounding) {
                    ++m_counts.refusedRounding;
                    refuse(msg("the number %1 fits the field (%2 wide, %3 decimals) only rounded to %4; "
                               "allow rounding to store it so")
                               .arg(fieldvalue::text(v))
                               .arg(f.length)
                               .arg(f.decimals)
                               .arg(QString::fromLatin1(text.trimmed())));
                }
                ++m_counts.rounded;
            }
            std::memcpy(raw, text.constData(), f.length);
            return;
        }
        case Storage::Date: {
            const QByteArray text = null ? QByteArray(8, ' ') : dbase::formatDate(fieldvalue::date(v, name));
            if (text.size() != 8)
                refuse(msg("the year must have four digits"));
            std::memcpy(raw, text.constData(), 8);
            return;
        }
        case Storage::Logical:
            raw[0] = null ? ' ' : (fieldvalue::logical(v, name) ? 'T' : 'F');
            return;
        case Storage::Memo:
        case Storage::BinaryMemo: {
            QByteArray data;
            if (!null) {
                if (f.storage == Storage::Memo) {
                    encodeText(data);
                    if (m_memo->kind() == DbaseMemoFile::Kind::Dbase3 && data.contains('\x1A'))
                        refuse(msg("a dBASE III memo cannot hold the character 0x1A"));
                } else {
                    if (!m_memo->canHoldBinary())
                        refuse(msg("a dBASE III memo file cannot hold binary data"));
                    data = fieldvalue::blob(v);
                }
            }
            if (data.isEmpty())
                dbase::formatMemoBlock(0, f.length, raw);
            else
                memos.push_back({index, data, f.storage == Storage::BinaryMemo});
            return;
        }
        case Storage::FoxInteger:
            qToLittleEndian<qint32>(
                null ? 0
                     : static_cast<qint32>(fieldvalue::integer(v, name, std::numeric_limits<qint32>::min(),
                                                               std::numeric_limits<qint32>::max())),
                bytes);
            return;
        case Storage::Dbase7Long:
            if (null)
                std::memset(raw, 0, 4);
            else
                dbase::writeDbase7Long(
                    static_cast<qint32>(fieldvalue::integer(v, name, std::numeric_limits<qint32>::min(),
                                                            std::numeric_limits<qint32>::max())),
                    bytes);
            return;
        case Storage::FoxCurrency: {
            const double d = null ? 0.0 : fieldvalue::number(v, name);
            if (!dbase::writeFoxCurrency(d, bytes))
                refuse(msg("the amount %1 is too large").arg(d));
            return;
        }
        case Storage::FoxDouble:
            qToLittleEndian<double>(null ? 0.0 : fieldvalue::number(v, name), bytes);
            return;
        case Storage::Dbase7Double:
            if (null)
                std::memset(raw, 0, 8);
            else
                dbase::writeDbase7Double(fieldvalue::number(v, name), bytes);
            return;
        case Storage::FoxDateTime:
            dbase::writeFoxDateTime(null ? QDateTime() : fieldvalue::timestamp(v, name), bytes);
            return;
        case Storage::Dbase7Stamp:
            dbase::writeDbase7Timestamp(null ? QDateTime() : fieldvalue::timestamp(v, name), bytes);
            return;
        case Storage::Raw:
            refuse(msg("fields of the type '%1' cannot be changed").arg(QChar::fromLatin1(f.type)));
        }
    } catch (const shell::AppError& e) {
        const QString msg = e.message();
        if (msg.startsWith(displayPath()))
            throw;
        throw shell::AppError(QStringLiteral("%1: %2").arg(displayPath(), msg));
    }
}

void DbaseTableFile::writeMemos(QByteArray& record, const QVector<PendingMemo>& memos)
{
    for (const PendingMemo& memo : memos) {
        const FieldLayout& f = m_header.fields[memo.field];
        const quint32 block = m_memo->append(memo.data, memo.binary);
        if (!dbase::formatMemoBlock(block, f.length, record.data() + f.offset))
            fail(msg("field %1: the memo file is too large for the block number")
                     .arg(m_engineFields[memo.field].name));
    }
}

void DbaseTableFile::updateRow(qint64 row, sqlite3_value** values)
{
    prepareWrite();
    m_writingRow = row;
    QByteArray rec = readRecord(row);
    rec.detach();
    if (rec.at(0) == '*')
        fail(msg("there is no record %1").arg(row));
    QVector<PendingMemo> memos;
    encodeValues(rec, values, false, memos);
    writeMemos(rec, memos);
    writeRecord(row, rec);
}

qint64 DbaseTableFile::insertRow(sqlite3_value** values)
{
    prepareWrite();
    if (m_records >= std::numeric_limits<int>::max())
        fail(msg("the table is full"));
    m_writingRow = m_records + 1;
    QByteArray rec(m_header.recordLength, ' ');
    if (m_header.nullFlagsOffset >= 0)
        std::memset(rec.data() + m_header.nullFlagsOffset, 0, m_header.nullFlagsLength);
    QVector<PendingMemo> memos;
    encodeValues(rec, values, true, memos);
    assignAutoIncrement(rec);
    writeMemos(rec, memos);
    writeRecord(m_records + 1, rec);
    for (const FieldLayout& f : std::as_const(m_header.fields)) {
        if (f.autoIncrement)
            writeAt(nextValueOffset(f), m_headerBytes.mid(nextValueOffset(f), 4));
    }
    return m_records;
}

void DbaseTableFile::deleteRow(qint64 row)
{
    prepareWrite();
    const QByteArray rec = readRecord(row);
    if (rec.at(0) == '*')
        fail(msg("there is no record %1").arg(row));
    writeAt(m_header.headerLength + (row - 1) * m_header.recordLength, QByteArray(1, '*'));
    writeHeaderCounters(m_records);
}

} // namespace tables
