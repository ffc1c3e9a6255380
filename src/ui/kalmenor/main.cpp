#include "generator/kalmenorcommands.h"
#include "ui/common/widgetinteraction.h"
#include "ui/kalmenor/mainwindow.h"

#include <QApplication>
#include <QDir>

int main(int argc, char** argv)
{
    generator::WindowStart start;
    if (const std::optional<int> status = generator::runCommandLine(argc, argv, &start))
        return *status;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kalmenor"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kalmenor"));
    QApplication::setApplicationVersion(QStringLiteral("1.7"));
    const ProgramFolder folder(start.programFolder.isEmpty() ? QDir::currentPath() : start.programFolder);
    WidgetInteraction ui;
    MainWindow window(folder, start.configDir, ui);
    ui.setParent(&window);
    window.start();
    window.showMaximized();
    return app.exec();
}
