#include "ui/common/dialogbuttons.h"

#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>

QList<QPushButton*> addButtonRow(QDialog* dialog, QBoxLayout* layout, const QList<DialogButton>& buttons)
{
    auto* box = new QDialogButtonBox(dialog);
    QList<QPushButton*> made;
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        // No accept role: the box would make the first such button the default one.
        const bool closes = i == buttons.size() - 1;
        QPushButton* b = box->addButton(buttons[i].text,
                                        closes ? QDialogButtonBox::RejectRole : QDialogButtonBox::ActionRole);
        b->setObjectName(QString::fromLatin1(buttons[i].name));
        b->setAutoDefault(false);
        if (closes)
            QObject::connect(b, &QPushButton::clicked, dialog, &QDialog::hide);
        made << b;
    }
    layout->addWidget(box);
    return made;
}

void addNameButtons(QDialog* dialog, QBoxLayout* layout, QLineEdit* nameBox, const std::function<void()>& add)
{
    const QList<QPushButton*> buttons = addButtonRow(
        dialog, layout, {{"addButton", QStringLiteral("Add")}, {"closeButton", QStringLiteral("Close")}});
    QObject::connect(buttons.first(), &QPushButton::clicked, dialog, add);
    QObject::connect(nameBox, &QLineEdit::returnPressed, dialog, add);
}
