#include "ui/kalmenor/deliverydialog.h"

#include "catalogue/deliverymethods.h"
#include "shell/error.h"
#include "shell/interaction.h"
#include "ui/kalmenor/deliverygridview.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>

DeliveryDialog::DeliveryDialog(const shell::ProgramFolder& folder, shell::Interaction& interaction,
                               QWidget* parent)
    : QWidget(parent), m_interaction(interaction)
{
    setObjectName(QStringLiteral("deliveryDialog"));
    setWindowFlag(Qt::FramelessWindowHint);
    m_model = new DeliveryMethodsModel(folder, this);
    m_grid = new DeliveryGridView(this);
    m_grid->setObjectName(QStringLiteral("deliveryGrid"));
    m_grid->setModel(m_model);
    m_grid->horizontalHeader()->setSectionResizeMode(DeliveryMethodsModel::NameColumn, QHeaderView::Stretch);
    m_grid->horizontalHeader()->resizeSection(DeliveryMethodsModel::PriceColumn, 90);
    m_grid->horizontalHeader()->resizeSection(DeliveryMethodsModel::MarkColumn, 32);

    auto button = [this](const char* name, const QString& caption, const QString& hint) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* add = button("addDeliveryRowButton", QStringLiteral("+"), QStringLiteral("Add new row"));
    QPushButton* remove =
        button("deleteDeliveryRowButton", QStringLiteral("-"), QStringLiteral("Delete row"));
    QPushButton* confirmButton =
        button("confirmDeliveryButton", QStringLiteral("Confirm"), QStringLiteral("Confirm changes"));
    QPushButton* cancelButton =
        button("cancelDeliveryButton", QStringLiteral("Cancel"), QStringLiteral("Cancel"));
    add->setFixedWidth(32);
    remove->setFixedWidth(32);
    connect(add, &QPushButton::clicked, this, &DeliveryDialog::addRow);
    connect(remove, &QPushButton::clicked, this, &DeliveryDialog::deleteCurrentRow);
    connect(confirmButton, &QPushButton::clicked, this, &DeliveryDialog::confirm);
    connect(cancelButton, &QPushButton::clicked, this, &DeliveryDialog::cancel);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch();
    buttons->addWidget(confirmButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_grid);
    layout->addLayout(buttons);
}

void DeliveryDialog::addRow()
{
    m_model->addRow();
}

void DeliveryDialog::deleteCurrentRow()
{
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid())
        return;
    try {
        m_model->deleteRow(current.row());
    } catch (const shell::AppError& e) {
        m_interaction.error(e.message());
    }
}

void DeliveryDialog::confirm()
{
    try {
        m_model->confirm();
    } catch (const shell::AppError& e) {
        m_interaction.error(e.message());
    }
}

void DeliveryDialog::cancel()
{
    m_model->reload();
}
