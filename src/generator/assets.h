#pragma once

#include "generator/generatorcontext.h"

namespace generator {

// Creates the shop folder and its img folder, copies the cart script, empty.html, the logo and banner,
// the button and status pictures of the chosen style, and writes color.css and navig.css.
// Missing sources are skipped without a report.
void copyShopAssets(GeneratorContext& context);

// Copies a file over target by writing beside it and renaming, so a failed copy never leaves a half
// target. A copy onto itself (same file, for example a logo picked from the shop's own img folder)
// is skipped. Returns false, without a report, when the source is missing or the copy fails.
bool copyShopFile(const QString& source, const QString& target);

// The one-line style sheets.
QString colorCssText(const shell::Settings& settings);
QString navigCssText(const shell::Settings& settings);

} // namespace generator
