#pragma once

#include <QString>

namespace importer {

// True when two paths name one file: equal texts, or the same file reached by another path (relative
// parts, symbolic or hard links).
bool isSameFile(const QString& a, const QString& b);

} // namespace importer
