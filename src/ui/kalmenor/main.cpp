#include "catalogue/workspace.h"
#include "shell/error.h"
#include "shell/programfolder.h"
#include "shell/settings.h"
#include "ui/common/widgetinteraction.h"
#include "ui/kalmenor/datafolder.h"
#include "ui/kalmenor/mainwindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QRandomGenerator>
#include <QTextStream>
#include <cstdio>

namespace {

const QStringList kVerbs = {QStringLiteral("init")};

struct CommandLine {
    QCommandLineParser parser;
    QCommandLineOption programFolder{QStringLiteral("program-folder"),
                                     QStringLiteral("Program folder (default: the current directory)."),
                                     QStringLiteral("DIR")};
    QCommandLineOption configDir{QStringLiteral("config-dir"),
                                 QStringLiteral("Folder of the settings file (default: $KALMENOR_CONFIG_DIR, else "
                                                "$XDG_CONFIG_HOME/Kalmenor)."),
                                 QStringLiteral("DIR")};
    QCommandLineOption demo{QStringLiteral("demo"), QStringLiteral("init: fill the new folder with the demo catalogue.")};

    CommandLine()
    {
        parser.setApplicationDescription(QStringLiteral(
            "Kalmenor keeps a product catalogue and publishes it as a web shop.\n\n"
            "Without a command the windows start. Commands:\n"
            "  init DIR [--demo]   make a fresh program folder"));
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addOptions({programFolder, configDir, demo});
        parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("init"), QStringLiteral("[command]"));
    }
};

int runInit(const CommandLine& cl, QTextStream& out, QTextStream& err)
{
    const QStringList args = cl.parser.positionalArguments();
    if (args.size() != 2) {
        err << "usage: kalmenor init DIR [--demo]\n";
        return 2;
    }
    const QString dir = QDir(args[1]).absolutePath();
    const QString data = programDataFolder();
    try {
        catalogue::createProgramFolder(dir, data + QStringLiteral("/skeleton"));
        if (cl.parser.isSet(cl.demo))
            catalogue::copyTree(data + QStringLiteral("/demo/program"), dir);
    } catch (const std::exception& e) {
        err << messageOf(e) << '\n';
        return 1;
    }
    out << "Program folder created: " << QDir::toNativeSeparators(dir) << '\n';
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    CommandLine cl;
    cl.parser.parse(arguments);  // a first look, to decide between the command line and the windows
    const QStringList positional = cl.parser.positionalArguments();
    const bool isVerb = !positional.isEmpty();

    if (isVerb || cl.parser.isSet(QStringLiteral("help")) || cl.parser.isSet(QStringLiteral("version"))) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("kalmenor"));
        QCoreApplication::setApplicationVersion(QStringLiteral("1.7"));
        cl.parser.process(app);  // --help and --version exit here
        QTextStream out(stdout);
        QTextStream err(stderr);
        const QString verb = positional.value(0);
        if (verb == QLatin1String("init"))
            return runInit(cl, out, err);
        err << "kalmenor: unknown command '" << verb << "' (see kalmenor --help)\n";
        return 2;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kalmenor"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kalmenor"));
    QApplication::setApplicationVersion(QStringLiteral("1.7"));
    cl.parser.process(app);
    const ProgramFolder folder(cl.parser.isSet(cl.programFolder) ? cl.parser.value(cl.programFolder) : QDir::currentPath());
    const QString configDir = configFolder(cl.parser.value(cl.configDir));
    WidgetInteraction ui;
    MainWindow window(folder, configDir, ui);
    ui.setParent(&window);
    window.start();
    window.showMaximized();
    return app.exec();
}
