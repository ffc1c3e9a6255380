#include "programversion.h"

#include "generator/kalmenorcommands.h"
#include "generator/shopcommands.h"
#include "ui/common/widgetinteraction.h"
#include "ui/kalmenor/kalmenorapp.h"
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
    QApplication::setApplicationVersion(QLatin1String(version::kalmenor));
    // The window closes when the user switches folders; the program ends when KalmenorApp says so.
    QApplication::setQuitOnLastWindowClosed(false);
    WidgetInteraction ui;
    KalmenorApp kalmenor(start.configDir, ui);
    kalmenor.skeletonRoot = generator::bundledDataRoot() + QStringLiteral("/skeleton");
    QObject::connect(&kalmenor, &KalmenorApp::windowOpened, [&ui](MainWindow* window) {
        ui.setParent(window);
        window->showMaximized();
    });
    QObject::connect(&kalmenor, &KalmenorApp::finished, &app, &QApplication::quit, Qt::QueuedConnection);
    if (!kalmenor.open(start.programFolder.isEmpty() ? QDir::currentPath() : start.programFolder))
        return 0;
    return app.exec();
}
