#pragma once

#include "catalogue/workspace.h"
#include "shell/programfolder.h"
#include "shell/settings.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

namespace shell {
class Interaction;
}
class OptionsDialog;
class UploadPanel;
class WebshopPage;
class QFileSystemWatcher;
class QProgressBar;
class QTabWidget;
class QToolBar;
class QLabel;
class QTimer;
class ShopRun;

// Kalmenor's main window: the tool bar, the "Info" start page and the "Webshop" page. It owns the
// workspace (products table and category tree) and the settings in force.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(const shell::ProgramFolder& folder, const QString& configDir, shell::Interaction& ui,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // The creation steps: open the table set, load the tree, load the settings, build the pages.
    void start();

    catalogue::Workspace& workspace() { return *m_workspace; }
    shell::Settings& settings() { return m_settings; }

Q_SIGNALS:
    // File menu: work on another program folder (create: make a shop folder there first).
    void folderSwitchRequested(const QString& dir, bool create);
    // The window was closed (everything stored).
    void closed();

public Q_SLOTS:
    void newShopFolder();
    void openShopFolder();
    void exitProgram(); // "Exit": stores the settings, then closes
    void openNotepad();
    void openCalculator();
    void openHelp();
    void openOptions();
    void openHomePage();
    void previewShop();
    void buildShop();
    void uploadShop();
    void saveReport();
    void cancelRun();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildInfoPage();
    QWidget* buildWebshopPage();
    void buildToolBar();
    void buildFileMenu();
    void watchProductsFile();
    void storeSettings();
    void appendReport(const QString& line);
    // Stores a pending edit of the product form and starts the run; false when either failed.
    bool startRun(int kind, const QString& chosenFile = {});
    void runFinished(bool ok, bool cancelled);

    shell::ProgramFolder m_folder;
    QString m_configDir;
    shell::Interaction& m_ui;
    shell::Settings m_settings;
    std::unique_ptr<catalogue::Workspace> m_workspace;
    // Declared after the settings and the workspace, so they go first: they bind to the settings value
    // and to the workspace's table and tree.
    std::unique_ptr<OptionsDialog> m_options;
    std::unique_ptr<QTabWidget> m_pages;
    QToolBar* m_toolBar = nullptr;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_refreshTimer = nullptr;
    WebshopPage* m_webshop = nullptr;
    UploadPanel* m_uploadPanel = nullptr;
    QProgressBar* m_progress = nullptr;
    ShopRun* m_run = nullptr;
    int m_runKind = 0;
    bool m_closing = false;
};
