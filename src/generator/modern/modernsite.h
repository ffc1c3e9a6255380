#pragma once

#include "generator/generatorcontext.h"
#include "generator/modern/modernhtml.h"
#include "generator/productrecord.h"

#include <QHash>
#include <QSize>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace generator::modern {

// The words of the shop's own pieces, in the language of the pages (Polish, or English for any other
// language setting).
struct Labels {
    QString home, menu, search, searchPlaceholder, searchButton, cart, cartEmpty, order, priceList, about,
        terms, delivery, addToCart, added, quantity, size, colour, dimensions, price, newBadge,
        promotionBadge, saleBadge, lowestBefore, newProducts, promotedProducts, allProducts, subcategories,
        noScriptCart, noScriptSearch, total, subtotal, remove, product, amount, goToOrder, continueShopping,
        invoice, deliveryAddress, company, name, street, postcode, city, phone, email, comments, acceptTerms,
        send, honeypot, noResults, results, contact, breadcrumbs, skip, perUnit, deliveryMethods, net, gross,
        // the order script's own words: the default thanks and the notes of the merchant's mail
        thanks, pricesDiffer, unknownProduct, insteadOf, unknownDelivery, mailFailed;
};
const Labels& labelsFor(const QString& language);

struct Category {
    QString key;
    QString name;
    int parent = -1;           // index in Site::categories, -1 at the top
    std::vector<int> children; // subcategories
    std::vector<int> products; // indices in Site::products, in tree order, each once
    // Its link in the menus, made by preparePages: up to the end of the href, and the name.
    QByteArray menuLink, menuName;
};

struct Product {
    ProductRecord record;
    QString nodeText;
    int category = -1;  // the first category the tree shows it in
    QSize smallPicture; // empty when the product has none (or before provideProductPictures)
    QSize bigPicture;
    qint64 price = 0;        // what it sells at, minor units
    qint64 regularPrice = 0; // before a promotion
    bool promoted = false;
    std::optional<qint64> lowestBefore; // lowest price in the 30 days before the promotion began
};

struct DeliveryOption {
    QString name;
    qint64 price = 0;
};

// The lowest effective price (net or gross) of a product in the 30 days before its promotion began,
// when the price history knows it.
using LowestPriceSource = std::function<std::optional<double>(const QString& productId, bool net)>;

// The catalogue as the modern pages show it, gathered once per run.
struct Site {
    explicit Site(GeneratorContext& context) : context(context) {}

    GeneratorContext& context;
    const Labels* labels = nullptr;
    QString language;
    QString currency;     // as the pages show it ("zł")
    QString currencyCode; // ISO 4217
    QString address;      // https://…/ without the trailing slash, or empty
    bool net = false;
    std::vector<Category> categories;
    std::vector<Product> products;
    std::vector<DeliveryOption> delivery;
    QString logoFile;       // under img/, empty without a logo
    QString picturesFolder; // of the program folder, with its trailing separator
    // What every page shares, as UTF-8, made once by preparePages: the category menu of the pages inside
    // each category that are no category page (index 0: inside none, then one per category), the header
    // bar, the footer and the currency after an amount.
    std::vector<QByteArray> menus;
    QByteArray header, footer, moneySuffix;
    char decimalSeparator = ',';

    const shell::Settings& settings() const { return context.settings(); }
    QString money(qint64 minorUnits) const;
    void money(Html& html, qint64 minorUnits) const; // the same, once preparePages has run
    // The address of a page for canonical links, Open Graph and the sitemap; empty without an address.
    QString absolute(const QString& file) const;
    // The categories from the top down to index.
    std::vector<int> categoryPath(int index) const;
    // The products a category page shows, each once, in tree order: all of its own, then those of its
    // subcategories until there are at least `atLeast` (a large branch stays a page of reasonable size;
    // every product is shown in full on its own category's page).
    std::vector<int> productsUnder(int index, size_t atLeast = 24) const;
};

// Reads the tree, the products table and the delivery methods. Products missing from the table and
// unsafe keys get the classic warnings. The pictures are not read yet (provideProductPictures).
void gatherSite(Site& site, const LowestPriceSource& lowestPrice);

// A product's small and big picture: the file in the pictures folder and its place under img/.
struct PictureFile {
    QString source;
    QString target;
};
std::array<PictureFile, 2> productPictures(const Site& site, const Product& product);
// Reads the product's pictures, notes their sizes in the product and copies those present into img/;
// on a writer thread, before the product's page. Pages showing other products' pictures wait for all.
void provideProductPictures(const Site& site, Product& product);

// One page of the shop around its main content.
struct Crumb {
    QString name;
    QString file; // empty for the page itself
};
struct PageMeta {
    QString file;
    QString title;
    QString description; // merchant text; reduced to a plain meta description
    QString ogType = QStringLiteral("website");
    QString image;     // under the shop folder, for Open Graph
    QByteArray jsonLd; // whole <script> elements
    std::vector<Crumb> crumbs;
    int category = -1; // marked in the menu
    bool indexable = true;
    QString bodyClass;
};
// Makes the pieces of Site that every page shares; before any page.
void preparePages(Site& site);
// A page is pageStart, its main content and pageEnd: the bytes savePage writes for the whole text.
void pageStart(Html& page, const Site& site, const PageMeta& meta);
void pageEnd(Html& page, const Site& site);
// Writes a page's bytes on the writer threads.
void savePageBytes(Site& site, const QString& file, QByteArray bytes);

// Product cards (home, category, search results are built alike by the script).
void productGrid(Html& html, const Site& site, const std::vector<int>& products, int headingLevel);
// The price with the regular one struck through and the lowest price before a promotion.
void productPriceHtml(Html& html, const Site& site, const Product& product);
// Status words as badges ("Nowość", "Promocja", "Wyprzedaż"); empty for a normal product.
QString badgeText(const Site& site, const ProductRecord& product);

} // namespace generator::modern
