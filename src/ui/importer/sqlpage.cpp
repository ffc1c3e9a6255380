#include "ui/importer/sqlpage.h"

#include "importer/pairing.h"
#include "importer/sqlcomposer.h"
#include "importer/vieweraser.h"
#include "shell/error.h"
#include "shell/interaction.h"
#include "shell/tables/query.h"
#include "shell/tables/table.h"
#include "ui/common/datasetmodel.h"
#include "ui/common/recordnavigator.h"
#include "ui/importer/pagewidgets.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTextEdit>
#include <QVBoxLayout>

SqlPage::SqlPage(tables::Query& query, tables::Table& source, shell::Interaction& interaction,
                 QWidget* parent)
    : QWidget(parent), m_query(query), m_source(source), m_interaction(interaction)
{
    m_inputs = new QComboBox(this);
    m_inputs->setObjectName("sqlInputFiles");
    m_inputs->setToolTip("kliknij 2x aby dodać");
    // A plain drop-down opens its list on the first press and never sees a double click; the read-only
    // text part of an editable one does.
    m_inputs->setEditable(true);
    m_inputs->setInsertPolicy(QComboBox::NoInsert);
    m_inputs->lineEdit()->setReadOnly(true);
    m_inputs->lineEdit()->installEventFilter(this);
    m_fields = new QListWidget(this);
    m_fields->setObjectName("sqlFields");
    m_operators = new QListWidget(this);
    m_operators->setObjectName("sqlOperators");
    m_operators->addItems(importer::SqlComposer::operators());
    m_keywords = new QListWidget(this);
    m_keywords->setObjectName("sqlKeywords");
    m_keywords->addItems(importer::SqlComposer::keywords());
    for (QListWidget* l : {m_fields, m_operators, m_keywords})
        l->setToolTip("kliknij aby dodać");
    m_editor = new QTextEdit(this);
    m_editor->setObjectName("sqlEditor");
    m_editor->setAcceptRichText(false);
    m_model = new DataSetModel(this);
    m_model->setInteraction(&interaction);
    m_model->setDataSet(&query);
    m_grid = recordGrid(m_model, "sqlResultGrid", this);
    m_navigator = new RecordNavigator(this);
    m_navigator->setInteraction(&interaction);
    m_navigator->setVisibleButtons({RecordNavigator::First, RecordNavigator::Prior, RecordNavigator::Next,
                                    RecordNavigator::Last, RecordNavigator::Delete});
    m_navigator->setDataSet(&query);
    m_fieldCount = new QLabel("Liczba pól:", this);
    m_recordCount = new QLabel("Liczba rekordów:", this);
    m_execute = new QPushButton("Wykonaj", this);
    m_clear = new QPushButton("Wyczyść", this);
    m_html = new QPushButton("Zapisz w html", this);
    m_text = new QPushButton("Zapisz w txt", this);
    m_delete = new QPushButton("Usuń", this);
    m_delete->setToolTip("Usuń wszystkie rekordy");
    m_fieldCount->setObjectName("sqlFieldCount");
    m_recordCount->setObjectName("sqlRecordCount");
    m_execute->setObjectName("sqlExecute");
    m_clear->setObjectName("sqlClear");
    m_html->setObjectName("sqlHtml");
    m_text->setObjectName("sqlText");
    m_delete->setObjectName("sqlDelete");

    auto* lists = new QHBoxLayout;
    auto* inputColumn = new QVBoxLayout;
    inputColumn->addWidget(boxed("Dane wejściowe:", m_inputs, this));
    inputColumn->addWidget(boxed("Dostępne pola:", m_fields, this), 1);
    lists->addLayout(inputColumn, 2);
    lists->addWidget(boxed("Operatory:", m_operators, this), 1);
    lists->addWidget(boxed("Słowa kluczowe:", m_keywords, this), 2);
    lists->addWidget(boxed("Zapytanie SQL", m_editor, this), 4);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_execute, m_clear, m_html, m_text, m_delete})
        buttons->addWidget(b);
    buttons->addStretch();

    auto* result = new QGroupBox("Wynik zapytania SQL", this);
    auto* resultLayout = new QVBoxLayout(result);
    resultLayout->addWidget(m_navigator);
    resultLayout->addWidget(m_grid);
    auto* counts = new QHBoxLayout;
    counts->addWidget(m_fieldCount);
    counts->addWidget(m_recordCount);
    counts->addStretch();
    resultLayout->addLayout(counts);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists, 2);
    layout->addLayout(buttons);
    layout->addWidget(result, 3);

    for (QListWidget* l : {m_fields, m_operators, m_keywords})
        connect(l, &QListWidget::itemClicked, this, [this](QListWidgetItem* i) { insertEntry(i->text()); });
    connect(m_inputs, &QComboBox::activated, this,
            [this](int i) { Q_EMIT inputFileChosen(m_inputs->itemText(i)); });
    connect(m_execute, &QPushButton::clicked, this, &SqlPage::execute);
    connect(m_clear, &QPushButton::clicked, this, &SqlPage::clearStatement);
    connect(m_delete, &QPushButton::clicked, this, &SqlPage::deleteResult);
    connect(m_html, &QPushButton::clicked, this, &SqlPage::htmlRequested);
    connect(m_text, &QPushButton::clicked, this, &SqlPage::textRequested);
}

bool SqlPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_inputs->lineEdit() && event->type() == QEvent::MouseButtonDblClick) {
        appendChosenFileName();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void SqlPage::setInputFiles(const QStringList& names)
{
    const QSignalBlocker quiet(m_inputs);
    m_inputs->clear();
    m_inputs->addItems(names);
}

void SqlPage::refillFields()
{
    m_fields->clear();
    if (!m_source.isOpen())
        return;
    m_fields->addItems(importer::Pairing::sortedFieldNames(m_source));
}

void SqlPage::insertEntry(const QString& entry)
{
    const QString path = m_source.isOpen() ? m_source.path() : QString();
    m_editor->textCursor().insertText(importer::SqlComposer::insertion(entry, path));
}

void SqlPage::appendChosenFileName()
{
    if (m_inputs->currentIndex() < 0)
        return;
    m_editor->setPlainText(
        importer::SqlComposer::appendFileName(m_editor->toPlainText(), m_inputs->currentText()));
    m_editor->moveCursor(QTextCursor::End);
}

void SqlPage::execute()
{
    m_query.close();
    const QString statement = m_editor->toPlainText();
    try {
        // A statement that changes tables runs only when the user says so.
        QStringList changed = tables::Query::changedFiles(statement);
        if (!changed.isEmpty()) {
            changed.removeAll(QString());
            QStringList shown;
            for (const QString& path : std::as_const(changed))
                shown << QDir::toNativeSeparators(path);
            const QString names = shown.isEmpty() ? QStringLiteral("(tabele tymczasowe)") : shown.join(", ");
            if (!m_interaction.question("To polecenie zmieni dane w tabelach: " + names + "\nWykonać je?",
                                        "uwaga,"))
                return;
        }
        m_query.open(statement);
    } catch (const std::exception& e) {
        m_query.close();
        m_interaction.error(shell::messageOf(e));
        return;
    }
    const int records = m_query.isOpen() ? m_query.recordCount() : m_query.rowsAffected();
    const int fields = m_query.isOpen() ? int(m_query.fields().size()) : 0;
    m_recordCount->setText("Liczba rekordow: " + QString::number(records));
    m_fieldCount->setText("dostępne pola: " + QString::number(fields));
}

void SqlPage::clearStatement()
{
    m_editor->clear();
}

void SqlPage::deleteResult()
{
    if (!m_query.isOpen() || m_query.isEmpty())
        return;
    if (!m_interaction.question("Usunąć wszystkie rekordy dla aktualnego filtrowania?", "uwaga,"))
        return;
    try {
        importer::ViewEraser::eraseView(m_query);
    } catch (const std::exception& e) {
        m_interaction.error(shell::messageOf(e));
    }
    m_recordCount->setText("Liczba rekordow: "
                           + QString::number(m_query.isOpen() ? m_query.recordCount() : 0));
}
