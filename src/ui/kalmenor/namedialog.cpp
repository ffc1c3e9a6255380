#include "ui/kalmenor/namedialog.h"
#include "ui/common/dialogbuttons.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

NameDialog::NameDialog(const QString& objectName, const QString& caption, const QString& label,
                       QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(label, this));
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("nameBox"));
    m_name->setMinimumWidth(280);
    layout->addWidget(m_name);
    addNameButtons(this, layout, m_name, [this] { Q_EMIT addRequested(name()); });
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString NameDialog::name() const
{
    return m_name->text();
}
