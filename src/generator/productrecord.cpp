#include "generator/productrecord.h"

#include "catalogue/categorytree.h"
#include "shell/error.h"
#include "shell/tables/connection.h"
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

ProductLookup::ProductLookup(const tables::Table& products)
{
    const int idField = products.fieldIndex(columns::kId);
    if (idField < 0 || !products.isOpen())
        return;
    // Only the columns the pages show are read; each is found by name once. A column the table lacks
    // has no place (-1) and fails the record that needs it.
    QStringList selectList;
    QVector<int> types; // the field type of each column read, as tables::FieldType
    struct Column {
        const QString& name;
        int index;
    };
    const auto column = [&](const QString& name) {
        const int field = products.fieldIndex(name);
        if (field < 0)
            return Column{name, -1};
        selectList << tables::quoteIdentifier(products.fields()[field].name);
        types << int(products.fields()[field].type);
        return Column{name, int(selectList.size()) - 1};
    };
    const Column id = column(columns::kId), name = column(columns::kName),
                 shortDescription = column(columns::kShortDescription),
                 longDescription = column(columns::kLongDescription), status = column(columns::kStatus),
                 vat = column(columns::kVat), netPrice = column(columns::kNetPrice),
                 grossPrice = column(columns::kGrossPrice), promoNet = column(columns::kPromoNet),
                 promoGross = column(columns::kPromoGross), hasSizes = column(columns::kHasSizes),
                 hasColours = column(columns::kHasColours), hasDimensions = column(columns::kHasDimensions),
                 sizes = column(columns::kSizes), colours = column(columns::kColours),
                 dimensions = column(columns::kDimensions);
    QString sql =
        QStringLiteral("SELECT %1 FROM %2").arg(selectList.join(QStringLiteral(", ")), products.sqlName());
    if (!products.filter().trimmed().isEmpty())
        sql += QStringLiteral(" WHERE (%1)").arg(products.filter());
    sql += QStringLiteral(" ORDER BY rowid"); // the order of the table's view
    const QVector<QVector<QVariant>> rows = products.connection().select(sql);

    // The same conversions as the table's text(), number() and logical().
    const QVector<QVariant>* row = nullptr;
    const auto value = [&](const Column& c) -> const QVariant& {
        if (c.index < 0)
            throw shell::AppError(QStringLiteral("Field '%1' not found").arg(c.name));
        return (*row)[c.index];
    };
    const auto text = [&](const Column& c) {
        return tables::valueToText(value(c), tables::FieldType(types[c.index]));
    };
    const auto number = [&](const Column& c) {
        const QVariant& v = value(c);
        if (v.isNull())
            return 0.0;
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok)
            throw shell::AppError(
                products.sourceName()
                + QStringLiteral(": '%1' is not a valid number in field '%2'").arg(v.toString(), c.name));
        return d;
    };
    const auto logical = [&](const Column& c) {
        const QVariant& v = value(c);
        if (v.typeId() == QMetaType::QString) {
            const QString s = v.toString().trimmed().toUpper();
            return s == QLatin1String("T") || s == QLatin1String("TRUE") || s == QLatin1String("Y")
                   || s == QLatin1String("1");
        }
        return v.toLongLong() != 0;
    };
    m_records.resize(size_t(rows.size()));
    m_errors.resize(size_t(rows.size()));
    m_indexByFoldedId.reserve(rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        row = &rows[i];
        const QString key = tables::valueToText(row->value(id.index), products.fields()[idField].type);
        const QString folded = key.toCaseFolded();
        if (m_indexByFoldedId.contains(folded))
            continue; // never found: the first record with the ID wins
        m_indexByFoldedId.insert(folded, i);
        m_firstRecords.push_back(i);
        ProductRecord& record = m_records[size_t(i)];
        try {
            record.id = text(id);
            record.name = text(name);
            record.shortDescription = text(shortDescription);
            record.longDescription = text(longDescription);
            record.status = text(status);
            record.vat = text(vat);
            record.netPrice = number(netPrice);
            record.grossPrice = number(grossPrice);
            record.promotionNetPrice = number(promoNet);
            record.promotionGrossPrice = number(promoGross);
            record.hasSizes = logical(hasSizes);
            record.hasColours = logical(hasColours);
            record.hasDimensions = logical(hasDimensions);
            record.sizes = text(sizes);
            record.colours = text(colours);
            record.dimensions = text(dimensions);
        } catch (const shell::AppError& e) {
            // Told when a page asks for the product, as reading that record from the table would.
            m_errors[size_t(i)] = e.message();
        }
    }
}

const ProductRecord* ProductLookup::record(const QString& key) const
{
    const auto found = m_indexByFoldedId.constFind(key.toCaseFolded());
    if (found == m_indexByFoldedId.constEnd())
        return nullptr;
    const size_t index = size_t(found.value());
    if (!m_errors[index].isEmpty())
        throw shell::AppError(m_errors[index]);
    return &m_records[index];
}

std::vector<const ProductRecord*> ProductLookup::products() const
{
    std::vector<const ProductRecord*> found;
    found.reserve(m_firstRecords.size());
    for (const int index : m_firstRecords) {
        if (m_errors[size_t(index)].isEmpty())
            found.push_back(&m_records[size_t(index)]);
    }
    return found;
}

std::optional<ProductRecord> ProductLookup::find(const QString& key) const
{
    const ProductRecord* found = record(key);
    if (!found)
        return std::nullopt;
    return *found;
}

} // namespace generator
