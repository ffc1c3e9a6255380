#include "ui/kalmenor/settingsbinder.h"

#include "ui/kalmenor/colorbox.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>

namespace binding {

void show(QLineEdit* edit, const QString& value)
{
    edit->setText(value);
}
void read(const QLineEdit* edit, QString& value)
{
    value = edit->text();
}
auto changed(QLineEdit*, const QString*) -> void (QLineEdit::*)(const QString&)
{
    return &QLineEdit::textChanged;
}

void show(QComboBox* box, const QString& value)
{
    box->setCurrentText(value);
}
void read(const QComboBox* box, QString& value)
{
    value = box->currentText();
}
auto changed(QComboBox*, const QString*) -> void (QComboBox::*)(const QString&)
{
    return &QComboBox::currentTextChanged;
}

void show(QComboBox* box, int index)
{
    box->setCurrentIndex(index);
}
void read(const QComboBox* box, int& index)
{
    index = box->currentIndex();
}
auto changed(QComboBox*, const int*) -> void (QComboBox::*)(int)
{
    return &QComboBox::currentIndexChanged;
}

void show(QPlainTextEdit* memo, const QString& value)
{
    memo->setPlainText(value);
}
void read(const QPlainTextEdit* memo, QString& value)
{
    value = memo->toPlainText();
}
auto changed(QPlainTextEdit*, const QString*) -> void (QPlainTextEdit::*)()
{
    return &QPlainTextEdit::textChanged;
}

void show(QAbstractButton* check, bool value)
{
    check->setChecked(value);
}
void read(const QAbstractButton* check, bool& value)
{
    value = check->isChecked();
}
auto changed(QAbstractButton*, const bool*) -> void (QAbstractButton::*)(bool)
{
    return &QAbstractButton::toggled;
}

void show(ColorBox* box, shell::ColorValue value)
{
    box->setColor(value);
}
void read(const ColorBox* box, shell::ColorValue& value)
{
    value = box->color();
}
auto changed(ColorBox*, const shell::ColorValue*) -> void (ColorBox::*)(shell::ColorValue)
{
    return &ColorBox::colorChosen;
}

void show(QSpinBox* spin, int value)
{
    spin->setValue(value);
}
void read(const QSpinBox* spin, int& value)
{
    value = spin->value();
}
auto changed(QSpinBox*, const int*) -> void (QSpinBox::*)(int)
{
    return &QSpinBox::valueChanged;
}

} // namespace binding

void SettingsBinder::bindRadioPair(QRadioButton* first, bool* firstValue, QRadioButton* second,
                                   bool* secondValue)
{
    const auto readBoth = [=] {
        *firstValue = first->isChecked();
        *secondValue = second->isChecked();
    };
    // Shown exactly as stored, so storing gives the same keys back.
    add(
        [=] {
            first->setAutoExclusive(false);
            second->setAutoExclusive(false);
            first->setChecked(*firstValue);
            second->setChecked(*secondValue);
            first->setAutoExclusive(true);
            second->setAutoExclusive(true);
        },
        readBoth);
    for (QRadioButton* r : {first, second})
        connect(r, &QRadioButton::toggled, this, [this, readBoth] {
            if (!m_loading)
                readBoth();
        });
}

void SettingsBinder::add(std::function<void()> load, std::function<void()> save)
{
    m_loaders.push_back(std::move(load));
    m_savers.push_back(std::move(save));
}

void SettingsBinder::load()
{
    m_loading = true;
    for (const auto& load : m_loaders)
        load();
    m_loading = false;
}

void SettingsBinder::save()
{
    for (const auto& save : m_savers)
        save();
}
