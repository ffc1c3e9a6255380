#pragma once

#include "catalogue/productlists.h"
#include "shell/programfolder.h"
#include "shell/tables/dataset.h"

#include <QWidget>
#include <memory>

class CategoryPanel;
class CategoryTreeModel;
class CategoryTreeView;
class FieldBinder;
namespace shell {
class Interaction;
}
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
    WebshopPage(const shell::ProgramFolder& folder, tables::Table& products, catalogue::CategoryTree& tree,
                shell::Interaction& ui, QWidget* parent = nullptr);
    ~WebshopPage() override;

    // The generation and upload report.
    QPlainTextEdit* reportArea() const { return m_report; }
    CategoryTreeView* treeView() const;
    catalogue::TreeCommands& commands() const;
    QMenu* treeMenu() const;
    QTabWidget* productTabs() const { return m_tabs; }

    NameDialog* categoryDialog() const;
    NameDialog* subcategoryDialog() const;
    ProductDialog* productDialog() const;
    RenameDialog* renameDialog() const;
    CategoryPanel* categoryPanel() const { return m_categories; }
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
    QWidget* buildProductInfoTab();
    QWidget* buildMoreInfoTab();
    QWidget* buildProductListTab();
    RecordNavigator* buildProductNavigator(QWidget* parent, const QString& name);
    // A picture with its "Load picture" / "Delete picture" buttons; which is "Small" or "Big".
    QVBoxLayout* buildPictureColumn(QWidget* tab, const QString& which, PictureBox** box,
                                    void (WebshopPage::*load)(), void (WebshopPage::*remove)());
    // The navigator and "Find product" under a product page.
    QHBoxLayout* buildBottomBar(QWidget* tab, const QString& navigatorName, const QString& findName);
    void refreshRecord();
    void refreshPictures();
    bool hasRecord() const;
    bool postIfEditing();
    // Picture commands change the product: a read-only table refuses them before any file is touched.
    bool canChangeProducts();
    QComboBox* variantBox(catalogue::VariantList list) const;
    QCheckBox* variantSwitch(catalogue::VariantList list) const;

    shell::ProgramFolder m_folder;
    tables::Table& m_products;
    catalogue::CategoryTree& m_tree;
    shell::Interaction& m_ui;
    std::unique_ptr<catalogue::ProductRules> m_rules;
    FieldBinder* m_binder = nullptr;
    tables::Subscription m_flushBeforePost;

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
    CategoryPanel* m_categories = nullptr;
    QStackedWidget* m_side = nullptr;
    QWidget* m_treePanel = nullptr;
    QList<QPushButton*> m_runButtons;
    QPushButton* m_cancelButton = nullptr;
    int m_shownStatus = 0;

    ListEditor* m_listEditor = nullptr;
    ProductSearch* m_search = nullptr;
};
