// Writing to a keyed Paradox table whose primary index (.PX) and blob file (.MB) are damaged: every
// change gives an error or succeeds, never a crash. The input is the table, then (split the same way)
// its blob file and its primary index.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray table, companions, blobs, index;
    fuzzsupport::splitInput(data, size, table, companions);
    fuzzsupport::splitInput(reinterpret_cast<const uint8_t*>(companions.constData()),
                            static_cast<size_t>(companions.size()), blobs, index);
    const QString dir = fuzzsupport::folder().path();
    fuzzsupport::writeFile(dir + QStringLiteral("/w.db"), table.constData(), table.size());
    fuzzsupport::writeFile(dir + QStringLiteral("/w.mb"), blobs.constData(), blobs.size());
    fuzzsupport::writeFile(dir + QStringLiteral("/w.px"), index.constData(), index.size());
    fuzzsupport::exercise("paradox", dir + QStringLiteral("/w.db"));

    // Long and short values into every column: blobs in and outside the record, split blocks.
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    tables::registerFileModules(db);
    QString path = dir + QStringLiteral("/w.db");
    const QByteArray create = "CREATE VIRTUAL TABLE temp.t USING paradox('" + path.toUtf8() + "')";
    if (sqlite3_exec(db, create.constData(), nullptr, nullptr, nullptr) == SQLITE_OK) {
        sqlite3_stmt* cols = nullptr;
        QByteArrayList names;
        if (sqlite3_prepare_v2(db, "SELECT name FROM pragma_table_info('t', 'temp')", -1, &cols, nullptr)
            == SQLITE_OK)
            while (sqlite3_step(cols) == SQLITE_ROW)
                names << QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(cols, 0)))
                             .replace('"', "\"\"");
        sqlite3_finalize(cols);
        for (const QByteArray& name : names) {
            for (const char* value : {"randomblob(5000)", "hex(randomblob(300))", "'x'", "NULL"}) {
                fuzzsupport::exec(
                    db, ("UPDATE t SET \"" + name + "\" = " + value + " WHERE rowid <= 3").constData());
                fuzzsupport::exec(db,
                                  ("INSERT INTO t (\"" + name + "\") VALUES (" + value + ")").constData());
            }
        }
        fuzzsupport::exec(db, "DELETE FROM t WHERE rowid % 2 = 0");
        fuzzsupport::exec(db, "SELECT * FROM t");
    }
    sqlite3_close(db);
    return 0;
}
