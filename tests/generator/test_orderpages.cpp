#include "pagesfixture.h"

#include "generator/orderpages.h"
#include "generator/pagewriters.h"
#include "generator/savepage.h"

#include <QProcess>
#include <QStandardPaths>

using namespace generator;

namespace {

QString invoiceBlock()
{
    return QStringLiteral(
        "<table border=0 width=\"100%\"><td valign=\"top\"><table><td></td><td><b>Invoice:</b></td>  "
        "<tr><td>Company</td><td><input type=\"text\" name=\"FIRMA\" size=\"35\"></td></tr>  "
        "<tr><td>*Name</td><td><input type=\"text\" name=\"NAZWISKO\" size=\"35\"></td></tr> "
        "<tr><td>*Street</td><td><input type=\"text\" name=\"ULICA\" size=\"35\"></td></tr>     "
        "<tr><td>*Postcode</td><td><input type=\"text\" name=\"KOD\" size=\"35\"></td></tr>    "
        "<tr><td>*City</td><td><input type=\"text\" name=\"MIASTO\" size=\"35\"></td></tr>    "
        "<tr><td>Tel</td><td><input type=\"text\" name=\"TELEFON\" size=\"35\"></td></tr>   "
        "<tr><td>E-Mail</td><td><input type=\"text\" name=\"EMAIL\" size=\"35\"></td></tr></table></td>");
}

QString formStart()
{
    return QStringLiteral(
               "<html><head><meta http-equiv=\"content-type\" content=\"text/html;charset=UTF-8\" />"
               "</head><SCRIPT language=\"JavaScript\" src=\"sk.js\"></SCRIPT> "
               "<BODY style=\"margin:10\" bgcolor=\"#FFFFFF\"><h1><br>Order</h1>"
               "<script language=\"JavaScript\">parent.pisz();</script>"
               "<FORM ACTION=\"send.php\" method=post><table border=0>"
               "<INPUT type=\"hidden\"  name=\"ZAMOWIENIE\">      ")
           + invoiceBlock();
}

QString formEnd()
{
    return QStringLiteral(
               "</table><input type=\"button\" value=\"Send order\" onclick=\"validate()\"></td><br /><br />"
               "<TABLE width=100% border=0 cellPadding=0 cellSpacing=0 ><TD     bgColor=#FFFFFF >")
           + makerFooter() + QStringLiteral("</TD></TABLE></HEAD></HTML></form></body></html>");
}

} // namespace

class OrderPages : public PagesFixture {};

TEST_F(OrderPages, FormWithInvoiceBlockOnly)
{
    settings.separateDeliveryAddress = false;
    settings.options.includeDelivery = false;
    writeOrderPages(*context);
    EXPECT_EQ(testsupport::readFile(shop + QStringLiteral("/send.html")),
              pageBytes(formStart() + QStringLiteral("</tr>") + formEnd()));
    EXPECT_TRUE(shopHas(QStringLiteral("send.php")));
}

TEST_F(OrderPages, FormWithDeliveryAddressAndOfferedMethodsOnly)
{
    settings.separateDeliveryAddress = true;
    settings.options.includeDelivery = true;
    settings.deliveryMethods = {
        {QStringLiteral("Delivery method"), QStringLiteral("Price"), QString()}, // the grid's heading
        {QStringLiteral("Courier"), QStringLiteral("15,00"), QStringLiteral("1")},
        {QStringLiteral("Pick-up"), QStringLiteral("0"), QStringLiteral("0")},
        {QString(), QStringLiteral("3"), QStringLiteral("1")},
        {QStringLiteral("Post <i>fast</i>"), QStringLiteral("9,99"), QStringLiteral("1")},
    };
    const QString delivery = QStringLiteral(
        "<td><table><td></td><td><b>Delivery Adress:</b></td>                  "
        "<tr><td>Company</td><td><input type=\"text\" name=\"FIRMA2\" size=\"35\"></td></tr>       "
        "<tr><td>Name</td><td><input type=\"text\" name=\"NAZWISKO2\" size=\"35\"></td></tr>  "
        "<tr><td>Street</td><td><input type=\"text\" name=\"ULICA2\" size=\"35\"></td></tr>         "
        "<tr><td>Postcode</td><td><input type=\"text\" name=\"KOD2\" size=\"35\"></td></tr>         "
        "<tr><td>City</td><td><input type=\"text\" name=\"MIASTO2\" size=\"35\"></td></tr>          "
        "<tr><td>Order and delivery comments</td><td><textarea NAME=\"INFORMACJE\" ROWS=\"5\" COLS=\"40\">"
        "</textarea></td></tr></table></td>  </tr>"
        "<b>Delivery Method:</b><br /><select name=\"DELIVERY\"><option>Courier Price: 15,00</option>"
        "<option>Post <i>fast</i> Price: 9,99</option></select><hr align=left width=95% color=silver>");
    EXPECT_EQ(orderFormText(settings), formStart() + delivery + formEnd());
}

TEST_F(OrderPages, ScriptPiecesRecipientEscapedAndThanksWithoutPhpTags)
{
    settings.separateDeliveryAddress = false;
    settings.options.includeDelivery = false;
    settings.options.email = QStringLiteral("shop\"$x@example.com");
    settings.font.orderThanks = QStringLiteral("Thanks <?php echo 1; ?> a lot");
    const QString script = orderScriptText(settings);
    EXPECT_TRUE(script.startsWith(
        QStringLiteral("<html><head><meta http-equiv=\"content-type\" content=\"text/html;charset=UTF-8\" "
                       "/><title>TavRone</title>"
                       "</head><SCRIPT language=\"JavaScript\" src=\"sk.js\"></SCRIPT><BODY "
                       "style=\"margin:10\" bgcolor=\"#FFFFFF\">"
                       "<h1><br>Order</h1><p>&nbsp;</p><?php ")));
    EXPECT_TRUE(
        script.contains(QStringLiteral("mail(\"shop\\\"\\$x@example.com\",\"NEW ORDER\",$ZAMOWIENIE);")));
    EXPECT_TRUE(script.contains(QStringLiteral("<p>Thanks &lt;?php echo 1; ?> a lot</p>")));
    EXPECT_TRUE(script.endsWith(QStringLiteral(
        "<br /><br /><p>Your order:</p><script language=\"JavaScript\">parent.pisz();</script> "
        "</body></html>")));
    EXPECT_FALSE(script.contains(QStringLiteral("FIRMA2")));
    EXPECT_FALSE(script.contains(QStringLiteral("DELIVERY")));
    // The PHP statements stand on one line: line feeds only, no CR LF inside.
    EXPECT_FALSE(script.contains(QStringLiteral("\r")));
    EXPECT_TRUE(script.contains(QStringLiteral("$ZAMOWIENIE.=\"\nCompany: \".$FIRMA.\"\nName: ")));
}
