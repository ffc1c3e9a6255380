#pragma once

// Shared by the table file fuzz targets. An input is a table file and its companion file (memo or blob
// file): four bytes little-endian with the length of the table file, the table file, then the companion.

#include "shell/tables/filemodules.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdint>
#include <cstring>

namespace fuzzsupport {

inline const QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

inline void writeFile(const QString& path, const char* data, size_t size)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(data, static_cast<qint64>(size));
}

inline void splitInput(const uint8_t* data, size_t size, QByteArray& table, QByteArray& companion)
{
    if (size < 4) {
        table = QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
        companion.clear();
        return;
    }
    uint32_t length = 0;
    std::memcpy(&length, data, 4); // the seeds are written little-endian, as is the machine
    const size_t rest = size - 4;
    const size_t tableSize = length < rest ? length : rest;
    table = QByteArray(reinterpret_cast<const char*>(data) + 4, static_cast<qsizetype>(tableSize));
    companion = QByteArray(reinterpret_cast<const char*>(data) + 4 + tableSize,
                           static_cast<qsizetype>(rest - tableSize));
}

inline void exec(sqlite3* db, const char* sql)
{
    sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

// Opens the table through its module and reads, changes, adds and deletes records: nothing may crash.
inline void exercise(const char* module, const QString& tablePath)
{
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    tables::registerFileModules(db);
    QString path = tablePath;
    path.replace(QLatin1Char('\''), QLatin1String("''"));
    const QByteArray create =
        "CREATE VIRTUAL TABLE temp.t USING " + QByteArray(module) + "('" + path.toUtf8() + "')";
    if (sqlite3_exec(db, create.constData(), nullptr, nullptr, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT rowid, * FROM t", -1, &stmt, nullptr) == SQLITE_OK) {
            int rows = 0;
            while (sqlite3_step(stmt) == SQLITE_ROW && ++rows < 5000) {
                for (int c = 0; c < sqlite3_column_count(stmt); ++c)
                    (void)sqlite3_column_bytes(stmt, c);
            }
        }
        sqlite3_finalize(stmt);
        exec(db, "UPDATE t SET rowid = rowid WHERE rowid = 1");
        // Every column set to its own value (text where it is text), then a new and a deleted record.
        sqlite3_stmt* cols = nullptr;
        QByteArray update = "UPDATE t SET ";
        if (sqlite3_prepare_v2(db, "SELECT name FROM pragma_table_info('t', 'temp')", -1, &cols, nullptr)
            == SQLITE_OK) {
            bool first = true;
            while (sqlite3_step(cols) == SQLITE_ROW) {
                const QByteArray name =
                    QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(cols, 0)))
                        .replace('"', "\"\"");
                update += (first ? "\"" : ", \"") + name + "\" = \"" + name + "\"";
                first = false;
            }
        }
        sqlite3_finalize(cols);
        exec(db, (update + " WHERE rowid IN (1, 2)").constData());
        exec(db, "INSERT INTO t DEFAULT VALUES");
        exec(db, "DELETE FROM t WHERE rowid = 1");
        exec(db, "SELECT * FROM t");
    }
    sqlite3_close(db);
}

} // namespace fuzzsupport
