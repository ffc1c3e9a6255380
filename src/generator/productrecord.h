#pragma once

#include <QHash>
#include <QVariant>
#include <QVector>

#include <QString>
#include <optional>

namespace tables {
class Table;
}

namespace generator {

// The columns of one `Produkty` record that the shop pages show.
struct ProductRecord {
    QString id;
    QString name;
    QString shortDescription; // Opis
    QString longDescription;  // Opis2
    QString status;
    QString vat;
    double netPrice = 0;
    double grossPrice = 0;
    double promotionNetPrice = 0;
    double promotionGrossPrice = 0;
    bool hasSizes = false;      // R
    bool hasColours = false;    // K
    bool hasDimensions = false; // W
    QString sizes;              // Rozmiar, list encoding "S|M|L|"
    QString colours;            // Kolor
    QString dimensions;         // Wymiar
};

// The current record of the products table.
ProductRecord currentProductRecord(const tables::Table& products);

// Finds products by their key for the page writers. Every writer looks products up once per tree entry;
// the table's own locate reads the whole table each time, and reading record by record costs a statement
// (and its file locks) per lookup, so the records of the view are read once, in view order, with one
// statement. The first record with an ID wins, as with locate.
class ProductLookup {
public:
    explicit ProductLookup(tables::Table& products);

    // The product whose ID equals key (without regard to case); empty when there is none. Throws
    // AppError when a price of the record is not a number, as reading it from the table does.
    std::optional<ProductRecord> find(const QString& key) const;
    // The same, also making the product the table's current record.
    bool locate(const QString& key);
    // The ID of the product find(key) would give; empty when there is none.
    QString idFor(const QString& key) const;

private:
    struct Found {
        int index;
        QString id;
    };
    tables::Table& m_products;
    QHash<QString, Found> m_indexByFoldedId;
    QVector<QVector<QVariant>> m_rows;
    QVector<int> m_types; // the field type of each column, as tables::FieldType
    // Records converted once: the page writers of a run find every product several times.
    mutable QVector<std::optional<ProductRecord>> m_records;
    QHash<QString, int> m_columns;  // by folded name
    QHash<QString, int> m_columnOf; // the columns find() reads, by their names; -1 when missing
};

} // namespace generator
