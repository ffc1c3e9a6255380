#include "generator/generateshop.h"

#include "catalogue/categorytree.h"
#include "catalogue/pricehistory.h"
#include "generator/assets.h"
#include "generator/filewriterpool.h"
#include "generator/framepages.h"
#include "generator/modern/moderntheme.h"
#include "generator/pagewriters.h"
#include "generator/productrecord.h"
#include "generator/savepage.h"
#include "generator/shoppictures.h"
#include "shell/error.h"
#include "shell/interaction.h"
#include "shell/tables/table.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QtDebug>

namespace generator {

namespace {

// Prices changed outside the product form (an import, another tool) reach the history at the latest
// here. The shop does not depend on it, so a history that cannot be written does not stop the run.
void recordPriceChanges(GeneratorContext& context, const ProductLookup& read)
{
    try {
        catalogue::PriceHistory history(context.folder().data());
        std::vector<catalogue::PriceHistory::CurrentPrice> prices;
        for (const ProductRecord* product : read.products()) {
            prices.push_back(
                {product->id,
                 catalogue::effectivePrice(product->netPrice, product->grossPrice, product->promotionNetPrice,
                                           product->promotionGrossPrice, product->status)});
        }
        history.recordChanges(prices, QDateTime::currentDateTime());
    } catch (const shell::AppError& e) {
        qWarning().noquote() << QStringLiteral("The price history could not be written: %1").arg(e.message());
    }
}

// The pictures the pages refer to that the shop folder does not hold once every file is written.
QStringList missingPictures(const GeneratorContext& context, const QSet<QString>& statuses)
{
    QStringList missing;
    for (const PictureNeed& need : fixedPictureNeeds(context.settings(), context.folder(), statuses)) {
        if (!QFileInfo(context.shopFile(need.shopName)).isFile())
            missing << need.shopName;
    }
    for (const QString& name : context.failedPictureCopies()) {
        if (!QFileInfo(context.shopFile(name)).isFile())
            missing << name;
    }
    missing.removeDuplicates();
    missing.sort();
    return missing;
}

} // namespace

void generateShop(GeneratorContext& context, const QString& shopFolder, const QString& startPage)
{
    const shell::ShopOptions& options = context.settings().options;
    context.setTarget(shopFolder, startPage);
    context.clearReport();
    context.resetWarnings();
    context.searchIndex().clear();
    context.clearPictureFailures();
    context.products().setFilter(QString());
    // New files are created under their own names, so a temporary of a killed run would stay behind.
    removeLeftoverTemporaries(context.shopFolder());
    removeLeftoverTemporaries(context.shopFile(QStringLiteral("img")));
    if (options.theme == kModernTheme) {
        // The products are read once: the price history first, as the pages show the lowest price
        // before a promotion, then the pages.
        context.shareProductLookup(true);
        const auto unshare = qScopeGuard([&context] { context.shareProductLookup(false); });
        recordPriceChanges(context, *context.productLookup());
        modern::generateModernShop(context);
        return;
    }

    // Pages are put together here, in the fixed order, and written by the pool's threads.
    FileWriterPool pool;
    context.setWriterPool(&pool);
    context.shareProductLookup(true);
    const auto detach = qScopeGuard([&context] {
        context.setWriterPool(nullptr);
        context.shareProductLookup(false);
    });

    context.report(QStringLiteral("Generate web shop to the directory ") + context.shopFolder());
    copyShopAssets(context);
    writeIndexPage(context);
    if (options.includeWelcomePage)
        writeWelcomePage(context);
    if (options.includePriceList)
        writePriceList(context);
    writeOrderPages(context);
    context.report(QStringLiteral("Using PHP is turn on"));
    if (options.includeInformation)
        writeAboutPage(context);
    if (options.includeRegulation)
        writeTermsPage(context);
    writeTopPage(context);
    context.report(QStringLiteral("Orders at e-mail: ") + options.email);
    writeMenuPage(context);
    writeProductPages(context);
    writeCategoryPages(context);
    writeSearchPage(context);
    // While the writer threads finish: the classic pages do not show the price history.
    const std::shared_ptr<const ProductLookup> read = context.productLookup();
    recordPriceChanges(context, *read);
    const QSet<QString> statuses = statusesShown(context.tree(), *read);
    context.finishWrites();
    context.setWriterPool(nullptr);
    context.shareProductLookup(false);

    context.reportRunEnd();
    context.setMissingPictures(missingPictures(context, statuses));

    if (context.hooks().upload)
        context.hooks().upload();
}

BuildTarget buildTargetFor(const QString& chosenFile)
{
    const QFileInfo info(chosenFile);
    QString name = info.fileName();
    if (!name.contains(QLatin1Char('.')))
        name += QStringLiteral(".html");
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    const QString shopName = name.left(dot);
    QString folder = info.path();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return {folder + shopName, name};
}

QString startPageProblem(const QString& startPage, const catalogue::CategoryTree& tree)
{
    const int dot = startPage.lastIndexOf(QLatin1Char('.'));
    if (startPage.isEmpty() || dot == 0)
        return QStringLiteral("Enter a name for the start page of the web shop before its extension.");
    if (!isSafeFileKey(startPage))
        return QStringLiteral("The start page name \"%1\" can't be used as a file name.").arg(startPage);
    static const QStringList shopFiles{
        QStringLiteral("top.html"), QStringLiteral("menu.html"), QStringLiteral("find.html"),
        QStringLiteral("send.html"), QStringLiteral("send.php"), QStringLiteral("cennik.html"),
        QStringLiteral("onas.html"), QStringLiteral("regulamin.html"), QStringLiteral("powitanie.html"),
        QStringLiteral("empty.html"), QStringLiteral("sk.js"), QStringLiteral("color.css"),
        QStringLiteral("navig.css"), QStringLiteral("img"),
        // the modern shop's own files
        QStringLiteral("koszyk.html"), QStringLiteral("shop.css"), QStringLiteral("shop.js"),
        QStringLiteral("szukaj.json"), QStringLiteral("ceny.php"), QStringLiteral("sitemap.xml"),
        QStringLiteral("robots.txt")};
    bool clash = shopFiles.contains(startPage, Qt::CaseInsensitive);
    if (!clash) {
        tree.walk([&](catalogue::TreeNode& node) {
            if (QString::compare(node.key() + QStringLiteral(".html"), startPage, Qt::CaseInsensitive) == 0)
                clash = true;
        });
    }
    if (clash)
        return QStringLiteral(
                   "The web shop writes a page of its own named \"%1\". Choose another name for the "
                   "start page.")
            .arg(startPage);
    return {};
}

bool holdsForeignFiles(const BuildTarget& target)
{
    const QDir dir(target.shopFolder);
    if (!dir.exists() || dir.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        return false;
    return !dir.exists(target.startPage) && !dir.exists(QStringLiteral("top.html"));
}

namespace {

// Runs one command: failures go to the error box, the progress goes back to 0.
bool runCommand(GeneratorContext& context, const QString& shopFolder, const QString& startPage)
{
    bool done = false;
    try {
        generateShop(context, shopFolder, startPage);
        done = true;
    } catch (const std::exception& e) {
        context.interaction().error(shell::messageOf(e));
    }
    context.setProgress(0);
    return done;
}

} // namespace

bool buildWebshop(GeneratorContext& context)
{
    context.products().setFilter(QString());
    const QString chosen =
        context.interaction().saveFileName(QStringLiteral("Build Webshop"), QString(),
                                           QStringLiteral("pliki html (*.html)"), QStringLiteral("html"));
    if (chosen.isEmpty())
        return false;
    return buildWebshopAt(context, chosen, false);
}

bool buildWebshopAt(GeneratorContext& context, const QString& chosenFile, bool force)
{
    context.products().setFilter(QString());
    const BuildTarget target = buildTargetFor(chosenFile);
    const QString problem = startPageProblem(target.startPage, context.tree());
    if (!problem.isEmpty()) {
        context.interaction().message(problem);
        return false;
    }
    if (!force && holdsForeignFiles(target)
        && !context.interaction().question(
            QStringLiteral(
                "The folder %1 already holds other files, which the web shop may overwrite. Build the "
                "web shop there?")
                .arg(QDir::toNativeSeparators(target.shopFolder)),
            QStringLiteral("Build Webshop")))
        return false;
    if (!QDir().mkpath(target.shopFolder)) {
        context.interaction().error(QStringLiteral("Cannot create the folder %1").arg(target.shopFolder));
        return false;
    }
    return runCommand(context, target.shopFolder, target.startPage);
}

bool previewWebshop(GeneratorContext& context, bool openPage)
{
    context.products().setFilter(QString());
    const QString folder = context.folder().previewShop();
    if (!runCommand(context, folder, QStringLiteral("index.html")))
        return false;
    if (openPage)
        context.interaction().openInShell(folder + QStringLiteral("/index.html"));
    return true;
}

} // namespace generator
