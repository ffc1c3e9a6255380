#include "shell/tables/paradox_tablefile.h"

#include "shell/error.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>

extern "C" { // pxlib's header does not say so itself
#include <paradox.h>
}
#include <sqlite3.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace tables {

namespace {

constexpr int blockHeaderSize = 6;
constexpr qint64 julianDayOfDayZero = 1721425; // day 1 of a Paradox date is 0001-01-01

// Header offsets.
constexpr int hRecordSize = 0x00;
constexpr int hHeaderSize = 0x02;
constexpr int hFileType = 0x04;
constexpr int hMaxTableSize = 0x05;
constexpr int hRecords = 0x06;
constexpr int hUsedBlocks = 0x0A;
constexpr int hFileBlocks = 0x0C;
constexpr int hFirstBlock = 0x0E;
constexpr int hLastBlock = 0x10;
constexpr int hFieldCount = 0x21;
constexpr int hKeyFields = 0x23;
constexpr int hEncryption1 = 0x25; // Paradox 3
constexpr int hEncryption2 = 0x5C; // Paradox 4 and later
constexpr int hVersion = 0x39;
constexpr int hAutoIncrement = 0x49;
constexpr int hFirstFreeBlock = 0x4D;
constexpr int hCodePage = 0x6A;

bool isBlobType(int type)
{
    return type == pxfMemoBLOb || type == pxfBLOb || type == pxfFmtMemoBLOb || type == pxfOLE
           || type == pxfGraphic;
}

// Bytes a field of a type takes in the record; 0 for a type or size that is not valid.
int storedSize(int type, int size)
{
    switch (type) {
    case pxfAlpha:
        return size >= 1 ? size : 0;
    case pxfDate:
    case pxfLong:
    case pxfTime:
    case pxfAutoInc:
        return size == 4 ? 4 : 0;
    case pxfShort:
        return size == 2 ? 2 : 0;
    case pxfCurrency:
    case pxfNumber:
    case pxfTimestamp:
        return size == 8 ? 8 : 0;
    case pxfLogical:
        return size == 1 ? 1 : 0;
    case pxfMemoBLOb:
    case pxfBLOb:
    case pxfFmtMemoBLOb:
    case pxfOLE:
    case pxfGraphic:
        return size >= 10 ? size : 0;
    case pxfBCD:
        return size <= 32 ? 17 : 0; // the size byte holds the decimals
    case pxfBytes:
        return size >= 1 ? size : 0;
    default:
        return 0;
    }
}

FieldType engineType(int type)
{
    switch (type) {
    case pxfAlpha:
        return FieldType::Alpha;
    case pxfDate:
        return FieldType::Date;
    case pxfShort:
        return FieldType::SmallInt;
    case pxfLong:
        return FieldType::Integer;
    case pxfCurrency:
        return FieldType::Money;
    case pxfNumber:
        return FieldType::Number;
    case pxfLogical:
        return FieldType::Logical;
    case pxfMemoBLOb:
        return FieldType::Memo;
    case pxfFmtMemoBLOb:
        return FieldType::FormattedMemo;
    case pxfGraphic:
        return FieldType::Graphic;
    case pxfTime:
        return FieldType::Time;
    case pxfTimestamp:
        return FieldType::Timestamp;
    case pxfAutoInc:
        return FieldType::AutoInc;
    case pxfBCD:
        return FieldType::Bcd;
    case pxfBytes:
        return FieldType::Bytes;
    default:
        return FieldType::Binary; // binary and OLE
    }
}

bool allZero(const char* data, int size)
{
    for (int i = 0; i < size; ++i)
        if (data[i] != 0)
            return false;
    return true;
}

// Integers are stored big-endian with the sign bit flipped, so that they sort as bytes.
qint64 decodeInteger(const uchar* raw, int size)
{
    if (size == 2)
        return static_cast<qint16>(qFromBigEndian<quint16>(raw) ^ 0x8000u);
    return static_cast<qint32>(qFromBigEndian<quint32>(raw) ^ 0x80000000u);
}

void encodeInteger(uchar* raw, int size, qint64 value)
{
    if (size == 2)
        qToBigEndian<quint16>(static_cast<quint16>(static_cast<quint16>(value) ^ 0x8000u), raw);
    else
        qToBigEndian<quint32>(static_cast<quint32>(value) ^ 0x80000000u, raw);
}

// Doubles: positive values with the sign bit set, negative ones with every bit inverted.
double decodeDouble(const uchar* raw)
{
    quint64 bits = qFromBigEndian<quint64>(raw);
    if (bits & 0x8000000000000000ULL)
        bits &= ~0x8000000000000000ULL;
    else
        bits = ~bits;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

void encodeDouble(uchar* raw, double value)
{
    if (value == 0)
        value = 0; // no negative zero
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    if (bits & 0x8000000000000000ULL)
        bits = ~bits;
    else
        bits |= 0x8000000000000000ULL;
    qToBigEndian<quint64>(bits, raw);
}

// BCD: a byte with the sign (0x80 positive, 0x40 negative, neither when empty) and the decimals, then
// 32 digits as nibbles, the last ones the decimals; a negative number has every digit complemented.
constexpr int bcdDigits = 32;

double decodeBcd(const uchar* raw, bool* ok)
{
    *ok = false;
    if ((raw[0] & 0xC0) == 0)
        return 0;
    const bool negative = !(raw[0] & 0x80);
    const int decimals = qMin(raw[0] & 0x3F, bcdDigits);
    QByteArray text;
    text.reserve(bcdDigits + 2);
    if (negative)
        text += '-';
    for (int i = 0; i < bcdDigits; ++i) {
        int digit = (raw[1 + i / 2] >> (i % 2 ? 0 : 4)) & 0xF;
        if (negative)
            digit = 0xF - digit;
        if (digit > 9)
            return 0;
        if (i == bcdDigits - decimals)
            text += '.';
        text += static_cast<char>('0' + digit);
    }
    return text.toDouble(ok);
}

bool encodeBcd(uchar* raw, int decimals, double value)
{
    decimals = qMin(decimals, bcdDigits);
    const bool negative = value < 0;
    QByteArray digits = QByteArray::number(std::fabs(value), 'f', decimals).replace('.', "");
    if (digits.size() > bcdDigits)
        return false;
    digits = QByteArray(bcdDigits - digits.size(), '0') + digits;
    std::memset(raw, 0, 17);
    raw[0] = static_cast<uchar>((negative ? 0x40 : 0xC0) | decimals);
    for (int i = 0; i < bcdDigits; ++i) {
        int digit = digits.at(i) - '0';
        if (negative)
            digit = 0xF - digit;
        raw[1 + i / 2] |= static_cast<uchar>(digit << (i % 2 ? 0 : 4));
    }
    return true;
}

QDate dateOfDay(qint64 day)
{
    if (day < 1 || day > 3652059) // 0001-01-01 .. 9999-12-31
        return {};
    return QDate::fromJulianDay(day + julianDayOfDayZero);
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

ParadoxTableFile::ParadoxTableFile(const QString& path, const QStringList& options)
    : m_path(path), m_file(path)
{
    const bool writable = QFileInfo(path).isWritable();
    // Unbuffered: what another program wrote meanwhile must not hide behind a read buffer.
    if (!m_file.open((writable ? QIODevice::ReadWrite : QIODevice::ReadOnly) | QIODevice::Unbuffered))
        fail(QStringLiteral("the file cannot be opened (%1)").arg(m_file.errorString()));
    readHeader();
    walkBlocks();
    m_expectedSize = m_file.size();

    QByteArray codePage;
    if (!options.isEmpty() && !options.first().trimmed().isEmpty())
        codePage = CodePage::fromCpgText(options.first().toLatin1());
    if (codePage.isEmpty())
        codePage = CodePage::fromWindowsNumber(m_codePageNumber);
    if (codePage.isEmpty())
        codePage = paradoxFallbackCodePage();
    try {
        m_codePage = CodePage::byName(codePage);
    } catch (const AppError& e) {
        fail(e.message());
    }

    // Field names are stored in the table's code page; they follow the table name in the header.
    const int fieldInfoStart = m_version >= 5 ? 0x78 : 0x58;
    int at = fieldInfoStart + 2 * m_fields.size() + 4 + 4 * m_fields.size() + (m_version >= 12 ? 261 : 79);
    for (FieldInfo& f : m_fields) {
        const int end = m_header.indexOf('\0', at);
        f.name = m_codePage->decode(m_header.constData() + at, end - at);
        f.field.name = f.name;
        at = end + 1;
    }

    if (m_hasBlobFields) {
        const QString blobPath = companionFile(path, QStringLiteral("mb"));
        if (blobPath.isEmpty())
            fail(QStringLiteral("the table has memo or blob fields but its blob file (%1.MB) is missing")
                     .arg(QFileInfo(path).completeBaseName()));
        m_blobs = std::make_unique<ParadoxBlobFile>(blobPath);
    }
    if (!writable)
        m_readOnlyReason = QStringLiteral("the file is read-only");
    decideWritable(options);
    if (!m_readOnlyReason.isEmpty())
        m_readOnlyReason = QStringLiteral("%1: %2").arg(displayPath(), m_readOnlyReason);
    for (FieldInfo& f : m_fields)
        f.field.modifiable = m_readOnlyReason.isEmpty() && f.type != pxfAutoInc;
}

ParadoxTableFile::~ParadoxTableFile() = default;

void ParadoxTableFile::fail(const QString& what) const
{
    throw AppError(QStringLiteral("%1: %2").arg(displayPath(), what));
}

QString ParadoxTableFile::displayPath() const
{
    return QDir::toNativeSeparators(m_path);
}

void ParadoxTableFile::readHeader()
{
    const qint64 fileSize = m_file.size();
    QByteArray head = m_file.read(0x80);
    if (head.size() < 0x58)
        fail(QStringLiteral("the file is too short to be a Paradox table"));
    const auto* h = reinterpret_cast<const uchar*>(head.constData());
    m_recordSize = qFromLittleEndian<quint16>(h + hRecordSize);
    m_headerSize = qFromLittleEndian<quint16>(h + hHeaderSize);
    m_fileType = h[hFileType];
    const int maxTableSize = h[hMaxTableSize];
    m_version = h[hVersion];
    const int fieldCount = qFromLittleEndian<quint16>(h + hFieldCount);
    if (m_fileType != 0 && m_fileType != 2)
        fail(
            QStringLiteral("the file is not a Paradox table (file type %1; an index file?)").arg(m_fileType));
    if (m_version < 3 || m_version > 12)
        fail(QStringLiteral("the header is damaged or of an unknown Paradox version (%1)").arg(m_version));
    if (!(maxTableSize >= 1 && maxTableSize <= 4) && maxTableSize != 8 && maxTableSize != 16
        && maxTableSize != 32)
        fail(QStringLiteral("the header is damaged (block size %1 KB)").arg(maxTableSize));
    m_blockSize = maxTableSize * 1024;
    const int fieldInfoStart = m_version >= 5 ? 0x78 : 0x58;
    if (fieldCount < 1 || fieldCount > 255)
        fail(QStringLiteral("the header is damaged (%1 fields)").arg(fieldCount));
    const int namesStart = fieldInfoStart + 6 * fieldCount + 4 + (m_version >= 12 ? 261 : 79);
    if (m_headerSize < namesStart + 2 * fieldCount || m_headerSize > fileSize)
        fail(
            QStringLiteral("the header is damaged or the file truncated (header of %1 bytes in a file of %2)")
                .arg(m_headerSize)
                .arg(fileSize));
    if (m_recordSize < 1 || m_recordSize + blockHeaderSize > m_blockSize)
        fail(QStringLiteral("the header is damaged (record size %1)").arg(m_recordSize));
    m_file.seek(0);
    m_header = m_file.read(m_headerSize);
    if (m_header.size() != m_headerSize)
        fail(QStringLiteral("the header cannot be read"));
    h = reinterpret_cast<const uchar*>(m_header.constData());

    // Password-protected tables are scrambled block by block.
    const quint32 encryption = m_version >= 5 ? qFromLittleEndian<quint32>(h + hEncryption2)
                                              : qFromLittleEndian<quint32>(h + hEncryption1);
    if (encryption != 0)
        fail(QStringLiteral("the table is protected by a password, which this program does not support"));

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
            fail(QStringLiteral("the header is damaged (field %1 has type %2 and size %3)")
                     .arg(i + 1)
                     .arg(f.type)
                     .arg(size));
        f.decimals = f.type == pxfBCD ? size : 0;
        f.offset = offset;
        offset += f.size;
        f.field.type = engineType(f.type);
        if (f.type == pxfAlpha || f.type == pxfBytes)
            f.field.size = f.size;
        m_hasBlobFields = m_hasBlobFields || isBlobType(f.type);
        m_fields.push_back(f);
    }
    if (offset != m_recordSize)
        fail(QStringLiteral("the header is damaged (the fields take %1 bytes of a %2-byte record)")
                 .arg(offset)
                 .arg(m_recordSize));
    // Every field name must end inside the header.
    int at = namesStart;
    for (int i = 0; i < fieldCount; ++i) {
        const qsizetype end = m_header.indexOf('\0', at);
        if (end < 0)
            fail(QStringLiteral("the header is damaged (the field names run past its end)"));
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
        fail(QStringLiteral("the file is truncated: its header counts %1 blocks, the file holds %2")
                 .arg(m_fileBlocks)
                 .arg((fileSize - m_headerSize) / m_blockSize));
    QVector<bool> seen(m_fileBlocks + 1, false);
    int previous = 0;
    for (int block = m_firstBlock; block != 0;) {
        if (block > m_fileBlocks || seen[block])
            fail(QStringLiteral("the chain of data blocks is damaged (block %1)").arg(block));
        seen[block] = true;
        if (!m_file.seek(blockOffset(block)))
            fail(QStringLiteral("block %1 cannot be read").arg(block));
        const QByteArray head = m_file.read(blockHeaderSize);
        if (head.size() != blockHeaderSize)
            fail(QStringLiteral("block %1 cannot be read").arg(block));
        const auto* h = reinterpret_cast<const uchar*>(head.constData());
        Block b;
        b.number = block;
        b.next = qFromLittleEndian<quint16>(h);
        b.previous = qFromLittleEndian<quint16>(h + 2);
        const int added = qFromLittleEndian<qint16>(h + 4);
        if (added < 0)
            b.records = 0;
        else if (added % m_recordSize == 0 && blockHeaderSize + added + m_recordSize <= m_blockSize)
            b.records = added / m_recordSize + 1;
        else
            fail(QStringLiteral("block %1 is damaged (it claims %2 bytes of records)")
                     .arg(block)
                     .arg(added + m_recordSize));
        if (b.previous != previous && m_readOnlyReason.isEmpty())
            m_readOnlyReason =
                QStringLiteral("the links between its data blocks do not agree; the table may be damaged");
        for (int r = 0; r < b.records; ++r)
            m_rows.push_back(blockOffset(block) + blockHeaderSize + static_cast<qint64>(r) * m_recordSize);
        m_blocks.push_back(b);
        previous = block;
        block = b.next;
    }
    if (!m_blocks.isEmpty() && m_blocks.last().number != m_lastBlock && m_readOnlyReason.isEmpty())
        m_readOnlyReason = QStringLiteral(
            "its header names another last block than the chain ends with; the table may be damaged");
    if (m_rows.size() != m_headerRecords && m_readOnlyReason.isEmpty())
        m_readOnlyReason =
            QStringLiteral(
                "its header counts %1 records but the data blocks hold %2; the table may be damaged")
                .arg(m_headerRecords)
                .arg(m_rows.size());
}

void ParadoxTableFile::decideWritable(const QStringList&)
{
    if (!m_readOnlyReason.isEmpty())
        return;
    if (m_fileType == 0 || m_keyFields > 0) {
        m_readOnlyReason = QStringLiteral(
            "the table is keyed; a change made here would leave its primary index (.PX) out of "
            "date, so it is open read-only (copy it into a new table to change it)");
        return;
    }
    const QFileInfo info(m_path);
    const QStringList indexes =
        QDir(info.path())
            .entryList({info.completeBaseName() + QStringLiteral(".[XxYy][0-9Gg]*")}, QDir::Files);
    if (!indexes.isEmpty()) {
        m_readOnlyReason =
            QStringLiteral("the table has secondary indexes (%1) that a change made here would leave out of "
                           "date, so it is open read-only")
                .arg(indexes.join(QStringLiteral(", ")));
        return;
    }
    if (m_hasBlobFields)
        m_readOnlyReason =
            QStringLiteral("the table has memo or blob fields, whose blob file (.MB) this program does not "
                           "write, so it is open read-only");
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
        fail(QStringLiteral("there is no record %1").arg(row));
    return m_rows[row - 1];
}

bool ParadoxTableFile::readRow(qint64 row, QByteArray& buffer)
{
    if (row < 1 || row > m_rows.size())
        fail(QStringLiteral("there is no record %1").arg(row));
    const qint64 offset = m_rows[row - 1];
    if (offset < 0)
        return false;
    buffer.resize(m_recordSize);
    if (!m_file.seek(offset) || m_file.read(buffer.data(), m_recordSize) != m_recordSize)
        fail(QStringLiteral("record %1 cannot be read (%2)").arg(row).arg(m_file.errorString()));
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
    case pxfAlpha: {
        int length = 0;
        while (length < f.size && raw[length] != 0)
            ++length;
        fieldvalue::resultText(ctx, m_codePage->decode(raw, length));
        return;
    }
    case pxfShort:
    case pxfLong:
    case pxfAutoInc:
        sqlite3_result_int64(ctx, decodeInteger(bytes, f.size));
        return;
    case pxfNumber:
    case pxfCurrency: {
        const double d = decodeDouble(bytes);
        if (std::isfinite(d))
            sqlite3_result_double(ctx, d);
        else
            sqlite3_result_null(ctx);
        return;
    }
    case pxfLogical:
        if (bytes[0] == 0x80 || bytes[0] == 0x81)
            sqlite3_result_int(ctx, bytes[0] == 0x81);
        else
            sqlite3_result_null(ctx);
        return;
    case pxfDate:
        fieldvalue::resultDate(ctx, dateOfDay(decodeInteger(bytes, 4)));
        return;
    case pxfTime: {
        const qint64 ms = decodeInteger(bytes, 4);
        fieldvalue::resultTime(
            ctx, ms >= 0 && ms < 86400000 ? QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)) : QTime());
        return;
    }
    case pxfTimestamp: {
        const double value = decodeDouble(bytes);
        if (!std::isfinite(value) || value < 0 || value > 4.0e14) {
            sqlite3_result_null(ctx);
            return;
        }
        const auto total = static_cast<qint64>(std::llround(value));
        const QDate date = dateOfDay(total / 86400000);
        fieldvalue::resultTimestamp(
            ctx, date.isValid() ? QDateTime(
                     date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(total % 86400000)), Qt::UTC)
                                : QDateTime());
        return;
    }
    case pxfBCD: {
        bool ok = false;
        const double d = decodeBcd(bytes, &ok);
        if (ok)
            sqlite3_result_double(ctx, d);
        else
            sqlite3_result_null(ctx);
        return;
    }
    case pxfBytes:
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
            data = m_blobs->read(raw, f.size, f.type == pxfGraphic, &isNull);
        } catch (const AppError& e) {
            fail(QStringLiteral("field %1: %2").arg(f.name, e.message()));
        }
        if (isNull)
            sqlite3_result_null(ctx);
        else if (f.type == pxfMemoBLOb || f.type == pxfFmtMemoBLOb)
            fieldvalue::resultText(ctx, m_codePage->decode(data));
        else
            sqlite3_result_blob(ctx, data.constData(), static_cast<int>(data.size()), SQLITE_TRANSIENT);
        return;
    }
    }
}

void ParadoxTableFile::encodeValues(QByteArray& record, sqlite3_value** values, bool isNew)
{
    for (int i = 0; i < m_fields.size(); ++i) {
        const FieldInfo& f = m_fields[i];
        sqlite3_value* v = values[i];
        if (!isNew && sqlite3_value_nochange(v))
            continue;
        char* raw = record.data() + f.offset;
        auto* bytes = reinterpret_cast<uchar*>(raw);
        const bool null = fieldvalue::isNull(v);
        const auto fieldError = [&](const QString& what) {
            return AppError(QStringLiteral("%1: field %2: %3").arg(displayPath(), f.name, what));
        };
        try {
            if (f.type == pxfAutoInc) {
                if (!null)
                    throw fieldError(
                        QStringLiteral("an auto-increment field is numbered by the table and cannot be set"));
                continue;
            }
            if (null) {
                std::memset(raw, 0, f.size);
                continue;
            }
            switch (f.type) {
            case pxfAlpha: {
                QByteArray encoded;
                QString missing;
                if (!m_codePage->encode(fieldvalue::text(v), encoded, &missing))
                    throw fieldError(
                        QStringLiteral(
                            "the character \"%1\" cannot be stored in the code page %2 of this table")
                            .arg(missing, QString::fromLatin1(m_codePage->name())));
                if (encoded.contains('\0'))
                    throw fieldError(QStringLiteral("the text holds a NUL character"));
                if (encoded.size() > f.size)
                    throw fieldError(QStringLiteral("the text is %1 bytes long, the field holds %2")
                                         .arg(encoded.size())
                                         .arg(f.size));
                std::memset(raw, 0, f.size);
                std::memcpy(raw, encoded.constData(), encoded.size());
                break;
            }
            case pxfShort:
                encodeInteger(bytes, 2, fieldvalue::integer(v, f.name, -32767, 32767));
                break;
            case pxfLong:
                encodeInteger(bytes, 4, fieldvalue::integer(v, f.name, -2147483647, 2147483647));
                break;
            case pxfNumber:
            case pxfCurrency:
                encodeDouble(bytes, fieldvalue::number(v, f.name));
                break;
            case pxfLogical:
                bytes[0] = fieldvalue::logical(v, f.name) ? 0x81 : 0x80;
                break;
            case pxfDate: {
                const QDate d = fieldvalue::date(v, f.name);
                if (d.year() < 1)
                    throw fieldError(QStringLiteral("dates before the year 1 cannot be stored"));
                encodeInteger(bytes, 4, d.toJulianDay() - julianDayOfDayZero);
                break;
            }
            case pxfTime:
                encodeInteger(bytes, 4, fieldvalue::time(v, f.name).msecsSinceStartOfDay());
                break;
            case pxfTimestamp: {
                const QDateTime stamp = fieldvalue::timestamp(v, f.name);
                if (stamp.date().year() < 1)
                    throw fieldError(QStringLiteral("dates before the year 1 cannot be stored"));
                const qint64 day = stamp.date().toJulianDay() - julianDayOfDayZero;
                encodeDouble(bytes,
                             static_cast<double>(day * 86400000 + stamp.time().msecsSinceStartOfDay()));
                break;
            }
            case pxfBCD: {
                const double d = fieldvalue::number(v, f.name);
                if (!encodeBcd(bytes, f.decimals, d))
                    throw fieldError(
                        QStringLiteral("the number %1 has too many digits for the field").arg(d));
                break;
            }
            case pxfBytes: {
                const QByteArray data = fieldvalue::blob(v);
                if (data.size() > f.size)
                    throw fieldError(
                        QStringLiteral("%1 bytes do not fit the field's %2").arg(data.size()).arg(f.size));
                std::memset(raw, 0, f.size);
                std::memcpy(raw, data.constData(), data.size());
                break;
            }
            default:
                throw fieldError(QStringLiteral("memo and blob fields cannot be changed"));
            }
        } catch (const AppError& e) {
            if (e.message().startsWith(displayPath()))
                throw;
            throw AppError(QStringLiteral("%1: %2").arg(displayPath(), e.message()));
        }
    }
}

void ParadoxTableFile::writeAt(qint64 offset, const QByteArray& bytes)
{
    if (!m_file.seek(offset) || m_file.write(bytes) != bytes.size())
        fail(QStringLiteral("the file cannot be written (%1)").arg(m_file.errorString()));
}

void ParadoxTableFile::flush()
{
    if (!m_file.flush())
        fail(QStringLiteral("the file cannot be written (%1)").arg(m_file.errorString()));
}

void ParadoxTableFile::writeBlockHeader(const Block& block)
{
    QByteArray head(blockHeaderSize, '\0');
    auto* h = reinterpret_cast<uchar*>(head.data());
    qToLittleEndian<quint16>(static_cast<quint16>(block.next), h);
    qToLittleEndian<quint16>(static_cast<quint16>(block.previous), h + 2);
    qToLittleEndian<qint16>(static_cast<qint16>((block.records - 1) * m_recordSize), h + 4);
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
        fail(
            QStringLiteral("the table was changed by another program since it was opened here; open it again "
                           "before changing it"));
}

void ParadoxTableFile::updateRow(qint64 row, sqlite3_value** values)
{
    checkUnchangedByOthers();
    const qint64 offset = checkedRecordOffset(row);
    QByteArray record;
    readRow(row, record);
    encodeValues(record, values, false);
    writeAt(offset, record);
    flush();
}

qint64 ParadoxTableFile::insertRow(sqlite3_value** values)
{
    checkUnchangedByOthers();
    QByteArray record(m_recordSize, '\0');
    encodeValues(record, values, true);
    int autoIncrementField = -1;
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].type == pxfAutoInc)
            autoIncrementField = i;
    if (autoIncrementField >= 0) {
        if (m_autoIncrement >= 2147483647)
            fail(QStringLiteral("the auto-increment counter is exhausted"));
        encodeInteger(reinterpret_cast<uchar*>(record.data()) + m_fields[autoIncrementField].offset, 4,
                      m_autoIncrement + 1);
    }

    const int perBlock = (m_blockSize - blockHeaderSize) / m_recordSize;
    qint64 offset = 0;
    if (!m_blocks.isEmpty() && m_blocks.last().records < perBlock) {
        Block& last = m_blocks.last();
        offset =
            blockOffset(last.number) + blockHeaderSize + static_cast<qint64>(last.records) * m_recordSize;
        writeAt(offset, record);
        ++last.records;
        writeBlockHeader(last);
    } else {
        if (m_fileBlocks >= 0xFFFF)
            fail(QStringLiteral("the table is full"));
        // A fresh block at the end of the file, written whole before anything points at it.
        Block fresh;
        fresh.number = m_fileBlocks + 1;
        fresh.previous = m_blocks.isEmpty() ? 0 : m_blocks.last().number;
        fresh.records = 1;
        QByteArray block(m_blockSize, '\0');
        auto* h = reinterpret_cast<uchar*>(block.data());
        qToLittleEndian<quint16>(static_cast<quint16>(fresh.previous), h + 2);
        block.replace(blockHeaderSize, m_recordSize, record);
        offset = blockOffset(fresh.number) + blockHeaderSize;
        writeAt(blockOffset(fresh.number), block);
        flush();
        m_expectedSize = qMax(m_expectedSize, blockOffset(fresh.number) + m_blockSize);
        if (!m_blocks.isEmpty()) {
            m_blocks.last().next = fresh.number;
            writeBlockHeader(m_blocks.last());
        }
        m_blocks.push_back(fresh);
        m_fileBlocks = fresh.number;
        ++m_usedBlocks;
        m_lastBlock = fresh.number;
        if (m_firstBlock == 0)
            m_firstBlock = fresh.number;
        writeHeaderWord(hFileBlocks, static_cast<quint16>(m_fileBlocks));
        writeHeaderWord(hUsedBlocks, static_cast<quint16>(m_usedBlocks));
        writeHeaderWord(hFirstBlock, static_cast<quint16>(m_firstBlock));
        writeHeaderWord(hLastBlock, static_cast<quint16>(m_lastBlock));
    }
    if (autoIncrementField >= 0)
        writeHeaderLong(hAutoIncrement, static_cast<quint32>(++m_autoIncrement));
    writeHeaderLong(hRecords, static_cast<quint32>(++m_headerRecords));
    flush();
    m_rows.push_back(offset);
    return m_rows.size();
}

void ParadoxTableFile::deleteRow(qint64 row)
{
    checkUnchangedByOthers();
    const qint64 offset = checkedRecordOffset(row);
    const int blockNumber = static_cast<int>((offset - m_headerSize) / m_blockSize) + 1;
    int chainIndex = -1;
    for (int i = 0; i < m_blocks.size(); ++i)
        if (m_blocks[i].number == blockNumber)
            chainIndex = i;
    if (chainIndex < 0)
        fail(QStringLiteral("record %1 is not in a data block").arg(row));
    Block& block = m_blocks[chainIndex];
    const qint64 recordsEnd =
        blockOffset(blockNumber) + blockHeaderSize + static_cast<qint64>(block.records) * m_recordSize;

    // Close the gap: the records after it in its block move down by one.
    if (offset + m_recordSize < recordsEnd) {
        if (!m_file.seek(offset + m_recordSize))
            fail(QStringLiteral("the file cannot be read"));
        const QByteArray tail = m_file.read(recordsEnd - offset - m_recordSize);
        writeAt(offset, tail);
    }
    writeAt(recordsEnd - m_recordSize, QByteArray(m_recordSize, '\0'));
    --block.records;
    if (block.records > 0) {
        writeBlockHeader(block);
    } else {
        // An empty block leaves the chain and heads the list of free blocks, as Paradox keeps them.
        const Block emptied = block;
        if (chainIndex > 0) {
            m_blocks[chainIndex - 1].next = emptied.next;
            writeBlockHeader(m_blocks[chainIndex - 1]);
        }
        if (chainIndex + 1 < m_blocks.size()) {
            m_blocks[chainIndex + 1].previous = emptied.previous;
            writeBlockHeader(m_blocks[chainIndex + 1]);
        }
        Block free = emptied;
        free.next = m_firstFreeBlock;
        free.previous = 0;
        free.records = 0;
        writeBlockHeader(free);
        m_blocks.remove(chainIndex);
        m_firstFreeBlock = emptied.number;
        --m_usedBlocks;
        m_firstBlock = m_blocks.isEmpty() ? 0 : m_blocks.first().number;
        m_lastBlock = m_blocks.isEmpty() ? 0 : m_blocks.last().number;
        writeHeaderWord(hFirstFreeBlock, static_cast<quint16>(m_firstFreeBlock));
        writeHeaderWord(hUsedBlocks, static_cast<quint16>(m_usedBlocks));
        writeHeaderWord(hFirstBlock, static_cast<quint16>(m_firstBlock));
        writeHeaderWord(hLastBlock, static_cast<quint16>(m_lastBlock));
    }
    writeHeaderLong(hRecords, static_cast<quint32>(--m_headerRecords));
    flush();

    // Rows of the same block that came after it now sit one record earlier.
    m_rows[row - 1] = -1;
    for (qint64 r = row; r < m_rows.size(); ++r) {
        if (m_rows[r] < 0)
            continue;
        if (m_rows[r] < blockOffset(blockNumber) || m_rows[r] >= blockOffset(blockNumber) + m_blockSize)
            break;
        m_rows[r] -= m_recordSize;
    }
}

} // namespace tables
