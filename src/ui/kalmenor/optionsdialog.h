#pragma once

#include "shell/programfolder.h"
#include "shell/settings.h"

#include <QWidget>

class DeliveryDialog;
class SettingsBinder;
namespace shell {
class Interaction;
}
class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

// The options window. Its widgets edit the program's one Settings value live, so a change counts for
// the next generation at once; closing the window (its "Close" button, its frame, or the main window's
// "Exit") stores everything. Shown without blocking and kept for the whole run.
class OptionsDialog : public QWidget {
    Q_OBJECT
public:
    OptionsDialog(shell::Settings& settings, const QString& configDir, const shell::ProgramFolder& folder,
                  shell::Interaction& interaction, QWidget* parent = nullptr);

    // Settings -> widgets, and widgets -> Settings: every binding is declared once, in bindWidgets().
    void loadSettings();
    void saveSettings();
    // Writes KVO.INI, the text files and the remembered passwords from the settings value. Failures
    // are shown in the error box; returns whether everything was stored.
    bool storeSettings();

    // "Close": the invoice number must be an integer, else the window stays open.
    void closeWithNumberCheck();
    void choosePicture(QLineEdit* target);
    void insertHyperlink();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildMainPage();
    QWidget* buildWebshopPage();
    QWidget* buildWelcomePage();
    QWidget* buildSendingFormPage();
    QWidget* buildPriceListPage();
    QWidget* buildMemoPage(const QString& checkCaption, const char* checkName, const char* memoName);
    QWidget* buildHyperlinksPage();
    QWidget* buildMetaTagsPage();
    QWidget* buildFtpPage();
    void bindWidgets();

    void bindLinks();

    void applyPreset(int index);
    void showPresetPreview(int index);

    shell::Settings& m_settings;
    QString m_configDir;
    shell::ProgramFolder m_folder;
    shell::Interaction& m_interaction;

    SettingsBinder* m_binder = nullptr;
    int m_linkRow = 0; // the link grid row "insert hyperlink " fills

    QComboBox* m_styleBox = nullptr;
    QLabel* m_presetPreview = nullptr;
    QLineEdit* m_logoEdit = nullptr;
    QLineEdit* m_bannerEdit = nullptr;
    QTableWidget* m_linkGrid = nullptr;
    QWidget* m_deliveryPanel = nullptr;
    DeliveryDialog* m_delivery = nullptr;
};
