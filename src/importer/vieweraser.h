#pragma once

namespace tables {
class DataSet;
}

namespace importer {

// Deletes every record of a view (a filtered table or a live query result). A table's view goes in one
// statement inside a transaction; a query result record by record through the result.
class ViewEraser {
public:
    // Returns the number of records deleted. Throws the engine's error; a table keeps its records then.
    static int eraseView(tables::DataSet& data);
};

} // namespace importer
