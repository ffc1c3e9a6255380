#include "ui/kalmenor/producteditor.h"

#include "catalogue/categorytree.h"
#include "catalogue/pricing.h"
#include "catalogue/productrules.h"
#include "shell/error.h"
#include "shell/interaction.h"
#include "shell/tables/table.h"
#include "ui/common/recordnavigator.h"
#include "ui/kalmenor/fieldbinder.h"
#include "ui/kalmenor/linklabel.h"
#include "ui/kalmenor/listeditor.h"
#include "ui/kalmenor/picturebox.h"
#include "ui/kalmenor/productnavigator.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace catalogue;
using catalogue::pictures::Size;

namespace {

constexpr VariantList kLists[3] = {VariantList::Sizes, VariantList::Colours, VariantList::Dimensions};

int listIndex(VariantList list)
{
    return list == VariantList::Sizes ? 0 : list == VariantList::Colours ? 1 : 2;
}

} // namespace

ProductEditor::ProductEditor(const shell::ProgramFolder& folder, tables::Table& products, CategoryTree& tree,
                             shell::Interaction& ui, QWidget* parent)
    : QObject(parent), m_products(products), m_ui(ui), m_pictures(folder.pictures())
{
    setObjectName(QStringLiteral("productEditor"));
    m_binder = new FieldBinder(products, ui, this);
    // Typed numbers go into the record before the rules look at it: subscribed first, called first.
    m_flushBeforePost = products.subscribe(tables::DataSet::Event::BeforePost,
                                           [this](tables::DataSet&) { m_binder->flush(); });
    m_rules = std::make_unique<ProductRules>(products, tree, ui, folder.pictures());
    m_listEditor = new ListEditor(products, folder.productsTable(), ui, parent);
    m_infoTab = buildInfoTab(parent);
    m_moreInfoTab = buildMoreInfoTab(parent);

    connect(&products, &tables::DataSet::afterScroll, this, &ProductEditor::refreshRecord);
    connect(&products, &tables::DataSet::viewChanged, this, &ProductEditor::refreshRecord);
    connect(&products, &tables::DataSet::recordChanged, this, &ProductEditor::refreshRecord);
    m_binder->refresh();
    refreshRecord();
}

ProductEditor::~ProductEditor() = default;

QLabel* ProductEditor::heading(QWidget* tab, const QString& name)
{
    auto* label = new QLabel(tab);
    label->setObjectName(name);
    QFont big = label->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + 3);
    label->setFont(big);
    return label;
}

QWidget* ProductEditor::buildInfoTab(QWidget* parent)
{
    auto* tab = new QWidget(parent);
    tab->setObjectName(QStringLiteral("productInfoTab"));
    auto* layout = new QVBoxLayout(tab);
    m_headings[0] = heading(tab, QStringLiteral("productInfoHeading"));
    layout->addWidget(m_headings[0]);

    auto* columns = new QHBoxLayout;
    auto* form = new QFormLayout;
    const auto lineEdit = [tab, this](const char* name, const QString& column, const QString& hint) {
        auto* e = new QLineEdit(tab);
        e->setObjectName(QString::fromLatin1(name));
        e->setToolTip(hint);
        m_binder->bind(e, column);
        return e;
    };
    form->addRow(QStringLiteral("Product name"), lineEdit("nameEdit", products::kName, {}));
    auto* shortDescription = new QPlainTextEdit(tab);
    shortDescription->setObjectName(QStringLiteral("shortDescriptionEdit"));
    shortDescription->setMaximumHeight(80);
    m_binder->bind(shortDescription, products::kShortDescription);
    connect(shortDescription, &QPlainTextEdit::textChanged, this, [this, shortDescription] {
        if (!m_binder->isRefreshing() && shortDescription->toPlainText().size() >= 256)
            m_ui.message(QStringLiteral("Short description (only 255 character)"));
    });
    form->addRow(QStringLiteral("Short product description"), shortDescription);

    m_priceBoxes[0] =
        lineEdit("netPriceEdit", products::kNetPrice,
                 QStringLiteral("po wpisaniu ceny NETTO naciśnij ENTER aby wyliczyć cenę BRUTTO"));
    form->addRow(QStringLiteral("Price (net)"), m_priceBoxes[0]);
    m_priceBoxes[1] =
        lineEdit("grossPriceEdit", products::kGrossPrice,
                 QStringLiteral("po wpisaniu ceny BRUTTO naciśnij ENTER aby wyliczyć cenę NETTO"));
    form->addRow(QStringLiteral("Price (gross)"), m_priceBoxes[1]);
    m_vatBox = new QComboBox(tab);
    m_vatBox->setObjectName(QStringLiteral("vatBox"));
    m_vatBox->setEditable(true);
    m_vatBox->setInsertPolicy(QComboBox::NoInsert);
    // Every whole rate up to the highest standard rate in the EU, and exempt; any other typed rate goes too.
    for (int rate = 0; rate <= 27; ++rate)
        m_vatBox->addItem(QString::number(rate));
    m_vatBox->addItem(QStringLiteral("zw."));
    m_binder->bind(m_vatBox, products::kVat);
    form->addRow(QStringLiteral("VAT"), m_vatBox);
    m_priceBoxes[2] = lineEdit("promotionNetEdit", products::kPromoNet,
                               QStringLiteral("naciśnij ENTER aby wyliczyć cenę promocyjną BRUTTO"));
    form->addRow(QStringLiteral("Promotion Price (net)"), m_priceBoxes[2]);
    m_priceBoxes[3] = lineEdit("promotionGrossEdit", products::kPromoGross,
                               QStringLiteral("naciśnij ENTER aby wyliczyć cenę promocyjną NETTO"));
    form->addRow(QStringLiteral("Promotion Price (gross)"), m_priceBoxes[3]);
    for (int i = 0; i < 4; ++i)
        connect(m_priceBoxes[i], &QLineEdit::returnPressed, this, [this, i] { convertPrice(i); });
    QLineEdit* id = lineEdit("idEdit", products::kId, {});
    id->setEnabled(false);
    form->addRow(QStringLiteral("Product ID"), id);
    auto* status = new QComboBox(tab);
    status->setObjectName(QStringLiteral("statusBox"));
    status->addItems({QStringLiteral("Normal"), QStringLiteral("New"), QStringLiteral("Promotion"),
                      QStringLiteral("Sale")});
    m_binder->bind(status, products::kStatus);
    form->addRow(QStringLiteral("Product status"), status);

    // Columns the page binds without showing (the shop does not use them).
    auto* unit = new QComboBox(tab);
    unit->setObjectName(QStringLiteral("unitBox"));
    unit->setEditable(true);
    unit->addItems({QStringLiteral("szt."), QStringLiteral("metr"), QStringLiteral("litr"),
                    QStringLiteral("opak."), QStringLiteral("egz."), QStringLiteral("but."),
                    QStringLiteral("doba"), QStringLiteral("godz."), QStringLiteral("kg"),
                    QStringLiteral("km")});
    m_binder->bind(unit, products::kUnit);
    unit->hide();
    lineEdit("classCodeEdit", products::kClassCode, {})->hide();
    lineEdit("classEdit", products::kClass, {})->hide();

    auto* variants = new QGridLayout;
    const char* names[3] = {"size", "color", "dimensions"};
    for (int i = 0; i < 3; ++i) {
        const VariantList list = kLists[i];
        const QString name = QString::fromLatin1(names[i]);
        m_switches[i] = new QCheckBox(name, tab);
        m_switches[i]->setObjectName(name + QStringLiteral("Switch"));
        connect(m_switches[i], &QCheckBox::clicked, this,
                [this, list](bool checked) { switchVariant(list, checked); });
        m_variantBoxes[i] = new QComboBox(tab);
        m_variantBoxes[i]->setObjectName(name + QStringLiteral("Box"));
        m_variantBoxes[i]->installEventFilter(this);
        QLabel* edit = linkLabel(QStringLiteral("<a href=\"#\">edit</a>"), tab);
        edit->setObjectName(name + QStringLiteral("EditLink"));
        connect(edit, &QLabel::linkActivated, this, [this, list] { editVariantList(list); });
        variants->addWidget(m_switches[i], i, 0);
        variants->addWidget(m_variantBoxes[i], i, 1);
        variants->addWidget(edit, i, 2);
    }
    form->addRow(variants);
    columns->addLayout(form, 3);
    columns->addLayout(buildPictureColumn(tab, Size::Small), 2);
    layout->addLayout(columns, 1);
    layout->addLayout(
        buildBottomBar(tab, QStringLiteral("productInfoNavigator"), QStringLiteral("findProductButton")));
    return tab;
}

QWidget* ProductEditor::buildMoreInfoTab(QWidget* parent)
{
    auto* tab = new QWidget(parent);
    tab->setObjectName(QStringLiteral("moreInfoTab"));
    auto* layout = new QVBoxLayout(tab);
    m_headings[1] = heading(tab, QStringLiteral("moreInfoHeading"));
    layout->addWidget(m_headings[1]);
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Product description"), tab));
    auto* description = new QPlainTextEdit(tab);
    description->setObjectName(QStringLiteral("descriptionEdit"));
    m_binder->bind(description, products::kLongDescription);
    left->addWidget(description, 1);
    columns->addLayout(left, 3);
    columns->addLayout(buildPictureColumn(tab, Size::Big), 2);
    layout->addLayout(columns, 1);
    layout->addLayout(
        buildBottomBar(tab, QStringLiteral("moreInfoNavigator"), QStringLiteral("findProductButton2")));
    return tab;
}

QVBoxLayout* ProductEditor::buildPictureColumn(QWidget* tab, Size which)
{
    const QString name = which == Size::Small ? QStringLiteral("Small") : QStringLiteral("Big");
    auto* column = new QVBoxLayout;
    PictureBox*& box = m_pictureBoxes[int(which)];
    box = new PictureBox(tab);
    box->setObjectName(name.toLower() + QStringLiteral("Picture"));
    column->addWidget(box, 1);
    auto* buttons = new QHBoxLayout;
    auto* loadButton = new QPushButton(QStringLiteral("Load picture"), tab);
    loadButton->setObjectName(QStringLiteral("load%1PictureButton").arg(name));
    connect(loadButton, &QPushButton::clicked, this, [this, which] { loadPicture(which); });
    auto* removeButton = new QPushButton(QStringLiteral("Delete picture"), tab);
    removeButton->setObjectName(QStringLiteral("delete%1PictureButton").arg(name));
    connect(removeButton, &QPushButton::clicked, this, [this, which] { deletePicture(which); });
    buttons->addWidget(loadButton);
    buttons->addWidget(removeButton);
    column->addLayout(buttons);
    return column;
}

QHBoxLayout* ProductEditor::buildBottomBar(QWidget* tab, const QString& navigatorName,
                                           const QString& findName)
{
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(productNavigator(tab, navigatorName, m_products, m_ui));
    auto* find = new QPushButton(QStringLiteral("Find product"), tab);
    find->setObjectName(findName);
    connect(find, &QPushButton::clicked, this, &ProductEditor::findProductRequested);
    bottom->addWidget(find);
    return bottom;
}

bool ProductEditor::eventFilter(QObject* watched, QEvent* event)
{
    // The variant lists are refilled from the record whenever they get the focus.
    for (int i = 0; i < 3; ++i)
        if (watched == m_variantBoxes[i] && event->type() == QEvent::FocusIn)
            fillVariantBox(m_variantBoxes[i], m_products, kLists[i]);
    return QObject::eventFilter(watched, event);
}

bool ProductEditor::hasRecord() const
{
    return m_products.isOpen()
           && (!m_products.isEmpty() || m_products.state() == tables::DataSet::State::Insert);
}

void ProductEditor::refreshRecord()
{
    const bool has = hasRecord();
    const QString name = has ? m_products.text(products::kName) : QString();
    for (QLabel* heading : m_headings)
        heading->setText(name);
    const QString switchColumns[3] = {products::kHasSizes, products::kHasColours, products::kHasDimensions};
    for (int i = 0; i < 3; ++i) {
        m_switches[i]->setChecked(has && m_products.logical(switchColumns[i]));
        fillVariantBox(m_variantBoxes[i], m_products, kLists[i]);
    }
    refreshPictures();
}

void ProductEditor::refreshPictures()
{
    const QString id = hasRecord() ? m_products.text(products::kId) : QString();
    for (Size which : {Size::Small, Size::Big}) {
        const QString file = pictures::productPicture(m_pictures, id, which);
        if (file.isEmpty())
            m_pictureBoxes[int(which)]->showPlaceholder();
        else
            m_pictureBoxes[int(which)]->showFile(file);
    }
}

void ProductEditor::convertPrice(int conversion)
{
    if (!hasRecord())
        return;
    pricing::applyConversion(m_products, pricing::Conversion(conversion), m_priceBoxes[conversion]->text(),
                             m_vatBox->currentText(), QLocale(), m_ui);
}

void ProductEditor::switchVariant(VariantList list, bool checked)
{
    QCheckBox* toggle = m_switches[listIndex(list)];
    if (!hasRecord()) {
        toggle->setChecked(false);
        return;
    }
    QComboBox* box = m_variantBoxes[listIndex(list)];
    fillVariantBox(box, m_products, list);
    if (box->count() > 0) {
        storeValue(m_products, switchColumn(list), checked, m_ui);
        return;
    }
    toggle->setChecked(false);
    editVariantList(list);
}

void ProductEditor::editVariantList(VariantList list)
{
    if (hasRecord())
        m_listEditor->open(list, m_variantBoxes[listIndex(list)]);
}

void ProductEditor::loadPicture(Size which)
{
    if (!hasRecord())
        return;
    try {
        // A read-only table refuses before the file dialog opens.
        m_rules->checkCanChange();
        const QString picked =
            m_ui.openFileName(QStringLiteral("Load picture"), QString(), pictures::openFilter());
        if (picked.isEmpty())
            return;
        m_rules->storePicture(picked, which);
    } catch (const std::exception& e) {
        m_ui.error(shell::messageOf(e));
        return;
    }
    if (which == Size::Small)
        Q_EMIT smallPictureChanged();
    refreshPictures();
}

void ProductEditor::deletePicture(Size which)
{
    if (!hasRecord())
        return;
    try {
        m_rules->checkCanChange();
        if (!m_ui.question(QStringLiteral("Delete picture?"), QStringLiteral("warning")))
            return;
        m_rules->deletePicture(which);
    } catch (const std::exception& e) {
        m_ui.error(shell::messageOf(e));
        return;
    }
    if (which == Size::Small)
        Q_EMIT smallPictureChanged();
    m_pictureBoxes[int(which)]->showPlaceholder();
}
