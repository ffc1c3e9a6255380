#include "catalogue/categorytree.h"
#include "generator/modern/modernhtml.h"
#include "generator/modern/modernpages.h"
#include "generator/savepage.h"
#include "generator/scriptescaping.h"
#include "shell/error.h"

#include <QFile>

namespace generator::modern {

namespace {

using scriptescaping::phpDoubleQuoted;

void appendPhp(QString& out, const QString& text)
{
    out += QLatin1Char('"');
    out += phpDoubleQuoted(text);
    out += QLatin1Char('"');
}

QString php(const QString& text)
{
    QString out;
    appendPhp(out, text);
    return out;
}

// The items of a variant list switched on, as a PHP array.
void appendPhpList(QString& out, bool on, const QString& encoded)
{
    out += QLatin1Char('[');
    if (on) {
        const QStringList items = catalogue::products::splitList(encoded);
        for (qsizetype i = 0; i < items.size(); ++i) {
            if (i)
                out += QLatin1Char(',');
            appendPhp(out, items[i]);
        }
    }
    out += QLatin1Char(']');
}

QString field(const QString& label, const QString& name, const QString& type, const QString& autocomplete,
              bool required)
{
    QString html = QStringLiteral("<div class=\"field\"><label for=\"f-") + name + QStringLiteral("\">")
                   + escaped(label);
    if (required)
        html += QStringLiteral(" <span aria-hidden=\"true\">*</span>");
    html += QStringLiteral("</label><input id=\"f-") + name + QStringLiteral("\" name=\"") + name
            + QStringLiteral("\" type=\"") + type + QStringLiteral("\"");
    if (!autocomplete.isEmpty())
        html += QStringLiteral(" autocomplete=\"") + autocomplete + QLatin1Char('"');
    if (required)
        html += QStringLiteral(" required");
    return html + QStringLiteral("></div>");
}

QString orderForm(const Site& site)
{
    const Labels& l = *site.labels;
    QString form = QStringLiteral("<h1>") + escaped(l.order) + QStringLiteral("</h1>\n");
    form += QStringLiteral("<section id=\"order-summary\" data-order-summary data-empty=\"")
            + escaped(l.cartEmpty) + QStringLiteral("\" data-subtotal=\"") + escaped(l.subtotal)
            + QStringLiteral("\" data-delivery=\"") + escaped(l.delivery) + QStringLiteral("\" data-total=\"")
            + escaped(l.total) + QStringLiteral("\"></section>\n");
    form += QStringLiteral("<noscript><p>") + escaped(l.noScriptCart) + QStringLiteral("</p></noscript>\n");
    form += QStringLiteral("<form class=\"order\" action=\"send.php\" method=\"post\" data-order-form>");
    form +=
        QStringLiteral("<input type=\"hidden\" name=\"KOSZYK\"><input type=\"hidden\" name=\"ZAMOWIENIE\">");
    form += QStringLiteral("<fieldset><legend>") + escaped(l.invoice) + QStringLiteral("</legend>");
    form += field(l.company, QStringLiteral("FIRMA"), QStringLiteral("text"), QStringLiteral("organization"),
                  false);
    form += field(l.name, QStringLiteral("NAZWISKO"), QStringLiteral("text"), QStringLiteral("name"), true);
    form += field(l.street, QStringLiteral("ULICA"), QStringLiteral("text"), QStringLiteral("address-line1"),
                  true);
    form +=
        field(l.postcode, QStringLiteral("KOD"), QStringLiteral("text"), QStringLiteral("postal-code"), true);
    form += field(l.city, QStringLiteral("MIASTO"), QStringLiteral("text"), QStringLiteral("address-level2"),
                  true);
    form += field(l.phone, QStringLiteral("TELEFON"), QStringLiteral("tel"), QStringLiteral("tel"), false);
    form += field(l.email, QStringLiteral("EMAIL"), QStringLiteral("email"), QStringLiteral("email"), true);
    form += QStringLiteral("</fieldset>");
    if (site.settings().separateDeliveryAddress) {
        form +=
            QStringLiteral("<fieldset><legend>") + escaped(l.deliveryAddress) + QStringLiteral("</legend>");
        form += field(l.company, QStringLiteral("FIRMA2"), QStringLiteral("text"), QString(), false);
        form += field(l.name, QStringLiteral("NAZWISKO2"), QStringLiteral("text"), QString(), false);
        form += field(l.street, QStringLiteral("ULICA2"), QStringLiteral("text"), QString(), false);
        form += field(l.postcode, QStringLiteral("KOD2"), QStringLiteral("text"), QString(), false);
        form += field(l.city, QStringLiteral("MIASTO2"), QStringLiteral("text"), QString(), false);
        form += QStringLiteral("</fieldset>");
    }
    if (!site.delivery.empty()) {
        form += QStringLiteral("<fieldset><legend>") + escaped(l.delivery)
                + QStringLiteral("</legend><div class=\"field\"><label for=\"f-DELIVERY\">")
                + escaped(l.deliveryMethods)
                + QStringLiteral("</label><select id=\"f-DELIVERY\" name=\"DELIVERY\" data-delivery-select>");
        for (size_t i = 0; i < site.delivery.size(); ++i)
            form += QStringLiteral("<option value=\"") + QString::number(i)
                    + QStringLiteral("\" data-price=\"") + QString::number(site.delivery[i].price)
                    + QStringLiteral("\">") + escaped(site.delivery[i].name) + QStringLiteral(" – ")
                    + site.money(site.delivery[i].price) + QStringLiteral("</option>");
        form += QStringLiteral("</select></div></fieldset>");
    }
    form += QStringLiteral("<div class=\"field\"><label for=\"f-INFORMACJE\">") + escaped(l.comments)
            + QStringLiteral(
                "</label><textarea id=\"f-INFORMACJE\" name=\"INFORMACJE\" rows=\"4\"></textarea></div>");
    form += QStringLiteral("<div class=\"hp\" aria-hidden=\"true\"><label for=\"f-www\">")
            + escaped(l.honeypot)
            + QStringLiteral("</label><input id=\"f-www\" name=\"strona_www\" type=\"text\" tabindex=\"-1\" "
                             "autocomplete=\"off\"></div>");
    const QString termsLink = site.settings().options.includeRegulation
                                  ? QStringLiteral("<a href=\"regulamin.html\">") + escaped(l.terms.toLower())
                                        + QStringLiteral("</a>")
                                  : escaped(l.terms.toLower());
    form += QStringLiteral("<div class=\"check\"><input id=\"f-REGULAMIN\" name=\"REGULAMIN\" "
                           "type=\"checkbox\" value=\"1\" required><label for=\"f-REGULAMIN\">")
            + escaped(l.acceptTerms).arg(termsLink)
            + QStringLiteral(" <span aria-hidden=\"true\">*</span></label></div>");
    form += QStringLiteral("<button class=\"primary\" type=\"submit\">") + escaped(l.send)
            + QStringLiteral("</button>");
    form += QStringLiteral("<p class=\"status\" role=\"status\"></p></form>");
    return form;
}

QString resourceText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw shell::AppError(QStringLiteral("The order script %1 is missing from the program").arg(path));
    return QString::fromUtf8(file.readAll());
}

} // namespace

QString priceListScript(const Site& site)
{
    const Labels& l = *site.labels;
    const shell::Settings& settings = site.settings();
    QString script =
        QStringLiteral("<?php\n// Written with the shop: the order script prices every order from here.\n"
                       "if (!defined('KALMENOR_SHOP')) { http_response_code(404); exit; }\nreturn [\n");
    script +=
        QStringLiteral("'merchant' => ") + php(settings.options.email.trimmed()) + QStringLiteral(",\n");
    script += QStringLiteral("'shop' => ")
              + php(settings.options.shopName.isEmpty() ? settings.options.title : settings.options.shopName)
              + QStringLiteral(",\n");
    script += QStringLiteral("'currency' => ") + php(site.currency) + QStringLiteral(",\n");
    script +=
        QStringLiteral("'comma' => ")
        + (site.language.startsWith(QStringLiteral("en")) ? QStringLiteral("false") : QStringLiteral("true"))
        + QStringLiteral(",\n");
    // The untouched default thanks is English; the shop's own words say it in the shop's language.
    const QString thanks = settings.font.orderThanks.trimmed().isEmpty()
                                   || settings.font.orderThanks == shell::FontSettings().orderThanks
                               ? l.thanks
                               : settings.font.orderThanks;
    script += QStringLiteral("'thanks' => ") + php(thanks) + QStringLiteral(",\n");
    script += QStringLiteral("'labels' => [");
    const std::pair<const char*, const QString*> labels[] = {{"order", &l.order},
                                                             {"subtotal", &l.subtotal},
                                                             {"delivery", &l.delivery},
                                                             {"total", &l.total},
                                                             {"invoice", &l.invoice},
                                                             {"address", &l.deliveryAddress},
                                                             {"company", &l.company},
                                                             {"name", &l.name},
                                                             {"street", &l.street},
                                                             {"postcode", &l.postcode},
                                                             {"city", &l.city},
                                                             {"phone", &l.phone},
                                                             {"email", &l.email},
                                                             {"comments", &l.comments},
                                                             {"size", &l.size},
                                                             {"colour", &l.colour},
                                                             {"dimensions", &l.dimensions},
                                                             {"empty", &l.cartEmpty},
                                                             {"home", &l.home},
                                                             {"terms", &l.terms},
                                                             {"quantity", &l.quantity},
                                                             {"prices_differ", &l.pricesDiffer},
                                                             {"unknown_product", &l.unknownProduct},
                                                             {"instead_of", &l.insteadOf},
                                                             {"unknown_delivery", &l.unknownDelivery},
                                                             {"mail_failed", &l.mailFailed}};
    for (const auto& [key, value] : labels)
        script += QLatin1Char('\'') + QLatin1String(key) + QStringLiteral("' => ") + php(*value)
                  + QStringLiteral(", ");
    script += QStringLiteral("],\n'products' => [\n");
    script.reserve(script.size() + qsizetype(site.products.size()) * 96);
    for (const Product& p : site.products) {
        const ProductRecord& r = p.record;
        appendPhp(script, r.id);
        script += QLatin1String(" => ['n' => ");
        appendPhp(script, r.name);
        script += QLatin1String(", 'p' => ");
        script += QString::number(p.price);
        script += QLatin1String(", 'r' => ");
        appendPhpList(script, r.hasSizes, r.sizes);
        script += QLatin1String(", 'k' => ");
        appendPhpList(script, r.hasColours, r.colours);
        script += QLatin1String(", 'w' => ");
        appendPhpList(script, r.hasDimensions, r.dimensions);
        script += QLatin1String("],\n");
    }
    script += QStringLiteral("],\n'delivery' => [\n");
    for (const DeliveryOption& d : site.delivery)
        script += QStringLiteral("['n' => ") + php(d.name) + QStringLiteral(", 'p' => ")
                  + QString::number(d.price) + QStringLiteral("],\n");
    script += QStringLiteral("],\n];\n");
    return script;
}

QStringList writeOrderPages(Site& site)
{
    const Labels& l = *site.labels;
    PageMeta meta;
    meta.file = QStringLiteral("send.html");
    meta.title = l.order;
    meta.indexable = false;
    meta.crumbs = {
        {l.home, site.context.startPage()}, {l.cart, QStringLiteral("koszyk.html")}, {l.order, QString()}};
    Html page;
    pageStart(page, site, meta);
    page.text(orderForm(site));
    pageEnd(page, site);
    savePageBytes(site, meta.file, page.take());

    // The script runs first and leaves the page's main content in $kalmenorMain.
    PageMeta sent = meta;
    sent.file = QStringLiteral("send.php");
    Html script;
    script.text(resourceText(QStringLiteral(":/modern/send.php")).trimmed()) << "\n?>";
    pageStart(script, site, sent);
    script << "<?php echo $kalmenorMain; ?>";
    pageEnd(script, site);
    savePageBytes(site, sent.file, script.take());
    const Site* shared = &site;
    site.context.submitTask([shared] {
        // What savePage writes: the script holds no CR LF (its strings escape every line break).
        writeFileBeside(shared->context.shopFile(QStringLiteral("ceny.php")),
                        priceListScript(*shared).toUtf8() + "\r\n");
    });
    return {};
}

} // namespace generator::modern
