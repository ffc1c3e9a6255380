#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace tables {
class DataSet;
}

namespace catalogue {

// The three variant lists of a product.
enum class VariantList { Sizes, Colours, Dimensions };

QString listColumn(VariantList list);        // Rozmiar, Kolor, Wymiar
QString switchColumn(VariantList list);      // R, K, W
QString listEditorCaption(VariantList list); // "Edit size list", ...

// The variant list loader: the items of the list column of the current record.
QStringList loadVariantList(const tables::DataSet& products, VariantList list);

// Names for "Use product list": every product whose list in the column is not empty, in query order,
// with its list, from the fixed statement over the products table file.
struct ProductListSource {
    QString name;
    QString encodedList;
};
QVector<ProductListSource> productsWithList(const QString& productsTablePath, VariantList list);
// The items of the product of that name (without regard to case); empty when there is none.
QStringList listOfProduct(const QVector<ProductListSource>& sources, const QString& name);

// Names of the add-product dialog: every product name, last record first.
QStringList productNamesNewestFirst(const QString& productsTablePath);

// The list editor's stored text: each non-empty row followed by "|".
QString encodeGridRows(const QStringList& rows);
// Rows the editor's grid needs for a list: never fewer than 20, never fewer than the items.
int editorRowCount(int items);

} // namespace catalogue
