#include "importer/commandline.h"

#include "importertables.h"
#include "runcommandline.h"
#include "testsupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace importer;
using namespace importertest;
using tables::FieldType;

namespace {

class CommandLineTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString src, dst;
    void SetUp() override
    {
        src = makeTable(dir.filePath("src.db"),
                        {field("Name", FieldType::Alpha, 10), field("Price", FieldType::Number)},
                        {{"a", 1.25}, {"b", 2.5}});
        dst =
            makeTable(dir.filePath("dst.db"),
                      {field("Nazwa", FieldType::Alpha, 10), field("Cena", FieldType::Number)}, {{"old", 0}});
    }
};

} // namespace

TEST_F(CommandLineTest, VerbsAreRecognised)
{
    EXPECT_TRUE(CommandLine::hasVerb({"importer", "copy"}));
    EXPECT_TRUE(CommandLine::hasVerb({"importer", "export"}));
    EXPECT_FALSE(CommandLine::hasVerb({"importer"}));
    EXPECT_FALSE(CommandLine::hasVerb({"importer", "-platform", "offscreen"}));
    EXPECT_EQ(runCommandLine({"frobnicate"}).status, 2);
}

TEST_F(CommandLineTest, CopyAppendsReplacesAndSkips)
{
    CommandLineOutcome r = runCommandLine({"copy", src, dst});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("Liczba zaimportowanych rekordow: 3"));
    EXPECT_FALSE(r.out.contains("Pomyślnie"));
    r = runCommandLine({"copy", src, dst, "--replace", "--skip-target", "1"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    const auto rows = allRows(dst);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[1][0].toString(), "b");
    EXPECT_TRUE(rows[1][1].isNull());
}

TEST_F(CommandLineTest, TypeMismatchStopsUnlessYes)
{
    const QString text = makeTable(dir.filePath("text.db"),
                                   {field("N", FieldType::Alpha, 10), field("P", FieldType::Alpha, 10)});
    CommandLineOutcome r = runCommandLine({"copy", src, text});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("niezgodnego typu"));
    EXPECT_EQ(countOf(text), 0);
    r = runCommandLine({"copy", src, text, "--yes"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(allRows(text)[0][1].toString(), "1.25");
}

TEST_F(CommandLineTest, FailuresGiveNonZeroStatus)
{
    const QString small = makeTable(dir.filePath("small.db"), {field("N", FieldType::Alpha, 1)});
    CommandLineOutcome r = runCommandLine({"copy", src, small, "--skip-source", "1", "--yes"});
    EXPECT_EQ(r.status, 0);
    r = runCommandLine({"copy", src, small, "--skip-source", "1"});
    EXPECT_EQ(r.status, 0);
    const QString narrow = makeTable(dir.filePath("narrow.db"), {field("N", FieldType::Integer)});
    r = runCommandLine(
        {"copy", src, narrow, "--skip-source", "1", "--yes"}); // "a" is no number: two failures
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.contains("Liczba błędow: 2")) << r.out.toStdString();
    EXPECT_EQ(runCommandLine({"copy", src, dir.path() + "/./src.db", "--replace"}).status, 1);
    EXPECT_EQ(countOf(src), 2);
    EXPECT_EQ(runCommandLine({"copy", src, dir.filePath("missing.db")}).status, 1);
    EXPECT_EQ(runCommandLine({"copy", src, dst, "--skip-source", "x"}).status, 2);
    EXPECT_EQ(runCommandLine({"copy", src, dst, "--skip-source", "7"}).status, 1);
    EXPECT_EQ(runCommandLine({"copy", src}).status, 2);
}

TEST_F(CommandLineTest, ExportsTablesAndStatements)
{
    const QString html = dir.filePath("out.html"), txt = dir.filePath("out.txt");
    CommandLineOutcome r = runCommandLine({"export", "--html", src, html});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(testsupport::readFile(html).contains("<TR bgcolor=\"#EBF4FE\"><TD>a<TD>1.25</TR>"));
    r = runCommandLine({"export", "--text", "--separator", "Tab", src, txt});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(testsupport::readFile(txt), QByteArray("a\t1.25\t\nb\t2.5\t\n\r\n"));
    r = runCommandLine(
        {"export", "--text", "--sql", QStringLiteral("select Name from '%1' where Price > 2").arg(src), txt});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(testsupport::readFile(txt), QByteArray("b|\n\r\n"));
    EXPECT_EQ(runCommandLine({"export", "--text", "--sql", "select nonsense from", txt}).status, 1);
    EXPECT_EQ(runCommandLine({"export", "--html", "--text", src, txt}).status, 2);
    EXPECT_EQ(runCommandLine({"export", "--html", "--separator", ";", src, txt}).status, 2);
    EXPECT_EQ(runCommandLine({"export", "--html", src}).status, 2);
}
