#pragma once

#include "shell/tables/dataset.h"

#include <QAbstractTableModel>
#include <QPointer>

namespace shell {
class Interaction;
}

// A grid model over a table or query result. Rows are fetched as the view asks for them, so a grid over
// 200,000 records reads only what it shows. Editing a cell stores the record at once; an error goes to
// the interaction's error box and the record stays as it was.
class DataSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataSetModel(QObject* parent = nullptr);

    void setDataSet(tables::DataSet* dataSet);
    tables::DataSet* dataSet() const { return m_dataSet; }
    void setInteraction(shell::Interaction* interaction) { m_interaction = interaction; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    void reset();

    QPointer<tables::DataSet> m_dataSet;
    shell::Interaction* m_interaction = nullptr;
    bool m_readOnly = false;
};
