#include "importer/pairing.h"

#include "shell/tables/dataset.h"

#include <QCollator>
#include <QSet>
#include <algorithm>
#include <numeric>

namespace importer {

Mapping Pairing::side(const tables::DataSet& table, bool sorted)
{
    const QVector<tables::Field>& fields = table.fields();
    QVector<int> order(fields.size());
    std::iota(order.begin(), order.end(), 0);
    if (sorted) {
        QCollator collator;
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        std::stable_sort(order.begin(), order.end(),
                         [&](int a, int b) { return collator.compare(fields[a].name, fields[b].name) < 0; });
    }
    Mapping rows;
    for (int i : order)
        rows.push_back({fields[i].name, false, i});
    return rows;
}

QStringList Pairing::sortedFieldNames(const tables::DataSet& table)
{
    QStringList names;
    for (const MappingRow& row : side(table, true))
        names << row.field;
    return names;
}

Pairing Pairing::make(const tables::DataSet& source, const tables::DataSet& target, PairingRule rule)
{
    if (rule != PairingRule::ByName) {
        const bool sorted = rule == PairingRule::Sorted;
        return {side(source, sorted), side(target, sorted)};
    }
    Pairing p;
    const Mapping sourceRows = side(source, false);
    Mapping targetRows = side(target, false);
    QSet<int> used;
    Mapping unpairedSource;
    for (const MappingRow& s : sourceRows) {
        const auto found = std::find_if(targetRows.begin(), targetRows.end(), [&](const MappingRow& t) {
            return !used.contains(t.index) && t.field.compare(s.field, Qt::CaseInsensitive) == 0;
        });
        if (found == targetRows.end()) {
            unpairedSource.push_back({s.field, true, s.index});
            continue;
        }
        used.insert(found->index);
        p.source.push_back(s);
        p.target.push_back(*found);
    }
    Mapping unpairedTarget;
    for (const MappingRow& t : std::as_const(targetRows))
        if (!used.contains(t.index))
            unpairedTarget.push_back({t.field, true, t.index});
    // The unpaired ones after the pairs, marked skipped on both sides so no row pairs them by chance.
    const qsizetype rest = std::max(unpairedSource.size(), unpairedTarget.size());
    for (qsizetype i = 0; i < rest; ++i) {
        if (i < unpairedSource.size())
            p.source.push_back(unpairedSource[i]);
        if (i < unpairedTarget.size())
            p.target.push_back(unpairedTarget[i]);
    }
    return p;
}

QStringList Pairing::describe() const
{
    QStringList lines;
    QStringList unpairedSource, unpairedTarget;
    const qsizetype pairs = std::min(source.size(), target.size());
    for (qsizetype i = 0; i < pairs; ++i) {
        if (!source[i].skipped && !target[i].skipped)
            lines << QStringLiteral("%1 -> %2").arg(source[i].field, target[i].field);
        else {
            if (source[i].skipped)
                unpairedSource << source[i].field;
            if (target[i].skipped)
                unpairedTarget << target[i].field;
        }
    }
    for (qsizetype i = pairs; i < source.size(); ++i)
        unpairedSource << source[i].field;
    for (qsizetype i = pairs; i < target.size(); ++i)
        unpairedTarget << target[i].field;
    if (!unpairedSource.isEmpty())
        lines << QStringLiteral("pominięte pola źródła: %1").arg(unpairedSource.join(QStringLiteral(", ")));
    if (!unpairedTarget.isEmpty())
        lines << QStringLiteral("pominięte pola celu: %1").arg(unpairedTarget.join(QStringLiteral(", ")));
    return lines;
}

} // namespace importer
