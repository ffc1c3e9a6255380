#include "ui/kalmenor/productsearch.h"

#include "catalogue/categorytree.h"
#include "shell/error.h"
#include "shell/interaction.h"
#include "shell/tables/dataset.h"
#include "ui/common/dialogbuttons.h"
#include "ui/common/recordnavigator.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace catalogue::products;

ProductSearch::ProductSearch(tables::DataSet& products, shell::Interaction& ui, QWidget* parent)
    : QDialog(parent, Qt::Dialog), m_products(products), m_ui(ui)
{
    setObjectName(QStringLiteral("FindTowar"));
    setWindowTitle(QStringLiteral("search"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_column = new QComboBox(this);
    m_column->setObjectName(QStringLiteral("searchColumn"));
    m_column->addItems({QStringLiteral("Name"), QStringLiteral("CenaNetto"), QStringLiteral("CenaBrutto")});
    m_column->setCurrentIndex(0);
    form->addRow(QStringLiteral("Search by category:"), m_column);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("searchText"));
    m_search->setToolTip(QStringLiteral("Wpisz szukany wyraz"));
    form->addRow(QString(), m_search);
    const auto view = [this, form](const char* caption, const char* name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setReadOnly(true);
        form->addRow(QString::fromUtf8(caption), e);
        return e;
    };
    m_name = view("Name", "nameView");
    m_gross = view("Price (brutto)", "grossView");
    m_vat = view("VAT", "vatView");
    m_net = view("Price (netto)", "netView");
    layout->addLayout(form);

    auto* navigator = new RecordNavigator(this);
    navigator->setObjectName(QStringLiteral("searchNavigator"));
    navigator->setDataSet(&products);
    navigator->setInteraction(&ui);
    navigator->setVisibleButtons(
        {RecordNavigator::First, RecordNavigator::Prior, RecordNavigator::Next, RecordNavigator::Last});
    navigator->setHints({QStringLiteral("Pierwszy rekord"), QStringLiteral("Poprzedni rekord"),
                         QStringLiteral("Następny rekord"), QStringLiteral("Ostatni rekord")});
    layout->addWidget(navigator);

    QPushButton* ok =
        addButtonRow(this, layout,
                     {{"okButton", QStringLiteral("Ok")}, {"cancelButton", QStringLiteral("Cancel")}})
            .first();

    connect(m_search, &QLineEdit::textChanged, this, &ProductSearch::search);
    connect(ok, &QPushButton::clicked, this, [this] {
        if (m_products.isOpen() && !m_products.isEmpty())
            Q_EMIT productChosen(m_products.text(kName), m_products.text(kId));
        hide();
    });
    connect(&products, &tables::DataSet::afterScroll, this, &ProductSearch::showRecord);
    connect(&products, &tables::DataSet::recordChanged, this, &ProductSearch::showRecord);
    showRecord();
}

void ProductSearch::search(const QString& text)
{
    if (text.isEmpty() || !m_products.isOpen())
        return;
    static const QString columns[] = {kName, kNetPrice, kGrossPrice};
    const int c = std::clamp(m_column->currentIndex(), 0, 2);
    try {
        m_products.locate(columns[c], text, true); // no match leaves the record where it is
    } catch (const std::exception& e) {
        m_ui.error(shell::messageOf(e));
    }
}

void ProductSearch::showRecord()
{
    const bool has = m_products.isOpen() && !m_products.isEmpty();
    m_name->setText(has ? m_products.text(kName) : QString());
    m_gross->setText(has ? m_products.text(kGrossPrice) : QString());
    m_vat->setText(has ? m_products.text(kVat) : QString());
    m_net->setText(has ? m_products.text(kNetPrice) : QString());
}
