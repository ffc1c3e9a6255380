#include "generator/kalmenorcommands.h"

#include "catalogue/cataloguecheck.h"
#include "catalogue/paradoxconversion.h"
#include "catalogue/workspace.h"
#include "generator/shopcommands.h"
#include "generator/shoppictures.h"
#include "programversion.h"
#include "publish/manifest.h"
#include "publish/shopupload.h"
#include "publish/truststore.h"
#include "publish/uploadcommand.h"
#include "shell/consoleinteraction.h"
#include "shell/error.h"
#include "shell/programfolder.h"
#include "shell/settings.h"
#include "shell/settingscommand.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

namespace generator {

namespace {

struct CommandLine {
    QCommandLineParser parser;
    QCommandLineOption programFolder{QStringLiteral("program-folder"),
                                     QStringLiteral("Program folder (default: the current directory)."),
                                     QStringLiteral("DIR")};
    QCommandLineOption configDir{
        QStringLiteral("config-dir"),
        QStringLiteral("Folder of the settings file (default: $KALMENOR_CONFIG_DIR, else "
                       "$XDG_CONFIG_HOME/Kalmenor)."),
        QStringLiteral("DIR")};
    QCommandLineOption demo{QStringLiteral("demo"),
                            QStringLiteral("init: fill the new folder with the demo catalogue.")};
    QCommandLineOption force{QStringLiteral("force"),
                             QStringLiteral("build: write into a folder that holds other files.")};
    QCommandLineOption noOpen{QStringLiteral("no-open"), QStringLiteral("preview: do not open the browser.")};
    QCommandLineOption theme{
        QStringLiteral("theme"),
        QStringLiteral("build, preview, upload: page style classic or modern (default: the "
                       "setting Opcje/motyw)."),
        QStringLiteral("classic|modern")};
    QCommandLineOption clear{QStringLiteral("clear"),
                             QStringLiteral("config password: forget the password.")};
    QCommandLineOption empty{QStringLiteral("empty"),
                             QStringLiteral("config password: store an empty password.")};
    QCommandLineOption convert{
        QStringLiteral("convert"),
        QStringLiteral("catalogue: convert an old Paradox products table into the native table.")};
    QCommandLineOption all{QStringLiteral("all"), QStringLiteral("upload: send every file, changed or not.")};
    QCommandLineOption deleteRemoved{
        QStringLiteral("delete"),
        QStringLiteral("upload: delete remote files an earlier upload sent that the shop no longer has.")};
    QCommandLineOption trust{
        QStringLiteral("trust"),
        QStringLiteral("upload: trust the server's certificate with this SHA-256 fingerprint."),
        QStringLiteral("SHA256-FINGERPRINT")};

    CommandLine()
    {
        parser.setApplicationDescription(QStringLiteral(
            "Kalmenor keeps a product catalogue and publishes it as a web shop.\n\n"
            "Without a command the windows start. Commands:\n"
            "  init DIR [--demo]        make a fresh program folder (--demo: with the demo catalogue)\n"
            "  build [TARGET] [--force] generate the shop (default: the preview folder Bd/Temp); TARGET is "
            "the\n"
            "                           start page to write, e.g. /home/u/shop/index.html\n"
            "  preview [--no-open]      generate the preview and open it in the browser (xdg-open); without\n"
            "                           a browser the page's path is printed and the status is still 0\n"
            "  upload [--all] [--delete] [--trust SHA256-FINGERPRINT]\n"
            "                           generate the shop and upload the files that changed by FTP; the\n"
            "                           password comes from the remembered password or "
            "KALMENOR_FTP_PASSWORD\n"
            "  config list | get SECTION/KEY | set SECTION/KEY VALUE\n"
            "                           read and change the settings file; set refuses a value outside the\n"
            "                           key's type or list (status 2)\n"
            "  config password ftp|mail [--clear | --empty]\n"
            "                           remember a password read from standard input\n"
            "  catalogue                check the tree file and products table, print their counters and\n"
            "                           problems; status 0 no problem, 1 problems listed, 2 the tree or\n"
            "                           the table cannot be read\n"
            "  catalogue --convert      convert an old Paradox products table (towary.db) into the native\n"
            "                           table; the original is kept as towary.paradox.db with its .PX/.MB"));
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addOptions({programFolder, configDir, demo, force, noOpen, theme, clear, empty, convert, all,
                           deleteRemoved, trust});
        parser.addPositionalArgument(QStringLiteral("command"),
                                     QStringLiteral("init, build, preview, upload, config or catalogue"),
                                     QStringLiteral("[command]"));
    }
};

shell::ProgramFolder programFolder(const CommandLine& cl)
{
    return shell::ProgramFolder(cl.parser.isSet(cl.programFolder) ? cl.parser.value(cl.programFolder)
                                                                  : QDir::currentPath());
}

int runInit(const CommandLine& cl, const QString& configDir, QTextStream& out, QTextStream& err)
{
    const QStringList args = cl.parser.positionalArguments();
    if (args.size() != 2) {
        err << "usage: kalmenor init DIR [--demo]\n";
        return 2;
    }
    const QString dir = QDir(args[1]).absolutePath();
    const QString data = bundledDataRoot();
    try {
        if (cl.parser.isSet(cl.demo))
            createDemoProgramFolder(dir, configDir, data);
        else
            catalogue::createProgramFolder(dir, data + QStringLiteral("/skeleton"));
    } catch (const std::exception& e) {
        err << shell::messageOf(e) << '\n';
        return 1;
    }
    out << "Program folder created: " << QDir::toNativeSeparators(dir) << '\n';
    return 0;
}

int runVerb(const CommandLine& cl, QTextStream& out, QTextStream& err)
{
    const QStringList positional = cl.parser.positionalArguments();
    const QString verb = positional.value(0);
    const QString configDir = shell::configFolder(cl.parser.value(cl.configDir));
    const shell::ProgramFolder folder = programFolder(cl);
    const int theme = cl.parser.isSet(cl.theme) ? themeFromName(cl.parser.value(cl.theme)) : -1;
    if (cl.parser.isSet(cl.theme) && theme < 0) {
        err << "kalmenor: --theme is classic or modern\n";
        return 2;
    }
    if (verb == QLatin1String("init"))
        return runInit(cl, configDir, out, err);
    if (verb == QLatin1String("build")) {
        if (positional.size() > 2) {
            err << "usage: kalmenor build [TARGET] [--force]\n";
            return 2;
        }
        return buildShopCommand(folder, configDir, positional.value(1), cl.parser.isSet(cl.force), out, err,
                                theme);
    }
    if (verb == QLatin1String("config")) {
        QStringList args = positional.mid(1);
        if (cl.parser.isSet(cl.clear))
            args << QStringLiteral("--clear");
        if (cl.parser.isSet(cl.empty))
            args << QStringLiteral("--empty");
        return shell::runConfigCommand(args, configDir, {&out, &err, {}});
    }
    if (verb == QLatin1String("catalogue") && cl.parser.isSet(cl.convert))
        return catalogue::runParadoxConversionCommand(folder.productsTable(), out, err);
    if (verb == QLatin1String("catalogue")) {
        return catalogue::runCatalogueCheck(folder, out, err, [&](const catalogue::CategoryTree& tree) {
            return shopProblems(shell::loadSettings(configDir, folder), folder, tree);
        });
    }
    if (verb == QLatin1String("preview"))
        return previewShopCommand(folder, configDir, !cl.parser.isSet(cl.noOpen), out, err, theme);
    if (verb == QLatin1String("upload")) {
        shell::ConsoleInteraction console(out, err, false);
        const shell::Settings settings = shell::loadSettings(configDir, folder);
        publish::UploadOptions options;
        options.sendAll = cl.parser.isSet(cl.all);
        options.deleteRemoved = cl.parser.isSet(cl.deleteRemoved);
        options.trustFile = QDir(configDir).filePath(publish::truststore::kFileName);
        options.manifestCopy = folder.dataFile(publish::kManifestName.mid(1));
        options.shopAddress = settings.options.address;
        if (cl.parser.isSet(cl.trust)
            && !publish::trustCommandLineFingerprint(cl.parser.value(cl.trust), settings.ftp.host,
                                                     options.trustFile, err))
            return 2;
        return publish::uploadShopCommand(
            publish::withCommandLinePassword(settings.ftp), folder.publishShop(),
            [&](const std::function<void()>& upload) {
                return generateForUploadCommand(folder, configDir, upload, out, err, theme);
            },
            out, err, console, options);
    }
    err << "kalmenor: unknown command '" << verb << "' (see kalmenor --help)\n";
    return 2;
}

} // namespace

std::optional<int> runCommandLine(int argc, char** argv, WindowStart* start)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    CommandLine cl;
    cl.parser.parse(arguments); // a first look, to decide between the command line and the windows
    const bool isVerb = !cl.parser.positionalArguments().isEmpty();
    if (!isVerb && !cl.parser.isSet(QStringLiteral("help")) && !cl.parser.isSet(QStringLiteral("version"))) {
        start->programFolder = cl.parser.value(cl.programFolder);
        start->configDir = shell::configFolder(cl.parser.value(cl.configDir));
        return std::nullopt;
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kalmenor"));
    QCoreApplication::setApplicationVersion(QLatin1String(version::kalmenor));
    cl.parser.process(app); // --help and --version exit here
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runVerb(cl, out, err);
}

} // namespace generator
