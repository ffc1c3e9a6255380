#pragma once

#include "catalogue/productlists.h"
#include "shell/programfolder.h"

#include <QPointer>
#include <QWidget>
#include <memory>

class CategoryTreeModel;
class CategoryTreeView;
class FieldBinder;
class Interaction;
class ListEditor;
class NameDialog;
class PictureBox;
class ProductDialog;
class ProductGridDelegate;
class ProductListModel;
class ProductSearch;
class RecordNavigator;
class RenameDialog;
class QCheckBox;
class QHBoxLayout;
class QVBoxLayout;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QTabWidget;
class QTableView;
class QToolButton;
class QAction;
class QPushButton;
class QStackedWidget;

namespace tables {
class Table;
}

namespace catalogue {
class CategoryTree;
class NodeWatch;
class ProductRules;
class TreeCommands;
class TreeNode;
} // namespace catalogue

// The "Webshop" page of the main window: the category tree with its commands, the product pages, the
// products list, the generation commands and the report area.
class WebshopPage : public QWidget {
    Q_OBJECT
public:
    WebshopPage(const ProgramFolder& folder, tables::Table& products, catalogue::CategoryTree& tree,
                Interaction& ui, QWidget* parent = nullptr);
    ~WebshopPage() override;

    // The generation and upload report.
    QPlainTextEdit* reportArea() const { return m_report; }
    CategoryTreeView* treeView() const { return m_treeView; }
    catalogue::TreeCommands& commands() const { return *m_commands; }
    QMenu* treeMenu() const { return m_menu; }
    QTabWidget* productTabs() const { return m_tabs; }

    NameDialog* categoryDialog() const { return m_categoryDialog; }
    NameDialog* subcategoryDialog() const { return m_subcategoryDialog; }
    ProductDialog* productDialog() const { return m_productDialog; }
    RenameDialog* renameDialog() const { return m_renameDialog; }
    ListEditor* listEditor() const { return m_listEditor; }
    ProductSearch* productSearch() const { return m_search; }

    // Stores a typed but unconfirmed product edit; a bad value is reported and false returned.
    bool storePendingEdit();
    // Panels that take the category tree's place (the upload's step panel).
    void addSidePanel(QWidget* panel);
    void showSidePanel(QWidget* panel);
    void showTreePanel();
    // While a run goes: its commands off, Cancel on, the catalogue held still.
    void setRunning(bool running);

    // After the tree was loaded: expand every node.
    void expandTree();
    // Writes the tree file (also at closing); reports a failure and returns false.
    bool saveTree();

    // The tree commands, as the buttons and the menu run them.
    void newCategory();
    void newSubcategory();
    void newProduct();
    void renameSelected();
    void deleteSelected();
    void deleteAll();
    void sortTree();
    void toggleStatistics();

    // Product page commands.
    void convertPrice(int conversion); // a catalogue::pricing::Conversion
    void switchVariant(catalogue::VariantList list, bool checked);
    void editVariantList(catalogue::VariantList list);
    void loadSmallPicture();
    void loadBigPicture();
    void deleteSmallPicture();
    void deleteBigPicture();
    void openProductSearch();

Q_SIGNALS:
    void previewRequested();
    void buildRequested();
    void uploadRequested();
    void cancelRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildTreePanel();
    QWidget* buildProductInfoTab();
    QWidget* buildMoreInfoTab();
    QWidget* buildProductListTab();
    RecordNavigator* buildProductNavigator(QWidget* parent, const QString& name);
    // A picture with its "Load picture" / "Delete picture" buttons; which is "Small" or "Big".
    QVBoxLayout* buildPictureColumn(QWidget* tab, const QString& which, PictureBox** box,
                                    void (WebshopPage::*load)(), void (WebshopPage::*remove)());
    // The navigator and "Find product" under a product page.
    QHBoxLayout* buildBottomBar(QWidget* tab, const QString& navigatorName, const QString& findName);
    QToolButton* toolButton(const QString& name, const QString& text, const QString& hint);
    void buildMenu();
    void refreshRecord();
    void refreshPictures();
    void onNodeClicked(catalogue::TreeNode* node);
    void fillStatistics();
    bool hasRecord() const;
    bool postIfEditing();
    // Picture commands change the product: a read-only table refuses them before any file is touched.
    bool canChangeProducts();
    QComboBox* variantBox(catalogue::VariantList list) const;
    QCheckBox* variantSwitch(catalogue::VariantList list) const;

    ProgramFolder m_folder;
    tables::Table& m_products;
    QPointer<QObject> m_productsAlive;
    catalogue::CategoryTree& m_tree;
    Interaction& m_ui;
    std::unique_ptr<catalogue::TreeCommands> m_commands;
    std::unique_ptr<catalogue::ProductRules> m_rules;
    FieldBinder* m_binder = nullptr;
    catalogue::NodeWatch* m_renameTarget = nullptr;

    CategoryTreeModel* m_treeModel = nullptr;
    CategoryTreeView* m_treeView = nullptr;
    QMenu* m_menu = nullptr;
    QWidget* m_statistics = nullptr;
    QLabel* m_statisticsLink = nullptr;
    QListWidget* m_statProducts = nullptr;
    QListWidget* m_statCategories = nullptr;
    QLabel* m_statCounters[7] = {};

    QTabWidget* m_tabs = nullptr;
    QLabel* m_headings[2] = {};
    QLineEdit* m_priceBoxes[4] = {}; // net, gross, promotion net, promotion gross
    QComboBox* m_vatBox = nullptr;
    QPlainTextEdit* m_shortDescription = nullptr;
    QCheckBox* m_switches[3] = {};
    QComboBox* m_variantBoxes[3] = {};
    PictureBox* m_smallPicture = nullptr;
    PictureBox* m_bigPicture = nullptr;
    QComboBox* m_statusFilter = nullptr;
    QTableView* m_grid = nullptr;
    ProductListModel* m_gridModel = nullptr;
    ProductGridDelegate* m_gridDelegate = nullptr;
    QLabel* m_countLabel = nullptr;
    QPlainTextEdit* m_report = nullptr;
    QStackedWidget* m_side = nullptr;
    QWidget* m_treePanel = nullptr;
    QList<QPushButton*> m_runButtons;
    QList<QAction*> m_runActions;
    QPushButton* m_cancelButton = nullptr;
    int m_shownStatus = 0;

    NameDialog* m_categoryDialog = nullptr;
    NameDialog* m_subcategoryDialog = nullptr;
    ProductDialog* m_productDialog = nullptr;
    RenameDialog* m_renameDialog = nullptr;
    ListEditor* m_listEditor = nullptr;
    ProductSearch* m_search = nullptr;
};
