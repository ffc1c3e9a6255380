#include "generator/modern/modernsite.h"

#include "catalogue/categorytree.h"
#include "generator/modern/modernhtml.h"
#include "generator/priceblock.h"
#include "generator/savepage.h"
#include "generator/shoppictures.h"
#include "shell/tables/table.h"

#include <QDate>
#include <QFileInfo>
#include <QSet>

namespace generator::modern {

namespace {

// Each label in Polish and in English.
struct LabelText {
    QString Labels::*member;
    const char* polish;
    const char* english;
};
const LabelText kLabelTexts[] = {
    {&Labels::home, "Strona główna", "Home"},
    {&Labels::menu, "Kategorie", "Categories"},
    {&Labels::search, "Szukaj", "Search"},
    {&Labels::searchPlaceholder, "Szukaj produktu", "Search products"},
    {&Labels::searchButton, "Szukaj", "Search"},
    {&Labels::cart, "Koszyk", "Cart"},
    {&Labels::cartEmpty, "Koszyk jest pusty.", "Your cart is empty."},
    {&Labels::order, "Zamówienie", "Order"},
    {&Labels::priceList, "Cennik", "Price list"},
    {&Labels::about, "O sklepie", "About us"},
    {&Labels::terms, "Regulamin", "Terms"},
    {&Labels::delivery, "Dostawa", "Delivery"},
    {&Labels::addToCart, "Dodaj do koszyka", "Add to cart"},
    {&Labels::added, "Dodano do koszyka.", "Added to the cart."},
    {&Labels::quantity, "Ilość", "Quantity"},
    {&Labels::size, "Rozmiar", "Size"},
    {&Labels::colour, "Kolor", "Colour"},
    {&Labels::dimensions, "Wymiar", "Dimensions"},
    {&Labels::price, "Cena", "Price"},
    {&Labels::newBadge, "Nowość", "New"},
    {&Labels::promotionBadge, "Promocja", "Promotion"},
    {&Labels::saleBadge, "Wyprzedaż", "Sale"},
    {&Labels::lowestBefore,
     "Najniższa cena z 30 dni przed obniżką: ", "Lowest price in the 30 days before the reduction: "},
    {&Labels::newProducts, "Nowości", "New arrivals"},
    {&Labels::promotedProducts, "Promocje i wyprzedaż", "Promotions and sale"},
    {&Labels::allProducts, "Produkty", "Products"},
    {&Labels::subcategories, "Podkategorie", "Subcategories"},
    {&Labels::noScriptCart, "Koszyk działa z włączonym JavaScriptem.", "The cart needs JavaScript."},
    {&Labels::noScriptSearch,
     "Wyszukiwanie działa z włączonym JavaScriptem; wszystkie produkty znajdziesz w cenniku.",
     "Search needs JavaScript; every product is in the price list."},
    {&Labels::total, "Razem do zapłaty", "Total"},
    {&Labels::subtotal, "Wartość produktów", "Products"},
    {&Labels::remove, "Usuń", "Remove"},
    {&Labels::product, "Produkt", "Product"},
    {&Labels::amount, "Wartość", "Amount"},
    {&Labels::goToOrder, "Przejdź do zamówienia", "Go to checkout"},
    {&Labels::continueShopping, "Kontynuuj zakupy", "Continue shopping"},
    {&Labels::invoice, "Dane do faktury", "Invoice"},
    {&Labels::deliveryAddress, "Adres dostawy (jeśli inny)", "Delivery address (if different)"},
    {&Labels::company, "Firma", "Company"},
    {&Labels::name, "Imię i nazwisko", "Name"},
    {&Labels::street, "Ulica i numer", "Street"},
    {&Labels::postcode, "Kod pocztowy", "Postcode"},
    {&Labels::city, "Miejscowość", "City"},
    {&Labels::phone, "Telefon", "Phone"},
    {&Labels::email, "E-mail", "E-mail"},
    {&Labels::comments, "Uwagi do zamówienia i dostawy", "Order and delivery comments"},
    {&Labels::acceptTerms, "Akceptuję %1 sklepu", "I accept the shop's %1"},
    {&Labels::send, "Zamawiam z obowiązkiem zapłaty", "Place order with obligation to pay"},
    {&Labels::honeypot, "Zostaw to pole puste", "Leave this field empty"},
    {&Labels::noResults, "Nic nie znaleziono.", "Nothing found."},
    {&Labels::results, "Wyniki wyszukiwania", "Search results"},
    {&Labels::contact, "Kontakt", "Contact"},
    {&Labels::breadcrumbs, "Ścieżka", "Breadcrumbs"},
    {&Labels::skip, "Przejdź do treści", "Skip to content"},
    {&Labels::perUnit, "Cena za szt.", "Unit price"},
    {&Labels::deliveryMethods, "Sposoby dostawy", "Delivery methods"},
    {&Labels::net, "netto", "net"},
    {&Labels::gross, "brutto", "gross"},
    {&Labels::thanks, "Dziękujemy za zamówienie!", "Thank you for your order!"},
    {&Labels::pricesDiffer,
     "UWAGA: przeglądarka przesłała wartości inne niż w cenniku sklepu; zamówienie powyżej wyceniono według "
     "cennika.",
     "NOTE: the browser sent values that differ from the shop's price list; the order above is priced from "
     "the price list."},
    {&Labels::unknownProduct, "nieznany produkt", "unknown product"},
    {&Labels::insteadOf, "zamiast", "instead of"},
    {&Labels::unknownDelivery, "nieznany sposób dostawy", "unknown delivery method"},
    {&Labels::mailFailed, "Nie udało się wysłać zamówienia. Spróbuj ponownie lub napisz do nas.",
     "The order could not be sent. Please try again or write to us."},
};

Labels labelsIn(bool polish)
{
    Labels labels;
    for (const LabelText& text : kLabelTexts)
        labels.*text.member = QString::fromUtf8(polish ? text.polish : text.english);
    return labels;
}

} // namespace

const Labels& labelsFor(const QString& language)
{
    static const Labels polish = labelsIn(true);
    static const Labels english = labelsIn(false);
    return language.startsWith(QStringLiteral("pl"), Qt::CaseInsensitive) ? polish : english;
}

QString Site::money(qint64 minorUnits) const
{
    return moneyText(minorUnits, language) + QChar(0xA0) + escaped(currency);
}

QString Site::absolute(const QString& file) const
{
    return address.isEmpty() ? QString() : address + QLatin1Char('/') + file;
}

std::vector<int> Site::categoryPath(int index) const
{
    std::vector<int> path;
    for (int i = index; i >= 0; i = categories[size_t(i)].parent)
        path.insert(path.begin(), i);
    return path;
}

std::vector<int> Site::productsUnder(int index, size_t atLeast) const
{
    std::vector<int> result;
    QSet<int> seen;
    auto take = [&](int c) {
        for (int p : categories[size_t(c)].products)
            if (!seen.contains(p)) {
                seen.insert(p);
                result.push_back(p);
            }
    };
    take(index);
    // Breadth first through the branch, so nearer subcategories come first.
    std::vector<int> queue = categories[size_t(index)].children;
    for (size_t i = 0; i < queue.size() && result.size() < atLeast; ++i) {
        take(queue[i]);
        const auto& children = categories[size_t(queue[i])].children;
        queue.insert(queue.end(), children.begin(), children.end());
    }
    const size_t kept = std::max(atLeast, categories[size_t(index)].products.size());
    if (result.size() > kept)
        result.resize(kept);
    return result;
}

void gatherSite(Site& site, const LowestPriceSource& lowestPrice)
{
    GeneratorContext& context = site.context;
    const shell::ShopOptions& options = context.settings().options;
    site.language = options.language.trimmed().isEmpty() ? QStringLiteral("pl") : options.language.trimmed();
    site.labels = &labelsFor(site.language);
    site.currency = options.currency.trimmed().section(QLatin1Char(' '), 0, 0);
    site.currencyCode = shell::currencyCodeOf(options);
    site.address = options.address.trimmed();
    while (site.address.endsWith(QLatin1Char('/')))
        site.address.chop(1);
    site.net = options.priceListNet;

    for (const shell::DeliveryMethodRow& row : context.settings().deliveryMethods) {
        if (!options.includeDelivery || !row.offered())
            continue;
        bool ok = false;
        const double price =
            QString(row.price).replace(QLatin1Char(','), QLatin1Char('.')).trimmed().toDouble(&ok);
        if (!ok || price < 0) {
            context.warn(QStringLiteral(" warning: delivery method ") + row.name
                         + QStringLiteral(" has the price \"") + row.price
                         + QStringLiteral("\", which is not an amount; it is not offered"));
            continue;
        }
        site.delivery.push_back({row.name, toMinorUnits(price)});
    }

    ProductLookup lookup(context.products());
    QHash<QString, int> productByKey;
    std::vector<int> categoryAtDepth;
    context.tree().walkWithDepth([&](catalogue::TreeNode& node, int depth) {
        categoryAtDepth.resize(size_t(depth));
        const int parent = depth > 0 ? categoryAtDepth[size_t(depth - 1)] : -1;
        if (!node.isProduct()) {
            categoryAtDepth.push_back(-1);
            if (!context.checkFileKey(node.key(), node.text()))
                return;
            Category category{node.key(), node.displayName(), parent, {}, {}};
            site.categories.push_back(category);
            categoryAtDepth.back() = int(site.categories.size()) - 1;
            if (parent >= 0)
                site.categories[size_t(parent)].children.push_back(categoryAtDepth.back());
            return;
        }
        categoryAtDepth.push_back(parent);
        const QString folded = node.key().toCaseFolded();
        int index = productByKey.value(folded, -1);
        if (index < 0) {
            std::optional<ProductRecord> record = lookup.find(node.key());
            if (!record) {
                context.warn(QStringLiteral(" warning: product is missing:  ") + node.text());
                return;
            }
            Product product;
            product.record = std::move(*record);
            if (!context.checkFileKey(product.record.id, node.text()))
                return;
            product.nodeText = node.text();
            product.category = parent;
            const QString& id = product.record.id;
            product.price = toMinorUnits(effectivePrice(product.record, site.net));
            product.regularPrice =
                toMinorUnits(site.net ? product.record.netPrice : product.record.grossPrice);
            product.promoted = !sellsAtRegularPrice(product.record.status);
            if (product.promoted) {
                // Without a price history the price before the promotion is the regular one.
                std::optional<double> lowest = lowestPrice ? lowestPrice(id, site.net) : std::nullopt;
                product.lowestBefore = lowest ? toMinorUnits(*lowest) : product.regularPrice;
            }
            site.products.push_back(product);
            index = int(site.products.size()) - 1;
            productByKey.insert(folded, index);
        }
        if (parent >= 0) {
            auto& list = site.categories[size_t(parent)].products;
            if (std::find(list.begin(), list.end(), index) == list.end())
                list.push_back(index);
        }
    });

    // Every picture is read and measured at once on the writer threads; the copies go with the pages.
    QVector<QPair<QString, QString>> sources;
    sources.reserve(qsizetype(site.products.size()) * 2);
    for (const Product& product : site.products) {
        for (const PictureFile& picture : productPictures(site, product))
            sources.append({picture.source, picture.target});
    }
    site.pictures.check(context, sources);
    for (Product& product : site.products) {
        const std::array<PictureFile, 2> files = productPictures(site, product);
        product.smallPicture = site.pictures.size(files[0].source);
        product.bigPicture = site.pictures.size(files[1].source);
    }
}

std::array<PictureFile, 2> productPictures(const Site& site, const Product& product)
{
    const QString folder = site.context.folder().pictures();
    const QString& id = product.record.id;
    return {PictureFile{catalogue::products::smallPicturePath(folder, id),
                        site.context.imageFile(id + QStringLiteral("M.jpg"))},
            PictureFile{catalogue::products::bigPicturePath(folder, id),
                        site.context.imageFile(id + QStringLiteral("D.jpg"))}};
}

void provideProductPictures(Site& site, const Product& product)
{
    for (const PictureFile& picture : productPictures(site, product))
        site.pictures.provide(site.context, picture.source, picture.target);
}

QString badgeText(const Site& site, const ProductRecord& product)
{
    if (product.status == QStringLiteral("New"))
        return site.labels->newBadge;
    if (product.status == QStringLiteral("Promotion"))
        return site.labels->promotionBadge;
    if (product.status == QStringLiteral("Sale"))
        return site.labels->saleBadge;
    return {};
}

namespace {

QString priceHtml(const Site& site, const Product& product, bool withLowest)
{
    QString html = QStringLiteral("<p class=\"price\">");
    if (product.promoted) {
        html += QStringLiteral("<span class=\"now\">") + site.money(product.price)
                + QStringLiteral("</span> <del>") + site.money(product.regularPrice)
                + QStringLiteral("</del>");
    } else {
        html +=
            QStringLiteral("<span class=\"now\">") + site.money(product.price) + QStringLiteral("</span>");
    }
    html += QStringLiteral("</p>");
    if (withLowest && product.lowestBefore)
        html += QStringLiteral("<p class=\"lowest\">") + escaped(site.labels->lowestBefore)
                + site.money(*product.lowestBefore) + QStringLiteral("</p>");
    return html;
}

QString menuList(const Site& site, const std::vector<int>& items, const std::vector<int>& active, int current)
{
    QString html = QStringLiteral("<ul>");
    for (int i : items) {
        const Category& c = site.categories[size_t(i)];
        const bool onPath = std::find(active.begin(), active.end(), i) != active.end();
        html += QStringLiteral("<li><a href=\"") + escaped(c.key) + QStringLiteral(".html\"");
        if (i == current)
            html += QStringLiteral(" aria-current=\"page\"");
        else if (onPath)
            html += QStringLiteral(" class=\"open\"");
        html += QLatin1Char('>') + escaped(c.name) + QStringLiteral("</a>");
        // Only the branch of the page is unfolded: every page carrying the whole tree of a large
        // catalogue would multiply the shop's size, and the category pages list their subcategories.
        if (!c.children.empty() && onPath)
            html += menuList(site, c.children, active, current);
        html += QStringLiteral("</li>");
    }
    return html + QStringLiteral("</ul>");
}

// The category menu of a page of the category (or of none, -1), marking current as the page itself.
QString menuHtml(const Site& site, int category, int current)
{
    std::vector<int> top;
    for (size_t i = 0; i < site.categories.size(); ++i)
        if (site.categories[i].parent < 0)
            top.push_back(int(i));
    const std::vector<int> active = category >= 0 ? site.categoryPath(category) : std::vector<int>{};
    return menuList(site, top, active, current);
}

QString shopData(const Site& site)
{
    QString delivery;
    for (const DeliveryOption& d : site.delivery) {
        if (!delivery.isEmpty())
            delivery += QLatin1Char(',');
        QString name = d.name;
        name.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
            .replace(QLatin1Char('"'), QStringLiteral("\\\""));
        delivery += QStringLiteral("{\"n\":\"") + name + QStringLiteral("\",\"p\":")
                    + QString::number(d.price) + QLatin1Char('}');
    }
    QString currency = site.currency;
    currency.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('"'), QStringLiteral("\\\""));
    const QString json = QStringLiteral("{\"lang\":\"") + escaped(site.language)
                         + QStringLiteral("\",\"currency\":\"") + currency
                         + QStringLiteral("\",\"delivery\":[") + delivery + QStringLiteral("]}");
    return QStringLiteral("<script type=\"application/json\" id=\"shop-data\">")
           + scriptSafeJson(json.toUtf8()) + QStringLiteral("</script>");
}

} // namespace

void prepareMenus(Site& site)
{
    site.menus.clear();
    for (int category = -1; category < int(site.categories.size()); ++category)
        site.menus.push_back(menuHtml(site, category, -1));
}

QString productCard(const Site& site, const Product& product, int headingLevel)
{
    const ProductRecord& r = product.record;
    const QString href = escaped(r.id) + QStringLiteral(".html");
    const QString h = QStringLiteral("h") + QString::number(headingLevel);
    QString card =
        QStringLiteral("<li class=\"card\"><a class=\"card-link\" href=\"") + href + QStringLiteral("\">");
    if (product.smallPicture.isValid())
        card += QStringLiteral("<img src=\"img/") + escaped(r.id) + QStringLiteral("M.jpg\" width=\"")
                + QString::number(product.smallPicture.width()) + QStringLiteral("\" height=\"")
                + QString::number(product.smallPicture.height()) + QStringLiteral("\" alt=\"")
                + escaped(r.name) + QStringLiteral("\" loading=\"lazy\">");
    else
        card += QStringLiteral("<span class=\"noimg\" aria-hidden=\"true\"></span>");
    card += QLatin1Char('<') + h + QLatin1Char('>') + escaped(r.name) + QStringLiteral("</") + h
            + QLatin1Char('>');
    card += QStringLiteral("</a>");
    const QString badge = badgeText(site, r);
    if (!badge.isEmpty())
        card += QStringLiteral("<span class=\"badge ") + escaped(r.status.toLower()) + QStringLiteral("\">")
                + escaped(badge) + QStringLiteral("</span>");
    card += priceHtml(site, product, true);
    return card + QStringLiteral("</li>");
}

QString productGrid(const Site& site, const std::vector<int>& products, int headingLevel)
{
    QString html = QStringLiteral("<ul class=\"grid\">");
    for (int p : products)
        html += productCard(site, site.products[size_t(p)], headingLevel);
    return html + QStringLiteral("</ul>");
}

QString productPriceHtml(const Site& site, const Product& product)
{
    return priceHtml(site, product, true);
}

QString pageText(const Site& site, const PageMeta& meta, const QString& mainHtml)
{
    const shell::Settings& settings = site.settings();
    const shell::ShopOptions& options = settings.options;
    const Labels& l = *site.labels;
    const QString shopName = options.shopName.trimmed().isEmpty() ? options.title : options.shopName;
    const QString title =
        meta.title.isEmpty() ? options.title : meta.title + QStringLiteral(" – ") + shopName;
    QString description = metaDescription(meta.description.isEmpty() ? settings.infoText : meta.description);
    if (description.isEmpty())
        description = metaDescription(title.toHtmlEscaped()); // every page describes itself somehow
    const QString startPage = site.context.startPage();

    QString page = QStringLiteral("<!DOCTYPE html>\n<html lang=\"") + escaped(site.language)
                   + QStringLiteral("\">\n<head>\n");
    page += QStringLiteral("<meta charset=\"utf-8\">\n<meta name=\"viewport\" content=\"width=device-width, "
                           "initial-scale=1\">\n");
    page += QStringLiteral("<title>") + escaped(title) + QStringLiteral("</title>\n");
    if (!description.isEmpty())
        page += QStringLiteral("<meta name=\"description\" content=\"") + escaped(description)
                + QStringLiteral("\">\n");
    if (!meta.indexable)
        page += QStringLiteral("<meta name=\"robots\" content=\"noindex\">\n");
    const QString canonical = site.absolute(meta.file);
    if (!canonical.isEmpty())
        page +=
            QStringLiteral("<link rel=\"canonical\" href=\"") + escaped(canonical) + QStringLiteral("\">\n");
    page += QStringLiteral("<meta property=\"og:type\" content=\"") + meta.ogType + QStringLiteral("\">\n");
    page += QStringLiteral("<meta property=\"og:title\" content=\"")
            + escaped(meta.title.isEmpty() ? title : meta.title) + QStringLiteral("\">\n");
    page += QStringLiteral("<meta property=\"og:site_name\" content=\"") + escaped(shopName)
            + QStringLiteral("\">\n");
    if (!description.isEmpty())
        page += QStringLiteral("<meta property=\"og:description\" content=\"") + escaped(description)
                + QStringLiteral("\">\n");
    if (!canonical.isEmpty())
        page += QStringLiteral("<meta property=\"og:url\" content=\"") + escaped(canonical)
                + QStringLiteral("\">\n");
    if (!meta.image.isEmpty()) {
        const QString image = site.address.isEmpty() ? meta.image : site.absolute(meta.image);
        page += QStringLiteral("<meta property=\"og:image\" content=\"") + escaped(image)
                + QStringLiteral("\">\n");
    }
    page += QStringLiteral("<meta name=\"generator\" content=\"Kalmenor\">\n");
    page += QStringLiteral("<link rel=\"icon\" href=\"data:,\">\n"); // no favicon.ico to ask for
    page += QStringLiteral("<link rel=\"stylesheet\" href=\"shop.css\">\n");
    page += QStringLiteral("<script type=\"module\" src=\"shop.js\"></script>\n");
    page += meta.jsonLd;
    page += QStringLiteral("</head>\n<body");
    if (!meta.bodyClass.isEmpty())
        page += QStringLiteral(" class=\"") + meta.bodyClass + QLatin1Char('"');
    page += QStringLiteral(">\n<a class=\"skip\" href=\"#content\">") + escaped(l.skip)
            + QStringLiteral("</a>\n");

    // Header: name or logo, search, cart.
    page += QStringLiteral("<header class=\"top\"><div class=\"bar\">");
    page += QStringLiteral("<a class=\"brand\" href=\"") + escaped(startPage) + QStringLiteral("\">");
    if (!site.logoFile.isEmpty())
        page += QStringLiteral("<img src=\"img/") + escaped(site.logoFile) + QStringLiteral("\" alt=\"")
                + escaped(shopName) + QStringLiteral("\" height=\"48\">");
    else
        page += escaped(shopName);
    page += QStringLiteral("</a>");
    page += QStringLiteral("<button class=\"menu-button\" type=\"button\" aria-expanded=\"false\" "
                           "aria-controls=\"menu\" hidden>")
            + escaped(l.menu) + QStringLiteral("</button>");
    page += QStringLiteral("<form class=\"search\" role=\"search\" action=\"find.html\" "
                           "method=\"get\"><label class=\"vh\" for=\"q-top\">")
            + escaped(l.searchPlaceholder)
            + QStringLiteral("</label><input id=\"q-top\" type=\"search\" name=\"q\" placeholder=\"")
            + escaped(l.searchPlaceholder) + QStringLiteral("\"><button type=\"submit\">")
            + escaped(l.searchButton) + QStringLiteral("</button></form>");
    page += QStringLiteral("<a class=\"cart-link\" href=\"koszyk.html\">") + escaped(l.cart)
            + QStringLiteral(" <span class=\"count\" data-cart-count>0</span></a>");
    page += QStringLiteral("</div></header>\n");

    // Category menu beside the content.
    page += QStringLiteral("<div class=\"layout\">\n<nav id=\"menu\" class=\"menu\" aria-label=\"")
            + escaped(l.menu) + QStringLiteral("\">");
    const int current =
        meta.file.endsWith(QStringLiteral(".html")) && meta.category >= 0
                && site.categories[size_t(meta.category)].key + QStringLiteral(".html") == meta.file
            ? meta.category
            : -1;
    page += current < 0 && size_t(meta.category + 1) < site.menus.size()
                ? site.menus[size_t(meta.category + 1)]
                : menuHtml(site, meta.category, current);
    page += QStringLiteral("</nav>\n<main id=\"content\">\n");
    if (!meta.crumbs.empty()) {
        page += QStringLiteral("<nav class=\"crumbs\" aria-label=\"") + escaped(l.breadcrumbs)
                + QStringLiteral("\"><ol>");
        for (const Crumb& crumb : meta.crumbs) {
            if (crumb.file.isEmpty())
                page += QStringLiteral("<li aria-current=\"page\">") + escaped(crumb.name)
                        + QStringLiteral("</li>");
            else
                page += QStringLiteral("<li><a href=\"") + escaped(crumb.file) + QStringLiteral("\">")
                        + escaped(crumb.name) + QStringLiteral("</a></li>");
        }
        page += QStringLiteral("</ol></nav>\n");
    }
    page += mainHtml;
    page += QStringLiteral("\n</main>\n</div>\n");

    // Footer: the shop's pages, delivery methods and contact.
    page += QStringLiteral("<footer class=\"foot\"><div class=\"cols\"><section><h2>") + escaped(shopName)
            + QStringLiteral("</h2><ul>");
    if (options.includeInformation)
        page += QStringLiteral("<li><a href=\"onas.html\">") + escaped(l.about) + QStringLiteral("</a></li>");
    if (options.includeRegulation)
        page += QStringLiteral("<li><a href=\"regulamin.html\">") + escaped(l.terms)
                + QStringLiteral("</a></li>");
    if (options.includePriceList)
        page += QStringLiteral("<li><a href=\"cennik.html\">") + escaped(l.priceList)
                + QStringLiteral("</a></li>");
    page += QStringLiteral("<li><a href=\"koszyk.html\">") + escaped(l.cart)
            + QStringLiteral("</a></li></ul></section>");
    if (!site.delivery.empty()) {
        page += QStringLiteral("<section><h2>") + escaped(l.deliveryMethods) + QStringLiteral("</h2><ul>");
        for (const DeliveryOption& d : site.delivery)
            page += QStringLiteral("<li>") + escaped(d.name) + QStringLiteral(": ") + site.money(d.price)
                    + QStringLiteral("</li>");
        page += QStringLiteral("</ul></section>");
    }
    if (!options.email.trimmed().isEmpty())
        page += QStringLiteral("<section><h2>") + escaped(l.contact)
                + QStringLiteral("</h2><p><a href=\"mailto:") + escaped(options.email.trimmed())
                + QStringLiteral("\">") + escaped(options.email.trimmed())
                + QStringLiteral("</a></p></section>");
    page += QStringLiteral("</div><p class=\"copy\">© ") + QString::number(QDate::currentDate().year())
            + QLatin1Char(' ') + escaped(shopName) + QStringLiteral("</p></footer>\n");
    page += shopData(site);
    page += QStringLiteral("\n</body>\n</html>\n");
    return page;
}

} // namespace generator::modern
