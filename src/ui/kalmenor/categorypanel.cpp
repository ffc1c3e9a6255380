#include "ui/kalmenor/categorypanel.h"
#include "ui/kalmenor/linklabel.h"

#include "catalogue/categorytree.h"
#include "catalogue/treecommands.h"
#include "shell/error.h"
#include "shell/interaction.h"
#include "shell/tables/table.h"
#include "ui/kalmenor/categorytreemodel.h"
#include "ui/kalmenor/categorytreeview.h"
#include "ui/kalmenor/dialogplacement.h"
#include "ui/kalmenor/namedialog.h"
#include "ui/kalmenor/productdialog.h"
#include "ui/kalmenor/renamedialog.h"

#include <QAction>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

using namespace catalogue;

namespace {

const QString kMoreInfo = QStringLiteral("<a href=\"#\">more info &gt;&gt;</a>");
const QString kBack = QStringLiteral("<a href=\"#\">&lt;&lt; back</a>");

} // namespace

CategoryPanel::CategoryPanel(const shell::ProgramFolder& folder, tables::Table& products, CategoryTree& tree,
                             shell::Interaction& ui, QWidget* parent)
    : QWidget(parent), m_products(products), m_tree(tree), m_ui(ui)
{
    setObjectName(QStringLiteral("categoryPanel"));
    m_commands = std::make_unique<TreeCommands>(tree, products, ui, folder.treeFile());
    m_renameTarget = new NodeWatch(tree, this);
    buildTreePanel();

    // The tree dialogs live as long as the panel.
    m_categoryDialog = new NameDialog(QStringLiteral("Kategoria"), QStringLiteral("Add new category"),
                                      QStringLiteral("Category name"), this);
    m_subcategoryDialog =
        new NameDialog(QStringLiteral("Podkategoria"), QStringLiteral("Add new subcategory"),
                       QStringLiteral("Subcategory name"), this);
    m_productDialog = new ProductDialog(folder.productsTable(), this);
    m_renameDialog = new RenameDialog(this);
    connect(m_categoryDialog, &NameDialog::addRequested, this, [this](const QString& name) {
        TreeNode* node = m_commands->addCategory(m_treeView->selectedNode(), name);
        if (node && m_tree.nodeCount() == 1)
            m_treeView->selectNode(node);
    });
    connect(m_subcategoryDialog, &NameDialog::addRequested, this, [this](const QString& name) {
        if (m_commands->addSubcategory(m_treeView->selectedNode(), name))
            m_treeView->expandAll();
    });
    connect(m_productDialog, &ProductDialog::addRequested, this, [this](const QString& name) {
        if (m_commands->addProduct(m_treeView->selectedNode(), name))
            m_treeView->expandAll();
    });
    connect(m_productDialog, &ProductDialog::findRequested, this, &CategoryPanel::findProductRequested);
    connect(m_productDialog, &ProductDialog::failed, this,
            [this](const QString& message) { m_ui.error(message); });
    connect(m_renameDialog, &RenameDialog::okRequested, this,
            [this](const QString& name) { m_commands->rename(m_renameTarget->node(), name); });
}

CategoryPanel::~CategoryPanel() = default;

QToolButton* CategoryPanel::toolButton(const QString& name, const QString& text, const QString& hint)
{
    auto* b = new QToolButton(this);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(hint);
    b->setAutoRaise(true);
    return b;
}

void CategoryPanel::buildTreePanel()
{
    QWidget* panel = this;
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* buttons = new QHBoxLayout;
    const struct {
        const char* name;
        const char* text;
        const char* hint;
        void (CategoryPanel::*slot)();
    } commands[] = {
        {"newCategoryButton", "+K", "New Category", &CategoryPanel::newCategory},
        {"newSubcategoryButton", "+W", "New Subcategory", &CategoryPanel::newSubcategory},
        {"newProductButton", "+P", "New product", &CategoryPanel::newProduct},
        {"renameButton", "✎", "Edit", &CategoryPanel::renameSelected},
        {"expandButton", "⊞", "Expand tree", nullptr},
        {"collapseButton", "⊟", "Collapse tree", nullptr},
        {"deleteNodeButton", "✖", "Delete", &CategoryPanel::deleteSelected},
        {"deleteAllNodesButton", "✖✖", "Delete All", &CategoryPanel::deleteAll},
    };
    QList<QToolButton*> made;
    for (const auto& c : commands) {
        QToolButton* b =
            toolButton(QString::fromLatin1(c.name), QString::fromUtf8(c.text), QString::fromLatin1(c.hint));
        if (c.slot)
            connect(b, &QToolButton::clicked, this, c.slot);
        buttons->addWidget(b);
        made << b;
    }
    buttons->addStretch();
    layout->addLayout(buttons);

    m_treeModel = new CategoryTreeModel(m_tree, this);
    m_treeView = new CategoryTreeView(*m_treeModel, *m_commands, panel);
    connect(made[4], &QToolButton::clicked, m_treeView, &QTreeView::expandAll);
    connect(made[5], &QToolButton::clicked, m_treeView, &QTreeView::collapseAll);
    connect(m_treeView, &CategoryTreeView::nodeClicked, this, &CategoryPanel::onNodeClicked);
    m_treeView->setContextMenuPolicy(Qt::CustomContextMenu);
    buildMenu();
    connect(m_treeView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { m_menu->popup(m_treeView->viewport()->mapToGlobal(pos)); });
    layout->addWidget(m_treeView, 1);

    // The statistics replace the tree while shown.
    m_statistics = new QWidget(panel);
    m_statistics->setObjectName(QStringLiteral("treeStatistics"));
    auto* stats = new QVBoxLayout(m_statistics);
    stats->addWidget(new QLabel(QStringLiteral("Products"), m_statistics));
    m_statProducts = new QListWidget(m_statistics);
    m_statProducts->setObjectName(QStringLiteral("statisticsProducts"));
    stats->addWidget(m_statProducts, 1);
    stats->addWidget(new QLabel(QStringLiteral("Categories"), m_statistics));
    m_statCategories = new QListWidget(m_statistics);
    m_statCategories->setObjectName(QStringLiteral("statisticsCategories"));
    stats->addWidget(m_statCategories, 1);
    auto* counters = new QFormLayout;
    const char* captions[7] = {"Categories", "Products",         "Subcategories", "All",
                               "Nest count", "Current position", "Current level"};
    for (int i = 0; i < 7; ++i) {
        m_statCounters[i] = new QLabel(QStringLiteral("0"), m_statistics);
        m_statCounters[i]->setObjectName(QStringLiteral("statisticsCounter%1").arg(i));
        counters->addRow(QString::fromLatin1(captions[i]), m_statCounters[i]);
    }
    stats->addLayout(counters);
    m_statistics->hide();
    layout->addWidget(m_statistics, 1);

    m_statisticsLink = linkLabel(kMoreInfo, panel);
    m_statisticsLink->setObjectName(QStringLiteral("statisticsLink"));
    connect(m_statisticsLink, &QLabel::linkActivated, this, &CategoryPanel::toggleStatistics);
    layout->addWidget(m_statisticsLink);
}

void CategoryPanel::buildMenu()
{
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("treeMenu"));
    const auto action = [this](const char* name, const char* text, auto slot) {
        QAction* a = m_menu->addAction(QString::fromLatin1(text));
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    action("newCategoryAction", "New Category", &CategoryPanel::newCategory);
    action("newSubcategoryAction", "New Subkategory", &CategoryPanel::newSubcategory);
    action("newProductAction", "New Product", &CategoryPanel::newProduct);
    action("renameAction", "Edit", &CategoryPanel::renameSelected);
    m_menu->addSeparator();
    QAction* expand = m_menu->addAction(QStringLiteral("Expand tree"));
    expand->setObjectName(QStringLiteral("expandAction"));
    connect(expand, &QAction::triggered, m_treeView, &QTreeView::expandAll);
    QAction* collapse = m_menu->addAction(QStringLiteral("Collapse tree"));
    collapse->setObjectName(QStringLiteral("collapseAction"));
    connect(collapse, &QAction::triggered, m_treeView, &QTreeView::collapseAll);
    action("sortAction", "Sort", &CategoryPanel::sortTree);
    m_menu->addSeparator();
    action("deleteAction", "Delete", &CategoryPanel::deleteSelected);
    action("deleteAllAction", "Delete all", &CategoryPanel::deleteAll);
    m_menu->addSeparator();
    m_runActions << action("previewAction", "Preview Webshop", &CategoryPanel::previewRequested);
    m_runActions << action("buildAction", "Build Webshop", &CategoryPanel::buildRequested);
    m_runActions << action("uploadAction", "Upload Webshop on FTP serwer", &CategoryPanel::uploadRequested);
}

void CategoryPanel::expandTree()
{
    m_treeView->expandAll();
}

bool CategoryPanel::saveTree()
{
    return m_commands->saveTree();
}

void CategoryPanel::newCategory()
{
    if (m_commands->beginNewCategory(m_treeView->selectedNode()))
        showCentred(m_categoryDialog);
}

void CategoryPanel::newSubcategory()
{
    if (m_commands->beginNewSubcategory(m_treeView->selectedNode()))
        showCentred(m_subcategoryDialog);
}

void CategoryPanel::newProduct()
{
    TreeNode* selected = m_treeView->selectedNode();
    TreeNode* target = m_commands->beginNewProduct(selected);
    if (!target)
        return;
    if (target != selected && !target->isRoot())
        m_treeView->selectNode(target);
    m_productDialog->setName(QString());
    showCentred(m_productDialog);
}

void CategoryPanel::renameSelected()
{
    TreeNode* selected = m_treeView->selectedNode();
    if (!selected)
        return;
    m_renameTarget->watch(selected);
    m_renameDialog->nameBox()->setText(m_commands->beginRename(selected));
    showCentred(m_renameDialog);
}

void CategoryPanel::deleteSelected()
{
    m_commands->deleteNode(m_treeView->selectedNode());
}

void CategoryPanel::deleteAll()
{
    m_commands->deleteAll();
}

void CategoryPanel::sortTree()
{
    m_commands->sort();
}

void CategoryPanel::toggleStatistics()
{
    const bool show = !m_statistics->isVisibleTo(this);
    if (show)
        fillStatistics();
    m_statistics->setVisible(show);
    m_treeView->setVisible(!show);
    m_statisticsLink->setText(show ? kBack : kMoreInfo);
}

void CategoryPanel::fillStatistics()
{
    TreeNode* selected = m_treeView->selectedNode();
    const TreeStatistics s = computeStatistics(m_tree, selected);
    m_statProducts->clear();
    m_statProducts->addItems(s.products);
    m_statCategories->clear();
    m_statCategories->addItems(s.categories);
    const int values[5] = {s.categoryCount, s.productCount, s.subcategoryCount, s.allCount, s.nestCount};
    for (int i = 0; i < 5; ++i)
        m_statCounters[i]->setText(QString::number(values[i]));
    if (selected) { // the position and level stay as they were when nothing is selected
        m_statCounters[5]->setText(QString::number(s.currentPosition));
        m_statCounters[6]->setText(QString::number(s.currentLevel));
    }
}

void CategoryPanel::selectProduct(const QString& id)
{
    const TreeNode* found = nullptr;
    m_tree.walk([&found, &id](TreeNode& node) {
        if (!found && node.isProduct() && node.key() == id)
            found = &node;
    });
    if (found)
        m_treeView->selectNode(found);
}

void CategoryPanel::onNodeClicked(TreeNode* node)
{
    if (!node || !node->isProduct() || !m_products.isOpen())
        return;
    try {
        products::locateProduct(m_products, node->key());
    } catch (const std::exception& e) {
        m_ui.error(shell::messageOf(e));
    }
}
