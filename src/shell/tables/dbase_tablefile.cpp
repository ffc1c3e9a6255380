#include "shell/tables/dbase_tablefile.h"

#include "shell/error.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>

#include <sqlite3.h>

#include <cmath>
#include <limits>

namespace tables {

namespace {

bool isFoxProVersion(int version)
{
    return version == 0x30 || version == 0x31 || version == 0x32 || version == 0xF5 || version == 0xFB;
}

bool isKnownVersion(int version)
{
    switch (version) {
    case 0x03:
    case 0x05:
    case 0x30:
    case 0x31:
    case 0x32:
    case 0x43:
    case 0x63:
    case 0x83:
    case 0x8B:
    case 0xCB:
    case 0xF5:
    case 0xFB:
        return true;
    default:
        return false;
    }
}

QByteArray trimmedRight(const char* data, int length)
{
    while (length > 0 && (data[length - 1] == ' ' || data[length - 1] == '\0'))
        --length;
    return QByteArray(data, length);
}

// Julian day numbers of FoxPro DateTime fields count from the same origin as QDate's.
QDateTime foxDateTime(qint32 julianDay, qint32 milliseconds)
{
    if (julianDay <= 0)
        return {};
    const QDate date = QDate::fromJulianDay(julianDay);
    if (milliseconds < 0 || milliseconds >= 86400000)
        milliseconds = 0;
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(milliseconds), Qt::UTC);
}

} // namespace

std::unique_ptr<TableFile> DbaseTableFile::open(const QString& path, const QStringList& options)
{
    return std::make_unique<DbaseTableFile>(path, options);
}

DbaseTableFile::DbaseTableFile(const QString& path, const QStringList& arguments)
    : TableFile(path), m_path(path)
{
    const TableFileOptions options = TableFileOptions::parse(arguments);
    readHeader();

    const QFileInfo info(path);
    m_writable = info.isWritable();
    if (!m_writable)
        m_readOnlyReason = QStringLiteral("%1: the file is read-only").arg(QDir::toNativeSeparators(path));
    for (const FieldInfo& f : m_fields) {
        if (f.storage == Storage::Raw && m_readOnlyReason.isEmpty())
            m_readOnlyReason =
                QStringLiteral("%1: field %2 has the type '%3', which this program cannot write")
                    .arg(QDir::toNativeSeparators(path), f.name, QChar::fromLatin1(f.type));
    }
    // A production index beside the table would not follow records changed here.
    for (const QString& ext : {QStringLiteral("mdx"), QStringLiteral("cdx")}) {
        const QString index = companionFile(path, ext);
        if (!index.isEmpty() && m_readOnlyReason.isEmpty())
            m_readOnlyReason =
                QStringLiteral("%1: the table has an index file (%2) that a change made here would leave out "
                               "of date, so it is open read-only")
                    .arg(QDir::toNativeSeparators(path), QFileInfo(index).fileName());
    }
    if (m_needsMemo)
        openMemoFile();

    m_handle.reset(DBFOpen(QFile::encodeName(path).constData(), m_readOnlyReason.isEmpty() ? "rb+" : "rb"));
    m_dbf = m_handle.get();
    if (!m_dbf)
        fail(QStringLiteral("the file cannot be opened"));
    if (DBFGetRecordCount(m_dbf) != m_records || DBFGetFieldCount(m_dbf) != m_fields.size()
        || m_dbf->nRecordLength != m_recordLength)
        fail(QStringLiteral("the header is damaged (its field list does not add up)"));

    QByteArray codePage;
    if (!options.codePage.isEmpty()) {
        try {
            codePage = CodePage::fromUserChoice(options.codePage);
        } catch (const AppError& e) {
            fail(e.message());
        }
    }
    if (codePage.isEmpty()) {
        const char* stated = DBFGetCodePage(m_dbf);
        const QByteArray s = stated ? QByteArray(stated) : QByteArray();
        codePage = s.startsWith("LDID/") ? CodePage::fromDbaseLanguageDriver(s.mid(5).toInt())
                                         : CodePage::fromCpgText(s);
    }
    if (codePage.isEmpty())
        codePage = dbaseFallbackCodePage();
    try {
        m_codePage = CodePage::byName(codePage);
    } catch (const AppError& e) {
        fail(e.message());
    }
    // Field names are stored in the table's code page too.
    for (FieldInfo& f : m_fields) {
        QByteArray raw = f.name.toLatin1();
        f.name = m_codePage->decode(raw);
        f.field.name = f.name;
        f.field.modifiable = m_readOnlyReason.isEmpty() && f.storage != Storage::Raw;
    }
}

DbaseTableFile::~DbaseTableFile() = default;

void DbaseTableFile::readHeader()
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("the file cannot be opened (%1)").arg(file.errorString()));
    const qint64 fileSize = file.size();
    const QByteArray head = file.read(32);
    if (head.size() < 32)
        fail(QStringLiteral("the file is too short to be a dBASE table"));
    const auto* h = reinterpret_cast<const uchar*>(head.constData());
    m_version = h[0];
    if (m_version == 0x04 || m_version == 0x8C)
        fail(QStringLiteral("dBASE 7 tables are not supported; save the table in dBASE IV or 5 format"));
    if (!isKnownVersion(m_version))
        fail(QStringLiteral("the file is not a dBASE table (unknown version byte 0x%1)")
                 .arg(m_version, 2, 16, QLatin1Char('0')));
    m_visualFoxPro = m_version == 0x30 || m_version == 0x31 || m_version == 0x32;
    const quint32 records = qFromLittleEndian<quint32>(h + 4);
    m_headerLength = qFromLittleEndian<quint16>(h + 8);
    m_recordLength = qFromLittleEndian<quint16>(h + 10);
    if (m_headerLength < 32 + 32 + 1 || m_headerLength > fileSize)
        fail(QStringLiteral("the header is damaged (header length %1 in a file of %2 bytes)")
                 .arg(m_headerLength)
                 .arg(fileSize));
    if (m_recordLength < 2)
        fail(QStringLiteral("the header is damaged (record length %1)").arg(m_recordLength));
    if (records > static_cast<quint32>(std::numeric_limits<int>::max()))
        fail(QStringLiteral("the header is damaged (record count %1)").arg(records));
    m_records = records;

    const QByteArray descriptors = file.read(m_headerLength - 32);
    if (descriptors.size() != m_headerLength - 32)
        fail(QStringLiteral("the header cannot be read"));
    int offset = 1; // after the deletion mark
    bool terminated = false;
    for (int at = 0; at + 1 <= descriptors.size(); at += 32) {
        const auto* d = reinterpret_cast<const uchar*>(descriptors.constData()) + at;
        if (d[0] == 0x0D) {
            terminated = true;
            break;
        }
        if (at + 32 > descriptors.size())
            break;
        FieldInfo f;
        int nameLength = 0;
        while (nameLength < 11 && d[nameLength] != 0)
            ++nameLength;
        f.name = QString::fromLatin1(reinterpret_cast<const char*>(d),
                                     nameLength); // decoded once the code page is known
        f.type = static_cast<char>(d[11]);
        f.length = d[16];
        f.decimals = d[17];
        if (f.type == 'C') { // FoxPro and Clipper keep long character widths in both bytes
            f.length = d[16] | (d[17] << 8);
            f.decimals = 0;
        }
        if (f.length < 1)
            fail(QStringLiteral("the header is damaged (field %1 has no width)").arg(f.name));
        f.offset = offset;
        offset += f.length;
        if (offset > m_recordLength)
            fail(QStringLiteral("the header is damaged (the fields are wider than the record length %1)")
                     .arg(m_recordLength));

        f.field.name = f.name;
        switch (f.type) {
        case 'C':
            f.storage = Storage::Text;
            f.field.type = FieldType::Alpha;
            f.field.size = f.length;
            break;
        case 'N':
        case 'F':
            f.storage = Storage::Numeric;
            f.field.type =
                f.type == 'N' && f.decimals == 0 && f.length <= 18 ? FieldType::Integer : FieldType::Number;
            break;
        case 'D':
            f.storage = f.length == 8 ? Storage::Date : Storage::Raw;
            f.field.type = FieldType::Date;
            break;
        case 'L':
            f.storage = Storage::Logical;
            f.field.type = FieldType::Logical;
            break;
        case 'M':
            f.storage = Storage::Memo;
            f.field.type = FieldType::Memo;
            break;
        case 'G':
        case 'P':
            f.storage = Storage::BinaryMemo;
            f.field.type = FieldType::Graphic;
            break;
        case 'B':
            if (m_visualFoxPro) {
                f.storage = f.length == 8 ? Storage::FoxDouble : Storage::Raw;
                f.field.type = FieldType::Number;
            } else {
                f.storage = Storage::BinaryMemo;
                f.field.type = FieldType::Binary;
            }
            break;
        case 'I':
            f.storage = f.length == 4 ? Storage::FoxInteger : Storage::Raw;
            f.field.type = FieldType::Integer;
            break;
        case 'Y':
            f.storage = f.length == 8 ? Storage::FoxCurrency : Storage::Raw;
            f.field.type = FieldType::Money;
            break;
        case 'T':
            f.storage = f.length == 8 ? Storage::FoxDateTime : Storage::Raw;
            f.field.type = FieldType::Timestamp;
            break;
        default:
            f.storage = Storage::Raw;
            break;
        }
        if (f.storage == Storage::Raw) {
            f.field.type = FieldType::Bytes;
            f.field.size = f.length;
        }
        if ((f.storage == Storage::Memo || f.storage == Storage::BinaryMemo) && f.length != 10
            && f.length != 4)
            fail(QStringLiteral("the header is damaged (memo field %1 has the width %2)")
                     .arg(f.name)
                     .arg(f.length));
        if (f.storage == Storage::Memo || f.storage == Storage::BinaryMemo)
            m_needsMemo = true;
        m_fields.push_back(f);
    }
    if (!terminated)
        fail(QStringLiteral("the header is damaged (the field list has no end mark)"));
    if (m_fields.isEmpty())
        fail(QStringLiteral("the table has no fields"));
    // The hidden null-flag field of Visual FoxPro is not data.
    m_fields.erase(
        std::remove_if(m_fields.begin(), m_fields.end(), [](const FieldInfo& f) { return f.type == '0'; }),
        m_fields.end());
    if (m_fields.isEmpty())
        fail(QStringLiteral("the table has no fields"));

    const qint64 needed = static_cast<qint64>(m_headerLength) + m_records * m_recordLength;
    if (needed > fileSize) {
        const qint64 present = (fileSize - m_headerLength) / m_recordLength;
        fail(QStringLiteral("the file is truncated: its header counts %1 records, the file holds %2")
                 .arg(m_records)
                 .arg(present));
    }
}

void DbaseTableFile::openMemoFile()
{
    QString memoPath = companionFile(m_path, QStringLiteral("fpt"));
    DbaseMemoFile::Kind kind = DbaseMemoFile::Kind::FoxPro;
    if (memoPath.isEmpty() || !isFoxProVersion(m_version)) {
        const QString dbt = companionFile(m_path, QStringLiteral("dbt"));
        if (!dbt.isEmpty() || memoPath.isEmpty()) {
            memoPath = dbt;
            kind = m_version == 0x8B || m_version == 0xCB ? DbaseMemoFile::Kind::Dbase4
                                                          : DbaseMemoFile::Kind::Dbase3;
        }
    }
    if (memoPath.isEmpty())
        fail(QStringLiteral("the table has memo fields but its memo file (%1.dbt or .fpt) is missing")
                 .arg(QFileInfo(m_path).completeBaseName()));
    bool writable = m_readOnlyReason.isEmpty() && QFileInfo(memoPath).isWritable();
    if (!writable && m_readOnlyReason.isEmpty())
        m_readOnlyReason =
            QStringLiteral("%1: the memo file is read-only").arg(QDir::toNativeSeparators(memoPath));
    m_memo = std::make_unique<DbaseMemoFile>(memoPath, kind, writable);
}

QVector<FileColumn> DbaseTableFile::columns() const
{
    QVector<FileColumn> cols;
    for (const FieldInfo& f : m_fields)
        cols.push_back({f.name, declaredColumnType(f.field, !f.field.modifiable)});
    return cols;
}

qint64 DbaseTableFile::rowLimit() const
{
    return DBFGetRecordCount(m_dbf);
}

QByteArray DbaseTableFile::record(qint64 row)
{
    if (row < 1 || row > rowLimit())
        fail(QStringLiteral("there is no record %1").arg(row));
    const char* tuple = DBFReadTuple(m_dbf, static_cast<int>(row - 1));
    if (!tuple)
        fail(QStringLiteral("record %1 cannot be read").arg(row));
    return QByteArray(tuple, m_recordLength);
}

bool DbaseTableFile::readRow(qint64 row, QByteArray& buffer)
{
    buffer = record(row);
    return buffer.at(0) != '*';
}

void DbaseTableFile::resultColumn(const QByteArray& record, int column, sqlite3_context* ctx)
{
    if (column < 0 || column >= m_fields.size() || record.size() != m_recordLength) {
        sqlite3_result_null(ctx);
        return;
    }
    const FieldInfo& f = m_fields[column];
    const char* raw = record.constData() + f.offset;
    const auto* bytes = reinterpret_cast<const uchar*>(raw);
    switch (f.storage) {
    case Storage::Text: {
        const QByteArray t = trimmedRight(raw, f.length);
        if (t.isEmpty())
            sqlite3_result_null(ctx);
        else
            fieldvalue::resultText(ctx, m_codePage->decode(t));
        return;
    }
    case Storage::Numeric: {
        QByteArray t = QByteArray(raw, f.length).trimmed();
        if (t.isEmpty() || t.startsWith('*')) { // stars: a value that overflowed the width
            sqlite3_result_null(ctx);
            return;
        }
        bool ok = false;
        if (f.field.type == FieldType::Integer) {
            const qint64 v = t.toLongLong(&ok);
            if (ok) {
                sqlite3_result_int64(ctx, v);
                return;
            }
        }
        t.replace(',', '.');
        const double d = t.toDouble(&ok);
        if (ok)
            sqlite3_result_double(ctx, d);
        else
            fieldvalue::resultText(ctx, QString::fromLatin1(t)); // keep what is there rather than hide it
        return;
    }
    case Storage::Date: {
        const QByteArray t = QByteArray(raw, f.length).trimmed();
        if (t.isEmpty() || t == "00000000") {
            sqlite3_result_null(ctx);
            return;
        }
        QDate d;
        bool digits = t.size() == 8;
        for (int i = 0; digits && i < 8; ++i)
            digits = t.at(i) >= '0' && t.at(i) <= '9';
        if (digits)
            d = QDate(t.left(4).toInt(), t.mid(4, 2).toInt(), t.mid(6, 2).toInt());
        if (d.isValid())
            fieldvalue::resultDate(ctx, d);
        else
            fieldvalue::resultText(ctx, QString::fromLatin1(t));
        return;
    }
    case Storage::Logical:
        switch (raw[0]) {
        case 'T':
        case 't':
        case 'Y':
        case 'y':
            sqlite3_result_int(ctx, 1);
            return;
        case 'F':
        case 'f':
        case 'N':
        case 'n':
            sqlite3_result_int(ctx, 0);
            return;
        default:
            sqlite3_result_null(ctx);
            return;
        }
    case Storage::Memo:
    case Storage::BinaryMemo: {
        quint32 block = 0;
        if (f.length == 4) {
            block = qFromLittleEndian<quint32>(bytes);
        } else {
            const QByteArray t = QByteArray(raw, f.length).trimmed();
            if (!t.isEmpty()) {
                bool ok = false;
                block = t.toUInt(&ok);
                if (!ok)
                    fail(QStringLiteral(
                             "field %1 holds \"%2\" where a memo block number belongs; the table is damaged")
                             .arg(f.name, QString::fromLatin1(t)));
            }
        }
        if (block == 0 || !m_memo) {
            sqlite3_result_null(ctx);
            return;
        }
        const QByteArray data = m_memo->read(block);
        if (f.storage == Storage::Memo)
            fieldvalue::resultText(ctx, m_codePage->decode(data));
        else
            sqlite3_result_blob(ctx, data.constData(), static_cast<int>(data.size()), SQLITE_TRANSIENT);
        return;
    }
    case Storage::FoxInteger:
        sqlite3_result_int64(ctx, qFromLittleEndian<qint32>(bytes));
        return;
    case Storage::FoxCurrency:
        sqlite3_result_double(ctx, static_cast<double>(qFromLittleEndian<qint64>(bytes)) / 10000.0);
        return;
    case Storage::FoxDouble: {
        const double d = qFromLittleEndian<double>(bytes);
        if (std::isfinite(d))
            sqlite3_result_double(ctx, d);
        else
            sqlite3_result_null(ctx);
        return;
    }
    case Storage::FoxDateTime:
        fieldvalue::resultTimestamp(
            ctx, foxDateTime(qFromLittleEndian<qint32>(bytes), qFromLittleEndian<qint32>(bytes + 4)));
        return;
    case Storage::Raw:
        sqlite3_result_blob(ctx, raw, f.length, SQLITE_TRANSIENT);
        return;
    }
}

void DbaseTableFile::encodeValues(QByteArray& record, sqlite3_value** values, bool isNew,
                                  QVector<PendingMemo>& memos) const
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
            return AppError(
                QStringLiteral("%1: field %2: %3").arg(QDir::toNativeSeparators(m_path), f.name, what));
        };
        try {
            switch (f.storage) {
            case Storage::Text: {
                QByteArray encoded;
                QString missing;
                if (!null && !m_codePage->encode(fieldvalue::text(v), encoded, &missing))
                    throw fieldError(
                        QStringLiteral(
                            "the character \"%1\" cannot be stored in the code page %2 of this table")
                            .arg(missing, QString::fromLatin1(m_codePage->name())));
                if (encoded.size() > f.length)
                    throw fieldError(QStringLiteral("the text is %1 bytes long, the field holds %2")
                                         .arg(encoded.size())
                                         .arg(f.length));
                memset(raw, ' ', f.length);
                memcpy(raw, encoded.constData(), encoded.size());
                break;
            }
            case Storage::Numeric: {
                QByteArray text;
                if (!null) {
                    if (f.field.type == FieldType::Integer) {
                        text = QByteArray::number(fieldvalue::integer(v, f.name,
                                                                      std::numeric_limits<qint64>::min(),
                                                                      std::numeric_limits<qint64>::max()));
                    } else {
                        const double d = fieldvalue::number(v, f.name);
                        // Fewer decimals than declared when the whole part needs the room (F20.18 holding
                        // 1234.5); a whole part wider than the field is refused below.
                        for (int decimals = qMin(f.decimals, qMax(0, f.length - 2)); decimals >= 0;
                             --decimals) {
                            text = QByteArray::number(d, 'f', decimals);
                            if (text.size() <= f.length)
                                break;
                        }
                    }
                    if (text.size() > f.length)
                        throw fieldError(QStringLiteral("the number %1 does not fit the field's width of %2")
                                             .arg(QString::fromLatin1(text))
                                             .arg(f.length));
                }
                memset(raw, ' ', f.length);
                memcpy(raw + f.length - text.size(), text.constData(), text.size());
                break;
            }
            case Storage::Date: {
                const QByteArray text =
                    null ? QByteArray(8, ' ')
                         : fieldvalue::date(v, f.name).toString(QStringLiteral("yyyyMMdd")).toLatin1();
                if (text.size() != 8)
                    throw fieldError(QStringLiteral("the year must have four digits"));
                memcpy(raw, text.constData(), 8);
                break;
            }
            case Storage::Logical:
                raw[0] = null ? ' ' : (fieldvalue::logical(v, f.name) ? 'T' : 'F');
                break;
            case Storage::Memo:
            case Storage::BinaryMemo: {
                QByteArray data;
                if (!null) {
                    if (f.storage == Storage::Memo) {
                        QString missing;
                        if (!m_codePage->encode(fieldvalue::text(v), data, &missing))
                            throw fieldError(
                                QStringLiteral(
                                    "the character \"%1\" cannot be stored in the code page %2 of this table")
                                    .arg(missing, QString::fromLatin1(m_codePage->name())));
                        if (m_memo->kind() == DbaseMemoFile::Kind::Dbase3 && data.contains('\x1A'))
                            throw fieldError(
                                QStringLiteral("a dBASE III memo cannot hold the character 0x1A"));
                    } else {
                        if (!m_memo->canHoldBinary())
                            throw fieldError(QStringLiteral("a dBASE III memo file cannot hold binary data"));
                        data = fieldvalue::blob(v);
                    }
                }
                if (data.isEmpty()) {
                    if (f.length == 4)
                        memset(raw, 0, 4);
                    else
                        memset(raw, ' ', f.length);
                } else {
                    memos.push_back({i, data, f.storage == Storage::BinaryMemo});
                }
                break;
            }
            case Storage::FoxInteger:
                qToLittleEndian<qint32>(null ? 0
                                             : static_cast<qint32>(fieldvalue::integer(
                                                 v, f.name, std::numeric_limits<qint32>::min(),
                                                 std::numeric_limits<qint32>::max())),
                                        bytes);
                break;
            case Storage::FoxCurrency: {
                const double d = null ? 0.0 : fieldvalue::number(v, f.name);
                if (std::fabs(d) > 9.0e14)
                    throw fieldError(QStringLiteral("the amount %1 is too large").arg(d));
                qToLittleEndian<qint64>(static_cast<qint64>(std::llround(d * 10000.0)), bytes);
                break;
            }
            case Storage::FoxDouble:
                qToLittleEndian<double>(null ? 0.0 : fieldvalue::number(v, f.name), bytes);
                break;
            case Storage::FoxDateTime: {
                if (null) {
                    memset(raw, 0, 8);
                } else {
                    const QDateTime stamp = fieldvalue::timestamp(v, f.name);
                    qToLittleEndian<qint32>(static_cast<qint32>(stamp.date().toJulianDay()), bytes);
                    qToLittleEndian<qint32>(stamp.time().msecsSinceStartOfDay(), bytes + 4);
                }
                break;
            }
            case Storage::Raw:
                throw fieldError(QStringLiteral("fields of the type '%1' cannot be changed")
                                     .arg(QChar::fromLatin1(f.type)));
            }
        } catch (const AppError& e) {
            const QString msg = e.message();
            if (msg.startsWith(QDir::toNativeSeparators(m_path)))
                throw;
            throw AppError(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(m_path), msg));
        }
    }
}

void DbaseTableFile::writeMemos(QByteArray& record, const QVector<PendingMemo>& memos)
{
    for (const PendingMemo& memo : memos) {
        const FieldInfo& f = m_fields[memo.field];
        const quint32 block = m_memo->append(memo.data, memo.binary);
        char* raw = record.data() + f.offset;
        if (f.length == 4) {
            qToLittleEndian<quint32>(block, reinterpret_cast<uchar*>(raw));
        } else {
            const QByteArray text = QByteArray::number(block);
            if (text.size() > f.length)
                fail(QStringLiteral("field %1: the memo file is too large for the block number").arg(f.name));
            memset(raw, ' ', f.length);
            memcpy(raw + f.length - text.size(), text.constData(), text.size());
        }
    }
}

void DbaseTableFile::checkUnchangedByOthers()
{
    // shapelib keeps the record count it read; had another program added records since, a new record
    // of ours would overwrite one of theirs.
    QFile file(m_path);
    QByteArray head;
    if (file.open(QIODevice::ReadOnly))
        head = file.read(8);
    if (head.size() != 8
        || qFromLittleEndian<quint32>(head.constData() + 4) != static_cast<quint32>(DBFGetRecordCount(m_dbf)))
        failChangedByAnotherProgram(m_path);
}

void DbaseTableFile::writeRecord(int index, const QByteArray& record)
{
    const QDate today = QDate::currentDate();
    DBFSetLastModifiedDate(m_dbf, today.year() - 1900, today.month(), today.day());
    if (!DBFWriteTuple(m_dbf, index, const_cast<char*>(record.constData())))
        fail(QStringLiteral("record %1 cannot be written").arg(index + 1));
    DBFUpdateHeader(m_dbf); // writes the record and the header out and flushes them
}

void DbaseTableFile::checkRow(qint64 row)
{
    if (row < 1 || row > rowLimit() || DBFIsRecordDeleted(m_dbf, static_cast<int>(row - 1)))
        fail(QStringLiteral("there is no record %1").arg(row));
}

void DbaseTableFile::updateRow(qint64 row, sqlite3_value** values)
{
    checkUnchangedByOthers();
    checkRow(row);
    QByteArray rec = record(row);
    QVector<PendingMemo> memos;
    encodeValues(rec, values, false, memos);
    writeMemos(rec, memos);
    writeRecord(static_cast<int>(row - 1), rec);
}

qint64 DbaseTableFile::insertRow(sqlite3_value** values)
{
    checkUnchangedByOthers();
    const qint64 count = rowLimit();
    if (count >= std::numeric_limits<int>::max())
        fail(QStringLiteral("the table is full"));
    QByteArray rec(m_recordLength, ' ');
    QVector<PendingMemo> memos;
    encodeValues(rec, values, true, memos);
    writeMemos(rec, memos);
    writeRecord(static_cast<int>(count), rec);
    return count + 1;
}

void DbaseTableFile::deleteRow(qint64 row)
{
    checkUnchangedByOthers();
    checkRow(row);
    if (!DBFMarkRecordDeleted(m_dbf, static_cast<int>(row - 1), 1))
        fail(QStringLiteral("record %1 cannot be deleted").arg(row));
    DBFUpdateHeader(m_dbf);
}

} // namespace tables
