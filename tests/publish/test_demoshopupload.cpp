// "kalmenor upload" end to end: the demo catalogue generated into the publishing folder, then uploaded
// at the end of generation to a real FTP server, in passive and active mode.
#include "catalogue/deliverymethods.h"
#include "catalogue/workspace.h"
#include "fakeinteraction.h"
#include "ftptestservers.h"
#include "generator/generateshop.h"
#include "generator/shopcommands.h"
#include "publish/inactivitylimit.h"
#include "publish/shopupload.h"
#include "publish/uploadcommand.h"
#include "shell/settings.h"
#include "testsupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace publish;

namespace {

class DemoShopUploadTest : public ::testing::TestWithParam<bool> {};

TEST_P(DemoShopUploadTest, EveryFileArrivesByteForByte)
{
    const InactivityLimit limit(std::chrono::seconds(10));
    RealFtpServer server;
    ASSERT_TRUE(server.started()) << server.startError().toStdString();
    QTemporaryDir program, config;
    ASSERT_NO_THROW(generator::createDemoProgramFolder(program.path(), config.path()));
    const shell::ProgramFolder folder(program.path());

    FakeInteraction ui;
    catalogue::Workspace workspace(folder, ui);
    ASSERT_TRUE(workspace.open()) << ui.errors.join(QLatin1Char('\n')).toStdString();
    shell::Settings settings = shell::loadSettings(config.path(), folder);
    settings.deliveryMethods = readDeliveryMethods(folder);
    settings.ftp.host = QStringLiteral("localhost");
    settings.ftp.port = QString::number(server.port());
    settings.ftp.user = QStringLiteral("kupiec");
    settings.ftp.password.clear();
    settings.ftp.passive = GetParam();
    settings.ftp.tls = false; // the TLS server has tests of its own
    qputenv("KALMENOR_FTP_PASSWORD", "tajne");

    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    auto generate = [&](const std::function<void()>& upload) {
        generator::GenerationHooks hooks;
        hooks.reportLine = [&out](const QString& line) { out << line << Qt::endl; };
        hooks.upload = upload;
        generator::GeneratorContext context(settings, workspace.tree(), workspace.products(), folder, ui,
                                            hooks);
        try {
            generator::generateShop(context, folder.publishShop(), QStringLiteral("index.html"));
        } catch (const std::exception& e) {
            err << shell::messageOf(e) << Qt::endl;
            return false;
        }
        return true;
    };
    const int status = uploadShopCommand(settings.ftp, folder.publishShop(), generate, out, err, ui);
    qunsetenv("KALMENOR_FTP_PASSWORD");
    EXPECT_EQ(status, 0) << errText.toStdString() << ui.errors.join(QLatin1Char('\n')).toStdString();

    // The generation report first, then the upload's lines after it.
    EXPECT_TRUE(outText.startsWith(QStringLiteral("Generate web shop to the directory ")))
        << outText.toStdString();
    EXPECT_TRUE(outText.contains(QStringLiteral("\nConnected with FTP serwer\n")));
    EXPECT_TRUE(outText.contains(QStringLiteral("index.html file was successfuly upload")));

    int compared = 0;
    for (const QString& sub : {QString(), QStringLiteral("/img")}) {
        const QString localDir = folder.publishShop() + sub;
        const QString remoteDir = server.home() + QStringLiteral("/Kalmenor") + sub;
        const QStringList names = uploadFileList(localDir);
        EXPECT_EQ(QDir(remoteDir).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase), names);
        for (const QString& name : names) {
            EXPECT_EQ(testsupport::readFile(remoteDir + QLatin1Char('/') + name),
                      testsupport::readFile(localDir + QLatin1Char('/') + name))
                << name.toStdString();
            ++compared;
        }
    }
    EXPECT_GT(compared, 10);
}

INSTANTIATE_TEST_SUITE_P(PassiveAndActive, DemoShopUploadTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Passive" : "Active"; });

} // namespace
