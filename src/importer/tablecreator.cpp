#include "importer/tablecreator.h"

#include "shell/error.h"
#include "shell/tables/codepage.h"
#include "shell/tables/paradox_creator.h"
#include "shell/tables/paradox_format.h"
#include "shell/tables/table.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QtEndian>

namespace importer {

namespace {

constexpr int kDbaseNameLength = 10;
constexpr int kParadoxNameLength = 25;
constexpr int kParadoxMemoSize = 11; // a 1-byte leader before the blob pointer, as Paradox 7 makes memos

// The width of a text field in bytes: as wide as the longest text there is (longest < 0: not measured),
// else the source's width (a UTF-8 target: room for a Polish letter in two bytes), 255 when unknown.
int textWidth(const tables::Field& f, int longest, int maxWidth, bool utf8)
{
    return longest >= 0 ? qMax(longest, qMin(f.size, maxWidth))
           : f.size > 0 ? (utf8 ? f.size * 2 : f.size)
                        : 255;
}

tables::ParadoxNewField paradoxField(const tables::Field& f, int longest)
{
    namespace px = tables::paradox;
    using tables::FieldType;
    switch (f.type) {
    case FieldType::Alpha:
    case FieldType::Memo:
    case FieldType::FormattedMemo: {
        // Short texts stay alpha, which every reader shows; longer ones go to the blob file.
        const int width = textWidth(f, longest, 255, false);
        if (width > 255)
            return {f.name, px::MemoBlob, kParadoxMemoSize};
        return {f.name, px::Alpha, qMax(1, width)};
    }
    case FieldType::Bytes:
        if (f.size >= 1 && f.size <= 255)
            return {f.name, px::Bytes, f.size};
        return {f.name, px::Blob, kParadoxMemoSize};
    case FieldType::Binary:
        return {f.name, px::Blob, kParadoxMemoSize};
    case FieldType::Graphic:
        return {f.name, px::Graphic, kParadoxMemoSize};
    case FieldType::Integer:
    case FieldType::AutoInc:
        return {f.name, px::Long, 4};
    case FieldType::SmallInt:
        return {f.name, px::Short, 2};
    case FieldType::Money:
        return {f.name, px::Currency, 8};
    case FieldType::Number:
    case FieldType::Bcd:
        return {f.name, px::Number, 8};
    case FieldType::Logical:
        return {f.name, px::Logical, 1};
    case FieldType::Date:
        return {f.name, px::Date, 4};
    case FieldType::Time:
        return {f.name, px::Time, 4};
    case FieldType::Timestamp:
        break;
    }
    return {f.name, px::Timestamp, 8};
}

struct DbaseField {
    QByteArray name;
    char type;
    int length;
    int decimals;
};

DbaseField dbaseField(const tables::Field& f, const QByteArray& name, bool utf8, int longest)
{
    using tables::FieldType;
    switch (f.type) {
    case FieldType::Alpha:
    case FieldType::Memo:
    case FieldType::FormattedMemo: {
        const int width = textWidth(f, longest, 254, utf8);
        if (width > 254)
            return {name, 'M', 10, 0};
        return {name, 'C', qMax(1, width), 0};
    }
    case FieldType::Binary:
    case FieldType::Graphic:
    case FieldType::Bytes:
        return {name, 'M', 10, 0};
    case FieldType::Integer:
    case FieldType::AutoInc:
        return {name, 'N', 18, 0};
    case FieldType::SmallInt:
        return {name, 'N', 6, 0};
    case FieldType::Number:
    case FieldType::Money:
    case FieldType::Bcd:
        return {name, 'N', 24, 10};
    case FieldType::Logical:
        return {name, 'L', 1, 0};
    case FieldType::Date:
        return {name, 'D', 8, 0};
    case FieldType::Time:
        return {name, 'C', 8, 0};
    case FieldType::Timestamp:
        break;
    }
    return {name, 'C', 19, 0};
}

QByteArray dbaseHeader(const QVector<DbaseField>& fields, bool memo)
{
    QByteArray h(32, '\0');
    const QDate today = QDate::currentDate();
    h[0] = char(memo ? 0x83 : 0x03);
    h[1] = char(today.year() - 1900);
    h[2] = char(today.month());
    h[3] = char(today.day());
    int recordLength = 1;
    for (const DbaseField& f : fields)
        recordLength += f.length;
    qToLittleEndian<quint16>(quint16(32 + 32 * fields.size() + 1), h.data() + 8);
    qToLittleEndian<quint16>(quint16(recordLength), h.data() + 10);
    for (const DbaseField& f : fields) {
        QByteArray d(32, '\0');
        d.replace(0, f.name.size(), f.name);
        d[11] = f.type;
        d[16] = char(f.length);
        d[17] = char(f.decimals);
        h += d;
    }
    h += '\r';
    h += '\x1a';
    return h;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw shell::AppError(QStringLiteral("%1: nie można zapisać pliku: %2")
                                  .arg(QDir::toNativeSeparators(path), file.errorString()));
}

QString companion(const QString& path, const char* suffix)
{
    const QFileInfo info(path);
    return info.dir().filePath(info.completeBaseName() + QLatin1String(suffix));
}

} // namespace

TableCreator::Format TableCreator::formatFor(const QString& path, const QString& formatName)
{
    const QString name = formatName.toLower();
    if (name == QLatin1String("sqlite") || name == QLatin1String("native"))
        return Format::Native;
    if (name == QLatin1String("dbase") || name == QLatin1String("dbf"))
        return Format::DBase;
    if (name == QLatin1String("paradox"))
        return Format::Paradox;
    if (!name.isEmpty())
        throw shell::AppError(
            QStringLiteral("nieznany format tabeli: %1 (sqlite, dbase, paradox)").arg(formatName));
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("dbf"))
        return Format::DBase;
    static const QStringList native = {QStringLiteral("db"), QStringLiteral("sqlite"),
                                       QStringLiteral("sqlite3"), QStringLiteral("db3")};
    if (native.contains(suffix))
        return Format::Native;
    throw shell::AppError(
        QStringLiteral("%1: z rozszerzenia nie wynika format nowej tabeli (.db, .sqlite, .dbf)")
            .arg(QDir::toNativeSeparators(path)));
}

QStringList TableCreator::shortNames(const QStringList& names, int maxLength)
{
    QStringList out;
    QSet<QString> used;
    for (const QString& name : names) {
        QString candidate = name.left(maxLength);
        for (int n = 1; used.contains(candidate.toCaseFolded()); ++n) {
            const QString number = QString::number(n);
            candidate = name.left(maxLength - int(number.size())) + number;
        }
        used.insert(candidate.toCaseFolded());
        out << candidate;
    }
    return out;
}

QVector<tables::Field> TableCreator::create(const QString& path, const QVector<tables::Field>& sourceFields,
                                            Format format, const QByteArray& codePage, QStringList* renamed,
                                            const QVector<int>& longest)
{
    if (QFileInfo::exists(path))
        throw shell::AppError(QStringLiteral("%1: plik już istnieje").arg(QDir::toNativeSeparators(path)));
    QVector<tables::Field> fields = sourceFields;
    QStringList names;
    for (tables::Field& f : fields) {
        // The source's counter values are copied, so the new field is a plain number.
        if (f.type == tables::FieldType::AutoInc)
            f.type = tables::FieldType::Integer;
        f.modifiable = true;
        names << f.name;
    }
    const QStringList shortened = shortNames(names, format == Format::DBase     ? kDbaseNameLength
                                                    : format == Format::Paradox ? kParadoxNameLength
                                                                                : 1000);
    for (int i = 0; i < fields.size(); ++i) {
        if (shortened[i] != fields[i].name && renamed)
            *renamed << QStringLiteral("%1 -> %2").arg(fields[i].name, shortened[i]);
        fields[i].name = shortened[i];
    }
    if (format == Format::Native) {
        tables::Table::create(path, fields);
        return fields;
    }

    if (format == Format::Paradox) {
        // The header records the code page by its number: Windows-1250, the Polish Windows one, unless
        // chosen.
        const QByteArray chosen =
            tables::CodePage::fromUserChoice(QString::fromLatin1(codePage.isEmpty() ? "1250" : codePage));
        QVector<tables::ParadoxNewField> newFields;
        for (int i = 0; i < fields.size(); ++i)
            newFields.push_back(paradoxField(fields[i], longest.value(i, -1)));
        tables::createParadoxTable(path, newFields, chosen);
        return fields;
    }

    // dBASE: the code page named in a .cpg beside the table (UTF-8 unless chosen), which GDAL reads too.
    QByteArray cpg = codePage.isEmpty() ? QByteArray("UTF-8") : codePage;
    if (tables::CodePage::fromCpgText(cpg).isEmpty())
        throw shell::AppError(QStringLiteral("nieznana strona kodowa: %1").arg(QString::fromLatin1(cpg)));
    const bool utf8 = tables::CodePage::byName(tables::CodePage::fromCpgText(cpg))->isUtf8();
    QVector<DbaseField> dbf;
    bool memo = false;
    for (int i = 0; i < fields.size(); ++i) {
        const tables::Field& f = fields[i];
        const QByteArray name = f.name.toLatin1();
        if (QString::fromLatin1(name) != f.name)
            throw shell::AppError(
                QStringLiteral("pole %1: nazwa pola dBASE może mieć tylko litery łacińskie").arg(f.name));
        dbf.push_back(dbaseField(f, name, utf8, longest.value(i, -1)));
        memo = memo || dbf.last().type == 'M';
    }
    try {
        if (memo) {
            QByteArray dbt(512, '\0');
            qToLittleEndian<quint32>(1, dbt.data()); // the next free block
            writeFile(companion(path, ".dbt"), dbt);
        }
        writeFile(companion(path, ".cpg"), cpg);
        writeFile(path, dbaseHeader(dbf, memo));
    } catch (const shell::AppError&) {
        remove(path, Format::DBase);
        throw;
    }
    return fields;
}

QVector<int> TableCreator::longestTexts(const tables::Table& table)
{
    QVector<int> longest(table.fields().size(), 0);
    QStringList measures;
    for (const tables::Field& f : table.fields())
        measures
            << (tables::isTextType(f.type)
                    ? QStringLiteral("max(length(CAST(%1 AS BLOB)))").arg(tables::quoteIdentifier(f.name))
                    : QStringLiteral("0"));
    QString sql =
        QStringLiteral("SELECT %1 FROM %2").arg(measures.join(QStringLiteral(", ")), table.sqlName());
    if (!table.filter().trimmed().isEmpty())
        sql += QStringLiteral(" WHERE (%1)").arg(table.filter());
    const auto rows = table.connection().select(sql);
    for (int i = 0; !rows.isEmpty() && i < longest.size(); ++i)
        longest[i] = rows[0].value(i).toInt();
    return longest;
}

void TableCreator::remove(const QString& path, Format format)
{
    QFile::remove(path);
    if (format == Format::DBase) {
        QFile::remove(companion(path, ".dbt"));
        QFile::remove(companion(path, ".cpg"));
    } else if (format == Format::Paradox) {
        QFile::remove(companion(path, ".mb")); // a creation never writes over another table's blob file
    }
}

} // namespace importer
