#include "ui/kalmenor/productlisttab.h"

#include "catalogue/treecommands.h"
#include "shell/error.h"
#include "shell/interaction.h"
#include "shell/tables/table.h"
#include "ui/common/recordnavigator.h"
#include "ui/kalmenor/productgriddelegate.h"
#include "ui/kalmenor/productlistmodel.h"
#include "ui/kalmenor/productnavigator.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>
#include <QWheelEvent>

ProductListTab::ProductListTab(tables::Table& products, const QString& picturesFolder, shell::Interaction& ui,
                               QWidget* parent)
    : QWidget(parent), m_products(products), m_ui(ui)
{
    setObjectName(QStringLiteral("productListTab"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Show products by status:"), this));
    m_statusFilter = new QComboBox(this);
    m_statusFilter->setObjectName(QStringLiteral("statusFilter"));
    m_statusFilter->addItems(catalogue::statusFilterEntries());
    connect(m_statusFilter, &QComboBox::currentIndexChanged, this, &ProductListTab::filterByStatus);
    top->addWidget(m_statusFilter);
    top->addStretch();
    auto* find = new QPushButton(QStringLiteral("Find product"), this);
    find->setObjectName(QStringLiteral("findProductButton3"));
    connect(find, &QPushButton::clicked, this, &ProductListTab::findProductRequested);
    top->addWidget(find);
    layout->addLayout(top);

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_gridModel = new ProductListModel(this);
    m_gridModel->setInteraction(&m_ui);
    m_gridModel->setDataSet(&m_products);
    m_grid->setModel(m_gridModel);
    m_gridDelegate = new ProductGridDelegate(m_products, picturesFolder, this);
    m_grid->setItemDelegate(m_gridDelegate);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->setDefaultSectionSize(40);
    m_grid->viewport()->installEventFilter(this);
    arrangeColumns();
    connect(m_gridModel, &QAbstractItemModel::modelReset, this, &ProductListTab::arrangeColumns);
    connect(m_grid, &QTableView::clicked, this, [this](const QModelIndex& index) {
        try {
            m_products.moveTo(index.row());
        } catch (const std::exception& e) {
            m_ui.error(shell::messageOf(e));
        }
    });
    layout->addWidget(m_grid, 1);

    auto* bottom = new QHBoxLayout;
    RecordNavigator* navigator = productNavigator(this, QStringLiteral("productListNavigator"), products, ui);
    navigator->setVisibleButtons({RecordNavigator::First, RecordNavigator::Prior, RecordNavigator::Next,
                                  RecordNavigator::Last, RecordNavigator::Delete, RecordNavigator::Post,
                                  RecordNavigator::Cancel, RecordNavigator::Refresh});
    bottom->addWidget(navigator);
    m_countLabel = new QLabel(this);
    m_countLabel->setObjectName(QStringLiteral("recordCountLabel"));
    bottom->addWidget(m_countLabel);
    bottom->addStretch();
    layout->addLayout(bottom);

    connect(&products, &tables::DataSet::afterScroll, this, &ProductListTab::refreshRecord);
    connect(&products, &tables::DataSet::viewChanged, this, &ProductListTab::refreshRecord);
    connect(&products, &tables::DataSet::recordChanged, this, &ProductListTab::refreshRecord);
    refreshRecord();
}

void ProductListTab::filterByStatus(int index)
{
    if (!m_products.isOpen())
        return;
    // A typed edit is stored first; a bad value keeps the list as it was.
    if (!storePendingEdit(m_products, m_ui)) {
        const QSignalBlocker quiet(m_statusFilter);
        m_statusFilter->setCurrentIndex(m_shownStatus);
        return;
    }
    m_shownStatus = index;
    try {
        m_products.setFilter(catalogue::statusFilterText(index));
    } catch (const std::exception& e) {
        m_ui.error(shell::messageOf(e));
    }
}

void ProductListTab::arrangeColumns()
{
    if (!m_products.isOpen())
        return;
    const QStringList shown = ProductListModel::shownColumns();
    QHeaderView* header = m_grid->horizontalHeader();
    for (int c = 0; c < m_products.fields().size(); ++c)
        m_grid->setColumnHidden(c, !shown.contains(m_products.fields()[c].name));
    for (int i = 0; i < shown.size(); ++i) {
        const int logical = m_products.fieldIndex(shown[i]);
        if (logical >= 0)
            header->moveSection(header->visualIndex(logical), i);
    }
}

void ProductListTab::refreshRecord()
{
    m_countLabel->setText(catalogue::recordCountText(m_products.isOpen() ? m_products.recordCount() : 0));
    if (m_products.isOpen() && !m_products.isEmpty()
        && m_products.state() == tables::DataSet::State::Browse) {
        const QModelIndex current = m_gridModel->index(m_products.recordNumber() - 1, 0);
        if (current.isValid() && m_grid->currentIndex().row() != current.row()) {
            m_grid->selectionModel()->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect
                                                                   | QItemSelectionModel::Rows);
        }
    }
}

void ProductListTab::picturesChanged()
{
    m_gridDelegate->forgetPictures();
    m_grid->viewport()->update();
}

bool ProductListTab::eventFilter(QObject* watched, QEvent* event)
{
    // The wheel over the list moves one record at a time.
    if (watched == m_grid->viewport() && event->type() == QEvent::Wheel && m_products.isOpen()) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        try {
            if (wheel->angleDelta().y() < 0)
                m_products.next();
            else
                m_products.prior();
        } catch (const std::exception& e) {
            m_ui.error(shell::messageOf(e));
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
