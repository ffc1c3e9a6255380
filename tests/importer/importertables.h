#pragma once

// Small native tables for the importer's tests.

#include "shell/tables/table.h"

#include <QVariant>
#include <QVector>
#include <gtest/gtest.h>

namespace importertest {

inline tables::Field field(const QString& name, tables::FieldType type, int size = 0)
{
    tables::Field f;
    f.name = name;
    f.type = type;
    f.size = size;
    return f;
}

// Creates a native table file and stores the rows (values by field position; AutoInc fields are skipped).
inline QString makeTable(const QString& path, const QVector<tables::Field>& fields,
                         const QVector<QVector<QVariant>>& rows = {})
{
    tables::Table::create(path, fields);
    tables::Table t;
    t.open(path);
    for (const auto& row : rows) {
        t.append();
        for (int i = 0; i < row.size(); ++i)
            if (t.fields()[i].modifiable && row[i].isValid())
                t.setValue(t.fields()[i].name, row[i]);
        t.post();
    }
    return path;
}

inline QVector<QVector<QVariant>> allRows(const QString& path)
{
    tables::Table t;
    t.open(path);
    QVector<QVector<QVariant>> rows;
    for (int i = 0; i < t.recordCount(); ++i)
        rows.push_back(t.row(i));
    return rows;
}

inline int countOf(const QString& path)
{
    tables::Table t;
    t.open(path);
    return t.recordCount();
}

} // namespace importertest
