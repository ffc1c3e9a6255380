#pragma once

#include "generator/generatorcontext.h"
#include "generator/modern/modernsite.h"

#include <QString>

namespace generator::modern {

// The whole modern run into the context's target (set by the caller): the assets, every page, the
// search index, the order script with its price list and, with a shop address, sitemap.xml and
// robots.txt. Report lines as the classic run writes them. Throws AppError when the currency has no
// code or a page cannot be written.
void generateModernShop(GeneratorContext& context, const LowestPriceSource& lowestPrice = {});

// The style sheet with the custom properties fed from the settings.
QString styleSheet(const shell::Settings& settings);

// Why the modern shop cannot be built with these settings, empty when it can.
QString settingsProblem(const shell::Settings& settings);

// A modern shop needs the ISO code of its currency. When the settings give none, asks the user for it
// (three letters A-Z, asked again after anything else) and stores the answer as Opcje/waluta_kod.
// Returns false only when the user cancels; a classic shop or a known code asks nothing.
bool askForCurrencyCode(shell::Settings& settings, shell::Interaction& ui);

} // namespace generator::modern
