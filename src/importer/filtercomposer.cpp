#include "importer/filtercomposer.h"

#include "shell/tables/table.h"

namespace importer {

QStringList FilterComposer::operators()
{
    return {QStringLiteral(">"),  QStringLiteral("<"),  QStringLiteral("= "),  QStringLiteral(">="),
            QStringLiteral("<="), QStringLiteral("<>"), QStringLiteral("AND"), QStringLiteral("OR"),
            QStringLiteral("("),  QStringLiteral(")"),  QStringLiteral("+"),   QStringLiteral("-"),
            QStringLiteral("*"),  QStringLiteral("/"),  QStringLiteral(","),   QStringLiteral("'")};
}

QString FilterComposer::append(const QString& expression, const QString& entry)
{
    if (expression.isEmpty())
        return entry;
    return expression + QLatin1Char(' ') + entry;
}

QString FilterComposer::apply(tables::Table& table, const QString& expression)
{
    table.setFilter(expression);
    return QStringLiteral("Liczba rekordów: %1").arg(table.recordCount());
}

QString FilterComposer::remove(tables::Table& table)
{
    table.setFilter(QString());
    return QStringLiteral("Liczba rekordow: %1").arg(table.recordCount());
}

} // namespace importer
