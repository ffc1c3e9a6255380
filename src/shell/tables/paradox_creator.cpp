#include "shell/tables/paradox_creator.h"

#include "shell/tables/messages.h"

#include "shell/error.h"
#include "shell/tables/codepage.h"
#include "shell/tables/paradox_format.h"
#include "shell/tables/tablefilesupport.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QtEndian>

namespace tables {

using namespace paradox;

namespace {

// Header bytes of a version 12 table that hold more than zeros; the rest is what Paradox 7 and pxlib
// write there too.
constexpr int hEncryptionMarks = 0x26; // 0xFF at 0x26 and 0x28, as Paradox 7 leaves them
constexpr int hSortOrder = 0x29;       // 0x62 with the ANSIINTL sort order
constexpr int hWriteFlags = 0x3E;      // 0x1F 0x0F in every table Paradox wrote
constexpr int hUsedHeader = 0x51;      // the end of the header's used bytes
constexpr int hUnknown56 = 0x56;       // 0x20
constexpr int hVersionWords = 0x58;    // two words 0x010C
constexpr int hHighestFieldId = 0x64;  // fields + 1
constexpr int hCodePageMarks = 0x6C;   // 0x01 0x01
constexpr int tableNameSize = 261;     // version 12
constexpr int headerUnit = 2048;
constexpr int version7 = 12;

void putWord(QByteArray& bytes, int at, int value)
{
    qToLittleEndian<quint16>(static_cast<quint16>(value), bytes.data() + at);
}

QByteArray encoded(const CodePage& codePage, const QString& text, const QString& what)
{
    QByteArray out;
    QString missing;
    if (!codePage.encode(text, out, &missing))
        throw shell::AppError(msg("%1: the character \"%2\" cannot be stored in the code page %3")
                                  .arg(what, missing, codePage.displayName()));
    if (out.contains('\0'))
        throw shell::AppError(msg("%1: a name cannot hold a NUL character").arg(what));
    return out;
}

int checkedSize(const ParadoxNewField& f)
{
    const auto bad = [&] {
        return shell::AppError(
            msg("field %1: type %2 of %3 bytes cannot be created").arg(f.name).arg(f.type).arg(f.size));
    };
    switch (f.type) {
    case Alpha:
    case Bytes:
        if (f.size < 1 || f.size > 255)
            throw bad();
        return f.size;
    case Short:
        return 2;
    case Date:
    case Long:
    case Time:
        return 4;
    case Number:
    case Currency:
    case Timestamp:
        return 8;
    case Logical:
        return 1;
    case MemoBlob:
    case Blob:
    case FmtMemoBlob:
    case Graphic:
        if (f.size < mbPointerSize + 1 || f.size > mbPointerSize + 240)
            throw bad();
        return f.size;
    default:
        throw bad();
    }
}

QByteArray tableHeader(const QString& path, const QVector<ParadoxNewField>& fields, const CodePage& codePage,
                       int codePageNumber)
{
    int recordSize = 0;
    for (const ParadoxNewField& f : fields)
        recordSize += checkedSize(f);
    int blockKb = 2;
    while (blockKb < 32 && recordSize + blockHeaderSize > blockKb * 1024)
        blockKb *= 2;
    if (recordSize + blockHeaderSize > blockKb * 1024)
        throw shell::AppError(
            msg("a record of %1 bytes is longer than a Paradox table allows").arg(recordSize));

    const bool ansi = codePageNumber == 1252;
    const int count = static_cast<int>(fields.size());
    QByteArray tail; // after the fixed part: types and sizes, pointers, names, field numbers, sort order
    for (const ParadoxNewField& f : fields) {
        tail += static_cast<char>(f.type);
        tail += static_cast<char>(checkedSize(f));
    }
    tail += QByteArray(4 + 4 * count, '\0'); // in-memory pointers of Paradox itself
    // The header repeats the file's name; a letter the code page lacks is no reason to refuse the table.
    QByteArray tableName;
    for (const QChar c : QFileInfo(path).fileName()) {
        QByteArray byte;
        tableName += codePage.encode(QString(c), byte) && byte.size() == 1 && byte[0] != '\0' ? byte : "_";
    }
    tableName = tableName.left(tableNameSize - 1);
    tableName.resize(tableNameSize, '\0');
    tail += tableName;
    for (const ParadoxNewField& f : fields)
        tail += encoded(codePage, f.name, msg("field %1").arg(f.name)) + '\0';
    for (int i = 1; i <= count; ++i) {
        QByteArray number(2, '\0');
        putWord(number, 0, i);
        tail += number;
    }
    tail += QByteArray(ansi ? "ANSIINTL" : "ascii") + '\0';

    const int used = fieldInfoLong + static_cast<int>(tail.size());
    const int headerSize = (used + headerUnit - 1) / headerUnit * headerUnit;
    if (headerSize > 0xFFFF)
        throw shell::AppError(msg("the field names do not fit a Paradox header"));
    QByteArray h(fieldInfoLong, '\0');
    putWord(h, hRecordSize, recordSize);
    putWord(h, hHeaderSize, headerSize);
    h[hFileType] = static_cast<char>(unkeyedTable);
    h[hMaxTableSize] = static_cast<char>(blockKb);
    putWord(h, hFieldCount, count);
    h[hEncryptionMarks] = '\xFF';
    h[hEncryptionMarks + 2] = '\xFF';
    h[hSortOrder] = ansi ? '\x62' : '\0';
    h[hVersion] = static_cast<char>(version7);
    h[hWriteFlags] = '\x1F';
    h[hWriteFlags + 1] = '\x0F';
    putWord(h, hUsedHeader, used);
    h[hUnknown56] = '\x20';
    putWord(h, hVersionWords, 0x0100 | version7);
    putWord(h, hVersionWords + 2, 0x0100 | version7);
    putWord(h, hHighestFieldId, count + 1);
    putWord(h, hCodePage, codePageNumber);
    h[hCodePageMarks] = '\x01';
    h[hCodePageMarks + 1] = '\x01';
    h += tail;
    h.resize(headerSize, '\0');
    return h;
}

// An empty blob file: the header block alone, as pxlib writes it.
QByteArray emptyBlobFile()
{
    QByteArray mb(mbBlockSize, '\0');
    static const char head[] =
        "\x00\x01\x00\x01\x00\x82\x73\x02\x00\x29\x00\x00\x10\x00\x10\x00\x10\x40\x00\x00"
        "\x08\x00";
    mb.replace(0, sizeof(head) - 1, QByteArray(head, sizeof(head) - 1));
    return mb;
}

void writeNew(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        failFile(path, msg("the file cannot be written (%1)").arg(file.errorString()));
}

} // namespace

int windowsCodePageNumber(const QByteArray& iconvName)
{
    static const QRegularExpression numbered(QStringLiteral("^CP(\\d{3,4})$"));
    const QRegularExpressionMatch m = numbered.match(QString::fromLatin1(iconvName));
    const int number = m.hasMatch() ? m.captured(1).toInt() : 0;
    return number > 0 && CodePage::fromWindowsNumber(number) == iconvName ? number : 0;
}

void createParadoxTable(const QString& path, const QVector<ParadoxNewField>& fields,
                        const QByteArray& codePage)
{
    if (fields.isEmpty() || fields.size() > 255)
        failFile(path, msg("a Paradox table holds 1 to 255 fields, not %1").arg(fields.size()));
    const int number = windowsCodePageNumber(codePage);
    if (number == 0)
        failFile(path,
                 msg("a Paradox table cannot record the code page %1").arg(QString::fromLatin1(codePage)));
    bool blobs = false;
    for (const ParadoxNewField& f : fields)
        blobs = blobs || isBlobType(f.type);
    const QFileInfo info(path);
    const QString blobPath = info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".mb");
    if (info.exists())
        failFile(path, msg("the file exists already"));
    // A blob file of the same name, in any spelling, belongs to another table: never written over, and
    // never left beside a new table that would seem to own it.
    const QString oldBlobs = companionFile(path, QStringLiteral("mb"));
    if (!oldBlobs.isEmpty())
        failFile(oldBlobs, msg("the file exists already"));
    QByteArray header;
    try {
        header = tableHeader(path, fields, *CodePage::byName(codePage), number);
    } catch (const shell::AppError& e) {
        failFile(path, e.message());
    }
    try {
        if (blobs)
            writeNew(blobPath, emptyBlobFile());
        writeNew(path, header);
    } catch (const shell::AppError&) {
        if (blobs)
            QFile::remove(blobPath);
        throw;
    }
}

} // namespace tables
