#pragma once

#include "generator/generatorcontext.h"

// The page writers the driver calls, in the order generateShop runs them. Each writes into the
// context's shop folder; a failed page write throws AppError and stops the run.
namespace generator {

// Catalogue pages.
void writeProductPages(GeneratorContext& context);  // fills the search index, reports warnings
void writeCategoryPages(GeneratorContext& context); // "create category " lines and warnings

// Price list, search and text pages.
void writePriceList(GeneratorContext& context);
void writeSearchPage(GeneratorContext& context); // consumes the search index
void writeWelcomePage(GeneratorContext& context);
void writeAboutPage(GeneratorContext& context);
void writeTermsPage(GeneratorContext& context);

// Order form send.html and mail script send.php.
void writeOrderPages(GeneratorContext& context);

} // namespace generator
