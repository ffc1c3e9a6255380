// Makes the demo program folder in DIR/program (settings in DIR/config) and builds its shop into the
// preview folder in the given page style (default: the demo's own); prints the report and, last, the
// path of index.html.
#include "generator/shopcommands.h"
#include "shell/error.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    const int theme = args.size() == 3 ? generator::themeFromName(args[2]) : -1;
    if (args.size() < 2 || args.size() > 3 || (args.size() == 3 && theme < 0)) {
        err << "usage: makedemoshop DIR [classic|modern]" << Qt::endl;
        return 2;
    }
    const QString program = args[1] + QStringLiteral("/program");
    const QString config = args[1] + QStringLiteral("/config");
    try {
        generator::createDemoProgramFolder(program, config);
    } catch (const std::exception& e) {
        err << shell::messageOf(e) << Qt::endl;
        return 1;
    }
    return generator::buildShopCommand(shell::ProgramFolder(program), config, QString(), false, out, err,
                                       theme);
}
