#pragma once

#include "generator/pagewriters.h"

#include <QLocale>
#include <QSet>
#include <QString>
#include <functional>

namespace generator {

struct ProductRecord;

// The random suffixes of the tiles of one category page. The quantity field and the selects of a tile
// carry its suffix, so two tiles of one page must never share one: a drawn suffix already in use is
// drawn again.
class TileSuffixes {
public:
    static constexpr quint32 kLimit = 100'000'000; // suffixes are 0 … 99 999 999

    // random() gives any unsigned number; the default is the process's random source.
    explicit TileSuffixes(std::function<quint32()> random = {});
    int draw();
    int count() const { return int(m_used.size()); }

private:
    std::function<quint32()> m_random;
    QSet<int> m_used;
};

// The CSS line of the catalogue pages: selector "body" on a detail page, "td" on a category page.
QString catalogueStyleLine(const shell::FontSettings& font, const QString& selector);

// The selects of the switched-on variant lists and the matching cart-call arguments. The form of a
// detail page is "m" and its selects carry no suffix; a tile's selects carry its suffix in form "f".
struct VariantPieces {
    QString selects;
    QString cartArguments; // three arguments, each ",0" or ",<form>.<select>.options[…].text"
};
enum class VariantForm { DetailPage, Tile };

// A switched-on list without items gets no select; its cart argument is 0, as if the switch were off, so
// the button still works.
VariantPieces variantPieces(const ProductRecord& product, VariantForm form, int suffix = 0);
// The warning of each such list (counter + " warning: product " + node text + " size list is empty and
// can't be added to web shop"), given where the product's page or tile is made.
void warnEmptyVariantLists(GeneratorContext& context, const ProductRecord& product, const QString& nodeText);

// What every catalogue page of a run shares, made once per run rather than once per page.
struct CataloguePageParts {
    explicit CataloguePageParts(const shell::Settings& settings);
    const shell::Settings& settings;
    bool net;              // prices shown net
    bool textBelowPicture; // the text starts below a picture, not beside it
    QLocale locale;        // the system's, without group separators
    QString detailHead;    // a detail page up to the product's name
    QString detailRule;    // the line between a product's description and its price
    QString tileImageSize; // the fixed size attributes of a tile's picture, or nothing
};

// The whole detail page of a product.
QString productPageText(const CataloguePageParts& parts, const ProductRecord& product,
                        bool bigPicturePresent);

// Where a tile stands: the index of its tree node and its random suffix.
struct TilePlace {
    int nodeIndex = 0;
    int suffix = 0;
};

// The HTML of one tile of a category page.
QString productTileText(const CataloguePageParts& parts, const ProductRecord& product, const TilePlace& place,
                        bool smallPicturePresent);

// writeCategoryPages with the random source of the tile suffixes given (tests pin it).
void writeCategoryPages(GeneratorContext& context, const std::function<quint32()>& random);

// The search index line of a product page; index = lines already in the index.
QString searchIndexLine(const ProductRecord& product, int index);

} // namespace generator
