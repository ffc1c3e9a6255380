#include "ui/kalmenor/productnavigator.h"

#include "shell/error.h"
#include "shell/interaction.h"
#include "shell/tables/table.h"
#include "ui/common/recordnavigator.h"

RecordNavigator* productNavigator(QWidget* parent, const QString& name, tables::Table& products,
                                  shell::Interaction& ui)
{
    auto* navigator = new RecordNavigator(parent);
    navigator->setObjectName(name);
    navigator->setDataSet(&products);
    navigator->setInteraction(&ui);
    navigator->setHints({QStringLiteral("First record"), QStringLiteral("Previous record"),
                         QStringLiteral("Next record"), QStringLiteral("Last record"),
                         QStringLiteral("Insert record"), QStringLiteral("Delete record"),
                         QStringLiteral("Edit record"), QStringLiteral("Confirm changes"),
                         QStringLiteral("Cancel"), QStringLiteral("Refresh")});
    navigator->setDeleteQuestion(QStringLiteral("Delete record?"), QStringLiteral("Confirm"));
    QObject::connect(navigator, &RecordNavigator::refreshRequested, navigator, [&products, &ui] {
        try {
            products.refresh();
        } catch (const std::exception& e) {
            ui.error(shell::messageOf(e));
        }
    });
    return navigator;
}

bool storePendingEdit(tables::DataSet& products, shell::Interaction& ui)
{
    if (!products.isOpen() || products.state() == tables::DataSet::State::Browse)
        return true;
    try {
        products.post();
        return true;
    } catch (const std::exception& e) {
        ui.error(shell::messageOf(e));
        return false;
    }
}

bool storeValue(tables::DataSet& products, const QString& column, const QVariant& value,
                shell::Interaction& ui)
{
    try {
        products.setValue(column, value);
        products.post();
        return true;
    } catch (const std::exception& e) {
        if (products.state() != tables::DataSet::State::Browse)
            products.cancel();
        ui.error(shell::messageOf(e));
        return false;
    }
}
