#include "importer/filtercomposer.h"
#include "importer/sqlcomposer.h"

#include "importertables.h"
#include "shell/error.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace importer;
using namespace importertest;
using tables::FieldType;

TEST(FilterComposer, EntriesAreJoinedByOneBlankAndNothingElse)
{
    QString e = FilterComposer::append({}, "Cena");
    e = FilterComposer::append(e, "= ");
    EXPECT_EQ(e, "Cena = ");
    EXPECT_EQ(e + "10", "Cena = 10");
    EXPECT_EQ(FilterComposer::append("Nazwa", "'"), "Nazwa '");
    EXPECT_EQ(FilterComposer::operators().size(), 16);
    EXPECT_EQ(FilterComposer::operators().last(), "'");
}

TEST(FilterComposer, ApplyRemoveAndBadExpressions)
{
    QTemporaryDir dir;
    makeTable(dir.filePath("t.db"), {field("Cena", FieldType::Number)}, {{5}, {10}, {20}});
    tables::Table t;
    t.open(dir.filePath("t.db"));
    EXPECT_EQ(FilterComposer::apply(t, "Cena >= 10"), "Liczba rekordów: 2");
    // A bad expression raises the engine's error and keeps the filter in force.
    EXPECT_THROW(FilterComposer::apply(t, "Cena >>> 1"), shell::AppError);
    EXPECT_EQ(t.recordCount(), 2);
    EXPECT_THROW(FilterComposer::apply(t, "Missing = 1"), shell::AppError);
    EXPECT_EQ(FilterComposer::apply(t, ""), "Liczba rekordów: 3");
    FilterComposer::apply(t, "Cena = 5");
    EXPECT_EQ(FilterComposer::remove(t), "Liczba rekordow: 3");
}

TEST(SqlComposer, InsertionsAndTheSourcePathAfterFrom)
{
    EXPECT_EQ(SqlComposer::insertion("SELECT", "/x/a.db"), "SELECT ");
    EXPECT_EQ(SqlComposer::insertion("= ", "/x/a.db"), "=  ");
    EXPECT_EQ(SqlComposer::insertion("FROM", "/x/a.db"), "FROM '/x/a.db' ");
    EXPECT_EQ(SqlComposer::insertion("FROM", "/x/o'neil.db"), "FROM '/x/o''neil.db' ");
    EXPECT_EQ(SqlComposer::appendFileName({}, "a.db"), "a.db");
    EXPECT_EQ(SqlComposer::appendFileName("select * from", "a.db"), "select * from a.db");
    EXPECT_EQ(SqlComposer::operators().size(), 18);
    const QStringList keywords = SqlComposer::keywords();
    EXPECT_EQ(keywords.size(), 39);
    QStringList sorted = keywords;
    sorted.sort();
    EXPECT_EQ(keywords, sorted);
}
