#pragma once

#include <QHash>
#include <QString>

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

// Positions the products table on a product by its key. Every writer looks products up once per tree
// entry; the table's own locate reads the whole table each time, so the IDs are gathered once and each
// lookup is a hash probe plus a move to the record. The first record with an ID wins, as with locate.
class ProductLookup {
public:
    explicit ProductLookup(tables::Table& products);

    // Makes the product whose ID equals key (without regard to case) current; false when there is none.
    bool locate(const QString& key);
    // The ID of the product locate(key) would find, without moving; empty when there is none.
    QString idFor(const QString& key) const;

private:
    struct Found {
        int index;
        QString id;
    };
    tables::Table& m_products;
    QHash<QString, Found> m_indexByFoldedId;
};

} // namespace generator
