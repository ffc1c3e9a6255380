#pragma once

#include <QWidget>

class DataSetModel;
namespace shell {
class Interaction;
}
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTableView;
class QTextEdit;
class RecordNavigator;

namespace tables {
class Query;
class Table;
} // namespace tables

// "Zapytanie SQL": composes a statement from the source's fields, operators and keywords, runs it and
// shows its live result, which can be exported or deleted.
class SqlPage : public QWidget {
    Q_OBJECT
public:
    SqlPage(tables::Query& query, tables::Table& source, shell::Interaction& interaction,
            QWidget* parent = nullptr);

    // The source side's file list changed.
    void setInputFiles(const QStringList& names);
    // The source table was (re)opened: refill the available fields.
    void refillFields();

    void insertEntry(const QString& entry);
    void appendChosenFileName();
    void execute();
    void clearStatement();
    void deleteResult();

Q_SIGNALS:
    void inputFileChosen(const QString& name);
    void htmlRequested();
    void textRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    tables::Query& m_query;
    tables::Table& m_source;
    shell::Interaction& m_interaction;
    QComboBox* m_inputs;
    QListWidget* m_fields;
    QListWidget* m_operators;
    QListWidget* m_keywords;
    QTextEdit* m_editor;
    DataSetModel* m_model;
    QTableView* m_grid;
    RecordNavigator* m_navigator;
    QLabel* m_fieldCount;
    QLabel* m_recordCount;
    QPushButton* m_execute;
    QPushButton* m_clear;
    QPushButton* m_html;
    QPushButton* m_text;
    QPushButton* m_delete;
};
