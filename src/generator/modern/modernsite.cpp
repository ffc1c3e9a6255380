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

void Site::money(Html& html, qint64 minorUnits) const
{
    // As moneyText.
    const quint64 amount = minorUnits < 0 ? 0 - quint64(minorUnits) : quint64(minorUnits);
    if (minorUnits < 0)
        html << "-";
    const char part[] = {decimalSeparator, char('0' + amount % 100 / 10), char('0' + amount % 10)};
    html.number(qint64(amount / 100)).raw(QByteArrayView(part, 3)).raw(moneySuffix);
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
    site.picturesFolder = context.folder().pictures();

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

    // The run's shared reading of the products table when it has one.
    const std::shared_ptr<const ProductLookup> lookup = context.productLookup();
    QHash<QString, int> productByKey;
    std::vector<int> categoryAtDepth;
    context.tree().walkWithDepth([&](catalogue::TreeNode& node, int depth) {
        categoryAtDepth.resize(size_t(depth));
        const int parent = depth > 0 ? categoryAtDepth[size_t(depth - 1)] : -1;
        if (!node.isProduct()) {
            categoryAtDepth.push_back(-1);
            if (!context.checkFileKey(node.key(), node.text()))
                return;
            Category category{node.key(), node.displayName(), parent, {}, {}, {}, {}};
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
            std::optional<ProductRecord> record = lookup->find(node.key());
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
            site.products.push_back(std::move(product));
            index = int(site.products.size()) - 1;
            productByKey.insert(folded, index);
        }
        if (parent >= 0) {
            auto& list = site.categories[size_t(parent)].products;
            if (std::find(list.begin(), list.end(), index) == list.end())
                list.push_back(index);
        }
    });
}

std::array<PictureFile, 2> productPictures(const Site& site, const Product& product)
{
    const QString& id = product.record.id;
    return {PictureFile{catalogue::products::smallPicturePath(site.picturesFolder, id),
                        site.context.imageFile(id + QStringLiteral("M.jpg"))},
            PictureFile{catalogue::products::bigPicturePath(site.picturesFolder, id),
                        site.context.imageFile(id + QStringLiteral("D.jpg"))}};
}

void provideProductPictures(const Site& site, Product& product)
{
    // The product's own: each of its pictures is read once, measured and copied here.
    const std::array<PictureFile, 2> files = productPictures(site, product);
    product.smallPicture = providePicture(site.context, files[0].source, files[0].target, true);
    product.bigPicture = providePicture(site.context, files[1].source, files[1].target, true);
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

void priceHtml(Html& html, const Site& site, const Product& product)
{
    html << "<p class=\"price\"><span class=\"now\">";
    site.money(html, product.price);
    html << "</span>";
    if (product.promoted) {
        html << " <del>";
        site.money(html, product.regularPrice);
        html << "</del>";
    }
    html << "</p>";
    if (product.lowestBefore) {
        html << "<p class=\"lowest\">";
        html.escaped(site.labels->lowestBefore);
        site.money(html, *product.lowestBefore);
        html << "</p>";
    }
}

void menuList(Html& html, const Site& site, const std::vector<int>& items, const std::vector<int>& active,
              int current)
{
    html << "<ul>";
    for (int i : items) {
        const Category& c = site.categories[size_t(i)];
        const bool onPath = std::find(active.begin(), active.end(), i) != active.end();
        html.raw(c.menuLink);
        if (i == current)
            html << " aria-current=\"page\"";
        else if (onPath)
            html << " class=\"open\"";
        html.raw(c.menuName);
        // Only the branch of the page is unfolded: every page carrying the whole tree of a large
        // catalogue would multiply the shop's size, and the category pages list their subcategories.
        if (!c.children.empty() && onPath)
            menuList(html, site, c.children, active, current);
        html << "</li>";
    }
    html << "</ul>";
}

// The category menu of a page of the category (or of none, -1), marking current as the page itself.
void menuHtml(Html& html, const Site& site, int category, int current)
{
    std::vector<int> top;
    for (size_t i = 0; i < site.categories.size(); ++i)
        if (site.categories[i].parent < 0)
            top.push_back(int(i));
    const std::vector<int> active = category >= 0 ? site.categoryPath(category) : std::vector<int>{};
    menuList(html, site, top, active, current);
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

QString shopNameOf(const shell::ShopOptions& options)
{
    return options.shopName.trimmed().isEmpty() ? options.title : options.shopName;
}

// Header: name or logo, search, cart; then the layout up to the menu.
QByteArray headerHtml(const Site& site)
{
    const Labels& l = *site.labels;
    const QString shopName = shopNameOf(site.settings().options);
    Html page;
    page << ">\n<a class=\"skip\" href=\"#content\">";
    page.escaped(l.skip) << "</a>\n";
    page << "<header class=\"top\"><div class=\"bar\">";
    page << "<a class=\"brand\" href=\"";
    page.escaped(site.context.startPage()) << "\">";
    if (!site.logoFile.isEmpty()) {
        page << "<img src=\"img/";
        page.escaped(site.logoFile) << "\" alt=\"";
        page.escaped(shopName) << "\" height=\"48\">";
    } else {
        page.escaped(shopName);
    }
    page << "</a>";
    page << "<button class=\"menu-button\" type=\"button\" aria-expanded=\"false\" "
            "aria-controls=\"menu\" hidden>";
    page.escaped(l.menu) << "</button>";
    page << "<form class=\"search\" role=\"search\" action=\"find.html\" "
            "method=\"get\"><label class=\"vh\" for=\"q-top\">";
    page.escaped(l.searchPlaceholder)
        << "</label><input id=\"q-top\" type=\"search\" name=\"q\" placeholder=\"";
    page.escaped(l.searchPlaceholder) << "\"><button type=\"submit\">";
    page.escaped(l.searchButton) << "</button></form>";
    page << "<a class=\"cart-link\" href=\"koszyk.html\">";
    page.escaped(l.cart) << " <span class=\"count\" data-cart-count>0</span></a>";
    page << "</div></header>\n";
    // Category menu beside the content.
    page << "<div class=\"layout\">\n<nav id=\"menu\" class=\"menu\" aria-label=\"";
    page.escaped(l.menu) << "\">";
    return page.take();
}

// Footer: the shop's pages, delivery methods and contact; the end of the page.
QByteArray footerHtml(const Site& site)
{
    const shell::ShopOptions& options = site.settings().options;
    const Labels& l = *site.labels;
    const QString shopName = shopNameOf(options);
    Html page;
    page << "\n</main>\n</div>\n";
    page << "<footer class=\"foot\"><div class=\"cols\"><section><h2>";
    page.escaped(shopName) << "</h2><ul>";
    if (options.includeInformation)
        page.raw("<li><a href=\"onas.html\">").escaped(l.about) << "</a></li>";
    if (options.includeRegulation)
        page.raw("<li><a href=\"regulamin.html\">").escaped(l.terms) << "</a></li>";
    if (options.includePriceList)
        page.raw("<li><a href=\"cennik.html\">").escaped(l.priceList) << "</a></li>";
    page.raw("<li><a href=\"koszyk.html\">").escaped(l.cart) << "</a></li></ul></section>";
    if (!site.delivery.empty()) {
        page.raw("<section><h2>").escaped(l.deliveryMethods) << "</h2><ul>";
        for (const DeliveryOption& d : site.delivery) {
            page.raw("<li>").escaped(d.name) << ": ";
            site.money(page, d.price);
            page << "</li>";
        }
        page << "</ul></section>";
    }
    const QString email = options.email.trimmed();
    if (!email.isEmpty()) {
        page.raw("<section><h2>").escaped(l.contact) << "</h2><p><a href=\"mailto:";
        page.escaped(email) << "\">";
        page.escaped(email) << "</a></p></section>";
    }
    page.raw("</div><p class=\"copy\">© ").number(QDate::currentDate().year()) << " ";
    page.escaped(shopName) << "</p></footer>\n";
    page.text(shopData(site));
    // The line end savePage gives a page's last line.
    page << "\n</body>\n</html>\n\r\n";
    return page.take();
}

} // namespace

void preparePages(Site& site)
{
    site.decimalSeparator = site.language.startsWith(QStringLiteral("en")) ? '.' : ',';
    site.moneySuffix = (QChar(0xA0) + escaped(site.currency)).toUtf8();
    site.header = headerHtml(site);
    site.footer = footerHtml(site);
    for (Category& c : site.categories) {
        c.menuLink = Html().raw("<li><a href=\"").escaped(c.key).raw(".html\"").take();
        c.menuName = Html().raw(">").escaped(c.name).raw("</a>").take();
    }
    site.menus.clear();
    for (int category = -1; category < int(site.categories.size()); ++category) {
        Html menu;
        menuHtml(menu, site, category, -1);
        site.menus.push_back(menu.take());
    }
}

namespace {

void productCard(Html& card, const Site& site, const Product& product, int headingLevel)
{
    const ProductRecord& r = product.record;
    card << "<li class=\"card\"><a class=\"card-link\" href=\"";
    card.escaped(r.id) << ".html\">";
    if (product.smallPicture.isValid()) {
        card << "<img src=\"img/";
        card.escaped(r.id) << "M.jpg\" width=\"";
        card.number(product.smallPicture.width()) << "\" height=\"";
        card.number(product.smallPicture.height()) << "\" alt=\"";
        card.escaped(r.name) << "\" loading=\"lazy\">";
    } else {
        card << "<span class=\"noimg\" aria-hidden=\"true\"></span>";
    }
    card.raw("<h").number(headingLevel) << ">";
    card.escaped(r.name).raw("</h").number(headingLevel) << ">";
    card << "</a>";
    const QString badge = badgeText(site, r);
    if (!badge.isEmpty()) {
        card.raw("<span class=\"badge ").escaped(r.status.toLower()) << "\">";
        card.escaped(badge) << "</span>";
    }
    priceHtml(card, site, product);
    card << "</li>";
}

} // namespace

void productGrid(Html& html, const Site& site, const std::vector<int>& products, int headingLevel)
{
    html << "<ul class=\"grid\">";
    for (int p : products)
        productCard(html, site, site.products[size_t(p)], headingLevel);
    html << "</ul>";
}

void productPriceHtml(Html& html, const Site& site, const Product& product)
{
    priceHtml(html, site, product);
}

void pageStart(Html& page, const Site& site, const PageMeta& meta)
{
    const shell::Settings& settings = site.settings();
    const shell::ShopOptions& options = settings.options;
    const Labels& l = *site.labels;
    const QString shopName = shopNameOf(options);
    const QString title =
        meta.title.isEmpty() ? options.title : meta.title + QStringLiteral(" – ") + shopName;
    QString description = metaDescription(meta.description.isEmpty() ? settings.infoText : meta.description);
    if (description.isEmpty())
        description = metaDescription(title.toHtmlEscaped()); // every page describes itself somehow

    page << "<!DOCTYPE html>\n<html lang=\"";
    page.escaped(site.language) << "\">\n<head>\n";
    page << "<meta charset=\"utf-8\">\n<meta name=\"viewport\" content=\"width=device-width, "
            "initial-scale=1\">\n";
    page.raw("<title>").escaped(title) << "</title>\n";
    if (!description.isEmpty())
        page.raw("<meta name=\"description\" content=\"").escaped(description) << "\">\n";
    if (!meta.indexable)
        page << "<meta name=\"robots\" content=\"noindex\">\n";
    // The page's own address, when the shop has one.
    auto address = [&](const QString& file) -> Html& {
        return site.address.isEmpty() ? page.escaped(file)
                                      : page.escaped(site.address).raw("/").escaped(file);
    };
    if (!site.address.isEmpty()) {
        page << "<link rel=\"canonical\" href=\"";
        address(meta.file) << "\">\n";
    }
    page.raw("<meta property=\"og:type\" content=\"").text(meta.ogType) << "\">\n";
    page.raw("<meta property=\"og:title\" content=\"").escaped(meta.title.isEmpty() ? title : meta.title)
        << "\">\n";
    page.raw("<meta property=\"og:site_name\" content=\"").escaped(shopName) << "\">\n";
    if (!description.isEmpty())
        page.raw("<meta property=\"og:description\" content=\"").escaped(description) << "\">\n";
    if (!site.address.isEmpty()) {
        page << "<meta property=\"og:url\" content=\"";
        address(meta.file) << "\">\n";
    }
    if (!meta.image.isEmpty()) {
        page << "<meta property=\"og:image\" content=\"";
        address(meta.image) << "\">\n";
    }
    page << "<meta name=\"generator\" content=\"Kalmenor\">\n";
    page << "<link rel=\"icon\" href=\"data:,\">\n"; // no favicon.ico to ask for
    page << "<link rel=\"stylesheet\" href=\"shop.css\">\n";
    page << "<script type=\"module\" src=\"shop.js\"></script>\n";
    page.raw(meta.jsonLd);
    page << "</head>\n<body";
    if (!meta.bodyClass.isEmpty())
        page.raw(" class=\"").text(meta.bodyClass) << "\"";
    page.raw(site.header);

    const int current =
        meta.file.endsWith(QStringLiteral(".html")) && meta.category >= 0
                && site.categories[size_t(meta.category)].key + QStringLiteral(".html") == meta.file
            ? meta.category
            : -1;
    if (current < 0 && size_t(meta.category + 1) < site.menus.size())
        page.raw(site.menus[size_t(meta.category + 1)]);
    else
        menuHtml(page, site, meta.category, current);
    page << "</nav>\n<main id=\"content\">\n";
    if (!meta.crumbs.empty()) {
        page.raw("<nav class=\"crumbs\" aria-label=\"").escaped(l.breadcrumbs) << "\"><ol>";
        for (const Crumb& crumb : meta.crumbs) {
            if (crumb.file.isEmpty()) {
                page.raw("<li aria-current=\"page\">").escaped(crumb.name) << "</li>";
            } else {
                page.raw("<li><a href=\"").escaped(crumb.file) << "\">";
                page.escaped(crumb.name) << "</a></li>";
            }
        }
        page << "</ol></nav>\n";
    }
}

void pageEnd(Html& page, const Site& site)
{
    page.raw(site.footer);
}

void savePageBytes(Site& site, const QString& file, QByteArray bytes)
{
    site.context.submitTask(
        [path = site.context.shopFile(file), bytes = std::move(bytes)] { writeFileBeside(path, bytes); });
}

} // namespace generator::modern
