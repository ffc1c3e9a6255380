// send.php run by the real PHP interpreter, its mail captured through sendmail_path.

#include "phporderfixture.h"

#include "generator/orderpages.h"
#include "generator/pagewriters.h"

using namespace generator;

using OrderScriptInPhp = PhpOrderFixture;

TEST_F(OrderScriptInPhp, PostedOrderIsMailedWithEveryLineAndThanked)
{
    settings.separateDeliveryAddress = true;
    settings.options.includeDelivery = true;
    settings.font.orderThanks = QStringLiteral("Dziękujemy!");
    writeOrderPages(*context);

    const QString output = request(QStringLiteral("POST"),
                                   {{QStringLiteral("ZAMOWIENIE"), QStringLiteral("1 x Lamp 12.50")},
                                    {QStringLiteral("FIRMA"), QStringLiteral("Firma \"A\" $x")},
                                    {QStringLiteral("NAZWISKO"), QStringLiteral("Jan Kowalski")},
                                    {QStringLiteral("ULICA"), QStringLiteral("Długa 1")},
                                    {QStringLiteral("KOD"), QStringLiteral("00-001")},
                                    {QStringLiteral("MIASTO"), QStringLiteral("Warszawa")},
                                    {QStringLiteral("EMAIL"), QStringLiteral("jan@example.com")},
                                    {QStringLiteral("MIASTO2"), QStringLiteral("Kraków")},
                                    {QStringLiteral("INFORMACJE"), QStringLiteral("Ring\r\nfirst")},
                                    {QStringLiteral("DELIVERY"), QStringLiteral("Courier Price: 15,00")}});

    EXPECT_TRUE(output.contains(QStringLiteral("<p>Dziękujemy!</p>")));
    EXPECT_FALSE(output.contains(QStringLiteral("Warning"))) << output.toStdString();
    EXPECT_FALSE(output.contains(QStringLiteral("Notice"))) << output.toStdString();
    EXPECT_FALSE(output.contains(QStringLiteral("<?php")));
    const QString mail = QString::fromUtf8(testsupport::readFile(mailFile));
    // PHP ends its header lines with CR LF; the body keeps the script's line feeds.
    const int headerEnd = mail.indexOf(QStringLiteral("\r\n\r\n"));
    ASSERT_GT(headerEnd, 0) << mail.toStdString();
    const QStringList headers = mail.left(headerEnd).split(QStringLiteral("\r\n"));
    EXPECT_TRUE(headers.contains(QStringLiteral("To: orders@example.com"))) << mail.toStdString();
    EXPECT_TRUE(headers.contains(QStringLiteral("Subject: NEW ORDER")));
    QString body = mail.mid(headerEnd + 4);
    ASSERT_TRUE(body.endsWith(QStringLiteral("\r\n"))); // PHP's own end of the message
    body.chop(2);
    EXPECT_EQ(
        body,
        QStringLiteral(
            "1 x Lamp 12.50\nCompany: Firma \"A\" $x\nName: Jan Kowalski\nStreet: Długa 1\n"
            "Post code: 00-001\nCity: Warszawa\nTel. \ne-mail: jan@example.com\n"
            "Delivery adress:\nCompany: \nName: \nStreet: \nPost code: \nCity: Kraków\nMsg: Ring\nfirst\n"
            "\nDelivery method:Courier Price: 15,00"));
}

TEST_F(OrderScriptInPhp, NoMailForAGetOrAnEmptyOrderAndNoWarnings)
{
    writeOrderPages(*context);
    QString output = request(QStringLiteral("GET"), {});
    EXPECT_FALSE(QFile::exists(mailFile));
    EXPECT_FALSE(output.contains(QStringLiteral("Warning")) || output.contains(QStringLiteral("Notice")))
        << output.toStdString();
    EXPECT_FALSE(output.contains(settings.font.orderThanks));
    EXPECT_TRUE(output.contains(QStringLiteral("<p>No order has been received.</p>")));

    output = request(QStringLiteral("POST"), {{QStringLiteral("NAZWISKO"), QStringLiteral("Robot")}});
    EXPECT_FALSE(QFile::exists(mailFile));
    EXPECT_FALSE(output.contains(QStringLiteral("Warning")));
}

TEST_F(OrderScriptInPhp, FailedMailAsksToTryAgainInsteadOfThanking)
{
    writeOrderPages(*context);
    const QString output =
        request(QStringLiteral("POST"), {{QStringLiteral("ZAMOWIENIE"), QStringLiteral("1 x Lamp")}},
                QStringLiteral("/bin/false"));
    EXPECT_FALSE(output.contains(settings.font.orderThanks));
    EXPECT_TRUE(output.contains(QStringLiteral("<p>Your order could not be sent. Please try again.</p>")));
    EXPECT_FALSE(output.contains(QStringLiteral("Warning"))) << output.toStdString();
}
