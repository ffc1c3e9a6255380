#include "ui/kalmenor/mainwindow.h"

#include "shell/backup.h"
#include "shell/desktop.h"
#include "shell/error.h"
#include "shell/interaction.h"
#include "ui/kalmenor/banner.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace {
const QColor kPageColour(198, 198, 244);
const char* const kHomePage = "https://kalmenor.example.org/";
const char* const kMakerMail = "mailto:support@kalmenor.example.org";
} // namespace

MainWindow::MainWindow(const ProgramFolder& folder, const QString& configDir, Interaction& ui, QWidget* parent)
    : QMainWindow(parent), m_folder(folder), m_configDir(configDir), m_ui(ui)
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("Kalmenor"));
    m_workspace = std::make_unique<catalogue::Workspace>(m_folder, m_ui);
    buildToolBar();
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("mainPages"));
    setCentralWidget(m_pages);
}

MainWindow::~MainWindow() = default;

QString MainWindow::versionText() const
{
    return QStringLiteral("wer. 1.7");
}

void MainWindow::start()
{
    // Table set and tree first: the pages bind to them. A failure shows its error and skips the rest.
    const bool opened = m_workspace->open();
    m_settings = loadSettings(m_configDir, m_folder);

    m_pages->addTab(buildInfoPage(), QStringLiteral("Info"));
    m_pages->setTabToolTip(0, QStringLiteral("Strona glowna"));
    m_pages->addTab(buildWebshopPage(), QStringLiteral("Webshop"));
    for (int i = 0; i < m_pages->count(); ++i) {
        QWidget* page = m_pages->widget(i);
        page->setAutoFillBackground(true);
        QPalette pal = page->palette();
        pal.setColor(QPalette::Window, kPageColour);
        page->setPalette(pal);
    }
    if (opened)
        watchProductsFile();
}

void MainWindow::buildToolBar()
{
    m_toolBar = addToolBar(QStringLiteral("Tools"));
    m_toolBar->setObjectName(QStringLiteral("mainToolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    const auto add = [this](const char* name, const QString& text, const QString& hint, void (MainWindow::*slot)()) {
        QAction* a = m_toolBar->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        a->setToolTip(hint);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    add("exitAction", QStringLiteral("Exit"), QStringLiteral("Exit"), &MainWindow::exitProgram);
    add("notepadAction", QStringLiteral("Notepad"), QStringLiteral("Open notepad"), &MainWindow::openNotepad);
    add("calculatorAction", QStringLiteral("Calculator"), QStringLiteral("Run Calculator"), &MainWindow::openCalculator);
    add("helpAction", QStringLiteral("Help"), QStringLiteral("Help"), &MainWindow::openHelp);
    add("optionsAction", QStringLiteral("Options"), QStringLiteral("Options"), &MainWindow::openOptions);
}

QWidget* MainWindow::buildInfoPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("infoPage"));
    auto* layout = new QVBoxLayout(page);
    auto* bannerLabel = new QLabel(page);
    bannerLabel->setObjectName(QStringLiteral("bannerLabel"));
    bannerLabel->setPixmap(banner::paint(1000, 70));
    bannerLabel->setScaledContents(true);
    bannerLabel->setMaximumHeight(70);
    layout->addWidget(bannerLabel);

    auto* title = new QLabel(QStringLiteral("<h1>Kalmenor</h1><p>Your product catalogue and web shop.</p>"), page);
    layout->addWidget(title);
    const auto link = [&](const char* name, const QString& text, auto handler) {
        auto* l = new QLabel(QStringLiteral("<a href=\"#\">%1</a>").arg(text.toHtmlEscaped()), page);
        l->setObjectName(QString::fromLatin1(name));
        l->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        connect(l, &QLabel::linkActivated, this, handler);
        layout->addWidget(l);
        return l;
    };
    link("createWebshopLink", QStringLiteral("Create new Webshop"), [this] { m_pages->setCurrentIndex(1); });
    link("previewWebshopLink", QStringLiteral("Preview Webshop"), [this] {
        if (m_webshopPage)
            QMetaObject::invokeMethod(m_webshopPage, "previewRequested");
    });
    link("webshopHelpLink", QStringLiteral("Webshop Help"), [this] { openHelp(); });
    link("optionsLink", QStringLiteral("Options"), [this] { openOptions(); });
    link("makerMailLink", QStringLiteral("support@kalmenor.example.org"),
         [this] { m_ui.openInShell(QString::fromLatin1(kMakerMail)); });
    link("homePageLink", QStringLiteral("kalmenor.example.org"), [this] { openHomePage(); });
    layout->addStretch();
    auto* version = new QLabel(versionText(), page);
    version->setObjectName(QStringLiteral("versionLabel"));
    layout->addWidget(version);
    return page;
}

QWidget* MainWindow::buildWebshopPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("webshopPage"));
    new QVBoxLayout(page);
    m_webshopPage = page;
    return page;
}

void MainWindow::watchProductsFile()
{
    // Another program (Importer) may change towary.db while we run: show its changes.
    m_watcher = new QFileSystemWatcher(this);
    m_watcher->addPath(m_folder.productsTable());
    m_refreshTimer = new QTimer(this);
    m_refreshTimer->setSingleShot(true);
    m_refreshTimer->setInterval(200);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, m_refreshTimer, qOverload<>(&QTimer::start));
    connect(m_refreshTimer, &QTimer::timeout, this, [this] {
        try {
            m_workspace->products().refreshIfChanged();
        } catch (const std::exception& e) {
            m_ui.error(messageOf(e));
        }
        if (!m_watcher->files().contains(m_folder.productsTable()))
            m_watcher->addPath(m_folder.productsTable());
    });
}

void MainWindow::storeSettings()
{
    try {
        saveSettings(m_settings, m_configDir, m_folder);
    } catch (const std::exception& e) {
        m_ui.error(messageOf(e));
    }
}

void MainWindow::exitProgram()
{
    storeSettings();
    close();
}

void MainWindow::openNotepad()
{
    m_ui.startProgram(desktop::textEditorCommand());
}

void MainWindow::openCalculator()
{
    m_ui.startProgram(desktop::calculatorCommand());
}

void MainWindow::openHelp()
{
    m_ui.openInShell(m_folder.helpIndex());
}

void MainWindow::openHomePage()
{
    m_ui.openInShell(QString::fromLatin1(kHomePage));
}

void MainWindow::openOptions()
{
    m_ui.message(QStringLiteral("Options"));
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    m_closing = true;
    m_workspace->saveTreeOnClose();
    if (m_settings.invoice.autoArchive) {
        // A failed backup is shown, then the program closes all the same: keeping the window open
        // would leave no way out with a read-only folder or a full disk.
        try {
            m_ui.message(backup::resultMessage(backup::run(m_folder, QDate::currentDate())));
        } catch (const std::exception& e) {
            m_ui.error(messageOf(e));
        }
    }
    event->accept();
}
