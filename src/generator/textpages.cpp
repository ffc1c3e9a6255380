#include "generator/textpages.h"

#include "catalogue/categorytree.h"
#include "generator/framepages.h"
#include "generator/priceblock.h"
#include "generator/productrecord.h"
#include "generator/savepage.h"
#include "generator/scriptescaping.h"
#include "shell/tables/table.h"

#include <QLocale>
#include <QSet>

#include <algorithm>

#include <vector>

namespace generator {

namespace {

using catalogue::TreeNode;

const QString kTdStyle =
    QStringLiteral("<STYLE>TD{FONT-FAMILY: verdana, arial; FONT-SIZE: 11px; MARGIN: 0px;}</STYLE>");
const QString kScriptUpper = QStringLiteral("<SCRIPT language=\"JavaScript\" SRC=\"sk.js\"></SCRIPT>");
const QString kContentType =
    QStringLiteral("<meta http-equiv=\"content-type\" content=\"text/html;charset=UTF-8\" />");

// Promotion and sale strike the regular price through in the price list; other statuses show it alone.
QString priceListCell(const QString& status, double regular, double promotion, const QLocale& locale)
{
    if (status == QStringLiteral("Promotion") || status == QStringLiteral("Sale")) {
        return QStringLiteral("<TD><del>") + priceText(regular, locale) + QStringLiteral("</del><br>")
               + priceText(promotion, locale);
    }
    return QStringLiteral("<TD>") + priceText(regular, locale);
}

QString statusIcon(const QString& status)
{
    if (status == QStringLiteral("New"))
        return QStringLiteral("&nbsp;&nbsp;<IMG SRC=\"img/new.gif\">");
    if (status == QStringLiteral("Promotion"))
        return QStringLiteral("&nbsp;&nbsp;<IMG SRC=\"img/promocja.gif\">");
    if (status == QStringLiteral("Sale"))
        return QStringLiteral("&nbsp;&nbsp;<IMG SRC=\"img/sale.gif\">");
    return {};
}

void writeTextPage(GeneratorContext& context, const QString& text, const QString& fileName)
{
    const QString page =
        QStringLiteral("<HTML><HEAD>") + kContentType + kGeneratorTag + QStringLiteral("</HEAD>")
        + kScriptUpper + textPagesBodyStyle() + QStringLiteral("<body bgcolor=\"#FFFFFF\">")
        + QStringLiteral("<BR><p align=justify>") + memoText(text) + QStringLiteral("</HTML>");
    context.writePage(page, context.shopFile(fileName));
}

} // namespace

QString textPagesBodyStyle()
{
    return QStringLiteral(
        "<STYLE>BODY {BACKGROUND-COLOR: #ffffff; COLOR: #000000; FONT-FAMILY: verdana, arial; "
        "FONT-SIZE: 11px; MARGIN: 10px; scrollbar-base-color: #FFFFFF}</STYLE>");
}

QString pictureFileName(const QString& path)
{
    const int cut = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(cut + 1);
}

namespace {

QString priceListText(const shell::Settings& settings, const std::vector<TreeNode*>& nodes,
                      const ProductLookup& lookup)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    QString page;
    page.reserve(qsizetype(nodes.size()) * 400 + 2048);
    page += commonHeadBlock() + kGeneratorTag + QStringLiteral("</HEAD>") + kScriptUpper + kTdStyle
            + textPagesBodyStyle() + QStringLiteral("<body bgcolor=\"#FFFFFF\">");
    page += settings.tableLines ? QStringLiteral("<TABLE BORDER=1 width=\"100%\">")
                                : QStringLiteral("<TABLE BORDER=0 width=\"100%\">");
    page += QStringLiteral("<BR><TR><TD width=\"40%\"><b>Name</b><TD width=\"25%\"><b>Category</b>"
                           "<TD width=\"15%\"><b>Price net</b><TD width=\"5%\"><b>VAT</b>"
                           "<TD width=\"15%\"><b>Price gross</b></TR>");
    const QString oddRow =
        QStringLiteral("<TR bgcolor=\"") + colorToHtml(settings.oddColor) + QStringLiteral("\">");
    const QString evenRow =
        QStringLiteral("<TR bgcolor=\"") + colorToHtml(settings.evenColor) + QStringLiteral("\">");
    QSet<QString> listed; // node texts folded: one row per product however often it is entered
    for (size_t i = 0; i < nodes.size(); ++i) {
        const TreeNode* node = nodes[i];
        const int position = int(i) + 1;
        if (!node->isProduct())
            continue;
        const QString folded = node->text().toCaseFolded();
        if (listed.contains(folded))
            continue;
        const ProductRecord* found = lookup.record(node->key());
        if (!found)
            continue;
        const ProductRecord& product = *found;
        if (!isSafeFileKey(product.id))
            continue; // reported by the product pass, which wrote no page to link to
        listed.insert(folded);
        const TreeNode* parent = node->parent();
        page += position % 2 == 1 ? oddRow : evenRow;
        page += QStringLiteral("<TD><a href=\"") + scriptescaping::htmlAttribute(product.id)
                + QStringLiteral(".html\">") + product.name;
        page += QStringLiteral("<TD>") + (parent && !parent->isRoot() ? parent->displayName() : QString());
        page += priceListCell(product.status, product.netPrice, product.promotionNetPrice, locale);
        page += QStringLiteral("<TD>") + product.vat;
        page += priceListCell(product.status, product.grossPrice, product.promotionGrossPrice, locale);
        page += QStringLiteral("<TD bgcolor=white>") + statusIcon(product.status) + QStringLiteral("</TD>");
        page += QStringLiteral("</TR>");
    }
    page += QStringLiteral("</TABLE></HTML>");
    return page;
}

} // namespace

void writePriceList(GeneratorContext& context)
{
    tables::Table& products = context.products();
    if (!products.filter().isEmpty())
        products.setFilter(QString());
    // One long page, made and written on a writer thread while the other pages are put together; the
    // tree and the lookup do not change during the run.
    const std::shared_ptr<const ProductLookup> lookup = context.productLookup();
    const shell::Settings& settings = context.settings();
    context.submitTask([&settings, lookup, nodes = context.tree().nodesInOrder(),
                        path = context.shopFile(QStringLiteral("cennik.html"))] {
        savePage(priceListText(settings, nodes, *lookup), path);
    });
}

void writeSearchPage(GeneratorContext& context)
{
    const shell::Settings& settings = context.settings();
    QString page = commonHeadBlock() + kGeneratorTag + QStringLiteral("</HEAD>") + kScriptUpper + kTdStyle
                   + textPagesBodyStyle();
    page += QStringLiteral("<form name=\"f\">");
    page += QStringLiteral("<body onLoad=\"");
    for (const QString& line : context.searchIndex())
        page += line + QStringLiteral("\r\n");
    page += QStringLiteral("\">");
    page += QStringLiteral("<table><br><td height=\"30\" bgcolor=\"") + colorToHtml(settings.headerColor)
            + QStringLiteral("\">");
    page += QStringLiteral(
        "<b>Search product: </b><input type=\"text\" name=\"FIND\" size=\"35\">"
        "<button  style=\"cursor:pointer;\" ONCLICK=\"parent.szukaj(f.FIND.value)\">search</button>");
    page += QStringLiteral("</td></table>enter product name (case sensitive)<p>");
    page += makerFooter() + QStringLiteral("</P>");
    page += QStringLiteral("</body></form></html>");
    context.searchIndex().clear();
    context.writePage(page, context.shopFile(QStringLiteral("find.html")));
}

void writeWelcomePage(GeneratorContext& context)
{
    const shell::Settings& settings = context.settings();
    QString page =
        QStringLiteral("<HTML><HEAD>") + kContentType + QStringLiteral("</HEAD>") + textPagesBodyStyle();
    page += QStringLiteral("<BR><BR><BR><p align=center>") + memoText(settings.welcomeText);
    if (!settings.options.bannerPath.isEmpty()) {
        // Percent-encoded like the logo: "?", "#", "%" or a quote in the name would break the reference.
        page += QStringLiteral("<BR><BR><IMG src=\"img/")
                + percentEncodedName(pictureFileName(settings.options.bannerPath))
                + QStringLiteral("\" align=center><BR clear=left><BR>");
    }
    page += QStringLiteral("</HTML>");
    context.writePage(page, context.shopFile(QStringLiteral("powitanie.html")));
}

void writeAboutPage(GeneratorContext& context)
{
    writeTextPage(context, context.settings().infoText, QStringLiteral("onas.html"));
}

void writeTermsPage(GeneratorContext& context)
{
    writeTextPage(context, context.settings().regulationText, QStringLiteral("regulamin.html"));
}

} // namespace generator
