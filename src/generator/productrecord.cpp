#include "generator/productrecord.h"

#include "catalogue/categorytree.h"
#include "shell/tables/table.h"

namespace generator {

namespace columns = catalogue::products;

ProductRecord currentProductRecord(const tables::Table& table)
{
    ProductRecord record;
    record.id = table.text(columns::kId);
    record.name = table.text(columns::kName);
    record.shortDescription = table.text(columns::kShortDescription);
    record.longDescription = table.text(columns::kLongDescription);
    record.status = table.text(columns::kStatus);
    record.vat = table.text(columns::kVat);
    record.netPrice = table.number(columns::kNetPrice);
    record.grossPrice = table.number(columns::kGrossPrice);
    record.promotionNetPrice = table.number(columns::kPromoNet);
    record.promotionGrossPrice = table.number(columns::kPromoGross);
    record.hasSizes = table.logical(columns::kHasSizes);
    record.hasColours = table.logical(columns::kHasColours);
    record.hasDimensions = table.logical(columns::kHasDimensions);
    record.sizes = table.text(columns::kSizes);
    record.colours = table.text(columns::kColours);
    record.dimensions = table.text(columns::kDimensions);
    return record;
}

ProductLookup::ProductLookup(tables::Table& products) : m_products(products)
{
    const int idField = products.fieldIndex(columns::kId);
    if (idField < 0)
        return;
    const int count = products.recordCount();
    m_indexByFoldedId.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QString id = products.textAt(i, idField);
        const QString folded = id.toCaseFolded();
        if (!m_indexByFoldedId.contains(folded))
            m_indexByFoldedId.insert(folded, {i, id});
    }
}

bool ProductLookup::locate(const QString& key)
{
    const auto found = m_indexByFoldedId.constFind(key.toCaseFolded());
    if (found == m_indexByFoldedId.constEnd())
        return false;
    m_products.moveTo(found.value().index);
    return true;
}

QString ProductLookup::idFor(const QString& key) const
{
    const auto found = m_indexByFoldedId.constFind(key.toCaseFolded());
    return found == m_indexByFoldedId.constEnd() ? QString() : found.value().id;
}

} // namespace generator
