#include "generator/modern/moderntheme.h"

#include "catalogue/pricehistory.h"
#include "generator/assets.h"
#include "generator/filewriterpool.h"
#include "generator/generateshop.h"
#include "generator/modern/modernhtml.h"
#include "generator/modern/modernpages.h"
#include "generator/savepage.h"
#include "shell/error.h"
#include "shell/interaction.h"
#include "shell/settingskeys.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QtDebug>

#include <algorithm>
#include <future>
#include <memory>

namespace generator::modern {

namespace {

QString resource(const QString& name)
{
    QFile file(QStringLiteral(":/modern/") + name);
    if (!file.open(QIODevice::ReadOnly))
        throw shell::AppError(QStringLiteral("The modern shop's %1 is missing from the program").arg(name));
    return QString::fromUtf8(file.readAll());
}

// Assets are written as they are (LF line ends), not through the page rule.
void writeAsset(GeneratorContext& context, const QString& name, const QString& text)
{
    const QString path = context.shopFile(name);
    QFile file(path + QStringLiteral(".new"));
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0)
        throw shell::AppError(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
    file.close();
    QFile::remove(path);
    if (!file.rename(path))
        throw shell::AppError(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
}

QString sitemap(const Site& site, const QStringList& files)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n");
    for (const QString& file : files)
        xml += QStringLiteral("<url><loc>") + escaped(site.absolute(file)) + QStringLiteral("</loc></url>\n");
    return xml + QStringLiteral("</urlset>\n");
}

QString cssColor(shell::ColorValue c)
{
    return colorToHtml(c).toLower();
}

} // namespace

QString settingsProblem(const shell::Settings& settings)
{
    if (shell::currencyCodeOf(settings.options).isEmpty())
        return QStringLiteral(
                   "The modern web shop needs the code of the currency \"%1\": set [Opcje] waluta_kod "
                   "(for example kalmenor config set Opcje/waluta_kod PLN).")
            .arg(settings.options.currency);
    return {};
}

bool askForCurrencyCode(shell::Settings& settings, shell::Interaction& ui)
{
    if (settings.options.theme != kModernTheme || !shell::currencyCodeOf(settings.options).isEmpty())
        return true;
    const shell::SettingKey* key = shell::findSettingKey(QStringLiteral("Opcje/waluta_kod"));
    Q_ASSERT(key);
    QString problem;
    for (;;) {
        const QString text =
            problem
            + QStringLiteral("The modern web shop needs the three-letter code of the currency \"%1\" "
                             "(for example PLN, EUR, GBP). It is kept as [Opcje] waluta_kod.")
                  .arg(settings.options.currency);
        const std::optional<QString> answer =
            ui.textQuestion(text, QStringLiteral("Currency code"), settings.options.currencyCode);
        if (!answer)
            return false;
        const QString code = answer->trimmed().toUpper();
        if (!code.isEmpty()) {
            problem = shell::readUserText(*key, code, settings);
            if (problem.isEmpty())
                return true;
        } else {
            problem = QStringLiteral("Enter three letters.");
        }
        problem += QLatin1Char('\n');
    }
}

QString styleSheet(const shell::Settings& settings)
{
    const shell::ColorValue white = shell::colorFromRgb(255, 255, 255);
    const shell::ColorValue header = settings.headerColor;
    const shell::ColorValue menu = settings.options.menuColor;
    // Links stand on the page's light grey, buttons carry white text: readable on both.
    const shell::ColorValue accent =
        readableOn(settings.options.menuHighlightColor, shell::colorFromRgb(0xEC, 0xEE, 0xF1));
    bool ok = false;
    const double size = settings.font.size.trimmed().toDouble(&ok);
    // The font setting scales the text, never below 16 px.
    const int base = std::clamp(ok ? int(size * 1.5 + 0.5) : 16, 16, 24);
    QString family = settings.font.family;
    family.remove(QLatin1Char('"'))
        .remove(QLatin1Char(';'))
        .remove(QLatin1Char('}'))
        .remove(QLatin1Char('<'));
    QString vars = QStringLiteral(":root{");
    vars +=
        QStringLiteral("--text:") + cssColor(readableOn(settings.font.color, white, 7)) + QLatin1Char(';');
    vars += QStringLiteral("--header-bg:") + cssColor(header) + QLatin1Char(';');
    vars += QStringLiteral("--header-text:") + cssColor(readableOn(settings.font.headerTextColor, header))
            + QLatin1Char(';');
    vars += QStringLiteral("--menu-bg:") + cssColor(menu) + QLatin1Char(';');
    vars += QStringLiteral("--menu-text:") + cssColor(readableOn(accent, menu)) + QLatin1Char(';');
    vars += QStringLiteral("--accent:") + cssColor(accent) + QLatin1Char(';');
    vars += QStringLiteral("--line:") + cssColor(settings.lineColor) + QLatin1Char(';');
    vars += QStringLiteral("--even:") + cssColor(settings.evenColor) + QLatin1Char(';');
    vars += QStringLiteral("--base:") + QString::number(base) + QStringLiteral("px;");
    vars += QStringLiteral("--cols:") + QString::number(std::clamp(settings.options.columnCount(), 1, 6))
            + QLatin1Char(';');
    vars += QStringLiteral("--font:")
            + (family.trimmed().isEmpty() ? QString()
                                          : QLatin1Char('"') + family.trimmed() + QStringLiteral("\","))
            + QStringLiteral("system-ui,-apple-system,\"Segoe UI\",Roboto,sans-serif;");
    vars += QStringLiteral("}\n");
    return vars + resource(QStringLiteral("shop.css"));
}

void generateModernShop(GeneratorContext& context, const LowestPriceSource& lowestPrice)
{
    const shell::Settings& settings = context.settings();
    const shell::ShopOptions& options = settings.options;
    const QString problem = settingsProblem(settings);
    if (!problem.isEmpty())
        throw shell::AppError(problem);

    // Pages are put together by the pool's threads. The site outlives the pool: the threads read it
    // until the pool ends, also when the run stops early.
    Site site(context);
    FileWriterPool pool;
    context.setWriterPool(&pool);
    const auto detach = qScopeGuard([&context] { context.setWriterPool(nullptr); });

    context.report(QStringLiteral("Generate web shop to the directory ") + context.shopFolder());
    QDir().mkpath(context.shopFolder() + QStringLiteral("/img"));
    writeAsset(context, QStringLiteral("shop.css"), styleSheet(settings));
    writeAsset(context, QStringLiteral("shop.js"), resource(QStringLiteral("shop.js")));

    if (options.headerShowsLogo && !options.logoPath.isEmpty()
        && copyShopFile(options.logoPath, context.imageFile(QFileInfo(options.logoPath).fileName())))
        site.logoFile = QFileInfo(options.logoPath).fileName();
    context.report(QString());
    // The lowest price before a promotion comes from the price history of the data folder, read at
    // once on a writer thread while the products table is read here.
    using Lowest = QHash<QString, catalogue::LowestPriceBefore>;
    auto history = std::make_shared<const catalogue::PriceHistory>(context.folder().data());
    auto lowestRead = std::make_shared<std::promise<Lowest>>();
    const std::shared_future<Lowest> lowest = lowestRead->get_future().share();
    if (!lowestPrice) {
        context.submitTask([history, lowestRead] {
            Lowest all;
            try {
                all = history->lowestBeforePromotions();
            } catch (const shell::AppError& e) {
                qWarning().noquote() << e.message();
            }
            lowestRead->set_value(std::move(all));
        });
    }
    const LowestPriceSource fromHistory = [&lowest](const QString& id, bool net) -> std::optional<double> {
        const Lowest& all = lowest.get();
        const auto found = all.constFind(catalogue::PriceHistory::keyOf(id));
        if (found == all.constEnd())
            return std::nullopt;
        return net ? found->net : found->gross;
    };
    gatherSite(site, lowestPrice ? lowestPrice : fromHistory);
    preparePages(site);
    context.setProgressMaximum(std::max<int>(1, int(site.products.size())));

    // The home page shows the products' pictures: it is written once they are read, with the
    // product pages.
    QStringList files{context.startPage()};
    context.report(QStringLiteral("Web Shop INDEX: ") + context.shopFile(context.startPage()));
    if (options.includePriceList)
        files << writePriceListPage(site);
    writeOrderPages(site);
    context.report(QStringLiteral("Using PHP is turn on"));
    files << writeTextPages(site);
    writeCartPage(site);
    context.report(QStringLiteral("Orders at e-mail: ") + options.email);
    files << writeProductPages(site);
    // Every product's pictures are read and measured now; the pages that follow show them. The search
    // index, the longest of them, goes first.
    context.finishWrites();
    writeSearchPage(site);
    writeHomePage(site, context.startPage());
    if (options.includeWelcomePage)
        writeHomePage(site, QStringLiteral("powitanie.html")); // old links to the welcome page keep working
    files << writeCategoryPages(site);
    if (!site.address.isEmpty()) {
        writeAsset(context, QStringLiteral("sitemap.xml"), sitemap(site, files));
        writeAsset(context, QStringLiteral("robots.txt"),
                   QStringLiteral("User-agent: *\nDisallow: /send.php\nDisallow: /ceny.php\nSitemap: ")
                       + site.absolute(QStringLiteral("sitemap.xml")) + QLatin1Char('\n'));
    }

    context.finishWrites();
    context.setWriterPool(nullptr);

    context.reportRunEnd();
    QStringList missing = context.failedPictureCopies();
    missing.sort();
    context.setMissingPictures(missing);
    if (context.hooks().upload)
        context.hooks().upload();
}

} // namespace generator::modern
