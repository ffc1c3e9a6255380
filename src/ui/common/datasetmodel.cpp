#include "ui/common/datasetmodel.h"

#include "shell/error.h"
#include "shell/interaction.h"

DataSetModel::DataSetModel(QObject* parent) : QAbstractTableModel(parent) {}

void DataSetModel::setDataSet(tables::DataSet* dataSet)
{
    if (m_dataSet)
        disconnect(m_dataSet, nullptr, this, nullptr);
    beginResetModel();
    m_dataSet = dataSet;
    endResetModel();
    if (!m_dataSet)
        return;
    connect(m_dataSet, &tables::DataSet::viewChanged, this, &DataSetModel::reset);
    connect(m_dataSet, &tables::DataSet::recordChanged, this,
            [this](int row) { Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1)); });
    connect(m_dataSet, &QObject::destroyed, this, &DataSetModel::reset);
}

void DataSetModel::reset()
{
    beginResetModel();
    endResetModel();
}

int DataSetModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_dataSet || !m_dataSet->isOpen())
        return 0;
    return m_dataSet->recordCount();
}

int DataSetModel::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_dataSet || !m_dataSet->isOpen())
        return 0;
    return int(m_dataSet->fields().size());
}

QVariant DataSetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_dataSet || !m_dataSet->isOpen() || index.row() >= m_dataSet->recordCount())
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const tables::Field& f = m_dataSet->fields()[index.column()];
    if (f.type == tables::FieldType::Binary || f.type == tables::FieldType::Graphic)
        return role == Qt::DisplayRole ? QStringLiteral("(%1)").arg(tables::typeName(f.type)) : QVariant();
    try {
        return m_dataSet->textAt(index.row(), index.column());
    } catch (const std::exception& e) {
        return role == Qt::DisplayRole ? QVariant(shell::messageOf(e)) : QVariant();
    }
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || !m_dataSet || !m_dataSet->isOpen())
        return {};
    if (orientation == Qt::Horizontal)
        return section < m_dataSet->fields().size() ? m_dataSet->fields()[section].name : QString();
    return section + 1;
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && m_dataSet && !m_readOnly && m_dataSet->fields()[index.column()].modifiable) {
        const auto t = m_dataSet->fields()[index.column()].type;
        if (t != tables::FieldType::Binary && t != tables::FieldType::Graphic)
            f |= Qt::ItemIsEditable;
    }
    return f;
}

bool DataSetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || !m_dataSet)
        return false;
    try {
        m_dataSet->moveTo(index.row());
        m_dataSet->setText(m_dataSet->fields()[index.column()].name, value.toString());
        m_dataSet->post();
        return true;
    } catch (const std::exception& e) {
        if (m_dataSet->state() != tables::DataSet::State::Browse)
            m_dataSet->cancel();
        if (m_interaction)
            m_interaction->error(shell::messageOf(e));
        return false;
    }
}
