#pragma once

#include <QList>
#include <QString>
#include <functional>

class QBoxLayout;
class QDialog;
class QLineEdit;
class QPushButton;

struct DialogButton {
    const char* name;
    QString text;
};

// The button row of a tool dialog, in the platform's order: the last button hides the dialog. None is
// a default button, so Enter stays with the dialog's edit box. Returns the buttons in the order given.
QList<QPushButton*> addButtonRow(QDialog* dialog, QBoxLayout* layout, const QList<DialogButton>& buttons);

// "Add" and "Close" under the name box of a dialog that adds catalogue entries; Enter in the box is "Add".
void addNameButtons(QDialog* dialog, QBoxLayout* layout, QLineEdit* nameBox,
                    const std::function<void()>& add);
