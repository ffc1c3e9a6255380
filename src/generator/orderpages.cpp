#include "generator/orderpages.h"

#include "generator/savepage.h"
#include "generator/scriptescaping.h"

namespace generator {

namespace {

const QString kHead =
    QStringLiteral("<html><head><meta http-equiv=\"content-type\" content=\"text/html;charset=UTF-8\" />");
const QString kLf = QStringLiteral("\n");

struct FormRow {
    const char* label;
    const char* field;
    int trailingBlanks;
};

QString formRow(const FormRow& row)
{
    return QStringLiteral("<tr><td>") + QLatin1String(row.label)
           + QStringLiteral("</td><td><input type=\"text\" name=\"") + QLatin1String(row.field)
           + QStringLiteral("\" size=\"35\"></td></tr>") + QString(row.trailingBlanks, QLatin1Char(' '));
}

// A PHP statement reading a posted field; posted() gives '' for a missing field or an array.
QString readField(const char* field)
{
    return QLatin1Char('$') + QLatin1String(field) + QStringLiteral(" = posted('") + QLatin1String(field)
           + QStringLiteral("');");
}

} // namespace

QString orderFormText(const shell::Settings& settings)
{
    QString page = kHead + QStringLiteral("</head>");
    page += QStringLiteral("<SCRIPT language=\"JavaScript\" src=\"sk.js\"></SCRIPT> ");
    page += QStringLiteral("<BODY style=\"margin:10\" bgcolor=\"#FFFFFF\"><h1><br>Order</h1>");
    page += QStringLiteral("<script language=\"JavaScript\">parent.pisz();</script>");
    page += QStringLiteral("<FORM ACTION=\"send.php\" method=post><table border=0>");
    page += QStringLiteral("<INPUT type=\"hidden\"  name=\"ZAMOWIENIE\">      ");

    page += QStringLiteral(
        "<table border=0 width=\"100%\"><td valign=\"top\"><table><td></td><td><b>Invoice:</b></td>  ");
    const FormRow invoiceRows[] = {
        {"Company", "FIRMA", 2}, {"*Name", "NAZWISKO", 1}, {"*Street", "ULICA", 5},
        {"*Postcode", "KOD", 4}, {"*City", "MIASTO", 4},   {"Tel", "TELEFON", 3},
    };
    for (const FormRow& row : invoiceRows)
        page += formRow(row);
    page += QStringLiteral(
        "<tr><td>E-Mail</td><td><input type=\"text\" name=\"EMAIL\" size=\"35\"></td></tr></table></td>");

    if (settings.separateDeliveryAddress) {
        page += QStringLiteral("<td><table><td></td><td><b>Delivery Adress:</b></td>")
                + QString(18, QLatin1Char(' '));
        const FormRow deliveryRows[] = {
            {"Company", "FIRMA2", 7}, {"Name", "NAZWISKO2", 2}, {"Street", "ULICA2", 9},
            {"Postcode", "KOD2", 9},  {"City", "MIASTO2", 10},
        };
        for (const FormRow& row : deliveryRows)
            page += formRow(row);
        page += QStringLiteral(
            "<tr><td>Order and delivery comments</td><td><textarea NAME=\"INFORMACJE\" ROWS=\"5\" "
            "COLS=\"40\"></textarea></td></tr></table></td>  ");
    }
    page += QStringLiteral("</tr>");

    if (settings.options.includeDelivery) {
        page += QStringLiteral("<b>Delivery Method:</b><br /><select name=\"DELIVERY\">");
        for (const shell::DeliveryMethodRow& method : settings.deliveryMethods) {
            if (method.offered())
                page += QStringLiteral("<option>") + method.name + QStringLiteral(" Price: ") + method.price
                        + QStringLiteral("</option>");
        }
        page += QStringLiteral("</select><hr align=left width=95% color=silver>");
    }
    page += QStringLiteral("</table>");
    page += QStringLiteral(
        "<input type=\"button\" value=\"Send order\" onclick=\"validate()\"></td><br /><br />");
    page +=
        QStringLiteral("<TABLE width=100% border=0 cellPadding=0 cellSpacing=0 ><TD     bgColor=#FFFFFF >")
        + makerFooter() + QStringLiteral("</TD></TABLE></HEAD></HTML>");
    page += QStringLiteral("</form></body></html>");
    return page;
}

QString orderScriptText(const shell::Settings& settings)
{
    const bool deliveryAddress = settings.separateDeliveryAddress;
    const bool deliveryMethod = settings.options.includeDelivery;

    QString page = kHead + QStringLiteral("<title>TavRone</title></head>");
    page += QStringLiteral("<SCRIPT language=\"JavaScript\" src=\"sk.js\"></SCRIPT>");
    page += QStringLiteral("<BODY style=\"margin:10\" bgcolor=\"#FFFFFF\"><h1><br>Order</h1><p>&nbsp;</p>");

    // Every field is read with a default, so a request without it (a robot's GET, a field posted as an
    // array) prints no warning, and the mail goes out only for a posted order.
    page += QStringLiteral("<?php ");
    // Browsers post line breaks as CR LF; the mail keeps line feeds only, as the script's own lines. A
    // NUL byte makes mail() throw instead of sending, so none is kept.
    page += QStringLiteral("function posted($name){return isset($_POST[$name])&&is_string($_POST[$name])"
                           "?str_replace(array(\"\\0\",\"\\r\\n\"),array('',\"\\n\"),$_POST[$name]):'';}");
    for (const char* field : {"FIRMA", "NAZWISKO", "ULICA", "KOD", "MIASTO", "TELEFON", "EMAIL"})
        page += readField(field);
    if (deliveryAddress) {
        for (const char* field : {"FIRMA2", "NAZWISKO2", "ULICA2", "KOD2", "MIASTO2", "INFORMACJE"})
            page += readField(field);
    }
    if (deliveryMethod)
        page += readField("DELIVERY");
    page += readField("ZAMOWIENIE");
    page += QStringLiteral("$SENT=null;");
    page += QStringLiteral(
        "if(isset($_SERVER['REQUEST_METHOD'])&&$_SERVER['REQUEST_METHOD']==='POST'&&$ZAMOWIENIE!==''){");
    page += QStringLiteral("$ZAMOWIENIE.=\"") + kLf + QStringLiteral("Company: \".$FIRMA.\"") + kLf
            + QStringLiteral("Name: \".$NAZWISKO.\"") + kLf + QStringLiteral("Street: \".$ULICA.\"") + kLf
            + QStringLiteral("Post code: \".$KOD.\"") + kLf + QStringLiteral("City: \".$MIASTO.\"") + kLf
            + QStringLiteral("Tel. \".$TELEFON.\"") + kLf + QStringLiteral("e-mail: \".$EMAIL;");
    if (deliveryAddress) {
        page += QStringLiteral("$ZAMOWIENIE.=\"") + kLf + QStringLiteral("Delivery adress:") + kLf
                + QStringLiteral("Company: \".$FIRMA2.\"") + kLf + QStringLiteral("Name: \".$NAZWISKO2.\"")
                + kLf + QStringLiteral("Street: \".$ULICA2.\"") + kLf
                + QStringLiteral("Post code: \".$KOD2.\"") + kLf + QStringLiteral("City: \".$MIASTO2.\"")
                + kLf + QStringLiteral("Msg: \".$INFORMACJE;");
    }
    if (deliveryMethod)
        page +=
            QStringLiteral("$ZAMOWIENIE.=\"") + kLf + kLf + QStringLiteral("Delivery method:\".$DELIVERY;");
    // mail() reports its own failure as a warning; the page says it in its own words instead.
    // PHP 8 throws from mail() (a ValueError, for one) where older versions returned false; either way
    // the customer is told the order did not go out.
    page += QStringLiteral("try{$SENT=@mail(\"") + scriptescaping::phpDoubleQuoted(settings.options.email)
            + QStringLiteral("\",\"NEW ORDER\",$ZAMOWIENIE);}catch(\\Throwable $e){$SENT=false;}");
    page += QStringLiteral("}?>");

    // The thanks are shown only for an order that went out; "<?" in them must not start PHP code.
    QString thanks = settings.font.orderThanks;
    thanks.replace(QStringLiteral("<?"), QStringLiteral("&lt;?"));
    page += QStringLiteral("<?php if($SENT===true){ ?>") + QStringLiteral("<p>") + thanks
            + QStringLiteral("</p>");
    page += QStringLiteral(
        "<?php }elseif($SENT===false){ ?><p>Your order could not be sent. Please try again.</p>");
    page += QStringLiteral("<?php }else{ ?><p>No order has been received.</p><?php } ?>");
    page += QStringLiteral("<br /><br /><p>Your order:</p>");
    page += QStringLiteral("<script language=\"JavaScript\">parent.pisz();</script> </body></html>");
    return page;
}

void writeOrderPages(GeneratorContext& context)
{
    context.writePage(orderFormText(context.settings()), context.shopFile(QStringLiteral("send.html")));
    context.writePage(orderScriptText(context.settings()), context.shopFile(QStringLiteral("send.php")));
}

} // namespace generator
