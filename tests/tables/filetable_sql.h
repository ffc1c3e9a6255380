#pragma once

// Runs SQL on an in-memory database with the dBASE and Paradox modules, for the table file tests.

#include "shell/tables/connection.h"
#include "shell/tables/filemodules.h"

#include <QVariant>
#include <QVector>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace filetabletest {

class SqlSession {
public:
    SqlSession()
    {
        sqlite3_open(":memory:", &m_db);
        tables::registerFileModules(m_db);
    }
    ~SqlSession() { sqlite3_close(m_db); }
    SqlSession(const SqlSession&) = delete;
    SqlSession& operator=(const SqlSession&) = delete;

    sqlite3* db() const { return m_db; }

    // Runs a statement; returns SQLite's error message, empty on success.
    QString tryRun(const QString& sql, const QVector<QVariant>& params = {},
                   QVector<QVector<QVariant>>* rows = nullptr)
    {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
            return QString::fromUtf8(sqlite3_errmsg(m_db));
        for (int i = 0; i < params.size(); ++i) {
            const QVariant& p = params[i];
            if (p.isNull())
                sqlite3_bind_null(stmt, i + 1);
            else if (p.typeId() == QMetaType::QByteArray) {
                const QByteArray b = p.toByteArray();
                sqlite3_bind_blob(stmt, i + 1, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            } else if (p.typeId() == QMetaType::Int || p.typeId() == QMetaType::LongLong)
                sqlite3_bind_int64(stmt, i + 1, p.toLongLong());
            else if (p.typeId() == QMetaType::Double)
                sqlite3_bind_double(stmt, i + 1, p.toDouble());
            else
                sqlite3_bind_text(stmt, i + 1, p.toString().toUtf8().constData(), -1, SQLITE_TRANSIENT);
        }
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            if (!rows)
                continue;
            QVector<QVariant> row;
            for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
                switch (sqlite3_column_type(stmt, c)) {
                case SQLITE_NULL:
                    row << QVariant();
                    break;
                case SQLITE_INTEGER:
                    row << QVariant(qint64(sqlite3_column_int64(stmt, c)));
                    break;
                case SQLITE_FLOAT:
                    row << QVariant(sqlite3_column_double(stmt, c));
                    break;
                case SQLITE_BLOB:
                    row << QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, c)),
                                               sqlite3_column_bytes(stmt, c)));
                    break;
                default:
                    row << QVariant(
                        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c))));
                }
            }
            rows->push_back(row);
        }
        const QString error = rc == SQLITE_DONE ? QString() : QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_finalize(stmt);
        return error;
    }

    void run(const QString& sql, const QVector<QVariant>& params = {})
    {
        const QString error = tryRun(sql, params);
        ASSERT_TRUE(error.isEmpty()) << sql.toStdString() << ": " << error.toStdString();
    }

    QVector<QVector<QVariant>> select(const QString& sql, const QVector<QVariant>& params = {})
    {
        QVector<QVector<QVariant>> rows;
        const QString error = tryRun(sql, params, &rows);
        EXPECT_TRUE(error.isEmpty()) << sql.toStdString() << ": " << error.toStdString();
        return rows;
    }

    QVariant value(const QString& sql, const QVector<QVariant>& params = {})
    {
        const auto rows = select(sql, params);
        return rows.isEmpty() || rows[0].isEmpty() ? QVariant() : rows[0][0];
    }

    // Opens a table file as temp.<name>; returns the error, empty on success.
    QString attach(const QString& name, const QString& module, const QString& path, const QString& extra = {})
    {
        QString sql = QStringLiteral("CREATE VIRTUAL TABLE temp.%1 USING %2(%3")
                          .arg(name, module, tables::quoteLiteral(path));
        if (!extra.isEmpty())
            sql += QStringLiteral(", ") + tables::quoteLiteral(extra);
        return tryRun(sql + QStringLiteral(")"));
    }

    // name, declared type of each column.
    QVector<QPair<QString, QString>> columns(const QString& table)
    {
        QVector<QPair<QString, QString>> cols;
        for (const auto& r : select(QStringLiteral("PRAGMA temp.table_info(%1)").arg(table)))
            cols.push_back({r[1].toString(), r[2].toString()});
        return cols;
    }

private:
    sqlite3* m_db = nullptr;
};

} // namespace filetabletest
