#include "ui/kalmenor/renamedialog.h"
#include "ui/common/dialogbuttons.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

RenameDialog::RenameDialog(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("Edycja"));
    setWindowTitle(QStringLiteral("Edit"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Edit selected text"), this));
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("nameBox"));
    m_name->setMinimumWidth(280);
    layout->addWidget(m_name);
    QPushButton* ok =
        addButtonRow(this, layout,
                     {{"okButton", QStringLiteral("ok")}, {"closeButton", QStringLiteral("close")}})
            .first();
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(ok, &QPushButton::clicked, this, [this] { Q_EMIT okRequested(m_name->text()); });
}

void RenameDialog::keyPressEvent(QKeyEvent* event)
{
    // A dialog would take Enter as its default button; here Enter does nothing.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
