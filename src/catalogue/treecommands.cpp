#include "catalogue/treecommands.h"

#include "catalogue/categorytree.h"
#include "catalogue/nodekeys.h"
#include "shell/interaction.h"
#include "shell/tables/table.h"

namespace catalogue {

namespace {
const QString kWarning = QStringLiteral("warning");

QString emptyNameMessage(NodeKind kind)
{
    switch (kind) {
    case NodeKind::Subcategory:
        return QStringLiteral("Enter subcategory name");
    case NodeKind::Product:
        return QStringLiteral("Enter product name");
    case NodeKind::Category:
    case NodeKind::Other:
        break;
    }
    return QStringLiteral("Enter category name");
}
} // namespace

QString cleanNodeName(const QString& name)
{
    QString out = name;
    out.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    out.replace(QLatin1Char('\r'), QLatin1Char(' '));
    out.replace(QLatin1Char('\n'), QLatin1Char(' '));
    qsizetype start = 0;
    while (start < out.size() && (out[start] == QLatin1Char(' ') || out[start] == QLatin1Char('\t')))
        ++start;
    return out.mid(start);
}

TreeCommands::TreeCommands(CategoryTree& tree, tables::Table& products, shell::Interaction& ui,
                           const QString& treeFile)
    : m_tree(tree), m_products(products), m_ui(ui), m_treeFile(treeFile)
{
}

bool TreeCommands::refuseEmpty(const QString& name, const QString& message)
{
    if (!name.isEmpty())
        return false;
    m_ui.message(message);
    return true;
}

bool TreeCommands::saveTree()
{
    try {
        m_tree.save(m_treeFile);
        return true;
    } catch (const std::exception& e) {
        m_ui.error(shell::messageOf(e));
        return false;
    }
}

bool TreeCommands::beginNewCategory(const TreeNode* selected)
{
    if (selected && selected->isProduct()) {
        m_ui.message(QStringLiteral("You can't add category to the product"));
        return false;
    }
    return true;
}

TreeNode* TreeCommands::addCategory(TreeNode* selected, const QString& name)
{
    // The dialog is modeless: the selection may have changed since it opened.
    if (!beginNewCategory(selected))
        return nullptr;
    const QString clean = cleanNodeName(name);
    if (refuseEmpty(clean, QStringLiteral("Enter category name")))
        return nullptr;
    const QString text = clean + QLatin1Char(' ') + nodekeys::freshNodeKey(m_tree, kCategoryKind);
    TreeNode* node = m_tree.addNode(selected ? selected->parent() : nullptr, text);
    saveTree();
    return node;
}

bool TreeCommands::beginNewSubcategory(const TreeNode* selected)
{
    if (!selected) {
        m_ui.message(QStringLiteral("Please select category"));
        return false;
    }
    if (m_tree.isEmpty()) {
        m_ui.message(QStringLiteral("Please create new category"));
        return false;
    }
    if (selected->isProduct()) {
        m_ui.message(QStringLiteral("You can't add subcategory to the product"));
        return false;
    }
    return true;
}

TreeNode* TreeCommands::addSubcategory(TreeNode* selected, const QString& name)
{
    if (!beginNewSubcategory(selected))
        return nullptr;
    const QString clean = cleanNodeName(name);
    if (refuseEmpty(clean, QStringLiteral("Enter subcategory name")))
        return nullptr;
    const QString text = clean + QLatin1Char(' ') + nodekeys::freshNodeKey(m_tree, kSubcategoryKind);
    TreeNode* node = m_tree.addNode(selected, text);
    saveTree();
    return node;
}

TreeNode* TreeCommands::beginNewProduct(TreeNode* selected)
{
    if (!selected) {
        m_ui.message(QStringLiteral("Please select category"));
        return nullptr;
    }
    if (m_tree.isEmpty()) {
        m_ui.message(QStringLiteral("Please create new category"));
        return nullptr;
    }
    return selected->isProduct() ? selected->parent() : selected;
}

TreeNode* TreeCommands::addProduct(TreeNode* selected, const QString& name)
{
    TreeNode* target = beginNewProduct(selected);
    if (!target)
        return nullptr;
    const QString clean = cleanNodeName(name);
    if (refuseEmpty(clean, QStringLiteral("Enter product name")))
        return nullptr;
    QString id;
    try {
        const QString fresh = nodekeys::freshProductId(m_products);
        if (m_products.locate(products::kName, clean)) {
            id = m_products.text(products::kId);
            if (id.size() != kKeyLength) {
                m_products.setValue(products::kId, fresh);
                m_products.post();
                id = fresh;
            }
        } else {
            m_products.append();
            m_products.setValue(products::kName, clean);
            m_products.setValue(products::kId, fresh);
            m_products.post();
            id = fresh;
        }
    } catch (const std::exception& e) {
        if (m_products.isOpen() && m_products.state() != tables::DataSet::State::Browse)
            m_products.cancel();
        m_ui.error(shell::messageOf(e));
        return nullptr;
    }
    if (target->isRoot())
        target = nullptr;
    TreeNode* node = m_tree.addNode(target, clean + QLatin1Char(' ') + id);
    saveTree();
    return node;
}

QString TreeCommands::beginRename(const TreeNode* selected) const
{
    return selected ? selected->displayName() : QString();
}

bool TreeCommands::rename(TreeNode* node, const QString& newName)
{
    if (!node)
        return false;
    const QString clean = cleanNodeName(newName);
    if (refuseEmpty(clean, emptyNameMessage(node->kind())))
        return false;
    const QString key = node->key();
    m_tree.setText(node, clean + QLatin1Char(' ') + key);
    try {
        if (products::locateProduct(m_products, key)) {
            m_products.edit();
            m_products.setValue(products::kName, clean);
            m_products.post();
        }
    } catch (const std::exception& e) {
        if (m_products.isOpen() && m_products.state() != tables::DataSet::State::Browse)
            m_products.cancel();
        m_ui.error(shell::messageOf(e));
    }
    saveTree();
    return true;
}

bool TreeCommands::deleteNode(TreeNode* selected)
{
    if (!selected || !m_ui.question(QStringLiteral("Delete this item ?"), kWarning))
        return false;
    m_tree.removeNode(selected);
    saveTree();
    return true;
}

bool TreeCommands::deleteAll()
{
    if (!m_ui.question(QStringLiteral("Delete all ?"), kWarning))
        return false;
    m_tree.clear();
    saveTree();
    return true;
}

void TreeCommands::sort()
{
    m_tree.sort();
}

bool TreeCommands::canDrop(const TreeNode* dragged, const TreeNode* target)
{
    return dragged && target && !dragged->isRoot() && target->isFolder() && !target->isInside(dragged);
}

bool TreeCommands::drop(TreeNode* dragged, TreeNode* target)
{
    if (!canDrop(dragged, target))
        return false;
    m_tree.moveNode(dragged, target, dragged->isProduct() ? 0 : -1);
    return true;
}

NodeWatch::NodeWatch(CategoryTree& tree, QObject* parent) : QObject(parent)
{
    connect(&tree, &CategoryTree::nodeAboutToBeRemoved, this, [this](TreeNode* gone) {
        if (m_node && m_node->isInside(gone))
            m_node = nullptr;
    });
    connect(&tree, &CategoryTree::aboutToReset, this, [this] { m_node = nullptr; });
}

TreeStatistics computeStatistics(const CategoryTree& tree, const TreeNode* selected)
{
    TreeStatistics s;
    int position = 0;
    tree.walk([&](TreeNode& n) {
        ++position;
        ++s.allCount;
        if (n.isProduct()) {
            ++s.productCount;
            s.products << n.text();
        } else {
            s.categories << n.text();
        }
        if (n.hasChildren())
            ++s.nestCount;
        if (&n == selected) {
            s.currentPosition = position;
            s.currentLevel = n.depth();
        }
    });
    s.categoryCount = tree.topLevelCount();
    s.subcategoryCount = s.allCount - s.categoryCount - s.productCount;
    return s;
}

QStringList statusFilterEntries()
{
    return {QStringLiteral("All"), QStringLiteral("Normal"), QStringLiteral("New"),
            QStringLiteral("Promotion"), QStringLiteral("Sale")};
}

QString statusFilterText(int index)
{
    if (index <= 0 || index >= statusFilterEntries().size())
        return {};
    return QStringLiteral("Status='%1'").arg(statusFilterEntries().at(index));
}

QString recordCountText(int count)
{
    return QStringLiteral("Record count:  ") + QString::number(count);
}

} // namespace catalogue
