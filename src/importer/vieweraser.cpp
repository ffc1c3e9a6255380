#include "importer/vieweraser.h"

#include "shell/error.h"
#include "shell/tables/table.h"

namespace importer {

int ViewEraser::eraseView(tables::DataSet& data)
{
    const int count = data.recordCount();
    if (auto* table = qobject_cast<tables::Table*>(&data)) {
        table->first(); // stores a record being edited
        QString sql = QStringLiteral("DELETE FROM %1").arg(table->sqlName());
        if (!table->filter().trimmed().isEmpty())
            sql += QStringLiteral(" WHERE (%1)").arg(table->filter());
        table->beginBulk();
        try {
            table->connection().run(sql);
            table->commitBulk();
        } catch (const std::exception& e) {
            table->rollbackBulk();
            throw shell::AppError(QStringLiteral("%1: %2").arg(table->sourceName(), shell::messageOf(e)));
        }
        table->refresh();
        return count;
    }
    // One record at a time; the grid is told once at the end.
    int deleted = 0;
    const bool wasBlocked = data.blockSignals(true);
    try {
        data.first();
        while (!data.isEmpty()) {
            data.remove();
            ++deleted;
        }
    } catch (const std::exception&) {
        data.blockSignals(wasBlocked);
        Q_EMIT data.viewChanged();
        throw;
    }
    data.blockSignals(wasBlocked);
    Q_EMIT data.viewChanged();
    Q_EMIT data.afterScroll();
    return deleted;
}

} // namespace importer
