#include "ui/kalmenor/productlistmodel.h"

ProductListModel::ProductListModel(QObject* parent) : DataSetModel(parent)
{
    setReadOnly(true);
}

QStringList ProductListModel::shownColumns()
{
    return {QStringLiteral("SWW"), QStringLiteral("Nazwa"),      QStringLiteral("CenaNetto"),
            QStringLiteral("VAT"), QStringLiteral("CenaBrutto"), QStringLiteral("Opis")};
}

QString ProductListModel::captionOf(const QString& column)
{
    static const QHash<QString, QString> captions = {
        {QStringLiteral("SWW"), QStringLiteral("Picture")},
        {QStringLiteral("Nazwa"), QStringLiteral("Name")},
        {QStringLiteral("CenaNetto"), QStringLiteral("Price net")},
        {QStringLiteral("VAT"), QStringLiteral("VAT")},
        {QStringLiteral("CenaBrutto"), QStringLiteral("Price gross")},
        {QStringLiteral("Jm"), QStringLiteral("Unit")},
        {QStringLiteral("Opis"), QStringLiteral("Description")}};
    return captions.value(column, column);
}

QVariant ProductListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && dataSet() && dataSet()->isOpen()
        && section < dataSet()->fields().size())
        return captionOf(dataSet()->fields()[section].name);
    return DataSetModel::headerData(section, orientation, role);
}
