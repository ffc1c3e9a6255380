#include "ui/kalmenor/productdialog.h"

#include "catalogue/productlists.h"
#include "shell/error.h"
#include "ui/common/dialogbuttons.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

ProductDialog::ProductDialog(const QString& productsTablePath, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), m_tablePath(productsTablePath)
{
    setObjectName(QStringLiteral("Produkt"));
    setWindowTitle(QStringLiteral("Add new product"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Product name"), this));
    auto* row = new QHBoxLayout;
    m_name = new QComboBox(this);
    m_name->setObjectName(QStringLiteral("nameBox"));
    m_name->setEditable(true);
    m_name->setInsertPolicy(QComboBox::NoInsert);
    m_name->setToolTip(QStringLiteral("Press ENTER to confirm"));
    m_name->setMinimumWidth(300);
    row->addWidget(m_name);
    auto* find = new QPushButton(QStringLiteral("Find product"), this);
    find->setObjectName(QStringLiteral("findButton"));
    find->setAutoDefault(false);
    row->addWidget(find);
    layout->addLayout(row);
    addNameButtons(this, layout, m_name->lineEdit(), [this] { Q_EMIT addRequested(name()); });
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(find, &QPushButton::clicked, this, &ProductDialog::findRequested);
}

QString ProductDialog::name() const
{
    return m_name->currentText();
}

void ProductDialog::setName(const QString& name)
{
    m_name->setEditText(name);
}

void ProductDialog::reloadNames()
{
    const QString typed = m_name->currentText();
    m_name->clear();
    try {
        m_name->addItems(catalogue::productNamesNewestFirst(m_tablePath));
    } catch (const std::exception& e) {
        Q_EMIT failed(shell::messageOf(e));
    }
    m_name->setEditText(typed);
}

void ProductDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    reloadNames();
}
