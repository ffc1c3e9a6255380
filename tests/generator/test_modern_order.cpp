// The modern shop's order script under the real PHP interpreter: both mails speak the shop's language.
#include "generator/generateshop.h"
#include "phporderfixture.h"

#include <QRegularExpression>

using namespace generator;

namespace {

class ModernOrderScript : public PhpOrderFixture {
protected:
    void SetUp() override
    {
        PhpOrderFixture::SetUp();
        settings.options.theme = kModernTheme;
        settings.options.currency = QStringLiteral("zł");
        addProduct(product(QStringLiteral("ID000000011P"), QStringLiteral("Kubek")));
        auto* category = node(nullptr, QStringLiteral("Naczynia"), QStringLiteral("ID000000001K"));
        node(category, QStringLiteral("Kubek"), QStringLiteral("ID000000011P"));
    }

    // An order with a lowered price and a product the shop does not sell.
    QString postTamperedOrder(const QString& sendmail = {})
    {
        return request(
            QStringLiteral("POST"),
            {{QStringLiteral("KOSZYK"),
              QStringLiteral(R"([{"id":"ID000000011P","q":2,"p":1},{"id":"ID000000999P","q":1}])")},
             {QStringLiteral("NAZWISKO"), QStringLiteral("Jan Kowalski")},
             {QStringLiteral("ULICA"), QStringLiteral("Krótka 1")},
             {QStringLiteral("KOD"), QStringLiteral("30-001")},
             {QStringLiteral("MIASTO"), QStringLiteral("Kraków")},
             {QStringLiteral("EMAIL"), QStringLiteral("jan@example.org")},
             {QStringLiteral("REGULAMIN"), QStringLiteral("1")}},
            sendmail);
    }
};

TEST_F(ModernOrderScript, NotesAndConfirmationInTheShopsLanguage)
{
    generateShop(*context, shop, QStringLiteral("index.html"));
    const QString output = postTamperedOrder();
    EXPECT_FALSE(output.contains(QStringLiteral("Warning"))) << output.toStdString();
    const QString mails = QString::fromUtf8(testsupport::readFile(mailFile));
    EXPECT_EQ(mails.count(QStringLiteral("Subject: ")), 2) << mails.toStdString();
    EXPECT_TRUE(mails.contains(QStringLiteral("UWAGA: przeglądarka przesłała wartości inne niż w cenniku")))
        << mails.toStdString();
    EXPECT_TRUE(mails.contains(QRegularExpression(QStringLiteral("ID000000011P: 1 zamiast \\d+"))));
    EXPECT_TRUE(mails.contains(QStringLiteral("nieznany produkt: ID000000999P")));
    // The untouched default thanks is said in Polish too.
    EXPECT_TRUE(mails.contains(QStringLiteral("Dziękujemy za zamówienie!")));
    EXPECT_TRUE(output.contains(QStringLiteral("Dziękujemy za zamówienie!")));
    for (const char* english : {"NOTE", "instead of", "unknown product", "Thank you", "price list"})
        EXPECT_FALSE(mails.contains(QLatin1String(english), Qt::CaseInsensitive)) << english;

    // A merchant's own thanks is kept as written.
    settings.font.orderThanks = QStringLiteral("Do zobaczenia!");
    generateShop(*context, shop, QStringLiteral("index.html"));
    EXPECT_TRUE(postTamperedOrder().contains(QStringLiteral("Do zobaczenia!")));
}

TEST_F(ModernOrderScript, EnglishShopAndAFailedMail)
{
    settings.options.language = QStringLiteral("en");
    generateShop(*context, shop, QStringLiteral("index.html"));
    postTamperedOrder();
    const QString mails = QString::fromUtf8(testsupport::readFile(mailFile));
    EXPECT_TRUE(mails.contains(QStringLiteral("NOTE: the browser sent values that differ")));
    EXPECT_TRUE(mails.contains(QStringLiteral("unknown product: ID000000999P")));
    EXPECT_TRUE(mails.contains(QStringLiteral("Thank you for your order!")));

    settings.options.language = QStringLiteral("pl");
    generateShop(*context, shop, QStringLiteral("index.html"));
    const QString output = postTamperedOrder(QStringLiteral("/bin/false"));
    EXPECT_TRUE(output.contains(QStringLiteral("Nie udało się wysłać zamówienia."))) << output.toStdString();
    EXPECT_FALSE(output.contains(QStringLiteral("Mail error")));
}

} // namespace
