#include "generator/modern/modernpages.h"

#include "catalogue/categorytree.h"
#include "generator/modern/modernhtml.h"
#include "generator/productpages.h"
#include "generator/savepage.h"
#include "generator/scriptescaping.h"
#include "shell/error.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <array>
#include <cmath>

namespace generator::modern {

namespace {

QString pageFile(const QString& key)
{
    return key + QStringLiteral(".html");
}

// A page whose main content is put together as a text (the few pages of their own kind).
void save(Site& site, const QString& file, const PageMeta& meta, const QString& main)
{
    Html page(16 * 1024 + main.size() * 2);
    pageStart(page, site, meta);
    page.text(main);
    pageEnd(page, site);
    savePageBytes(site, file, page.take());
}

QByteArray pageBytes(const Site& site, const PageMeta& meta, const Html& main)
{
    Html page(16 * 1024 + main.bytes().size());
    pageStart(page, site, meta);
    page.raw(main.bytes());
    pageEnd(page, site);
    return page.take();
}

std::vector<Crumb> crumbsTo(const Site& site, int category, bool categoryIsPage)
{
    std::vector<Crumb> crumbs{{site.labels->home, site.context.startPage()}};
    const std::vector<int> path = category >= 0 ? site.categoryPath(category) : std::vector<int>{};
    for (size_t i = 0; i < path.size(); ++i) {
        const Category& c = site.categories[size_t(path[i])];
        const bool last = i + 1 == path.size();
        crumbs.push_back({c.name, last && categoryIsPage ? QString() : pageFile(c.key)});
    }
    return crumbs;
}

// A page's address in JSON-LD: absolute when the shop has an address.
void jsonAddress(Html& json, const Site& site, const QString& file)
{
    json << "\"";
    if (!site.address.isEmpty())
        json.jsonText(site.address) << "/";
    json.jsonText(file) << "\"";
}

// Written as QJsonDocument::Compact writes the object (its keys sorted), made safe for <script>.
void breadcrumbJsonLd(Html& json, const Site& site, const std::vector<Crumb>& crumbs, const QString& ownFile)
{
    json << "<script type=\"application/ld+json\">{\"@context\":\"https://schema.org\",\"@type\":"
            "\"BreadcrumbList\",\"itemListElement\":[";
    for (size_t i = 0; i < crumbs.size(); ++i) {
        if (i)
            json << ",";
        json << "{\"@type\":\"ListItem\",\"item\":";
        jsonAddress(json, site, crumbs[i].file.isEmpty() ? ownFile : crumbs[i].file);
        json.raw(",\"name\":\"").jsonText(crumbs[i].name).raw("\",\"position\":").number(qint64(i) + 1)
            << "}";
    }
    json << "]}</script>\n";
}

// A number as QJsonDocument writes a double: whole numbers of up to 15 digits as integers, others as
// Qt formats them.
Html& jsonNumber(Html& json, double value)
{
    if (std::abs(value) < 1e15 && value == std::trunc(value))
        return json.number(qint64(value));
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return json.raw(QByteArrayView(array).sliced(1, array.size() - 2));
}

void selectFor(Html& html, const QString& label, const char* name, const QStringList& items)
{
    html.raw("<div class=\"field\"><label for=\"opt-").raw(name) << "\">";
    html.escaped(label).raw("</label><select id=\"opt-").raw(name).raw("\" name=\"").raw(name)
        << "\" data-label=\"";
    html.escaped(label) << "\">";
    for (const QString& item : items)
        html.raw("<option>").escaped(item) << "</option>";
    html << "</select></div>";
}

// The variant lists a product offers: its encoded list, label and form field name.
struct VariantList {
    bool on;
    const QString& encoded;
    const QString& label;
    const char* name;
};
std::array<VariantList, 3> variantLists(const Site& site, const ProductRecord& r)
{
    const Labels& l = *site.labels;
    return {VariantList{r.hasSizes, r.sizes, l.size, "r"},
            VariantList{r.hasColours, r.colours, l.colour, "k"},
            VariantList{r.hasDimensions, r.dimensions, l.dimensions, "w"}};
}

void buyForm(Html& form, const Site& site, const Product& product)
{
    const Labels& l = *site.labels;
    const ProductRecord& r = product.record;
    form << "<form class=\"buy\" action=\"koszyk.html\" method=\"get\" data-add-to-cart data-name=\"";
    form.escaped(r.name).raw("\" data-price=\"").number(product.price) << "\" data-image=\"";
    if (product.smallPicture.isValid())
        form.raw("img/").escaped(r.id) << "M.jpg";
    form.raw("\"><input type=\"hidden\" name=\"id\" value=\"").escaped(r.id) << "\">";
    for (const VariantList& list : variantLists(site, r)) {
        if (!list.on)
            continue;
        const QStringList items = catalogue::products::splitList(list.encoded);
        if (!items.isEmpty())
            selectFor(form, list.label, list.name, items);
    }
    form.raw("<div class=\"field qty\"><label for=\"qty\">").escaped(l.quantity)
        << "</label><input id=\"qty\" name=\"q\" type=\"number\" min=\"1\" max=\"999\" value=\"1\" "
           "inputmode=\"numeric\" required></div>";
    form.raw("<button class=\"primary\" type=\"submit\">").escaped(l.addToCart) << "</button>";
    form << "<p class=\"status\" role=\"status\"></p></form>";
}

// The picture a product page shows: the big one, else the small one, else none.
const char* pageImage(const Product& product)
{
    return product.bigPicture.isValid() ? "D.jpg" : product.smallPicture.isValid() ? "M.jpg" : nullptr;
}

// A product's page; reads the site only, so the writer threads put pages together side by side.
void writeProductPage(const Site& site, const Product& product)
{
    const ProductRecord& r = product.record;
    PageMeta meta;
    meta.file = pageFile(r.id);
    meta.title = r.name;
    meta.description = r.shortDescription.isEmpty() ? r.longDescription : r.shortDescription;
    meta.ogType = QStringLiteral("product");
    meta.crumbs = crumbsTo(site, product.category, false);
    meta.crumbs.push_back({r.name, QString()});
    meta.category = product.category;
    const char* image = pageImage(product);
    if (image)
        meta.image = QStringLiteral("img/") + r.id + QLatin1String(image);
    Html jsonLd(2048 + r.longDescription.size() + r.shortDescription.size());
    productJsonLd(jsonLd, site, product, meta.crumbs);
    meta.jsonLd = jsonLd.take();

    Html page(20 * 1024 + (r.longDescription.size() + r.shortDescription.size()) * 3);
    pageStart(page, site, meta);
    page << "<article class=\"product\"><div class=\"photo\">";
    if (image) {
        const QSize size = product.bigPicture.isValid() ? product.bigPicture : product.smallPicture;
        page.raw("<img src=\"img/").escaped(r.id).raw(image) << "\" width=\"";
        page.number(size.width()).raw("\" height=\"").number(size.height()) << "\" alt=\"";
        page.escaped(r.name) << "\" loading=\"lazy\">";
    } else {
        page << "<span class=\"noimg\" aria-hidden=\"true\"></span>";
    }
    page.raw("</div><div class=\"info\"><h1>").escaped(r.name) << "</h1>";
    const QString badge = badgeText(site, r);
    if (!badge.isEmpty()) {
        page.raw("<span class=\"badge ").escaped(r.status.toLower()) << "\">";
        page.escaped(badge) << "</span>";
    }
    productPriceHtml(page, site, product);
    if (!r.shortDescription.trimmed().isEmpty())
        page.raw("<div class=\"lead\">").safeHtml(r.shortDescription) << "</div>";
    buyForm(page, site, product);
    page << "</div>";
    if (!r.longDescription.trimmed().isEmpty())
        page.raw("<div class=\"prose description\">").safeHtml(r.longDescription) << "</div>";
    page << "</article>";
    pageEnd(page, site);
    writeFileBeside(site.context.shopFile(meta.file), page.take());
}

} // namespace

void productJsonLd(Html& json, const Site& site, const Product& product, const std::vector<Crumb>& crumbs)
{
    // Written as QJsonDocument::Compact writes the object (its keys sorted), made safe for <script>.
    const ProductRecord& r = product.record;
    const QString file = pageFile(r.id);
    json << "<script type=\"application/ld+json\">{\"@context\":\"https://schema.org\",\"@type\":\"Product\","
            "\"description\":\"";
    json.jsonText(plainText(r.longDescription.isEmpty() ? r.shortDescription : r.longDescription)) << "\",";
    if (const char* image = pageImage(product)) {
        json << "\"image\":\"";
        if (!site.address.isEmpty())
            json.jsonText(site.address) << "/";
        json.raw("img/").jsonText(r.id).raw(image) << "\",";
    }
    json.raw("\"name\":\"").jsonText(r.name)
        << "\",\"offers\":{\"@type\":\"Offer\",\"availability\":\"https://schema.org/InStock\",\"price\":\"";
    json.jsonText(machineMoney(product.price)).raw("\",\"priceCurrency\":\"").jsonText(site.currencyCode)
        << "\",\"url\":";
    jsonAddress(json, site, file);
    json.raw("},\"sku\":\"").jsonText(r.id) << "\"}</script>\n";
    breadcrumbJsonLd(json, site, crumbs, file);
}

namespace {

void writeHomePageNow(const Site& site, const QString& file)
{
    const Labels& l = *site.labels;
    const shell::Settings& settings = site.settings();
    Html main;
    main.raw("<section class=\"welcome\"><h1>")
            .escaped(settings.options.title.isEmpty() ? settings.options.shopName : settings.options.title)
        << "</h1>";
    if (!settings.welcomeText.trimmed().isEmpty())
        main.raw("<div class=\"prose\">").safeHtml(settings.welcomeText) << "</div>";
    main << "</section>\n";
    std::vector<int> fresh, promoted;
    for (size_t i = 0; i < site.products.size(); ++i) {
        const QString& status = site.products[i].record.status;
        if (status == QStringLiteral("New"))
            fresh.push_back(int(i));
        else if (site.products[i].promoted)
            promoted.push_back(int(i));
    }
    auto section = [&](const QString& heading, const std::vector<int>& products) {
        main.raw("<section><h2>").escaped(heading) << "</h2>";
        productGrid(main, site, products, 3);
        main << "</section>\n";
    };
    if (!promoted.empty())
        section(l.promotedProducts, promoted);
    if (!fresh.empty())
        section(l.newProducts, fresh);
    if (fresh.empty() && promoted.empty()) {
        std::vector<int> all;
        for (size_t i = 0; i < site.products.size() && i < 12; ++i)
            all.push_back(int(i));
        section(l.allProducts, all);
    }
    PageMeta meta;
    meta.file = file;
    meta.description = settings.metaDescription.isEmpty() ? settings.welcomeText : settings.metaDescription;
    if (!site.logoFile.isEmpty())
        meta.image = QStringLiteral("img/") + site.logoFile;
    meta.bodyClass = QStringLiteral("home");
    writeFileBeside(site.context.shopFile(file), pageBytes(site, meta, main));
}

// A category's page; reads the site only, as the product pages.
void writeCategoryPage(const Site& site, int index)
{
    const Labels& l = *site.labels;
    const Category& c = site.categories[size_t(index)];
    PageMeta meta;
    meta.file = pageFile(c.key);
    meta.title = c.name;
    const std::vector<int> products = site.productsUnder(index);
    QString description = c.name + QStringLiteral(": ");
    for (size_t p = 0; p < products.size() && p < 8; ++p)
        description +=
            (p ? QStringLiteral(", ") : QString()) + site.products[size_t(products[p])].record.name;
    meta.description = description.toHtmlEscaped();
    meta.crumbs = crumbsTo(site, index, true);
    meta.category = index;
    Html jsonLd;
    breadcrumbJsonLd(jsonLd, site, meta.crumbs, meta.file);
    meta.jsonLd = jsonLd.take();

    Html page(32 * 1024 + qsizetype(products.size()) * 600);
    pageStart(page, site, meta);
    page.raw("<h1>").escaped(c.name) << "</h1>\n";
    if (!c.children.empty()) {
        page.raw("<nav class=\"chips\" aria-label=\"").escaped(l.subcategories) << "\"><ul>";
        for (int child : c.children) {
            const Category& sub = site.categories[size_t(child)];
            page.raw("<li><a href=\"").escaped(sub.key) << ".html\">";
            page.escaped(sub.name) << "</a></li>";
        }
        page << "</ul></nav>\n";
    }
    productGrid(page, site, products, 2);
    pageEnd(page, site);
    writeFileBeside(site.context.shopFile(meta.file), page.take());
}

} // namespace

QStringList writeHomePage(Site& site, const QString& file)
{
    const Site* shared = &site;
    site.context.submitTask([shared, file] { writeHomePageNow(*shared, file); });
    return {file};
}

QStringList writeCategoryPages(Site& site)
{
    constexpr size_t kBatch = 8; // as the product pages
    QStringList files;
    const Site* shared = &site;
    size_t first = 0;
    for (size_t i = 0; i < site.categories.size(); ++i) {
        const Category& c = site.categories[i];
        site.context.report(QStringLiteral("create category ") + c.name + QLatin1Char(' ') + c.key);
        files << pageFile(c.key);
        if (i + 1 - first == kBatch || i + 1 == site.categories.size()) {
            site.context.submitTask([shared, first, end = i + 1] {
                for (size_t index = first; index < end; ++index)
                    writeCategoryPage(*shared, int(index));
            });
            first = i + 1;
        }
    }
    return files;
}

QStringList writeProductPages(Site& site)
{
    // A task for a few products: handing each page to a thread on its own costs more than the page.
    constexpr size_t kBatch = 16;
    QStringList files;
    const Site* shared = &site;
    size_t first = 0; // of the products not yet handed over
    for (size_t i = 0; i < site.products.size(); ++i) {
        // What reaches the report is said here, in order; the pictures and the pages are read, put
        // together and written by the writer threads.
        warnEmptyVariantLists(site.context, site.products[i].record, site.products[i].nodeText);
        files << pageFile(site.products[i].record.id);
        if (i + 1 - first == kBatch || i + 1 == site.products.size()) {
            Product* batch = site.products.data() + first;
            const size_t count = i + 1 - first;
            site.context.submitTask([shared, batch, count] {
                for (size_t p = 0; p < count; ++p) {
                    provideProductPictures(*shared, batch[p]);
                    writeProductPage(*shared, batch[p]);
                }
            });
            first = i + 1;
        }
        site.context.advanceProgress();
    }
    return files;
}

namespace {

void writePriceListPageNow(const Site& site)
{
    const Labels& l = *site.labels;
    Html main(qsizetype(site.products.size()) * 200);
    main.raw("<h1>").escaped(l.priceList)
        << "</h1>\n<div class=\"table-wrap\"><table class=\"prices\"><thead><tr><th scope=\"col\">";
    main.escaped(l.product).raw("</th><th scope=\"col\">").escaped(l.menu)
        << "</th><th scope=\"col\" class=\"num\">";
    main.escaped(l.price).raw(" (").escaped(site.net ? l.net : l.gross) << ")</th></tr></thead><tbody>";
    for (const Product& p : site.products) {
        main.raw("<tr><td><a href=\"").escaped(p.record.id) << ".html\">";
        main.escaped(p.record.name) << "</a>";
        const QString badge = badgeText(site, p.record);
        if (!badge.isEmpty()) {
            main.raw(" <span class=\"badge ").escaped(p.record.status.toLower()) << "\">";
            main.escaped(badge) << "</span>";
        }
        main << "</td><td>";
        if (p.category >= 0)
            main.escaped(site.categories[size_t(p.category)].name);
        main << "</td><td class=\"num\">";
        site.money(main, p.price);
        main << "</td></tr>";
    }
    main << "</tbody></table></div>";
    PageMeta meta;
    meta.file = QStringLiteral("cennik.html");
    meta.title = l.priceList;
    meta.description = l.priceList + QStringLiteral(" – ") + site.settings().options.title;
    meta.crumbs = {{l.home, site.context.startPage()}, {l.priceList, QString()}};
    writeFileBeside(site.context.shopFile(meta.file), pageBytes(site, meta, main));
}

} // namespace

QStringList writePriceListPage(Site& site)
{
    const Site* shared = &site;
    site.context.submitTask([shared] { writePriceListPageNow(*shared); });
    return {QStringLiteral("cennik.html")};
}

QStringList writeTextPages(Site& site)
{
    const Labels& l = *site.labels;
    const shell::ShopOptions& options = site.settings().options;
    QStringList files;
    auto write = [&](const QString& file, const QString& title, const QString& text) {
        PageMeta meta;
        meta.file = file;
        meta.title = title;
        meta.description = text;
        meta.crumbs = {{l.home, site.context.startPage()}, {title, QString()}};
        save(site, file, meta,
             QStringLiteral("<h1>") + escaped(title) + QStringLiteral("</h1>\n<div class=\"prose\">")
                 + safeHtml(text) + QStringLiteral("</div>"));
        files << file;
    };
    if (options.includeInformation)
        write(QStringLiteral("onas.html"), l.about, site.settings().infoText);
    if (options.includeRegulation)
        write(QStringLiteral("regulamin.html"), l.terms, site.settings().regulationText);
    return files;
}

namespace {

void writeSearchIndex(const Site& site)
{
    // Written as QJsonDocument::Compact writes the array of objects (their keys sorted).
    Html index(qsizetype(site.products.size()) * 300);
    index << "[";
    for (const Product& p : site.products) {
        const ProductRecord& r = p.record;
        if (&p != &site.products.front())
            index << ",";
        index << "{";
        const QString badge = badgeText(site, r);
        if (!badge.isEmpty())
            index.raw("\"b\":\"").jsonText(badge, false) << "\",";
        index << "\"f\":\"";
        index.jsonText(folded(r.name + QLatin1Char(' ') + plainText(r.shortDescription)), false) << "\",";
        if (p.smallPicture.isValid()) {
            index.raw("\"h\":").number(p.smallPicture.height()).raw(",\"i\":\"img/").jsonText(r.id, false)
                << "M.jpg\",";
        }
        if (p.promoted && p.lowestBefore)
            jsonNumber(index.raw("\"l\":"), double(*p.lowestBefore)) << ",";
        index.raw("\"n\":\"").jsonText(r.name, false) << "\",";
        if (p.promoted)
            jsonNumber(index.raw("\"o\":"), double(p.regularPrice)) << ",";
        jsonNumber(index.raw("\"p\":"), double(p.price));
        if (!badge.isEmpty())
            index.raw(",\"s\":\"").jsonText(r.status.toLower(), false) << "\"";
        index.raw(",\"u\":\"").jsonText(r.id, false) << ".html\"";
        if (p.smallPicture.isValid())
            index.raw(",\"w\":").number(p.smallPicture.width());
        index << "}";
    }
    index << "]";
    const QString indexFile = site.context.shopFile(QStringLiteral("szukaj.json"));
    QFile json(indexFile + QStringLiteral(".new"));
    if (!json.open(QIODevice::WriteOnly) || json.write(index.take()) < 0)
        throw shell::AppError(QStringLiteral("Cannot write %1: %2").arg(indexFile, json.errorString()));
    json.close();
    QFile::remove(indexFile);
    if (!json.rename(indexFile))
        throw shell::AppError(QStringLiteral("Cannot write %1: %2").arg(indexFile, json.errorString()));
}

} // namespace

QStringList writeSearchPage(Site& site)
{
    const Labels& l = *site.labels;
    const Site* shared = &site;
    site.context.submitTask([shared] { writeSearchIndex(*shared); });

    QString main =
        QStringLiteral("<h1>") + escaped(l.search) + QStringLiteral("</h1>\n")
        + QStringLiteral("<form class=\"search big\" role=\"search\" action=\"find.html\" "
                         "method=\"get\"><label for=\"q\">")
        + escaped(l.searchPlaceholder)
        + QStringLiteral("</label><input id=\"q\" type=\"search\" name=\"q\"><button type=\"submit\">")
        + escaped(l.searchButton) + QStringLiteral("</button></form>\n");
    main += QStringLiteral("<noscript><p>") + escaped(l.noScriptSearch) + QStringLiteral("</p></noscript>");
    main += QStringLiteral("<section id=\"results\" data-search data-results-label=\"") + escaped(l.results)
            + QStringLiteral("\" data-none=\"") + escaped(l.noResults) + QStringLiteral("\" data-lowest=\"")
            + escaped(l.lowestBefore) + QStringLiteral("\" aria-live=\"polite\"></section>");
    PageMeta meta;
    meta.file = QStringLiteral("find.html");
    meta.title = l.search;
    meta.indexable = false;
    meta.crumbs = {{l.home, site.context.startPage()}, {l.search, QString()}};
    save(site, meta.file, meta, main);
    return {};
}

QStringList writeCartPage(Site& site)
{
    const Labels& l = *site.labels;
    QString main = QStringLiteral("<h1>") + escaped(l.cart) + QStringLiteral("</h1>\n<noscript><p>")
                   + escaped(l.noScriptCart) + QStringLiteral("</p></noscript>\n");
    main += QStringLiteral("<div id=\"cart\" data-cart data-empty=\"") + escaped(l.cartEmpty)
            + QStringLiteral("\" data-product=\"") + escaped(l.product)
            + QStringLiteral("\" data-quantity=\"") + escaped(l.quantity)
            + QStringLiteral("\" data-amount=\"") + escaped(l.amount) + QStringLiteral("\" data-remove=\"")
            + escaped(l.remove) + QStringLiteral("\" data-subtotal=\"") + escaped(l.subtotal)
            + QStringLiteral("\" data-delivery=\"") + escaped(l.delivery) + QStringLiteral("\" data-total=\"")
            + escaped(l.total) + QStringLiteral("\" data-unit=\"") + escaped(l.perUnit)
            + QStringLiteral("\"></div>\n");
    main += QStringLiteral("<p class=\"actions\"><a class=\"button\" href=\"")
            + escaped(site.context.startPage()) + QStringLiteral("\">") + escaped(l.continueShopping)
            + QStringLiteral("</a> <a class=\"button primary\" href=\"send.html\" data-checkout>")
            + escaped(l.goToOrder) + QStringLiteral("</a></p>");
    PageMeta meta;
    meta.file = QStringLiteral("koszyk.html");
    meta.title = l.cart;
    meta.indexable = false;
    meta.crumbs = {{l.home, site.context.startPage()}, {l.cart, QString()}};
    save(site, meta.file, meta, main);
    return {};
}

} // namespace generator::modern
