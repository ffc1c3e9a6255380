#pragma once

#include <QColor>

// The two sides' backgrounds: the source light green, the target very light blue.
namespace sidecolors {
inline QColor source()
{
    return QColor(237, 252, 239);
}
inline QColor target()
{
    return QColor(242, 252, 255);
}
} // namespace sidecolors
