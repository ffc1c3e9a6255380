#include "pagesfixture.h"

#include "generator/pagewriters.h"
#include "generator/priceblock.h"
#include "generator/productpages.h"
#include "generator/productrecord.h"
#include "generator/savepage.h"
#include "generator/scriptescaping.h"
#include "generator/shoppictures.h"

#include <QLocale>
#include <QRegularExpression>

using namespace generator;

namespace {

const QString kQuantity =
    QStringLiteral(" value=\"1\" size=\"2\" ONKEYUP=\"if(isNaN(value)==true){alert('Enter the correct "
                   "value!');value='1';}\" >");

QString detailPageStart()
{
    return commonHeadBlock() + QStringLiteral("<meta name=\"GENERATOR\"CONTENT=\"Tavrone Kalmenor\"></head>")
           + QStringLiteral("<script language=\"Javascript\" SRC=\"sk.js\"></script>")
           + QStringLiteral("<style>body{font-family: Arial;color: #000000;font-size: 11;margin: 0;"
                            "letter-spacing: 0.1em;word-spacing: 0.5em}</style>")
           + QStringLiteral("<form name=\"m\"><BODY bgcolor=\"#ffffff\">");
}

QString detailButton(const QString& call)
{
    return QStringLiteral("</b><br>Quantity: <input type=\"text\" name=\"t\"") + kQuantity
           + QStringLiteral(
               "<IMG NAME=\"k\" SRC=\"img/kupuj.jpg\" alt=\"Add to cart\" style=\"cursor:pointer;\" "
               "onMouseOver=\"k.src='img/kupujb.jpg'\" onMouseOut=\"k.src='img/kupuj.jpg'\"ONCLICK=\"")
           + call
           + QStringLiteral("\"><BR><a href=\"javascript:history.back()\"><img src=\"img/prev.jpg\" "
                            "alt=\"previous page\" border=\"0\"></a></html>");
}

ProductRecord record(const QString& status, bool withPromotion = true)
{
    ProductRecord r;
    r.id = QStringLiteral("ID000000001P");
    r.name = QStringLiteral("Lamp");
    r.status = status;
    r.netPrice = 1234.5;
    r.grossPrice = 1518.44;
    r.promotionNetPrice = withPromotion ? 999 : 0;
    r.promotionGrossPrice = withPromotion ? 1228.77 : 0;
    return r;
}

} // namespace

TEST(PriceText, SystemFormatWithoutGroupingAndCartNumberWithPoint)
{
    const QLocale polish(QLocale::Polish, QLocale::Poland);
    EXPECT_EQ(priceText(1234.5, polish), QStringLiteral("1234,50"));
    EXPECT_EQ(priceText(1234567.891, polish), QStringLiteral("1234567,89"));
    EXPECT_EQ(priceText(0, polish), QStringLiteral("0,00"));
    EXPECT_EQ(priceText(-0.001, polish), QStringLiteral("0,00"));
    EXPECT_EQ(priceText(1234.5, QLocale(QLocale::English, QLocale::UnitedStates)), QStringLiteral("1234.50"));
    EXPECT_EQ(cartPriceText(1234.5), QStringLiteral("1234.50"));
    EXPECT_EQ(cartPriceText(0.125), QStringLiteral("0.13"));

    // The same as the locale's own formatting, whatever the locale writes (other minus signs, digits).
    for (const QLocale& locale :
         {polish, QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::Swedish, QLocale::Sweden),
          QLocale(QLocale::Arabic, QLocale::Egypt), QLocale(QLocale::French, QLocale::Switzerland),
          QLocale::c()}) {
        QLocale format = locale;
        format.setNumberOptions(format.numberOptions() | QLocale::OmitGroupSeparator);
        for (const double value :
             {0.0, 0.005, 1.0, 9.995, 12.345, 99.99, 1234.5, -7.25, -1234567.891, 1e15}) {
            EXPECT_EQ(priceText(value, locale), format.toString(value, 'f', 2))
                << qPrintable(locale.name()) << ' ' << value;
        }
    }
}

TEST(PriceBlock, EachStatusOnPageAndTile)
{
    const QLocale polish(QLocale::Polish, QLocale::Poland);
    const QString c = QStringLiteral("zł");
    EXPECT_EQ(priceBlock(record(QStringLiteral("Normal")), true, c, polish, PriceBlockForm::DetailPage),
              QStringLiteral("<b><p>Price: 1234,50 zł</b>"));
    EXPECT_EQ(priceBlock(record(QStringLiteral("New")), true, c, polish, PriceBlockForm::DetailPage),
              QStringLiteral("<b><p>Price: 1234,50 zł</b>&nbsp;&nbsp;<IMG SRC=\"img/new.gif\">"));
    EXPECT_EQ(priceBlock(record(QStringLiteral("Promotion")), true, c, polish, PriceBlockForm::DetailPage),
              QStringLiteral("<DEL><b><p>Price: 1234,50 zł</b></DEL><b><p>Price: 999,00 zł</b>"
                             "&nbsp;&nbsp;<IMG SRC=\"img/promocja.gif\">"));
    // Gross on a tile: the regular price starts without <b>.
    EXPECT_EQ(priceBlock(record(QStringLiteral("Sale")), false, c, polish, PriceBlockForm::Tile),
              QStringLiteral("<DEL><p>Price: 1518,44 zł</b></DEL><b><p>Price: 1228,77 zł</b>"
                             "&nbsp;&nbsp;<IMG SRC=\"img/sale.gif\">"));
    EXPECT_EQ(priceBlock(record(QStringLiteral("Normal")), false, c, polish, PriceBlockForm::Tile),
              QStringLiteral("<p>Price: 1518,44 zł</b>"));
    // An unknown status sells at the promotion price, without an icon.
    EXPECT_EQ(priceBlock(record(QStringLiteral("Clearance")), true, c, polish, PriceBlockForm::DetailPage),
              QStringLiteral("<DEL><b><p>Price: 1234,50 zł</b></DEL><b><p>Price: 999,00 zł</b>"));
    // No status at all (a record the Importer added) is a normal product, not one at price 0,00.
    EXPECT_EQ(priceBlock(record(QString(), false), true, c, polish, PriceBlockForm::DetailPage),
              QStringLiteral("<b><p>Price: 1234,50 zł</b>"));
    EXPECT_EQ(effectivePrice(record(QString(), false), true), 1234.5);
    EXPECT_EQ(effectivePrice(record(QStringLiteral("Promotion")), false), 1228.77);
    EXPECT_EQ(effectivePrice(record(QStringLiteral("New")), false), 1518.44);
}

TEST(ScriptEscaping, QuotesInsideScriptStringsInsideAttributes)
{
    using namespace scriptescaping;
    EXPECT_EQ(scriptInAttribute(QStringLiteral("Plain name 12")), QStringLiteral("Plain name 12"));
    EXPECT_EQ(scriptInAttribute(QStringLiteral("12\" TV")), QStringLiteral("12\\&quot; TV"));
    EXPECT_EQ(scriptInAttribute(QStringLiteral("Rock'n'roll")), QStringLiteral("Rock\\&#39;n\\&#39;roll"));
    EXPECT_EQ(scriptInAttribute(QStringLiteral("a\\b<&>")), QStringLiteral("a\\\\b&lt;&amp;&gt;"));
    EXPECT_EQ(jsString(QStringLiteral("two\r\nlines")), QStringLiteral("two\\r\\nlines"));
    EXPECT_EQ(phpDoubleQuoted(QStringLiteral("a\"b$c\\d")), QStringLiteral("a\\\"b\\$c\\\\d"));
}

TEST(TileSuffixes, DrawsAgainUntilUnusedInThePage)
{
    // A source that repeats itself: 5, 5, 100000005 (same suffix modulo the limit), 7.
    std::vector<quint32> values{5, 5, 100000005, 7};
    size_t next = 0;
    TileSuffixes suffixes([&] { return values[next++ % values.size()]; });
    EXPECT_EQ(suffixes.draw(), 5);
    EXPECT_EQ(suffixes.draw(), 7);
    EXPECT_EQ(suffixes.count(), 2);
    TileSuffixes defaults;
    QSet<int> seen;
    for (int i = 0; i < 500; ++i) {
        const int s = defaults.draw();
        EXPECT_GE(s, 0);
        EXPECT_LT(s, 100000000);
        seen.insert(s);
    }
    EXPECT_EQ(seen.size(), 500);
}

class ProductPages : public PagesFixture {};

TEST_F(ProductPages, DetailPageByteForByteWithPictureAndSeveralDescriptionLines)
{
    ProductRow p = product(QStringLiteral("ID000000001P"), QStringLiteral("Lamp"));
    p.net = 1234.5;
    p.longDescription = QStringLiteral("Line one\r\nLine <i>two</i>");
    addProduct(p);
    writePicture(QStringLiteral("ID000000001PD.jpg"));
    settings.lineColor = shell::colorFromRgb(0x11, 0x22, 0x33);
    settings.options.currency = QStringLiteral("zł");
    auto* category = node(nullptr, QStringLiteral("Lamps"), QStringLiteral("ID000000009K"));
    node(category, QStringLiteral("Lamp"), QStringLiteral("ID000000001P"));

    writeProductPages(*context);

    const QString expected =
        detailPageStart() + QStringLiteral("<p><b>Lamp")
        + QStringLiteral("<img align=left SRC=\"img/ID000000001PD.jpg\" BORDER=0 VSPACE=10>")
        + QStringLiteral("<BR clear=all><p align=justify></b>Line one\r\nLine <i>two</i>")
        + QStringLiteral("<BR clear=all><hr align=left width=70% color=#112233 size=1>")
        + QStringLiteral("<b><p>Price: 1234,50 zł</b><br>")
        + detailButton(QStringLiteral("parent.e(m.t.value,1234.50,&quot;Lamp&quot;,0,0,0);"));
    EXPECT_EQ(testsupport::readFile(shop + QStringLiteral("/ID000000001P.html")), pageBytes(expected));
    EXPECT_TRUE(shopHas(QStringLiteral("img/ID000000001PD.jpg")));
    EXPECT_EQ(context->searchIndex(), QStringList{QStringLiteral("parent.d('Lamp','ID000000001P.html',0)")});
    EXPECT_EQ(context->reportLines(), QStringList{QString()});
    EXPECT_EQ(context->progress(), 2);
    EXPECT_EQ(context->progressMaximum(), 2);
}

TEST_F(ProductPages, VariantSelectsAndWarningsForEmptyListsWithAWorkingButton)
{
    ProductRow p = product(QStringLiteral("ID000000002P"), QStringLiteral("Shirt"));
    p.status = QStringLiteral("Promotion");
    p.sizes = true;
    p.sizeList = QStringLiteral("S|M|L"); // text after the last separator is no item
    p.colours = true;                     // switched on, list empty
    p.dimensions = true;
    p.dimensionList = QStringLiteral("1x1|");
    addProduct(p);
    settings.options.textFlow = 0; // flow picture: no break before the text
    auto* category = node(nullptr, QStringLiteral("Shirts"), QStringLiteral("ID000000009K"));
    auto* entry = node(category, QStringLiteral("Shirt"), QStringLiteral("ID000000002P"));

    writeProductPages(*context);

    const QString expected =
        detailPageStart() + QStringLiteral("<p><b>Shirt<p align=justify></b>")
        + QStringLiteral("<BR clear=all><hr align=left width=70% color=#000000 size=1>")
        + QStringLiteral("<DEL><b><p>Price: 10,00 $</b></DEL><b><p>Price: 8,00 $</b>"
                         "&nbsp;&nbsp;<IMG SRC=\"img/promocja.gif\"><br>")
        + QStringLiteral("Size <select name=\"R\" size=\"1\"><option>S</option><option>M</option></select> ")
        + QStringLiteral("Dimensions <select name=\"W\" size=\"1\"><option>1x1</option></select> ")
        + detailButton(
            QStringLiteral("parent.e(m.t.value,8.00,&quot;Shirt&quot;,m.R.options[m.R.selectedIndex].text"
                           ",0,m.W.options[m.W.selectedIndex].text);"));
    EXPECT_EQ(page(QStringLiteral("ID000000002P.html")), QString::fromUtf8(pageBytes(expected)));
    EXPECT_EQ(context->warningCount(), 1);
    EXPECT_EQ(context->reportLines().last(),
              QStringLiteral("1 warning: product ") + entry->text()
                  + QStringLiteral(" color list is empty and can't be added to web shop"));
}

TEST_F(ProductPages, NamesWithQuotesAreEscapedInScriptCallsButShownAsTyped)
{
    addProduct(product(QStringLiteral("ID000000003P"), QStringLiteral("12\" TV 'Star'")));
    auto* category = node(nullptr, QStringLiteral("TV"), QStringLiteral("ID000000009K"));
    node(category, QStringLiteral("TV"), QStringLiteral("ID000000003P"));

    writeProductPages(*context);

    const QString html = page(QStringLiteral("ID000000003P.html"));
    EXPECT_TRUE(html.contains(QStringLiteral("<p><b>12\" TV 'Star'<")));
    EXPECT_TRUE(html.contains(
        QStringLiteral("parent.e(m.t.value,10.00,&quot;12\\&quot; TV \\&#39;Star\\&#39;&quot;,0,0,0);")));
    EXPECT_EQ(context->searchIndex().value(0),
              QStringLiteral("parent.d('12\\&quot; TV \\&#39;Star\\&#39;','ID000000003P.html',0)"));
}

TEST_F(ProductPages, SameProductUnderTwoCategoriesGetsOnePageAndTwoSearchLines)
{
    addProduct(product(QStringLiteral("ID000000004P"), QStringLiteral("Mug")));
    auto* first = node(nullptr, QStringLiteral("Kitchen"), QStringLiteral("ID000000010K"));
    auto* second = node(nullptr, QStringLiteral("Gifts"), QStringLiteral("ID000000011K"));
    node(first, QStringLiteral("Mug"), QStringLiteral("ID000000004P"));
    node(second, QStringLiteral("Mug"), QStringLiteral("iD000000004P"));  // lookups ignore case
    node(second, QStringLiteral("Gone"), QStringLiteral("ID000000099P")); // no record: no page, no report

    writeProductPages(*context);

    EXPECT_EQ(context->searchIndex(), (QStringList{QStringLiteral("parent.d('Mug','ID000000004P.html',0)"),
                                                   QStringLiteral("parent.d('Mug','ID000000004P.html',1)")}));
    EXPECT_FALSE(shopHas(QStringLiteral("ID000000099P.html")));
    EXPECT_EQ(context->warningCount(), 0);
    EXPECT_EQ(QDir(shop).entryList(QDir::Files), QStringList{QStringLiteral("ID000000004P.html")});
}

TEST_F(ProductPages, EmptyCatalogueWritesNothing)
{
    writeProductPages(*context);
    writeCategoryPages(*context);
    EXPECT_TRUE(QDir(shop).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(context->warningCount(), 0);
    EXPECT_TRUE(context->searchIndex().isEmpty());
}

TEST_F(ProductPages, ProductWithAnUnsafeIdGetsNoPage)
{
    addProduct(product(QStringLiteral("I/../../xxxP"), QStringLiteral("Bad")));
    auto* category = node(nullptr, QStringLiteral("C"), QStringLiteral("ID000000009K"));
    node(category, QStringLiteral("Bad"), QStringLiteral("I/../../xxxP"));
    writeProductPages(*context);
    writeCategoryPages(*context, [] { return 1u; });
    EXPECT_EQ(context->warningCount(), 1);
    EXPECT_TRUE(context->searchIndex().isEmpty());
    EXPECT_FALSE(page(QStringLiteral("ID000000009K.html")).contains(QStringLiteral("Bad")));
}
