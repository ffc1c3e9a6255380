#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace shell {
class Interaction;
}
class MainWindow;

// Which program folder the window works on. A folder without a data folder is never opened as it is:
// the user creates a shop folder there, opens another one, or quits. The File menu switches folders
// by closing the window (which stores everything) and opening a new one.
class KalmenorApp : public QObject {
    Q_OBJECT
public:
    enum class StartChoice { CreateHere, OpenAnother, Quit };

    KalmenorApp(const QString& configDir, shell::Interaction& ui, QObject* parent = nullptr);
    ~KalmenorApp() override;

    // Asked when a folder holds no shop; the default shows a box with the three choices.
    std::function<StartChoice(const QString& dir)> askStart;
    // The skeleton a new shop folder is made from.
    QString skeletonRoot;

    // Opens the window on dir, asking first when it holds no shop. False when the user quit.
    bool open(const QString& dir);
    MainWindow* window() const { return m_window.get(); }

Q_SIGNALS:
    void windowOpened(MainWindow* window);
    // The user closed the window without switching to another folder: the program ends.
    void finished();

private:
    // Follows the user's choices until a shop folder is found; empty when the user quit.
    QString chooseFolder(QString dir);
    bool createHere(const QString& dir);
    void switchTo(const QString& dir, bool create);

    QString m_configDir;
    shell::Interaction& m_ui;
    std::unique_ptr<MainWindow> m_window;
    bool m_switching = false;
};
