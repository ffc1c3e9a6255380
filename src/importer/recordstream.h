#pragma once

#include "shell/tables/fieldtype.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>

namespace tables {
class DataSet;
class Table;
} // namespace tables

namespace importer {

// Reads the records of a view in order without positioning the data set on each one. A table is read
// through one statement over its file (with its filter); any other data set record by record.
class RecordStream {
public:
    // Calls visit for every record of the view from index `from` on; visit returns false to stop.
    // Returns the number of records visited.
    static int forEach(const tables::DataSet& data, int from,
                       const std::function<bool(const QVector<QVariant>&)>& visit);
    // The statement forEach reads a table with (records from index `from` on, in the view's order).
    static QString selectSql(const tables::Table& table, int from);
    // The same records as text, each cell in UTF-8 as the table tools show it; the views hold until visit
    // returns. Quicker for tables: no value becomes a QVariant or a QString, no cell is copied.
    static int forEachText(const tables::DataSet& data,
                           const std::function<bool(const QVector<QByteArrayView>&)>& visit);
    // The first records as lines of their texts, fields separated by " | " (a preview of how a chosen
    // code page decodes them).
    static QStringList preview(const tables::DataSet& data, int records);
    // The text of one value (numbers: whole ones as integers, others exact when 15 digits hold them).
    static QString cellText(const QVariant& value, tables::FieldType type);
    // The same text of a floating number written into buf (kNumberSize bytes); its length, or -1 when
    // only the general formatting knows it.
    static constexpr int kNumberSize = 32;
    static int numberText(double value, tables::FieldType type, char* buf);
};

} // namespace importer
