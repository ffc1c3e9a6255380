#include "ui/kalmenor/categorytreemodel.h"

#include "catalogue/categorytree.h"

#include <QMimeData>
#include <QPainter>
#include <QPixmap>

using catalogue::CategoryTree;
using catalogue::TreeNode;

namespace {
const QString kMime = QStringLiteral("application/x-kalmenor-tree-node");
}

CategoryTreeModel::CategoryTreeModel(CategoryTree& tree, QObject* parent)
    : QAbstractItemModel(parent), m_tree(tree)
{
    connect(&tree, &CategoryTree::nodeAboutToBeInserted, this,
            [this](TreeNode* parent, int row) { beginInsertRows(indexOf(parent), row, row); });
    connect(&tree, &CategoryTree::nodeInserted, this, [this] { endInsertRows(); });
    connect(&tree, &CategoryTree::nodeAboutToBeRemoved, this,
            [this](TreeNode* node) { beginRemoveRows(indexOf(node->parent()), node->row(), node->row()); });
    connect(&tree, &CategoryTree::nodeRemoved, this, [this] { endRemoveRows(); });
    connect(&tree, &CategoryTree::nodeAboutToBeMoved, this,
            [this](TreeNode* node, TreeNode* newParent, int row) {
                beginMoveRows(indexOf(node->parent()), node->row(), node->row(), indexOf(newParent), row);
            });
    connect(&tree, &CategoryTree::nodeMoved, this, [this] { endMoveRows(); });
    connect(&tree, &CategoryTree::nodeTextChanged, this, [this](TreeNode* node) {
        const QModelIndex i = indexOf(node);
        Q_EMIT dataChanged(i, i);
    });
    connect(&tree, &CategoryTree::aboutToReset, this, [this] { beginResetModel(); });
    connect(&tree, &CategoryTree::resetDone, this, [this] { endResetModel(); });
    // Sorting keeps the nodes; persistent indexes follow them to their new rows.
    connect(&tree, &CategoryTree::aboutToReorder, this, [this] {
        Q_EMIT layoutAboutToBeChanged();
        m_sortIndexes = persistentIndexList();
        m_sortNodes.clear();
        for (const QModelIndex& i : std::as_const(m_sortIndexes))
            m_sortNodes << nodeOf(i);
    });
    connect(&tree, &CategoryTree::reordered, this, [this] {
        QModelIndexList to;
        for (const TreeNode* n : std::as_const(m_sortNodes))
            to << indexOf(n);
        changePersistentIndexList(m_sortIndexes, to);
        m_sortIndexes.clear();
        m_sortNodes.clear();
        Q_EMIT layoutChanged();
    });
}

TreeNode* CategoryTreeModel::nodeOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<TreeNode*>(index.internalPointer()) : nullptr;
}

QModelIndex CategoryTreeModel::indexOf(const TreeNode* node) const
{
    if (!node || node->isRoot())
        return {};
    return createIndex(node->row(), 0, const_cast<TreeNode*>(node));
}

QModelIndex CategoryTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    const TreeNode* p = parent.isValid() ? nodeOf(parent) : m_tree.root();
    if (column != 0 || row < 0 || row >= p->childCount())
        return {};
    return createIndex(row, 0, p->child(row));
}

QModelIndex CategoryTreeModel::parent(const QModelIndex& child) const
{
    const TreeNode* n = nodeOf(child);
    return n ? indexOf(n->parent()) : QModelIndex();
}

int CategoryTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    const TreeNode* p = parent.isValid() ? nodeOf(parent) : m_tree.root();
    return p->childCount();
}

int CategoryTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant CategoryTreeModel::data(const QModelIndex& index, int role) const
{
    const TreeNode* n = nodeOf(index);
    if (!n)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return n->text();
    case Qt::DecorationRole:
        return kindIcon(catalogue::imageIndexOf(n->kind()));
    default:
        return {};
    }
}

Qt::ItemFlags CategoryTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    if (nodeOf(index)->isFolder())
        f |= Qt::ItemIsDropEnabled;
    return f;
}

Qt::DropActions CategoryTreeModel::supportedDragActions() const
{
    return Qt::MoveAction | Qt::CopyAction;
}

Qt::DropActions CategoryTreeModel::supportedDropActions() const
{
    return Qt::MoveAction | Qt::CopyAction;
}

QStringList CategoryTreeModel::mimeTypes() const
{
    return {kMime};
}

QMimeData* CategoryTreeModel::mimeData(const QModelIndexList& indexes) const
{
    // The view moves the node itself; the data only marks a drag that started in this tree.
    auto* data = new QMimeData;
    data->setData(kMime, indexes.isEmpty() ? QByteArray() : nodeOf(indexes.first())->text().toUtf8());
    return data;
}

QIcon CategoryTreeModel::kindIcon(int imageIndex)
{
    static QIcon icons[4];
    if (imageIndex < 1 || imageIndex > 3)
        return {};
    QIcon& icon = icons[imageIndex];
    if (icon.isNull()) {
        QPixmap pm(16, 16);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        if (imageIndex == 3) {
            // Product: a small box.
            p.setPen(QColor(90, 60, 20));
            p.setBrush(QColor(222, 184, 110));
            p.drawRect(2, 4, 11, 10);
            p.drawLine(2, 8, 13, 8);
        } else {
            // Category and subcategory: folders, the subcategory lighter.
            const QColor body = imageIndex == 1 ? QColor(230, 180, 40) : QColor(150, 190, 240);
            p.setPen(body.darker(160));
            p.setBrush(body);
            p.drawRect(1, 3, 6, 3);
            p.drawRect(1, 5, 14, 9);
        }
        icon = QIcon(pm);
    }
    return icon;
}
