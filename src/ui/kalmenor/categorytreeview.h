#pragma once

#include <QTreeView>

class CategoryTreeModel;

namespace catalogue {
class TreeNode;
class TreeCommands;
} // namespace catalogue

// The tree control. Moves nodes by drag and drop inside itself, following the drop rules: the target is
// the node under the mouse, a category or subcategory not inside the dragged node.
class CategoryTreeView : public QTreeView {
    Q_OBJECT
public:
    CategoryTreeView(CategoryTreeModel& model, catalogue::TreeCommands& commands, QWidget* parent = nullptr);

    catalogue::TreeNode* selectedNode() const;
    void selectNode(const catalogue::TreeNode* node);
    // Moves a node as a drop on target would; used by the drop handling and by tests.
    bool dropNode(catalogue::TreeNode* dragged, catalogue::TreeNode* target);

Q_SIGNALS:
    void nodeClicked(catalogue::TreeNode* node);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    catalogue::TreeNode* dropTarget(const QPoint& pos) const;

    CategoryTreeModel& m_model;
    catalogue::TreeCommands& m_commands;
};
