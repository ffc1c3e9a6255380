#pragma once

#include <QAbstractItemModel>
#include <QIcon>

namespace catalogue {
class CategoryTree;
class TreeNode;
} // namespace catalogue

// The category tree as an item model for the tree view. Follows every change of the tree through its
// signals, so expansion and selection survive edits.
class CategoryTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit CategoryTreeModel(catalogue::CategoryTree& tree, QObject* parent = nullptr);

    catalogue::TreeNode* nodeOf(const QModelIndex& index) const;
    QModelIndex indexOf(const catalogue::TreeNode* node) const;
    catalogue::CategoryTree& tree() const { return m_tree; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

    // The images beside the nodes, by kind (category, subcategory, product entry).
    static QIcon kindIcon(int imageIndex);

private:
    catalogue::CategoryTree& m_tree;
    QModelIndexList m_sortIndexes;
    QList<const catalogue::TreeNode*> m_sortNodes;
};
