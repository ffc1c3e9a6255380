#include "ui/kalmenor/kalmenorapp.h"

#include "catalogue/workspace.h"
#include "shell/error.h"
#include "shell/interaction.h"
#include "shell/programfolder.h"
#include "ui/kalmenor/mainwindow.h"

#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace {

KalmenorApp::StartChoice askWithBox(const QString& dir)
{
    QMessageBox box;
    box.setWindowTitle(QStringLiteral("Kalmenor"));
    box.setIcon(QMessageBox::Question);
    box.setText(
        QStringLiteral("%1 holds no shop folder (no Bd data folder).").arg(QDir::toNativeSeparators(dir)));
    box.setInformativeText(QStringLiteral(
        "Kalmenor keeps its catalogue in a shop folder. Create one here, or open one you have."));
    QPushButton* create =
        box.addButton(QStringLiteral("Create a new shop folder here"), QMessageBox::AcceptRole);
    QPushButton* other = box.addButton(QStringLiteral("Open another…"), QMessageBox::ActionRole);
    box.addButton(QStringLiteral("Quit"), QMessageBox::RejectRole);
    box.setDefaultButton(create);
    box.exec();
    if (box.clickedButton() == create)
        return KalmenorApp::StartChoice::CreateHere;
    if (box.clickedButton() == other)
        return KalmenorApp::StartChoice::OpenAnother;
    return KalmenorApp::StartChoice::Quit;
}

} // namespace

KalmenorApp::KalmenorApp(const QString& configDir, shell::Interaction& ui, QObject* parent)
    : QObject(parent), askStart(askWithBox), m_configDir(configDir), m_ui(ui)
{
}

KalmenorApp::~KalmenorApp() = default;

bool KalmenorApp::createHere(const QString& dir)
{
    try {
        catalogue::createProgramFolder(dir, skeletonRoot);
        return true;
    } catch (const std::exception& e) {
        m_ui.error(shell::messageOf(e));
        return false;
    }
}

QString KalmenorApp::chooseFolder(QString dir)
{
    while (!shell::holdsProgramFolder(dir)) {
        switch (askStart(dir)) {
        case StartChoice::CreateHere:
            if (createHere(dir))
                return dir;
            break;
        case StartChoice::OpenAnother: {
            const QString picked = m_ui.existingDirectory(QStringLiteral("Open shop folder"), dir);
            if (!picked.isEmpty())
                dir = picked;
            break;
        }
        case StartChoice::Quit:
            return {};
        }
    }
    return dir;
}

bool KalmenorApp::open(const QString& dir)
{
    const QString chosen = chooseFolder(dir);
    if (chosen.isEmpty())
        return false;
    try {
        shell::rememberProgramFolder(m_configDir, chosen);
    } catch (const shell::AppError& e) {
        // Only the recent list is lost.
        qWarning("%s", qPrintable(e.message()));
    }
    m_window = std::make_unique<MainWindow>(shell::ProgramFolder(chosen), m_configDir, m_ui);
    connect(m_window.get(), &MainWindow::folderSwitchRequested, this,
            [this](const QString& target, bool create) {
                // Not from inside the window's own handler: it is about to go.
                QTimer::singleShot(0, this, [this, target, create] { switchTo(target, create); });
            });
    connect(m_window.get(), &MainWindow::closed, this, [this] {
        if (!m_switching)
            Q_EMIT finished();
    });
    m_window->start();
    Q_EMIT windowOpened(m_window.get());
    return true;
}

void KalmenorApp::switchTo(const QString& dir, bool create)
{
    if (create && !shell::holdsProgramFolder(dir) && !createHere(dir))
        return;
    if (!shell::holdsProgramFolder(dir)) {
        m_ui.message(QStringLiteral("%1 holds no shop folder (no Bd data folder).")
                         .arg(QDir::toNativeSeparators(dir)));
        return;
    }
    // Closing stores the settings and the tree of the folder being left.
    m_switching = true;
    const bool closed = !m_window || m_window->close();
    m_switching = false;
    if (!closed)
        return;
    m_window.reset();
    if (!open(dir))
        Q_EMIT finished();
}
