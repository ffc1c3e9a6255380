#pragma once

#include "importer/mappingrow.h"

#include <QTableWidget>

// One side's mapping grid: row number, skip marker, field name. Selecting a row's field name toggles its
// skip marker; rows are dragged by their number cells and renumbered when the mouse is released.
class MappingGrid : public QTableWidget {
    Q_OBJECT
public:
    enum Column { NumberColumn = 0, MarkerColumn = 1, FieldColumn = 2 };

    explicit MappingGrid(QWidget* parent = nullptr);

    // names[i] is the field at row i; indexes[i] its position in the table's field list.
    void setFields(const QStringList& names, const QVector<int>& indexes);
    void clearFields();
    // Rows as a pairing made them, skip markers included.
    void setMapping(const importer::Mapping& rows);
    importer::Mapping mapping() const;
    QString fieldAt(int row) const;
    bool isSkipped(int row) const;
    void moveRow(int from, int to);
    void renumber();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    void cellBecameCurrent(int row, int column, int previousRow, int previousColumn);
    QTableWidgetItem* fixedItem(const QString& text) const;

    int m_dragRow = -1;
};
