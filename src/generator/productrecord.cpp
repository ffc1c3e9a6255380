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

ProductLookup::ProductLookup(tables::Table& products) : m_products(products)
{
    const int idField = products.fieldIndex(columns::kId);
    if (idField < 0 || !products.isOpen())
        return;
    QStringList selectList;
    for (int i = 0; i < products.fields().size(); ++i) {
        const tables::Field& field = products.fields()[i];
        selectList << tables::quoteIdentifier(field.name);
        m_types << int(field.type);
        m_columns.insert(field.name.toCaseFolded(), i);
    }
    // The columns of a record, looked up once: a run finds every product several times.
    for (const QString& name :
         {columns::kId, columns::kName, columns::kShortDescription, columns::kLongDescription,
          columns::kStatus, columns::kVat, columns::kNetPrice, columns::kGrossPrice, columns::kPromoNet,
          columns::kPromoGross, columns::kHasSizes, columns::kHasColours, columns::kHasDimensions,
          columns::kSizes, columns::kColours, columns::kDimensions})
        m_columnOf.insert(name, m_columns.value(name.toCaseFolded(), -1));
    QString sql =
        QStringLiteral("SELECT %1 FROM %2").arg(selectList.join(QStringLiteral(", ")), products.sqlName());
    if (!products.filter().trimmed().isEmpty())
        sql += QStringLiteral(" WHERE (%1)").arg(products.filter());
    sql += QStringLiteral(" ORDER BY rowid"); // the order of the table's view
    m_rows = products.connection().select(sql);
    m_records.resize(m_rows.size());
    m_indexByFoldedId.reserve(m_rows.size());
    for (int i = 0; i < m_rows.size(); ++i) {
        const QString id = tables::valueToText(m_rows[i].value(idField), products.fields()[idField].type);
        const QString folded = id.toCaseFolded();
        if (!m_indexByFoldedId.contains(folded))
            m_indexByFoldedId.insert(folded, {i, id});
    }
}

std::optional<ProductRecord> ProductLookup::find(const QString& key) const
{
    const auto found = m_indexByFoldedId.constFind(key.toCaseFolded());
    if (found == m_indexByFoldedId.constEnd())
        return std::nullopt;
    std::optional<ProductRecord>& cached = m_records[found.value().index];
    if (cached)
        return cached;
    const QVector<QVariant>& row = m_rows[found.value().index];
    const auto value = [&](const QString& name) {
        const int column = m_columnOf.value(name, -1);
        if (column < 0)
            throw shell::AppError(QStringLiteral("Field '%1' not found").arg(name));
        return std::pair<QVariant, int>(row.value(column), m_types[column]);
    };
    // The same conversions as the table's text(), number() and logical().
    const auto text = [&](const QString& name) {
        const auto [v, type] = value(name);
        return tables::valueToText(v, tables::FieldType(type));
    };
    const auto number = [&](const QString& name) {
        const QVariant v = value(name).first;
        if (v.isNull())
            return 0.0;
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok)
            throw shell::AppError(
                m_products.sourceName()
                + QStringLiteral(": '%1' is not a valid number in field '%2'").arg(v.toString(), name));
        return d;
    };
    const auto logical = [&](const QString& name) {
        const QVariant v = value(name).first;
        if (v.typeId() == QMetaType::QString) {
            const QString s = v.toString().trimmed().toUpper();
            return s == QLatin1String("T") || s == QLatin1String("TRUE") || s == QLatin1String("Y")
                   || s == QLatin1String("1");
        }
        return v.toLongLong() != 0;
    };
    ProductRecord record;
    record.id = text(columns::kId);
    record.name = text(columns::kName);
    record.shortDescription = text(columns::kShortDescription);
    record.longDescription = text(columns::kLongDescription);
    record.status = text(columns::kStatus);
    record.vat = text(columns::kVat);
    record.netPrice = number(columns::kNetPrice);
    record.grossPrice = number(columns::kGrossPrice);
    record.promotionNetPrice = number(columns::kPromoNet);
    record.promotionGrossPrice = number(columns::kPromoGross);
    record.hasSizes = logical(columns::kHasSizes);
    record.hasColours = logical(columns::kHasColours);
    record.hasDimensions = logical(columns::kHasDimensions);
    record.sizes = text(columns::kSizes);
    record.colours = text(columns::kColours);
    record.dimensions = text(columns::kDimensions);
    cached = record;
    return record;
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
