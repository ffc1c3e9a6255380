#pragma once

#include <QWidget>

class DataSetModel;
namespace shell {
class Interaction;
}
class QLabel;
class QPushButton;
class QTableView;
class RecordNavigator;

namespace tables {
class Table;
}

// "Edycja Danych": the source table read-only and the target table editable, each with its navigator,
// counts, filter button and export buttons; "Usuń" empties the target's view.
class DataPage : public QWidget {
    Q_OBJECT
public:
    DataPage(tables::Table& source, tables::Table& target, shell::Interaction& interaction,
             QWidget* parent = nullptr);

    void updateCounts();

Q_SIGNALS:
    void filterRequested(tables::Table* table);
    void htmlRequested(tables::Table* table);
    void textRequested(tables::Table* table);
    void deleteRequested();

private:
    tables::Table& m_source;
    tables::Table& m_target;
    QTableView* m_sourceGrid;
    QTableView* m_targetGrid;
    DataSetModel* m_sourceModel;
    DataSetModel* m_targetModel;
    RecordNavigator* m_sourceNavigator;
    RecordNavigator* m_targetNavigator;
    QLabel* m_sourceRecords;
    QLabel* m_sourceFields;
    QLabel* m_targetRecords;
    QLabel* m_targetFields;
    QPushButton* m_sourceFilter;
    QPushButton* m_targetFilter;
    QPushButton* m_sourceHtml;
    QPushButton* m_sourceText;
    QPushButton* m_targetHtml;
    QPushButton* m_targetText;
    QPushButton* m_delete;
};
