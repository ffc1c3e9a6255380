#pragma once

#include "shell/programfolder.h"

#include <QList>
#include <QWidget>
#include <memory>

class CategoryTreeModel;
class CategoryTreeView;
namespace shell {
class Interaction;
}
class NameDialog;
class ProductDialog;
class RenameDialog;
class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QToolButton;

namespace tables {
class Table;
}

namespace catalogue {
class CategoryTree;
class NodeWatch;
class TreeCommands;
class TreeNode;
} // namespace catalogue

// The category tree of the shop page with its buttons, its menu, its dialogs and the statistics that
// take its place on "more info >>". A click on a product entry makes that product the current record.
class CategoryPanel : public QWidget {
    Q_OBJECT
public:
    CategoryPanel(const shell::ProgramFolder& folder, tables::Table& products, catalogue::CategoryTree& tree,
                  shell::Interaction& ui, QWidget* parent = nullptr);
    ~CategoryPanel() override;

    catalogue::TreeCommands& commands() const { return *m_commands; }
    QMenu* treeMenu() const { return m_menu; }
    ProductDialog* productDialog() const { return m_productDialog; }
    // The menu's generation commands, held off while a run goes.
    const QList<QAction*>& runActions() const { return m_runActions; }

    void expandTree();
    bool saveTree();
    void newCategory();
    void newSubcategory();
    void newProduct();
    void renameSelected();
    void deleteSelected();
    void deleteAll();
    void sortTree();
    void toggleStatistics();
    // Selects the first product entry of this ID, so tree and form show the same product.
    void selectProduct(const QString& id);

Q_SIGNALS:
    void previewRequested();
    void buildRequested();
    void uploadRequested();
    void findProductRequested();

private:
    void buildTreePanel();
    void buildMenu();
    QToolButton* toolButton(const QString& name, const QString& text, const QString& hint);
    void fillStatistics();
    void onNodeClicked(catalogue::TreeNode* node);

    tables::Table& m_products;
    catalogue::CategoryTree& m_tree;
    shell::Interaction& m_ui;
    std::unique_ptr<catalogue::TreeCommands> m_commands;
    catalogue::NodeWatch* m_renameTarget = nullptr;
    CategoryTreeModel* m_treeModel = nullptr;
    CategoryTreeView* m_treeView = nullptr;
    QMenu* m_menu = nullptr;
    QList<QAction*> m_runActions;
    QWidget* m_statistics = nullptr;
    QLabel* m_statisticsLink = nullptr;
    QListWidget* m_statProducts = nullptr;
    QListWidget* m_statCategories = nullptr;
    QLabel* m_statCounters[7] = {};
    NameDialog* m_categoryDialog = nullptr;
    NameDialog* m_subcategoryDialog = nullptr;
    ProductDialog* m_productDialog = nullptr;
    RenameDialog* m_renameDialog = nullptr;
};
