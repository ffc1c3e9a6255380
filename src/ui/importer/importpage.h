#pragma once

#include <QWidget>

class HistoryList;
namespace shell {
class Interaction;
}
class QCheckBox;
class QProgressBar;
class QPushButton;
class TableSidePanel;

namespace tables {
class Table;
}

// "Import Danych": the source half on the left, the target half on the right, and under them the
// import button, the progress bar and the history.
class ImportPage : public QWidget {
    Q_OBJECT
public:
    ImportPage(tables::Table& source, tables::Table& target, shell::Interaction& interaction,
               QWidget* parent = nullptr);

    TableSidePanel* sourcePanel() const { return m_source; }
    TableSidePanel* targetPanel() const { return m_target; }
    QPushButton* importButton() const { return m_import; }
    QPushButton* checkButton() const { return m_check; }
    QPushButton* pairByNameButton() const { return m_pairByName; }
    QPushButton* newTableButton() const { return m_newTable; }
    QProgressBar* progressBar() const { return m_progress; }
    QCheckBox* showHistoryBox() const { return m_showHistory; }
    HistoryList* history() const { return m_history; }

private:
    TableSidePanel* m_source;
    TableSidePanel* m_target;
    QPushButton* m_import;
    QPushButton* m_check;
    QPushButton* m_pairByName;
    QPushButton* m_newTable;
    QProgressBar* m_progress;
    QCheckBox* m_showHistory;
    HistoryList* m_history;
};
