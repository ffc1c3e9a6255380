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
#include <array>
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

// Pages and pictures go to the writer threads in batches: one task per page would cost more in handing
// over than in writing.
constexpr size_t kPagesPerTask = 32;

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

namespace {

std::array<VariantList, 3> variantLists(const ProductRecord& product)
{
    return {VariantList{product.hasSizes, product.sizes, "Size", "R", "size"},
            VariantList{product.hasColours, product.colours, "Color", "K", "color"},
            VariantList{product.hasDimensions, product.dimensions, "Dimensions", "W", "dimensions"}};
}

} // namespace

void warnEmptyVariantLists(GeneratorContext& context, const ProductRecord& product, const QString& nodeText)
{
    for (const VariantList& list : variantLists(product)) {
        if (list.enabled && !catalogue::products::listHasItems(list.encoded)) {
            context.warn(QStringLiteral(" warning: product ") + nodeText + QLatin1Char(' ')
                         + QLatin1String(list.listWord)
                         + QStringLiteral(" list is empty and can't be added to web shop"));
        }
    }
}

VariantPieces variantPieces(const ProductRecord& product, VariantForm form, int suffix)
{
    const bool tile = form == VariantForm::Tile;
    const QString suffixText = tile ? QString::number(suffix) : QString();

    VariantPieces pieces;
    for (const VariantList& list : variantLists(product)) {
        const QStringList items = list.enabled ? catalogue::products::splitList(list.encoded) : QStringList();
        if (items.isEmpty()) {
            pieces.cartArguments += QLatin1String(",0");
            continue;
        }
        // ",f.R12.options[f.R12.selectedIndex].text"
        QString select = QLatin1String(tile ? "f." : "m.");
        select += QLatin1String(list.selectName);
        select += suffixText;
        pieces.cartArguments += QLatin1Char(',');
        pieces.cartArguments += select;
        pieces.cartArguments += QLatin1String(".options[");
        pieces.cartArguments += select;
        pieces.cartArguments += QLatin1String(".selectedIndex].text");
        pieces.selects += QLatin1String(list.heading);
        pieces.selects += QLatin1String(" <select name=\"");
        pieces.selects += QLatin1String(list.selectName);
        pieces.selects += suffixText;
        pieces.selects += QLatin1String(tile ? "\"size=\"1\">" : "\" size=\"1\">");
        for (const QString& item : items) {
            pieces.selects += QLatin1String("<option>");
            pieces.selects += item;
            pieces.selects += QLatin1String("</option>");
        }
        pieces.selects += QLatin1String("</select> ");
    }
    return pieces;
}

CataloguePageParts::CataloguePageParts(const shell::Settings& settings)
    : settings(settings), net(showsNetPrices(settings)), textBelowPicture(settings.options.textFlow == 1)
{
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    detailHead = commonHeadBlock() + kGeneratorTagLowerWithHead
                 + QStringLiteral("<script language=\"Javascript\" SRC=\"sk.js\"></script>")
                 + catalogueStyleLine(settings.font, QStringLiteral("body"))
                 + QStringLiteral("<form name=\"m\"><BODY bgcolor=\"#ffffff\"><p><b>");
    detailRule = QStringLiteral("<BR clear=all><hr align=left width=70% color=")
                 + colorToHtml(settings.lineColor) + QStringLiteral(" size=1>");
    if (settings.options.fixedImageSize) {
        tileImageSize = QStringLiteral("width=\"") + QString::number(settings.options.imageWidth)
                        + QStringLiteral("\" height=\"") + QString::number(settings.options.imageHeight)
                        + QLatin1Char('"');
    }
}

QString productPageText(const CataloguePageParts& parts, const ProductRecord& product, bool bigPicturePresent)
{
    QString page;
    page.reserve(parts.detailHead.size() + product.name.size() * 2 + product.longDescription.size() + 1200);
    page += parts.detailHead;
    page += product.name;
    if (bigPicturePresent) {
        page += QStringLiteral("<img align=left SRC=\"img/") + htmlAttribute(product.id)
                + QStringLiteral("D.jpg\" BORDER=0 VSPACE=10>");
    }
    if (parts.textBelowPicture)
        page += QStringLiteral("<BR clear=all>");
    page += QStringLiteral("<p align=justify></b>") + product.longDescription;
    page += parts.detailRule;
    page += priceBlock(product, parts.net, parts.settings.options.currency, parts.locale,
                       PriceBlockForm::DetailPage);
    page += QStringLiteral("<br>");
    const VariantPieces variants = variantPieces(product, VariantForm::DetailPage);
    page += variants.selects;
    page += QStringLiteral("</b><br>Quantity: <input type=\"text\" name=\"t\"") + kQuantityCheck;
    page +=
        QStringLiteral("<IMG NAME=\"k\" SRC=\"img/kupuj.jpg\" alt=\"Add to cart\" style=\"cursor:pointer;\" "
                       "onMouseOver=\"k.src='img/kupujb.jpg'\" onMouseOut=\"k.src='img/kupuj.jpg'\"");
    page += QStringLiteral("ONCLICK=\"parent.e(m.t.value,")
            + cartPriceText(effectivePrice(product, parts.net)) + QStringLiteral(",&quot;")
            + scriptInAttribute(product.name) + QStringLiteral("&quot;") + variants.cartArguments
            + QStringLiteral(");\"><BR>");
    page += QStringLiteral(
        "<a href=\"javascript:history.back()\"><img src=\"img/prev.jpg\" alt=\"previous page\" "
        "border=\"0\"></a>");
    page += QStringLiteral("</html>");
    return page;
}

QString productTileText(const CataloguePageParts& parts, const ProductRecord& product, const TilePlace& place,
                        bool smallPicturePresent)
{
    const QString j = QString::number(place.nodeIndex);
    const QString r = QString::number(place.suffix);
    const QString opener = pagesOpener(product.id);

    QString tile;
    tile.reserve(product.name.size() * 2 + product.shortDescription.size() + 1400);
    tile += QStringLiteral("<TABLE  width=\"100%\" border=\"0\"><TD width=\"100%\"><p><b>");
    tile += product.name;
    if (smallPicturePresent) {
        tile += QStringLiteral("<img ");
        tile += parts.tileImageSize;
        tile += QStringLiteral(" align=left style=\"cursor:pointer;\" SRC=\"img/")
                + htmlAttribute(product.id + QStringLiteral("M.jpg"))
                + QStringLiteral("\" BORDER=\"0\" VSPACE=10 ONCLICK=\"") + opener + QStringLiteral("\">");
        if (parts.textBelowPicture)
            tile += QStringLiteral("<BR clear=all>");
    }
    tile += QStringLiteral("</b><p align=justify>") + product.shortDescription;
    tile += QStringLiteral("<TR><TD width=\"100%\">");
    tile +=
        priceBlock(product, parts.net, parts.settings.options.currency, parts.locale, PriceBlockForm::Tile);
    tile += QStringLiteral("<br>");
    const VariantPieces variants = variantPieces(product, VariantForm::Tile, place.suffix);
    tile += variants.selects;
    tile +=
        QStringLiteral("<br><IMG NAME=\"m") + j
        + QStringLiteral("\" SRC=\"img/more.jpg\" alt=\"More...\" style=\"cursor:pointer;\" onMouseOver=\"m")
        + j + QStringLiteral(".src='img/moreb.jpg'\" onMouseOut=\"m") + j
        + QStringLiteral(".src='img/more.jpg'\" ONCLICK=\"") + opener + QStringLiteral("\">");
    tile += QStringLiteral("</b> &nbsp;Quantity: <input type=\"text\" name=\"t") + r + QLatin1Char('"')
            + kQuantityCheck;
    tile += QStringLiteral("<IMG NAME=\"k") + j
            + QStringLiteral(
                "\" SRC=\"img/kupuj.jpg\" alt=\"Add to cart\" style=\"cursor:pointer;\" onMouseOver=\"k")
            + j + QStringLiteral(".src='img/kupujb.jpg'\" onMouseOut=\"k") + j
            + QStringLiteral(".src='img/kupuj.jpg'\" ONCLICK=\"parent.e(f.t") + r + QStringLiteral(".value,")
            + cartPriceText(effectivePrice(product, parts.net)) + QStringLiteral(",&quot;")
            + scriptInAttribute(product.name) + QStringLiteral("&quot;") + variants.cartArguments
            + QStringLiteral(");\"><BR>");
    tile += QStringLiteral("</TABLE>");
    return tile;
}

QString searchIndexLine(const ProductRecord& product, int index)
{
    return QStringLiteral("parent.d('") + scriptInAttribute(product.name) + QStringLiteral("','")
           + scriptInAttribute(product.id) + QStringLiteral(".html',") + QString::number(index)
           + QLatin1Char(')');
}

namespace {

// A product page for the writer threads: the product, its big picture and the page file.
struct ProductPageJob {
    const ProductRecord* product;
    QString pictureSource;
    QString pictureTarget;
    QString page;
};

} // namespace

void writeProductPages(GeneratorContext& context)
{
    tables::Table& products = context.products();
    const std::vector<TreeNode*> nodes = context.tree().nodesInOrder();
    context.setProgressMaximum(int(nodes.size()));
    context.setProgress(0);
    context.report(QString());
    if (!products.filter().isEmpty())
        products.setFilter(QString());

    const auto parts = std::make_shared<const CataloguePageParts>(context.settings());
    const QString pictureFolder = context.folder().pictures();
    // The jobs point into the lookup, which each task keeps alive.
    const std::shared_ptr<const ProductLookup> lookup = context.productLookup();
    QSet<const ProductRecord*> pagesMade; // a product entered twice gets its page (and picture) once
    std::vector<ProductPageJob> jobs;
    const auto submitJobs = [&] {
        if (jobs.empty())
            return;
        context.submitTask([&context, parts, lookup, jobs = std::move(jobs)] {
            for (const ProductPageJob& job : jobs) {
                const bool picture =
                    providePicture(context, job.pictureSource, job.pictureTarget, true).isValid();
                savePage(productPageText(*parts, *job.product, picture), job.page);
            }
        });
        jobs.clear();
    };
    for (const TreeNode* node : nodes) {
        context.advanceProgress();
        if (!node->isProduct())
            continue;
        const ProductRecord* product = lookup->record(node->key());
        if (!product)
            continue; // a product missing from the table is reported by the category pass
        if (!context.checkFileKey(product->id, node->text()))
            continue;
        warnEmptyVariantLists(context, *product, node->text());
        if (!pagesMade.contains(product)) {
            pagesMade.insert(product);
            jobs.push_back({product, catalogue::products::bigPicturePath(pictureFolder, product->id),
                            context.imageFile(product->id + QStringLiteral("D.jpg")),
                            context.shopFile(product->id + QStringLiteral(".html"))});
            if (jobs.size() == kPagesPerTask)
                submitJobs();
        }
        context.searchIndex() << searchIndexLine(*product, int(context.searchIndex().size()));
    }
    submitJobs();
}

namespace {

// A tile as the walk decides it; its text is made on the writer threads.
struct PendingTile {
    const ProductRecord* product;
    TilePlace place;
    bool copiesPicture; // the first tile of the pass that shows the product copies its small picture
};

// A category page while its subtree is being walked: its head, then one row line per run of products.
struct OpenCategoryPage {
    const TreeNode* node = nullptr;
    int depth = 0;
    QString path; // empty when the key can't name a file: the page is not written
    QString head;
    std::vector<std::vector<PendingTile>> runs;
    TileSuffixes suffixes;
};

// The whole text of a category page; reads (and copies) the small pictures its tiles show.
QString categoryPageText(GeneratorContext& context, const CataloguePageParts& parts,
                         const OpenCategoryPage& page, int columns)
{
    const QString pictureFolder = context.folder().pictures();
    size_t tileCount = 0;
    for (const std::vector<PendingTile>& run : page.runs)
        tileCount += run.size();
    QString text;
    text.reserve(page.head.size() + qsizetype(tileCount) * 1600 + qsizetype(page.runs.size()) * 8);
    text += page.head;
    for (const std::vector<PendingTile>& run : page.runs) {
        text += QStringLiteral("\r\n</tr>");
        int tiles = 0;
        for (const PendingTile& tile : run) {
            const QString& id = tile.product->id;
            const bool picture =
                providePicture(context, catalogue::products::smallPicturePath(pictureFolder, id),
                               context.imageFile(id + QStringLiteral("M.jpg")), tile.copiesPicture)
                    .isValid();
            text += QStringLiteral(
                        "<TD  style=\"border-top:none; border-bottom: #838EAB solid 1px;\" valign=\"top\"> ")
                    + productTileText(parts, *tile.product, tile.place, picture) + QStringLiteral("</td>");
            if (++tiles % columns == 0)
                text += QStringLiteral("</tr>");
        }
    }
    return text;
}

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
    const std::shared_ptr<const ProductLookup> lookup = context.productLookup();
    const auto parts = std::make_shared<const CataloguePageParts>(settings);

    // Pages are kept while their subtree is walked and written once when the walk leaves it, which gives
    // the same file as writing the head and adding each row line afterwards. Their texts are made on the
    // writer threads; the report lines and warnings stay here, in the order of the walk.
    std::vector<OpenCategoryPage> open;
    std::vector<OpenCategoryPage> closed;
    QSet<QString> pagesSent;
    size_t tilesClosed = 0;
    const auto submitClosed = [&] {
        if (closed.empty())
            return;
        context.submitTask([&context, parts, lookup, columns, pages = std::move(closed)] {
            for (const OpenCategoryPage& page : pages)
                savePage(categoryPageText(context, *parts, page, columns), page.path);
        });
        closed.clear();
        tilesClosed = 0;
    };
    const auto closePagesFrom = [&](int depth) {
        while (!open.empty() && open.back().depth >= depth) {
            OpenCategoryPage& page = open.back();
            if (!page.path.isEmpty()) {
                if (pagesSent.contains(page.path)) {
                    // Two categories of one key: the later page must be the one that stays, as when the
                    // pages were written in turn. (A product's page never has a category's name: the
                    // kind letter ends the key.)
                    submitClosed();
                    context.finishWrites();
                }
                pagesSent.insert(page.path);
                for (const auto& run : page.runs)
                    tilesClosed += run.size();
                closed.push_back(std::move(page));
                if (tilesClosed >= kPagesPerTask)
                    submitClosed();
            }
            open.pop_back();
        }
    };

    QSet<const ProductRecord*> picturesCopied;
    int v = 0;
    while (v < count) {
        const TreeNode* node = nodes[size_t(v)];
        const int depth = node->depth();
        closePagesFrom(depth);
        context.advanceProgress();

        if (!node->isProduct()) {
            OpenCategoryPage page{
                node, depth, {},
                {},   {},    TileSuffixes(random ? random : seededBy(node->key() + QStringLiteral(".html")))};
            if (context.checkFileKey(node->key(), node->text())) {
                page.path = context.shopFile(node->key() + QStringLiteral(".html"));
                page.head =
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

        std::vector<PendingTile>& run = page->runs.emplace_back();
        for (int j = v; j < end; ++j) {
            const TreeNode* entry = nodes[size_t(j)];
            const ProductRecord* product = lookup->record(entry->key());
            if (!product) {
                context.warn(QStringLiteral(" warning: product is missing:  ") + entry->text());
                continue;
            }
            if (!isSafeFileKey(product->id))
                continue; // reported by the product pass, which wrote no page for it
            warnEmptyVariantLists(context, *product, entry->text());
            const bool copies = !picturesCopied.contains(product);
            if (copies)
                picturesCopied.insert(product);
            run.push_back({product, {j, page->suffixes.draw()}, copies});
        }
        v = end;
    }
    closePagesFrom(0);
    submitClosed();
}

} // namespace generator
