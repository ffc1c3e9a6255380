#include "generator/shopcommands.h"

#include "catalogue/deliverymethods.h"
#include "catalogue/workspace.h"
#include "generator/generateshop.h"
#include "generator/generatorcontext.h"
#include "shell/consoleinteraction.h"
#include "shell/error.h"
#include "shell/interaction.h"
#include "shell/settings.h"
#include "shell/tables/table.h"
#include "shell/textfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace generator {

namespace {

struct LoadedShop {
    explicit LoadedShop(const shell::ProgramFolder& folder, shell::Interaction& ui) : workspace(folder, ui) {}
    catalogue::Workspace workspace;
    shell::Settings settings;
};

enum ExitStatus { Built = 0, Failed = 1, Refused = 2 };

int generateInto(const shell::ProgramFolder& folder, const QString& configDir, const BuildTarget& target,
                 bool force, bool openPage, QTextStream& out, QTextStream& err,
                 const std::function<void()>& upload = {}, int theme = -1)
{
    shell::ConsoleInteraction ui(err, err, false); // nobody is there to answer: questions are refused
    LoadedShop shop(folder, ui);
    if (!shop.workspace.open())
        return Failed;
    shop.settings = shell::loadSettings(configDir, folder);
    shop.settings.deliveryMethods = readDeliveryMethods(folder);
    if (theme >= 0)
        shop.settings.options.theme = theme;

    const QString problem = startPageProblem(target.startPage, shop.workspace.tree());
    if (!problem.isEmpty()) {
        err << problem << Qt::endl;
        return Refused;
    }
    if (!force && holdsForeignFiles(target)) {
        err << QStringLiteral("The folder %1 already holds other files, which the web shop may overwrite; "
                              "give --force to build there anyway.")
                   .arg(QDir::toNativeSeparators(target.shopFolder))
            << Qt::endl;
        return Refused;
    }
    if (!QDir().mkpath(target.shopFolder)) {
        err << QStringLiteral("Cannot create the folder %1").arg(QDir::toNativeSeparators(target.shopFolder))
            << Qt::endl;
        return Failed;
    }

    GenerationHooks hooks;
    hooks.reportLine = [&out](const QString& line) { out << line << Qt::endl; };
    hooks.upload = upload;
    GeneratorContext context(shop.settings, shop.workspace.tree(), shop.workspace.products(), folder, ui,
                             std::move(hooks));
    try {
        generateShop(context, target.shopFolder, target.startPage);
    } catch (const std::exception& e) {
        err << shell::messageOf(e) << Qt::endl;
        return Failed;
    }
    if (!context.missingPictures().isEmpty())
        err << missingPicturesLine(int(context.missingPictures().size())) << Qt::endl;
    const QString startPage = QFileInfo(context.shopFile(target.startPage)).absoluteFilePath();
    if (upload)
        return Built;
    out << startPage << Qt::endl;
    // The shop is built either way: without a browser its path above is what the user needs.
    if (openPage && !ui.openInShell(startPage))
        err << QStringLiteral("Note: no browser could be started (xdg-open); open %1 yourself.")
                   .arg(startPage)
            << Qt::endl;
    return Built;
}

QVariant valueFor(const tables::Field& field, const QString& text, int lineNumber, const QString& path)
{
    if (field.type == tables::FieldType::Logical)
        return text.trimmed() == QStringLiteral("1");
    if (tables::isNumberType(field.type)) {
        if (text.trimmed().isEmpty())
            return 0.0;
        bool ok = false;
        const double value = text.trimmed().toDouble(&ok);
        if (!ok)
            throw shell::AppError(QStringLiteral("%1, line %2: \"%3\" is not a number for %4")
                                      .arg(path)
                                      .arg(lineNumber)
                                      .arg(text, field.name));
        return value;
    }
    return text;
}

} // namespace

QString bundledDataRoot()
{
    const QString fromEnvironment = qEnvironmentVariable("KALMENOR_DATA_DIR");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    if (QCoreApplication::instance()) {
        const QString installed =
            QCoreApplication::applicationDirPath() + QStringLiteral("/../share/kalmenor");
        if (QFileInfo(installed + QStringLiteral("/skeleton")).isDir())
            return QFileInfo(installed).canonicalFilePath();
    }
    return QStringLiteral(KAL_SOURCE_DIR "/data");
}

void appendProductsFromText(tables::Table& products, const QString& path)
{
    const QStringList lines = shell::textfile::readLines(path);
    if (lines.isEmpty())
        throw shell::AppError(QStringLiteral("%1 has no heading line").arg(path));
    const QStringList columns = lines.first().split(QLatin1Char('\t'));
    for (const QString& column : columns) {
        if (products.fieldIndex(column) < 0)
            throw shell::AppError(
                QStringLiteral("%1: the products table has no column %2").arg(path, column));
    }
    products.beginBulk();
    try {
        for (int i = 1; i < lines.size(); ++i) {
            if (lines[i].trimmed().isEmpty())
                continue;
            const QStringList cells = lines[i].split(QLatin1Char('\t'));
            if (cells.size() != columns.size())
                throw shell::AppError(QStringLiteral("%1, line %2: %3 fields instead of %4")
                                          .arg(path)
                                          .arg(i + 1)
                                          .arg(cells.size())
                                          .arg(columns.size()));
            products.append();
            for (int c = 0; c < columns.size(); ++c)
                products.setValue(columns[c], valueFor(products.field(columns[c]), cells[c], i + 1, path));
            products.post();
        }
        products.commitBulk();
    } catch (...) {
        products.cancel();
        products.rollbackBulk();
        throw;
    }
}

bool createDemoProgramFolder(const QString& dir, const QString& configDir, const QString& dataRoot)
{
    const QString skeleton = dataRoot + QStringLiteral("/skeleton");
    const QString demo = dataRoot + QStringLiteral("/demo");
    if (!QFileInfo(skeleton).isDir() || !QFileInfo(demo + QStringLiteral("/products.tsv")).isFile())
        throw shell::AppError(
            QStringLiteral("The demo catalogue is missing from %1").arg(QDir::toNativeSeparators(dataRoot)));

    catalogue::createProgramFolder(dir, skeleton);
    const shell::ProgramFolder folder(dir);
    // Tree file, texts, delivery methods and pictures.
    catalogue::copyTree(demo + QStringLiteral("/Bd"), folder.program() + QStringLiteral("/Bd"));
    {
        tables::Table products;
        products.open(folder.productsTable());
        appendProductsFromText(products, demo + QStringLiteral("/products.tsv"));
    }

    const QString settingsFile = configDir + QStringLiteral("/KVO.INI");
    if (QFileInfo::exists(settingsFile))
        return false;
    if (!QDir().mkpath(configDir))
        throw shell::AppError(
            QStringLiteral("Cannot create the folder %1").arg(QDir::toNativeSeparators(configDir)));
    QFile source(demo + QStringLiteral("/config/KVO.INI"));
    if (!source.open(QIODevice::ReadOnly))
        throw shell::AppError(QStringLiteral("Cannot read %1").arg(source.fileName()));
    shell::textfile::writeBytes(settingsFile, source.readAll());
    return true;
}

int themeFromName(const QString& name)
{
    if (name == QStringLiteral("classic"))
        return kClassicTheme;
    if (name == QStringLiteral("modern"))
        return kModernTheme;
    return -1;
}

int buildShopCommand(const shell::ProgramFolder& folder, const QString& configDir, const QString& target,
                     bool force, QTextStream& out, QTextStream& err, int theme)
{
    const BuildTarget where = target.isEmpty()
                                  ? BuildTarget{folder.previewShop(), QStringLiteral("index.html")}
                                  : buildTargetFor(QFileInfo(target).absoluteFilePath());
    // The preview folder is ours: never a question there.
    return generateInto(folder, configDir, where, force || target.isEmpty(), false, out, err, {}, theme);
}

int previewShopCommand(const shell::ProgramFolder& folder, const QString& configDir, bool openPage,
                       QTextStream& out, QTextStream& err, int theme)
{
    return generateInto(folder, configDir, {folder.previewShop(), QStringLiteral("index.html")}, true,
                        openPage, out, err, {}, theme);
}

bool generateForUploadCommand(const shell::ProgramFolder& folder, const QString& configDir,
                              const std::function<void()>& upload, QTextStream& out, QTextStream& err,
                              int theme)
{
    return generateInto(folder, configDir, {folder.publishShop(), QStringLiteral("index.html")}, true, false,
                        out, err, upload, theme)
           == Built;
}

} // namespace generator
