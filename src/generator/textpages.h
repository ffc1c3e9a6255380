#pragma once

#include "generator/pagewriters.h"

#include <QString>

namespace generator {

// The body style shared by the price list, the search page and the three text pages.
QString textPagesBodyStyle();

// The file name at the end of a picture path typed in the options (either separator).
QString pictureFileName(const QString& path);

} // namespace generator
