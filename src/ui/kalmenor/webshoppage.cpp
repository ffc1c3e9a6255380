#include "ui/kalmenor/webshoppage.h"

#include "catalogue/categorytree.h"
#include "shell/tables/table.h"
#include "ui/kalmenor/categorypanel.h"
#include "ui/kalmenor/dialogplacement.h"
#include "ui/kalmenor/productdialog.h"
#include "ui/kalmenor/producteditor.h"
#include "ui/kalmenor/productlisttab.h"
#include "ui/kalmenor/productnavigator.h"
#include "ui/kalmenor/productsearch.h"

#include <QAction>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

WebshopPage::WebshopPage(const shell::ProgramFolder& folder, tables::Table& products,
                         catalogue::CategoryTree& tree, shell::Interaction& ui, QWidget* parent)
    : QWidget(parent), m_products(products), m_ui(ui)
{
    setObjectName(QStringLiteral("webshopPage"));
    auto* editor = new ProductEditor(folder, products, tree, ui, this);
    auto* list = new ProductListTab(products, folder.pictures(), ui, this);
    connect(editor, &ProductEditor::smallPictureChanged, list, &ProductListTab::picturesChanged);

    auto* layout = new QVBoxLayout(this);
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    m_side = new QStackedWidget(this);
    m_side->setObjectName(QStringLiteral("sidePanels"));
    m_categories = new CategoryPanel(folder, products, tree, ui, this);
    m_side->addWidget(m_categories);
    connect(m_categories, &CategoryPanel::previewRequested, this, &WebshopPage::previewRequested);
    connect(m_categories, &CategoryPanel::buildRequested, this, &WebshopPage::buildRequested);
    connect(m_categories, &CategoryPanel::uploadRequested, this, &WebshopPage::uploadRequested);
    splitter->addWidget(m_side);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("productTabs"));
    m_tabs->addTab(editor->infoTab(), QStringLiteral("Product info"));
    m_tabs->addTab(editor->moreInfoTab(), QStringLiteral("More information about product"));
    m_tabs->addTab(list, QStringLiteral("Products list"));
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

    // The search lives as long as the page; every "Find product" opens it.
    m_search = new ProductSearch(products, ui, this);
    connect(m_categories, &CategoryPanel::findProductRequested, this, &WebshopPage::openProductSearch);
    connect(editor, &ProductEditor::findProductRequested, this, &WebshopPage::openProductSearch);
    connect(list, &ProductListTab::findProductRequested, this, &WebshopPage::openProductSearch);
    connect(m_search, &ProductSearch::productChosen, this,
            [this](const QString& name, const QString&) { m_categories->productDialog()->setName(name); });
    // "Find product" moves the record; the tree follows, so edits go to the product the tree shows.
    connect(&products, &tables::DataSet::afterScroll, this, [this, &products] {
        if (m_search->isVisible())
            m_categories->selectProduct(products.text(catalogue::products::kId));
    });
    m_categories->expandTree();
}

bool WebshopPage::storePendingEdit()
{
    return ::storePendingEdit(m_products, m_ui);
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
    m_side->setCurrentWidget(m_categories);
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
    m_categories->setEnabled(!running);
}

void WebshopPage::openProductSearch()
{
    showCentred(m_search);
}
