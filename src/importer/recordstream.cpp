#include "importer/recordstream.h"

#include "importer/sqlstatement.h"
#include "shell/error.h"
#include "shell/tables/table.h"

namespace importer {

int RecordStream::forEach(const tables::DataSet& data, int from,
                          const std::function<bool(const QVector<QVariant>&)>& visit)
{
    if (!data.isOpen())
        throw AppError(QStringLiteral("%1: the table is not open").arg(data.sourceName()));
    const auto* table = qobject_cast<const tables::Table*>(&data);
    int visited = 0;
    if (table && table->state() == tables::DataSet::State::Browse) {
        QStringList columns;
        for (const tables::Field& f : table->fields())
            columns << tables::quoteIdentifier(f.name);
        QString sql = QStringLiteral("SELECT %1 FROM %2").arg(columns.join(QStringLiteral(", ")), table->sqlName());
        if (!table->filter().trimmed().isEmpty())
            sql += QStringLiteral(" WHERE (%1)").arg(table->filter());
        sql += QStringLiteral(" ORDER BY rowid LIMIT -1 OFFSET %1").arg(qMax(0, from));
        SqlStatement statement(table->connection(), sql);
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

} // namespace importer
