#pragma once

#include "catalogue/productlists.h"

#include <QDialog>
#include <QPointer>

namespace shell {
class Interaction;
}
class QComboBox;
class QTableWidget;

namespace tables {
class DataSet;
}

// Edits the size, colour or dimension list of the current product in a one-column grid. "Apply" stores
// the non-empty rows; "Cancel", or leaving the window, discards the edits. "Use product list" copies
// another product's list into the grid.
class ListEditor : public QDialog {
    Q_OBJECT
public:
    ListEditor(tables::DataSet& products, const QString& productsTablePath, shell::Interaction& ui,
               QWidget* parent = nullptr);

    // Loads the list of the current record into the drop-down and the grid and shows the editor.
    void open(catalogue::VariantList list, QComboBox* target);
    catalogue::VariantList list() const { return m_list; }

    QTableWidget* grid() const { return m_grid; }
    QStringList rows() const;
    void setRows(const QStringList& items);
    void clearGrid();
    void apply();
    void useProductList(const QString& name);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void reloadProductList();

    tables::DataSet& m_products;
    QString m_tablePath;
    shell::Interaction& m_ui;
    catalogue::VariantList m_list = catalogue::VariantList::Sizes;
    QPointer<QComboBox> m_target;
    QTableWidget* m_grid;
    QComboBox* m_productNames;
    QVector<catalogue::ProductListSource> m_sources;
};

// Fills a drop-down with the items of a list column of the current record.
void fillVariantBox(QComboBox* box, const tables::DataSet& products, catalogue::VariantList list);
