#pragma once

#include <QCache>
#include <QImage>
#include <QStyledItemDelegate>

namespace tables {
class DataSet;
}

// Draws the products list: row colours by record number, the name bold, the gross price bold on its own
// colour, and in the picture column the product's small picture stretched over the cell.
class ProductGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    ProductGridDelegate(const tables::DataSet& products, const QString& picturesFolder,
                        QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    // Forgets cached pictures (after one was loaded or deleted).
    void forgetPictures() { m_thumbnails.clear(); }

    static QColor rowColour(int recordNumber);

private:
    const QImage* thumbnail(const QString& id, const QSize& cell) const;

    const tables::DataSet& m_products;
    QString m_pictures;
    mutable QCache<QString, QImage> m_thumbnails;
};
