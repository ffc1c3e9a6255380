#include "ui/kalmenor/mainwindow.h"

#include "programversion.h"

#include "generator/generateshop.h"
#include "generator/generatorcontext.h"
#include "publish/ftpclient.h"
#include "publish/manifest.h"
#include "publish/shopupload.h"
#include "publish/truststore.h"
#include "shell/backup.h"
#include "shell/desktop.h"
#include "shell/error.h"
#include "shell/interaction.h"
#include "shell/settingskeys.h"
#include "ui/kalmenor/banner.h"
#include "ui/kalmenor/optionsdialog.h"
#include "ui/kalmenor/shoprun.h"
#include "ui/kalmenor/uploadpanel.h"
#include "ui/kalmenor/webshoppage.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace {
const QColor kPageColour(198, 198, 244);
const char* const kHomePage = "https://kalmenor.example.org/";
const char* const kMakerMail = "mailto:support@kalmenor.example.org";
} // namespace

MainWindow::MainWindow(const shell::ProgramFolder& folder, const QString& configDir, shell::Interaction& ui,
                       QWidget* parent)
    : QMainWindow(parent), m_folder(folder), m_configDir(configDir), m_ui(ui)
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("Kalmenor"));
    m_workspace = std::make_unique<catalogue::Workspace>(m_folder, m_ui);
    buildFileMenu();
    buildToolBar();
    m_pages = std::make_unique<QTabWidget>(this);
    m_pages->setObjectName(QStringLiteral("mainPages"));
    setCentralWidget(m_pages.get());
}

MainWindow::~MainWindow()
{
    if (m_run && m_run->isRunning()) {
        m_run->cancel();
        m_run->waitUntilFinished();
    }
    // The pages go before the run; it reports to nobody from here on.
    if (m_run)
        disconnect(m_run, nullptr, this, nullptr);
}

void MainWindow::start()
{
    // Table set and tree first: the pages bind to them. A failure shows its error and skips the rest.
    const bool opened = m_workspace->open();
    m_settings = shell::loadSettings(m_configDir, m_folder);
    m_options = std::make_unique<OptionsDialog>(m_settings, m_configDir, m_folder, m_ui, this);
    m_options->setWindowFlag(Qt::Window);
    m_options->loadSettings();

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

void MainWindow::buildFileMenu()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("fileMenu"));
    QAction* create = file->addAction(QStringLiteral("New shop folder…"), this, &MainWindow::newShopFolder);
    create->setObjectName(QStringLiteral("newShopFolderAction"));
    QAction* open = file->addAction(QStringLiteral("Open shop folder…"), this, &MainWindow::openShopFolder);
    open->setObjectName(QStringLiteral("openShopFolderAction"));
    // The recent list is read each time the menu opens: another window may have added to it.
    QMenu* recent = file->addMenu(QStringLiteral("Recent shop folders"));
    recent->setObjectName(QStringLiteral("recentFoldersMenu"));
    connect(recent, &QMenu::aboutToShow, this, [this, recent] {
        recent->clear();
        for (const QString& dir : shell::recentProgramFolders(m_configDir)) {
            QAction* a = recent->addAction(QDir::toNativeSeparators(dir));
            a->setEnabled(dir != m_folder.program());
            connect(a, &QAction::triggered, this, [this, dir] { Q_EMIT folderSwitchRequested(dir, false); });
        }
    });
    file->addSeparator();
    file->addAction(QStringLiteral("Exit"), this, &MainWindow::exitProgram);
}

void MainWindow::newShopFolder()
{
    const QString dir = m_ui.existingDirectory(QStringLiteral("New shop folder"), m_folder.program());
    if (dir.isEmpty())
        return;
    if (shell::holdsProgramFolder(dir)) {
        m_ui.message(QStringLiteral("%1 already holds a shop folder; it is opened.")
                         .arg(QDir::toNativeSeparators(dir)));
        Q_EMIT folderSwitchRequested(dir, false);
        return;
    }
    Q_EMIT folderSwitchRequested(dir, true);
}

void MainWindow::openShopFolder()
{
    const QString dir = m_ui.existingDirectory(QStringLiteral("Open shop folder"), m_folder.program());
    if (dir.isEmpty())
        return;
    if (!shell::holdsProgramFolder(dir)) {
        m_ui.message(QStringLiteral("%1 holds no shop folder (no Bd data folder).")
                         .arg(QDir::toNativeSeparators(dir)));
        return;
    }
    Q_EMIT folderSwitchRequested(dir, false);
}

void MainWindow::buildToolBar()
{
    m_toolBar = addToolBar(QStringLiteral("Tools"));
    m_toolBar->setObjectName(QStringLiteral("mainToolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    const auto add = [this](const char* name, const QString& text, const QString& hint,
                            void (MainWindow::*slot)()) {
        QAction* a = m_toolBar->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        a->setToolTip(hint);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    add("exitAction", QStringLiteral("Exit"), QStringLiteral("Exit"), &MainWindow::exitProgram);
    add("notepadAction", QStringLiteral("Notepad"), QStringLiteral("Open notepad"), &MainWindow::openNotepad);
    add("calculatorAction", QStringLiteral("Calculator"), QStringLiteral("Run Calculator"),
        &MainWindow::openCalculator);
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

    auto* title =
        new QLabel(QStringLiteral("<h1>Kalmenor</h1><p>Your product catalogue and web shop.</p>"), page);
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
    link("previewWebshopLink", QStringLiteral("Preview Webshop"), [this] { previewShop(); });
    link("webshopHelpLink", QStringLiteral("Webshop Help"), [this] { openHelp(); });
    link("optionsLink", QStringLiteral("Options"), [this] { openOptions(); });
    link("makerMailLink", QStringLiteral("support@kalmenor.example.org"),
         [this] { m_ui.openInShell(QString::fromLatin1(kMakerMail)); });
    link("homePageLink", QStringLiteral("kalmenor.example.org"), [this] { openHomePage(); });
    layout->addStretch();
    auto* version = new QLabel(QStringLiteral("wer. %1").arg(QLatin1String(version::kalmenor)), page);
    version->setObjectName(QStringLiteral("versionLabel"));
    layout->addWidget(version);
    return page;
}

QWidget* MainWindow::buildWebshopPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("webshopTab"));
    auto* layout = new QVBoxLayout(page);
    m_webshop = new WebshopPage(m_folder, m_workspace->products(), m_workspace->tree(), m_ui, page);
    layout->addWidget(m_webshop, 1);
    // The step panel takes the category tree's place while and after an upload runs.
    m_uploadPanel = new UploadPanel(m_webshop);
    m_uploadPanel->setObjectName(QStringLiteral("uploadPanel"));
    m_webshop->addSidePanel(m_uploadPanel);
    m_progress = new QProgressBar(page);
    m_progress->setObjectName(QStringLiteral("generationProgress"));
    m_progress->setValue(0);
    layout->addWidget(m_progress);
    connect(m_webshop, &WebshopPage::previewRequested, this, &MainWindow::previewShop);
    connect(m_webshop, &WebshopPage::buildRequested, this, &MainWindow::buildShop);
    connect(m_webshop, &WebshopPage::uploadRequested, this, &MainWindow::uploadShop);
    connect(m_webshop, &WebshopPage::cancelRequested, this, &MainWindow::cancelRun);
    connect(m_uploadPanel, &UploadPanel::saveReportRequested, this, &MainWindow::saveReport);
    connect(m_uploadPanel, &UploadPanel::backRequested, m_webshop, &WebshopPage::showTreePanel);

    m_run = new ShopRun(m_ui, this);
    m_run->setObjectName(QStringLiteral("shopRun"));
    connect(m_run, &ShopRun::reportCleared, this, [this] { m_webshop->reportArea()->clear(); });
    connect(m_run, &ShopRun::reportLine, this, &MainWindow::appendReport);
    connect(m_run, &ShopRun::progress, this, [this](int value, int maximum) {
        m_progress->setMaximum(qMax(1, maximum));
        m_progress->setValue(value);
    });
    connect(m_run, &ShopRun::uploadStarted, this, [this] { m_uploadPanel->markStep(2); });
    connect(m_run, &ShopRun::finished, this, &MainWindow::runFinished);
    connect(m_run, &ShopRun::settingStored, this, [this](const QString& name, const QString& text) {
        // An answer the run asked for is a setting like any other, stored at once.
        if (const shell::SettingKey* key = shell::findSettingKey(name);
            key && shell::readStoredText(*key, text, m_settings))
            storeSettings();
    });
    return page;
}

void MainWindow::appendReport(const QString& line)
{
    if (m_webshop)
        m_webshop->reportArea()->appendPlainText(line);
}

bool MainWindow::startRun(int kind, const QString& chosenFile)
{
    if (!m_webshop || m_run->isRunning())
        return false;
    // What the user typed belongs to the shop: stored now, or the run does not start.
    if (!m_webshop->storePendingEdit())
        return false;
    ShopRun::Job job;
    job.kind = ShopRun::Kind(kind);
    job.folder = m_folder;
    job.settings = m_settings;
    job.treeLines = m_workspace->tree().toLines();
    job.chosenFile = chosenFile;
    job.startTime = QTime::currentTime();
    if (job.kind == ShopRun::Kind::Upload) {
        job.upload =
            m_uploadPanel->callbacks([this](const QString& line) { appendReport(line); },
                                     [this](const QString& text) { statusBar()->showMessage(text); });
        job.uploadOptions.trustFile = QDir(m_configDir).filePath(publish::truststore::kFileName);
        job.uploadOptions.manifestCopy = m_folder.dataFile(publish::kManifestName.mid(1));
        job.uploadOptions.shopAddress = m_settings.options.address;
        job.uploadOptions.sendAll = m_uploadPanel->sendAll();
        job.uploadOptions.deleteRemoved = m_uploadPanel->deleteRemoved();
    }
    m_runKind = kind;
    m_progress->setValue(0);
    m_webshop->setRunning(true);
    return m_run->start(std::move(job));
}

void MainWindow::runFinished(bool ok, bool cancelled)
{
    m_webshop->setRunning(false);
    // A finished run shows a full bar; a stopped one shows where it stopped.
    if (ok && !cancelled)
        m_progress->setValue(m_progress->maximum());
    if (cancelled)
        statusBar()->showMessage(QStringLiteral("Cancelled"));
    if (ok && !cancelled && ShopRun::Kind(m_runKind) == ShopRun::Kind::Preview)
        m_ui.openInShell(m_folder.previewShop() + QStringLiteral("/index.html"));
}

void MainWindow::cancelRun()
{
    if (m_run && m_run->isRunning())
        m_run->cancel();
}

void MainWindow::previewShop()
{
    startRun(int(ShopRun::Kind::Preview));
}

void MainWindow::buildShop()
{
    if (!m_webshop || m_run->isRunning())
        return;
    const QString chosen = m_ui.saveFileName(QStringLiteral("Build Webshop"), QString(),
                                             QStringLiteral("pliki html (*.html)"), QStringLiteral("html"));
    if (chosen.isEmpty())
        return;
    startRun(int(ShopRun::Kind::Build), chosen);
}

void MainWindow::uploadShop()
{
    if (!m_webshop || m_run->isRunning())
        return;
    if (!publish::checkFtpSettings(m_settings.ftp, m_ui))
        return;
    m_pages->setCurrentIndex(1);
    m_uploadPanel->reset();
    m_webshop->showSidePanel(m_uploadPanel);
    startRun(int(ShopRun::Kind::Upload));
}

void MainWindow::saveReport()
{
    if (!m_webshop)
        return;
    try {
        publish::saveReport(m_webshop->reportArea()->toPlainText().split(QLatin1Char('\n')), m_ui);
    } catch (const std::exception& e) {
        m_ui.error(shell::messageOf(e));
    }
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
            m_ui.error(shell::messageOf(e));
        }
        if (!m_watcher->files().contains(m_folder.productsTable()))
            m_watcher->addPath(m_folder.productsTable());
    });
}

void MainWindow::storeSettings()
{
    if (m_options)
        m_options->storeSettings();
}

void MainWindow::exitProgram()
{
    // "Exit" closes the options window first: its closing stores every setting.
    if (m_options)
        m_options->close();
    close();
}

void MainWindow::openNotepad()
{
    m_ui.startProgram(shell::desktop::textEditorCommand());
}

void MainWindow::openCalculator()
{
    m_ui.startProgram(shell::desktop::calculatorCommand());
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
    if (!m_options)
        return;
    m_options->show();
    m_options->raise();
    m_options->activateWindow();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    m_closing = true;
    if (m_run && m_run->isRunning()) {
        // The page or file under way is finished; the rest waits for the next run.
        m_run->cancel();
        m_run->waitUntilFinished();
    }
    // Settings are stored at every normal end, not only by "Exit": closing by the frame must not lose them.
    storeSettings();
    m_workspace->saveTreeOnClose();
    if (m_settings.invoice.autoArchive) {
        // A failed backup is shown, then the program closes all the same: keeping the window open
        // would leave no way out with a read-only folder or a full disk.
        try {
            m_ui.message(shell::backup::resultMessage(shell::backup::run(m_folder, QDate::currentDate())));
        } catch (const std::exception& e) {
            m_ui.error(shell::messageOf(e));
        }
    }
    event->accept();
    Q_EMIT closed();
}
