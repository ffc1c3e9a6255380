#include "generator/framepages.h"

#include "catalogue/categorytree.h"
#include "generator/relativelink.h"
#include "generator/savepage.h"
#include "shell/tables/table.h"

#include <QFileInfo>

namespace generator {

using catalogue::TreeNode;

QString quoteAttribute(const QString& text)
{
    QString result = text;
    result.replace(QLatin1Char('"'), QStringLiteral("&quot;"));
    return result;
}

QString pictureReference(const QString& path)
{
    return percentEncodedName(QFileInfo(path).fileName());
}

QString percentEncodedName(const QString& name)
{
    QString result;
    for (const QChar c : name) {
        if (c == QLatin1Char('%') || c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('#')
            || c == QLatin1Char('?'))
            result += QStringLiteral("%%1").arg(int(c.unicode()), 2, 16, QLatin1Char('0')).toUpper();
        else
            result += c;
    }
    return result;
}

QString bodyStartPage(GeneratorContext& context)
{
    const QString searchPage = QStringLiteral("find.html");
    if (context.settings().options.includeWelcomePage)
        return QStringLiteral("powitanie.html");
    if (context.tree().isEmpty())
        return searchPage;
    const TreeNode* first = context.tree().topLevel(0);
    QString name = first->key();
    if (first->isProduct()) {
        // Product pages are named by the record's ID, which may differ from the key in case.
        if (!catalogue::products::locateProduct(context.products(), name))
            return searchPage;
        name = context.products().text(catalogue::products::kId);
    }
    if (!isSafeFileKey(name))
        return searchPage;
    return name + QStringLiteral(".html");
}

void writeIndexPage(GeneratorContext& context)
{
    const shell::Settings& s = context.settings();
    QString page = commonHeadBlock();
    page += QStringLiteral("<TITLE>") + s.options.title + QStringLiteral("</TITLE>");
    page += kGeneratorTagFrameSet;
    page += QStringLiteral("<META NAME=\"DESCRIPTION\" CONTENT=\"")
            + quoteAttribute(memoText(s.metaDescription)) + QStringLiteral("\">");
    page += QStringLiteral("<META NAME=\"KEYWORDS\" CONTENT=\"") + quoteAttribute(memoText(s.metaKeywords))
            + QStringLiteral("\">");
    page += QStringLiteral("</head>");
    page += QStringLiteral("<SCRIPT language=\"JavaScript\" src=\"sk.js\"></SCRIPT>");
    page += QStringLiteral("<FRAMESET ROWS=\"100,*\" frameborder=\"NO\" border=\"0\" framespacing=\"0\">");
    page += QStringLiteral(
        "<frame src=\"top.html\" scrolling=\"NO\" frameborder=\"NO\" noresize marginwidth=\"5\" "
        "marginheight=\"5\" name=\"top\">");
    page += QStringLiteral("<FRAMESET COLS=20%,*>");
    page += QStringLiteral("<frame src=\"menu.html\" scrolling=\"AUTO\" frameborder=\"NO\" noresize "
                           "marginwidth=\"5\" marginheight=\"5\" name=\"menu\">");
    page += QStringLiteral("<frame src=\"") + bodyStartPage(context)
            + QStringLiteral(
                "\" scrolling=\"AUTO\" frameborder=\"NO\" noresize marginwidth=\"8\" marginheight=\"0\" "
                "name=\"body\">");
    page += QStringLiteral("<noframes><body></body></noframes></html>");
    context.writePage(page, context.shopFile(context.startPage()));
    context.report(QStringLiteral("Web Shop INDEX: ") + context.shopFile(context.startPage()));
}

namespace {

QString bodyButton(const QString& name, const QString& target)
{
    return QStringLiteral(
               "&nbsp;&nbsp;<IMG NAME=\"%1\" src=\"img/%1.jpg\"  style=\"cursor:pointer;\"ONCLICK=\""
               "parent.body.document.location.href='%2'\" onMouseOver=\"document.%1.src='img/%1b.jpg'\" "
               "onMouseOut=\"document.%1.src='img/%1.jpg'\">")
        .arg(name, target);
}

} // namespace

void writeTopPage(GeneratorContext& context)
{
    const shell::Settings& s = context.settings();
    QString page = commonHeadBlock();
    page += kGeneratorTag;
    page += QStringLiteral("<SCRIPT language=\"JavaScript\" src=\"sk.js\"></SCRIPT></HEAD>");
    page += QStringLiteral("<STYLE>TD{FONT-FAMILY: verdana, arial; FONT-SIZE: 11px; MARGIN: 10px;}</STYLE>");
    page += QStringLiteral("<BODY bgcolor=\"") + colorToHtml(s.headerColor) + QStringLiteral("\">");
    if (s.options.headerShowsLogo)
        page += QStringLiteral("<TABLE height=100% width=100% style=\"background-image:url('")
                + QStringLiteral("img/") + pictureReference(s.options.logoPath)
                + QStringLiteral("');background-repeat:no-repeat;\">");
    else
        page += QStringLiteral("<TABLE  width=100%>");
    page += QStringLiteral("<TD align=center valign=top>");
    page += QStringLiteral(
        "<IMG NAME=\"b1\" src=\"img/b1.jpg\"  style=\"cursor:pointer;\" ONCLICK=\"parent.pisz(1)\" "
        "onMouseOver=\"document.b1.src='img/b1b.jpg'\" onMouseOut=\"document.b1.src='img/b1.jpg'\">");
    page += bodyButton(QStringLiteral("b3"), QStringLiteral("send.html"));
    if (s.options.includeInformation)
        page += bodyButton(QStringLiteral("b4"), QStringLiteral("onas.html"));
    if (s.options.includePriceList)
        page += bodyButton(QStringLiteral("b5"), QStringLiteral("cennik.html"));
    if (s.options.includeRegulation)
        page += bodyButton(QStringLiteral("b6"), QStringLiteral("regulamin.html"));
    page += bodyButton(QStringLiteral("b7"), QStringLiteral("find.html"));
    page += QStringLiteral("</TD>") + QStringLiteral("</TABLE>");
    if (!s.options.headerShowsLogo) {
        const QStringList alignments = shell::alignmentNames();
        page += QStringLiteral("<font size=5 color=\"") + colorToHtml(s.font.headerTextColor)
                + QStringLiteral("\"><P align=\"") + alignments.value(s.options.headerAlignment)
                + QStringLiteral("\">") + s.options.shopName + QStringLiteral("</font><BR>");
    }
    page += QStringLiteral("</HEAD></FORM></HTML>");
    context.writePage(page, context.shopFile(QStringLiteral("top.html")));
}

void writeMenuPage(GeneratorContext& context)
{
    const shell::Settings& s = context.settings();
    const QString pageStyle =
        QStringLiteral("BACKGROUND-COLOR: #ffffff; COLOR: #000000; FONT-FAMILY: verdana, arial; "
                       "FONT-SIZE: %1px; MARGIN: 0px; scrollbar-base-color: #FFFFFF");
    QString page = commonHeadBlock();
    page += kGeneratorTagUpperWithHead;
    page += QStringLiteral("<SCRIPT language=\"JavaScript\" SRC=\"sk.js\"></SCRIPT>");
    page +=
        QStringLiteral("<SCRIPT>function Go(page,num){if(num!=0){var okienko=window.open(page);}}</SCRIPT>");
    page += QStringLiteral("<STYLE>td {") + pageStyle.arg(10) + QStringLiteral("}</STYLE>");
    page += QStringLiteral("<style type=\"text/css\">.navig a:hover,.navig td:hover")
            + QStringLiteral("{background-color:") + colorToHtml(s.options.menuHighlightColor)
            + QStringLiteral(";color:") + colorToHtml(s.options.menuColor) + QStringLiteral(";}</style>");
    page += QStringLiteral("<link rel=\"stylesheet\" type=\"text/css\" href=\"navig.css\">")
            + QStringLiteral("<link rel=\"stylesheet\" href=\"color.css\" type=\"text/css\">");
    page += QStringLiteral("<STYLE>BODY {") + pageStyle.arg(9)
            + QStringLiteral("}</STYLE><form name=\"m\"><body><table width=\"100%\">");
    if (s.options.includeLinks) {
        page += QStringLiteral(
            "<BR><SELECT width=\"100%\" NAME=\"ComboBox1\" onchange=\""
            "Go(m.ComboBox1.options[m.ComboBox1.selectedIndex].value,m.ComboBox1.selectedIndex);\">");
        page += QStringLiteral("<OPTION>") + s.options.linksHeading + QStringLiteral("</OPTION>");
        const QString base = context.shopFile(QStringLiteral("top.html"));
        for (const shell::HyperLink& link : s.links) {
            if (link.name.isEmpty())
                continue;
            page += QStringLiteral("<OPTION Value=\"") + relativeLink(base, link.path) + QStringLiteral("\">")
                    + link.name;
        }
        page += QStringLiteral("</SELECT><BR><BR></table>");
    }
    page += QStringLiteral("<br></table>menu<br><div class=\"navig\">");
    context.tree().walk([&page](TreeNode& node) {
        // Categories whose key cannot name a file get no page, so no menu entry either.
        if (node.isProduct() || !isSafeFileKey(node.key()))
            return;
        page += QStringLiteral("<b>") + QStringLiteral("<td class=\"navig\" align=\"left\">")
                + QStringLiteral("<a href=\"") + node.key() + QStringLiteral(".html\" target=\"body\">")
                + QStringLiteral("&nbsp;&nbsp;").repeated(node.depth()) + node.displayName()
                + QStringLiteral("</a>") + QStringLiteral("</b>") + QStringLiteral("<tr>");
    });
    page += QStringLiteral("</div>") + QStringLiteral("</body></form></head></html>");
    context.writePage(page, context.shopFile(QStringLiteral("menu.html")));
}

} // namespace generator
