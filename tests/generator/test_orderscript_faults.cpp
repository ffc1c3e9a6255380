// send.php under the real PHP interpreter with hostile posts: NUL bytes in any field, and a mail call
// that fails by throwing instead of returning false.
#include "phporderfixture.h"

#include "generator/orderpages.h"
#include "generator/pagewriters.h"

using namespace generator;

class OrderScriptFaults : public PhpOrderFixture {
protected:
    void SetUp() override
    {
        PhpOrderFixture::SetUp();
        settings.separateDeliveryAddress = true;
        settings.options.includeDelivery = true;
    }

    // Posts fields given as PHP double-quoted literals (so "\0" is a NUL byte) and returns the page.
    QString post(const QList<QPair<const char*, const char*>>& fields)
    {
        QString setup = QStringLiteral("$_SERVER['REQUEST_METHOD']='POST';");
        for (const auto& field : fields)
            setup += QStringLiteral("$_POST['%1']=\"%2\";")
                         .arg(QLatin1String(field.first), QLatin1String(field.second));
        return runSendScript(setup);
    }
};

TEST_F(OrderScriptFaults, NulBytesInAnyFieldAreDroppedAndTheOrderIsMailed)
{
    writeOrderPages(*context);
    const QString output = post({{"ZAMOWIENIE", "1 x La\\0mp"},
                                 {"FIRMA", "\\0Firma"},
                                 {"NAZWISKO", "Jan\\0"},
                                 {"MIASTO2", "Kra\\0kow"},
                                 {"INFORMACJE", "Ring\\r\\0\\nfirst"},
                                 {"DELIVERY", "Courier\\0"}});
    EXPECT_TRUE(output.contains(settings.font.orderThanks)) << output.toStdString();
    EXPECT_FALSE(output.contains(QStringLiteral("Fatal"))) << output.toStdString();
    EXPECT_FALSE(output.contains(QStringLiteral("Warning"))) << output.toStdString();
    EXPECT_TRUE(output.endsWith(QStringLiteral("</html>\r\n"))); // the page is not cut off
    const QByteArray mail = testsupport::readFile(mailFile);
    EXPECT_FALSE(mail.contains('\0'));
    EXPECT_TRUE(mail.contains("1 x Lamp\nCompany: Firma\nName: Jan\n")) << mail.toStdString();
    EXPECT_TRUE(mail.contains("City: Krakow\nMsg: Ring\nfirst\n\nDelivery method:Courier"));
}

TEST_F(OrderScriptFaults, AMailCallThatThrowsGivesTheCouldNotBeSentPage)
{
    // A recipient PHP refuses by throwing (a NUL byte in it) stands for any failure mail() throws.
    settings.options.email = QStringLiteral("orders@example.com") + QChar(0);
    writeOrderPages(*context);
    const QString output = post({{"ZAMOWIENIE", "1 x Lamp"}});
    EXPECT_TRUE(output.contains(QStringLiteral("<p>Your order could not be sent. Please try again.</p>")))
        << output.toStdString();
    EXPECT_FALSE(output.contains(settings.font.orderThanks));
    EXPECT_FALSE(output.contains(QStringLiteral("Fatal"))) << output.toStdString();
    EXPECT_FALSE(output.contains(shop)); // no server path shown
    EXPECT_TRUE(output.endsWith(QStringLiteral("</html>\r\n")));
}
