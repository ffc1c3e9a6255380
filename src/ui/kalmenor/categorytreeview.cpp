#include "ui/kalmenor/categorytreeview.h"

#include "catalogue/categorytree.h"
#include "catalogue/treecommands.h"
#include "ui/kalmenor/categorytreemodel.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>

using catalogue::TreeNode;

CategoryTreeView::CategoryTreeView(CategoryTreeModel& model, catalogue::TreeCommands& commands,
                                   QWidget* parent)
    : QTreeView(parent), m_model(model), m_commands(commands)
{
    setObjectName(QStringLiteral("TreeView1"));
    setModel(&model);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setUniformRowHeights(true); // keeps big trees quick
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(this, &QTreeView::clicked, this, [this](const QModelIndex& index) {
        if (TreeNode* n = m_model.nodeOf(index))
            Q_EMIT nodeClicked(n);
    });
}

TreeNode* CategoryTreeView::selectedNode() const
{
    const QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    return rows.isEmpty() ? nullptr : m_model.nodeOf(rows.first());
}

void CategoryTreeView::selectNode(const TreeNode* node)
{
    const QModelIndex i = m_model.indexOf(node);
    if (!i.isValid()) {
        clearSelection();
        return;
    }
    setCurrentIndex(i);
    selectionModel()->select(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(i);
}

TreeNode* CategoryTreeView::dropTarget(const QPoint& pos) const
{
    return m_model.nodeOf(indexAt(pos));
}

void CategoryTreeView::dragEnterEvent(QDragEnterEvent* event)
{
    // Only drags that started in this tree.
    if (event->source() != this) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void CategoryTreeView::dragMoveEvent(QDragMoveEvent* event)
{
    QTreeView::dragMoveEvent(event); // auto-scroll and the indicator
    if (event->source() == this
        && catalogue::TreeCommands::canDrop(selectedNode(), dropTarget(event->position().toPoint())))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CategoryTreeView::dropEvent(QDropEvent* event)
{
    if (event->source() != this) {
        event->ignore();
        return;
    }
    dropNode(selectedNode(), dropTarget(event->position().toPoint()));
    // The node is moved already: tell the drag not to remove anything at its source.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    stopAutoScroll();
    setState(NoState);
}

bool CategoryTreeView::dropNode(TreeNode* dragged, TreeNode* target)
{
    if (!m_commands.drop(dragged, target))
        return false;
    expand(m_model.indexOf(target));
    selectNode(target);
    return true;
}
