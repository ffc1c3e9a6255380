#pragma once

#include <QColor>
#include <QPixmap>

// The start page's banner: a gradient drawn column by column.
namespace banner {
// Colour of pixel column x (from -10 up to the width).
QColor columnColor(int x);
QPixmap paint(int width, int height);
} // namespace banner
