// send.php run by the real PHP interpreter, its mail captured through sendmail_path.

#include "pagesfixture.h"

#include "generator/orderpages.h"
#include "generator/pagewriters.h"

#include <QProcess>
#include <QStandardPaths>

using namespace generator;

namespace {

// Quotes a text as a PHP single-quoted literal.
QString phpLiteral(const QString& text)
{
    QString quoted = text;
    quoted.replace(QStringLiteral("\\"), QStringLiteral("\\\\"))
        .replace(QStringLiteral("'"), QStringLiteral("\\'"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace

class OrderScriptInPhp : public PagesFixture {
protected:
    void SetUp() override
    {
        PagesFixture::SetUp();
        php = QStandardPaths::findExecutable(QStringLiteral("php"));
        if (php.isEmpty())
            GTEST_SKIP() << "php-cli is not installed";
        mailFile = dir.path() + QStringLiteral("/mail.txt");
        settings.options.email = QStringLiteral("orders@example.com");
    }

    // Runs send.php as a request with the given method and posted fields; returns what the page prints.
    QString request(const QString& method, const QList<QPair<QString, QString>>& fields,
                    const QString& sendmail = {})
    {
        QString setup =
            QStringLiteral("$_SERVER['REQUEST_METHOD']=") + phpLiteral(method) + QStringLiteral(";");
        for (const auto& field : fields)
            setup += QStringLiteral("$_POST[") + phpLiteral(field.first) + QStringLiteral("]=")
                     + phpLiteral(field.second) + QStringLiteral(";");
        setup +=
            QStringLiteral("include ") + phpLiteral(shop + QStringLiteral("/send.php")) + QStringLiteral(";");
        QProcess process;
        process.start(php, {QStringLiteral("-n"), QStringLiteral("-d"), QStringLiteral("display_errors=1"),
                            QStringLiteral("-d"), QStringLiteral("error_reporting=-1"), QStringLiteral("-d"),
                            QStringLiteral("sendmail_path=")
                                + (sendmail.isEmpty() ? QStringLiteral("cat > ") + mailFile : sendmail),
                            QStringLiteral("-r"), setup});
        EXPECT_TRUE(process.waitForFinished(20000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    QString php;
    QString mailFile;
};

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
