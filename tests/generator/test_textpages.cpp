#include "pagesfixture.h"

#include "generator/pagewriters.h"
#include "generator/productpages.h"
#include "generator/savepage.h"
#include "generator/textpages.h"

using namespace generator;

namespace {

const QString kBodyStyle = QStringLiteral(
    "<STYLE>BODY {BACKGROUND-COLOR: #ffffff; COLOR: #000000; FONT-FAMILY: verdana, arial; FONT-SIZE: 11px; "
    "MARGIN: 10px; scrollbar-base-color: #FFFFFF}</STYLE>");
const QString kTdStyle =
    QStringLiteral("<STYLE>TD{FONT-FAMILY: verdana, arial; FONT-SIZE: 11px; MARGIN: 0px;}</STYLE>");
const QString kPageStart = commonHeadBlock()
                           + QStringLiteral("<META NAME=\"GENERATOR\"CONTENT=\"Tavrone Kalmenor\">"
                                            "</HEAD><SCRIPT language=\"JavaScript\" SRC=\"sk.js\">"
                                            "</SCRIPT>")
                           + kTdStyle + kBodyStyle;

} // namespace

class TextPages : public PagesFixture {};

TEST_F(TextPages, PriceListRowsColouredByTreePositionOncePerNodeText)
{
    settings.oddColor = shell::colorFromRgb(0xFF, 0xFF, 0xFF);
    settings.evenColor = shell::colorFromRgb(0xEE, 0xEE, 0xEE);
    ProductRow normal = product(QStringLiteral("ID000000001P"), QStringLiteral("Tea"));
    normal.net = 1234.5;
    normal.gross = 1518.44;
    ProductRow sale = product(QStringLiteral("ID000000002P"), QStringLiteral("Cup"));
    sale.status = QStringLiteral("Sale");
    sale.vat = QStringLiteral("zw.");
    ProductRow fresh = product(QStringLiteral("ID000000003P"), QStringLiteral("Pot"));
    fresh.status = QStringLiteral("New");
    addProduct(normal);
    addProduct(sale);
    addProduct(fresh);
    auto* drinks = node(nullptr, QStringLiteral("Drinks"), QStringLiteral("ID000000100K")); // position 1
    node(drinks, QStringLiteral("Tea"), QStringLiteral("ID000000001P"));                    // 2: even
    node(drinks, QStringLiteral("Cup"), QStringLiteral("ID000000002P"));                    // 3: odd
    auto* other = node(nullptr, QStringLiteral("Other"), QStringLiteral("ID000000200K"));   // 4
    node(other, QStringLiteral("Pot"), QStringLiteral("ID000000003P"));                     // 5: odd
    node(other, QStringLiteral("TEA"), QStringLiteral("ID000000001P"));  // same text ignoring case
    node(other, QStringLiteral("Gone"), QStringLiteral("ID000000099P")); // not in the table

    writePriceList(*context);

    const QString expected =
        kPageStart + QStringLiteral("<body bgcolor=\"#FFFFFF\"><TABLE BORDER=0 width=\"100%\">")
        + QStringLiteral("<BR><TR><TD width=\"40%\"><b>Name</b><TD width=\"25%\"><b>Category</b>"
                         "<TD width=\"15%\"><b>Price net</b><TD width=\"5%\"><b>VAT</b>"
                         "<TD width=\"15%\"><b>Price gross</b></TR>")
        + QStringLiteral("<TR bgcolor=\"#EEEEEE\"><TD><a href=\"ID000000001P.html\">Tea<TD>Drinks<TD>1234,50"
                         "<TD>23<TD>1518,44<TD bgcolor=white></TD></TR>")
        + QStringLiteral("<TR bgcolor=\"#FFFFFF\"><TD><a href=\"ID000000002P.html\">Cup<TD>Drinks"
                         "<TD><del>10,00</del><br>8,00<TD>zw.<TD><del>12,30</del><br>9,84"
                         "<TD bgcolor=white>&nbsp;&nbsp;<IMG SRC=\"img/sale.gif\"></TD></TR>")
        + QStringLiteral("<TR bgcolor=\"#FFFFFF\"><TD><a href=\"ID000000003P.html\">Pot<TD>Other<TD>10,00"
                         "<TD>23<TD>12,30<TD bgcolor=white>&nbsp;&nbsp;<IMG SRC=\"img/new.gif\"></TD></TR>")
        + QStringLiteral("</TABLE></HTML>");
    EXPECT_EQ(testsupport::readFile(shop + QStringLiteral("/cennik.html")), pageBytes(expected));

    settings.tableLines = true;
    writePriceList(*context);
    EXPECT_TRUE(
        page(QStringLiteral("cennik.html")).contains(QStringLiteral("<TABLE BORDER=1 width=\"100%\">")));
}

TEST_F(TextPages, SearchPageConsumesTheIndex)
{
    settings.headerColor = shell::colorFromRgb(0, 0, 128);
    const QString footer = makerFooter();
    const QString rest =
        QStringLiteral("<table><br><td height=\"30\" bgcolor=\"#000080\"><b>Search product: </b>"
                       "<input type=\"text\" name=\"FIND\" size=\"35\"><button  style=\"cursor:pointer;\" "
                       "ONCLICK=\"parent.szukaj(f.FIND.value)\">search</button></td></table>"
                       "enter product name (case sensitive)<p>")
        + footer + QStringLiteral("</P></body></form></html>");

    writeSearchPage(*context); // no products at all
    EXPECT_EQ(testsupport::readFile(shop + QStringLiteral("/find.html")),
              pageBytes(kPageStart + QStringLiteral("<form name=\"f\"><body onLoad=\"\">") + rest));

    context->searchIndex() << QStringLiteral("parent.d('A','ID000000001P.html',0)")
                           << QStringLiteral("parent.d('B','ID000000002P.html',1)");
    writeSearchPage(*context);
    EXPECT_EQ(
        testsupport::readFile(shop + QStringLiteral("/find.html")),
        pageBytes(kPageStart
                  + QStringLiteral("<form name=\"f\"><body onLoad=\"parent.d('A','ID000000001P.html',0)\r\n"
                                   "parent.d('B','ID000000002P.html',1)\r\n\">")
                  + rest));
    EXPECT_TRUE(context->searchIndex().isEmpty());
}

TEST_F(TextPages, WelcomeAboutAndTermsPages)
{
    settings.welcomeText = QStringLiteral("Hello <b>there</b>\nSecond line");
    settings.options.bannerPath = QStringLiteral("C:\\Pictures\\banner one.jpg");
    writeWelcomePage(*context);
    EXPECT_EQ(testsupport::readFile(shop + QStringLiteral("/powitanie.html")),
              pageBytes(QStringLiteral("<HTML><HEAD><meta http-equiv=\"content-type\" "
                                       "content=\"text/html;charset=UTF-8\" /></HEAD>")
                        + kBodyStyle
                        + QStringLiteral("<BR><BR><BR><p align=center>Hello <b>there</b>\r\nSecond line\r\n"
                                         "<BR><BR><IMG src=\"img/banner one.jpg\" align=center>"
                                         "<BR clear=left><BR></HTML>")));
    settings.options.bannerPath.clear();
    settings.welcomeText.clear();
    writeWelcomePage(*context);
    EXPECT_FALSE(page(QStringLiteral("powitanie.html")).contains(QStringLiteral("<IMG")));
    EXPECT_TRUE(
        page(QStringLiteral("powitanie.html")).endsWith(QStringLiteral("<p align=center></HTML>\r\n")));

    const QString textStart =
        QStringLiteral("<HTML><HEAD><meta http-equiv=\"content-type\" content=\"text/html;charset=UTF-8\" />"
                       "<META NAME=\"GENERATOR\"CONTENT=\"Tavrone Kalmenor\"></HEAD>"
                       "<SCRIPT language=\"JavaScript\" SRC=\"sk.js\"></SCRIPT>")
        + kBodyStyle + QStringLiteral("<body bgcolor=\"#FFFFFF\"><BR><p align=justify>");
    settings.infoText = QStringLiteral("Shop Ltd.\nul. Długa 1");
    settings.regulationText = QStringLiteral("§1 Terms");
    writeAboutPage(*context);
    writeTermsPage(*context);
    EXPECT_EQ(testsupport::readFile(shop + QStringLiteral("/onas.html")),
              pageBytes(textStart + QStringLiteral("Shop Ltd.\r\nul. Długa 1\r\n</HTML>")));
    EXPECT_EQ(testsupport::readFile(shop + QStringLiteral("/regulamin.html")),
              pageBytes(textStart + QStringLiteral("§1 Terms\r\n</HTML>")));
}
