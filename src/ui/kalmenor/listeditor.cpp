#include "ui/kalmenor/listeditor.h"

#include "shell/error.h"
#include "shell/interaction.h"
#include "shell/tables/dataset.h"
#include "ui/common/dialogbuttons.h"
#include "ui/kalmenor/dialogplacement.h"
#include "ui/kalmenor/productnavigator.h"

#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

void fillVariantBox(QComboBox* box, const tables::DataSet& products, catalogue::VariantList list)
{
    box->clear();
    box->setCurrentText(QString());
    box->addItems(catalogue::loadVariantList(products, list));
}

ListEditor::ListEditor(tables::DataSet& products, const QString& productsTablePath, shell::Interaction& ui,
                       QWidget* parent)
    : QDialog(parent, Qt::Dialog), m_products(products), m_tablePath(productsTablePath), m_ui(ui)
{
    setObjectName(QStringLiteral("ListEdit"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    m_grid = new QTableWidget(catalogue::editorRowCount(0), 1, this);
    m_grid->setObjectName(QStringLiteral("grid"));
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setMinimumHeight(300);
    layout->addWidget(m_grid);
    layout->addWidget(new QLabel(QStringLiteral("Use product list"), this));
    m_productNames = new QComboBox(this);
    m_productNames->setObjectName(QStringLiteral("productList"));
    layout->addWidget(m_productNames);
    const QList<QPushButton*> buttons = addButtonRow(this, layout,
                                                     {{"applyButton", QStringLiteral("Apply")},
                                                      {"clearButton", QStringLiteral("Clear")},
                                                      {"cancelButton", QStringLiteral("Cancel")}});
    connect(buttons[0], &QPushButton::clicked, this, &ListEditor::apply);
    connect(buttons[1], &QPushButton::clicked, this, &ListEditor::clearGrid);
    connect(m_productNames, &QComboBox::activated, this,
            [this](int index) { useProductList(m_productNames->itemText(index)); });
}

QStringList ListEditor::rows() const
{
    QStringList out;
    for (int r = 0; r < m_grid->rowCount(); ++r) {
        const QTableWidgetItem* item = m_grid->item(r, 0);
        out << (item ? item->text() : QString());
    }
    return out;
}

void ListEditor::setRows(const QStringList& items)
{
    clearGrid();
    // As many rows as the list has, so "Apply" never drops items beyond the twentieth.
    m_grid->setRowCount(catalogue::editorRowCount(int(items.size())));
    for (int r = 0; r < items.size(); ++r)
        m_grid->setItem(r, 0, new QTableWidgetItem(items[r]));
}

void ListEditor::clearGrid()
{
    m_grid->clearContents();
    m_grid->setRowCount(catalogue::editorRowCount(0));
}

void ListEditor::open(catalogue::VariantList list, QComboBox* target)
{
    m_list = list;
    m_target = target;
    QStringList items = catalogue::loadVariantList(m_products, list);
    if (target) {
        fillVariantBox(target, m_products, list);
    }
    setRows(items);
    setWindowTitle(catalogue::listEditorCaption(list));
    showCentred(this);
}

void ListEditor::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    reloadProductList();
}

void ListEditor::reloadProductList()
{
    m_productNames->clear();
    m_sources.clear();
    try {
        m_sources = catalogue::productsWithList(m_tablePath, m_list);
    } catch (const std::exception& e) {
        m_ui.error(shell::messageOf(e));
    }
    for (const auto& s : std::as_const(m_sources))
        m_productNames->addItem(s.name);
    m_productNames->setCurrentIndex(-1);
}

void ListEditor::useProductList(const QString& name)
{
    setRows(catalogue::listOfProduct(m_sources, name));
}

void ListEditor::apply()
{
    if (!m_products.isOpen() || m_products.isEmpty()) {
        hide();
        return;
    }
    if (!storeValue(m_products, catalogue::listColumn(m_list), catalogue::encodeGridRows(rows()), m_ui))
        return;
    if (m_target)
        fillVariantBox(m_target, m_products, m_list);
    hide();
}

void ListEditor::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    // Switching to another window discards the edits.
    if (event->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow())
        hide();
}
