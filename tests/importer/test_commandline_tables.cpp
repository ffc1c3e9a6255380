// The command line on tables people have: databases with several tables, CSV files, new targets,
// pairing rules, dry runs, and the faults of exports and copies.
#include "importer/commandline.h"
#include "importer/tablecreator.h"

#include "importertables.h"
#include "runcommandline.h"
#include "shell/tables/connection.h"
#include "testsupport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace importer;
using namespace importertest;
using tables::FieldType;

namespace {

class CommandLineTablesTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString src;
    void SetUp() override
    {
        src = makeTable(dir.filePath("src.db"),
                        {field("Name", FieldType::Alpha, 10), field("Price", FieldType::Number)},
                        {{"a", 1.25}, {"b", 2.5}});
    }
    // An ordinary SQLite database: two tables, none named after the file.
    QString shopDatabase()
    {
        const QString path = dir.filePath("shop.sqlite");
        tables::Connection db(path, false, true);
        db.exec(
            "CREATE TABLE customers (CustomerId INTEGER PRIMARY KEY, FirstName TEXT, SupportRepId INTEGER, "
            "SupportRepName TEXT)");
        db.exec("CREATE TABLE invoices (InvoiceId INTEGER PRIMARY KEY, Total REAL)");
        db.exec("INSERT INTO customers VALUES (1, 'Łucja', 3, 'Jane'), (2, 'Zoë, \"the\" one', 4, 'Steve')");
        return path;
    }
};

} // namespace

TEST_F(CommandLineTablesTest, FacesAndUsage)
{
    QStringList files;
    EXPECT_EQ(CommandLine::faceOf({"importer"}, &files), CommandLine::Face::Windows);
    EXPECT_EQ(CommandLine::faceOf({"importer", "-platform", "offscreen"}), CommandLine::Face::Windows);
    EXPECT_EQ(CommandLine::faceOf({"importer", src, src + "::src"}, &files), CommandLine::Face::Windows);
    EXPECT_EQ(files, (QStringList{src, src + "::src"}));
    EXPECT_EQ(CommandLine::faceOf({"importer", "exprot", src}), CommandLine::Face::Command);
    EXPECT_EQ(CommandLine::faceOf({"importer", "--version"}), CommandLine::Face::Command);
    EXPECT_EQ(CommandLine::faceOf({"importer", "--bogus"}), CommandLine::Face::Command);
    EXPECT_EQ(CommandLine::faceOf({"importer", src, src, src}), CommandLine::Face::Command);

    CommandLineOutcome r = runCommandLine({"exprot", "--html", src, "x.html"});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains("exprot")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("importer copy SOURCE TARGET"));
    r = runCommandLine({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.trimmed(), "importer 1.6");
}

TEST_F(CommandLineTablesTest, ProgramAnswersWithoutADisplay)
{
    // Without a display the windowed program used to abort in Qt's platform set-up.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QT_QPA_PLATFORM");
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    const auto run = [&](const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(IMPORTER_BINARY), args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    EXPECT_EQ(run({"--version"}), 0);
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_EQ(run({"bogus"}), 2);
    EXPECT_EQ(run({"copy", src}), 2);
}

TEST_F(CommandLineTablesTest, ExportOfAStatementNeverChangesData)
{
    const QString out = dir.filePath("out.txt");
    for (const QString& statement :
         {QStringLiteral("DELETE FROM '%1'"), QStringLiteral("DROP TABLE '%1'"),
          QStringLiteral("UPDATE '%1' SET Price = 0"), QStringLiteral("INSERT INTO '%1' (Name) VALUES ('x')"),
          QStringLiteral("DELETE FROM '%1' RETURNING Name")}) {
        const CommandLineOutcome r = runCommandLine({"export", "--text", "--sql", statement.arg(src), out});
        EXPECT_EQ(r.status, 1) << statement.toStdString();
        EXPECT_TRUE(r.err.contains("polecenie zmieniłoby dane")) << r.err.toStdString();
        const auto rows = allRows(src);
        ASSERT_EQ(rows.size(), 2) << statement.toStdString();
        EXPECT_EQ(rows[0][1].toDouble(), 1.25);
        EXPECT_FALSE(QFile::exists(out));
    }
}

TEST_F(CommandLineTablesTest, AnyTableOfAnSqliteDatabase)
{
    const QString shop = shopDatabase();
    const QString target = makeTable(dir.filePath("people.db"),
                                     {field("Id", FieldType::Integer), field("Imie", FieldType::Alpha, 40)});
    CommandLineOutcome r = runCommandLine({"copy", shop, target});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("customers, invoices")) << r.err.toStdString();
    r = runCommandLine({"copy", shop + "::customers", target});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    const auto rows = allRows(target);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0][1].toString(), "Łucja");
    r = runCommandLine({"export", "--csv", shop + "::invoices", dir.filePath("i.csv")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(testsupport::readFile(dir.filePath("i.csv")), QByteArray("InvoiceId,Total\r\n"));
}

TEST_F(CommandLineTablesTest, NewTargetsFromTheSourceFields)
{
    const QString shop = shopDatabase();
    // native: opens without naming its table
    CommandLineOutcome r =
        runCommandLine({"copy", shop + "::customers", dir.filePath("copy.sqlite"), "--create"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(allRows(dir.filePath("copy.sqlite")).size(), 2);
    // dBASE: names of at most ten characters, kept unique, the pairs printed; UTF-8 named in a .cpg
    r = runCommandLine({"copy", shop + "::customers", dir.filePath("cust.dbf"), "--create"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("SupportRepId -> SupportRep")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("SupportRepName -> SupportRe1")) << r.out.toStdString();
    EXPECT_EQ(testsupport::readFile(dir.filePath("cust.cpg")), QByteArray("UTF-8"));
    const auto rows = allRows(dir.filePath("cust.dbf"));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0][1].toString(), "Łucja");
    EXPECT_EQ(rows[1][1].toString(), "Zoë, \"the\" one");
    EXPECT_EQ(rows[1][2].toLongLong(), 4);
    if (!QStandardPaths::findExecutable("ogrinfo").isEmpty()) {
        QProcess ogr;
        ogr.start("ogrinfo", {"-al", "-q", dir.filePath("cust.dbf")});
        ASSERT_TRUE(ogr.waitForFinished(60000));
        const QString seen = QString::fromUtf8(ogr.readAllStandardOutput());
        EXPECT_TRUE(seen.contains("SupportRe1 (String) = Steve")) << seen.toStdString();
        EXPECT_TRUE(seen.contains("SupportRep (Integer64) = 4")) << seen.toStdString();
        EXPECT_TRUE(seen.contains("FirstName (String) = Łucja")) << seen.toStdString();
    }
    // an existing file is never overwritten
    r = runCommandLine({"copy", src, dir.filePath("cust.dbf"), "--create"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(allRows(dir.filePath("cust.dbf")).size(), 2);
    EXPECT_EQ(runCommandLine({"copy", src, dir.filePath("x.txt"), "--create"}).status, 1);
    EXPECT_FALSE(QFile::exists(dir.filePath("x.txt")));
}

TEST_F(CommandLineTablesTest, CreatedTargetThatFailsHalfwayIsRemoved)
{
    // A record the new table refuses stops the copy at its question: the second is longer than its
    // CHAR(3) field, the third has letters Windows-1250 lacks.
    tables::Connection db(dir.filePath("long.db"), false, true);
    db.exec("CREATE TABLE long (Code CHAR(3))");
    db.exec("INSERT INTO long VALUES ('abc'), ('abcdefghij'), ('жук')");
    const struct {
        const char* name;
        QStringList options;
    } cases[] = {
        {"new.db", {}}, {"new.dbf", {"--target-codepage", "1250"}}, {"new.db", {"--format", "paradox"}}};
    for (const auto& c : cases) {
        const CommandLineOutcome r = runCommandLine(
            QStringList{"copy", dir.filePath("long.db"), dir.filePath(c.name), "--create"} + c.options);
        EXPECT_EQ(r.status, 1) << c.name << r.out.toStdString();
        EXPECT_FALSE(QFile::exists(dir.filePath(c.name))) << c.name;
        EXPECT_FALSE(QFile::exists(dir.filePath("new.cpg")));
    }
}

TEST_F(CommandLineTablesTest, PairingRulesArePrinted)
{
    const QString target = makeTable(dir.filePath("t.db"),
                                     {field("price", FieldType::Number), field("Extra", FieldType::Alpha, 5),
                                      field("NAME", FieldType::Alpha, 10)});
    CommandLineOutcome r = runCommandLine({"copy", src, target, "--by-name"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("Name -> NAME")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("Price -> price"));
    EXPECT_TRUE(r.out.contains("pominięte pola celu: Extra"));
    auto rows = allRows(target);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[1][0].toDouble(), 2.5);
    EXPECT_TRUE(rows[1][1].isNull());
    EXPECT_EQ(rows[1][2].toString(), "b");
    // sorted: Name, Price against Extra, NAME, price
    r = runCommandLine({"copy", src, target, "--sorted", "--replace", "--skip-target", "1", "--yes"});
    EXPECT_TRUE(r.out.contains("Price -> NAME")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("pominięte pola celu: Extra, price")) << r.out.toStdString();
    rows = allRows(target);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[1][2].toString(), "2.5");
    EXPECT_EQ(runCommandLine({"copy", src, target, "--sorted", "--by-name"}).status, 2);
}

TEST_F(CommandLineTablesTest, CsvRoundTripAgreesWithCsvkit)
{
    const QString table = makeTable(dir.filePath("t.db"),
                                    {field("Nazwa", FieldType::Alpha, 40), field("Opis", FieldType::Memo),
                                     field("Cena", FieldType::Number)},
                                    {{"zażółć, gęślą", "a \"quoted\"\r\nsecond line", 1.5},
                                     {"plain", QVariant(), 2.0},
                                     {"", "x", -3.25}});
    const QString csv = dir.filePath("out.csv");
    CommandLineOutcome r = runCommandLine({"export", "--csv", table, csv});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(testsupport::readFile(csv),
              QByteArray("Nazwa,Opis,Cena\r\n\"zażółć, gęślą\",\"a \"\"quoted\"\"\r\nsecond line\",1.5\r\n"
                         "plain,,2\r\n,x,-3.25\r\n"));
    if (!QStandardPaths::findExecutable("csvjson").isEmpty()) {
        QProcess kit;
        kit.start("csvjson", {"--no-inference", csv});
        ASSERT_TRUE(kit.waitForFinished(60000));
        const QJsonArray records = QJsonDocument::fromJson(kit.readAllStandardOutput()).array();
        ASSERT_EQ(records.size(), 3);
        EXPECT_EQ(records[0].toObject()["Nazwa"].toString(), "zażółć, gęślą");
        // Python's reader gives a line break inside a field as LF.
        EXPECT_EQ(records[0].toObject()["Opis"].toString(), "a \"quoted\"\nsecond line");
        EXPECT_EQ(records[2].toObject()["Cena"].toString(), "-3.25");
    }
    // and back: the same values in a copy of the table
    const QString back = makeTable(dir.filePath("back.db"),
                                   {field("Nazwa", FieldType::Alpha, 40), field("Opis", FieldType::Memo),
                                    field("Cena", FieldType::Number)});
    r = runCommandLine({"copy", csv, back});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const auto rows = allRows(back);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0][0].toString(), "zażółć, gęślą");
    EXPECT_EQ(rows[0][1].toString(), "a \"quoted\"\r\nsecond line");
    EXPECT_EQ(rows[0][2].toDouble(), 1.5);
    EXPECT_EQ(rows[2][2].toDouble(), -3.25);
    // another separator and code page
    r = runCommandLine({"export", "--csv", "--separator", ";", "--codepage", "1250", table, csv});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(
        testsupport::readFile(csv).startsWith("Nazwa;Opis;Cena\r\nza\xbf\xf3\xb3\xe6, g\xea\x9cl\xb9;"));
    // A character the code page lacks names its record (counted from 1) and leaves the file as it was.
    const QByteArray before = testsupport::readFile(csv);
    const QString smile =
        makeTable(dir.filePath("smile.db"), {field("A", FieldType::Alpha, 10)}, {{"a"}, {"b ☺"}, {"c"}});
    r = runCommandLine({"export", "--csv", "--codepage", "1250", smile, csv});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("rekord 2, pole A")) << r.err.toStdString();
    EXPECT_EQ(testsupport::readFile(csv), before);
}

TEST_F(CommandLineTablesTest, BadCsvNamesLineAndColumnAndWritesNothing)
{
    const QString target =
        makeTable(dir.filePath("t.db"), {field("A", FieldType::Alpha, 10), field("B", FieldType::Alpha, 10)},
                  {{"old", "old"}});
    const struct {
        QByteArray text;
        const char* where;
    } cases[] = {
        {"A,B\r\n1,2\r\n3,4,5\r\n", "wiersz 3, kolumna 3"},
        {"A,B\r\n1,\"open\r\nstill\r\n", "wiersz 2, kolumna 2"},
        {"A,B\r\n1,\"x\"y\r\n", "wiersz 2, kolumna 2"},
        {"A,B\r\n1,2\r\n\xff\xfe,3\r\n", "wiersz 3, kolumna 1"},
    };
    for (const auto& c : cases) {
        testsupport::writeFile(dir.filePath("bad.csv"), c.text);
        const CommandLineOutcome r = runCommandLine({"copy", dir.filePath("bad.csv"), target});
        EXPECT_EQ(r.status, 1) << c.where;
        EXPECT_TRUE(r.err.contains(QString::fromLatin1(c.where))) << r.err.toStdString();
        EXPECT_EQ(countOf(target), 1);
    }
}

TEST_F(CommandLineTablesTest, DryRunReportsLossesAndWritesNothing)
{
    const QString source =
        makeTable(dir.filePath("s.db"), {field("Name", FieldType::Memo), field("Qty", FieldType::Alpha, 10)},
                  {{"short", "1"}, {"far too long", "2"}, {"ok", "x"}, {"also too long", "y"}});
    for (const char* name : {"t.db", "t.dbf"}) {
        const QString target = dir.filePath(name);
        TableCreator::create(target, {field("Name", FieldType::Alpha, 5), field("Qty", FieldType::Integer)},
                             TableCreator::formatFor(target), "1250");
        const QByteArray before = testsupport::readFile(target);
        const CommandLineOutcome r =
            runCommandLine({"copy", source, target, "--dry-run", "--replace", "--yes"});
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains("pole Name: wartości za długie — rekordów: 2, pierwszy nr 1"))
            << r.out.toStdString();
        EXPECT_TRUE(r.out.contains("pole Qty: wartości niezgodne z typem pola — rekordów: 1, pierwszy nr 2"))
            << r.out.toStdString();
        EXPECT_TRUE(r.out.contains("Rekordy, które zostałyby zapisane: 1")) << r.out.toStdString();
        EXPECT_EQ(testsupport::readFile(target), before) << name;
    }
}

namespace {

// A dBASE III table of one N(5,2) field PRICE, no records, no code-page mark.
QByteArray priceTable()
{
    QByteArray h(32, '\0');
    h[0] = 0x03;
    h[8] = char(32 + 32 + 1);
    h[10] = 6;
    QByteArray d(32, '\0');
    d.replace(0, 5, "PRICE");
    d[11] = 'N';
    d[16] = 5;
    d[17] = 2;
    return h + d + "\r\x1a";
}

} // namespace

TEST_F(CommandLineTablesTest, WarningsAndRoundingAreTheUsersChoice)
{
    // 999.999 fits N(5,2) only rounded: refused unless --round-numbers, which --yes never grants.
    const QString prices =
        makeTable(dir.filePath("p.db"), {field("Price", FieldType::Number)}, {{999.999}, {1.5}});
    testsupport::writeFile(dir.filePath("price.dbf"), priceTable());
    CommandLineOutcome r = runCommandLine({"copy", prices, dir.filePath("price.dbf"), "--yes"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.contains("pole PRICE: liczby straciłyby cyfry — rekordów: 1, pierwszy nr 0"))
        << r.out.toStdString();
    EXPECT_EQ(countOf(dir.filePath("price.dbf")), 1);
    r = runCommandLine({"copy", prices, dir.filePath("price.dbf"), "--round-numbers"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("zaokrąglone")) << r.err.toStdString();
    EXPECT_EQ(countOf(dir.filePath("price.dbf")), 3);

    // A file without a code-page mark holding Polish letters: a warning, and the copy succeeds.
    TableCreator::create(dir.filePath("pl.dbf"), {field("Nazwa", FieldType::Alpha, 10)},
                         TableCreator::Format::DBase, "852");
    {
        tables::Table t;
        t.open(dir.filePath("pl.dbf"));
        t.append();
        t.setValue("Nazwa", "Łódź");
        t.post();
    }
    QFile::remove(dir.filePath("pl.cpg"));
    const QString target = makeTable(dir.filePath("pl.db"), {field("Nazwa", FieldType::Alpha, 10)});
    r = runCommandLine({"copy", dir.filePath("pl.dbf"), target});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("uwaga:")) << r.err.toStdString();
    r = runCommandLine({"copy", dir.filePath("pl.dbf"), target, "--source-codepage", "852"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(allRows(target)[1][0].toString(), "Łódź");
}
