#include "ui/kalmenor/namedialog.h"

#include <QHBoxLayout>
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
    auto* buttons = new QHBoxLayout;
    auto* add = new QPushButton(QStringLiteral("Add"), this);
    add->setObjectName(QStringLiteral("addButton"));
    add->setAutoDefault(false);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(add);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(add, &QPushButton::clicked, this, [this] { Q_EMIT addRequested(name()); });
    connect(m_name, &QLineEdit::returnPressed, this, [this] { Q_EMIT addRequested(name()); });
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
}

QString NameDialog::name() const
{
    return m_name->text();
}
