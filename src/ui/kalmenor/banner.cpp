#include "ui/kalmenor/banner.h"

#include <QPainter>
#include <cmath>

namespace banner {

QColor columnColor(int x)
{
    const int k = x + 11; // column counted from 1
    const auto clamp = [](double v) { return v < 0 ? 0 : v > 255 ? 255 : int(v); };
    const int red = clamp(std::trunc(255 - 0.21 * k));
    const int green = clamp(std::round(255 - 0.21 * k));
    const int blue = clamp(std::trunc(255 - 0.04 * k));
    return QColor(red, green, blue);
}

QPixmap paint(int width, int height)
{
    QPixmap pixmap(width, height);
    QPainter p(&pixmap);
    for (int x = -10; x <= width; ++x) {
        p.setPen(columnColor(x));
        p.drawLine(x, 0, x, 1100);
    }
    return pixmap;
}

} // namespace banner
