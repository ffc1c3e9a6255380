#pragma once

#include "shell/settings.h"

#include <QObject>
#include <functional>
#include <vector>

class ColorBox;
class QAbstractButton;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QSpinBox;

// How each kind of widget shows a settings member, reads it back and says that the user changed it.
namespace binding {
void show(QLineEdit* edit, const QString& value);
void read(const QLineEdit* edit, QString& value);
auto changed(QLineEdit*, const QString*) -> void (QLineEdit::*)(const QString&);
void show(QComboBox* box, const QString& value);
void read(const QComboBox* box, QString& value);
auto changed(QComboBox*, const QString*) -> void (QComboBox::*)(const QString&);
void show(QComboBox* box, int index);
void read(const QComboBox* box, int& index);
auto changed(QComboBox*, const int*) -> void (QComboBox::*)(int);
void show(QPlainTextEdit* memo, const QString& value);
void read(const QPlainTextEdit* memo, QString& value);
auto changed(QPlainTextEdit*, const QString*) -> void (QPlainTextEdit::*)();
void show(QAbstractButton* check, bool value);
void read(const QAbstractButton* check, bool& value);
auto changed(QAbstractButton*, const bool*) -> void (QAbstractButton::*)(bool);
void show(ColorBox* box, shell::ColorValue value);
void read(const ColorBox* box, shell::ColorValue& value);
auto changed(ColorBox*, const shell::ColorValue*) -> void (ColorBox::*)(shell::ColorValue);
void show(QSpinBox* spin, int value);
void read(const QSpinBox* spin, int& value);
auto changed(QSpinBox*, const int*) -> void (QSpinBox::*)(int);
} // namespace binding

// Binds widgets to members of the settings value: load() shows every member, save() reads every widget
// back, and an edit by the user writes its member at once (not while load() fills the widgets).
class SettingsBinder : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    template <typename W, typename T> void bind(W* widget, T* value)
    {
        add([widget, value] { binding::show(widget, *value); },
            [widget, value] { binding::read(widget, *value); });
        connect(widget, binding::changed(widget, value), this, [this, widget, value] {
            if (!m_loading)
                binding::read(widget, *value);
        });
    }
    // Two radio buttons with a member each; the file may hold both off (or both on) and gets them back.
    void bindRadioPair(QRadioButton* first, bool* firstValue, QRadioButton* second, bool* secondValue);
    // A binding of its own kind; the caller writes through on edits, asking isLoading() first.
    void add(std::function<void()> load, std::function<void()> save);

    void load();
    void save();
    bool isLoading() const { return m_loading; }

private:
    std::vector<std::function<void()>> m_loaders;
    std::vector<std::function<void()>> m_savers;
    bool m_loading = false;
};
