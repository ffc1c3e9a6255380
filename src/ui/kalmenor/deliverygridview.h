#pragma once

#include <QTableView>

// The delivery methods grid: the mark column toggles when it is clicked or reached with the keyboard,
// and the current cell stays where it was; prices are checked as they are typed.
class DeliveryGridView : public QTableView {
    Q_OBJECT
public:
    explicit DeliveryGridView(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;

private:
    bool toggleIfMark(const QModelIndex& index);
};
