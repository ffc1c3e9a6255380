#include "importer/recordstream.h"

#include "importer/sqlstatement.h"
#include "shell/error.h"
#include "shell/tables/table.h"

#include <array>
#include <charconv>
#include <cmath>
#include <sqlite3.h>
#include <vector>

namespace importer {

QString RecordStream::selectSql(const tables::Table& table, int from)
{
    QStringList columns;
    for (const tables::Field& f : table.fields())
        columns << tables::quoteIdentifier(f.name);
    QString sql =
        QStringLiteral("SELECT %1 FROM %2").arg(columns.join(QStringLiteral(", ")), table.sqlName());
    if (!table.filter().trimmed().isEmpty())
        sql += QStringLiteral(" WHERE (%1)").arg(table.filter());
    sql += QStringLiteral(" ORDER BY rowid LIMIT -1 OFFSET %1").arg(qMax(0, from));
    return sql;
}

int RecordStream::forEach(const tables::DataSet& data, int from,
                          const std::function<bool(const QVector<QVariant>&)>& visit)
{
    if (!data.isOpen())
        throw shell::AppError(QStringLiteral("%1: tabela nie jest otwarta").arg(data.sourceName()));
    const auto* table = qobject_cast<const tables::Table*>(&data);
    int visited = 0;
    if (table && table->state() == tables::DataSet::State::Browse) {
        SqlStatement statement(table->connection(), selectSql(*table, from));
        QVector<QVariant> values(int(table->fields().size()));
        while (statement.step()) {
            for (int i = 0; i < values.size(); ++i)
                values[i] = statement.column(i);
            ++visited;
            if (!visit(values))
                break;
        }
        return visited;
    }
    for (int i = qMax(0, from); i < data.recordCount(); ++i) {
        ++visited;
        if (!visit(data.row(i)))
            break;
    }
    return visited;
}

// Whole numbers as integers; others in their shortest exact form when that fits 15 digits, which is
// then the same text as the slow 15-digit formatting. In the range taken here that form is the plain
// decimal QString::number(d, 'g', QLocale::FloatingPointShortest) writes.
int RecordStream::numberText(double d, tables::FieldType type, char* buf)
{
    if (type == tables::FieldType::Logical || !(d > -1e15 && d < 1e15))
        return -1;
    if (d == double(qlonglong(d)))
        return int(std::to_chars(buf, buf + kNumberSize, qlonglong(d)).ptr - buf);
    if (tables::isIntegerType(type) || std::fabs(d) < 1e-4)
        return -1;
    const char* end = std::to_chars(buf, buf + kNumberSize, d, std::chars_format::fixed).ptr;
    int digits = 0;
    for (const char* p = buf; p != end; ++p)
        digits += *p >= '0' && *p <= '9';
    return digits <= 15 ? int(end - buf) : -1;
}

QString RecordStream::cellText(const QVariant& value, tables::FieldType type)
{
    if (value.typeId() == QMetaType::Double) {
        char buf[kNumberSize];
        const int size = numberText(value.toDouble(), type, buf);
        if (size >= 0)
            return QString::fromLatin1(buf, size);
    }
    return tables::valueToText(value, type);
}

int RecordStream::forEachText(const tables::DataSet& data,
                              const std::function<bool(const QVector<QByteArrayView>&)>& visit)
{
    const QVector<tables::Field>& fields = data.fields();
    const int count = int(fields.size());
    QVector<QByteArrayView> cells(count);
    // Texts made the general way, kept while the visit reads them.
    QVector<QByteArray> made(count);
    const auto* table = qobject_cast<const tables::Table*>(&data);
    if (!table || table->state() != tables::DataSet::State::Browse) {
        return forEach(data, 0, [&](const QVector<QVariant>& values) {
            for (int i = 0; i < count; ++i) {
                made[i] = cellText(values.value(i), fields[i].type).toUtf8();
                cells[i] = made[i];
            }
            return visit(cells);
        });
    }
    SqlStatement statement(table->connection(), selectSql(*table, 0));
    static constexpr QByteArrayView yes("True"), no("False");
    std::vector<std::array<char, kNumberSize>> numbers{size_t(count)};
    int visited = 0;
    while (statement.step()) {
        for (int i = 0; i < count; ++i) {
            const tables::FieldType type = fields[i].type;
            char* number = numbers[size_t(i)].data();
            switch (statement.columnType(i)) {
            case SQLITE_NULL:
                cells[i] = QByteArrayView();
                break;
            case SQLITE_TEXT: // SQLite's own copy, valid until the next step
                cells[i] = statement.columnUtf8(i);
                break;
            case SQLITE_INTEGER: {
                const qint64 n = statement.columnInt64(i);
                if (type == tables::FieldType::Logical)
                    cells[i] = n != 0 ? yes : no;
                else
                    cells[i] = QByteArrayView(number, std::to_chars(number, number + kNumberSize, n).ptr);
                break;
            }
            case SQLITE_FLOAT: {
                const int size = numberText(statement.columnDouble(i), type, number);
                if (size >= 0) {
                    cells[i] = QByteArrayView(number, size);
                    break;
                }
                [[fallthrough]];
            }
            default: // binary values and the rarer numbers take the general way
                made[i] = cellText(statement.column(i), type).toUtf8();
                cells[i] = made[i];
            }
        }
        ++visited;
        if (!visit(cells))
            break;
    }
    return visited;
}

QStringList RecordStream::preview(const tables::DataSet& data, int records)
{
    QStringList lines;
    if (!data.isOpen())
        return lines;
    forEach(data, 0, [&](const QVector<QVariant>& values) {
        QStringList cells;
        for (int i = 0; i < values.size(); ++i) {
            const tables::FieldType type = data.fields()[i].type;
            // Pictures and other binary data decoded as text would only fill the line with noise.
            const bool binary = type == tables::FieldType::Binary || type == tables::FieldType::Graphic
                                || type == tables::FieldType::Bytes;
            if (binary && !values[i].isNull())
                cells << QStringLiteral("(dane binarne, %1 B)").arg(values[i].toByteArray().size());
            else
                cells << cellText(values[i], type);
        }
        lines << cells.join(QStringLiteral(" | "));
        return lines.size() < records;
    });
    return lines;
}

} // namespace importer
