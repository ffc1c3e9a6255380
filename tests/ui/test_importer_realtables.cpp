#include "ui/importer/importermainwindow.h"

#include "../importer/importertables.h"
#include "fakeinteraction.h"
#include "listclicks.h"
#include "shell/tables/table.h"
#include "testsupport.h"
#include "ui/importer/importpage.h"
#include "ui/importer/mappinggrid.h"
#include "ui/importer/tablesidepanel.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

// The window over real dBASE and Paradox files made by other programs.

using namespace importertest;
using tables::FieldType;
using testsupport::clickItem;

TEST(ImporterRealTables, ParadoxCountryIntoANativeTable)
{
    QTemporaryDir dir;
    testsupport::copySharedTable("country.db", dir.path());
    makeTable(dir.filePath("kraje.db"),
              {field("Nazwa", FieldType::Alpha, 24), field("Stolica", FieldType::Alpha, 24),
               field("Kontynent", FieldType::Alpha, 24), field("Powierzchnia", FieldType::Number),
               field("Ludnosc", FieldType::Number)});
    FakeInteraction ui;
    ImporterMainWindow window(&ui);
    window.show();
    TableSidePanel* source = window.importPage()->sourcePanel();
    TableSidePanel* target = window.importPage()->targetPanel();
    source->setFolder(dir.path());
    target->setFolder(dir.path());
    source->sortBox()->setChecked(false);
    target->sortBox()->setChecked(false);
    clickItem(source->fileList(), "country.db");
    ASSERT_TRUE(window.sourceTable().isOpen()) << ui.errors.join(" ").toStdString();
    EXPECT_EQ(source->recordCountLabel()->text(), "rekordów: 18");
    clickItem(target->fileList(), "kraje.db");
    window.importPage()->importButton()->click();
    EXPECT_TRUE(ui.errors.isEmpty()) << ui.errors.join(" ").toStdString();
    const auto rows = allRows(dir.filePath("kraje.db"));
    ASSERT_EQ(rows.size(), 18);
    EXPECT_EQ(rows[0][0].toString(), "Argentina");
    EXPECT_EQ(rows[0][3].toDouble(), 2777815);
    EXPECT_EQ(rows[15][0].toString(), "United States of America");
}

TEST(ImporterRealTables, DbaseIntoANativeTableAndBack)
{
    QTemporaryDir dir;
    testsupport::copySharedTable("dbase_8b.dbf", dir.path());
    makeTable(dir.filePath("kopia.db"), {field("Tekst", FieldType::Alpha, 100),
                                         field("Liczba", FieldType::Number), field("Data", FieldType::Date)});
    FakeInteraction ui;
    ImporterMainWindow window(&ui);
    window.show();
    TableSidePanel* source = window.importPage()->sourcePanel();
    TableSidePanel* target = window.importPage()->targetPanel();
    source->setFolder(dir.path());
    target->setFolder(dir.path());
    source->sortBox()->setChecked(false);
    target->sortBox()->setChecked(false);
    clickItem(source->fileList(), "dbase_8b.dbf");
    ASSERT_TRUE(window.sourceTable().isOpen()) << ui.errors.join(" ").toStdString();
    clickItem(target->fileList(), "kopia.db");
    window.importPage()->importButton()->click();
    EXPECT_TRUE(ui.errors.isEmpty()) << ui.errors.join(" ").toStdString();
    const auto rows = allRows(dir.filePath("kopia.db"));
    ASSERT_EQ(rows.size(), 10);
    EXPECT_EQ(rows[0][0].toString(), "One");
    EXPECT_EQ(rows[0][1].toDouble(), 1.0);
    EXPECT_EQ(rows[1][2].toString(), "1970-12-31");

    // And the native rows appended to the dBASE file.
    clickItem(source->fileList(), "kopia.db");
    clickItem(target->fileList(), "dbase_8b.dbf");
    ui.questions.clear();
    window.importPage()->importButton()->click();
    EXPECT_TRUE(ui.errors.isEmpty()) << ui.errors.join(" ").toStdString();
    EXPECT_EQ(countOf(dir.filePath("dbase_8b.dbf")), 20);
}
