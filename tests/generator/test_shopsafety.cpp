// A shop that is whole or says what it lacks: link check of a fresh shop, missing pictures counted and
// listed, banner names encoded, links in the shop folder never written through, keys that name the
// shop's own pages, and the same bytes from the same catalogue.
#include "pagesfixture.h"

#include "catalogue/workspace.h"
#include "generator/generateshop.h"
#include "generator/shopcommands.h"
#include "generator/shoppictures.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QTextStream>
#include <QUrl>

using namespace generator;

namespace {

// Every src, href and url() of the shop's pages, style sheets and cart script that names a file of the
// shop (web addresses, scripts and anchors left out) and does not exist there.
QStringList brokenLinks(const QString& shop)
{
    static const QRegularExpression pageReference(
        QStringLiteral(R"((?:src|href)\s*=\s*["']?([^"' >]+)|url\(\s*'?([^')]+)|["'](img/[^"']+)["'])"),
        QRegularExpression::CaseInsensitiveOption);
    // The cart script builds its markup in code: only its picture names are references.
    static const QRegularExpression scriptReference(QStringLiteral(R"(()()["'](img/[^"']+)["'])"));
    QStringList broken;
    QDirIterator files(
        shop,
        {QStringLiteral("*.html"), QStringLiteral("*.css"), QStringLiteral("*.js"), QStringLiteral("*.php")},
        QDir::Files);
    while (files.hasNext()) {
        const QString file = files.next();
        const QString text = QString::fromUtf8(testsupport::readFile(file));
        const bool script = file.endsWith(QStringLiteral(".js"));
        for (const auto& match : (script ? scriptReference : pageReference).globalMatch(text)) {
            QString link = match.captured(1) + match.captured(2) + match.captured(3);
            if (link.contains(QLatin1Char(':')) || link.startsWith(QLatin1Char('#')))
                continue; // javascript:, http:, mailto:
            link = QUrl::fromPercentEncoding(link.section(QLatin1Char('#'), 0, 0).toUtf8());
            if (!QFileInfo(shop + QLatin1Char('/') + link).isFile())
                broken << QFileInfo(file).fileName() + QStringLiteral(" -> ") + link;
        }
    }
    broken.removeDuplicates();
    return broken;
}

struct CommandResult {
    int status;
    QString out;
    QString err;
};

// A program folder as `kalmenor init` makes it, with one category and one product with pictures.
class FreshShop : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        folder = shell::ProgramFolder(dir.path() + QStringLiteral("/prog"));
        catalogue::createProgramFolder(folder.program(), bundledDataRoot() + QStringLiteral("/skeleton"));
        {
            tables::Table products;
            products.open(folder.productsTable());
            products.append();
            products.setValue(QStringLiteral("ID"), QStringLiteral("ID000000002P"));
            products.setValue(QStringLiteral("Nazwa"), QStringLiteral("Lamp"));
            products.setValue(QStringLiteral("Status"), QStringLiteral("New"));
            products.post();
        }
        testsupport::writeFile(folder.treeFile(), "Lights ID000000001K\r\n\tLamp ID000000002P\r\n");
        QImage image(8, 6, QImage::Format_RGB32);
        image.fill(Qt::blue);
        for (const char* name : {"ID000000002PM.jpg", "ID000000002PD.jpg"})
            testsupport::writeFile(folder.pictures() + QLatin1String(name),
                                   catalogue::pictures::encodeJpeg(image));
        config = dir.path() + QStringLiteral("/config");
    }

    CommandResult build(const QByteArray& settingsFile)
    {
        testsupport::writeFile(config + QStringLiteral("/KVO.INI"), settingsFile);
        CommandResult result;
        QTextStream out(&result.out);
        QTextStream err(&result.err);
        result.status = buildShopCommand(folder, config, QString(), false, out, err);
        return result;
    }

    QString shop() const { return folder.previewShop(); }

    QTemporaryDir dir;
    shell::ProgramFolder folder;
    QString config;
};

} // namespace

TEST_F(FreshShop, WithAStyleEveryLinkOfTheShopReachesAFile)
{
    const CommandResult result = build("[Opcje]\r\nStyl=0\r\npowitalna=1\r\ncennik=1\r\n");
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_EQ(brokenLinks(shop()), QStringList());
    EXPECT_FALSE(result.err.contains(QStringLiteral("Missing pictures"))) << result.err.toStdString();
    EXPECT_TRUE(result.out.contains(QStringLiteral("Warnings: 0")));
}

TEST_F(FreshShop, WithoutAStyleTheMissingPicturesAreCountedAndListed)
{
    const CommandResult result = build("[Opcje]\r\ncennik=1\r\n");
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    QStringList brokenPictures;
    for (const QString& link : brokenLinks(shop()))
        brokenPictures << link.section(QStringLiteral(" -> "), 1);
    brokenPictures.removeDuplicates();
    ASSERT_FALSE(brokenPictures.isEmpty());
    // The report keeps its lines; the count goes to standard error and matches what is really broken.
    EXPECT_TRUE(result.out.contains(QStringLiteral("Warnings: 0")));
    EXPECT_TRUE(result.err.contains(
        QStringLiteral("Missing pictures: %1 (kalmenor catalogue lists them)").arg(brokenPictures.size())))
        << result.err.toStdString() << " " << brokenPictures.join(QLatin1Char(' ')).toStdString();

    catalogue::CategoryTree tree;
    tree.load(folder.treeFile());
    const QStringList problems = shopProblems(shell::loadSettings(config, folder), folder, tree);
    for (const QString& picture : brokenPictures)
        EXPECT_TRUE(problems.filter(picture + QStringLiteral(" (")).size() == 1) << picture.toStdString();
    EXPECT_EQ(problems.size(), brokenPictures.size());
}

class ShopSafety : public PagesFixture {
protected:
    void build(const QString& into)
    {
        GeneratorContext run(settings, tree, products, folder, ui);
        generateShop(run, into, QStringLiteral("index.html"));
        missing = run.missingPictures();
        report = run.reportLines();
    }
    QStringList missing;
    QStringList report;
};

TEST_F(ShopSafety, WelcomeBannerIsPercentEncodedAndCopiedUnderItsName)
{
    const QString banner = dir.path() + QStringLiteral("/pics/sale?50%#1's.jpg");
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::green);
    testsupport::writeFile(banner, catalogue::pictures::encodeJpeg(image));
    settings.options.includeWelcomePage = true;
    settings.options.bannerPath = banner;
    build(shop);
    EXPECT_TRUE(page(QStringLiteral("powitanie.html"))
                    .contains(QStringLiteral("<IMG src=\"img/sale%3F50%25%231%27s.jpg\" align=center>")));
    EXPECT_TRUE(shopHas(QStringLiteral("img/sale?50%#1's.jpg")));
    EXPECT_FALSE(missing.contains(QStringLiteral("img/sale?50%#1's.jpg")));
    EXPECT_TRUE(missing.contains(QStringLiteral("img/b1.jpg"))); // no style in this folder
}

TEST_F(ShopSafety, LinksInTheShopFolderAreReplacedNeverWrittenThrough)
{
    addProduct(product(QStringLiteral("ID000000002P"), QStringLiteral("Lamp")));
    node(node(nullptr, QStringLiteral("Lights"), QStringLiteral("ID000000001K")), QStringLiteral("Lamp"),
         QStringLiteral("ID000000002P"));
    writePicture(QStringLiteral("ID000000002PM.jpg"));
    writePicture(QStringLiteral("ID000000002PD.jpg"));
    const QString outside = dir.path() + QStringLiteral("/outside.txt");
    testsupport::writeFile(outside, "keep me");
    const QStringList links{QStringLiteral("img/ID000000002PM.jpg"), QStringLiteral("img/ID000000002PD.jpg"),
                            QStringLiteral("img/ID000000002PM.jpg.part"), QStringLiteral("index.html.part"),
                            QStringLiteral("ID000000002P.html")};
    for (const QString& name : links)
        ASSERT_TRUE(QFile::link(outside, shop + QLatin1Char('/') + name));
    // A picture cut short by a killed run is replaced whole.
    testsupport::writeFile(shop + QStringLiteral("/img/ID000000002PD.jpg.part"), "half");

    build(shop);
    EXPECT_EQ(testsupport::readFile(outside), QByteArray("keep me"));
    for (const QString& name : {links[0], links[1], links[4]})
        EXPECT_FALSE(QFileInfo(shop + QLatin1Char('/') + name).isSymLink()) << name.toStdString();
    EXPECT_EQ(testsupport::readFile(shop + QStringLiteral("/img/ID000000002PM.jpg")),
              testsupport::readFile(folder.pictures() + QStringLiteral("ID000000002PM.jpg")));
    EXPECT_TRUE(page(QStringLiteral("ID000000002P.html")).contains(QStringLiteral("<p><b>Lamp")));
    QDirIterator leftovers(shop, {QStringLiteral("*.part")}, QDir::Files | QDir::System,
                           QDirIterator::Subdirectories);
    EXPECT_FALSE(leftovers.hasNext());
}

TEST_F(ShopSafety, OnlyTheTemporariesOfAKilledRunAreCleared)
{
    testsupport::writeFile(shop + QStringLiteral("/index.html.part"), "half a page");
    testsupport::writeFile(shop + QStringLiteral("/img/b1.jpg.part"), "half a picture");
    testsupport::writeFile(shop + QStringLiteral("/plan.part"), "the merchant's own");
    build(shop);
    EXPECT_FALSE(shopHas(QStringLiteral("index.html.part")));
    EXPECT_FALSE(shopHas(QStringLiteral("img/b1.jpg.part")));
    EXPECT_EQ(testsupport::readFile(shop + QStringLiteral("/plan.part")), QByteArray("the merchant's own"));
    EXPECT_TRUE(
        page(QStringLiteral("index.html")).contains(QStringLiteral("<frameset"), Qt::CaseInsensitive));
}

TEST_F(ShopSafety, KeysNamingTheShopsOwnPagesGetAWarningAndNoPage)
{
    settings.options.includePriceList = true;
    // Hand-edited node texts shorter than a key: the whole text is the key.
    testsupport::writeFile(folder.treeFile(), "send\r\n\tMENU\r\nCennik\r\nLights ID000000001K\r\n");
    tree.load(folder.treeFile());
    build(shop);
    EXPECT_TRUE(page(QStringLiteral("send.html")).contains(QStringLiteral("<FORM ACTION=\"send.php\"")));
    EXPECT_TRUE(page(QStringLiteral("menu.html")).contains(QStringLiteral("ID000000001K.html")));
    EXPECT_FALSE(page(QStringLiteral("menu.html")).contains(QStringLiteral("\"send.html\"")));
    EXPECT_FALSE(page(QStringLiteral("menu.html")).contains(QStringLiteral("MENU.html")));
    EXPECT_TRUE(page(QStringLiteral("cennik.html")).contains(QStringLiteral("<b>Price gross</b>")));
    EXPECT_FALSE(shopHas(QStringLiteral("MENU.html")));
    EXPECT_TRUE(report.contains(QStringLiteral("Warnings: 3")));
    for (const char* key : {"send", "MENU", "Cennik"})
        EXPECT_EQ(report
                      .filter(QStringLiteral(" warning: %1 has a key that names a page of the web shop")
                                  .arg(QLatin1String(key)))
                      .size(),
                  1)
            << key;
    const QStringList problems = shopProblems(settings, folder, tree, products);
    EXPECT_EQ(problems.filter(QStringLiteral("Key names a page of the web shop itself")).size(), 3);
}

TEST_F(ShopSafety, TheSameCatalogueGivesTheSameBytes)
{
    auto* lights = node(nullptr, QStringLiteral("Lights"), QStringLiteral("ID000000001K"));
    for (int i = 2; i < 12; ++i) {
        const QString id = QStringLiteral("ID%1P").arg(i, 9, 10, QLatin1Char('0'));
        ProductRow productRow = product(id, QStringLiteral("Lamp %1").arg(i));
        productRow.sizes = true;
        productRow.sizeList = QStringLiteral("S|M|");
        addProduct(productRow);
        node(lights, productRow.name, id);
        writePicture(id + QStringLiteral("M.jpg"));
    }
    const QString second = dir.path() + QStringLiteral("/second");
    build(shop);
    build(second);
    QDirIterator files(shop, QDir::Files, QDirIterator::Subdirectories);
    int compared = 0;
    while (files.hasNext()) {
        const QString file = files.next();
        const QString twin = second + file.mid(shop.size());
        EXPECT_EQ(testsupport::readFile(file), testsupport::readFile(twin)) << file.toStdString();
        ++compared;
    }
    EXPECT_GT(compared, 15);
    // Tiles still carry suffixes of their own.
    const QString category = page(QStringLiteral("ID000000001K.html"));
    static const QRegularExpression suffix(QStringLiteral("name=\"t(\\d+)\""));
    QSet<QString> suffixes;
    for (const auto& match : suffix.globalMatch(category))
        suffixes.insert(match.captured(1));
    EXPECT_EQ(suffixes.size(), 10);
}
