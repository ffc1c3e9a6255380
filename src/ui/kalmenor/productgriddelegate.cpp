#include "ui/kalmenor/productgriddelegate.h"

#include "catalogue/categorytree.h"
#include "catalogue/pictures.h"
#include "shell/tables/dataset.h"

#include <QFileInfo>
#include <QPainter>

ProductGridDelegate::ProductGridDelegate(const tables::DataSet& products, const QString& picturesFolder,
                                         QObject* parent)
    : QStyledItemDelegate(parent), m_products(products), m_pictures(picturesFolder), m_thumbnails(400)
{
}

QColor ProductGridDelegate::rowColour(int recordNumber)
{
    return recordNumber % 2 == 1 ? QColor(0xCE, 0xCE, 0xE8) : QColor(0xB4, 0xB4, 0xF0);
}

const QImage* ProductGridDelegate::thumbnail(const QString& id, const QSize& cell) const
{
    const QString path =
        catalogue::pictures::productPicture(m_pictures, id, catalogue::pictures::Size::Small);
    if (path.isEmpty())
        return nullptr;
    if (QImage* cached = m_thumbnails.object(path))
        return cached->isNull() ? nullptr : cached;
    auto* image = new QImage;
    if (QFileInfo::exists(path)) {
        try {
            *image = catalogue::pictures::loadThumbnail(path, cell);
        } catch (const std::exception&) {
            *image = QImage(); // not a picture: the cell keeps its text
        }
    }
    m_thumbnails.insert(path, image);
    return image->isNull() ? nullptr : image;
}

void ProductGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const
{
    if (!m_products.isOpen() || index.row() >= m_products.recordCount())
        return;
    const QString column = m_products.fields().value(index.column()).name;
    QColor background = rowColour(index.row() + 1);
    QFont font = option.font;
    font.setPointSize(8);
    if (column.compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0)
        background = QColor(0xD7, 0xD7, 0xD7);
    if (column == catalogue::products::kName)
        font.setBold(true);
    if (column == catalogue::products::kGrossPrice) {
        font.setBold(true);
        background = QColor(0x79, 0x7A, 0xB3);
    }
    painter->save();
    painter->fillRect(option.rect, background);
    painter->setFont(font);
    painter->setPen(Qt::black);
    painter->drawText(option.rect.adjusted(3, 3, -1, -1), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                      index.data(Qt::DisplayRole).toString());
    if (column == catalogue::products::kClassCode) {
        const int idField = m_products.fieldIndex(catalogue::products::kId);
        const QString id = idField >= 0 ? m_products.textAt(index.row(), idField) : QString();
        if (!id.isEmpty()) {
            if (const QImage* image = thumbnail(id, option.rect.size()))
                painter->drawImage(option.rect, *image);
        }
    }
    if (option.state & QStyle::State_Selected) {
        // Whole-row selection: a frame, so the row colours stay readable.
        painter->setPen(QPen(option.palette.highlight().color(), 2));
        painter->drawRect(option.rect.adjusted(1, 1, -1, -1));
    }
    painter->restore();
}
