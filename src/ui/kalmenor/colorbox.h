#pragma once

#include "shell/settings.h"

#include <QComboBox>

// A drop-down of the standard colours with a swatch each, plus "Custom..." for any other colour.
// Values are in the settings file's encoding (blue * 65536 + green * 256 + red).
class ColorBox : public QComboBox {
    Q_OBJECT
public:
    explicit ColorBox(QWidget* parent = nullptr);

    shell::ColorValue color() const;
    // Selects the colour, adding an entry for one that is not in the list; emits nothing.
    void setColor(shell::ColorValue color);

Q_SIGNALS:
    void colorChosen(shell::ColorValue color); // the user picked a colour

private:
    int indexOf(shell::ColorValue color) const;
    int addCustom(shell::ColorValue color);
    void onActivated(int index);

    int m_lastIndex = 0;
};
