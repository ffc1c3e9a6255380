#include "ui/kalmenor/webshoppage.h"
#include "ui/kalmenor/linklabel.h"

#include "catalogue/categorytree.h"
#include "catalogue/nodekeys.h"
#include "catalogue/pictures.h"
#include "catalogue/pricing.h"
#include "catalogue/productrules.h"
#include "catalogue/treecommands.h"
#include "shell/error.h"
#include "shell/interaction.h"
#include "shell/tables/table.h"
#include "ui/common/recordnavigator.h"
#include "ui/kalmenor/categorypanel.h"
#include "ui/kalmenor/categorytreemodel.h"
#include "ui/kalmenor/categorytreeview.h"
#include "ui/kalmenor/dialogplacement.h"
#include "ui/kalmenor/fieldbinder.h"
#include "ui/kalmenor/listeditor.h"
#include "ui/kalmenor/namedialog.h"
#include "ui/kalmenor/picturebox.h"
#include "ui/kalmenor/productdialog.h"
#include "ui/kalmenor/productgriddelegate.h"
#include "ui/kalmenor/productlistmodel.h"
#include "ui/kalmenor/productsearch.h"
#include "ui/kalmenor/renamedialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

using namespace catalogue;
using catalogue::pricing::Conversion;

namespace {

constexpr VariantList kLists[3] = {VariantList::Sizes, VariantList::Colours, VariantList::Dimensions};

int listIndex(VariantList list)
{
    return list == VariantList::Sizes ? 0 : list == VariantList::Colours ? 1 : 2;
}

} // namespace

WebshopPage::WebshopPage(const shell::ProgramFolder& folder, tables::Table& products, CategoryTree& tree,
                         shell::Interaction& ui, QWidget* parent)
    : QWidget(parent), m_folder(folder), m_products(products), m_tree(tree), m_ui(ui)
{
    setObjectName(QStringLiteral("webshopPage"));
    m_binder = new FieldBinder(products, ui, this);
    // Typed numbers go into the record before the rules look at it: subscribed first, called first.
    m_flushBeforePost = products.subscribe(tables::DataSet::Event::BeforePost,
                                           [this](tables::DataSet&) { m_binder->flush(); });
    m_rules = std::make_unique<ProductRules>(products, tree, ui, folder.pictures());

    auto* layout = new QVBoxLayout(this);
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    m_side = new QStackedWidget(this);
    m_side->setObjectName(QStringLiteral("sidePanels"));
    m_categories = new CategoryPanel(folder, products, tree, ui, this);
    m_treePanel = m_categories;
    m_side->addWidget(m_treePanel);
    connect(m_categories, &CategoryPanel::previewRequested, this, &WebshopPage::previewRequested);
    connect(m_categories, &CategoryPanel::buildRequested, this, &WebshopPage::buildRequested);
    connect(m_categories, &CategoryPanel::uploadRequested, this, &WebshopPage::uploadRequested);
    splitter->addWidget(m_side);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("productTabs"));
    m_tabs->addTab(buildProductInfoTab(), QStringLiteral("Product info"));
    m_tabs->addTab(buildMoreInfoTab(), QStringLiteral("More information about product"));
    m_tabs->addTab(buildProductListTab(), QStringLiteral("Products list"));
    splitter->addWidget(m_tabs);
    splitter->setStretchFactor(1, 3);
    layout->addWidget(splitter, 4);

    auto* commandsRow = new QHBoxLayout;
    const auto command = [this, commandsRow](const QString& name, const QString& text, const QString& hint,
                                             auto signal) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setToolTip(hint);
        connect(b, &QPushButton::clicked, this, signal);
        commandsRow->addWidget(b);
        return b;
    };
    m_runButtons << command(QStringLiteral("previewButton"), QStringLiteral("Preview Webshop"), QString(),
                            &WebshopPage::previewRequested);
    m_runButtons << command(QStringLiteral("buildButton"), QStringLiteral("Build Webshop"),
                            QStringLiteral("Generate Webshop"), &WebshopPage::buildRequested);
    m_runButtons << command(QStringLiteral("uploadButton"), QStringLiteral("Upload Webshop on FTP serwer"),
                            QString(), &WebshopPage::uploadRequested);
    m_cancelButton =
        command(QStringLiteral("cancelRunButton"), QStringLiteral("Cancel"),
                QStringLiteral("Stop after the page or file under way"), &WebshopPage::cancelRequested);
    m_cancelButton->setEnabled(false);
    commandsRow->addStretch();
    layout->addLayout(commandsRow);
    m_report = new QPlainTextEdit(this);
    m_report->setObjectName(QStringLiteral("FTPMemoStatus"));
    m_report->setReadOnly(true);
    layout->addWidget(m_report, 1);

    // The list editor and the search live as long as the page.
    m_listEditor = new ListEditor(products, folder.productsTable(), ui, this);
    m_search = new ProductSearch(products, ui, this);
    connect(m_categories, &CategoryPanel::findProductRequested, this, &WebshopPage::openProductSearch);
    connect(m_search, &ProductSearch::productChosen, this,
            [this](const QString& name, const QString&) { m_categories->productDialog()->setName(name); });

    connect(&products, &tables::DataSet::afterScroll, this, &WebshopPage::refreshRecord);
    // "Find product" moves the record; the tree follows, so edits go to the product the tree shows.
    connect(&products, &tables::DataSet::afterScroll, this, [this, &products] {
        if (m_search->isVisible())
            m_categories->selectProduct(products.text(products::kId));
    });
    connect(&products, &tables::DataSet::viewChanged, this, &WebshopPage::refreshRecord);
    connect(&products, &tables::DataSet::recordChanged, this, &WebshopPage::refreshRecord);
    m_binder->refresh();
    refreshRecord();
    expandTree();
}

WebshopPage::~WebshopPage()
{
    m_rules.reset();
}

RecordNavigator* WebshopPage::buildProductNavigator(QWidget* parent, const QString& name)
{
    auto* navigator = new RecordNavigator(parent);
    navigator->setObjectName(name);
    navigator->setDataSet(&m_products);
    navigator->setInteraction(&m_ui);
    navigator->setHints({QStringLiteral("First record"), QStringLiteral("Previous record"),
                         QStringLiteral("Next record"), QStringLiteral("Last record"),
                         QStringLiteral("Insert record"), QStringLiteral("Delete record"),
                         QStringLiteral("Edit record"), QStringLiteral("Confirm changes"),
                         QStringLiteral("Cancel"), QStringLiteral("Refresh")});
    navigator->setDeleteQuestion(QStringLiteral("Delete record?"), QStringLiteral("Confirm"));
    connect(navigator, &RecordNavigator::refreshRequested, this, [this] {
        try {
            m_products.refresh();
        } catch (const std::exception& e) {
            m_ui.error(shell::messageOf(e));
        }
    });
    return navigator;
}

QWidget* WebshopPage::buildProductInfoTab()
{
    auto* tab = new QWidget(this);
    tab->setObjectName(QStringLiteral("productInfoTab"));
    auto* layout = new QVBoxLayout(tab);
    m_headings[0] = new QLabel(tab);
    m_headings[0]->setObjectName(QStringLiteral("productInfoHeading"));
    QFont big = m_headings[0]->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + 3);
    m_headings[0]->setFont(big);
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
    m_shortDescription = new QPlainTextEdit(tab);
    m_shortDescription->setObjectName(QStringLiteral("shortDescriptionEdit"));
    m_shortDescription->setMaximumHeight(80);
    m_binder->bind(m_shortDescription, products::kShortDescription);
    connect(m_shortDescription, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_binder->isRefreshing() && m_shortDescription->toPlainText().size() >= 256)
            m_ui.message(QStringLiteral("Short description (only 255 character)"));
    });
    form->addRow(QStringLiteral("Short product description"), m_shortDescription);

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
    const char* switchTexts[3] = {"size", "color", "dimensions"};
    const char* switchNames[3] = {"sizeSwitch", "colorSwitch", "dimensionsSwitch"};
    const char* boxNames[3] = {"sizeBox", "colorBox", "dimensionsBox"};
    for (int i = 0; i < 3; ++i) {
        const VariantList list = kLists[i];
        m_switches[i] = new QCheckBox(QString::fromLatin1(switchTexts[i]), tab);
        m_switches[i]->setObjectName(QString::fromLatin1(switchNames[i]));
        connect(m_switches[i], &QCheckBox::clicked, this,
                [this, list](bool checked) { switchVariant(list, checked); });
        m_variantBoxes[i] = new QComboBox(tab);
        m_variantBoxes[i]->setObjectName(QString::fromLatin1(boxNames[i]));
        m_variantBoxes[i]->installEventFilter(this);
        QLabel* edit = linkLabel(QStringLiteral("<a href=\"#\">edit</a>"), tab);
        edit->setObjectName(QString::fromLatin1(switchNames[i])
                                .replace(QStringLiteral("Switch"), QStringLiteral("EditLink")));
        connect(edit, &QLabel::linkActivated, this, [this, list] { editVariantList(list); });
        variants->addWidget(m_switches[i], i, 0);
        variants->addWidget(m_variantBoxes[i], i, 1);
        variants->addWidget(edit, i, 2);
    }
    form->addRow(variants);
    columns->addLayout(form, 3);

    columns->addLayout(buildPictureColumn(tab, QStringLiteral("Small"), &m_smallPicture,
                                          &WebshopPage::loadSmallPicture, &WebshopPage::deleteSmallPicture),
                       2);
    layout->addLayout(columns, 1);
    layout->addLayout(
        buildBottomBar(tab, QStringLiteral("productInfoNavigator"), QStringLiteral("findProductButton")));
    return tab;
}

QVBoxLayout* WebshopPage::buildPictureColumn(QWidget* tab, const QString& which, PictureBox** box,
                                             void (WebshopPage::*load)(), void (WebshopPage::*remove)())
{
    auto* column = new QVBoxLayout;
    *box = new PictureBox(tab);
    (*box)->setObjectName(which.toLower() + QStringLiteral("Picture"));
    column->addWidget(*box, 1);
    auto* buttons = new QHBoxLayout;
    auto* loadButton = new QPushButton(QStringLiteral("Load picture"), tab);
    loadButton->setObjectName(QStringLiteral("load%1PictureButton").arg(which));
    connect(loadButton, &QPushButton::clicked, this, load);
    auto* removeButton = new QPushButton(QStringLiteral("Delete picture"), tab);
    removeButton->setObjectName(QStringLiteral("delete%1PictureButton").arg(which));
    connect(removeButton, &QPushButton::clicked, this, remove);
    buttons->addWidget(loadButton);
    buttons->addWidget(removeButton);
    column->addLayout(buttons);
    return column;
}

QHBoxLayout* WebshopPage::buildBottomBar(QWidget* tab, const QString& navigatorName, const QString& findName)
{
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(buildProductNavigator(tab, navigatorName));
    auto* find = new QPushButton(QStringLiteral("Find product"), tab);
    find->setObjectName(findName);
    connect(find, &QPushButton::clicked, this, &WebshopPage::openProductSearch);
    bottom->addWidget(find);
    return bottom;
}

QWidget* WebshopPage::buildMoreInfoTab()
{
    auto* tab = new QWidget(this);
    tab->setObjectName(QStringLiteral("moreInfoTab"));
    auto* layout = new QVBoxLayout(tab);
    m_headings[1] = new QLabel(tab);
    m_headings[1]->setObjectName(QStringLiteral("moreInfoHeading"));
    m_headings[1]->setFont(m_headings[0]->font());
    layout->addWidget(m_headings[1]);
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Product description"), tab));
    auto* description = new QPlainTextEdit(tab);
    description->setObjectName(QStringLiteral("descriptionEdit"));
    m_binder->bind(description, products::kLongDescription);
    left->addWidget(description, 1);
    columns->addLayout(left, 3);
    columns->addLayout(buildPictureColumn(tab, QStringLiteral("Big"), &m_bigPicture,
                                          &WebshopPage::loadBigPicture, &WebshopPage::deleteBigPicture),
                       2);
    layout->addLayout(columns, 1);
    layout->addLayout(
        buildBottomBar(tab, QStringLiteral("moreInfoNavigator"), QStringLiteral("findProductButton2")));
    return tab;
}

QWidget* WebshopPage::buildProductListTab()
{
    auto* tab = new QWidget(this);
    tab->setObjectName(QStringLiteral("productListTab"));
    auto* layout = new QVBoxLayout(tab);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Show products by status:"), tab));
    m_statusFilter = new QComboBox(tab);
    m_statusFilter->setObjectName(QStringLiteral("statusFilter"));
    m_statusFilter->addItems(statusFilterEntries());
    connect(m_statusFilter, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_products.isOpen())
            return;
        // A typed edit is stored first; a bad value keeps the list as it was.
        if (!storePendingEdit()) {
            const QSignalBlocker quiet(m_statusFilter);
            m_statusFilter->setCurrentIndex(m_shownStatus);
            return;
        }
        m_shownStatus = index;
        try {
            m_products.setFilter(statusFilterText(index));
        } catch (const std::exception& e) {
            m_ui.error(shell::messageOf(e));
        }
    });
    top->addWidget(m_statusFilter);
    top->addStretch();
    auto* find = new QPushButton(QStringLiteral("Find product"), tab);
    find->setObjectName(QStringLiteral("findProductButton3"));
    connect(find, &QPushButton::clicked, this, &WebshopPage::openProductSearch);
    top->addWidget(find);
    layout->addLayout(top);

    m_grid = new QTableView(tab);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_gridModel = new ProductListModel(this);
    m_gridModel->setInteraction(&m_ui);
    m_gridModel->setDataSet(&m_products);
    m_grid->setModel(m_gridModel);
    m_gridDelegate = new ProductGridDelegate(m_products, m_folder.pictures(), this);
    m_grid->setItemDelegate(m_gridDelegate);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->setDefaultSectionSize(40);
    m_grid->viewport()->installEventFilter(this);
    const auto arrangeColumns = [this] {
        if (!m_products.isOpen())
            return;
        const QStringList shown = ProductListModel::shownColumns();
        QHeaderView* header = m_grid->horizontalHeader();
        for (int c = 0; c < m_products.fields().size(); ++c)
            m_grid->setColumnHidden(c, !shown.contains(m_products.fields()[c].name));
        for (int i = 0; i < shown.size(); ++i) {
            const int logical = m_products.fieldIndex(shown[i]);
            if (logical >= 0)
                header->moveSection(header->visualIndex(logical), i);
        }
    };
    arrangeColumns();
    connect(m_gridModel, &QAbstractItemModel::modelReset, this, arrangeColumns);
    connect(m_grid, &QTableView::clicked, this, [this](const QModelIndex& index) {
        try {
            m_products.moveTo(index.row());
        } catch (const std::exception& e) {
            m_ui.error(shell::messageOf(e));
        }
    });
    layout->addWidget(m_grid, 1);

    auto* bottom = new QHBoxLayout;
    RecordNavigator* navigator = buildProductNavigator(tab, QStringLiteral("productListNavigator"));
    navigator->setVisibleButtons({RecordNavigator::First, RecordNavigator::Prior, RecordNavigator::Next,
                                  RecordNavigator::Last, RecordNavigator::Delete, RecordNavigator::Post,
                                  RecordNavigator::Cancel, RecordNavigator::Refresh});
    bottom->addWidget(navigator);
    m_countLabel = new QLabel(tab);
    m_countLabel->setObjectName(QStringLiteral("recordCountLabel"));
    bottom->addWidget(m_countLabel);
    bottom->addStretch();
    layout->addLayout(bottom);
    return tab;
}

bool WebshopPage::eventFilter(QObject* watched, QEvent* event)
{
    // The variant lists are refilled from the record whenever they get the focus.
    for (int i = 0; i < 3; ++i)
        if (watched == m_variantBoxes[i] && event->type() == QEvent::FocusIn)
            fillVariantBox(m_variantBoxes[i], m_products, kLists[i]);
    // The wheel over the products list moves one record at a time.
    if (m_grid && watched == m_grid->viewport() && event->type() == QEvent::Wheel && m_products.isOpen()) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        try {
            if (wheel->angleDelta().y() < 0)
                m_products.next();
            else
                m_products.prior();
        } catch (const std::exception& e) {
            m_ui.error(shell::messageOf(e));
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool WebshopPage::hasRecord() const
{
    return m_products.isOpen()
           && (!m_products.isEmpty() || m_products.state() == tables::DataSet::State::Insert);
}

void WebshopPage::refreshRecord()
{
    const bool has = hasRecord();
    const QString name = has ? m_products.text(products::kName) : QString();
    for (QLabel* heading : m_headings)
        if (heading)
            heading->setText(name);
    const QString switchColumns[3] = {products::kHasSizes, products::kHasColours, products::kHasDimensions};
    for (int i = 0; i < 3; ++i) {
        m_switches[i]->setChecked(has && m_products.logical(switchColumns[i]));
        fillVariantBox(m_variantBoxes[i], m_products, kLists[i]);
    }
    m_countLabel->setText(recordCountText(m_products.isOpen() ? m_products.recordCount() : 0));
    if (m_products.isOpen() && !m_products.isEmpty()
        && m_products.state() == tables::DataSet::State::Browse) {
        const QModelIndex current = m_gridModel->index(m_products.recordNumber() - 1, 0);
        if (current.isValid() && m_grid->currentIndex().row() != current.row()) {
            m_grid->selectionModel()->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect
                                                                   | QItemSelectionModel::Rows);
        }
    }
    refreshPictures();
}

void WebshopPage::refreshPictures()
{
    const QString id = hasRecord() ? m_products.text(products::kId) : QString();
    if (!products::isSafePictureId(id)) {
        m_smallPicture->showPlaceholder();
        m_bigPicture->showPlaceholder();
        return;
    }
    m_smallPicture->showFile(products::smallPicturePath(m_folder.pictures(), id));
    m_bigPicture->showFile(products::bigPicturePath(m_folder.pictures(), id));
}

void WebshopPage::expandTree()
{
    m_categories->expandTree();
}

bool WebshopPage::saveTree()
{
    return m_categories->saveTree();
}

CategoryTreeView* WebshopPage::treeView() const
{
    return m_categories->treeView();
}

catalogue::TreeCommands& WebshopPage::commands() const
{
    return m_categories->commands();
}

QMenu* WebshopPage::treeMenu() const
{
    return m_categories->treeMenu();
}

NameDialog* WebshopPage::categoryDialog() const
{
    return m_categories->categoryDialog();
}

NameDialog* WebshopPage::subcategoryDialog() const
{
    return m_categories->subcategoryDialog();
}

ProductDialog* WebshopPage::productDialog() const
{
    return m_categories->productDialog();
}

RenameDialog* WebshopPage::renameDialog() const
{
    return m_categories->renameDialog();
}

void WebshopPage::toggleStatistics()
{
    m_categories->toggleStatistics();
}

void WebshopPage::convertPrice(int conversion)
{
    if (!hasRecord())
        return;
    pricing::applyConversion(m_products, Conversion(conversion), m_priceBoxes[conversion]->text(),
                             m_vatBox->currentText(), QLocale(), m_ui);
}

QComboBox* WebshopPage::variantBox(VariantList list) const
{
    return m_variantBoxes[listIndex(list)];
}

QCheckBox* WebshopPage::variantSwitch(VariantList list) const
{
    return m_switches[listIndex(list)];
}

void WebshopPage::switchVariant(VariantList list, bool checked)
{
    if (!hasRecord()) {
        variantSwitch(list)->setChecked(false);
        return;
    }
    QComboBox* box = variantBox(list);
    fillVariantBox(box, m_products, list);
    if (box->count() > 0) {
        try {
            m_products.setValue(switchColumn(list), checked);
            m_products.post();
        } catch (const std::exception& e) {
            if (m_products.state() != tables::DataSet::State::Browse)
                m_products.cancel();
            m_ui.error(shell::messageOf(e));
        }
        return;
    }
    variantSwitch(list)->setChecked(false);
    editVariantList(list);
}

void WebshopPage::editVariantList(VariantList list)
{
    if (!hasRecord())
        return;
    m_listEditor->open(list, variantBox(list));
}

bool WebshopPage::canChangeProducts()
{
    try {
        m_rules->checkCanChange();
        return true;
    } catch (const std::exception& e) {
        m_ui.error(shell::messageOf(e));
        return false;
    }
}

bool WebshopPage::storePendingEdit()
{
    if (!m_products.isOpen() || m_products.state() == tables::DataSet::State::Browse)
        return true;
    return postIfEditing();
}

void WebshopPage::addSidePanel(QWidget* panel)
{
    m_side->addWidget(panel);
}

void WebshopPage::showSidePanel(QWidget* panel)
{
    m_side->setCurrentWidget(panel);
}

void WebshopPage::showTreePanel()
{
    m_side->setCurrentWidget(m_treePanel);
}

void WebshopPage::setRunning(bool running)
{
    // The run reads its own copy of the catalogue; the form stays still so what is shown is what runs.
    for (QPushButton* b : m_runButtons)
        b->setEnabled(!running);
    for (QAction* a : m_categories->runActions())
        a->setEnabled(!running);
    m_cancelButton->setEnabled(running);
    m_tabs->setEnabled(!running);
    m_treePanel->setEnabled(!running);
}

bool WebshopPage::postIfEditing()
{
    try {
        m_products.post();
        return true;
    } catch (const std::exception& e) {
        m_ui.error(shell::messageOf(e));
        return false;
    }
}

void WebshopPage::loadSmallPicture()
{
    if (!hasRecord() || !canChangeProducts())
        return;
    const QString picked =
        m_ui.openFileName(QStringLiteral("Load picture"), QString(), pictures::openFilter());
    if (picked.isEmpty())
        return;
    try {
        const QString id = m_products.text(products::kId);
        if (id.isEmpty()) {
            m_products.setValue(products::kId, nodekeys::freshProductId(m_products));
        } else if (id.size() != kKeyLength) {
            m_ui.message(QStringLiteral("Product ID is incorect, new ID will be added."));
            m_products.setValue(products::kId, nodekeys::freshProductId(m_products));
        }
    } catch (const std::exception& e) {
        m_ui.error(shell::messageOf(e));
        return;
    }
    // Stored now, so the picture file and the record's ID cannot drift apart.
    if (!postIfEditing())
        return;
    const QString id = m_products.text(products::kId);
    try {
        if (!products::isSafePictureId(id))
            throw shell::AppError(QStringLiteral("The product ID %1 cannot name a picture file").arg(id));
        QDir().mkpath(m_folder.pictures());
        pictures::storeAsJpeg(picked, products::smallPicturePath(m_folder.pictures(), id));
    } catch (const std::exception& e) {
        m_ui.error(shell::messageOf(e));
        return;
    }
    m_gridDelegate->forgetPictures();
    m_grid->viewport()->update();
    refreshPictures();
}

void WebshopPage::loadBigPicture()
{
    if (!hasRecord() || !canChangeProducts())
        return;
    const QString picked =
        m_ui.openFileName(QStringLiteral("Load picture"), QString(), pictures::openFilter());
    if (picked.isEmpty() || !postIfEditing())
        return;
    const QString id = m_products.text(products::kId);
    try {
        if (!products::isSafePictureId(id))
            throw shell::AppError(QStringLiteral("The product ID %1 cannot name a picture file").arg(id));
        QDir().mkpath(m_folder.pictures());
        pictures::storeAsJpeg(picked, products::bigPicturePath(m_folder.pictures(), id));
    } catch (const std::exception& e) {
        m_ui.error(shell::messageOf(e));
        return;
    }
    refreshPictures();
}

void WebshopPage::deleteSmallPicture()
{
    if (!hasRecord() || !canChangeProducts()
        || !m_ui.question(QStringLiteral("Delete picture?"), QStringLiteral("warning")))
        return;
    const QString id = m_products.text(products::kId);
    if (products::isSafePictureId(id))
        QFile::remove(products::smallPicturePath(m_folder.pictures(), id));
    m_gridDelegate->forgetPictures();
    m_grid->viewport()->update();
    m_smallPicture->showPlaceholder();
}

void WebshopPage::deleteBigPicture()
{
    if (!hasRecord() || !canChangeProducts()
        || !m_ui.question(QStringLiteral("Delete picture?"), QStringLiteral("warning")))
        return;
    const QString id = m_products.text(products::kId);
    if (products::isSafePictureId(id))
        QFile::remove(products::bigPicturePath(m_folder.pictures(), id));
    m_bigPicture->showPlaceholder();
}

void WebshopPage::openProductSearch()
{
    showCentred(m_search);
}
