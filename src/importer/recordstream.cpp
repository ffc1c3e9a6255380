#include "importer/recordstream.h"

#include "importer/sqlstatement.h"
#include "shell/error.h"
#include "shell/tables/table.h"

#include <QLocale>
#include <cstring>
#include <sqlite3.h>

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

// The text of a value as the table tools show it, with a quick way for numbers: whole numbers as
// integers, others in their shortest exact form when that fits 15 digits (the same text as the slow
// 15-digit formatting then).
QString RecordStream::cellText(const QVariant& value, tables::FieldType type)
{
    if (value.typeId() == QMetaType::Double && type != tables::FieldType::Logical) {
        const double d = value.toDouble();
        if (d > -1e15 && d < 1e15 && d == double(qlonglong(d)))
            return QString::number(qlonglong(d));
        if (!tables::isIntegerType(type)) {
            const QString shortest = QString::number(d, 'g', QLocale::FloatingPointShortest);
            int digits = 0;
            for (const QChar c : shortest) {
                if (c == QLatin1Char('e'))
                    break;
                if (c.isDigit())
                    ++digits;
            }
            if (digits <= 15)
                return shortest;
        }
    }
    return tables::valueToText(value, type);
}

int RecordStream::forEachText(const tables::DataSet& data,
                              const std::function<bool(const QVector<QByteArray>&)>& visit)
{
    const QVector<tables::Field>& fields = data.fields();
    QVector<QByteArray> cells(int(fields.size()));
    const auto* table = qobject_cast<const tables::Table*>(&data);
    if (!table || table->state() != tables::DataSet::State::Browse) {
        return forEach(data, 0, [&](const QVector<QVariant>& values) {
            for (int i = 0; i < cells.size(); ++i)
                cells[i] = cellText(values.value(i), fields[i].type).toUtf8();
            return visit(cells);
        });
    }
    QStringList columns;
    for (const tables::Field& f : fields)
        columns << tables::quoteIdentifier(f.name);
    QString sql =
        QStringLiteral("SELECT %1 FROM %2").arg(columns.join(QStringLiteral(", ")), table->sqlName());
    if (!table->filter().trimmed().isEmpty())
        sql += QStringLiteral(" WHERE (%1)").arg(table->filter());
    sql += QStringLiteral(" ORDER BY rowid");
    SqlStatement statement(table->connection(), sql);
    static const QByteArray yes = QByteArrayLiteral("True"), no = QByteArrayLiteral("False");
    int visited = 0;
    while (statement.step()) {
        for (int i = 0; i < cells.size(); ++i) {
            const tables::FieldType type = fields[i].type;
            switch (statement.columnType(i)) {
            case SQLITE_NULL:
                cells[i].clear();
                break;
            case SQLITE_TEXT: {
                // Into the cell's own buffer: no allocation per value once it is large enough.
                const QByteArrayView text = statement.columnUtf8(i);
                cells[i].resize(text.size());
                if (!text.isEmpty())
                    memcpy(cells[i].data(), text.data(), size_t(text.size()));
            } break;
            case SQLITE_INTEGER: {
                const qint64 n = statement.columnInt64(i);
                cells[i] = type == tables::FieldType::Logical ? (n != 0 ? yes : no) : QByteArray::number(n);
                break;
            }
            default: // floating numbers and binary values take the general way
                cells[i] = cellText(statement.column(i), type).toUtf8();
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
        for (int i = 0; i < values.size(); ++i)
            cells << cellText(values[i], data.fields()[i].type);
        lines << cells.join(QStringLiteral(" | "));
        return lines.size() < records;
    });
    return lines;
}

} // namespace importer
