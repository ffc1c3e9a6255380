#include "ui/importer/importermainwindow.h"

#include "../importer/importertables.h"
#include "fakeinteraction.h"
#include "importerwindow.h"
#include "listclicks.h"
#include "shell/tables/table.h"
#include "testsupport.h"
#include "ui/importer/mappinggrid.h"
#include "ui/importer/tablesidepanel.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

// The window over real dBASE and Paradox files made by other programs.

using namespace importertest;
using tables::FieldType;
using testsupport::clickItem;

namespace {

// The window over a folder holding copies of the shared tables, both lists in file order.
class ImporterRealTables : public ImporterWindowFixture {
protected:
    QTemporaryDir dir;

    void openWindow()
    {
        ImporterWindowFixture::openWindow(dir.path(), dir.path());
        find<QCheckBox>("sourceSort")->setChecked(false);
        find<QCheckBox>("targetSort")->setChecked(false);
    }
    // Picks the two tables and imports; the records the target then holds.
    QVector<QVector<QVariant>> importInto(const QString& sourceName, const QString& targetName)
    {
        clickItem(find<QListWidget>("sourceFiles"), sourceName);
        EXPECT_TRUE(window->sourceTable().isOpen()) << ui.errors.join(" ").toStdString();
        clickItem(find<QListWidget>("targetFiles"), targetName);
        find<QPushButton>("importButton")->click();
        EXPECT_TRUE(ui.errors.isEmpty()) << ui.errors.join(" ").toStdString();
        return allRows(dir.filePath(targetName));
    }
};

} // namespace

TEST_F(ImporterRealTables, ParadoxCountryIntoANativeTable)
{
    testsupport::copySharedTable("country.db", dir.path());
    makeTable(dir.filePath("kraje.db"),
              {field("Nazwa", FieldType::Alpha, 24), field("Stolica", FieldType::Alpha, 24),
               field("Kontynent", FieldType::Alpha, 24), field("Powierzchnia", FieldType::Number),
               field("Ludnosc", FieldType::Number)});
    openWindow();
    const auto rows = importInto("country.db", "kraje.db");
    EXPECT_EQ(find<QLabel>("sourceRecordCount")->text(), "rekordów: 18");
    ASSERT_EQ(rows.size(), 18);
    EXPECT_EQ(rows[0][0].toString(), "Argentina");
    EXPECT_EQ(rows[0][3].toDouble(), 2777815);
    EXPECT_EQ(rows[15][0].toString(), "United States of America");
}

TEST_F(ImporterRealTables, DbaseIntoANativeTableAndBack)
{
    testsupport::copySharedTable("dbase_8b.dbf", dir.path());
    makeTable(dir.filePath("kopia.db"), {field("Tekst", FieldType::Alpha, 100),
                                         field("Liczba", FieldType::Number), field("Data", FieldType::Date)});
    openWindow();
    const auto rows = importInto("dbase_8b.dbf", "kopia.db");
    ASSERT_EQ(rows.size(), 10);
    EXPECT_EQ(rows[0][0].toString(), "One");
    EXPECT_EQ(rows[0][1].toDouble(), 1.0);
    EXPECT_EQ(rows[1][2].toString(), "1970-12-31");

    // And the native rows appended to the dBASE file.
    ui.questions.clear();
    EXPECT_EQ(importInto("kopia.db", "dbase_8b.dbf").size(), 20);
}
