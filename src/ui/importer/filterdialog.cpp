#include "ui/importer/filterdialog.h"

#include "importer/filtercomposer.h"
#include "importer/pairing.h"
#include "shell/error.h"
#include "shell/interaction.h"
#include "shell/tables/table.h"
#include "ui/common/datasetmodel.h"
#include "ui/common/dialogbuttons.h"
#include "ui/common/recordnavigator.h"
#include "ui/importer/pagewidgets.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

FilterDialog::FilterDialog(shell::Interaction& interaction, QWidget* parent)
    : QDialog(parent), m_interaction(interaction)
{
    setWindowTitle("Filtrowanie danych");
    setModal(false);
    const QString hint = "Kliknij 2x aby dodać do zapytania";
    m_fields = new QListWidget(this);
    m_fields->setObjectName("filterFields");
    m_fields->setToolTip(hint);
    m_operators = new QListWidget(this);
    m_operators->setObjectName("filterOperators");
    m_operators->setToolTip(hint);
    QFont bold = m_operators->font();
    bold.setBold(true);
    m_operators->setFont(bold);
    m_operators->addItems(importer::FilterComposer::operators());
    m_expression = new QPlainTextEdit(this);
    m_expression->setObjectName("filterExpression");
    m_model = new DataSetModel(this);
    m_model->setInteraction(&m_interaction);
    m_grid = recordGrid(m_model, "filterGrid", this);
    m_navigator = new RecordNavigator(this);
    m_navigator->setInteraction(&m_interaction);
    m_navigator->setVisibleButtons(
        {RecordNavigator::First, RecordNavigator::Prior, RecordNavigator::Next, RecordNavigator::Last});
    m_count = new QLabel("Liczba rekordów:", this);
    m_count->setObjectName("filterCount");

    auto* resultBox = new QGroupBox("Wynik filtrowania", this);
    auto* resultLayout = new QVBoxLayout(resultBox);
    resultLayout->addWidget(m_navigator);
    resultLayout->addWidget(m_grid);
    resultLayout->addWidget(m_count);

    auto* buttonRow = new QHBoxLayout;
    const QList<QPushButton*> buttons = addButtonRow(this, buttonRow,
                                                     {{"filterApply", QStringLiteral("Wykonaj")},
                                                      {"filterClear", QStringLiteral("Wyczyść")},
                                                      {"filterRemove", QStringLiteral("Usuń Filtr")},
                                                      {"filterClose", QStringLiteral("Zamknij")}});
    auto* layout = new QGridLayout(this);
    layout->addWidget(boxed("Dostępne pola", m_fields, this), 0, 0);
    layout->addWidget(boxed("Operatory", m_operators, this), 0, 1);
    layout->addWidget(boxed("Zapytanie", m_expression, this), 0, 2);
    layout->addLayout(buttonRow, 1, 0, 1, 3);
    layout->addWidget(resultBox, 2, 0, 1, 3);
    layout->setColumnStretch(2, 2);
    layout->setRowStretch(2, 2);
    resize(720, 560);

    connect(m_fields, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* i) { appendEntry(i->text()); });
    connect(m_operators, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* i) { appendEntry(i->text()); });
    connect(buttons[0], &QPushButton::clicked, this, &FilterDialog::apply);
    connect(buttons[1], &QPushButton::clicked, this, &FilterDialog::clearExpression);
    connect(buttons[2], &QPushButton::clicked, this, &FilterDialog::removeFilter);
}

void FilterDialog::openFor(tables::Table* table)
{
    m_table = table;
    m_model->setDataSet(table);
    m_navigator->setDataSet(table);
    refillFields();
    show();
    raise();
}

void FilterDialog::showEvent(QShowEvent* event)
{
    refillFields();
    QDialog::showEvent(event);
}

void FilterDialog::refillFields()
{
    m_fields->clear();
    if (!m_table || !m_table->isOpen())
        return;
    m_fields->addItems(importer::Pairing::sortedFieldNames(*m_table));
}

void FilterDialog::appendEntry(const QString& entry)
{
    m_expression->setPlainText(importer::FilterComposer::append(m_expression->toPlainText(), entry));
    m_expression->moveCursor(QTextCursor::End);
}

void FilterDialog::apply()
{
    if (!m_table || !m_table->isOpen())
        return;
    try {
        m_count->setText(importer::FilterComposer::apply(*m_table, m_expression->toPlainText()));
    } catch (const std::exception& e) {
        m_interaction.error(shell::messageOf(e));
    }
}

void FilterDialog::removeFilter()
{
    if (!m_table || !m_table->isOpen())
        return;
    try {
        m_count->setText(importer::FilterComposer::remove(*m_table));
    } catch (const std::exception& e) {
        m_interaction.error(shell::messageOf(e));
    }
}

void FilterDialog::clearExpression()
{
    m_expression->clear();
}
