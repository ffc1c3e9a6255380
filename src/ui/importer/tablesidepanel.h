#pragma once

#include <QWidget>
#include <memory>

namespace importer {
class CsvSource;
}

namespace shell {
class Interaction;
}
class MappingGrid;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;

namespace tables {
class Table;
}

// One half of the import page: drive, folder and file lists, the chosen file, the field list with
// "sortuj" and the mapping grid. The source and the target differ only in their texts and colour.
class TableSidePanel : public QWidget {
    Q_OBJECT
public:
    enum class Side { Source, Target };

    TableSidePanel(Side side, tables::Table& table, shell::Interaction& interaction,
                   QWidget* parent = nullptr);
    ~TableSidePanel() override;

    QString folder() const { return m_folder; }
    void setFolder(const QString& folder);
    QStringList fileNames() const;
    QString chosenPath() const;
    // The file the user chose (the CSV file, not the table read from it).
    QString chosenFile() const;
    // Selects a file of the file list and opens it; false when the list has no such file.
    bool chooseFile(const QString& fileName);
    // Opens a table file (FILE::TABLE for one table of an SQLite database; a CSV file on the source
    // side). A database of several tables lists them and waits for the user's choice.
    void openTable(const QString& path);
    // Shows the file's folder, selects the file and opens it.
    void openFile(const QString& path);
    // Re-reads the field list and rebuilds the grid (markers and order reset).
    void reloadFields();
    void updateCounts();

    MappingGrid* grid() const { return m_grid; }
    // Target side only: writing allowed although index files go stale; numbers rounded to fit.

Q_SIGNALS:
    void tableOpened(); // after every attempt to open, successful or not
    void filesChanged(const QStringList& names);

private:
    void fillDrives();
    void buildOptions();
    void reopen();
    void showOpened();
    void fillFolder();
    void enterFolder(const QString& name);
    void fileClicked(const QString& name);

    Side m_side;
    tables::Table& m_table;
    shell::Interaction& m_interaction;
    QString m_folder;
    QComboBox* m_drives;
    QLabel* m_folderLabel;
    QListWidget* m_folders;
    QListWidget* m_files;
    QListWidget* m_tables;
    QString m_tablesOf; // the file whose tables the table list shows
    std::unique_ptr<importer::CsvSource> m_csv;
    QString m_csvFile;
    QString m_lastPath; // what openTable was last asked to open
    QLabel* m_chosen;
    QListWidget* m_fields;
    QCheckBox* m_sort;
    QComboBox* m_codePage;
    QLabel* m_preview;
    QLabel* m_warnings;
    QCheckBox* m_allowStale = nullptr;
    QCheckBox* m_roundNumbers = nullptr;
    QLabel* m_recordCount;
    QLabel* m_fieldCount;
    MappingGrid* m_grid;
};
