#include "importer/tableexport.h"

#include "importertables.h"
#include "shell/tables/query.h"
#include "shell/tables/table.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace importer;
using namespace importertest;
using tables::FieldType;

namespace {

const QByteArray kHead =
    "<HTML><HEAD><META HTTP-EQUIV=\"CONTENT-TYPE\" CONTENT=\"text/html; charset=iso-8859-2\">"
    "<META NAME=\"GENERATOR\"CONTENT=\"ORVANE Importer\"></HEAD><body bgcolor=\"#FFFFFF\">";

QByteArray htmlText(const QString& s)
{
    QByteArray out;
    TableExport::appendHtmlText(out, s);
    return out;
}

} // namespace

TEST(TableExport, HtmlPageWithAlternatingRowColours)
{
    QTemporaryDir dir;
    makeTable(dir.filePath("t.db"), {field("Nazwa", FieldType::Alpha, 20), field("Cena", FieldType::Number)},
              {{"a", 1.5}, {"b", QVariant()}, {"c", 3}});
    tables::Table t;
    t.open(dir.filePath("t.db"));
    ExportSettings settings;
    EXPECT_EQ(TableExport::html(t, settings), kHead
                                                  + "<TABLE BORDER=0><TR><TD>Nazwa<TD>Cena</TR>"
                                                    "<TR bgcolor=\"#EBF4FE\"><TD>a<TD>1.5</TR>"
                                                    "<TR bgcolor=\"#FFFFFF\"><TD>b<TD></TR>"
                                                    "<TR bgcolor=\"#EBF4FE\"><TD>c<TD>3</TR>"
                                                    "</TABLE></HTML>\r\n");
    settings.boldLines = true;
    settings.oddRowColor = QColor(1, 0xAB, 0xFF);
    t.setFilter("Nazwa = 'b'");
    EXPECT_EQ(TableExport::html(t, settings), kHead
                                                  + "<TABLE BORDER=1><TR><TD>Nazwa<TD>Cena</TR><TR "
                                                    "bgcolor=\"#01ABFF\"><TD>b<TD></TR></TABLE></HTML>\r\n");
}

TEST(TableExport, HtmlTextIsEscapedAndKeepsEveryCharacter)
{
    EXPECT_EQ(htmlText("a<b & c>d"), "a&lt;b &amp; c&gt;d");
    // ż, ł, ć keep their code; ó becomes an entity.
    EXPECT_EQ(htmlText("żółć"), QByteArray("\xBF&oacute;\xB3\xE6"));
    EXPECT_EQ(htmlText("ĄŚŹąśźÓ"), QByteArray("\xA1\xA6\xAC\xB1\xB6\xBC&Oacute;"));
    // Outside ISO-8859-2: numeric references instead of losing the character.
    EXPECT_EQ(htmlText("5€ ☺ \U0001F600 é"), QByteArray("5&#8364; &#9786; &#128512; \xE9"));
}

TEST(TableExport, TextWithSeparatorAfterEveryFieldAndLineFeeds)
{
    QTemporaryDir dir;
    makeTable(dir.filePath("t.db"), {field("A", FieldType::Alpha, 5), field("B", FieldType::Alpha, 5)},
              {{"a", "b"}, {"ż", QVariant()}});
    tables::Table t;
    t.open(dir.filePath("t.db"));
    EXPECT_EQ(TableExport::text(t, "|"), QByteArray("a|b|\n\xC5\xBC||\n\r\n"));
    EXPECT_EQ(TableExport::text(t, ExportSettings::separatorFor("Tab")),
              QByteArray("a\tb\t\n\xC5\xBC\t\t\n\r\n"));
    t.setFilter("A = 'none'");
    EXPECT_EQ(TableExport::text(t, "|"), QByteArray("\r\n"));
}

TEST(TableExport, QueryResultExportsLikeATable)
{
    QTemporaryDir dir;
    const QString path =
        makeTable(dir.filePath("t.db"), {field("A", FieldType::Alpha, 5), field("N", FieldType::Integer)},
                  {{"x", 1}, {"y", 2}, {"z", 3}});
    tables::Query q;
    q.open(QStringLiteral("SELECT N, A FROM %1 WHERE N >= 2").arg(tables::quoteLiteral(path)));
    EXPECT_EQ(TableExport::text(q, "#"), QByteArray("2#y#\n3#z#\n\r\n"));
    EXPECT_TRUE(
        TableExport::html(q, {}).contains("<TR><TD>N<TD>A</TR><TR bgcolor=\"#EBF4FE\"><TD>2<TD>y</TR>"));
}

TEST(TableExport, SeparatorChoices)
{
    const QStringList options = ExportSettings::separatorOptions();
    ASSERT_EQ(options.size(), 14);
    EXPECT_EQ(options[0], "Tab");
    EXPECT_EQ(options[1], ExportSettings().separatorOption);
    EXPECT_EQ(options[5], "\\");
}

TEST(TableExport, NumbersReadAsTheTableToolsShowThem)
{
    QTemporaryDir dir;
    const QVector<double> values = {0.1 + 0.2, 1234567.89, 1e21,   -40,
                                    19.685,    1.0 / 3,    2.5e-7, 9007199254740993.0};
    QVector<QVector<QVariant>> rows;
    for (double v : values)
        rows.push_back({v});
    makeTable(dir.filePath("n.db"), {field("N", FieldType::Number)}, rows);
    tables::Table t;
    t.open(dir.filePath("n.db"));
    QByteArray expected;
    for (double v : values)
        expected += tables::valueToText(v, FieldType::Number).toUtf8() + "|\n";
    EXPECT_EQ(TableExport::text(t, "|"), expected + "\r\n");
}
