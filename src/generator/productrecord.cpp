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
    QVector<int> types; // the field type of each column, as tables::FieldType
    QHash<QString, int> columnsByFoldedName;
    for (int i = 0; i < products.fields().size(); ++i) {
        const tables::Field& field = products.fields()[i];
        selectList << tables::quoteIdentifier(field.name);
        types << int(field.type);
        columnsByFoldedName.insert(field.name.toCaseFolded(), i);
    }
    QHash<QString, int> columnOf; // the columns a record is read from, by their names; -1 when missing
    for (const QString& name :
         {columns::kId, columns::kName, columns::kShortDescription, columns::kLongDescription,
          columns::kStatus, columns::kVat, columns::kNetPrice, columns::kGrossPrice, columns::kPromoNet,
          columns::kPromoGross, columns::kHasSizes, columns::kHasColours, columns::kHasDimensions,
          columns::kSizes, columns::kColours, columns::kDimensions})
        columnOf.insert(name, columnsByFoldedName.value(name.toCaseFolded(), -1));
    QString sql =
        QStringLiteral("SELECT %1 FROM %2").arg(selectList.join(QStringLiteral(", ")), products.sqlName());
    if (!products.filter().trimmed().isEmpty())
        sql += QStringLiteral(" WHERE (%1)").arg(products.filter());
    sql += QStringLiteral(" ORDER BY rowid"); // the order of the table's view
    const QVector<QVector<QVariant>> rows = products.connection().select(sql);

    // The same conversions as the table's text(), number() and logical().
    const QVector<QVariant>* row = nullptr;
    const auto value = [&](const QString& name) {
        const int column = columnOf.value(name, -1);
        if (column < 0)
            throw shell::AppError(QStringLiteral("Field '%1' not found").arg(name));
        return std::pair<QVariant, int>(row->value(column), types[column]);
    };
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
    m_records.resize(size_t(rows.size()));
    m_errors.resize(size_t(rows.size()));
    m_indexByFoldedId.reserve(rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        row = &rows[i];
        const QString id = tables::valueToText(row->value(idField), products.fields()[idField].type);
        const QString folded = id.toCaseFolded();
        if (m_indexByFoldedId.contains(folded))
            continue; // never found: the first record with the ID wins
        m_indexByFoldedId.insert(folded, {i, id});
        ProductRecord& record = m_records[size_t(i)];
        try {
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
    const size_t index = size_t(found.value().index);
    if (!m_errors[index].isEmpty())
        throw shell::AppError(m_errors[index]);
    return &m_records[index];
}

std::optional<ProductRecord> ProductLookup::find(const QString& key) const
{
    const ProductRecord* found = record(key);
    if (!found)
        return std::nullopt;
    return *found;
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
