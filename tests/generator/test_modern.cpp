// The modern shop's settings, text helpers and pages, written by the real generator into a folder.
#include "catalogue/pricehistory.h"
#include "generator/generateshop.h"
#include "generator/modern/modernhtml.h"
#include "generator/modern/moderntheme.h"
#include "pagesfixture.h"
#include "shell/error.h"
#include "shell/settingskeys.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>

using namespace generator;

namespace {

TEST(ModernSettings, CommandLineValuesAreChecked)
{
    const struct {
        const char* key;
        const char* value;
        bool accepted;
    } cases[] = {
        {"Opcje/adres", "https://sklep.example.com", true},
        {"Opcje/adres", "https://example.com:8443/sklep/", true},
        {"Opcje/adres", "", true},
        {"Opcje/adres", "http://sklep.example.com", false},
        {"Opcje/adres", "https://x.pl/\"><script>", false},
        {"Opcje/adres", "sklep.example.com", false},
        {"Opcje/jezyk", "pl", true},
        {"Opcje/jezyk", "en-GB", true},
        {"Opcje/jezyk", "pl\" onload=\"x", false},
        {"Opcje/jezyk", "", false},
        {"Opcje/waluta_kod", "PLN", true},
        {"Opcje/waluta_kod", "", true},
        {"Opcje/waluta_kod", "pln", false},
        {"Opcje/waluta_kod", "ZŁ", false},
        {"Opcje/motyw", "1", true},
        {"Opcje/motyw", "0", true},
        {"Opcje/motyw", "2", false},
    };
    for (const auto& c : cases) {
        shell::Settings settings;
        const shell::SettingKey* key = shell::findSettingKey(QString::fromLatin1(c.key));
        ASSERT_NE(key, nullptr) << c.key;
        const QString problem = shell::readUserText(*key, QString::fromUtf8(c.value), settings);
        EXPECT_EQ(problem.isEmpty(), c.accepted)
            << c.key << " = " << c.value << ": " << problem.toStdString();
        if (!c.accepted) {
            EXPECT_TRUE(problem.contains(key->name())) << problem.toStdString();
        }
    }
}

TEST(ModernSettings, ExistingSettingsFileWithoutTheKeyStaysClassic)
{
    QTemporaryDir config, program;
    testsupport::writeFile(config.path() + QStringLiteral("/KVO.INI"), "[Opcje]\nwaluta=z\xc5\x82\n");
    const shell::Settings settings = shell::loadSettings(config.path(), shell::ProgramFolder(program.path()));
    EXPECT_EQ(settings.options.theme, kClassicTheme);
    EXPECT_EQ(settings.options.language, QStringLiteral("pl"));
    EXPECT_EQ(shell::currencyCodeOf(settings.options), QStringLiteral("PLN"));
}

TEST(ModernSettings, CurrencyCodeFromTheCurrency)
{
    const struct {
        const char* currency;
        const char* code;
        const char* expected;
    } cases[] = {
        {"zł", "", "PLN"}, {"€ gross", "", "EUR"},  {"$ net", "", "USD"}, {"Eur", "", "EUR"},
        {"pound", "", ""}, {"pound", "GBP", "GBP"}, {"zł", "eur", "EUR"}, {"", "", ""},
    };
    for (const auto& c : cases) {
        shell::ShopOptions options;
        options.currency = QString::fromUtf8(c.currency);
        options.currencyCode = QString::fromUtf8(c.code);
        EXPECT_EQ(shell::currencyCodeOf(options), QString::fromUtf8(c.expected))
            << c.currency << " / " << c.code;
    }
}

TEST(ModernText, MerchantHtmlKeepsOnlyHarmlessTags)
{
    using modern::safeHtml;
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"<b>Kalmenor</b> &ndash; sklep<br>", "<b>Kalmenor</b> \xe2\x80\x93 sklep<br>"},
        {"<script>alert(1)</script>x", "alert(1)x"},
        {"<a href=\"javascript:alert(1)\">x</a>", "<a>x</a>"},
        {"<a href='mailto:a@b.pl' onclick='x()'>a</a>", "<a href=\"mailto:a@b.pl\">a</a>"},
        {"<b>never closed", "<b>never closed</b>"},
        {"<b>bold <h2>heading</h2>", "<b>bold </b><h2>heading</h2>"},
        {"5 < 6 & 7 > 2 \"q\"", "5 &lt; 6 &amp; 7 &gt; 2 &quot;q&quot;"},
        {"<img src=x onerror=alert(1)>", ""},
        {"&amp;lt;script&amp;gt;", "&amp;lt;script&amp;gt;"},
        {"  a &ndash; b & c\t", "a \xe2\x80\x93 b &amp; c"}, // no tag at all
    };
    for (const auto& c : cases)
        EXPECT_EQ(safeHtml(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

TEST(ModernText, DescriptionsFoldingAndMoney)
{
    EXPECT_EQ(modern::plainText(QStringLiteral("<b>A</b>&nbsp;&amp;\r\n  <i>B</i>")),
              QStringLiteral("A & B"));
    EXPECT_EQ(modern::plainText(QStringLiteral(" A&nbsp;&amp;\r\n  B ")), QStringLiteral("A & B"));
    const QString longText =
        QStringLiteral("<p>") + QStringLiteral("słowo ").repeated(60) + QStringLiteral("</p>");
    const QString meta = modern::metaDescription(longText);
    EXPECT_LE(meta.size(), 160);
    EXPECT_TRUE(meta.endsWith(QChar(0x2026)));
    EXPECT_FALSE(meta.contains(QLatin1Char('<')));
    EXPECT_EQ(modern::folded(QStringLiteral("Żółw ŁÓDŹ Książka")), QStringLiteral("zolw lodz ksiazka"));
    EXPECT_EQ(modern::folded(QStringLiteral("Zolw LODZ 12")), QStringLiteral("zolw lodz 12"));
    EXPECT_EQ(modern::moneyText(123456, QStringLiteral("pl")), QStringLiteral("1234,56"));
    EXPECT_EQ(modern::moneyText(-5, QStringLiteral("en")), QStringLiteral("-0.05"));
    EXPECT_EQ(modern::toMinorUnits(39.67), 3967); // 39.67 * 100 is 3966.9999… in binary
}

TEST(ModernText, PageBytesAreThoseOfTheWholeTextConverted)
{
    // Catalogue texts of every kind, broken UTF-16 included: a page put together piece by piece holds
    // what converting its whole text gives, and its JSON what QJsonDocument writes.
    const char16_t units[] = {u'a',   u' ',  u'<',   u'>',   u'&',   u'"',   u'\'',  u'\\',  u'\n',
                              u'\r',  u'\t', u'\b',  u'\f',  0x01,   0x1F,   0x7F,   0xA0,   0x142,
                              0x7FF,  0x800, 0x20AC, 0x2028, 0xFFFF, 0xD83D, 0xDE00, 0xDBFF, 0xDC00,
                              0x0000, u'/',  u'z',   u'\v',  0x85,   0x3000, u' ',   u'b'};
    std::vector<QString> texts{QString(),
                               QStringLiteral("Żółw \"pluszowy\" <b>&amp;</b>"),
                               QStringLiteral("\U0001F600 ok"),
                               QString(QChar(0xD83D)),
                               QString(QChar(0xDE00)) + QChar(0xD83D),
                               QStringLiteral(" \x01 Dobry\u00a0 kubek\t\n\x02 ")};
    QRandomGenerator random(7);
    for (int i = 0; i < 500; ++i) {
        QString text;
        for (int n = int(random.bounded(12)); n > 0; --n)
            text += QChar(units[random.bounded(int(std::size(units)))]);
        texts.push_back(text);
    }
    // Long texts, mostly plain letters: the pieces copied several characters at a time.
    for (int i = 0; i < 300; ++i) {
        QString text;
        for (int n = int(random.bounded(60)); n > 0; --n)
            text += random.bounded(8) ? QChar(u'a' + random.bounded(26))
                                      : QChar(units[random.bounded(int(std::size(units)))]);
        texts.push_back(text);
    }
    for (const QString& text : texts) {
        const std::string shown = text.toStdString();
        EXPECT_EQ(modern::Html().text(text).take(), text.toUtf8()) << shown;
        EXPECT_EQ(modern::Html().escaped(text).take(), modern::escaped(text).toUtf8()) << shown;
        const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
        const QByteArray json = array.mid(2, array.size() - 4); // inside ["…"]
        EXPECT_EQ(modern::Html().jsonText(text, false).take(), json) << shown;
        EXPECT_EQ(modern::Html().jsonText(text).take(), modern::scriptSafeJson(json).toUtf8()) << shown;
        EXPECT_EQ(modern::Html().safeHtml(text).take(), modern::safeHtml(text).toUtf8()) << shown;
        if (!text.contains(QLatin1Char('<')) && !text.contains(QLatin1Char('&'))) {
            EXPECT_EQ(modern::plainText(text), text.simplified()) << shown;
        }
        if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; })) {
            EXPECT_EQ(modern::folded(text), text.toLower()) << shown;
        }
    }
}

TEST(ModernText, SettingsColoursAreMadeReadable)
{
    const shell::ColorValue white = shell::colorFromRgb(255, 255, 255);
    for (const shell::ColorValue c :
         {shell::colorFromRgb(0xFF, 0x80, 0x40), shell::colorFromRgb(0xFF, 0xFF, 0x80),
          shell::colorFromRgb(0x94, 0xCD, 0xCD), shell::colorFromRgb(255, 255, 255)})
        EXPECT_GE(modern::contrastRatio(modern::readableOn(c, white), white), 4.5);
    EXPECT_EQ(modern::readableOn(shell::colorFromRgb(0, 0, 128), white), shell::colorFromRgb(0, 0, 128));
    const shell::ColorValue navy = shell::colorFromRgb(0, 0, 0x40);
    EXPECT_GE(modern::contrastRatio(modern::readableOn(shell::colorFromRgb(0x30, 0x30, 0x60), navy), navy),
              4.5);
}

class ModernShop : public PagesFixture {
protected:
    void SetUp() override
    {
        PagesFixture::SetUp();
        settings.options.theme = kModernTheme;
        settings.options.currency = QStringLiteral("zł");
        settings.options.title = QStringLiteral("Sklep </title><script>alert(1)</script>");
        ProductRow hostile =
            product(QStringLiteral("ID000000011P"), QStringLiteral("<script>alert(1)</script> \"Kubek\""));
        hostile.sizes = true;
        hostile.sizeList = QStringLiteral("S|M'\"<b>|");
        hostile.shortDescription = QStringLiteral("<img src=x onerror=alert(2)>Dobry");
        addProduct(hostile);
        ProductRow promoted = product(QStringLiteral("ID000000012P"), QStringLiteral("Żółw pluszowy"));
        promoted.gross = 120;
        promoted.promotionGross = 90;
        promoted.status = QStringLiteral("Promotion");
        addProduct(promoted);
        auto* category = node(nullptr, QStringLiteral("Zabawki"), QStringLiteral("ID000000001K"));
        node(category, QStringLiteral("Kubek"), QStringLiteral("ID000000011P"));
        node(category, QStringLiteral("Żółw"), QStringLiteral("ID000000012P"));
    }
};

TEST_F(ModernShop, LowestPriceOfThe30DaysBeforeThePromotion)
{
    // 100 → 120 → 90 (promotion) within 30 days: the lowest before the promotion is 100.
    catalogue::PriceHistory history(folder.data());
    const QDateTime now = QDateTime::currentDateTime();
    history.record(QStringLiteral("ID000000012P"), {81.3, 100, false}, now.addDays(-20));
    history.record(QStringLiteral("ID000000012P"), {97.56, 120, false}, now.addDays(-10));
    history.record(QStringLiteral("ID000000012P"), {73.17, 90, true}, now.addDays(-5));
    settings.options.priceListNet = false;
    generateShop(*context, shop, QStringLiteral("index.html"));

    const QString lowest = QStringLiteral("Najniższa cena z 30 dni przed obniżką: 100,00\u00a0zł");
    EXPECT_TRUE(page(QStringLiteral("ID000000012P.html")).contains(lowest));
    EXPECT_TRUE(page(QStringLiteral("ID000000001K.html")).contains(lowest)); // on the card too
    EXPECT_TRUE(
        page(QStringLiteral("ID000000012P.html")).contains(QStringLiteral("<del>120,00\u00a0zł</del>")));
}

TEST_F(ModernShop, EveryBuildRecordsPricesChangedBehindTheProgramsBack)
{
    // Another tool or an import changes a price: the next build of either page style records it once.
    catalogue::PriceHistory history(folder.data());
    generateShop(*context, shop, QStringLiteral("index.html"));
    auto rows = history.entries(QStringLiteral("ID000000012P"));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_DOUBLE_EQ(rows[0].price.gross, 90.0);
    EXPECT_TRUE(rows[0].price.promoted);

    products.connection().exec(QStringLiteral("UPDATE towary SET PromocjaBrutto = 85"));
    products.refresh();
    settings.options.theme = kClassicTheme;
    generateShop(*context, shop, QStringLiteral("index.html"));
    generateShop(*context, shop, QStringLiteral("index.html")); // nothing changed since
    rows = history.entries(QStringLiteral("ID000000012P"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_DOUBLE_EQ(rows[1].price.gross, 85.0);
}

TEST_F(ModernShop, HostileTextsStayTextEverywhere)
{
    generateShop(*context, shop, QStringLiteral("index.html"));
    for (const char* name : {"index.html", "ID000000001K.html", "ID000000011P.html", "cennik.html",
                             "find.html", "koszyk.html", "send.html", "send.php"}) {
        const QString text = page(QString::fromLatin1(name));
        EXPECT_FALSE(text.isEmpty()) << name;
        EXPECT_FALSE(text.contains(QStringLiteral("<script>alert"))) << name;
        EXPECT_FALSE(text.contains(QStringLiteral("onerror="))) << name;
        EXPECT_FALSE(text.contains(QStringLiteral("'\"<b>"))) << name;
    }
    const QString productPage = page(QStringLiteral("ID000000011P.html"));
    EXPECT_TRUE(productPage.contains(
        QStringLiteral("<h1>&lt;script&gt;alert(1)&lt;/script&gt; &quot;Kubek&quot;</h1>")));
    EXPECT_TRUE(productPage.contains(QStringLiteral("<option>M&#39;&quot;&lt;b&gt;</option>")));
    // The price list script keeps the name as a PHP string that cannot end early.
    const QString prices = page(QStringLiteral("ceny.php"));
    EXPECT_TRUE(prices.contains(QStringLiteral(
        "\"ID000000011P\" => ['n' => \"<script>alert(1)</script> \\\"Kubek\\\"\", 'p' => 1000")))
        << prices.toStdString();
    EXPECT_TRUE(prices.contains(QStringLiteral("\"ID000000012P\" => ['n' => \"Żółw pluszowy\", 'p' => 800")));
    // The search index and the structured data keep the name as it is.
    const QJsonArray index = QJsonDocument::fromJson(page(QStringLiteral("szukaj.json")).toUtf8()).array();
    ASSERT_EQ(index.size(), 2);
    EXPECT_EQ(index[0][QStringLiteral("n")].toString(),
              QStringLiteral("<script>alert(1)</script> \"Kubek\""));
    EXPECT_GT(index[1][QStringLiteral("o")].toDouble(), index[1][QStringLiteral("p")].toDouble());
    const QRegularExpression jsonLd(QStringLiteral("<script type=\"application/ld\\+json\">(.*?)</script>"));
    const QJsonObject product =
        QJsonDocument::fromJson(jsonLd.match(productPage).captured(1).toUtf8()).object();
    EXPECT_EQ(product[QStringLiteral("name")].toString(),
              QStringLiteral("<script>alert(1)</script> \"Kubek\""));
}

TEST_F(ModernShop, FindableProductPages)
{
    settings.options.address = QStringLiteral("https://sklep.example.com/");
    settings.options.language = QStringLiteral("en");
    generateShop(*context, shop, QStringLiteral("start.html"));
    const QString text = page(QStringLiteral("ID000000012P.html"));
    EXPECT_TRUE(text.startsWith(QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\">")));
    EXPECT_TRUE(text.contains(
        QStringLiteral("<link rel=\"canonical\" href=\"https://sklep.example.com/ID000000012P.html\">")));
    EXPECT_TRUE(text.contains(QStringLiteral("<meta property=\"og:type\" content=\"product\">")));
    EXPECT_TRUE(text.contains(QStringLiteral("Lowest price in the 30 days before the reduction: 10.00")));
    EXPECT_FALSE(text.contains(QStringLiteral("onclick"), Qt::CaseInsensitive));
    const QRegularExpression jsonLd(QStringLiteral("<script type=\"application/ld\\+json\">(.*?)</script>"));
    int products = 0;
    for (const auto& m : jsonLd.globalMatch(text)) {
        const QJsonObject o = QJsonDocument::fromJson(m.captured(1).toUtf8()).object();
        ASSERT_FALSE(o.isEmpty()) << m.captured(1).toStdString();
        if (o.value(QStringLiteral("@type")) != QStringLiteral("Product"))
            continue;
        ++products;
        EXPECT_EQ(o.value(QStringLiteral("sku")).toString(), QStringLiteral("ID000000012P"));
        const QJsonObject offer = o.value(QStringLiteral("offers")).toObject();
        EXPECT_EQ(offer.value(QStringLiteral("price")).toString(), QStringLiteral("8.00"));
        EXPECT_EQ(offer.value(QStringLiteral("priceCurrency")).toString(), QStringLiteral("PLN"));
    }
    EXPECT_EQ(products, 1);
    const QString sitemap = page(QStringLiteral("sitemap.xml"));
    for (const char* file : {"start.html", "ID000000001K.html", "ID000000011P.html", "ID000000012P.html"})
        EXPECT_TRUE(sitemap.contains(QStringLiteral("<loc>https://sklep.example.com/") + QLatin1String(file)
                                     + QStringLiteral("</loc>")))
            << file;
    EXPECT_TRUE(page(QStringLiteral("robots.txt"))
                    .contains(QStringLiteral("Sitemap: https://sklep.example.com/sitemap.xml")));
    // The meta description is plain text of at most 160 characters.
    const QRegularExpression description(QStringLiteral("<meta name=\"description\" content=\"([^\"]*)\">"));
    for (const char* file : {"start.html", "ID000000011P.html"}) {
        const auto m = description.match(page(QString::fromLatin1(file)));
        ASSERT_TRUE(m.hasMatch()) << file;
        EXPECT_LE(m.captured(1).size(), 160 + 40) << file; // escaped characters count more
        EXPECT_FALSE(m.captured(1).contains(QLatin1Char('<'))) << file;
    }
}

TEST_F(ModernShop, PicturesAtTheirSizesAndVariantListsThatCanBeOffered)
{
    // Kubek: both pictures; Żółw: a damaged big picture and a good small one.
    writePicture(QStringLiteral("ID000000011PM.jpg"));
    writePicture(QStringLiteral("ID000000011PD.jpg"));
    writePicture(QStringLiteral("ID000000012PM.jpg"));
    testsupport::writeFile(folder.pictures() + QStringLiteral("ID000000012PD.jpg"), "not a picture");
    ProductRow lists = product(QStringLiteral("ID000000013P"), QStringLiteral("Listy"));
    lists.sizes = true; // switched on, but empty
    lists.colours = true;
    lists.colourList = QStringLiteral("red"); // no item: an item ends with "|"
    lists.dimensions = true;
    lists.dimensionList = QStringLiteral("10x20|");
    addProduct(lists);
    node(tree.topLevel(0), QStringLiteral("Listy"), QStringLiteral("ID000000013P"));
    generateShop(*context, shop, QStringLiteral("index.html"));

    const QString kubek = page(QStringLiteral("ID000000011P.html"));
    EXPECT_TRUE(
        kubek.contains(QStringLiteral("<img src=\"img/ID000000011PD.jpg\" width=\"8\" height=\"6\"")));
    EXPECT_TRUE(page(QStringLiteral("ID000000012P.html"))
                    .contains(QStringLiteral("<img src=\"img/ID000000012PM.jpg\" width=\"8\" height=\"6\"")));
    EXPECT_TRUE(page(QStringLiteral("ID000000001K.html"))
                    .contains(QStringLiteral("<img src=\"img/ID000000012PM.jpg\" width=\"8\" height=\"6\"")));
    EXPECT_TRUE(shopHas(QStringLiteral("img/ID000000011PD.jpg")));
    EXPECT_FALSE(shopHas(QStringLiteral("img/ID000000012PD.jpg")));
    const QJsonArray index = QJsonDocument::fromJson(page(QStringLiteral("szukaj.json")).toUtf8()).array();
    ASSERT_EQ(index.size(), 3);
    EXPECT_EQ(index[1][QStringLiteral("i")].toString(), QStringLiteral("img/ID000000012PM.jpg"));
    EXPECT_EQ(index[1][QStringLiteral("w")].toInt(), 8);
    EXPECT_FALSE(index[2].toObject().contains(QStringLiteral("i")));

    const QString listy = page(QStringLiteral("ID000000013P.html"));
    EXPECT_FALSE(listy.contains(QStringLiteral("id=\"opt-r\"")));
    EXPECT_FALSE(listy.contains(QStringLiteral("id=\"opt-k\"")));
    EXPECT_TRUE(listy.contains(QStringLiteral("<option>10x20</option>")));
    EXPECT_EQ(context->warningCount(), 2);
    EXPECT_TRUE(context->reportLines()
                    .join(QLatin1Char('\n'))
                    .contains(QStringLiteral("product Listy ID000000013P color list is empty")));
}

TEST_F(ModernShop, ThemesWriteTheirOwnFilesOnly)
{
    settings.font.size = QStringLiteral("8");
    generateShop(*context, shop, QStringLiteral("index.html"));
    EXPECT_TRUE(shopHas(QStringLiteral("shop.css")));
    EXPECT_TRUE(shopHas(QStringLiteral("koszyk.html")));
    EXPECT_FALSE(shopHas(QStringLiteral("top.html")));
    EXPECT_FALSE(shopHas(QStringLiteral("sitemap.xml"))); // no address set
    EXPECT_TRUE(page(QStringLiteral("shop.css")).contains(QStringLiteral("--base:16px;")));

    settings.font.size = QStringLiteral("14");
    settings.options.columnsIndex = 4;
    EXPECT_TRUE(modern::styleSheet(settings).contains(QStringLiteral("--base:21px;--cols:5;")));

    QTemporaryDir classic;
    settings.options.theme = kClassicTheme;
    generateShop(*context, classic.path(), QStringLiteral("index.html"));
    EXPECT_TRUE(QFile::exists(classic.path() + QStringLiteral("/top.html")));
    EXPECT_FALSE(QFile::exists(classic.path() + QStringLiteral("/shop.css")));
}

TEST_F(ModernShop, ARunStoppedByItsProgressLeavesNoPageHalfBuilt)
{
    // Enough products that pages wait in the writers' queue when the run stops.
    auto* category = node(nullptr, QStringLiteral("Dużo"), QStringLiteral("ID000000002K"));
    for (int i = 100; i < 250; ++i) {
        const QString id = QStringLiteral("ID%1P").arg(i, 9, 10, QLatin1Char('0'));
        ProductRow row = product(id, QStringLiteral("Produkt %1").arg(i));
        row.longDescription = QStringLiteral("Opis. ").repeated(200);
        addProduct(row);
        node(category, row.name, id);
    }
    struct Stop {};
    GenerationHooks hooks;
    hooks.progress = [](int value, int) {
        if (value == 120)
            throw Stop{};
    };
    GeneratorContext stopping(settings, tree, products, folder, ui, hooks);
    EXPECT_THROW(generateShop(stopping, shop, QStringLiteral("index.html")), Stop);
    // Every page written is whole: the pages under way were finished from a site still there.
    QDirIterator pages(shop, {QStringLiteral("ID*P.html")}, QDir::Files);
    int written = 0;
    while (pages.hasNext()) {
        ++written;
        EXPECT_TRUE(testsupport::readFile(pages.next()).contains("</html>"));
    }
    EXPECT_GE(written, 100);
}

TEST_F(ModernShop, CurrencyWithoutCodeIsRefusedForModernOnly)
{
    settings.options.currency = QStringLiteral("pound");
    try {
        generateShop(*context, shop, QStringLiteral("index.html"));
        FAIL() << "built without a currency code";
    } catch (const shell::AppError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("[Opcje] waluta_kod"))) << e.message().toStdString();
    }
    EXPECT_FALSE(shopHas(QStringLiteral("index.html")));
    settings.options.currencyCode = QStringLiteral("GBP");
    EXPECT_NO_THROW(generateShop(*context, shop, QStringLiteral("index.html")));
    settings.options.currencyCode.clear();
    settings.options.theme = kClassicTheme;
    EXPECT_NO_THROW(generateShop(*context, shop, QStringLiteral("index.html")));
}

TEST(ModernSettings, UnknownCurrencyCodeIsAskedForUntilThreeLetters)
{
    shell::Settings settings;
    settings.options.theme = kModernTheme;
    settings.options.currency = QStringLiteral("pound");
    FakeInteraction ui;
    // Cancel stops; nothing is stored.
    EXPECT_FALSE(modern::askForCurrencyCode(settings, ui));
    EXPECT_EQ(ui.textQuestions.size(), 1);
    EXPECT_TRUE(ui.textQuestions[0].contains(QStringLiteral("\"pound\"")));
    EXPECT_TRUE(settings.options.currencyCode.isEmpty());

    // Wrong answers are asked again with the reason; a lower-case code is taken in capitals.
    ui.textQuestions.clear();
    ui.texts = {QStringLiteral(""), QStringLiteral("GB1"), QStringLiteral("POUND"), QStringLiteral(" gbp ")};
    EXPECT_TRUE(modern::askForCurrencyCode(settings, ui));
    EXPECT_EQ(ui.textQuestions.size(), 4);
    EXPECT_TRUE(ui.textQuestions[3].contains(QStringLiteral("(not \"POUND\")")))
        << ui.textQuestions[3].toStdString();
    EXPECT_EQ(settings.options.currencyCode, QStringLiteral("GBP"));
    EXPECT_EQ(shell::storedText(*shell::findSettingKey(QStringLiteral("Opcje/waluta_kod")), settings),
              QStringLiteral("GBP"));

    // A known code, a derived one or a classic shop asks nothing.
    ui.textQuestions.clear();
    EXPECT_TRUE(modern::askForCurrencyCode(settings, ui));
    settings.options.currencyCode.clear();
    settings.options.currency = QStringLiteral("€ brutto");
    EXPECT_TRUE(modern::askForCurrencyCode(settings, ui));
    settings.options.currency = QStringLiteral("pound");
    settings.options.theme = kClassicTheme;
    EXPECT_TRUE(modern::askForCurrencyCode(settings, ui));
    EXPECT_TRUE(ui.textQuestions.isEmpty());
}

} // namespace
