#pragma once

#include <QVariant>
#include <QVector>
#include <functional>

namespace tables {
class DataSet;
class Table;
}

namespace importer {

// Reads the records of a view in order without positioning the data set on each one. A table is read
// through one statement over its file (with its filter); any other data set record by record.
class RecordStream {
public:
    // Calls visit for every record of the view from index `from` on; visit returns false to stop.
    // Returns the number of records visited.
    static int forEach(const tables::DataSet& data, int from,
                       const std::function<bool(const QVector<QVariant>&)>& visit);
};

} // namespace importer
