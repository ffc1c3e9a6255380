#include "importer/commandline.h"
#include "ui/importer/importermainwindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (importer::CommandLine::hasVerb(arguments)) {
        // The verbs need no display: no widgets are created on this path.
        QCoreApplication app(argc, argv);
        QTextStream out(stdout), err(stderr);
        const int status = importer::CommandLine::run(QCoreApplication::arguments(), out, err);
        out.flush();
        err.flush();
        return status;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Importer");
    ImporterMainWindow window;
    window.show();
    return QApplication::exec();
}
