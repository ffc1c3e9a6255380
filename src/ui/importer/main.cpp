#include "importer/commandline.h"
#include "shell/desktop.h"
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
    QStringList files;
    if (importer::CommandLine::faceOf(arguments, &files) == importer::CommandLine::Face::Command) {
        // The verbs, --help, --version and argument errors need no display: no widgets on this path.
        QCoreApplication app(argc, argv);
        QTextStream out(stdout), err(stderr);
        const int status = importer::CommandLine::run(QCoreApplication::arguments(), out, err,
                                                      shell::desktop::stderrIsTerminal());
        out.flush();
        err.flush();
        return status;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Importer");
    ImporterMainWindow window;
    window.show();
    window.openFiles(files);
    return QApplication::exec();
}
