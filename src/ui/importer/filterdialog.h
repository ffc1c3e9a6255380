#pragma once

#include "shell/tables/table.h"

#include <QDialog>
#include <QPointer>

class DataSetModel;
namespace shell {
class Interaction;
}
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QTableView;
class RecordNavigator;

// "Filtrowanie danych": composes a filter expression from field names and operators and applies it to
// the table it was opened for. Modeless and kept for the program's life, so the expression stays.
class FilterDialog : public QDialog {
    Q_OBJECT
public:
    FilterDialog(shell::Interaction& interaction, QWidget* parent = nullptr);

    // Binds the table and shows the dialog (refilling the field list).
    void openFor(tables::Table* table);

    void appendEntry(const QString& entry);
    void apply();
    void removeFilter();
    void clearExpression();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refillFields();

    shell::Interaction& m_interaction;
    QPointer<tables::Table> m_table;
    QListWidget* m_fields;
    QListWidget* m_operators;
    QPlainTextEdit* m_expression;
    QTableView* m_grid;
    DataSetModel* m_model;
    RecordNavigator* m_navigator;
    QLabel* m_count;
};
