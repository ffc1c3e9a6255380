#include "pagesfixture.h"

#include "generator/filewriterpool.h"
#include "generator/pagewriters.h"
#include "generator/productpages.h"
#include "generator/productrecord.h"
#include "generator/savepage.h"
#include "generator/shoppictures.h"

#include <QRegularExpression>

using namespace generator;

namespace {

QString categoryHead()
{
    return commonHeadBlock() + QStringLiteral("<META NAME=\"GENERATOR\"CONTENT=\"Tavrone Kalmenor\"></HEAD>")
           + QStringLiteral("<script language=\"Javascript\" SRC=\"sk.js\"></script>")
           + QStringLiteral("<style>td{font-family: Arial;color: #000000;font-size: 11;margin: 0;"
                            "letter-spacing: 0.1em;word-spacing: 0.5em}</style>")
           + QStringLiteral("<body bgcolor=\"#FFFFFF\"><form name=\"f\"><Table width=\"100%\" border=\"0\" "
                            "cellpadding=\"3\"><TR>");
}

const QString kCell =
    QStringLiteral("<TD  style=\"border-top:none; border-bottom: #838EAB solid 1px;\" valign=\"top\"> ");

// Suffixes 1, 2, 3 … in drawing order.
std::function<quint32()> counting()
{
    auto next = std::make_shared<quint32>(0);
    return [next] { return ++*next; };
}

} // namespace

class CategoryPages : public PagesFixture {};

TEST_F(CategoryPages, TileByteForByteWithPictureVariantsAndEscapedName)
{
    ProductRow p = product(QStringLiteral("ID000000001P"), QStringLiteral("Rock'n'roll"));
    p.shortDescription = QStringLiteral("Short <b>text</b>");
    p.status = QStringLiteral("New");
    p.sizes = true;
    p.sizeList = QStringLiteral("S|M|");
    p.colours = true; // empty list
    addProduct(p);
    writePicture(QStringLiteral("ID000000001PM.jpg"));
    settings.options.imageWidth = 100;
    settings.options.imageHeight = 80;
    ASSERT_TRUE(products.locate(QStringLiteral("ID"), QStringLiteral("ID000000001P")));
    const ProductRecord record = currentProductRecord(products);

    const QString tile = productTileText(CataloguePageParts(settings), record, {7, 4242}, true);
    warnEmptyVariantLists(*context, record, QStringLiteral("Rock'n'roll ID000000001P"));

    const QString expected =
        QStringLiteral("<TABLE  width=\"100%\" border=\"0\"><TD width=\"100%\"><p><b>Rock'n'roll")
        + QStringLiteral("<img width=\"100\" height=\"80\" align=left style=\"cursor:pointer;\" "
                         "SRC=\"img/ID000000001PM.jpg\" BORDER=\"0\" VSPACE=10 ONCLICK=\""
                         "parent.body.document.location.href='ID000000001P.html'\"><BR clear=all>")
        + QStringLiteral("</b><p align=justify>Short <b>text</b><TR><TD width=\"100%\">")
        + QStringLiteral("<b><p>Price: 10,00 $</b>&nbsp;&nbsp;<IMG SRC=\"img/new.gif\"><br>")
        + QStringLiteral(
            "Size <select name=\"R4242\"size=\"1\"><option>S</option><option>M</option></select> ")
        + QStringLiteral(
            "<br><IMG NAME=\"m7\" SRC=\"img/more.jpg\" alt=\"More...\" style=\"cursor:pointer;\" "
            "onMouseOver=\"m7.src='img/moreb.jpg'\" onMouseOut=\"m7.src='img/more.jpg'\" ONCLICK=\""
            "parent.body.document.location.href='ID000000001P.html'\">")
        + QStringLiteral("</b> &nbsp;Quantity: <input type=\"text\" name=\"t4242\" value=\"1\" size=\"2\" "
                         "ONKEYUP=\"if(isNaN(value)==true){alert('Enter the correct value!');value='1';}\" >")
        + QStringLiteral(
            "<IMG NAME=\"k7\" SRC=\"img/kupuj.jpg\" alt=\"Add to cart\" style=\"cursor:pointer;\" "
            "onMouseOver=\"k7.src='img/kupujb.jpg'\" onMouseOut=\"k7.src='img/kupuj.jpg'\" "
            "ONCLICK=\"parent.e(f.t4242.value,10.00,&quot;Rock\\&#39;n\\&#39;roll&quot;,"
            "f.R4242.options[f.R4242.selectedIndex].text,0,0);\"><BR></TABLE>");
    EXPECT_EQ(tile, expected);
    EXPECT_EQ(
        context->reportLines(),
        QStringList{QStringLiteral("1 warning: product Rock'n'roll ID000000001P color list is empty and "
                                   "can't be added to web shop")});

    // Without a fixed size and with flowing text; a missing picture leaves the img tag out.
    settings.options.fixedImageSize = false;
    settings.options.textFlow = 0;
    const QString flowing = productTileText(CataloguePageParts(settings), record, {7, 1}, true);
    EXPECT_TRUE(flowing.contains(QStringLiteral("<b>Rock'n'roll<img  align=left style")));
    EXPECT_TRUE(flowing.contains(QStringLiteral("\"></b><p align=justify>")));
    const QString bare = productTileText(CataloguePageParts(settings), record, {7, 1}, false);
    EXPECT_FALSE(bare.contains(QStringLiteral("<img ")));
}

TEST_F(CategoryPages, SmallPicturesCopiedOnceReplacingOldCopiesAndBrokenOnesLeftOut)
{
    auto* first = node(nullptr, QStringLiteral("First"), QStringLiteral("ID000000100K"));
    auto* second = node(nullptr, QStringLiteral("Second"), QStringLiteral("ID000000101K"));
    addProduct(product(QStringLiteral("ID000000001P"), QStringLiteral("Shown")));
    addProduct(product(QStringLiteral("ID000000002P"), QStringLiteral("Broken")));
    node(first, QStringLiteral("Shown"), QStringLiteral("ID000000001P"));
    node(first, QStringLiteral("Broken"), QStringLiteral("ID000000002P"));
    node(second, QStringLiteral("Shown"), QStringLiteral("ID000000001P"));
    writePicture(QStringLiteral("ID000000001PM.jpg"));
    testsupport::writeFile(folder.pictures() + QStringLiteral("ID000000002PM.jpg"), "not a picture");
    testsupport::writeFile(shop + QStringLiteral("/img/ID000000001PM.jpg"), "copy of an earlier run");

    {
        FileWriterPool pool(2); // the pages are made and written by its threads
        context->setWriterPool(&pool);
        writeCategoryPages(*context, counting());
        context->finishWrites();
        context->setWriterPool(nullptr);
    }

    EXPECT_EQ(testsupport::readFile(shop + QStringLiteral("/img/ID000000001PM.jpg")),
              testsupport::readFile(folder.pictures() + QStringLiteral("ID000000001PM.jpg")));
    EXPECT_FALSE(QFile::exists(shop + QStringLiteral("/img/ID000000002PM.jpg")));
    const QString firstPage =
        QString::fromUtf8(testsupport::readFile(shop + QStringLiteral("/ID000000100K.html")));
    const QString secondPage =
        QString::fromUtf8(testsupport::readFile(shop + QStringLiteral("/ID000000101K.html")));
    EXPECT_EQ(firstPage.count(QStringLiteral("<img ")), 1);
    EXPECT_EQ(secondPage.count(QStringLiteral("SRC=\"img/ID000000001PM.jpg\"")), 1);
    EXPECT_TRUE(context->failedPictureCopies().isEmpty());
}

TEST_F(CategoryPages, PagesOfOneNameLeaveTheLaterOneAsWhenWrittenInTurn)
{
    // Two categories of one key, beside the product pages.
    node(nullptr, QStringLiteral("Earlier"), QStringLiteral("ID000000100K"));
    auto* later = node(nullptr, QStringLiteral("Later"), QStringLiteral("ID000000100K"));
    addProduct(product(QStringLiteral("ID000000001P"), QStringLiteral("Only in the later one")));
    node(later, QStringLiteral("Only in the later one"), QStringLiteral("ID000000001P"));

    FileWriterPool pool(2);
    context->setWriterPool(&pool);
    writeProductPages(*context);
    writeCategoryPages(*context, counting());
    context->finishWrites();
    context->setWriterPool(nullptr);

    EXPECT_TRUE(
        testsupport::readFile(shop + QStringLiteral("/ID000000100K.html")).contains("Only in the later one"));
    EXPECT_TRUE(
        testsupport::readFile(shop + QStringLiteral("/ID000000001P.html")).contains("<form name=\"m\">"));
}

TEST_F(CategoryPages, ColumnCountThreeWithSevenProducts)
{
    settings.options.columnsIndex = 2; // "3"
    auto* category = node(nullptr, QStringLiteral("All"), QStringLiteral("ID000000100K"));
    for (int i = 1; i <= 7; ++i) {
        const QString id = QStringLiteral("ID00000000%1P").arg(i);
        addProduct(product(id, QStringLiteral("P%1").arg(i)));
        node(category, QStringLiteral("P%1").arg(i), id);
    }

    writeCategoryPages(*context, counting());

    const QStringList lines = page(QStringLiteral("ID000000100K.html")).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 3); // head, one row line, nothing after the last CR LF
    EXPECT_EQ(lines[0], categoryHead());
    EXPECT_TRUE(lines[2].isEmpty());
    const QString row = lines[1];
    EXPECT_TRUE(row.startsWith(QStringLiteral("</tr>") + kCell));
    EXPECT_EQ(row.count(kCell), 7);
    EXPECT_EQ(row.count(QStringLiteral("</td></tr>")), 2);
    const int third = row.indexOf(QStringLiteral("name=\"t3\""));
    const int fourth = row.indexOf(QStringLiteral("name=\"t4\""));
    const int sixth = row.indexOf(QStringLiteral("name=\"t6\""));
    const int firstBreak = row.indexOf(QStringLiteral("</td></tr>"));
    const int secondBreak = row.indexOf(QStringLiteral("</td></tr>"), firstBreak + 1);
    EXPECT_TRUE(third < firstBreak && firstBreak < fourth);
    EXPECT_TRUE(sixth < secondBreak);
    EXPECT_TRUE(row.endsWith(QStringLiteral("</TABLE></td>")));
    EXPECT_EQ(context->reportLines(), QStringList{QStringLiteral("create category All ID000000100K")});
    EXPECT_EQ(context->progress(), 2); // the category and one run
}

TEST_F(CategoryPages, RunsSplitBySubcategoriesMissingAndTopLevelProducts)
{
    for (int i = 1; i <= 4; ++i)
        addProduct(product(QStringLiteral("ID00000000%1P").arg(i), QStringLiteral("P%1").arg(i)));
    auto* top = node(nullptr, QStringLiteral("Top"), QStringLiteral("ID000000100K"));
    node(top, QStringLiteral("P1"), QStringLiteral("ID000000001P"));
    node(top, QStringLiteral("P2"), QStringLiteral("ID000000002P"));
    auto* sub = node(top, QStringLiteral("Sub"), QStringLiteral("ID000000200W"));
    node(sub, QStringLiteral("P3"), QStringLiteral("ID000000003P"));
    auto* missing = node(top, QStringLiteral("Gone"), QStringLiteral("ID000000099P"));
    node(top, QStringLiteral("P4"), QStringLiteral("ID000000004P"));
    node(top, QStringLiteral("P1"), QStringLiteral("ID000000001P")); // same product twice in one page
    auto* loose = node(nullptr, QStringLiteral("Loose"), QStringLiteral("ID000000002P"));

    writeCategoryPages(*context, counting());

    const QStringList topLines = page(QStringLiteral("ID000000100K.html")).split(QStringLiteral("\r\n"));
    ASSERT_EQ(topLines.size(), 4);
    EXPECT_EQ(topLines[1].count(kCell), 2);
    EXPECT_TRUE(topLines[1].contains(QStringLiteral(">P1<")) && topLines[1].contains(QStringLiteral(">P2<")));
    EXPECT_TRUE(topLines[2].startsWith(QStringLiteral("</tr>") + kCell));
    EXPECT_EQ(topLines[2].count(kCell), 2);
    EXPECT_TRUE(topLines[2].contains(QStringLiteral(">P4<")));
    // Suffixes are unique within the page, also for the same product shown twice.
    const QRegularExpression quantity(QStringLiteral("name=\"t(\\d+)\""));
    QStringList suffixes;
    for (int line = 1; line <= 2; ++line) {
        for (const auto& m : quantity.globalMatch(topLines[line]))
            suffixes << m.captured(1);
    }
    EXPECT_EQ(suffixes.size(), 4);
    EXPECT_EQ(suffixes.removeDuplicates(), 0);

    const QStringList subLines = page(QStringLiteral("ID000000200W.html")).split(QStringLiteral("\r\n"));
    ASSERT_EQ(subLines.size(), 3);
    EXPECT_TRUE(subLines[1].contains(QStringLiteral(">P3<")));
    EXPECT_FALSE(topLines[1].contains(QStringLiteral(">P3<"))
                 || topLines[2].contains(QStringLiteral(">P3<")));

    EXPECT_EQ(
        context->reportLines(),
        (QStringList{QStringLiteral("create category Top ID000000100K"),
                     QStringLiteral("create category Sub ID000000200W"),
                     QStringLiteral("1 warning: product is missing:  ") + missing->text(),
                     QStringLiteral("2 warning: product ") + loose->text()
                         + QStringLiteral(" is not inside a category and can't be added to web shop")}));
    EXPECT_EQ(context->warningCount(), 2);
}

TEST_F(CategoryPages, CategoryWithoutProductsKeepsItsHeadAndNestedPagesCloseInOrder)
{
    addProduct(product(QStringLiteral("ID000000001P"), QStringLiteral("P1")));
    auto* a = node(nullptr, QStringLiteral("A"), QStringLiteral("ID000000100K"));
    auto* b = node(a, QStringLiteral("B"), QStringLiteral("ID000000200W"));
    node(b, QStringLiteral("C"), QStringLiteral("ID000000300W"));
    node(nullptr, QStringLiteral("D"), QStringLiteral("ID000000400K"));
    node(a, QStringLiteral("P1"), QStringLiteral("ID000000001P"));

    writeCategoryPages(*context, counting());

    for (const char* key : {"ID000000200W", "ID000000300W", "ID000000400K"})
        EXPECT_EQ(page(QString::fromLatin1(key) + QStringLiteral(".html")),
                  categoryHead() + QStringLiteral("\r\n"));
    const QStringList aLines = page(QStringLiteral("ID000000100K.html")).split(QStringLiteral("\r\n"));
    ASSERT_EQ(aLines.size(), 3);
    EXPECT_TRUE(aLines[1].contains(QStringLiteral(">P1<")));
}
