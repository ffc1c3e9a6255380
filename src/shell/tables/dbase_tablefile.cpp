#include "shell/tables/dbase_tablefile.h"

#include "shell/tables/messages.h"

#include "shell/error.h"
#include "shell/tables/dbase_values.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>

#include <sqlite3.h>

#include <cmath>

#include <sys/stat.h>

namespace tables {

using dbase::FieldLayout;
using dbase::Storage;

namespace {

constexpr qint64 readAheadBytes = 256 * 1024;

QByteArray trimmedRight(const char* data, int length)
{
    while (length > 0 && (data[length - 1] == ' ' || data[length - 1] == '\0'))
        --length;
    return QByteArray(data, length);
}

} // namespace

std::unique_ptr<TableFile> DbaseTableFile::open(const QString& path, const QStringList& arguments)
{
    return std::make_unique<DbaseTableFile>(path, arguments);
}

DbaseTableFile::DbaseTableFile(const QString& path, const QStringList& arguments)
    : TableFile(path), m_path(path), m_file(path)
{
    const TableFileOptions options = TableFileOptions::parse(arguments);
    m_allowRounding = options.allowRounding;
    if (!m_file.open(QIODevice::ReadOnly))
        fail(msg("the file cannot be opened (%1)").arg(m_file.errorString()));
    m_encodedPath = QFile::encodeName(path);
    const FileStamp stamp = fileStamp();
    m_fileSize = stamp.size;
    m_modified = stamp.modified;
    QByteArray head = m_file.read(32);
    const int needed = dbase::headerBytesNeeded(head);
    if (head.size() == 32 && needed > 32 && needed <= m_fileSize)
        head += m_file.read(needed - 32);
    m_header = dbase::parseHeader(head, m_fileSize, path);
    m_headerBytes = head.left(m_header.headerLength);
    m_records = m_header.records;

    if (!isWritableFile(path))
        setReadOnly(msg("the file is read-only"));
    checkRecordCount(m_fileSize);
    for (const FieldLayout& f : std::as_const(m_header.fields)) {
        if (f.storage == Storage::Raw)
            setReadOnly(msg("field %1 has the type '%2', which this program cannot write")
                            .arg(QString::fromLatin1(f.rawName), QChar::fromLatin1(f.type)));
    }
    findIndexFiles(options.allowStaleIndexes);
    chooseCodePage(options.codePage);
    if (m_header.needsMemo)
        openMemoFile();
    if (m_noCodePageMark)
        warnAboutMissingCodePage();

    for (const FieldLayout& f : std::as_const(m_header.fields)) {
        Field field;
        field.name = m_codePage->decode(f.rawName);
        field.type = f.engineType;
        if (f.engineType == FieldType::Alpha || f.engineType == FieldType::Bytes)
            field.size = f.length;
        field.modifiable = m_readOnlyReason.isEmpty() && f.storage != Storage::Raw && !f.autoIncrement;
        m_engineFields.push_back(field);
    }
}

DbaseTableFile::~DbaseTableFile() = default;

void DbaseTableFile::setReadOnly(const QString& reason)
{
    if (m_readOnlyReason.isEmpty())
        m_readOnlyReason = QStringLiteral("%1: %2").arg(displayPath(), reason);
}

void DbaseTableFile::checkRecordCount(qint64 fileSize)
{
    const qint64 present = (fileSize - m_header.headerLength) / m_header.recordLength;
    if (present == m_records)
        return;
    // Bytes after the counted records are normal (the end mark, padding); a whole record is not.
    if (present > m_records
        && fileSize - m_header.headerLength - m_records * m_header.recordLength <= m_header.recordLength)
        return;
    m_warnings << msg("%1: the header counts %2 records, the file holds %3; %4 read, and the table "
                      "opens read-only")
                      .arg(displayPath())
                      .arg(m_records)
                      .arg(present)
                      .arg(present < m_records ? msg("the records present are")
                                               : msg("only the counted ones are"));
    setReadOnly(msg("its record count disagrees with the file size"));
    m_records = qMin(m_records, present);
}

void DbaseTableFile::findIndexFiles(bool allowStale)
{
    // A production index follows the table's name; single-field indexes may be named anything.
    for (const QString& ext : {QStringLiteral("mdx"), QStringLiteral("cdx")}) {
        const QString index = companionFile(m_path, ext);
        if (!index.isEmpty())
            m_indexFiles << QFileInfo(index).fileName();
    }
    const QDir dir = QFileInfo(m_path).dir();
    m_indexFiles << dir.entryList({QStringLiteral("*.ndx"), QStringLiteral("*.ntx"), QStringLiteral("*.idx")},
                                  QDir::Files | QDir::Hidden, QDir::Name);
    if (m_indexFiles.isEmpty() || allowStale)
        return;
    setReadOnly(msg("the index files beside it (%1) would not follow a change made here, so the table "
                    "opens read-only; allow stale indexes to change it anyway")
                    .arg(m_indexFiles.join(QStringLiteral(", "))));
}

void DbaseTableFile::chooseCodePage(const QString& choice)
{
    QByteArray name;
    if (!choice.trimmed().isEmpty()) {
        try {
            name = CodePage::fromUserChoice(choice);
        } catch (const shell::AppError& e) {
            fail(e.message());
        }
    }
    if (name.isEmpty()) {
        const QString cpg = companionFile(m_path, QStringLiteral("cpg"));
        QFile file(cpg);
        if (!cpg.isEmpty() && file.open(QIODevice::ReadOnly))
            name = CodePage::fromCpgText(file.read(64));
    }
    if (name.isEmpty())
        name = CodePage::fromDbaseLanguageDriver(m_header.languageDriver);
    if (name.isEmpty()) {
        name = dbaseFallbackCodePage();
        m_noCodePageMark = true;
    }
    try {
        m_codePage = CodePage::byName(name);
    } catch (const shell::AppError& e) {
        fail(e.message());
    }
}

void DbaseTableFile::warnAboutMissingCodePage()
{
    bool high = false;
    for (const FieldLayout& f : std::as_const(m_header.fields)) {
        for (char c : f.rawName)
            high = high || static_cast<uchar>(c) > 127;
    }
    // Text fields of every record, read in blocks; stops at the first letter outside ASCII.
    for (qint64 row = 1; !high && row <= m_records; row += m_blockRows) {
        readRecord(row);
        for (qint64 r = 0; r < m_blockRows && !high; ++r) {
            const char* rec = m_block.constData() + r * m_header.recordLength;
            for (const FieldLayout& f : std::as_const(m_header.fields)) {
                if (f.storage != Storage::Text && f.storage != Storage::VarChar)
                    continue;
                for (int i = 0; i < f.length && !high; ++i)
                    high = static_cast<uchar>(rec[f.offset + i]) > 127;
            }
        }
    }
    if (!high && m_memo) {
        // Memo text: the file as a whole, as far as it is not too large to look at.
        QFile memo(m_memo->path());
        if (memo.open(QIODevice::ReadOnly)) {
            memo.seek(512);
            const QByteArray bytes = memo.read(4 * 1024 * 1024);
            for (char c : bytes)
                high = high || static_cast<uchar>(c) > 127;
        }
    }
    if (high)
        m_warnings << msg("%1: the file does not name its code page; it was read as %2 — choose another code "
                          "page if the letters look wrong")
                          .arg(displayPath(), m_codePage->displayName());
}

void DbaseTableFile::openMemoFile()
{
    QString memoPath;
    DbaseMemoFile::Kind kind = DbaseMemoFile::Kind::Dbase3;
    if (m_header.foxPro) {
        memoPath = companionFile(m_path, QStringLiteral("fpt"));
        kind = DbaseMemoFile::Kind::FoxPro;
    }
    if (memoPath.isEmpty()) {
        memoPath = companionFile(m_path, QStringLiteral("dbt"));
        const bool blocks =
            m_header.dialect == dbase::Dialect::Dbase4 || m_header.dialect == dbase::Dialect::Dbase7;
        kind = blocks ? DbaseMemoFile::Kind::Dbase4 : DbaseMemoFile::Kind::Dbase3;
    }
    const QString expected = QFileInfo(m_path).completeBaseName()
                             + (m_header.foxPro ? QStringLiteral(".fpt") : QStringLiteral(".dbt"));
    if (memoPath.isEmpty()) {
        memoDamaged(msg("%1: the memo file %2 is missing; the memos read as empty and the table opens "
                        "read-only")
                        .arg(displayPath(), expected));
        return;
    }
    const bool writable = m_readOnlyReason.isEmpty() && isWritableFile(memoPath);
    if (!writable)
        setReadOnly(msg("the memo file %1 is read-only").arg(nativePath(memoPath)));
    try {
        m_memo = std::make_unique<DbaseMemoFile>(memoPath, kind, false);
    } catch (const shell::AppError& e) {
        memoDamaged(msg("%1; the memos read as empty and the table opens read-only").arg(e.message()));
    }
}

void DbaseTableFile::memoDamaged(const QString& message)
{
    if (!m_memoWarned)
        m_warnings << message;
    m_memoWarned = true;
    setReadOnly(msg("its memo file is missing or damaged"));
}

QVector<FileColumn> DbaseTableFile::columns() const
{
    QVector<FileColumn> cols;
    for (const Field& f : m_engineFields)
        cols.push_back({f.name, declaredColumnType(f, !f.modifiable)});
    return cols;
}

DbaseTableFile::FileStamp DbaseTableFile::fileStamp() const
{
    // stat directly: QFileInfo's times go through the local time zone, which costs more than the look-up
    // of a record it guards.
    struct stat st;
    if (::stat(m_encodedPath.constData(), &st) != 0)
        return {-1, -1};
    return {static_cast<qint64>(st.st_size),
            static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

void DbaseTableFile::beginScan()
{
    // What was read ahead stays good while nobody else writes; a look-up by row number costs a stat.
    const FileStamp stamp = fileStamp();
    if (stamp.size == m_fileSize && stamp.modified == m_modified)
        return;
    m_blockRows = 0;
    QFile now(m_path);
    if (!now.open(QIODevice::ReadOnly))
        return;
    const QByteArray head = now.read(m_header.headerLength);
    if (head.size() != m_header.headerLength || head.left(1) != m_headerBytes.left(1))
        return; // rewritten as something else: the next read reports what it finds
    // Records another program added become part of the table as far as the file holds them.
    const qint64 present = (stamp.size - m_header.headerLength) / m_header.recordLength;
    m_records = qMin(recordCountIn(head), present);
    m_headerBytes = head;
    m_fileSize = stamp.size;
    m_modified = stamp.modified;
}

QByteArray DbaseTableFile::readRecord(qint64 row)
{
    if (row < 1 || row > m_records)
        fail(msg("there is no record %1").arg(row));
    if (row < m_blockFirst || row >= m_blockFirst + m_blockRows) {
        const qint64 rows =
            qMin(qMax<qint64>(1, readAheadBytes / m_header.recordLength), m_records - row + 1);
        m_blockRows = 0;
        if (!m_file.seek(m_header.headerLength + (row - 1) * m_header.recordLength))
            fail(msg("record %1 cannot be read (%2)").arg(row).arg(m_file.errorString()));
        m_block = m_file.read(rows * m_header.recordLength);
        m_blockFirst = row;
        m_blockRows = m_block.size() / m_header.recordLength;
        if (m_blockRows < 1)
            fail(msg("record %1 cannot be read; the file is shorter than it was").arg(row));
    }
    return QByteArray::fromRawData(m_block.constData() + (row - m_blockFirst) * m_header.recordLength,
                                   m_header.recordLength);
}

bool DbaseTableFile::readRow(qint64 row, QByteArray& buffer)
{
    const QByteArray rec = readRecord(row);
    if (rec.at(0) == '*')
        return false;
    buffer.resize(rec.size());
    std::memcpy(buffer.data(), rec.constData(), rec.size());
    return true;
}

bool DbaseTableFile::bit(const char* record, int flagsOffset, int bit)
{
    return (static_cast<uchar>(record[flagsOffset + bit / 8]) >> (bit % 8)) & 1;
}

bool DbaseTableFile::isNull(const char* record, const FieldLayout& f) const
{
    return f.nullBit >= 0 && m_header.nullFlagsOffset >= 0
           && bit(record, m_header.nullFlagsOffset, f.nullBit);
}

void DbaseTableFile::resultColumn(const QByteArray& record, int column, sqlite3_context* ctx)
{
    if (column < 0 || column >= m_header.fields.size() || record.size() != m_header.recordLength) {
        sqlite3_result_null(ctx);
        return;
    }
    const FieldLayout& f = m_header.fields[column];
    if (isNull(record.constData(), f)) {
        sqlite3_result_null(ctx);
        return;
    }
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
    case Storage::VarChar:
    case Storage::VarBinary: {
        int length = f.length;
        if (f.varLengthBit >= 0 && bit(record.constData(), m_header.nullFlagsOffset, f.varLengthBit))
            length = qMin(int(bytes[f.length - 1]), f.length - 1);
        if (f.storage == Storage::VarBinary)
            sqlite3_result_blob(ctx, raw, length, SQLITE_TRANSIENT);
        else if (length == 0)
            sqlite3_result_null(ctx);
        else
            fieldvalue::resultText(ctx, m_codePage->decode(raw, length));
        return;
    }
    case Storage::Numeric: {
        if (f.engineType == FieldType::Integer) {
            if (const auto v = dbase::parseInteger(raw, f.length)) {
                sqlite3_result_int64(ctx, *v);
                return;
            }
        }
        if (const auto d = dbase::parseNumber(raw, f.length)) {
            sqlite3_result_double(ctx, *d);
            return;
        }
        const QByteArray t = QByteArray(raw, f.length).trimmed();
        if (t.isEmpty() || t.startsWith('*'))
            sqlite3_result_null(ctx);
        else
            fieldvalue::resultText(ctx, QString::fromLatin1(t)); // keep what is there rather than hide it
        return;
    }
    case Storage::Date: {
        const QDate d = dbase::parseDate(raw);
        if (d.isValid()) {
            fieldvalue::resultDate(ctx, d);
            return;
        }
        const QByteArray t = QByteArray(raw, f.length).trimmed();
        if (t.isEmpty() || t == "00000000")
            sqlite3_result_null(ctx);
        else
            fieldvalue::resultText(ctx, QString::fromLatin1(t));
        return;
    }
    case Storage::Logical:
        if (const auto b = dbase::parseLogical(raw[0]))
            sqlite3_result_int(ctx, *b ? 1 : 0);
        else
            sqlite3_result_null(ctx);
        return;
    case Storage::Memo:
    case Storage::BinaryMemo: {
        const auto block = dbase::parseMemoBlock(raw, f.length);
        if (!block) {
            memoDamaged(msg("%1: field %2 holds \"%3\" where a memo block number belongs; such memos "
                            "read as empty and the table opens read-only")
                            .arg(displayPath(), m_engineFields[column].name,
                                 QString::fromLatin1(QByteArray(raw, f.length).trimmed())));
            sqlite3_result_null(ctx);
            return;
        }
        if (*block == 0 || !m_memo) {
            sqlite3_result_null(ctx);
            return;
        }
        QByteArray data;
        try {
            data = m_memo->read(*block);
        } catch (const shell::AppError& e) {
            memoDamaged(msg("%1; such memos read as empty and the table opens read-only").arg(e.message()));
            sqlite3_result_null(ctx);
            return;
        }
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
        sqlite3_result_double(ctx, dbase::readFoxCurrency(bytes));
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
        fieldvalue::resultTimestamp(ctx, dbase::readFoxDateTime(bytes));
        return;
    case Storage::Dbase7Long:
        if (qFromBigEndian<quint32>(bytes) == 0) // never written
            sqlite3_result_null(ctx);
        else
            sqlite3_result_int64(ctx, dbase::readDbase7Long(bytes));
        return;
    case Storage::Dbase7Double: {
        const double d = dbase::readDbase7Double(bytes);
        if (std::isfinite(d))
            sqlite3_result_double(ctx, d);
        else
            sqlite3_result_null(ctx);
        return;
    }
    case Storage::Dbase7Stamp:
        fieldvalue::resultTimestamp(ctx, dbase::readDbase7Timestamp(bytes));
        return;
    case Storage::Raw:
        sqlite3_result_blob(ctx, raw, f.length, SQLITE_TRANSIENT);
        return;
    }
}

} // namespace tables
