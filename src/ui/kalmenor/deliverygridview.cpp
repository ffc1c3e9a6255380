#include "ui/kalmenor/deliverygridview.h"

#include "catalogue/deliverymethods.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

// Draws the tick of offered methods; opens a price editor that refuses text that is not a number.
class DeliveryDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (index.column() != DeliveryMethodsModel::MarkColumn) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyledItemDelegate::paint(painter, option, index);
        if (index.data(DeliveryMethodsModel::MarkRole).toString() != QStringLiteral("1"))
            return;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        QPen pen(QColor(0, 128, 0));
        pen.setWidthF(2.5);
        painter->setPen(pen);
        const QRectF r = QRectF(option.rect).adjusted(4, 4, -4, -4);
        const qreal s = std::min(r.width(), r.height());
        const QPointF o(r.left() + (r.width() - s) / 2, r.top() + (r.height() - s) / 2);
        const QPointF tick[] = {o + QPointF(0.1 * s, 0.55 * s), o + QPointF(0.4 * s, 0.85 * s),
                                o + QPointF(0.9 * s, 0.15 * s)};
        painter->drawPolyline(tick, 3);
        painter->restore();
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (line && index.column() == DeliveryMethodsModel::PriceColumn) {
            line->setObjectName(QStringLiteral("priceEditor"));
            // Back to the last valid text: a typed character is undone, a pasted text is refused whole.
            QObject::connect(line, &QLineEdit::textEdited, line, [line](const QString& text) {
                if (isAcceptablePriceText(text))
                    line->setProperty("lastValid", text);
                else
                    line->setText(line->property("lastValid").toString());
            });
        }
        return editor;
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (line && index.column() == DeliveryMethodsModel::PriceColumn
            && !isAcceptablePriceText(line->text())) {
            model->setData(index, line->property("lastValid").toString());
            return;
        }
        QStyledItemDelegate::setModelData(editor, model, index);
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        QStyledItemDelegate::setEditorData(editor, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            line->setProperty("lastValid", line->text());
    }
};

} // namespace

DeliveryGridView::DeliveryGridView(QWidget* parent) : QTableView(parent)
{
    setItemDelegate(new DeliveryDelegate(this));
    verticalHeader()->setDefaultSectionSize(24);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setFixedWidth(12);
    verticalHeader()->setSectionsMovable(true); // rows are reordered by dragging their header
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed);
    setTabKeyNavigation(true);
    connect(verticalHeader(), &QHeaderView::sectionMoved, this, [this](int, int from, int to) {
        // Keep the model in the shown order, then put the header back to identity.
        verticalHeader()->blockSignals(true);
        verticalHeader()->moveSection(to, from);
        verticalHeader()->blockSignals(false);
        if (model())
            model()->moveRows({}, from, 1, {}, to > from ? to + 1 : to);
    });
}

bool DeliveryGridView::toggleIfMark(const QModelIndex& index)
{
    auto* m = qobject_cast<DeliveryMethodsModel*>(model());
    if (!m || !index.isValid() || index.column() != DeliveryMethodsModel::MarkColumn)
        return false;
    m->toggleMark(index.row());
    return true;
}

void DeliveryGridView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && toggleIfMark(indexAt(event->position().toPoint()))) {
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void DeliveryGridView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // A double click is two clicks on the mark: each toggles, as the press handler does.
    if (toggleIfMark(indexAt(event->position().toPoint()))) {
        event->accept();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}

QModelIndex DeliveryGridView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex target = QTableView::moveCursor(cursorAction, modifiers);
    if (toggleIfMark(target))
        return currentIndex(); // the move is refused
    return target;
}
