#include "generator/productpages.h"

#include "catalogue/categorytree.h"
#include "generator/priceblock.h"
#include "generator/productrecord.h"
#include "generator/savepage.h"
#include "generator/scriptescaping.h"
#include "generator/shoppictures.h"
#include "shell/tables/table.h"

#include <QLocale>
#include <QRandomGenerator>

#include <algorithm>
#include <memory>
#include <vector>

namespace generator {

namespace {

using catalogue::TreeNode;
using scriptescaping::htmlAttribute;
using scriptescaping::scriptInAttribute;

const QString kQuantityCheck =
    QStringLiteral(" value=\"1\" size=\"2\" ONKEYUP=\"if(isNaN(value)==true){alert('Enter the correct "
                   "value!');value='1';}\" >");

bool textBelowPicture(const shell::Settings& settings)
{
    return settings.options.textFlow == 1;
}

bool showsNetPrices(const shell::Settings& settings)
{
    return settings.options.priceListNet;
}

int columnCount(const shell::Settings& settings)
{
    // An unchosen column count falls back to the default of four tiles per row.
    const int count = settings.options.columnCount();
    return count >= 1 ? count : 4;
}

struct VariantList {
    bool enabled;
    const QString& encoded;
    const char* heading;
    const char* selectName;
    const char* listWord;
};

QString pagesOpener(const QString& id)
{
    return QStringLiteral("parent.body.document.location.href='") + scriptInAttribute(id)
           + QStringLiteral(".html'");
}

QString bigPictureSource(const GeneratorContext& context, const QString& id)
{
    return catalogue::products::bigPicturePath(context.folder().pictures(), id);
}

QString smallPictureSource(const GeneratorContext& context, const QString& id)
{
    return catalogue::products::smallPicturePath(context.folder().pictures(), id);
}

enum class PictureSize { Small, Big };

// The picture files of the products a pass shows and their places in the shop, to be copied at once.
QVector<QPair<QString, QString>> pictureSources(const GeneratorContext& context,
                                                const std::vector<TreeNode*>& nodes,
                                                const ProductLookup& lookup, PictureSize size)
{
    QVector<QPair<QString, QString>> pictures;
    for (const TreeNode* node : nodes) {
        if (!node->isProduct())
            continue;
        const QString id = lookup.idFor(node->key());
        if (!isSafeFileKey(id))
            continue;
        if (size == PictureSize::Small)
            pictures.append(
                {smallPictureSource(context, id), context.imageFile(id + QStringLiteral("M.jpg"))});
        else
            pictures.append({bigPictureSource(context, id), context.imageFile(id + QStringLiteral("D.jpg"))});
    }
    return pictures;
}

// The same catalogue gives the same pages: a page's tile suffixes come from a generator seeded by its
// file name (FNV-1a of its UTF-16 text, stable across runs and machines).
std::function<quint32()> seededBy(const QString& fileName)
{
    quint32 hash = 2166136261u;
    for (const QChar c : fileName) {
        hash ^= c.unicode();
        hash *= 16777619u;
    }
    auto generator = std::make_shared<QRandomGenerator>(hash);
    return [generator] { return generator->generate(); };
}

} // namespace

TileSuffixes::TileSuffixes(std::function<quint32()> random) : m_random(std::move(random))
{
    if (!m_random)
        m_random = [] { return QRandomGenerator::global()->generate(); };
}

int TileSuffixes::draw()
{
    // A page holds far fewer tiles than there are suffixes, so this ends after a draw or two.
    for (;;) {
        const int suffix = int(m_random() % kLimit);
        if (!m_used.contains(suffix)) {
            m_used.insert(suffix);
            return suffix;
        }
    }
}

QString catalogueStyleLine(const shell::FontSettings& font, const QString& selector)
{
    return QStringLiteral("<style>") + selector + QStringLiteral("{font-family: ") + font.family
           + QStringLiteral(";color: ") + colorToHtml(font.color) + QStringLiteral(";font-size: ") + font.size
           + QStringLiteral(";margin: ") + font.margin + QStringLiteral(";letter-spacing: ")
           + font.letterSpacing + QStringLiteral(";word-spacing: ") + font.wordSpacing
           + QStringLiteral("}</style>");
}

VariantPieces variantPieces(GeneratorContext& context, const ProductRecord& product, const QString& nodeText,
                            VariantForm form, int suffix)
{
    const VariantList lists[] = {
        {product.hasSizes, product.sizes, "Size", "R", "size"},
        {product.hasColours, product.colours, "Color", "K", "color"},
        {product.hasDimensions, product.dimensions, "Dimensions", "W", "dimensions"},
    };
    const bool tile = form == VariantForm::Tile;
    const QString formName = tile ? QStringLiteral("f") : QStringLiteral("m");
    const QString suffixText = tile ? QString::number(suffix) : QString();

    VariantPieces pieces;
    for (const VariantList& list : lists) {
        const QStringList items = list.enabled ? catalogue::products::splitList(list.encoded) : QStringList();
        if (list.enabled && items.isEmpty()) {
            context.warn(QStringLiteral(" warning: product ") + nodeText + QLatin1Char(' ')
                         + QLatin1String(list.listWord)
                         + QStringLiteral(" list is empty and can't be added to web shop"));
        }
        if (items.isEmpty()) {
            pieces.cartArguments += QStringLiteral(",0");
            continue;
        }
        const QString select = formName + QLatin1Char('.') + QLatin1String(list.selectName) + suffixText;
        pieces.cartArguments += QLatin1Char(',') + select + QStringLiteral(".options[") + select
                                + QStringLiteral(".selectedIndex].text");
        pieces.selects += QLatin1String(list.heading);
        if (tile) {
            pieces.selects += QStringLiteral(" <select name=\"") + QLatin1String(list.selectName) + suffixText
                              + QStringLiteral("\"size=\"1\">");
        } else {
            pieces.selects += QStringLiteral(" <select name=\"") + QLatin1String(list.selectName)
                              + QStringLiteral("\" size=\"1\">");
        }
        for (const QString& item : items)
            pieces.selects += QStringLiteral("<option>") + item + QStringLiteral("</option>");
        pieces.selects += QStringLiteral("</select> ");
    }
    return pieces;
}

QString productPageText(GeneratorContext& context, const ProductRecord& product, const QString& nodeText,
                        bool bigPicturePresent)
{
    const shell::Settings& settings = context.settings();
    const bool net = showsNetPrices(settings);

    QString page = commonHeadBlock();
    page += kGeneratorTagLowerWithHead;
    page += QStringLiteral("<script language=\"Javascript\" SRC=\"sk.js\"></script>");
    page += catalogueStyleLine(settings.font, QStringLiteral("body"));
    page += QStringLiteral("<form name=\"m\"><BODY bgcolor=\"#ffffff\">");
    page += QStringLiteral("<p><b>") + product.name;
    if (bigPicturePresent) {
        page += QStringLiteral("<img align=left SRC=\"img/") + htmlAttribute(product.id)
                + QStringLiteral("D.jpg\" BORDER=0 VSPACE=10>");
    }
    if (textBelowPicture(settings))
        page += QStringLiteral("<BR clear=all>");
    page += QStringLiteral("<p align=justify></b>") + product.longDescription;
    page += QStringLiteral("<BR clear=all><hr align=left width=70% color=") + colorToHtml(settings.lineColor)
            + QStringLiteral(" size=1>");
    page += priceBlock(product, net, settings.options.currency, QLocale(), PriceBlockForm::DetailPage);
    page += QStringLiteral("<br>");
    const VariantPieces variants = variantPieces(context, product, nodeText, VariantForm::DetailPage);
    page += variants.selects;
    page += QStringLiteral("</b><br>Quantity: <input type=\"text\" name=\"t\"") + kQuantityCheck;
    page +=
        QStringLiteral("<IMG NAME=\"k\" SRC=\"img/kupuj.jpg\" alt=\"Add to cart\" style=\"cursor:pointer;\" "
                       "onMouseOver=\"k.src='img/kupujb.jpg'\" onMouseOut=\"k.src='img/kupuj.jpg'\"");
    page += QStringLiteral("ONCLICK=\"parent.e(m.t.value,") + cartPriceText(effectivePrice(product, net))
            + QStringLiteral(",&quot;") + scriptInAttribute(product.name) + QStringLiteral("&quot;")
            + variants.cartArguments + QStringLiteral(");\"><BR>");
    page += QStringLiteral(
        "<a href=\"javascript:history.back()\"><img src=\"img/prev.jpg\" alt=\"previous page\" "
        "border=\"0\"></a>");
    page += QStringLiteral("</html>");
    return page;
}

QString searchIndexLine(const ProductRecord& product, int index)
{
    return QStringLiteral("parent.d('") + scriptInAttribute(product.name) + QStringLiteral("','")
           + scriptInAttribute(product.id) + QStringLiteral(".html',") + QString::number(index)
           + QLatin1Char(')');
}

QString writeProductTile(GeneratorContext& context, const ProductRecord& product, const TilePlace& place,
                         ShopPictures& pictures)
{
    const shell::Settings& settings = context.settings();
    const bool net = showsNetPrices(settings);
    const QString j = QString::number(place.nodeIndex);
    const QString r = QString::number(place.suffix);

    QString tile = QStringLiteral("<TABLE  width=\"100%\" border=\"0\"><TD width=\"100%\">");
    tile += QStringLiteral("<p><b>") + product.name;
    const QString pictureName = product.id + QStringLiteral("M.jpg");
    if (pictures.provide(context, smallPictureSource(context, product.id), context.imageFile(pictureName))) {
        tile += QStringLiteral("<img ");
        if (settings.options.fixedImageSize) {
            tile += QStringLiteral("width=\"") + QString::number(settings.options.imageWidth)
                    + QStringLiteral("\" height=\"") + QString::number(settings.options.imageHeight)
                    + QLatin1Char('"');
        }
        tile += QStringLiteral(" align=left style=\"cursor:pointer;\" SRC=\"img/")
                + htmlAttribute(pictureName) + QStringLiteral("\" BORDER=\"0\" VSPACE=10 ONCLICK=\"")
                + pagesOpener(product.id) + QStringLiteral("\">");
        if (textBelowPicture(settings))
            tile += QStringLiteral("<BR clear=all>");
    }
    tile += QStringLiteral("</b><p align=justify>") + product.shortDescription;
    tile += QStringLiteral("<TR><TD width=\"100%\">");
    tile += priceBlock(product, net, settings.options.currency, QLocale(), PriceBlockForm::Tile);
    tile += QStringLiteral("<br>");
    const VariantPieces variants =
        variantPieces(context, product, place.nodeText, VariantForm::Tile, place.suffix);
    tile += variants.selects;
    tile +=
        QStringLiteral("<br><IMG NAME=\"m") + j
        + QStringLiteral("\" SRC=\"img/more.jpg\" alt=\"More...\" style=\"cursor:pointer;\" onMouseOver=\"m")
        + j + QStringLiteral(".src='img/moreb.jpg'\" onMouseOut=\"m") + j
        + QStringLiteral(".src='img/more.jpg'\" ONCLICK=\"") + pagesOpener(product.id)
        + QStringLiteral("\">");
    tile += QStringLiteral("</b> &nbsp;Quantity: <input type=\"text\" name=\"t") + r + QLatin1Char('"')
            + kQuantityCheck;
    tile += QStringLiteral("<IMG NAME=\"k") + j
            + QStringLiteral(
                "\" SRC=\"img/kupuj.jpg\" alt=\"Add to cart\" style=\"cursor:pointer;\" onMouseOver=\"k")
            + j + QStringLiteral(".src='img/kupujb.jpg'\" onMouseOut=\"k") + j
            + QStringLiteral(".src='img/kupuj.jpg'\" ONCLICK=\"parent.e(f.t") + r + QStringLiteral(".value,")
            + cartPriceText(effectivePrice(product, net)) + QStringLiteral(",&quot;")
            + scriptInAttribute(product.name) + QStringLiteral("&quot;") + variants.cartArguments
            + QStringLiteral(");\"><BR>");
    tile += QStringLiteral("</TABLE>");
    return tile;
}

void writeProductPages(GeneratorContext& context)
{
    tables::Table& products = context.products();
    const std::vector<TreeNode*> nodes = context.tree().nodesInOrder();
    context.setProgressMaximum(int(nodes.size()));
    context.setProgress(0);
    context.report(QString());
    if (!products.filter().isEmpty())
        products.setFilter(QString());

    const std::shared_ptr<const ProductLookup> shared = context.productLookup();
    const ProductLookup& lookup = *shared;
    ShopPictures pictures;
    pictures.check(context, pictureSources(context, nodes, lookup, PictureSize::Big));
    for (const TreeNode* node : nodes) {
        context.advanceProgress();
        if (!node->isProduct())
            continue;
        const std::optional<ProductRecord> found = lookup.find(node->key());
        if (!found)
            continue; // a product missing from the table is reported by the category pass
        const ProductRecord& product = *found;
        if (!context.checkFileKey(product.id, node->text()))
            continue;
        const QString pictureName = product.id + QStringLiteral("D.jpg");
        const bool bigPicture =
            pictures.provide(context, bigPictureSource(context, product.id), context.imageFile(pictureName));
        context.writePage(productPageText(context, product, node->text(), bigPicture),
                          context.shopFile(product.id + QStringLiteral(".html")));
        context.searchIndex() << searchIndexLine(product, int(context.searchIndex().size()));
    }
}

namespace {

// A category page while its subtree is being walked: its head, then one row line per run of products.
struct OpenCategoryPage {
    const TreeNode* node = nullptr;
    int depth = 0;
    QString path; // empty when the key can't name a file: the page is not written
    QString text;
    TileSuffixes suffixes;
};

} // namespace

void writeCategoryPages(GeneratorContext& context)
{
    writeCategoryPages(context, {});
}

void writeCategoryPages(GeneratorContext& context, const std::function<quint32()>& random)
{
    tables::Table& products = context.products();
    if (!products.filter().isEmpty())
        products.setFilter(QString());
    const shell::Settings& settings = context.settings();
    const int columns = columnCount(settings);
    const std::vector<TreeNode*> nodes = context.tree().nodesInOrder();
    const int count = int(nodes.size());

    // Pages are kept while their subtree is walked and written once when the walk leaves it, which gives
    // the same file as writing the head and adding each row line afterwards.
    std::vector<OpenCategoryPage> open;
    const auto closePagesFrom = [&](int depth) {
        while (!open.empty() && open.back().depth >= depth) {
            if (!open.back().path.isEmpty())
                context.writePage(open.back().text, open.back().path);
            open.pop_back();
        }
    };

    const std::shared_ptr<const ProductLookup> shared = context.productLookup();
    const ProductLookup& lookup = *shared;
    ShopPictures pictures;
    pictures.check(context, pictureSources(context, nodes, lookup, PictureSize::Small));
    int v = 0;
    while (v < count) {
        const TreeNode* node = nodes[size_t(v)];
        const int depth = node->depth();
        closePagesFrom(depth);
        context.advanceProgress();

        if (!node->isProduct()) {
            OpenCategoryPage page{
                node,
                depth,
                {},
                {},
                TileSuffixes(random ? random : seededBy(node->key() + QStringLiteral(".html")))};
            if (context.checkFileKey(node->key(), node->text())) {
                page.path = context.shopFile(node->key() + QStringLiteral(".html"));
                page.text =
                    commonHeadBlock() + kGeneratorTagUpperWithHead
                    + QStringLiteral("<script language=\"Javascript\" SRC=\"sk.js\"></script>")
                    + catalogueStyleLine(settings.font, QStringLiteral("td"))
                    + QStringLiteral("<body bgcolor=\"#FFFFFF\"><form name=\"f\"><Table width=\"100%\" "
                                     "border=\"0\" cellpadding=\"3\"><TR>");
                context.report(QStringLiteral("create category ") + node->text());
            }
            open.push_back(std::move(page));
            ++v;
            continue;
        }

        // A run: consecutive product entries under one parent.
        const TreeNode* parent = node->parent();
        int end = v + 1;
        while (end < count && nodes[size_t(end)]->isProduct() && nodes[size_t(end)]->parent() == parent)
            ++end;

        OpenCategoryPage* page = nullptr;
        if (!open.empty() && open.back().node == parent)
            page = &open.back();
        if (page && page->path.isEmpty()) {
            v = end; // the category's key was reported: its page is not written
            continue;
        }
        if (!page) {
            // At the top level (or below another product entry) there is no category page to hold the
            // tile; the detail page is still written by the product pass.
            for (int j = v; j < end; ++j) {
                context.warn(QStringLiteral(" warning: product ") + nodes[size_t(j)]->text()
                             + QStringLiteral(" is not inside a category and can't be added to web shop"));
            }
            v = end;
            continue;
        }

        QString rows = QStringLiteral("</tr>");
        int tiles = 0;
        for (int j = v; j < end; ++j) {
            const TreeNode* entry = nodes[size_t(j)];
            const std::optional<ProductRecord> found = lookup.find(entry->key());
            if (!found) {
                context.warn(QStringLiteral(" warning: product is missing:  ") + entry->text());
                continue;
            }
            const ProductRecord& product = *found;
            if (!isSafeFileKey(product.id))
                continue; // reported by the product pass, which wrote no page for it
            ++tiles;
            const TilePlace place{j, entry->text(), page->suffixes.draw()};
            rows += QStringLiteral(
                        "<TD  style=\"border-top:none; border-bottom: #838EAB solid 1px;\" valign=\"top\"> ")
                    + writeProductTile(context, product, place, pictures) + QStringLiteral("</td>");
            if (tiles % columns == 0)
                rows += QStringLiteral("</tr>");
        }
        page->text += QStringLiteral("\r\n") + rows;
        v = end;
    }
    closePagesFrom(0);
}

} // namespace generator
