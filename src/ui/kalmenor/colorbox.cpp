#include "ui/kalmenor/colorbox.h"

#include <QColor>
#include <QColorDialog>
#include <QPainter>
#include <QPixmap>

namespace {

constexpr int kCustomRole = Qt::UserRole + 1; // marks the "Custom..." entry

QColor toQColor(shell::ColorValue v)
{
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

shell::ColorValue fromQColor(const QColor& c)
{
    return shell::colorFromRgb(c.red(), c.green(), c.blue());
}

QIcon swatch(shell::ColorValue v)
{
    QPixmap pm(16, 12);
    pm.fill(toQColor(v));
    QPainter p(&pm);
    p.setPen(Qt::darkGray);
    p.drawRect(0, 0, pm.width() - 1, pm.height() - 1);
    return QIcon(pm);
}

} // namespace

ColorBox::ColorBox(QWidget* parent) : QComboBox(parent)
{
    static const struct {
        const char* name;
        int rgb;
    } standard[] = {
        {"Black", 0x000000},  {"Maroon", 0x800000},  {"Green", 0x008000}, {"Olive", 0x808000},
        {"Navy", 0x000080},   {"Purple", 0x800080},  {"Teal", 0x008080},  {"Gray", 0x808080},
        {"Silver", 0xC0C0C0}, {"Red", 0xFF0000},     {"Lime", 0x00FF00},  {"Yellow", 0xFFFF00},
        {"Blue", 0x0000FF},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0x00FFFF},  {"White", 0xFFFFFF},
    };
    for (const auto& c : standard) {
        const shell::ColorValue v = shell::colorFromRgb(c.rgb >> 16, (c.rgb >> 8) & 0xFF, c.rgb & 0xFF);
        addItem(swatch(v), QString::fromLatin1(c.name), v);
    }
    addItem(QStringLiteral("Custom..."));
    setItemData(count() - 1, true, kCustomRole);
    setMaxVisibleItems(20);
    connect(this, &QComboBox::activated, this, &ColorBox::onActivated);
}

shell::ColorValue ColorBox::color() const
{
    return currentData().toInt();
}

void ColorBox::setColor(shell::ColorValue color)
{
    int i = indexOf(color);
    if (i < 0)
        i = addCustom(color);
    setCurrentIndex(i);
    m_lastIndex = i;
}

int ColorBox::indexOf(shell::ColorValue color) const
{
    for (int i = 0; i < count(); ++i)
        if (!itemData(i, kCustomRole).toBool() && itemData(i).toInt() == color)
            return i;
    return -1;
}

int ColorBox::addCustom(shell::ColorValue color)
{
    const int at = count() - 1; // before "Custom..."
    insertItem(at, swatch(color), toQColor(color).name().toUpper(), color);
    return at;
}

void ColorBox::onActivated(int index)
{
    if (!itemData(index, kCustomRole).toBool()) {
        m_lastIndex = index;
        Q_EMIT colorChosen(color());
        return;
    }
    setCurrentIndex(m_lastIndex);
    // Not modal to the application: the options window stays usable while the colour dialog shows.
    auto* dialog = new QColorDialog(toQColor(color()), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QColorDialog::colorSelected, this, [this](const QColor& c) {
        setColor(fromQColor(c));
        Q_EMIT colorChosen(color());
    });
    dialog->open();
}
