// The windows on tables people have: a database of several tables, a CSV file, a new target, pairing
// by name, a check without writing, code pages, and statements that change data.
#include "ui/importer/importermainwindow.h"

#include "../importer/importertables.h"
#include "fakeinteraction.h"
#include "importerwindow.h"
#include "listclicks.h"
#include "shell/tables/connection.h"
#include "shell/tables/query.h"
#include "shell/tables/table.h"
#include "testsupport.h"
#include "ui/importer/historylist.h"
#include "ui/importer/mappinggrid.h"
#include "ui/importer/tablesidepanel.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

using namespace importertest;
using tables::FieldType;

namespace {

using testsupport::clickItem;

class ImporterTablesTest : public ImporterWindowFixture {
protected:
    QTemporaryDir dir;

    void SetUp() override
    {
        tables::Connection db(dir.filePath("shop.sqlite"), false, true);
        db.exec("CREATE TABLE customers (Id INTEGER, Name TEXT, City TEXT)");
        db.exec("CREATE TABLE invoices (InvoiceId INTEGER, Total REAL)");
        db.exec("INSERT INTO customers VALUES (1, 'Łucja', 'Gdańsk'), (2, 'Jan', 'Łódź')");
        makeTable(dir.filePath("people.db"),
                  {field("city", FieldType::Alpha, 20), field("NAME", FieldType::Alpha, 20),
                   field("Note", FieldType::Alpha, 5)});
        openWindow(dir.path(), dir.path());
    }
    QStringList historyLines() const { return find<HistoryList>("history")->lines(); }
};

} // namespace

TEST_F(ImporterTablesTest, DatabaseOfSeveralTablesListsThemAndPairsByName)
{
    EXPECT_TRUE(source->fileNames().contains("shop.sqlite"));
    clickItem(find<QListWidget>("sourceFiles"), "shop.sqlite");
    EXPECT_TRUE(ui.errors.isEmpty()) << ui.errors.join('\n').toStdString();
    EXPECT_FALSE(window->sourceTable().isOpen()); // the user picks the table
    ASSERT_TRUE(find<QListWidget>("sourceTables")->isVisible());
    EXPECT_EQ(find<QListWidget>("sourceTables")->count(), 2);
    clickItem(find<QListWidget>("sourceTables"), "customers");
    ASSERT_TRUE(window->sourceTable().isOpen());
    EXPECT_EQ(window->sourceTable().tableName(), "customers");
    clickItem(find<QListWidget>("targetFiles"), "people.db");
    EXPECT_FALSE(find<QListWidget>("targetTables")->isVisible());

    find<QPushButton>("pairByNameButton")->click();
    EXPECT_EQ(column(source->grid(), MappingGrid::FieldColumn), (QStringList{"Name", "City", "Id"}));
    EXPECT_EQ(column(target->grid(), MappingGrid::FieldColumn), (QStringList{"NAME", "city", "Note"}));
    EXPECT_EQ(column(source->grid(), MappingGrid::MarkerColumn), (QStringList{"", "", "pomiń"}));
    EXPECT_EQ(column(target->grid(), MappingGrid::MarkerColumn), (QStringList{"", "", "pomiń"}));

    // Check: nothing written, the pairs and the outcome in the history.
    find<QPushButton>("checkButton")->click();
    EXPECT_EQ(countOf(dir.filePath("people.db")), 0);
    EXPECT_TRUE(ui.messages.isEmpty()) << ui.messages.join('|').toStdString();
    EXPECT_TRUE(historyLines().contains("  Name -> NAME")) << historyLines().join('|').toStdString();
    EXPECT_TRUE(historyLines().contains("Rekordy, które zostałyby zapisane: 2"));

    find<QPushButton>("importButton")->click();
    const auto rows = allRows(dir.filePath("people.db"));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[1][0].toString(), "Łódź");
    EXPECT_EQ(rows[1][1].toString(), "Jan");
}

TEST_F(ImporterTablesTest, NewTableFromTheSourceAndFilesFromTheCommandLine)
{
    window->openFiles({dir.filePath("shop.sqlite") + "::customers"});
    ASSERT_TRUE(window->sourceTable().isOpen());
    ui.files = {dir.filePath("nowa.dbf")};
    find<QPushButton>("newTableButton")->click();
    EXPECT_TRUE(ui.errors.isEmpty()) << ui.errors.join('\n').toStdString();
    ASSERT_TRUE(window->targetTable().isOpen());
    EXPECT_EQ(window->targetTable().filePath(), dir.filePath("nowa.dbf"));
    EXPECT_EQ(column(target->grid(), MappingGrid::FieldColumn), (QStringList{"City", "Id", "Name"}));
    find<QPushButton>("importButton")->click();
    EXPECT_TRUE(ui.questions.isEmpty()) << ui.questions.join('|').toStdString();
    EXPECT_EQ(allRows(dir.filePath("nowa.dbf"))[0][1].toString(), "Łucja"); // in the source's field order

    // A new .db: Paradox when the user says so, else SQLite.
    for (const bool paradox : {true, false}) {
        const QString name = paradox ? "px.db" : "lite.db";
        ui.files = {dir.filePath(name)};
        ui.answers = {paradox};
        ui.questions.clear();
        find<QPushButton>("newTableButton")->click();
        EXPECT_EQ(ui.questions.size(), 1);
        ASSERT_TRUE(window->targetTable().isOpen()) << ui.errors.join('\n').toStdString();
        EXPECT_EQ(window->targetTable().format(),
                  paradox ? tables::FileFormat::Paradox : tables::FileFormat::SQLite);
        find<QPushButton>("importButton")->click();
        EXPECT_EQ(allRows(dir.filePath(name))[0][1].toString(), "Łucja") << name.toStdString();
    }
}

TEST_F(ImporterTablesTest, CsvSourceAndCodePagePreview)
{
    // CP852 bytes of "Łódź": the file is read as UTF-8 unless another page is chosen.
    testsupport::writeFile(dir.filePath("miasta.csv"), QByteArray("city,NAME\r\n\x9d\xa2\x64\xab,Jan\r\n"));
    source->setFolder(dir.path());
    clickItem(find<QListWidget>("sourceFiles"), "miasta.csv");
    ASSERT_EQ(ui.errors.size(), 1);
    EXPECT_TRUE(ui.errors[0].contains("wiersz 2, kolumna 1")) << ui.errors[0].toStdString();
    find<QComboBox>("sourceCodePage")->setCurrentIndex(find<QComboBox>("sourceCodePage")->findData("852"));
    Q_EMIT find<QComboBox>("sourceCodePage")->activated(find<QComboBox>("sourceCodePage")->currentIndex());
    ASSERT_TRUE(window->sourceTable().isOpen());
    EXPECT_EQ(find<QLabel>("sourcePreview")->text(), "Łódź | Jan");
    clickItem(find<QListWidget>("targetFiles"), "people.db");
    find<QPushButton>("importButton")->click();
    EXPECT_EQ(allRows(dir.filePath("people.db"))[0][0].toString(), "Łódź");

    // A damaged table: the engine's reason, in the window's Polish.
    testsupport::writeFile(dir.filePath("zly.dbf"), QByteArray(40, '\x03'));
    source->setFolder(dir.path());
    clickItem(find<QListWidget>("sourceFiles"), "zly.dbf");
    ASSERT_EQ(ui.errors.size(), 2);
    EXPECT_TRUE(ui.errors[1].contains("nagłówek jest uszkodzony")) << ui.errors[1].toStdString();
}

TEST_F(ImporterTablesTest, SqlPageAsksBeforeAStatementChangesTables)
{
    const QString people = dir.filePath("people.db");
    makeTable(dir.filePath("keep.db"), {field("A", FieldType::Alpha, 5)}, {{"x"}, {"y"}});
    find<QTextEdit>("sqlEditor")->setPlainText("DELETE FROM '" + dir.filePath("keep.db") + "'");
    ui.answers = {false};
    find<QPushButton>("sqlExecute")->click();
    ASSERT_EQ(ui.questions.size(), 1);
    EXPECT_TRUE(ui.questions[0].startsWith("To polecenie zmieni dane w tabelach: " + dir.filePath("keep.db")))
        << ui.questions[0].toStdString();
    EXPECT_EQ(countOf(dir.filePath("keep.db")), 2);
    ui.answers = {true};
    find<QPushButton>("sqlExecute")->click();
    EXPECT_EQ(countOf(dir.filePath("keep.db")), 0);
    // a statement that only reads asks nothing
    find<QTextEdit>("sqlEditor")->setPlainText("SELECT * FROM '" + people + "'");
    find<QPushButton>("sqlExecute")->click();
    EXPECT_EQ(ui.questions.size(), 2);
}
