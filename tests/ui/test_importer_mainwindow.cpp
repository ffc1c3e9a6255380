#include "ui/importer/importermainwindow.h"

#include "../importer/importertables.h"
#include "fakeinteraction.h"
#include "importerwindow.h"
#include "listclicks.h"
#include "shell/tables/query.h"
#include "shell/tables/table.h"
#include "testsupport.h"
#include "ui/importer/filterdialog.h"
#include "ui/importer/historylist.h"
#include "ui/importer/mappinggrid.h"
#include "ui/importer/tablesidepanel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

using namespace importertest;
using tables::FieldType;
using testsupport::clickItem;
using testsupport::doubleClickItem;

namespace {

QPoint cellCenter(MappingGrid* grid, int row, int column)
{
    return grid->visualRect(grid->model()->index(row, column)).center();
}

void clickCell(MappingGrid* grid, int row)
{
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCenter(grid, row, MappingGrid::FieldColumn));
}

class ImporterWindowTest : public ImporterWindowFixture {
protected:
    QTemporaryDir sourceDir, targetDir;

    void SetUp() override
    {
        makeTable(sourceDir.filePath("towary.db"),
                  {field("Nazwa", FieldType::Alpha, 20), field("Cena", FieldType::Number),
                   field("Adres", FieldType::Alpha, 20)},
                  {{"chleb", 3.5, "a"}, {"masło <extra>", 7.25, "b"}, {"żółć", 1, "c"}});
        makeTable(targetDir.filePath("cennik.db"),
                  {field("Produkt", FieldType::Alpha, 20), field("Kwota", FieldType::Number)},
                  {{"stary", 1}});
        openWindow(sourceDir.path(), targetDir.path());
    }
    void openBoth()
    {
        clickItem(find<QListWidget>("sourceFiles"), "towary.db");
        clickItem(find<QListWidget>("targetFiles"), "cennik.db");
    }
};

} // namespace

TEST_F(ImporterWindowTest, PagesMenuAndInitialState)
{
    QStringList tabs;
    for (int i = 0; i < find<QTabWidget>("pages")->count(); ++i)
        tabs << find<QTabWidget>("pages")->tabText(i);
    EXPECT_EQ(tabs, (QStringList{"Import Danych", "Edycja Danych", "Zapytanie SQL", "Opcje", "Informacje"}));
    EXPECT_EQ(find<QLabel>("sourceChosenFile")->text(), "Wybierz plik źrodłowy !");
    EXPECT_EQ(find<QLabel>("targetChosenFile")->text(), "Wybierz plik docelowy !");
    EXPECT_FALSE(find<QPushButton>("importButton")->isEnabled());
    EXPECT_EQ(find<QPushButton>("importButton")->text(), "Przenieś Dane >>");
    EXPECT_TRUE(find<QAction>("appendModeAction")->isChecked());
    find<QAction>("infoAction")->trigger();
    EXPECT_EQ(find<QTabWidget>("pages")->currentWidget(), find<QWidget>("infoPage"));
    EXPECT_EQ(find<QLabel>("version")->text(), "wer. 1.6");
    EXPECT_EQ(source->fileNames(), QStringList{"towary.db"});
    EXPECT_EQ(find<QComboBox>("sqlInputFiles")->itemText(0), "towary.db");
    // Choosing an input file on the SQL page opens it as the source.
    Q_EMIT find<QComboBox>("sqlInputFiles")->activated(0);
    EXPECT_TRUE(window->sourceTable().isOpen());
    EXPECT_EQ(find<QListWidget>("sqlFields")->count(), 3);
    EXPECT_EQ(find<QListWidget>("sourceFiles")->currentItem()->text(), "towary.db");
}

TEST_F(ImporterWindowTest, OpeningBothSidesFillsListsCountsAndEnablesImport)
{
    clickItem(find<QListWidget>("sourceFiles"), "towary.db");
    EXPECT_EQ(find<QLabel>("sourceChosenFile")->text(), sourceDir.filePath("towary.db"));
    EXPECT_EQ(find<QLabel>("sourceRecordCount")->text(), "rekordów: 3");
    EXPECT_EQ(find<QLabel>("sourceFieldCount")->text(), "dostępne pola: 3");
    EXPECT_FALSE(find<QPushButton>("importButton")->isEnabled());
    EXPECT_EQ(column(source->grid(), 2), (QStringList{"Adres", "Cena", "Nazwa"})); // sorted
    EXPECT_EQ(column(source->grid(), 0), (QStringList{"0", "1", "2"}));
    EXPECT_EQ(find<QListWidget>("sqlFields")->count(), 3);
    clickItem(find<QListWidget>("targetFiles"), "cennik.db");
    EXPECT_EQ(find<QLabel>("targetRecordCount")->text(), "rekordow: 1");
    EXPECT_EQ(find<QLabel>("targetFieldCount")->text(), "dostepne pola: 2");
    EXPECT_TRUE(find<QPushButton>("importButton")->isEnabled());
    EXPECT_EQ(find<QLabel>("sourceDataRecordCount")->text(), "Liczba rekordów: 3");
    EXPECT_EQ(find<QLabel>("targetDataRecordCount")->text(), "Liczba rekordow: 1");

    // A file that is no table: the engine's error, the side stays closed.
    testsupport::writeFile(targetDir.filePath("broken.db"), "not a table at all");
    target->setFolder(targetDir.path());
    clickItem(find<QListWidget>("targetFiles"), "broken.db");
    EXPECT_EQ(ui.errors.size(), 1);
    EXPECT_FALSE(window->targetTable().isOpen());
    EXPECT_FALSE(find<QPushButton>("importButton")->isEnabled());
}

TEST_F(ImporterWindowTest, MarkersToggleRowsDragAndSortResets)
{
    openBoth();
    MappingGrid* grid = source->grid();
    clickCell(grid, 0);
    EXPECT_TRUE(grid->isSkipped(0));
    clickCell(grid, 0); // still the selected cell: no change
    EXPECT_TRUE(grid->isSkipped(0));
    clickCell(grid, 1);
    clickCell(grid, 0); // selected again after another row: cleared
    EXPECT_FALSE(grid->isSkipped(0));
    EXPECT_TRUE(grid->isSkipped(1));
    // Arrow keys toggle every row they enter.
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(column(grid, 1), (QStringList{"", "", "pomiń"}));
    QTest::keyClick(grid, Qt::Key_Left); // the fixed cells cannot be selected
    EXPECT_EQ(grid->currentColumn(), int(MappingGrid::FieldColumn));

    // Dragging row 2 by its number onto row 0.
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, cellCenter(grid, 2, MappingGrid::NumberColumn));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, cellCenter(grid, 0, MappingGrid::NumberColumn));
    EXPECT_EQ(column(grid, 2), (QStringList{"Nazwa", "Adres", "Cena"}));
    EXPECT_EQ(column(grid, 0), (QStringList{"0", "1", "2"}));
    EXPECT_TRUE(grid->isSkipped(0));

    find<QCheckBox>("sourceSort")->setChecked(false);
    EXPECT_EQ(column(grid, 2), (QStringList{"Nazwa", "Cena", "Adres"}));
    EXPECT_EQ(column(grid, 1), (QStringList{"", "", ""}));
}

TEST_F(ImporterWindowTest, ImportAppendsThenReplacesWithHistory)
{
    openBoth();
    find<QCheckBox>("sourceSort")->setChecked(false); // Nazwa, Cena, Adres
    find<QCheckBox>("targetSort")->setChecked(false); // Produkt, Kwota
    find<QPushButton>("importButton")->click();
    EXPECT_TRUE(ui.questions.isEmpty());
    EXPECT_EQ(ui.messages, QStringList{"Zakończono przesyłanie danych"});
    HistoryList* history = find<HistoryList>("history");
    EXPECT_TRUE(find<QCheckBox>("showHistory")->isChecked());
    EXPECT_TRUE(history->isVisible());
    // The pairs first (two, and the unpaired Adres), then three records and the summary.
    EXPECT_EQ(history->lines().mid(0, 4), (QStringList{"Pary pól:", "  Nazwa -> Produkt", "  Cena -> Kwota",
                                                       "  pominięte pola źródła: Adres"}));
    EXPECT_EQ(history->model()->rowCount(), 10);
    EXPECT_EQ(history->lines().last(), "Liczba zaimportowanych rekordow: 4");
    EXPECT_EQ(find<QProgressBar>("importProgress")->maximum(), 3);
    EXPECT_EQ(find<QLabel>("targetRecordCount")->text(), "rekordow: 4");
    EXPECT_EQ(find<QLabel>("targetDataRecordCount")->text(), "Liczba rekordow: 4");

    // Replace mode chosen in the menu shows in the options page too.
    find<QAction>("replaceModeAction")->trigger();
    EXPECT_TRUE(find<QRadioButton>("replaceModeButton")->isChecked());
    find<QRadioButton>("appendModeButton")->setChecked(true);
    EXPECT_TRUE(find<QAction>("appendModeAction")->isChecked());
    find<QRadioButton>("replaceModeButton")->setChecked(true);
    EXPECT_EQ(window->importMode(), importer::ImportMode::Replace);
    // Drag the target's Kwota above Produkt: Nazwa (text) now meets Kwota (number); answer No.
    MappingGrid* grid = target->grid();
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, cellCenter(grid, 1, MappingGrid::NumberColumn));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, cellCenter(grid, 0, MappingGrid::NumberColumn));
    ui.answers = {false};
    find<QPushButton>("importButton")->click();
    EXPECT_EQ(ui.questions.size(), 1);
    EXPECT_EQ(countOf(targetDir.filePath("cennik.db")), 4); // nothing deleted

    // Skip the mismatched pair's source row instead and import into the emptied target.
    clickCell(source->grid(), 0);
    clickCell(source->grid(), 1);
    ASSERT_TRUE(source->grid()->isSkipped(0) && source->grid()->isSkipped(1));
    ui.questions.clear();
    find<QPushButton>("importButton")->click();
    EXPECT_TRUE(ui.questions.isEmpty());
    const auto rows = allRows(targetDir.filePath("cennik.db"));
    ASSERT_EQ(rows.size(), 3);
    EXPECT_TRUE(rows[0][0].isNull() && rows[0][1].isNull());
}

TEST_F(ImporterWindowTest, SameFileOnBothSidesIsRefused)
{
    clickItem(find<QListWidget>("sourceFiles"), "towary.db");
    target->setFolder(sourceDir.path());
    clickItem(find<QListWidget>("targetFiles"), "towary.db");
    find<QAction>("replaceModeAction")->trigger();
    find<QPushButton>("importButton")->click();
    EXPECT_EQ(ui.messages, QStringList{"Zaznaczono dwukrotnie ten sam plik!"});
    EXPECT_EQ(countOf(sourceDir.filePath("towary.db")), 3);
}

TEST_F(ImporterWindowTest, FilterDialogComposesAppliesAndKeepsItsText)
{
    openBoth();
    find<QPushButton>("sourceFilterButton")->click();
    FilterDialog* dialog = find<FilterDialog>("filterDialog");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(find<QListWidget>("filterFields")->count(), 3);
    doubleClickItem(find<QListWidget>("filterFields"), "Cena");
    doubleClickItem(find<QListWidget>("filterOperators"), ">");
    EXPECT_EQ(find<QPlainTextEdit>("filterExpression")->toPlainText(), "Cena >");
    find<QPlainTextEdit>("filterExpression")
        ->setPlainText(find<QPlainTextEdit>("filterExpression")->toPlainText() + " 3");
    find<QPushButton>("filterApply")->click();
    EXPECT_EQ(find<QLabel>("filterCount")->text(), "Liczba rekordów: 2");
    EXPECT_EQ(find<QLabel>("sourceDataRecordCount")->text(), "Liczba rekordów: 2");
    find<QPushButton>("filterClear")->click();
    find<QPushButton>("filterClose")->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(window->sourceTable().recordCount(), 2); // stays in force

    find<QPlainTextEdit>("filterExpression")->setPlainText("Cena >>> 1");
    find<QPushButton>("targetFilterButton")->click();
    EXPECT_EQ(find<QListWidget>("filterFields")->count(), 2);
    EXPECT_EQ(find<QPlainTextEdit>("filterExpression")->toPlainText(), "Cena >>> 1");
    find<QPushButton>("filterApply")->click();
    EXPECT_EQ(ui.errors.size(), 1);
    find<QPushButton>("filterRemove")->click();
    EXPECT_EQ(find<QLabel>("filterCount")->text(), "Liczba rekordow: 1");
}

TEST_F(ImporterWindowTest, DataPageExportsAndDeletesTheTargetView)
{
    openBoth();
    const QString html = sourceDir.filePath("out.html"), txt = sourceDir.filePath("out");
    ui.files = {html};
    find<QPushButton>("sourceHtmlButton")->click();
    const QByteArray bytes = testsupport::readFile(html);
    EXPECT_TRUE(bytes.contains("<TD>mas\xB3o &lt;extra&gt;<TD>7.25")) << bytes.toStdString();
    EXPECT_TRUE(bytes.contains("<TD>\xBF&oacute;\xB3\xE6"));
    find<QComboBox>("separator")->setCurrentText(";");
    ui.files = {txt};
    find<QPushButton>("targetTextButton")->click();
    EXPECT_EQ(testsupport::readFile(txt + ".txt"), QByteArray("stary;1;\n\r\n"));

    ui.answers = {false};
    find<QPushButton>("deleteViewButton")->click();
    EXPECT_EQ(ui.questions, QStringList{"Usunąć wszystkie rekordy dla aktualnego filtrowania?"});
    EXPECT_EQ(window->targetTable().recordCount(), 1);
    find<QPushButton>("deleteViewButton")->click();
    EXPECT_EQ(window->targetTable().recordCount(), 0);
    EXPECT_EQ(find<QLabel>("targetDataRecordCount")->text(), "Liczba rekordow: 0");
    // An empty target still writes a text file; HTML needs records; cancelling writes nothing.
    ui.files = {txt + "2.txt"};
    find<QPushButton>("targetTextButton")->click();
    EXPECT_EQ(testsupport::readFile(txt + "2.txt"), QByteArray("\r\n"));
    ui.files = {sourceDir.filePath("none.html")};
    find<QPushButton>("targetHtmlButton")->click();
    EXPECT_EQ(ui.files.size(), 1u);
    ui.files.clear();
    find<QPushButton>("sourceTextButton")->click();
    EXPECT_TRUE(ui.errors.isEmpty());
}

TEST_F(ImporterWindowTest, SqlPageComposesRunsAndDeletesThroughTheResult)
{
    openBoth();
    clickItem(find<QListWidget>("sqlKeywords"), "SELECT");
    clickItem(find<QListWidget>("sqlFields"), "Nazwa");
    clickItem(find<QListWidget>("sqlKeywords"), "FROM");
    clickItem(find<QListWidget>("sqlKeywords"), "WHERE");
    clickItem(find<QListWidget>("sqlFields"), "Cena");
    clickItem(find<QListWidget>("sqlOperators"), ">");
    find<QTextEdit>("sqlEditor")->insertPlainText("3");
    const QString expected = "SELECT Nazwa FROM '" + sourceDir.filePath("towary.db") + "' WHERE Cena > 3";
    EXPECT_EQ(find<QTextEdit>("sqlEditor")->toPlainText(), expected);
    find<QPushButton>("sqlExecute")->click();
    EXPECT_TRUE(ui.errors.isEmpty()) << ui.errors.join("\n").toStdString();
    EXPECT_EQ(find<QLabel>("sqlRecordCount")->text(), "Liczba rekordow: 2");
    EXPECT_EQ(find<QLabel>("sqlFieldCount")->text(), "dostępne pola: 1");

    ui.files = {sourceDir.filePath("q.txt")};
    find<QPushButton>("sqlText")->click();
    EXPECT_EQ(testsupport::readFile(sourceDir.filePath("q.txt")), QByteArray("chleb|\nmasło <extra>|\n\r\n"));

    find<QPushButton>("sqlDelete")->click(); // default answer Yes
    EXPECT_EQ(window->query().recordCount(), 0);
    EXPECT_EQ(countOf(sourceDir.filePath("towary.db")), 1);

    find<QPushButton>("sqlClear")->click();
    EXPECT_TRUE(find<QTextEdit>("sqlEditor")->toPlainText().isEmpty());
    find<QTextEdit>("sqlEditor")->setPlainText("select nonsense");
    find<QPushButton>("sqlExecute")->click();
    EXPECT_EQ(ui.errors.size(), 1);
    EXPECT_FALSE(window->query().isOpen());

    find<QComboBox>("sqlInputFiles")->setCurrentIndex(0);
    QTest::mouseDClick(find<QComboBox>("sqlInputFiles")->lineEdit(), Qt::LeftButton);
    EXPECT_EQ(find<QTextEdit>("sqlEditor")->toPlainText(), "select nonsense towary.db");
}

TEST_F(ImporterWindowTest, HelpOpensTheTextInTheEditor)
{
    find<QAction>("helpAction")->trigger();
    ASSERT_EQ(ui.started.size(), 1);
    EXPECT_TRUE(window->helpFile().endsWith("pomoc.txt"));
}

// With KAL_SCREENSHOTS set to a folder, saves a picture of every page (run under Xvfb to look at them).
TEST_F(ImporterWindowTest, PagesRenderWithTablesOpen)
{
    openBoth();
    find<QPushButton>("importButton")->click();
    window->resize(1100, 760);
    const QString folder = qEnvironmentVariable("KAL_SCREENSHOTS");
    for (int i = 0; i < find<QTabWidget>("pages")->count(); ++i) {
        find<QTabWidget>("pages")->setCurrentIndex(i);
        const QPixmap shot = window->grab();
        EXPECT_FALSE(shot.isNull());
        if (!folder.isEmpty())
            shot.save(QStringLiteral("%1/importer-page%2.png").arg(folder).arg(i));
    }
    find<QPushButton>("sourceFilterButton")->click();
    if (!folder.isEmpty())
        find<FilterDialog>("filterDialog")->grab().save(folder + "/importer-filter.png");
}
