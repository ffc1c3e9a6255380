#pragma once

#include "generator/modern/modernsite.h"

namespace generator::modern {

// Each writer saves its page(s) into the shop folder and returns the file names written, for the sitemap.
QStringList writeHomePage(Site& site, const QString& file);
QStringList writeCategoryPages(Site& site);
QStringList writeProductPages(Site& site);
QStringList writePriceListPage(Site& site);
QStringList writeTextPages(Site& site);  // about and terms, as switched on
QStringList writeSearchPage(Site& site); // find.html and its index szukaj.json
QStringList writeCartPage(Site& site);   // koszyk.html
QStringList writeOrderPages(Site& site); // send.html, send.php and the price list ceny.php

// The JSON-LD of a product page: Product with its Offer, and the BreadcrumbList.
void productJsonLd(Html& json, const Site& site, const Product& product, const std::vector<Crumb>& crumbs);

// The price list script the order script recomputes every order from (prices in minor units).
QString priceListScript(const Site& site);

} // namespace generator::modern
