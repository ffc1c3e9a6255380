// Pieces of the frame set, header and menu pages, the page writing rule and the link conversion.
#include "catalogue/categorytree.h"
#include "catalogue/productstable.h"
#include "fakeinteraction.h"
#include "generator/assets.h"
#include "generator/framepages.h"
#include "generator/generateshop.h"
#include "generator/generatorcontext.h"
#include "generator/relativelink.h"
#include "generator/savepage.h"
#include "shell/tables/table.h"
#include "testsupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace generator;

namespace {

QString pageText(const QString& path)
{
    return QString::fromUtf8(testsupport::readFile(path));
}

// A program folder with an empty products table, a tree and default settings.
class FrameFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_folder = shell::ProgramFolder(m_dir.path() + QStringLiteral("/prog"));
        QDir().mkpath(m_folder.pictures());
        catalogue::createProductsTable(m_folder.productsTable());
        m_products.open(m_folder.productsTable());
        m_shop = m_dir.path() + QStringLiteral("/shop");
        QDir().mkpath(m_shop);
    }

    GeneratorContext context()
    {
        GeneratorContext c(m_settings, m_tree, m_products, m_folder, m_ui);
        c.setTarget(m_shop, QStringLiteral("index.html"));
        return c;
    }

    void addProduct(const QString& id)
    {
        m_products.append();
        m_products.setValue(QStringLiteral("ID"), id);
        m_products.setValue(QStringLiteral("Nazwa"), QStringLiteral("Product"));
        m_products.post();
    }

    QTemporaryDir m_dir;
    shell::ProgramFolder m_folder;
    tables::Table m_products;
    catalogue::CategoryTree m_tree;
    shell::Settings m_settings;
    FakeInteraction m_ui;
    QString m_shop;
};

} // namespace

TEST(PageWriting, WholeFilesReadWhateverTheirSizeAndMissingOnesEmpty)
{
    QTemporaryDir dir;
    const QString empty = dir.path() + QStringLiteral("/empty.jpg");
    const QString large = dir.path() + QStringLiteral("/large.jpg");
    testsupport::writeFile(empty, QByteArray());
    QByteArray bytes(300 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7);
    testsupport::writeFile(large, bytes);
    EXPECT_EQ(readWholeFile(empty), QByteArray());
    EXPECT_EQ(readWholeFile(large), bytes);
    EXPECT_EQ(readWholeFile(dir.path() + QStringLiteral("/missing.jpg")), QByteArray());
    EXPECT_EQ(readWholeFile(QStringLiteral("/proc/self/status")).left(5), QByteArray("Name:")); // no size
}

TEST(PageWriting, LinesEndInCrLfLoneLfStaysAndTextIsUtf8)
{
    EXPECT_EQ(pageBytes(QStringLiteral("a\r\nb")), QByteArray("a\r\nb\r\n"));
    EXPECT_EQ(pageBytes(QStringLiteral("a\r\n")), QByteArray("a\r\n"));
    EXPECT_EQ(pageBytes(QStringLiteral("$Z.=\"\nName\"")), QByteArray("$Z.=\"\nName\"\r\n"));
    EXPECT_EQ(pageBytes(QStringLiteral("a\r\n\r\nb")), QByteArray("a\r\n\r\nb\r\n"));
    EXPECT_EQ(pageBytes(QString()), QByteArray());
    EXPECT_EQ(pageBytes(QStringLiteral("Zażółć")), QByteArray("Za\xc5\xbc\xc3\xb3\xc5\x82\xc4\x87\r\n"));

    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/p.html");
    savePage(QStringLiteral("one"), path);
    savePage(QStringLiteral("two\r\nthree"), path); // an existing file is replaced
    EXPECT_EQ(testsupport::readFile(path), QByteArray("two\r\nthree\r\n"));
    EXPECT_TRUE(appendPageLine(path, QStringLiteral("</tr>ł")));
    EXPECT_EQ(testsupport::readFile(path), QByteArray("two\r\nthree\r\n</tr>\xc5\x82\r\n"));
    EXPECT_FALSE(appendPageLine(dir.path() + QStringLiteral("/missing.html"), QStringLiteral("x")));
    EXPECT_THROW(savePage(QStringLiteral("x"), dir.path() + QStringLiteral("/no/such/folder/p.html")),
                 shell::AppError);
}

TEST(PageWriting, ColoursHeadBlockAndMemoTexts)
{
    EXPECT_EQ(colorToHtml(shell::colorFromRgb(255, 255, 255)), QStringLiteral("#FFFFFF"));
    EXPECT_EQ(colorToHtml(shell::colorFromRgb(0, 0, 128)), QStringLiteral("#000080"));
    EXPECT_EQ(colorToHtml(shell::colorFromRgb(0x12, 0xAB, 0x0C)), QStringLiteral("#12AB0C"));
    EXPECT_EQ(
        commonHeadBlock(),
        QStringLiteral("<html xmlns=\"http://www.w3.org/1999/xhtml\" xml:lang=\"en-GB\" lang=\"en-GB\"> "
                       "<head profile=\"http://dublincore.org/documents/2008/08/04/dc-html/\">%1"
                       "<meta name=\"dcterms.created\" content=\"2010-09-08T14:26:53Z\" />%2"
                       "<meta http-equiv=\"content-type\" content=\"text/html;charset=UTF-8\" />%3")
            .arg(QString(21, QLatin1Char(' ')), QString(16, QLatin1Char(' ')),
                 QString(12, QLatin1Char(' '))));
    EXPECT_EQ(memoText(QStringLiteral("a\nb")), QStringLiteral("a\r\nb\r\n"));
    EXPECT_EQ(memoText(QString()), QString());
    EXPECT_TRUE(
        makerFooter().startsWith(QStringLiteral("<img align=left SRC=\"img/orvane.jpg\"><FONT SIZE=1>")));
}

TEST(RelativeLink, PosixPathsWebAddressesAndFolderBoundaries)
{
    const QString base = QStringLiteral("/home/u/shop/top.html");
    EXPECT_EQ(relativeLink(base, QStringLiteral("/home/u/shop/docs/price list.pdf")),
              QStringLiteral("docs/price%20list.pdf"));
    EXPECT_EQ(relativeLink(base, QStringLiteral("/home/u/files/a.pdf")), QStringLiteral("../files/a.pdf"));
    EXPECT_EQ(relativeLink(base, QStringLiteral("/home/u/shop/a.pdf")), QStringLiteral("a.pdf"));
    // A sibling folder whose name merely starts like the shop's is outside it.
    EXPECT_EQ(relativeLink(base, QStringLiteral("/home/u/shopping/a.pdf")),
              QStringLiteral("../shopping/a.pdf"));
    EXPECT_EQ(relativeLink(base, QStringLiteral("/srv/x/ó#.pdf")),
              QStringLiteral("../../../srv/x/%C3%B3%23.pdf"));
    EXPECT_EQ(relativeLink(base, QStringLiteral("https://example.com/a b")),
              QStringLiteral("https://example.com/a b"));
    EXPECT_EQ(relativeLink(base, QStringLiteral("docs/x.pdf")), QStringLiteral("docs/x.pdf"));
    EXPECT_EQ(relativeLink(base, QStringLiteral("D:\\a b.pdf")), QStringLiteral("file:///D:/a%20b.pdf"));
}

TEST(BuildTarget, ChosenFileGivesFolderAndStartPage)
{
    const BuildTarget dotted = buildTargetFor(QStringLiteral("/tmp/x/shop.old.html"));
    EXPECT_EQ(dotted.shopFolder, QStringLiteral("/tmp/x/shop.old"));
    EXPECT_EQ(dotted.startPage, QStringLiteral("shop.old.html"));
    const BuildTarget bare = buildTargetFor(QStringLiteral("/tmp/x/sklep"));
    EXPECT_EQ(bare.shopFolder, QStringLiteral("/tmp/x/sklep"));
    EXPECT_EQ(bare.startPage, QStringLiteral("sklep.html"));
}

TEST(BuildTarget, StartPageNamesThatClashAreRefused)
{
    catalogue::CategoryTree tree;
    tree.addNode(nullptr, QStringLiteral("Books ID000000001K"));
    EXPECT_TRUE(startPageProblem(QStringLiteral("shop.html"), tree).isEmpty());
    for (const char* name : {"top.html", "MENU.html", "Find.HTML", "send.php", "cennik.html", "sk.js",
                             "color.css", "id000000001k.html", ".html", ""})
        EXPECT_FALSE(startPageProblem(QString::fromLatin1(name), tree).isEmpty()) << name;
}

TEST(BuildTarget, ForeignFilesAreNoticedButAnEarlierShopIsNot)
{
    QTemporaryDir dir;
    const BuildTarget target{dir.path() + QStringLiteral("/shop"), QStringLiteral("shop.html")};
    EXPECT_FALSE(holdsForeignFiles(target)); // missing folder
    QDir().mkpath(target.shopFolder);
    EXPECT_FALSE(holdsForeignFiles(target)); // empty folder
    testsupport::writeFile(target.shopFolder + QStringLiteral("/thesis.odt"), "x");
    EXPECT_TRUE(holdsForeignFiles(target));
    testsupport::writeFile(target.shopFolder + QStringLiteral("/top.html"), "x");
    EXPECT_FALSE(holdsForeignFiles(target));
}

TEST_F(FrameFixture, IndexPageEscapesQuotesInMetaTextsAndNamesTheBodyPage)
{
    m_settings.options.title = QStringLiteral("Sklep Zażółć");
    m_settings.metaDescription = QStringLiteral("Contact: <a href=\"mailto:x@y\">x</a>\nline 2");
    m_settings.metaKeywords = QStringLiteral("a, b");
    m_settings.options.includeWelcomePage = false;
    m_tree.addNode(nullptr, QStringLiteral("Shoes ID000000007K"));
    GeneratorContext c = context();
    writeIndexPage(c);
    const QString expected =
        commonHeadBlock() + QStringLiteral("<TITLE>Sklep Zażółć</TITLE>")
        + QStringLiteral("<META NAME=\"GENERATOR\" CONTENT=\"Tavrone Kalmenor\">")
        + QStringLiteral("<META NAME=\"DESCRIPTION\" CONTENT=\"Contact: <a "
                         "href=&quot;mailto:x@y&quot;>x</a>\r\nline 2\r\n\">")
        + QStringLiteral("<META NAME=\"KEYWORDS\" CONTENT=\"a, b\r\n\"></head>")
        + QStringLiteral("<SCRIPT language=\"JavaScript\" src=\"sk.js\"></SCRIPT>")
        + QStringLiteral("<FRAMESET ROWS=\"100,*\" frameborder=\"NO\" border=\"0\" framespacing=\"0\">")
        + QStringLiteral(
            "<frame src=\"top.html\" scrolling=\"NO\" frameborder=\"NO\" noresize marginwidth=\"5\" "
            "marginheight=\"5\" name=\"top\"><FRAMESET COLS=20%,*>")
        + QStringLiteral(
            "<frame src=\"menu.html\" scrolling=\"AUTO\" frameborder=\"NO\" noresize marginwidth=\"5\" "
            "marginheight=\"5\" name=\"menu\">")
        + QStringLiteral("<frame src=\"ID000000007K.html\" scrolling=\"AUTO\" frameborder=\"NO\" noresize "
                         "marginwidth=\"8\" marginheight=\"0\" name=\"body\">")
        + QStringLiteral("<noframes><body></body></noframes></html>\r\n");
    EXPECT_EQ(pageText(m_shop + QStringLiteral("/index.html")), expected);
    EXPECT_EQ(c.reportLines(),
              QStringList{QStringLiteral("Web Shop INDEX: ") + m_shop + QStringLiteral("/index.html")});
}

TEST_F(FrameFixture, BodyFrameStartPageChoices)
{
    {
        GeneratorContext c = context();
        EXPECT_EQ(bodyStartPage(c), QStringLiteral("find.html")); // empty tree, no welcome page
        m_settings.options.includeWelcomePage = true;
        EXPECT_EQ(bodyStartPage(c), QStringLiteral("powitanie.html"));
        m_settings.options.includeWelcomePage = false;
    }
    // A product entry first: its page is named by the record's ID, whose case may differ from the key.
    m_tree.addNode(nullptr, QStringLiteral("Mug ID000000042P"));
    GeneratorContext c = context();
    EXPECT_EQ(bodyStartPage(c), QStringLiteral("find.html")); // no record
    addProduct(QStringLiteral("id000000042P"));
    EXPECT_EQ(bodyStartPage(c), QStringLiteral("id000000042P.html"));
    m_tree.clear();
    m_tree.addNode(nullptr, QStringLiteral("Evil ../../../xK"));
    EXPECT_EQ(bodyStartPage(c), QStringLiteral("find.html"));
}

TEST_F(FrameFixture, TopPageButtonsFollowTheOptionalPages)
{
    m_settings.headerColor = shell::colorFromRgb(0x10, 0x20, 0x30);
    m_settings.options.includeInformation = false;
    m_settings.options.includePriceList = false;
    m_settings.options.includeRegulation = false;
    m_settings.options.headerAlignment = 1;
    m_settings.options.shopName = QStringLiteral("Mój sklep");
    m_settings.font.headerTextColor = shell::colorFromRgb(255, 0, 0);
    GeneratorContext c = context();
    writeTopPage(c);
    const QString expected =
        commonHeadBlock() + QStringLiteral("<META NAME=\"GENERATOR\"CONTENT=\"Tavrone Kalmenor\">")
        + QStringLiteral("<SCRIPT language=\"JavaScript\" src=\"sk.js\"></SCRIPT></HEAD>")
        + QStringLiteral("<STYLE>TD{FONT-FAMILY: verdana, arial; FONT-SIZE: 11px; MARGIN: 10px;}</STYLE>")
        + QStringLiteral("<BODY bgcolor=\"#102030\"><TABLE  width=100%><TD align=center valign=top>")
        + QStringLiteral(
            "<IMG NAME=\"b1\" src=\"img/b1.jpg\"  style=\"cursor:pointer;\" ONCLICK=\"parent.pisz(1)\" "
            "onMouseOver=\"document.b1.src='img/b1b.jpg'\" onMouseOut=\"document.b1.src='img/b1.jpg'\">")
        + QStringLiteral(
            "&nbsp;&nbsp;<IMG NAME=\"b3\" src=\"img/b3.jpg\"  style=\"cursor:pointer;\"ONCLICK=\""
            "parent.body.document.location.href='send.html'\" onMouseOver=\"document.b3.src='img/b3b.jpg'\" "
            "onMouseOut=\"document.b3.src='img/b3.jpg'\">")
        + QStringLiteral(
            "&nbsp;&nbsp;<IMG NAME=\"b7\" src=\"img/b7.jpg\"  style=\"cursor:pointer;\"ONCLICK=\""
            "parent.body.document.location.href='find.html'\" onMouseOver=\"document.b7.src='img/b7b.jpg'\" "
            "onMouseOut=\"document.b7.src='img/b7.jpg'\">")
        + QStringLiteral(
            "</TD></TABLE><font size=5 color=\"#FF0000\"><P align=\"center\">Mój sklep</font><BR>")
        + QStringLiteral("</HEAD></FORM></HTML>\r\n");
    EXPECT_EQ(pageText(m_shop + QStringLiteral("/top.html")), expected);

    m_settings.options.includePriceList = true;
    m_settings.options.headerShowsLogo = true;
    m_settings.options.logoPath = QStringLiteral("/pics/logo 'new' #1%.png");
    writeTopPage(c);
    const QString withLogo = pageText(m_shop + QStringLiteral("/top.html"));
    EXPECT_TRUE(withLogo.contains(
        QStringLiteral("<TABLE height=100% width=100% style=\"background-image:url("
                       "'img/logo %27new%27 %231%25.png');background-repeat:no-repeat;\">")));
    EXPECT_TRUE(withLogo.contains(QStringLiteral("href='cennik.html'")));
    EXPECT_FALSE(withLogo.contains(QStringLiteral("onas.html")));
    EXPECT_FALSE(withLogo.contains(QStringLiteral("<font size=5")));
}

TEST_F(FrameFixture, MenuPageListsCategoriesIndentedAndTheLinkList)
{
    auto* top = m_tree.addNode(nullptr, QStringLiteral("Odzież ID000000001K"));
    auto* sub = m_tree.addNode(top, QStringLiteral("Koszulki ID000000002W"));
    m_tree.addNode(sub, QStringLiteral("Polo ID000000003W"));
    m_tree.addNode(sub, QStringLiteral("Shirt ID000000004P"));
    m_settings.options.menuColor = shell::colorFromRgb(255, 255, 255);
    m_settings.options.menuHighlightColor = shell::colorFromRgb(0, 0, 128);
    m_settings.options.includeLinks = true;
    m_settings.options.linksHeading = QStringLiteral("Jump to");
    m_settings.links[0] = {QStringLiteral("Docs"), m_shop + QStringLiteral("/docs/a b.pdf")};
    m_settings.links[1] = {QString(), QStringLiteral("https://never.example")};
    m_settings.links[2] = {QStringLiteral("Web"), QStringLiteral("https://example.com/")};
    GeneratorContext c = context();
    writeMenuPage(c);
    const QString menu = pageText(m_shop + QStringLiteral("/menu.html"));
    const QString style =
        QStringLiteral("BACKGROUND-COLOR: #ffffff; COLOR: #000000; FONT-FAMILY: verdana, arial; "
                       "FONT-SIZE: %1px; MARGIN: 0px; scrollbar-base-color: #FFFFFF");
    const QString expected =
        commonHeadBlock() + QStringLiteral("<META NAME=\"GENERATOR\"CONTENT=\"Tavrone Kalmenor\"></HEAD>")
        + QStringLiteral("<SCRIPT language=\"JavaScript\" SRC=\"sk.js\"></SCRIPT>")
        + QStringLiteral("<SCRIPT>function Go(page,num){if(num!=0){var okienko=window.open(page);}}</SCRIPT>")
        + QStringLiteral("<STYLE>td {") + style.arg(10) + QStringLiteral("}</STYLE>")
        + QStringLiteral("<style type=\"text/css\">.navig a:hover,.navig td:hover{background-color:#000080;"
                         "color:#FFFFFF;}</style>")
        + QStringLiteral("<link rel=\"stylesheet\" type=\"text/css\" href=\"navig.css\">"
                         "<link rel=\"stylesheet\" href=\"color.css\" type=\"text/css\">")
        + QStringLiteral("<STYLE>BODY {") + style.arg(9)
        + QStringLiteral("}</STYLE><form name=\"m\"><body><table width=\"100%\">")
        + QStringLiteral(
            "<BR><SELECT width=\"100%\" NAME=\"ComboBox1\" onchange=\"Go(m.ComboBox1.options["
            "m.ComboBox1.selectedIndex].value,m.ComboBox1.selectedIndex);\"><OPTION>Jump to</OPTION>")
        + QStringLiteral("<OPTION Value=\"docs/a%20b.pdf\">Docs<OPTION Value=\"https://example.com/\">Web")
        + QStringLiteral("</SELECT><BR><BR></table><br></table>menu<br><div class=\"navig\">")
        + QStringLiteral(
            "<b><td class=\"navig\" align=\"left\"><a href=\"ID000000001K.html\" target=\"body\">"
            "Odzież</a></b><tr>")
        + QStringLiteral(
            "<b><td class=\"navig\" align=\"left\"><a href=\"ID000000002W.html\" target=\"body\">"
            "&nbsp;&nbsp;Koszulki</a></b><tr>")
        + QStringLiteral(
            "<b><td class=\"navig\" align=\"left\"><a href=\"ID000000003W.html\" target=\"body\">"
            "&nbsp;&nbsp;&nbsp;&nbsp;Polo</a></b><tr>")
        + QStringLiteral("</div></body></form></head></html>\r\n");
    EXPECT_EQ(menu, expected);
}

TEST_F(FrameFixture, AssetsCopiedWithChoicesStyleSheetsAndNoSelfDestruction)
{
    const QString style = m_folder.style();
    testsupport::writeFile(m_folder.work() + QStringLiteral("sk.js"), "cart");
    testsupport::writeFile(m_folder.work() + QStringLiteral("empty.html"), "empty");
    testsupport::writeFile(style + QStringLiteral("2/b1.jpg"), "b1 of silver");
    testsupport::writeFile(style + QStringLiteral("2/moreb.jpg"), "moreb");
    testsupport::writeFile(style + QStringLiteral("Szablon/gif/Promocja/1/promocja.gif"), "star");
    testsupport::writeFile(style + QStringLiteral("Szablon/gif/New/0/new.gif"), "new button");
    testsupport::writeFile(style + QStringLiteral("Szablon/gif/delete.jpg"), "x");
    m_settings.options.stylePreset = 2;
    m_settings.options.promotionMarker = 1;
    m_settings.options.newMarker = -1; // no choice: nothing copied for it
    m_settings.options.menuColor = shell::colorFromRgb(255, 255, 255);
    m_settings.options.menuHighlightColor = shell::colorFromRgb(0, 0, 128);

    // The logo was picked from the shop's own img folder: copying it onto itself must keep it.
    const QString shop = m_dir.path() + QStringLiteral("/fresh");
    m_settings.options.headerShowsLogo = true;
    m_settings.options.logoPath = shop + QStringLiteral("/img/logo.png");
    testsupport::writeFile(m_settings.options.logoPath, "logo bytes");

    GeneratorContext c = context();
    c.setTarget(shop, QStringLiteral("index.html"));
    copyShopAssets(c);
    EXPECT_EQ(testsupport::readFile(shop + QStringLiteral("/sk.js")), QByteArray("cart"));
    EXPECT_EQ(testsupport::readFile(shop + QStringLiteral("/empty.html")), QByteArray("empty"));
    EXPECT_EQ(testsupport::readFile(shop + QStringLiteral("/img/b1.jpg")), QByteArray("b1 of silver"));
    EXPECT_EQ(testsupport::readFile(shop + QStringLiteral("/img/moreb.jpg")), QByteArray("moreb"));
    EXPECT_EQ(testsupport::readFile(shop + QStringLiteral("/img/promocja.gif")), QByteArray("star"));
    EXPECT_EQ(testsupport::readFile(shop + QStringLiteral("/img/logo.png")), QByteArray("logo bytes"));
    EXPECT_FALSE(QFileInfo::exists(shop + QStringLiteral("/img/new.gif")));
    EXPECT_FALSE(QFileInfo::exists(shop + QStringLiteral("/img/b3.jpg")));
    EXPECT_EQ(testsupport::readFile(shop + QStringLiteral("/color.css")),
              QByteArray(".navig {background-color:#FFFFFF;}\r\n"));
    EXPECT_EQ(testsupport::readFile(shop + QStringLiteral("/navig.css")),
              QByteArray(".navig a{display: block;padding: 4px 7px 2px 7px;width: auto;voice-family:inherit;"
                         "margin: 0;text-decoration: none;color:#000080;}\r\n"));
    EXPECT_TRUE(c.reportLines().isEmpty());
    // No half-written copies are left beside the targets.
    EXPECT_TRUE(
        QDir(shop + QStringLiteral("/img")).entryList({QStringLiteral("*.part")}, QDir::Files).isEmpty());
}

TEST_F(FrameFixture, ShopBuiltIntoTheAssetFolderKeepsItsAssets)
{
    testsupport::writeFile(m_folder.work() + QStringLiteral("sk.js"), "the cart script");
    testsupport::writeFile(m_folder.work() + QStringLiteral("empty.html"), "empty");
    GeneratorContext c = context();
    QString work = m_folder.work();
    work.chop(1);
    c.setTarget(work, QStringLiteral("index.html"));
    copyShopAssets(c);
    EXPECT_EQ(testsupport::readFile(m_folder.work() + QStringLiteral("sk.js")),
              QByteArray("the cart script"));
    EXPECT_EQ(testsupport::readFile(m_folder.work() + QStringLiteral("empty.html")), QByteArray("empty"));
    EXPECT_FALSE(
        copyShopFile(m_folder.work() + QStringLiteral("missing.js"), work + QStringLiteral("/x.js")));
}
