#pragma once

#include "ui/common/datasetmodel.h"

// The products list: the table's records with the list's captions over the columns it shows.
class ProductListModel : public DataSetModel {
    Q_OBJECT
public:
    explicit ProductListModel(QObject* parent = nullptr);
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Columns of the list in their order, and their captions.
    static QStringList shownColumns();
    static QString captionOf(const QString& column);
};
