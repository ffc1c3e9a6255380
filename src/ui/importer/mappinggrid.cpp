#include "ui/importer/mappinggrid.h"

#include <QHeaderView>
#include <QMouseEvent>

MappingGrid::MappingGrid(QWidget* parent) : QTableWidget(0, 3, parent)
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setColumnWidth(NumberColumn, 20);
    setColumnWidth(MarkerColumn, 35);
    setColumnWidth(FieldColumn, 90);
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->setDefaultSectionSize(20);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    connect(this, &QTableWidget::currentCellChanged, this, &MappingGrid::cellBecameCurrent);
}

QTableWidgetItem* MappingGrid::fixedItem(const QString& text) const
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled); // fixed cells cannot be selected
    item->setBackground(palette().button());
    return item;
}

void MappingGrid::setFields(const QStringList& names, const QVector<int>& indexes)
{
    const QSignalBlocker quiet(this);
    clearContents();
    setRowCount(int(names.size()));
    for (int j = 0; j < names.size(); ++j) {
        setItem(j, NumberColumn, fixedItem(QString::number(j)));
        setItem(j, MarkerColumn, fixedItem(QString()));
        auto* name = new QTableWidgetItem(names[j]);
        name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        name->setData(Qt::UserRole, indexes.value(j, -1));
        setItem(j, FieldColumn, name);
    }
    setCurrentCell(-1, -1);
}

void MappingGrid::setMapping(const importer::Mapping& rows)
{
    QStringList names;
    QVector<int> indexes;
    for (const importer::MappingRow& row : rows) {
        names << row.field;
        indexes << row.index;
    }
    setFields(names, indexes);
    for (int r = 0; r < rows.size(); ++r)
        if (rows[r].skipped)
            item(r, MarkerColumn)->setText(importer::skipMarker());
}

void MappingGrid::clearFields()
{
    const QSignalBlocker quiet(this);
    clearContents();
    setRowCount(0);
}

QString MappingGrid::fieldAt(int row) const
{
    const QTableWidgetItem* i = item(row, FieldColumn);
    return i ? i->text() : QString();
}

bool MappingGrid::isSkipped(int row) const
{
    const QTableWidgetItem* i = item(row, MarkerColumn);
    return i && i->text() == importer::skipMarker();
}

importer::Mapping MappingGrid::mapping() const
{
    importer::Mapping rows;
    for (int r = 0; r < rowCount(); ++r) {
        const QTableWidgetItem* name = item(r, FieldColumn);
        rows.push_back({fieldAt(r), isSkipped(r), name ? name->data(Qt::UserRole).toInt() : -1});
    }
    return rows;
}

void MappingGrid::cellBecameCurrent(int row, int column, int previousRow, int previousColumn)
{
    if (row < 0 || column != FieldColumn || (row == previousRow && column == previousColumn))
        return;
    QTableWidgetItem* marker = item(row, MarkerColumn);
    if (marker)
        marker->setText(isSkipped(row) ? QString() : importer::skipMarker());
}

QModelIndex MappingGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    // Only the field names can be selected: the cursor moves up and down their column.
    QModelIndex moved = QTableWidget::moveCursor(action, modifiers);
    if (!moved.isValid())
        return moved;
    return model()->index(moved.row(), FieldColumn);
}

void MappingGrid::moveRow(int from, int to)
{
    if (from == to || from < 0 || to < 0 || from >= rowCount() || to >= rowCount())
        return;
    const QSignalBlocker quiet(this);
    QList<QTableWidgetItem*> taken;
    for (int c = 0; c < columnCount(); ++c)
        taken << takeItem(from, c);
    removeRow(from);
    insertRow(to);
    for (int c = 0; c < columnCount(); ++c)
        setItem(to, c, taken[c]);
    setCurrentCell(-1, -1);
}

void MappingGrid::renumber()
{
    for (int r = 0; r < rowCount(); ++r)
        if (QTableWidgetItem* number = item(r, NumberColumn))
            number->setText(QString::number(r));
}

void MappingGrid::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex at = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && at.isValid() && at.column() != FieldColumn) {
        // The fixed cells are the handle for dragging a row.
        m_dragRow = at.row();
        return;
    }
    m_dragRow = -1;
    QTableWidget::mousePressEvent(event);
}

void MappingGrid::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_dragRow >= 0) {
        const QModelIndex at = indexAt(event->position().toPoint());
        if (at.isValid())
            moveRow(m_dragRow, at.row());
        m_dragRow = -1;
    } else {
        QTableWidget::mouseReleaseEvent(event);
    }
    renumber();
}
