#include "ui/importer/importermainwindow.h"

#include "importer/csv.h"
#include "importer/pairing.h"
#include "importer/tablecreator.h"
#include "importer/tableexport.h"
#include "importer/vieweraser.h"
#include "shell/desktop.h"
#include "shell/error.h"
#include "shell/tables/messages.h"
#include "shell/tables/query.h"
#include "shell/tables/table.h"
#include "ui/common/widgetinteraction.h"
#include "ui/importer/datapage.h"
#include "ui/importer/filterdialog.h"
#include "ui/importer/historylist.h"
#include "ui/importer/importpage.h"
#include "ui/importer/infopage.h"
#include "ui/importer/mappinggrid.h"
#include "ui/importer/optionspage.h"
#include "ui/importer/sqlpage.h"
#include "ui/importer/tablesidepanel.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>

namespace {
constexpr int kProgressStep = 100;  // records between moves of the progress bar
constexpr int kRepaintEvery = 2000; // records between repaints of it (the import holds the event loop)
} // namespace

ImporterMainWindow::ImporterMainWindow(shell::Interaction* interaction, QWidget* parent)
    : QMainWindow(parent), m_startFolder(QDir::currentPath())
{
    // Importer's windows speak Polish, the table engine's messages too.
    tables::setMessageLanguage(tables::MessageLanguage::Polish);
    if (!interaction) {
        m_ownInteraction = std::make_unique<WidgetInteraction>(this);
        interaction = m_ownInteraction.get();
    }
    m_interaction = interaction;
    setWindowTitle("IMPORTER - ORVANE Software, biuro@orvane.example");

    m_source = new tables::Table(this);
    m_target = new tables::Table(this);
    m_query = new tables::Query(this);

    m_pages = std::make_unique<QTabWidget>(this);
    m_pages->setObjectName("pages");
    m_importPage = new ImportPage(*m_source, *m_target, *m_interaction, m_pages.get());
    m_dataPage = new DataPage(*m_source, *m_target, *m_interaction, m_pages.get());
    m_sqlPage = new SqlPage(*m_query, *m_source, *m_interaction, m_pages.get());
    m_optionsPage = new OptionsPage(m_pages.get());
    m_infoPage = new InfoPage(m_pages.get());
    m_importPage->setObjectName("importPage");
    m_dataPage->setObjectName("dataPage");
    m_sqlPage->setObjectName("sqlPage");
    m_optionsPage->setObjectName("optionsPage");
    m_infoPage->setObjectName("infoPage");
    m_pages->addTab(m_importPage, "Import Danych");
    m_pages->addTab(m_dataPage, "Edycja Danych");
    m_pages->addTab(m_sqlPage, "Zapytanie SQL");
    m_pages->addTab(m_optionsPage, "Opcje");
    m_pages->addTab(m_infoPage, "Informacje");
    setCentralWidget(m_pages.get());
    m_filterDialog = std::make_unique<FilterDialog>(*m_interaction, this);
    m_filterDialog->setObjectName("filterDialog");
    buildMenu();

    TableSidePanel* source = m_importPage->sourcePanel();
    TableSidePanel* target = m_importPage->targetPanel();
    for (TableSidePanel* side : {source, target}) {
        connect(side, &TableSidePanel::tableOpened, this, [this] {
            updateImportButton();
            m_dataPage->updateCounts();
        });
        connect(side, &TableSidePanel::filesChanged, this, &ImporterMainWindow::updateImportButton);
    }
    connect(source, &TableSidePanel::tableOpened, m_sqlPage, &SqlPage::refillFields);
    connect(source, &TableSidePanel::filesChanged, m_sqlPage, &SqlPage::setInputFiles);
    connect(m_sqlPage, &SqlPage::inputFileChosen, this,
            [source](const QString& name) { source->chooseFile(name); });
    connect(m_source, &tables::DataSet::viewChanged, source, &TableSidePanel::updateCounts);
    connect(m_target, &tables::DataSet::viewChanged, target, &TableSidePanel::updateCounts);
    m_sqlPage->setInputFiles(source->fileNames());

    connect(m_importPage->importButton(), &QPushButton::clicked, this, &ImporterMainWindow::runImport);
    connect(m_importPage->checkButton(), &QPushButton::clicked, this, &ImporterMainWindow::checkImport);
    connect(m_importPage->pairByNameButton(), &QPushButton::clicked, this, &ImporterMainWindow::pairByName);
    connect(m_importPage->newTableButton(), &QPushButton::clicked, this,
            &ImporterMainWindow::createTargetTable);
    connect(m_dataPage, &DataPage::filterRequested, m_filterDialog.get(), &FilterDialog::openFor);
    connect(m_dataPage, &DataPage::htmlRequested, this, [this](tables::Table* t) { exportHtml(t); });
    connect(m_dataPage, &DataPage::textRequested, this, [this](tables::Table* t) { exportText(t); });
    connect(m_dataPage, &DataPage::deleteRequested, this, &ImporterMainWindow::deleteTargetView);
    connect(m_sqlPage, &SqlPage::htmlRequested, this, [this] { exportHtml(m_query); });
    connect(m_sqlPage, &SqlPage::textRequested, this, [this] { exportText(m_query); });
    connect(m_optionsPage, &OptionsPage::importModeChanged, this, &ImporterMainWindow::setImportMode);
    updateImportButton();
    resize(1100, 760);
}

ImporterMainWindow::~ImporterMainWindow() = default;

void ImporterMainWindow::buildMenu()
{
    QMenu* program = menuBar()->addMenu("Program");
    program->addAction("Pomoc do programu", this, &ImporterMainWindow::openHelp)->setObjectName("helpAction");
    program->addAction("Informacje", this, [this] { m_pages->setCurrentWidget(m_infoPage); })
        ->setObjectName("infoAction");
    program->addSeparator();
    m_quitAction = program->addAction("Zakończ", this, &QWidget::close);

    QMenu* options = menuBar()->addMenu("Opcje");
    auto* modes = new QActionGroup(this);
    m_appendAction = options->addAction("Importuj dane nie usuwając starych danych");
    m_replaceAction = options->addAction("Importuj dane usuwając stare dane");
    m_appendAction->setObjectName("appendModeAction");
    m_replaceAction->setObjectName("replaceModeAction");
    for (QAction* a : {m_appendAction, m_replaceAction}) {
        a->setCheckable(true);
        modes->addAction(a);
    }
    m_appendAction->setChecked(true);
    connect(m_appendAction, &QAction::triggered, this,
            [this] { setImportMode(importer::ImportMode::Append); });
    connect(m_replaceAction, &QAction::triggered, this,
            [this] { setImportMode(importer::ImportMode::Replace); });
}

void ImporterMainWindow::setImportMode(importer::ImportMode mode)
{
    // The options page and the menu always show the same choice.
    m_mode = mode;
    const bool replace = mode == importer::ImportMode::Replace;
    m_replaceAction->setChecked(replace);
    m_appendAction->setChecked(!replace);
    if (m_optionsPage->importMode() != mode)
        m_optionsPage->setImportMode(mode);
}

void ImporterMainWindow::updateImportButton()
{
    const bool bothOpen = m_source->isOpen() && m_target->isOpen();
    const bool filesListed = !m_importPage->sourcePanel()->fileNames().isEmpty()
                             && !m_importPage->targetPanel()->fileNames().isEmpty();
    m_importPage->importButton()->setEnabled(bothOpen && filesListed);
    m_importPage->checkButton()->setEnabled(bothOpen && filesListed);
}

void ImporterMainWindow::runImport()
{
    startImport(false);
}

void ImporterMainWindow::checkImport()
{
    startImport(true);
}

void ImporterMainWindow::startImport(bool dryRun)
{
    if (!m_source->isOpen() || !m_target->isOpen())
        return;
    HistoryList* history = m_importPage->history();
    QProgressBar* progress = m_importPage->progressBar();
    importer::Pairing pairing{m_importPage->sourcePanel()->grid()->mapping(),
                              m_importPage->targetPanel()->grid()->mapping()};
    importer::TableImport import(*m_source, *m_target, *m_interaction);
    import.dryRun = dryRun;
    import.reportMovedRecords = !dryRun;
    import.askTypeQuestions = !importer::isCsvPath(m_importPage->sourcePanel()->chosenFile());
    import.onStart = [ this, history, &pairing ] { m_importPage->showHistoryBox()->setChecked(false);
    history->hide();
    history->clear();
    // The pairs first, as the command line prints them.
    history->append("Pary pól:");
    for (const QString& line : pairing.describe())
        history->append("  " + line);
};
import.onProgressRange = [progress](int maximum) { progress->setMaximum(maximum);
progress->setValue(0);
}
;
import.onProgress = [progress](int position) { if (position % kProgressStep != 0) return;
progress->setValue(position);
if (position % kRepaintEvery == 0)
    progress->repaint();
}
;
import.onHistory = [history](const QString& line) { history->append(line);
}
;
QApplication::setOverrideCursor(Qt::WaitCursor);
importer::TableImport::Outcome outcome = importer::TableImport::Outcome::Refused;
try {
    outcome = import.run(pairing.source, pairing.target, m_mode);
} catch (const std::exception& e) {
    QApplication::restoreOverrideCursor();
    history->flush();
    m_interaction->error(shell::messageOf(e));
    return;
}
QApplication::restoreOverrideCursor();
history->flush();
if (outcome == importer::TableImport::Outcome::Finished
    || outcome == importer::TableImport::Outcome::Stopped) {
    progress->setValue(progress->maximum());
    m_importPage->showHistoryBox()->setChecked(true);
    history->show();
}
}

void ImporterMainWindow::pairByName()
{
    if (!m_source->isOpen() || !m_target->isOpen())
        return;
    const auto pairing = importer::Pairing::make(*m_source, *m_target, importer::PairingRule::ByName);
    m_importPage->sourcePanel()->grid()->setMapping(pairing.source);
    m_importPage->targetPanel()->grid()->setMapping(pairing.target);
}

void ImporterMainWindow::createTargetTable()
{
    if (!m_source->isOpen()) {
        m_interaction->message("Najpierw wybierz tabelę źródłową.", "uwaga,");
        return;
    }
    QString path = m_interaction->saveFileName("Nowa tabela", m_importPage->targetPanel()->folder(),
                                               "tabele (*.db *.sqlite *.dbf);;Wszystkie pliki (*)", "db");
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += ".db";
    try {
        auto format = importer::TableCreator::formatFor(path);
        // A .db file is either kind of table: the user says which.
        if (format == importer::TableCreator::Format::Native && QFileInfo(path).suffix().toLower() == "db"
            && m_interaction->question("Utworzyć tabelę Paradox (Paradox 7, strona kodowa Windows-1250)?\n"
                                       "Nie: tabela SQLite.",
                                       "Nowa tabela .db"))
            format = importer::TableCreator::Format::Paradox;
        QStringList renamed;
        importer::TableCreator::create(path, m_source->fields(), format, {}, &renamed,
                                       importer::TableCreator::longestTexts(*m_source));
        if (!renamed.isEmpty())
            m_interaction->message("Skrócone nazwy pól:\n" + renamed.join('\n'), "informacja");
    } catch (const std::exception& e) {
        m_interaction->error(shell::messageOf(e));
        return;
    }
    m_importPage->targetPanel()->openFile(path);
}

void ImporterMainWindow::openFiles(const QStringList& files)
{
    if (files.size() > 0)
        m_importPage->sourcePanel()->openFile(files[0]);
    if (files.size() > 1)
        m_importPage->targetPanel()->openFile(files[1]);
}

void ImporterMainWindow::exportHtml(tables::DataSet* data)
{
    if (!data || !data->isOpen() || data->isEmpty())
        return;
    try {
        const importer::ExportSettings settings = m_optionsPage->exportSettings();
        writeExport(importer::TableExport::htmlFileFilter(), "html",
                    [&](importer::ExportSink& sink) { importer::TableExport::html(*data, settings, sink); });
    } catch (const std::exception& e) {
        m_interaction->error(shell::messageOf(e));
    }
}

void ImporterMainWindow::exportText(tables::DataSet* data)
{
    if (!data || !data->isOpen())
        return;
    // Only the target writes a file for an empty view.
    if (data->isEmpty() && data != m_target)
        return;
    try {
        const QString separator =
            importer::ExportSettings::separatorFor(m_optionsPage->exportSettings().separatorOption);
        writeExport(importer::TableExport::textFileFilter(), "txt",
                    [&](importer::ExportSink& sink) { importer::TableExport::text(*data, separator, sink); });
    } catch (const std::exception& e) {
        m_interaction->error(shell::messageOf(e));
    }
}

void ImporterMainWindow::writeExport(const QString& filter, const QString& suffix,
                                     const std::function<void(importer::ExportSink&)>& write)
{
    QString path = m_interaction->saveFileName("Zapisz jako", m_startFolder, filter, suffix);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += '.' + suffix;
    importer::writeExportFile(path, write);
}

void ImporterMainWindow::deleteTargetView()
{
    if (!m_target->isOpen() || m_target->isEmpty())
        return;
    if (!m_interaction->question("Usunąć wszystkie rekordy dla aktualnego filtrowania?", "uwaga,"))
        return;
    try {
        importer::ViewEraser::eraseView(*m_target);
    } catch (const std::exception& e) {
        m_interaction->error(shell::messageOf(e));
    }
}

QString ImporterMainWindow::helpFile() const
{
    // The folder current at start first, as merchants keep the help beside their tables; then the
    // program's own folder and the source tree.
    const QStringList candidates = {QDir(m_startFolder).filePath("pomoc.txt"),
                                    QDir(QCoreApplication::applicationDirPath()).filePath("pomoc.txt"),
                                    QStringLiteral(KAL_SOURCE_DIR "/data/importer/pomoc.txt")};
    for (const QString& c : candidates)
        if (QFileInfo::exists(c))
            return c;
    return candidates.first();
}

void ImporterMainWindow::openHelp()
{
    const QString path = helpFile();
    if (!QFileInfo::exists(path)) {
        m_interaction->error("Nie znaleziono pliku pomocy: " + QDir::toNativeSeparators(path));
        return;
    }
    if (!m_interaction->startProgram(shell::desktop::textEditorCommand(), {path}))
        m_interaction->openInShell(path);
}
