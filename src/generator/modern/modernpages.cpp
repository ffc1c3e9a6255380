#include "generator/modern/modernpages.h"

#include "catalogue/categorytree.h"
#include "generator/modern/modernhtml.h"
#include "generator/savepage.h"
#include "generator/scriptescaping.h"
#include "shell/error.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <array>

namespace generator::modern {

namespace {

QString pageFile(const QString& key)
{
    return key + QStringLiteral(".html");
}

void save(Site& site, const QString& file, const PageMeta& meta, const QString& main)
{
    site.context.writePage(pageText(site, meta, main), site.context.shopFile(file));
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

QString breadcrumbJsonLd(const Site& site, const std::vector<Crumb>& crumbs, const QString& ownFile)
{
    QJsonArray items;
    for (size_t i = 0; i < crumbs.size(); ++i) {
        const QString file = crumbs[i].file.isEmpty() ? ownFile : crumbs[i].file;
        QJsonObject item{{QStringLiteral("@type"), QStringLiteral("ListItem")},
                         {QStringLiteral("position"), int(i) + 1},
                         {QStringLiteral("name"), crumbs[i].name}};
        item.insert(QStringLiteral("item"), site.address.isEmpty() ? file : site.absolute(file));
        items.append(item);
    }
    const QJsonObject list{{QStringLiteral("@context"), QStringLiteral("https://schema.org")},
                           {QStringLiteral("@type"), QStringLiteral("BreadcrumbList")},
                           {QStringLiteral("itemListElement"), items}};
    return QStringLiteral("<script type=\"application/ld+json\">")
           + scriptSafeJson(QJsonDocument(list).toJson(QJsonDocument::Compact))
           + QStringLiteral("</script>\n");
}

QString selectFor(const Site& site, const QString& label, const QString& name, const QStringList& items)
{
    QString html = QStringLiteral("<div class=\"field\"><label for=\"opt-") + name + QStringLiteral("\">")
                   + escaped(label) + QStringLiteral("</label><select id=\"opt-") + name
                   + QStringLiteral("\" name=\"") + name + QStringLiteral("\" data-label=\"") + escaped(label)
                   + QStringLiteral("\">");
    for (const QString& item : items)
        html += QStringLiteral("<option>") + escaped(item) + QStringLiteral("</option>");
    Q_UNUSED(site);
    return html + QStringLiteral("</select></div>");
}

// The variant lists a product offers: its encoded list, label, form field name and the word for it in
// the report.
struct VariantList {
    bool on;
    const QString& encoded;
    const QString& label;
    const char* name;
    const char* word;
};
std::array<VariantList, 3> variantLists(const Site& site, const ProductRecord& r)
{
    const Labels& l = *site.labels;
    return {VariantList{r.hasSizes, r.sizes, l.size, "r", "size"},
            VariantList{r.hasColours, r.colours, l.colour, "k", "color"},
            VariantList{r.hasDimensions, r.dimensions, l.dimensions, "w", "dimensions"}};
}

// A list switched on but empty is left out of the form, with a warning.
void warnAboutEmptyLists(Site& site, const Product& product)
{
    for (const VariantList& list : variantLists(site, product.record)) {
        if (list.on && catalogue::products::splitList(list.encoded).isEmpty())
            site.context.warn(QStringLiteral(" warning: product ") + product.nodeText + QLatin1Char(' ')
                              + QLatin1String(list.word)
                              + QStringLiteral(" list is empty and can't be added to web shop"));
    }
}

QString buyForm(const Site& site, const Product& product)
{
    const Labels& l = *site.labels;
    const ProductRecord& r = product.record;
    QString form =
        QStringLiteral(
            "<form class=\"buy\" action=\"koszyk.html\" method=\"get\" data-add-to-cart data-name=\"")
        + escaped(r.name) + QStringLiteral("\" data-price=\"") + QString::number(product.price)
        + QStringLiteral("\" data-image=\"")
        + (product.smallPicture.isValid() ? QStringLiteral("img/") + escaped(r.id) + QStringLiteral("M.jpg")
                                          : QString())
        + QStringLiteral("\"><input type=\"hidden\" name=\"id\" value=\"") + escaped(r.id)
        + QStringLiteral("\">");
    for (const VariantList& list : variantLists(site, r)) {
        if (!list.on)
            continue;
        const QStringList items = catalogue::products::splitList(list.encoded);
        if (!items.isEmpty())
            form += selectFor(site, list.label, QLatin1String(list.name), items);
    }
    form += QStringLiteral("<div class=\"field qty\"><label for=\"qty\">") + escaped(l.quantity)
            + QStringLiteral(
                "</label><input id=\"qty\" name=\"q\" type=\"number\" min=\"1\" max=\"999\" value=\"1\" "
                "inputmode=\"numeric\" required></div>");
    form += QStringLiteral("<button class=\"primary\" type=\"submit\">") + escaped(l.addToCart)
            + QStringLiteral("</button>");
    form += QStringLiteral("<p class=\"status\" role=\"status\"></p></form>");
    return form;
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
    meta.jsonLd = productJsonLd(site, product, meta.crumbs);

    QString main = QStringLiteral("<article class=\"product\"><div class=\"photo\">");
    if (product.bigPicture.isValid()) {
        meta.image = QStringLiteral("img/") + r.id + QStringLiteral("D.jpg");
        main += QStringLiteral("<img src=\"img/") + escaped(r.id) + QStringLiteral("D.jpg\" width=\"")
                + QString::number(product.bigPicture.width()) + QStringLiteral("\" height=\"")
                + QString::number(product.bigPicture.height()) + QStringLiteral("\" alt=\"") + escaped(r.name)
                + QStringLiteral("\" loading=\"lazy\">");
    } else if (product.smallPicture.isValid()) {
        meta.image = QStringLiteral("img/") + r.id + QStringLiteral("M.jpg");
        main += QStringLiteral("<img src=\"img/") + escaped(r.id) + QStringLiteral("M.jpg\" width=\"")
                + QString::number(product.smallPicture.width()) + QStringLiteral("\" height=\"")
                + QString::number(product.smallPicture.height()) + QStringLiteral("\" alt=\"")
                + escaped(r.name) + QStringLiteral("\" loading=\"lazy\">");
    } else {
        main += QStringLiteral("<span class=\"noimg\" aria-hidden=\"true\"></span>");
    }
    main += QStringLiteral("</div><div class=\"info\"><h1>") + escaped(r.name) + QStringLiteral("</h1>");
    const QString badge = badgeText(site, r);
    if (!badge.isEmpty())
        main += QStringLiteral("<span class=\"badge ") + escaped(r.status.toLower()) + QStringLiteral("\">")
                + escaped(badge) + QStringLiteral("</span>");
    main += productPriceHtml(site, product);
    if (!r.shortDescription.trimmed().isEmpty())
        main +=
            QStringLiteral("<div class=\"lead\">") + safeHtml(r.shortDescription) + QStringLiteral("</div>");
    main += buyForm(site, product);
    main += QStringLiteral("</div>");
    if (!r.longDescription.trimmed().isEmpty())
        main += QStringLiteral("<div class=\"prose description\">") + safeHtml(r.longDescription)
                + QStringLiteral("</div>");
    main += QStringLiteral("</article>");
    savePage(pageText(site, meta, main), site.context.shopFile(meta.file));
}

} // namespace

QString productJsonLd(const Site& site, const Product& product, const std::vector<Crumb>& crumbs)
{
    const ProductRecord& r = product.record;
    const QString file = pageFile(r.id);
    QJsonObject offer{{QStringLiteral("@type"), QStringLiteral("Offer")},
                      {QStringLiteral("price"), machineMoney(product.price)},
                      {QStringLiteral("priceCurrency"), site.currencyCode},
                      {QStringLiteral("availability"), QStringLiteral("https://schema.org/InStock")},
                      {QStringLiteral("url"), site.address.isEmpty() ? file : site.absolute(file)}};
    QJsonObject item{{QStringLiteral("@context"), QStringLiteral("https://schema.org")},
                     {QStringLiteral("@type"), QStringLiteral("Product")},
                     {QStringLiteral("name"), r.name},
                     {QStringLiteral("sku"), r.id},
                     {QStringLiteral("description"),
                      plainText(r.longDescription.isEmpty() ? r.shortDescription : r.longDescription)},
                     {QStringLiteral("offers"), offer}};
    QString image;
    if (product.bigPicture.isValid())
        image = QStringLiteral("img/") + r.id + QStringLiteral("D.jpg");
    else if (product.smallPicture.isValid())
        image = QStringLiteral("img/") + r.id + QStringLiteral("M.jpg");
    if (!image.isEmpty())
        item.insert(QStringLiteral("image"), site.address.isEmpty() ? image : site.absolute(image));
    return QStringLiteral("<script type=\"application/ld+json\">")
           + scriptSafeJson(QJsonDocument(item).toJson(QJsonDocument::Compact))
           + QStringLiteral("</script>\n") + breadcrumbJsonLd(site, crumbs, file);
}

QStringList writeHomePage(Site& site, const QString& file)
{
    const Labels& l = *site.labels;
    const shell::Settings& settings = site.settings();
    QString main =
        QStringLiteral("<section class=\"welcome\"><h1>")
        + escaped(settings.options.title.isEmpty() ? settings.options.shopName : settings.options.title)
        + QStringLiteral("</h1>");
    if (!settings.welcomeText.trimmed().isEmpty())
        main += QStringLiteral("<div class=\"prose\">") + safeHtml(settings.welcomeText)
                + QStringLiteral("</div>");
    main += QStringLiteral("</section>\n");
    std::vector<int> fresh, promoted;
    for (size_t i = 0; i < site.products.size(); ++i) {
        const QString& status = site.products[i].record.status;
        if (status == QStringLiteral("New"))
            fresh.push_back(int(i));
        else if (site.products[i].promoted)
            promoted.push_back(int(i));
    }
    if (!promoted.empty())
        main += QStringLiteral("<section><h2>") + escaped(l.promotedProducts) + QStringLiteral("</h2>")
                + productGrid(site, promoted, 3) + QStringLiteral("</section>\n");
    if (!fresh.empty())
        main += QStringLiteral("<section><h2>") + escaped(l.newProducts) + QStringLiteral("</h2>")
                + productGrid(site, fresh, 3) + QStringLiteral("</section>\n");
    if (fresh.empty() && promoted.empty()) {
        std::vector<int> all;
        for (size_t i = 0; i < site.products.size() && i < 12; ++i)
            all.push_back(int(i));
        main += QStringLiteral("<section><h2>") + escaped(l.allProducts) + QStringLiteral("</h2>")
                + productGrid(site, all, 3) + QStringLiteral("</section>\n");
    }
    PageMeta meta;
    meta.file = file;
    meta.description = settings.metaDescription.isEmpty() ? settings.welcomeText : settings.metaDescription;
    if (!site.logoFile.isEmpty())
        meta.image = QStringLiteral("img/") + site.logoFile;
    meta.bodyClass = QStringLiteral("home");
    save(site, file, meta, main);
    return {file};
}

QStringList writeCategoryPages(Site& site)
{
    const Labels& l = *site.labels;
    QStringList files;
    for (size_t i = 0; i < site.categories.size(); ++i) {
        const Category& c = site.categories[i];
        site.context.report(QStringLiteral("create category ") + c.name + QLatin1Char(' ') + c.key);
        QString main = QStringLiteral("<h1>") + escaped(c.name) + QStringLiteral("</h1>\n");
        if (!c.children.empty()) {
            main += QStringLiteral("<nav class=\"chips\" aria-label=\"") + escaped(l.subcategories)
                    + QStringLiteral("\"><ul>");
            for (int child : c.children)
                main += QStringLiteral("<li><a href=\"")
                        + escaped(pageFile(site.categories[size_t(child)].key)) + QStringLiteral("\">")
                        + escaped(site.categories[size_t(child)].name) + QStringLiteral("</a></li>");
            main += QStringLiteral("</ul></nav>\n");
        }
        const std::vector<int> products = site.productsUnder(int(i));
        main += productGrid(site, products, 2);
        PageMeta meta;
        meta.file = pageFile(c.key);
        meta.title = c.name;
        QString description = c.name + QStringLiteral(": ");
        for (size_t p = 0; p < products.size() && p < 8; ++p)
            description +=
                (p ? QStringLiteral(", ") : QString()) + site.products[size_t(products[p])].record.name;
        meta.description = description.toHtmlEscaped();
        meta.crumbs = crumbsTo(site, int(i), true);
        meta.category = int(i);
        meta.jsonLd = breadcrumbJsonLd(site, meta.crumbs, meta.file);
        save(site, meta.file, meta, main);
        files << meta.file;
    }
    return files;
}

QStringList writeProductPages(Site& site)
{
    prepareMenus(site);
    QStringList files;
    for (const Product& product : site.products) {
        // What reaches the report is said here, in order; the page itself is put together and written
        // by the writer threads.
        warnAboutEmptyLists(site, product);
        provideProductPictures(site, product);
        const Site* shared = &site;
        const Product* one = &product;
        site.context.submitTask([shared, one] { writeProductPage(*shared, *one); });
        files << pageFile(product.record.id);
        site.context.advanceProgress();
    }
    return files;
}

QStringList writePriceListPage(Site& site)
{
    const Labels& l = *site.labels;
    QString main =
        QStringLiteral("<h1>") + escaped(l.priceList)
        + QStringLiteral(
            "</h1>\n<div class=\"table-wrap\"><table class=\"prices\"><thead><tr><th scope=\"col\">")
        + escaped(l.product) + QStringLiteral("</th><th scope=\"col\">") + escaped(l.menu)
        + QStringLiteral("</th><th scope=\"col\" class=\"num\">") + escaped(l.price) + QStringLiteral(" (")
        + escaped(site.net ? l.net : l.gross) + QStringLiteral(")</th></tr></thead><tbody>");
    for (const Product& p : site.products) {
        main += QStringLiteral("<tr><td><a href=\"") + escaped(pageFile(p.record.id)) + QStringLiteral("\">")
                + escaped(p.record.name) + QStringLiteral("</a>");
        const QString badge = badgeText(site, p.record);
        if (!badge.isEmpty())
            main += QStringLiteral(" <span class=\"badge ") + escaped(p.record.status.toLower())
                    + QStringLiteral("\">") + escaped(badge) + QStringLiteral("</span>");
        main += QStringLiteral("</td><td>")
                + (p.category >= 0 ? escaped(site.categories[size_t(p.category)].name) : QString())
                + QStringLiteral("</td><td class=\"num\">") + site.money(p.price)
                + QStringLiteral("</td></tr>");
    }
    main += QStringLiteral("</tbody></table></div>");
    PageMeta meta;
    meta.file = QStringLiteral("cennik.html");
    meta.title = l.priceList;
    meta.description = l.priceList + QStringLiteral(" – ") + site.settings().options.title;
    meta.crumbs = {{l.home, site.context.startPage()}, {l.priceList, QString()}};
    save(site, meta.file, meta, main);
    return {meta.file};
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

QStringList writeSearchPage(Site& site)
{
    const Labels& l = *site.labels;
    QJsonArray index;
    for (const Product& p : site.products) {
        const ProductRecord& r = p.record;
        QJsonObject entry{
            {QStringLiteral("u"), pageFile(r.id)},
            {QStringLiteral("n"), r.name},
            {QStringLiteral("f"), folded(r.name + QLatin1Char(' ') + plainText(r.shortDescription))},
            {QStringLiteral("p"), double(p.price)}};
        if (p.promoted) {
            entry.insert(QStringLiteral("o"), double(p.regularPrice));
            if (p.lowestBefore)
                entry.insert(QStringLiteral("l"), double(*p.lowestBefore));
        }
        const QString badge = badgeText(site, r);
        if (!badge.isEmpty()) {
            entry.insert(QStringLiteral("b"), badge);
            entry.insert(QStringLiteral("s"), r.status.toLower());
        }
        if (p.smallPicture.isValid()) {
            entry.insert(QStringLiteral("i"), QStringLiteral("img/") + r.id + QStringLiteral("M.jpg"));
            entry.insert(QStringLiteral("w"), p.smallPicture.width());
            entry.insert(QStringLiteral("h"), p.smallPicture.height());
        }
        index.append(entry);
    }
    const QString indexFile = site.context.shopFile(QStringLiteral("szukaj.json"));
    QFile json(indexFile + QStringLiteral(".new"));
    if (!json.open(QIODevice::WriteOnly)
        || json.write(QJsonDocument(index).toJson(QJsonDocument::Compact)) < 0)
        throw shell::AppError(QStringLiteral("Cannot write %1: %2").arg(indexFile, json.errorString()));
    json.close();
    QFile::remove(indexFile);
    if (!json.rename(indexFile))
        throw shell::AppError(QStringLiteral("Cannot write %1: %2").arg(indexFile, json.errorString()));

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
