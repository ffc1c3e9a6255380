#pragma once

#include <QWidget>

namespace shell {
class Interaction;
}
namespace tables {
class Table;
}
class ProductGridDelegate;
class ProductListModel;
class QComboBox;
class QLabel;
class QTableView;

// The "Products list" tab: the products (filtered by status) in a read-only grid with their small
// pictures, the record count and a navigator. The grid follows the current record and moves it.
class ProductListTab : public QWidget {
    Q_OBJECT
public:
    ProductListTab(tables::Table& products, const QString& picturesFolder, shell::Interaction& ui,
                   QWidget* parent = nullptr);

    // A small picture was stored or deleted: the grid draws it anew.
    void picturesChanged();

Q_SIGNALS:
    void findProductRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void filterByStatus(int index);
    void arrangeColumns();
    void refreshRecord();

    tables::Table& m_products;
    shell::Interaction& m_ui;
    QComboBox* m_statusFilter = nullptr;
    QTableView* m_grid = nullptr;
    ProductListModel* m_gridModel = nullptr;
    ProductGridDelegate* m_gridDelegate = nullptr;
    QLabel* m_countLabel = nullptr;
    int m_shownStatus = 0;
};
