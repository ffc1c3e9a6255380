// The options a Table hands to the dBASE and Paradox modules, and what it reads back from them.

#include "filetable_sql.h"
#include "shell/error.h"
#include "shell/tables/table.h"
#include "shell/tables/tablefilesupport.h"
#include "testsupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString messageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

} // namespace

TEST(TableFileOptions, ArgumentsGoThereAndBack)
{
    tables::TableFileOptions o;
    o.codePage = QStringLiteral("CP852");
    o.allowRounding = true;
    QStringList args;
    for (QString a : o.toSqlArguments())
        args << a.mid(1, a.size() - 2); // what the module receives, unquoted
    const tables::TableFileOptions back = tables::TableFileOptions::parse(args);
    EXPECT_EQ(back.codePage, QStringLiteral("CP852"));
    EXPECT_TRUE(back.allowRounding);
    EXPECT_FALSE(back.allowStaleIndexes);
    EXPECT_TRUE(messageOf([] {
                    tables::TableFileOptions::parse({QString(), QStringLiteral("allow-all")});
                }).contains(QStringLiteral("allow-all")));
}

TEST(TableFileOptions, TableOpensWithTheChosenCodePage)
{
    QTemporaryDir dir;
    const QString file = testsupport::copySharedTable(QStringLiteral("encoding_1250.dbf"), dir.path());
    testsupport::copySharedTable(QStringLiteral("encoding_1250.cpg"), dir.path());
    tables::Table table;
    table.setFilter(QStringLiteral("id = 2"));
    table.open(file);
    EXPECT_TRUE(table.value(1).toString().contains(QStringLiteral("ł")));
    table.close();

    // The user's choice wins over the .cpg file: read as 1252 the Polish letters come out wrong.
    table.setCodePage(QStringLiteral("1252"));
    table.open(file);
    EXPECT_TRUE(table.value(1).toString().contains(QStringLiteral("³")));
    EXPECT_EQ(table.writeCounts().refusedCodePage, 0);
    table.close();

    table.setCodePage(QStringLiteral("no-such-page"));
    const QString error = messageOf([&] { table.open(file); });
    EXPECT_TRUE(error.contains(QStringLiteral("no-such-page"))) << error.toStdString();
    EXPECT_FALSE(table.isOpen());
}

TEST(TableFileOptions, RowNumberRangesMatchWhatSqliteItselfFinds)
{
    QTemporaryDir dir;
    const QString file = testsupport::copySharedTable(QStringLiteral("dbase_8b.dbf"), dir.path());
    filetabletest::SqlSession s;
    ASSERT_EQ(s.attach(QStringLiteral("t"), QStringLiteral("dbase"), file), QString());
    s.run(QStringLiteral("DELETE FROM t WHERE rowid = 4"));
    s.run(QStringLiteral("CREATE TEMP TABLE plain AS SELECT rowid AS r FROM t"));
    // The same conditions on the file and on a plain table of its row numbers find the same rows.
    for (const char* where :
         {"# >= 3", "# > 3", "# > 2.5 AND # <= 7", "# < 4.5", "# >= '5'", "# > NULL", "# >= -5 AND # < 100",
          "# > 9 AND # < 3", "# BETWEEN 2 AND 5 AND # <> 3", "# >= 10", "# > 10", "# >= 'abc'"}) {
        const QString condition = QString::fromLatin1(where);
        const auto onFile =
            s.select(QStringLiteral("SELECT rowid FROM t WHERE %1 ORDER BY rowid")
                         .arg(QString(condition).replace(QLatin1Char('#'), QStringLiteral("rowid"))));
        const auto onPlain =
            s.select(QStringLiteral("SELECT r FROM plain WHERE %1 ORDER BY r")
                         .arg(QString(condition).replace(QLatin1Char('#'), QStringLiteral("r"))));
        EXPECT_EQ(onFile, onPlain) << where;
    }
}
