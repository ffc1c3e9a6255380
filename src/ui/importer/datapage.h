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

    QTableView* sourceGrid() const { return m_sourceGrid; }
    QTableView* targetGrid() const { return m_targetGrid; }
    QLabel* sourceRecordCount() const { return m_sourceRecords; }
    QLabel* targetRecordCount() const { return m_targetRecords; }
    QPushButton* sourceFilterButton() const { return m_sourceFilter; }
    QPushButton* targetFilterButton() const { return m_targetFilter; }
    QPushButton* sourceHtmlButton() const { return m_sourceHtml; }
    QPushButton* sourceTextButton() const { return m_sourceText; }
    QPushButton* targetHtmlButton() const { return m_targetHtml; }
    QPushButton* targetTextButton() const { return m_targetText; }
    QPushButton* deleteButton() const { return m_delete; }

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
