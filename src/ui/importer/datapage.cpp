#include "ui/importer/datapage.h"

#include "shell/tables/table.h"
#include "ui/common/datasetmodel.h"
#include "ui/common/recordnavigator.h"
#include "ui/importer/pagewidgets.h"
#include "ui/importer/sidecolors.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QTableView* makeGrid(DataSetModel* model, const char* name, const QColor& background, QWidget* parent)
{
    QTableView* grid = recordGrid(model, name, parent);
    QPalette p = grid->palette();
    p.setColor(QPalette::Base, background);
    grid->setPalette(p);
    return grid;
}

} // namespace

DataPage::DataPage(tables::Table& source, tables::Table& target, shell::Interaction& interaction,
                   QWidget* parent)
    : QWidget(parent), m_source(source), m_target(target)
{
    m_sourceModel = new DataSetModel(this);
    m_sourceModel->setReadOnly(true);
    m_sourceModel->setInteraction(&interaction);
    m_sourceModel->setDataSet(&source);
    m_targetModel = new DataSetModel(this);
    m_targetModel->setInteraction(&interaction);
    m_targetModel->setDataSet(&target);
    m_sourceGrid = makeGrid(m_sourceModel, "sourceDataGrid", sidecolors::source(), this);
    m_sourceGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_targetGrid = makeGrid(m_targetModel, "targetDataGrid", sidecolors::target(), this);

    m_sourceNavigator = new RecordNavigator(this);
    m_sourceNavigator->setInteraction(&interaction);
    m_sourceNavigator->setVisibleButtons(
        {RecordNavigator::First, RecordNavigator::Prior, RecordNavigator::Next, RecordNavigator::Last});
    m_sourceNavigator->setDataSet(&source);
    m_targetNavigator = new RecordNavigator(this);
    m_targetNavigator->setInteraction(&interaction);
    m_targetNavigator->setDataSet(&target);

    m_sourceRecords = new QLabel(this);
    m_sourceFields = new QLabel(this);
    m_targetRecords = new QLabel(this);
    m_targetFields = new QLabel(this);
    m_sourceRecords->setObjectName("sourceDataRecordCount");
    m_targetRecords->setObjectName("targetDataRecordCount");
    m_sourceFilter = new QPushButton("Filtr", this);
    m_targetFilter = new QPushButton("Filtr", this);
    for (QPushButton* b : {m_sourceFilter, m_targetFilter})
        b->setToolTip("Filtrowanie danych");
    m_sourceHtml = new QPushButton("Zapisz w html", this);
    m_sourceText = new QPushButton("Zapisz w txt", this);
    m_targetHtml = new QPushButton("Zapisz w html", this);
    m_targetText = new QPushButton("Zapisz w txt", this);
    m_delete = new QPushButton("Usuń", this);
    m_delete->setToolTip("Usuń wszystkie rekordy");
    m_sourceFilter->setObjectName("sourceFilterButton");
    m_targetFilter->setObjectName("targetFilterButton");
    m_sourceHtml->setObjectName("sourceHtmlButton");
    m_sourceText->setObjectName("sourceTextButton");
    m_targetHtml->setObjectName("targetHtmlButton");
    m_targetText->setObjectName("targetTextButton");
    m_delete->setObjectName("deleteViewButton");

    const auto side = [this](const QString& title, QTableView* grid, RecordNavigator* navigator,
                             QLabel* records, QLabel* fields, const QList<QPushButton*>& buttons) {
        auto* box = new QGroupBox(title, this);
        auto* top = new QHBoxLayout;
        top->addWidget(navigator);
        top->addStretch();
        for (QPushButton* b : buttons)
            top->addWidget(b);
        auto* counts = new QHBoxLayout;
        counts->addWidget(records);
        counts->addWidget(fields);
        counts->addStretch();
        auto* layout = new QVBoxLayout(box);
        layout->addLayout(top);
        layout->addWidget(grid);
        layout->addLayout(counts);
        return box;
    };
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(side("Dane źrodłowe tylko podgląd", m_sourceGrid, m_sourceNavigator, m_sourceRecords,
                           m_sourceFields, {m_sourceFilter, m_sourceHtml, m_sourceText}));
    layout->addWidget(side("Dane docelowe", m_targetGrid, m_targetNavigator, m_targetRecords, m_targetFields,
                           {m_targetFilter, m_targetHtml, m_targetText, m_delete}));

    connect(m_sourceFilter, &QPushButton::clicked, this, [this] { Q_EMIT filterRequested(&m_source); });
    connect(m_targetFilter, &QPushButton::clicked, this, [this] { Q_EMIT filterRequested(&m_target); });
    connect(m_sourceHtml, &QPushButton::clicked, this, [this] { Q_EMIT htmlRequested(&m_source); });
    connect(m_sourceText, &QPushButton::clicked, this, [this] { Q_EMIT textRequested(&m_source); });
    connect(m_targetHtml, &QPushButton::clicked, this, [this] { Q_EMIT htmlRequested(&m_target); });
    connect(m_targetText, &QPushButton::clicked, this, [this] { Q_EMIT textRequested(&m_target); });
    connect(m_delete, &QPushButton::clicked, this, &DataPage::deleteRequested);
    for (tables::Table* t : {&source, &target}) {
        connect(t, &tables::DataSet::afterScroll, this, &DataPage::updateCounts);
        connect(t, &tables::DataSet::viewChanged, this, &DataPage::updateCounts);
    }
    updateCounts();
}

void DataPage::updateCounts()
{
    const auto records = [](const tables::Table& t) { return t.isOpen() ? t.recordCount() : 0; };
    const auto fields = [](const tables::Table& t) { return t.isOpen() ? int(t.fields().size()) : 0; };
    m_sourceRecords->setText("Liczba rekordów: " + QString::number(records(m_source)));
    m_sourceFields->setText("Liczba pól: " + QString::number(fields(m_source)));
    m_targetRecords->setText("Liczba rekordow: " + QString::number(records(m_target)));
    m_targetFields->setText("Liczba pól: " + QString::number(fields(m_target)));
}
