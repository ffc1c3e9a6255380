#pragma once

#include "shell/error.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace tables {
class Table;
}

namespace catalogue {

// Kind letters at the end of a node text.
inline constexpr QChar kCategoryKind = QLatin1Char('K');
inline constexpr QChar kSubcategoryKind = QLatin1Char('W');
inline constexpr QChar kProductKind = QLatin1Char('P');

// A node key is "ID" + nine digits + kind letter; the node text is display name + " " + key.
inline constexpr int kKeyLength = 12;

enum class NodeKind { Category, Subcategory, Product, Other };

NodeKind kindOfText(const QString& nodeText);
QChar kindLetterOfText(const QString& nodeText);
QString displayNameOfText(const QString& nodeText); // the text without its last 13 characters
QString keyOfText(const QString& nodeText);         // the last 12 characters
// Image shown beside a node of this kind in the tree (1 category, 2 subcategory, 3 product).
int imageIndexOf(NodeKind kind);

class CategoryTree;

// One line of the tree. Nodes live on the heap, so a pointer stays valid until the node is removed.
class TreeNode {
public:
    TreeNode() = default;
    ~TreeNode(); // iterative, so a very deep tree cannot exhaust the stack
    TreeNode(const TreeNode&) = delete;
    TreeNode& operator=(const TreeNode&) = delete;

    const QString& text() const { return m_text; }
    QString displayName() const { return displayNameOfText(m_text); }
    QString key() const { return keyOfText(m_text); }
    NodeKind kind() const { return kindOfText(m_text); }
    bool isProduct() const { return kind() == NodeKind::Product; }
    // Categories and subcategories accept dropped nodes and new children.
    bool isFolder() const { return kind() == NodeKind::Category || kind() == NodeKind::Subcategory; }

    // The invisible root holds the top-level nodes; its parent is null.
    bool isRoot() const { return m_parent == nullptr; }
    TreeNode* parent() const { return m_parent; }
    int childCount() const { return int(m_children.size()); }
    TreeNode* child(int i) const { return m_children[size_t(i)].get(); }
    bool hasChildren() const { return !m_children.empty(); }
    int row() const { return m_row; } // position among its siblings
    int depth() const;                // 0 for top-level nodes
    // True when this node is other or lies below it.
    bool isInside(const TreeNode* other) const;

private:
    friend class CategoryTree;
    QString m_text;
    TreeNode* m_parent = nullptr;
    int m_row = 0;
    std::vector<std::unique_ptr<TreeNode>> m_children;
};

// Loading error: names the file and, for a bad line, its number.
class TreeFileError : public shell::AppError {
public:
    TreeFileError(const QString& message, int line) : shell::AppError(message), m_line(line) {}
    int line() const { return m_line; }

private:
    int m_line;
};

// The category tree kept in memory. Every change goes through the methods below, which announce it
// with signals shaped like an item model's, so a view model can follow without rebuilding.
class CategoryTree : public QObject {
    Q_OBJECT
public:
    explicit CategoryTree(QObject* parent = nullptr);
    ~CategoryTree() override;

    TreeNode* root() const { return m_root.get(); }
    int topLevelCount() const { return m_root->childCount(); }
    TreeNode* topLevel(int i) const { return m_root->child(i); }
    bool isEmpty() const { return m_root->childCount() == 0; }
    int nodeCount() const;

    // Every node in depth-first order (a node, its children, then its next sibling).
    void walk(const std::function<void(TreeNode&)>& visit) const;
    void walkWithDepth(const std::function<void(TreeNode&, int depth)>& visit) const;
    std::vector<TreeNode*> nodesInOrder() const;
    // Position of a node in that order, from 0; -1 when it is not in this tree.
    int indexInOrder(const TreeNode* node) const;
    // First node in depth-first order whose text is exactly the given text.
    TreeNode* findText(const QString& text) const;
    bool containsKey(const QString& key) const;

    // Changes. parent null = the root; row -1 = after the last child.
    TreeNode* addNode(TreeNode* parent, const QString& text, int row = -1);
    void removeNode(TreeNode* node);
    void clear();
    void setText(TreeNode* node, const QString& text);
    // Moves a node (with its children) to another parent; row counts in the new parent before the move.
    void moveNode(TreeNode* node, TreeNode* newParent, int row = -1);
    // Children of every node and the top-level nodes by text, locale-aware and case-sensitive.
    void sort();

    // The tree file: one line per node in depth-first order, a tab per level, CR LF line ends.
    // Loading replaces the tree. Each leading tab or blank counts as one level; blank lines are skipped;
    // a line more than one level deeper than the one before stops the loading with TreeFileError and
    // leaves the nodes read so far. The first save after such a load first keeps the original file as
    // path + ".unread", so the unread lines are never lost. A missing file throws too; an empty file is
    // an empty tree.
    void load(const QString& path);
    void save(const QString& path);
    QStringList toLines() const;
    // Parses lines as load does; fileName is used in the error messages.
    void fromLines(const QStringList& lines, const QString& fileName);
    // True after a load that stopped early, until the original file has been kept.
    bool isPartial() const { return !m_unreadBytes.isEmpty(); }

Q_SIGNALS:
    void nodeAboutToBeInserted(TreeNode* parent, int row);
    void nodeInserted(TreeNode* node);
    void nodeAboutToBeRemoved(TreeNode* node);
    void nodeRemoved();
    void nodeAboutToBeMoved(TreeNode* node, TreeNode* newParent, int row);
    void nodeMoved(TreeNode* node);
    void nodeTextChanged(TreeNode* node);
    void aboutToReorder(); // sort: same nodes, new order
    void reordered();
    void aboutToReset();
    void resetDone();

private:
    static void renumber(TreeNode* parent, int from);

    std::unique_ptr<TreeNode> m_root;
    QByteArray m_unreadBytes; // original file of a partial load, kept before the first write
    QString m_unreadSource;
};

// Product records of the `Produkty` table (file towary.db).
namespace products {
inline const QString kId = QStringLiteral("ID");
inline const QString kName = QStringLiteral("Nazwa");
inline const QString kNetPrice = QStringLiteral("CenaNetto");
inline const QString kGrossPrice = QStringLiteral("CenaBrutto");
inline const QString kVat = QStringLiteral("VAT");
inline const QString kPromoNet = QStringLiteral("PromocjaNetto");
inline const QString kPromoGross = QStringLiteral("PromocjaBrutto");
inline const QString kStatus = QStringLiteral("Status");
inline const QString kShortDescription = QStringLiteral("Opis");
inline const QString kLongDescription = QStringLiteral("Opis2");
inline const QString kUnit = QStringLiteral("Jm");
inline const QString kClassCode = QStringLiteral("SWW");
inline const QString kClass = QStringLiteral("Klasa");
inline const QString kHasSizes = QStringLiteral("R");
inline const QString kHasColours = QStringLiteral("K");
inline const QString kHasDimensions = QStringLiteral("W");
inline const QString kSizes = QStringLiteral("Rozmiar");
inline const QString kColours = QStringLiteral("Kolor");
inline const QString kDimensions = QStringLiteral("Wymiar");

// Makes the record whose ID equals key (without regard to case) the current one; false when none.
bool locateProduct(tables::Table& products, const QString& key);

// Size, colour and dimension lists: each item followed by "|". Text after the last "|" is no item.
QStringList splitList(const QString& encoded);
// True when splitList would give at least one item: each item ends at its "|".
bool listHasItems(const QString& encoded);
QString joinList(const QStringList& items);

// An ID that can name picture files: not empty, no folder separators, not a folder name.
bool isSafePictureId(const QString& id);
// Picture files of a product in the given pictures folder (with its trailing separator).
QString smallPicturePath(const QString& picturesFolder, const QString& id);
QString bigPicturePath(const QString& picturesFolder, const QString& id);
} // namespace products

} // namespace catalogue
