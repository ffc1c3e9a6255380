#pragma once

#include "importer/tableimport.h"

#include <QMainWindow>
#include <functional>
#include <memory>

namespace importer {
class ExportSink;
}
class DataPage;
class FilterDialog;
class ImportPage;
class InfoPage;
namespace shell {
class Interaction;
}
class OptionsPage;
class QAction;
class QTabWidget;
class SqlPage;

namespace tables {
class DataSet;
class Query;
class Table;
} // namespace tables

// Importer's main window: the import, data, SQL, options and information pages and the menu.
class ImporterMainWindow : public QMainWindow {
    Q_OBJECT
public:
    // interaction: questions, messages and file choices (the desktop's dialogs when null).
    explicit ImporterMainWindow(shell::Interaction* interaction = nullptr, QWidget* parent = nullptr);
    ~ImporterMainWindow() override;

    void runImport();
    // The import tried without writing: the history tells what the target would refuse.
    void checkImport();
    // Both grids rearranged so fields of equal name are paired; the rest marked "pomiń".
    void pairByName();
    // A new target made from the source's fields, then opened on the target side.
    void createTargetTable();
    // Files given on the command line: the source, then the target.
    void openFiles(const QStringList& files);
    void exportHtml(tables::DataSet* data);
    void exportText(tables::DataSet* data);
    void deleteTargetView();
    void openHelp();
    void setImportMode(importer::ImportMode mode);
    importer::ImportMode importMode() const { return m_mode; }
    QString helpFile() const;

    tables::Table& sourceTable() const { return *m_source; }
    tables::Table& targetTable() const { return *m_target; }
    tables::Query& query() const { return *m_query; }

private:
    void buildMenu();
    void updateImportButton();
    void startImport(bool dryRun);
    // Asks for the file, then writes it.
    void writeExport(const QString& filter, const QString& suffix,
                     const std::function<void(importer::ExportSink&)>& write);

    std::unique_ptr<shell::Interaction> m_ownInteraction;
    shell::Interaction* m_interaction;
    QString m_startFolder;
    tables::Table* m_source;
    tables::Table* m_target;
    tables::Query* m_query;
    importer::ImportMode m_mode = importer::ImportMode::Append;
    // Pages and dialog are members, so they go before the tables (children of the window): their grids
    // let go of the tables first.
    std::unique_ptr<QTabWidget> m_pages;
    ImportPage* m_importPage;
    DataPage* m_dataPage;
    SqlPage* m_sqlPage;
    OptionsPage* m_optionsPage;
    InfoPage* m_infoPage;
    std::unique_ptr<FilterDialog> m_filterDialog;
    QAction* m_appendAction = nullptr;
    QAction* m_replaceAction = nullptr;
    QAction* m_quitAction = nullptr;
};
