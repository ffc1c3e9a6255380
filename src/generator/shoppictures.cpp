#include "generator/shoppictures.h"

#include "catalogue/categorytree.h"
#include "catalogue/pictures.h"
#include "generator/generatorcontext.h"
#include "generator/productrecord.h"
#include "generator/savepage.h"
#include "generator/textpages.h"
#include "shell/error.h"
#include "shell/programfolder.h"
#include "shell/settings.h"
#include "shell/tables/table.h"

#include <QDir>
#include <QFileInfo>

#include <memory>

namespace generator {

namespace {

// Writes a picture's bytes into the shop; a failure is noted, the run goes on.
void copyInto(GeneratorContext& context, const QByteArray& bytes, const QString& target)
{
    try {
        if (bytes.isEmpty())
            throw shell::AppError(QStringLiteral("the picture can no longer be read"));
        writeFileBeside(target, bytes);
    } catch (const shell::AppError&) {
        context.noteFailedPictureCopy(QStringLiteral("img/") + QFileInfo(target).fileName());
    }
}

} // namespace

QSize providePicture(GeneratorContext& context, const QString& source, const QString& target, bool copy)
{
    const QByteArray bytes = readWholeFile(source);
    const QSize size = catalogue::pictures::pictureDataSize(bytes);
    if (size.isValid() && copy)
        copyInto(context, bytes, target);
    return size;
}

std::vector<PictureNeed> fixedPictureNeeds(const shell::Settings& settings,
                                           const shell::ProgramFolder& folder, const QSet<QString>& statuses)
{
    const shell::ShopOptions& options = settings.options;
    std::vector<PictureNeed> needs;
    const QString style = folder.style() + QString::number(options.stylePreset < 0 ? -1 : options.stylePreset)
                          + QLatin1Char('/');
    const auto fromStyle = [&](const char* name) {
        const QString file = QString::fromLatin1(name) + QStringLiteral(".jpg");
        needs.push_back({QStringLiteral("img/") + file, style + file});
    };
    const auto button = [&](const char* name, bool shown) {
        if (!shown)
            return;
        fromStyle(name);
        fromStyle((QByteArray(name) + "b").constData());
    };
    button("b1", true);
    button("b3", true);
    button("b4", options.includeInformation);
    button("b5", options.includePriceList);
    button("b6", options.includeRegulation);
    button("b7", true);
    fromStyle("koszyk"); // the cart script's own pictures
    fromStyle("back");
    const QString gif = folder.style() + QStringLiteral("Szablon/gif/");
    needs.push_back({QStringLiteral("img/delete.jpg"), gif + QStringLiteral("delete.jpg")});
    needs.push_back({QStringLiteral("img/orvane.jpg"), gif + QStringLiteral("orvane.jpg")});
    if (!statuses.isEmpty()) {
        button("kupuj", true);
        button("more", true);
        fromStyle("prev");
    }
    const auto marker = [&](const char* status, const char* folderName, int choice, const char* file) {
        if (!statuses.contains(QLatin1String(status)))
            return;
        needs.push_back(
            {QStringLiteral("img/") + QLatin1String(file), gif + QLatin1String(folderName) + QLatin1Char('/')
                                                               + QString::number(choice < 0 ? -1 : choice)
                                                               + QLatin1Char('/') + QLatin1String(file)});
    };
    marker("New", "New", options.newMarker, "new.gif");
    marker("Promotion", "Promocja", options.promotionMarker, "promocja.gif");
    marker("Sale", "Sale", options.saleMarker, "sale.gif");
    if (options.headerShowsLogo)
        needs.push_back({QStringLiteral("img/") + QFileInfo(options.logoPath).fileName(), options.logoPath});
    if (options.includeWelcomePage && !options.bannerPath.isEmpty())
        needs.push_back({QStringLiteral("img/") + pictureFileName(options.bannerPath), options.bannerPath});
    return needs;
}

QSet<QString> statusesShown(const catalogue::CategoryTree& tree, const ProductLookup& products)
{
    QSet<QString> statuses;
    tree.walk([&](catalogue::TreeNode& node) {
        if (!node.isProduct())
            return;
        try {
            if (const ProductRecord* product = products.record(node.key()))
                statuses.insert(product->status);
        } catch (const shell::AppError&) {
            // A record whose prices cannot be read gets no page; the run reports it where it needs it.
        }
    });
    return statuses;
}

QStringList shopProblems(const shell::Settings& settings, const shell::ProgramFolder& folder,
                         const catalogue::CategoryTree& tree, const tables::Table& products)
{
    QStringList problems;
    tree.walk([&problems](catalogue::TreeNode& node) {
        if (namesOwnPage(node.key()))
            problems << QStringLiteral(
                            "Key names a page of the web shop itself (no page is written for it): %1")
                            .arg(node.text());
    });
    for (const PictureNeed& need :
         fixedPictureNeeds(settings, folder, statusesShown(tree, ProductLookup(products)))) {
        if (need.source.isEmpty() || !QFileInfo(need.source).isFile())
            problems << QStringLiteral("Picture missing from the web shop: %1 (no file %2)")
                            .arg(need.shopName, need.source.isEmpty()
                                                    ? QStringLiteral("chosen")
                                                    : QDir::toNativeSeparators(need.source));
    }
    return problems;
}

QStringList shopProblems(const shell::Settings& settings, const shell::ProgramFolder& folder,
                         const catalogue::CategoryTree& tree)
{
    tables::Table products;
    products.open(folder.productsTable());
    return shopProblems(settings, folder, tree, products);
}

} // namespace generator
