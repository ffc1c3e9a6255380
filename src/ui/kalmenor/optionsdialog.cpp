#include "ui/kalmenor/optionsdialog.h"

#include "catalogue/deliverymethods.h"
#include "shell/error.h"
#include "shell/interaction.h"
#include "ui/kalmenor/colorbox.h"
#include "ui/kalmenor/deliverydialog.h"
#include "ui/kalmenor/settingsbinder.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kPictureFilter = QStringLiteral(
    "pliki graficzne (*.jpg *.jpeg *.bmp *.ico *.emf *.wmf *.gif);;pliki gif (*.gif);;pliki jpg (*.jpg);;"
    "wszystkie pliki (*)");

QStringList numbers(int from, int to, int step = 1)
{
    QStringList out;
    for (int i = from; i <= to; i += step)
        out << QString::number(i);
    return out;
}

QStringList ems(int fromTenths, int toTenths)
{
    QStringList out;
    for (int t = fromTenths; t <= toTenths; ++t)
        out << QStringLiteral("%1.%2em").arg(t / 10).arg(t % 10);
    return out;
}

template <typename W> W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QComboBox* comboBox(const char* name, const QStringList& items, bool editable)
{
    auto* box = named(new QComboBox, name);
    box->addItems(items);
    box->setEditable(editable);
    box->setMaxVisibleItems(16);
    return box;
}

QPlainTextEdit* memo(const char* name)
{
    auto* m = named(new QPlainTextEdit, name);
    m->setLineWrapMode(QPlainTextEdit::NoWrap);
    return m;
}

} // namespace

OptionsDialog::OptionsDialog(shell::Settings& settings, const QString& configDir,
                             const shell::ProgramFolder& folder, shell::Interaction& interaction,
                             QWidget* parent)
    : QWidget(parent, Qt::Dialog), m_settings(settings), m_configDir(configDir), m_folder(folder),
      m_interaction(interaction)
{
    setObjectName(QStringLiteral("optionsDialog"));
    setWindowTitle(QStringLiteral("Options"));

    m_binder = new SettingsBinder(this);
    auto* pages = named(new QTabWidget, "optionsPages");
    pages->addTab(buildMainPage(), QStringLiteral("Main"));
    pages->addTab(buildWebshopPage(), QStringLiteral("Webshop"));
    pages->addTab(buildWelcomePage(), QStringLiteral("Welcome page"));
    pages->addTab(buildSendingFormPage(), QStringLiteral("Sending form"));
    pages->addTab(buildPriceListPage(), QStringLiteral("Price list"));
    pages->addTab(buildMemoPage(QStringLiteral("Include information about shop"), "includeInformationCheck",
                                "infoTextEdit"),
                  QStringLiteral("Information about Webshop"));
    pages->addTab(buildMemoPage(QStringLiteral("Include shop regulation"), "includeRegulationCheck",
                                "regulationTextEdit"),
                  QStringLiteral("Regulation"));
    pages->addTab(buildHyperlinksPage(), QStringLiteral("Hyperlinks"));
    pages->addTab(buildMetaTagsPage(), QStringLiteral("Meta tags"));
    pages->addTab(buildFtpPage(), QStringLiteral("FTP"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("closeButton"));
    connect(buttons, &QDialogButtonBox::rejected, this, &OptionsDialog::closeWithNumberCheck);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addWidget(buttons);

    m_delivery = new DeliveryDialog(m_folder, m_interaction, m_deliveryPanel);
    m_deliveryPanel->layout()->addWidget(m_delivery);
    // The generator reads the grid as it stands, unconfirmed edits included.
    connect(m_delivery->model(), &DeliveryMethodsModel::rowsEdited, this,
            [this] { m_settings.deliveryMethods = m_delivery->model()->rows(); });
    m_settings.deliveryMethods = m_delivery->model()->rows();

    bindWidgets();
    loadSettings();
    resize(960, 560);
}

// ---- pages ----

QWidget* OptionsDialog::buildMainPage()
{
    auto* page = new QWidget;
    m_styleBox = comboBox("webShopStyleBox", shell::stylePresetNames(), false);
    m_presetPreview = named(new QLabel, "presetPreview");
    m_presetPreview->setFixedSize(200, 150);
    m_presetPreview->setFrameShape(QFrame::StyledPanel);
    m_presetPreview->setAlignment(Qt::AlignCenter);
    connect(m_styleBox, &QComboBox::activated, this, &OptionsDialog::applyPreset);
    connect(m_styleBox, &QComboBox::currentIndexChanged, this, &OptionsDialog::showPresetPreview);

    auto* general = new QFormLayout;
    general->addRow(QStringLiteral("Web Shop Style"), m_styleBox);
    general->addRow(QStringLiteral("Title web page"), named(new QLineEdit, "titleEdit"));
    general->addRow(QStringLiteral("Your e-mail:"), named(new QLineEdit, "emailEdit"));
    general->addRow(
        QStringLiteral("Currency"),
        comboBox("currencyBox",
                 {QStringLiteral("$"), QStringLiteral("$ net"), QStringLiteral("$ gross"),
                  QStringLiteral("Eur"), QStringLiteral("Eur net"), QStringLiteral("Eur gross"),
                  QStringLiteral("€"), QStringLiteral("€ net"), QStringLiteral("€ gross"),
                  QStringLiteral("pound"), QStringLiteral("pound net"), QStringLiteral("pound gross")},
                 true));
    auto* top = new QHBoxLayout;
    top->addLayout(general, 1);
    top->addWidget(m_presetPreview);

    auto* font = new QGroupBox(QStringLiteral("Font"));
    auto* fontForm = new QFormLayout(font);
    fontForm->addRow(QStringLiteral("Font"), comboBox("fontFamilyBox", QFontDatabase::families(), true));
    fontForm->addRow(QStringLiteral("Size"), comboBox("fontSizeBox", numbers(8, 14), true));
    fontForm->addRow(QStringLiteral("Color"), named(new ColorBox, "fontColorBox"));
    fontForm->addRow(QStringLiteral("Margin"), comboBox("marginBox", numbers(0, 30, 5), true));
    fontForm->addRow(QStringLiteral("Space between character"),
                     comboBox("letterSpacingBox", ems(1, 10), true));
    fontForm->addRow(QStringLiteral("Space between words"), comboBox("wordSpacingBox", ems(5, 20), true));

    auto* colours = new QGroupBox(QStringLiteral("Colors"));
    auto* colourForm = new QFormLayout(colours);
    colourForm->addRow(QStringLiteral("Header color"), named(new ColorBox, "headerColorBox"));
    colourForm->addRow(QStringLiteral("Line color"), named(new ColorBox, "lineColorBox"));
    colourForm->addRow(QStringLiteral("Odd color"), named(new ColorBox, "oddColorBox"));
    colourForm->addRow(QStringLiteral("Even color"), named(new ColorBox, "evenColorBox"));
    colourForm->addRow(QStringLiteral("Menu color"), named(new ColorBox, "menuColorBox"));
    colourForm->addRow(QStringLiteral("Highlited menu color"), named(new ColorBox, "menuHighlightColorBox"));
    colourForm->addRow(named(new QCheckBox(QStringLiteral("Table lines")), "tableLinesCheck"));

    auto* groups = new QHBoxLayout;
    groups->addWidget(font, 1);
    groups->addWidget(colours, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addLayout(groups);
    layout->addStretch();
    return page;
}

QWidget* OptionsDialog::buildWebshopPage()
{
    auto* page = new QWidget;
    auto* header = new QGroupBox(QStringLiteral("Header"));
    auto* grid = new QGridLayout(header);
    m_logoEdit = named(new QLineEdit, "logoEdit");
    auto* logoBrowse = named(new QToolButton, "logoBrowseButton");
    logoBrowse->setText(QStringLiteral("..."));
    connect(logoBrowse, &QToolButton::clicked, this, [this] { choosePicture(m_logoEdit); });
    grid->addWidget(named(new QRadioButton, "shopNameRadio"), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Shop name")), 0, 1);
    grid->addWidget(named(new QLineEdit, "shopNameEdit"), 0, 2, 1, 2);
    grid->addWidget(named(new QRadioButton, "logoRadio"), 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("Logo")), 1, 1);
    grid->addWidget(m_logoEdit, 1, 2);
    grid->addWidget(logoBrowse, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Font color")), 2, 1);
    grid->addWidget(named(new ColorBox, "headerTextColorBox"), 2, 2, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Alignment")), 3, 1);
    grid->addWidget(comboBox("alignmentBox", shell::alignmentNames(), false), 3, 2, 1, 2);
    grid->setColumnStretch(2, 1);

    auto* products = new QGroupBox(QStringLiteral("Products"));
    auto* form = new QFormLayout(products);
    form->addRow(QStringLiteral("Page style:"), comboBox("pageStyleBox", shell::themeNames(), false));
    form->addRow(QStringLiteral("Column count:"), comboBox("columnCountBox", numbers(1, 6), false));
    form->addRow(QStringLiteral("Flow text:"), comboBox("flowTextBox", shell::textFlowNames(), false));
    form->addRow(named(new QCheckBox(QStringLiteral("Fixed products image size")), "fixedImageSizeCheck"));
    auto* width = named(new QSpinBox, "imageWidthSpin");
    auto* height = named(new QSpinBox, "imageHeightSpin");
    width->setRange(0, 10000);
    height->setRange(0, 10000);
    form->addRow(QStringLiteral("Width"), width);
    form->addRow(QStringLiteral("Height"), height);
    form->addRow(QStringLiteral("Animation (Promotion)"),
                 comboBox("promotionMarkerBox", shell::markerNames(), false));
    form->addRow(QStringLiteral("Animation (New)"), comboBox("newMarkerBox", shell::markerNames(), false));
    form->addRow(QStringLiteral("Animation (Sale)"), comboBox("saleMarkerBox", shell::markerNames(), false));

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(header);
    layout->addWidget(products);
    layout->addStretch();
    return page;
}

QWidget* OptionsDialog::buildWelcomePage()
{
    auto* page = new QWidget;
    m_bannerEdit = named(new QLineEdit, "bannerEdit");
    auto* browse = named(new QToolButton, "bannerBrowseButton");
    browse->setText(QStringLiteral("..."));
    connect(browse, &QToolButton::clicked, this, [this] { choosePicture(m_bannerEdit); });
    auto* banner = new QHBoxLayout;
    banner->addWidget(new QLabel(QStringLiteral("Banner")));
    banner->addWidget(m_bannerEdit, 1);
    banner->addWidget(browse);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(
        named(new QCheckBox(QStringLiteral("Include welcome page")), "includeWelcomePageCheck"));
    layout->addLayout(banner);
    layout->addWidget(memo("welcomeTextEdit"), 1);
    return page;
}

QWidget* OptionsDialog::buildSendingFormPage()
{
    auto* page = new QWidget;
    auto* thanks = new QFormLayout;
    thanks->addRow(QStringLiteral("After order text:"), named(new QLineEdit, "orderThanksEdit"));
    auto* address = new QHBoxLayout;
    address->addWidget(named(new QRadioButton(QStringLiteral("Adress")), "addressRadio"));
    address->addWidget(named(new QRadioButton(QStringLiteral("Enter a separate delivery address.")),
                             "separateAddressRadio"));
    address->addStretch();
    m_deliveryPanel = named(new QWidget, "deliveryPanel");
    auto* panelLayout = new QVBoxLayout(m_deliveryPanel);
    panelLayout->setContentsMargins(0, 0, 0, 0);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(thanks);
    layout->addLayout(address);
    layout->addWidget(
        named(new QCheckBox(QStringLiteral("Include Delivery Method")), "includeDeliveryCheck"));
    layout->addWidget(m_deliveryPanel, 1);
    return page;
}

QWidget* OptionsDialog::buildPriceListPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(named(new QCheckBox(QStringLiteral("Include price list")), "includePriceListCheck"));
    layout->addWidget(named(new QRadioButton(QStringLiteral("show net prices")), "netPricesRadio"));
    layout->addWidget(named(new QRadioButton(QStringLiteral("show gross prices")), "grossPricesRadio"));
    layout->addStretch();
    return page;
}

QWidget* OptionsDialog::buildMemoPage(const QString& checkCaption, const char* checkName,
                                      const char* memoName)
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(named(new QCheckBox(checkCaption), checkName));
    layout->addWidget(memo(memoName), 1);
    return page;
}

QWidget* OptionsDialog::buildHyperlinksPage()
{
    auto* page = new QWidget;
    auto* insert = named(new QPushButton(QStringLiteral("insert hyperlink ")), "insertHyperlinkButton");
    connect(insert, &QPushButton::clicked, this, &OptionsDialog::insertHyperlink);
    auto* heading = comboBox(
        "linksHeadingBox",
        {QStringLiteral("Go to"), QStringLiteral("Menu"), QStringLiteral("Links"), QStringLiteral("Jump to")},
        true);
    auto* top = new QHBoxLayout;
    top->addWidget(named(new QCheckBox(QStringLiteral("Include lynks at the shop")), "includeLinksCheck"));
    top->addStretch();
    top->addWidget(heading);
    top->addWidget(insert);

    m_linkGrid = named(new QTableWidget(shell::Settings::linkCount, 2), "linkGrid");
    m_linkGrid->setHorizontalHeaderLabels({QStringLiteral("Link name"), QStringLiteral("Link path")});
    m_linkGrid->horizontalHeader()->resizeSection(0, 180);
    m_linkGrid->horizontalHeader()->setStretchLastSection(true);
    m_linkGrid->verticalHeader()->setDefaultSectionSize(22);
    m_linkGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_linkGrid, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (row >= 0)
            m_linkRow = row;
    });

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(m_linkGrid, 1);
    return page;
}

QWidget* OptionsDialog::buildMetaTagsPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(QStringLiteral("Page description")));
    layout->addWidget(memo("metaDescriptionEdit"), 1);
    layout->addWidget(new QLabel(QStringLiteral("Keywords")));
    layout->addWidget(memo("metaKeywordsEdit"), 1);
    return page;
}

QWidget* OptionsDialog::buildFtpPage()
{
    auto* page = new QWidget;
    auto* password = named(new QLineEdit, "ftpPasswordEdit");
    password->setEchoMode(QLineEdit::Password);
    password->setMaxLength(254); // the remembered block holds 254 characters and a zero
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Host"), named(new QLineEdit, "ftpHostEdit"));
    form->addRow(QStringLiteral("Port"), named(new QLineEdit, "ftpPortEdit"));
    form->addRow(QStringLiteral("User ID"), named(new QLineEdit, "ftpUserEdit"));
    form->addRow(QStringLiteral("Password"), password);
    form->addRow(named(new QCheckBox(QStringLiteral("Save Password")), "ftpSavePasswordCheck"));
    form->addRow(named(new QCheckBox(QStringLiteral("Passive transfer")), "ftpPassiveCheck"));
    form->addRow(named(new QCheckBox(QStringLiteral("Encrypted (FTPS: TLS required)")), "ftpTlsCheck"));
    form->addRow(QStringLiteral("Remote folder"), named(new QLineEdit, "ftpFolderEdit"));
    form->addRow(QStringLiteral("Shop address"), named(new QLineEdit, "shopAddressEdit"));
    auto* box = new QGroupBox(QStringLiteral("FTP"));
    box->setLayout(form);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(box);
    layout->addStretch();
    return page;
}

// ---- bindings: each widget and the settings member it edits ----

void OptionsDialog::bindWidgets()
{
    auto w = [this]<typename W>(W*, const char* name) {
        W* found = findChild<W*>(QString::fromLatin1(name));
        Q_ASSERT_X(found, "OptionsDialog::bindWidgets", name);
        return found;
    };
    auto line = [&](const char* n) { return w(static_cast<QLineEdit*>(nullptr), n); };
    auto combo = [&](const char* n) { return w(static_cast<QComboBox*>(nullptr), n); };
    auto check = [&](const char* n) { return w(static_cast<QCheckBox*>(nullptr), n); };
    auto radio = [&](const char* n) { return w(static_cast<QRadioButton*>(nullptr), n); };
    auto colour = [&](const char* n) { return w(static_cast<ColorBox*>(nullptr), n); };
    auto spin = [&](const char* n) { return w(static_cast<QSpinBox*>(nullptr), n); };
    auto text = [&](const char* n) { return w(static_cast<QPlainTextEdit*>(nullptr), n); };
    shell::Settings& s = m_settings;

    // Main
    m_binder->bind(m_styleBox, &s.options.stylePreset);                             // Opcje/Styl
    m_binder->bind(line("titleEdit"), &s.options.title);                            // Opcje/title
    m_binder->bind(line("emailEdit"), &s.options.email);                            // Opcje/e-mail
    m_binder->bind(combo("currencyBox"), &s.options.currency);                      // Opcje/waluta
    m_binder->bind(combo("fontFamilyBox"), &s.font.family);                         // Font/czcionka
    m_binder->bind(combo("fontSizeBox"), &s.font.size);                             // Font/rozmiar
    m_binder->bind(colour("fontColorBox"), &s.font.color);                          // Font/kolor
    m_binder->bind(combo("marginBox"), &s.font.margin);                             // Font/margines
    m_binder->bind(combo("letterSpacingBox"), &s.font.letterSpacing);               // Font/znaki
    m_binder->bind(combo("wordSpacingBox"), &s.font.wordSpacing);                   // Font/wyrazy
    m_binder->bind(colour("headerColorBox"), &s.headerColor);                       // not stored
    m_binder->bind(colour("lineColorBox"), &s.lineColor);                           // not stored
    m_binder->bind(colour("oddColorBox"), &s.oddColor);                             // not stored
    m_binder->bind(colour("evenColorBox"), &s.evenColor);                           // not stored
    m_binder->bind(colour("menuColorBox"), &s.options.menuColor);                   // Opcje/kolormenu
    m_binder->bind(colour("menuHighlightColorBox"), &s.options.menuHighlightColor); // Opcje/kolormenu2
    m_binder->bind(check("tableLinesCheck"), &s.tableLines);                        // not stored
    // Webshop
    m_binder->bindRadioPair(radio("shopNameRadio"), &s.options.headerShowsShopName, // Opcje/powitanie2
                            radio("logoRadio"), &s.options.headerShowsLogo);        // Opcje/baner
    m_binder->bind(line("shopNameEdit"), &s.options.shopName);                      // Opcje/powitanie
    m_binder->bind(line("logoEdit"), &s.options.logoPath);                          // Opcje/path
    m_binder->bind(colour("headerTextColorBox"), &s.font.headerTextColor);          // Font/powitaniekolor
    m_binder->bind(combo("alignmentBox"), &s.options.headerAlignment);              // Opcje/wyrownanie
    m_binder->bind(combo("columnCountBox"), &s.options.columnsIndex);               // Opcje/kolumny
    m_binder->bind(combo("pageStyleBox"), &s.options.theme);                        // Opcje/motyw
    m_binder->bind(combo("flowTextBox"), &s.options.textFlow);                      // Opcje/otaczanie
    m_binder->bind(check("fixedImageSizeCheck"), &s.options.fixedImageSize);        // Opcje/imageSize
    m_binder->bind(spin("imageWidthSpin"), &s.options.imageWidth);                  // Opcje/imageWidt
    m_binder->bind(spin("imageHeightSpin"), &s.options.imageHeight);                // Opcje/imageHeight
    m_binder->bind(combo("promotionMarkerBox"), &s.options.promotionMarker);        // Opcje/promocja
    m_binder->bind(combo("newMarkerBox"), &s.options.newMarker);                    // Opcje/new
    m_binder->bind(combo("saleMarkerBox"), &s.options.saleMarker);                  // Opcje/sale
    // Welcome page
    m_binder->bind(check("includeWelcomePageCheck"), &s.options.includeWelcomePage); // Opcje/powitalna
    m_binder->bind(line("bannerEdit"), &s.options.bannerPath);                       // Opcje/powitaniepath
    m_binder->bind(text("welcomeTextEdit"), &s.welcomeText);                         // powitanie.txt
    // Sending form
    m_binder->bind(line("orderThanksEdit"), &s.font.orderThanks);              // Font/orderThanks
    m_binder->bind(check("includeDeliveryCheck"), &s.options.includeDelivery); // Opcje/delivery
    m_binder->bind(radio("separateAddressRadio"),
                   &s.separateDeliveryAddress); // not stored ("Adress" is its partner)
    // Price list
    m_binder->bind(check("includePriceListCheck"), &s.options.includePriceList);   // Opcje/cennik
    m_binder->bindRadioPair(radio("netPricesRadio"), &s.options.priceListNet,      // Opcje/Netto
                            radio("grossPricesRadio"), &s.options.priceListGross); // Opcje/Brutto
    // Information about Webshop, Regulation
    m_binder->bind(check("includeInformationCheck"), &s.options.includeInformation); // Opcje/informacje
    m_binder->bind(text("infoTextEdit"), &s.infoText);                               // opis.txt
    m_binder->bind(check("includeRegulationCheck"), &s.options.includeRegulation);   // Opcje/regulamin
    m_binder->bind(text("regulationTextEdit"), &s.regulationText);                   // regulamin.txt
    // Hyperlinks
    m_binder->bind(check("includeLinksCheck"), &s.options.includeLinks); // Opcje/linki
    m_binder->bind(combo("linksHeadingBox"), &s.options.linksHeading);   // Opcje/Nazwa
    bindLinks();                                                         // Linki/L1…L30, P1…P30
    // Meta tags
    m_binder->bind(text("metaDescriptionEdit"), &s.metaDescription); // copy of opis.txt
    m_binder->bind(text("metaKeywordsEdit"), &s.metaKeywords);       // klucze.txt
    // FTP
    m_binder->bind(line("ftpHostEdit"), &s.ftp.host);                   // FTP/host
    m_binder->bind(line("ftpPortEdit"), &s.ftp.port);                   // FTP/port
    m_binder->bind(line("ftpUserEdit"), &s.ftp.user);                   // FTP/user
    m_binder->bind(line("ftpPasswordEdit"), &s.ftp.password);           // password store "0xx456"
    m_binder->bind(check("ftpSavePasswordCheck"), &s.ftp.savePassword); // FTP/pasword
    m_binder->bind(check("ftpPassiveCheck"), &s.ftp.passive);           // FTP/pasywny
    m_binder->bind(check("ftpTlsCheck"), &s.ftp.tls);                   // FTP/tls
    m_binder->bind(line("ftpFolderEdit"), &s.ftp.folder);               // FTP/folder
    m_binder->bind(line("shopAddressEdit"), &s.options.address);        // Opcje/adres
}

void OptionsDialog::bindLinks()
{
    auto cellText = [this](int row, int column) {
        const QTableWidgetItem* item = m_linkGrid->item(row, column);
        return item ? item->text() : QString();
    };
    m_binder->add(
        [this] {
            for (int row = 0; row < shell::Settings::linkCount; ++row) {
                const shell::HyperLink& link = m_settings.links[size_t(row)];
                m_linkGrid->setItem(row, 0, new QTableWidgetItem(link.name));
                m_linkGrid->setItem(row, 1, new QTableWidgetItem(link.path));
            }
        },
        [this, cellText] {
            for (int row = 0; row < shell::Settings::linkCount; ++row)
                m_settings.links[size_t(row)] = {cellText(row, 0), cellText(row, 1)};
        });
    connect(m_linkGrid, &QTableWidget::itemChanged, this, [this, cellText](QTableWidgetItem* item) {
        if (m_binder->isLoading() || item->row() >= shell::Settings::linkCount)
            return;
        m_settings.links[size_t(item->row())] = {cellText(item->row(), 0), cellText(item->row(), 1)};
    });
}

void OptionsDialog::loadSettings()
{
    m_binder->load();
    showPresetPreview(m_styleBox->currentIndex());
}

void OptionsDialog::saveSettings()
{
    m_binder->save();
}

// ---- behaviour ----

void OptionsDialog::applyPreset(int index)
{
    shell::applyStylePreset(m_settings, index);
    m_settings.options.stylePreset = index;
    loadSettings();
}

void OptionsDialog::showPresetPreview(int index)
{
    // No preset or no picture: the preview stays empty; nothing to report.
    QPixmap picture;
    if (index >= 0)
        picture.load(m_folder.style() + QStringLiteral("Szablon/%1.jpg").arg(index));
    if (picture.isNull())
        m_presetPreview->clear();
    else
        m_presetPreview->setPixmap(
            picture.scaled(m_presetPreview->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void OptionsDialog::choosePicture(QLineEdit* target)
{
    const QString file =
        m_interaction.openFileName(QString(), QFileInfo(target->text()).absolutePath(), kPictureFilter);
    if (!file.isEmpty())
        target->setText(QFileInfo(file).absoluteFilePath());
}

void OptionsDialog::insertHyperlink()
{
    const QString file = m_interaction.openFileName(QString(), QString(), QString());
    if (file.isEmpty())
        return;
    const QFileInfo info(file);
    const QString name = info.fileName().section(QLatin1Char('.'), 0, 0);
    m_linkGrid->setItem(m_linkRow, 0, new QTableWidgetItem(name));
    m_linkGrid->setItem(m_linkRow, 1, new QTableWidgetItem(info.absoluteFilePath()));
}

void OptionsDialog::closeWithNumberCheck()
{
    bool ok = false;
    m_settings.invoice.number.trimmed().toInt(&ok);
    if (!ok) {
        m_interaction.error(
            QStringLiteral("'%1' is not a valid integer value (invoice number Faktury/Nr in KVO.INI)")
                .arg(m_settings.invoice.number));
        return;
    }
    close();
}

bool OptionsDialog::storeSettings()
{
    // The widgets have written every change through already; pulling them again here would undo
    // changes made to the settings elsewhere while the window was hidden.
    try {
        shell::saveSettings(m_settings, m_configDir, m_folder);
        return true;
    } catch (const shell::AppError& e) {
        m_interaction.error(e.message());
        return false;
    }
}

void OptionsDialog::showEvent(QShowEvent* event)
{
    // The delivery editor fills its panel on "Sending form" each time the window shows.
    if (m_delivery->parentWidget() != m_deliveryPanel) {
        m_delivery->setParent(m_deliveryPanel);
        m_deliveryPanel->layout()->addWidget(m_delivery);
    }
    m_delivery->show();
    QWidget::showEvent(event);
}

void OptionsDialog::closeEvent(QCloseEvent* event)
{
    storeSettings();
    QWidget::closeEvent(event);
}
