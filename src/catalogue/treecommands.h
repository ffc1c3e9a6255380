#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace shell {
class Interaction;
}

namespace tables {
class Table;
}

namespace catalogue {

class CategoryTree;
class TreeNode;

// Strips what would break the tree file: leading blanks, tabs and line breaks (they would read back as
// levels) and line breaks inside the name (they would split the line).
QString cleanNodeName(const QString& name);

// The tree commands with their checks, messages and questions. The window calls begin… when a command
// is chosen (true = open the dialog) and the dialog's confirm calls the matching add… / rename.
// Every structural change writes the tree file; a failed write is reported, never lost silently.
class TreeCommands {
public:
    TreeCommands(CategoryTree& tree, tables::Table& products, shell::Interaction& ui,
                 const QString& treeFile);

    bool beginNewCategory(const TreeNode* selected);
    // Returns the new node, or null when the name was refused.
    TreeNode* addCategory(TreeNode* selected, const QString& name);

    bool beginNewSubcategory(const TreeNode* selected);
    TreeNode* addSubcategory(TreeNode* selected, const QString& name);

    // Returns the node under which the product goes (the parent of a selected product entry), or null.
    TreeNode* beginNewProduct(TreeNode* selected);
    TreeNode* addProduct(TreeNode* selected, const QString& name);

    // The name the rename dialog starts with; empty for nothing selected.
    QString beginRename(const TreeNode* selected) const;
    // Applies the rename to the node the dialog was opened for (null: it is gone, nothing happens).
    bool rename(TreeNode* node, const QString& newName);

    bool deleteNode(TreeNode* selected); // asks first; false when nothing was removed
    bool deleteAll();
    void sort();

    // Drag and drop inside the tree.
    static bool canDrop(const TreeNode* dragged, const TreeNode* target);
    // Moves the node; returns false when the drop is not allowed. The file is written later.
    bool drop(TreeNode* dragged, TreeNode* target);

    // Writes the tree file now; reports a failure and returns false.
    bool saveTree();

    QString treeFile() const { return m_treeFile; }

private:
    bool refuseEmpty(const QString& name, const QString& message);

    CategoryTree& m_tree;
    tables::Table& m_products;
    shell::Interaction& m_ui;
    QString m_treeFile;
};

// Follows one node and forgets it when it leaves the tree (removed, or the tree reloaded), so a
// dialog that outlives its node never touches a dead one.
class NodeWatch : public QObject {
    Q_OBJECT
public:
    explicit NodeWatch(CategoryTree& tree, QObject* parent = nullptr);
    void watch(TreeNode* node) { m_node = node; }
    TreeNode* node() const { return m_node; }

private:
    TreeNode* m_node = nullptr;
};

// The figures of "more info >>".
struct TreeStatistics {
    QStringList products;   // texts of all product entries, in order
    QStringList categories; // texts of all other nodes
    int categoryCount = 0;  // top-level nodes
    int productCount = 0;
    int subcategoryCount = 0; // all − top-level − products
    int allCount = 0;
    int nestCount = 0;       // nodes with children
    int currentPosition = 0; // from 1; 0 when nothing is selected
    int currentLevel = -1;   // -1 when nothing is selected
};

TreeStatistics computeStatistics(const CategoryTree& tree, const TreeNode* selected);

// The status filter of the products list: entries and the filter text of each.
QStringList statusFilterEntries();
QString statusFilterText(int index);
QString recordCountText(int count);

} // namespace catalogue
