#include "catalogue/productlists.h"

#include "catalogue/categorytree.h"
#include "shell/tables/query.h"

namespace catalogue {
namespace {

// A table file named in a statement: quoted, an apostrophe inside the path doubled.
QString quotedPath(const QString& path)
{
    QString p = path;
    p.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + p + QLatin1Char('\'');
}

} // namespace

QString listColumn(VariantList list)
{
    switch (list) {
    case VariantList::Sizes:
        return products::kSizes;
    case VariantList::Colours:
        return products::kColours;
    case VariantList::Dimensions:
        return products::kDimensions;
    }
    return {};
}

QString switchColumn(VariantList list)
{
    switch (list) {
    case VariantList::Sizes:
        return products::kHasSizes;
    case VariantList::Colours:
        return products::kHasColours;
    case VariantList::Dimensions:
        return products::kHasDimensions;
    }
    return {};
}

QString listEditorCaption(VariantList list)
{
    switch (list) {
    case VariantList::Sizes:
        return QStringLiteral("Edit size list");
    case VariantList::Colours:
        return QStringLiteral("Edit color list");
    case VariantList::Dimensions:
        return QStringLiteral("Edit dimension list");
    }
    return {};
}

QStringList loadVariantList(const tables::DataSet& products, VariantList list)
{
    if (!products.isOpen() || products.isEmpty())
        return {};
    return products::splitList(products.text(listColumn(list)));
}

QVector<ProductListSource> productsWithList(const QString& productsTablePath, VariantList list)
{
    const QString column = listColumn(list);
    tables::Query query;
    query.open(QStringLiteral("Select Nazwa,Rozmiar,Kolor,Wymiar from ") + quotedPath(productsTablePath)
               + QStringLiteral(" where ") + column + QStringLiteral(" !=''"));
    QVector<ProductListSource> out;
    const int nameField = query.fieldIndex(products::kName);
    const int listField = query.fieldIndex(column);
    for (int i = 0; i < query.recordCount(); ++i)
        out.append({query.textAt(i, nameField), query.textAt(i, listField)});
    return out;
}

QStringList listOfProduct(const QVector<ProductListSource>& sources, const QString& name)
{
    for (const ProductListSource& s : sources)
        if (s.name.compare(name, Qt::CaseInsensitive) == 0)
            return products::splitList(s.encodedList);
    return {};
}

QStringList productNamesNewestFirst(const QString& productsTablePath)
{
    tables::Query query;
    query.open(QStringLiteral("select Nazwa from ") + quotedPath(productsTablePath));
    QStringList names;
    for (int i = query.recordCount() - 1; i >= 0; --i)
        names << query.textAt(i, 0);
    return names;
}

QString encodeGridRows(const QStringList& rows)
{
    QString out;
    for (const QString& row : rows)
        if (!row.isEmpty())
            out += row + QLatin1Char('|');
    return out;
}

int editorRowCount(int items)
{
    return std::max(20, items);
}

} // namespace catalogue
