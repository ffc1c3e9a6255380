#pragma once

#include <QHash>
#include <QVariant>
#include <QVector>

#include <QString>
#include <optional>
#include <vector>

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
// (and its file locks) per lookup, so the records of the view are read and converted once, in view order,
// with one statement. The first record with an ID wins, as with locate. Once made it does not change, so
// the writer threads may read it beside the thread that made it.
class ProductLookup {
public:
    explicit ProductLookup(const tables::Table& products);

    // The product whose ID equals key (without regard to case); null when there is none. The record lives
    // as long as the lookup. Throws AppError when a price of the record is not a number, as reading it
    // from the table does.
    const ProductRecord* record(const QString& key) const;
    // The same as a copy; empty when there is none.
    std::optional<ProductRecord> find(const QString& key) const;
    // Every product it finds (the first record of each ID) in view order, but those whose prices cannot
    // be read.
    std::vector<const ProductRecord*> products() const;

private:
    QHash<QString, int> m_indexByFoldedId; // the first record of each ID
    std::vector<ProductRecord> m_records;  // in view order
    std::vector<QString> m_errors;         // why a record could not be read; empty when it could
    std::vector<int> m_firstRecords;       // the indices of the first record of each ID
};

} // namespace generator
