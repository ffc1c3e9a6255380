// FtpClient against a real FTP server (pyftpdlib from Debian) on 127.0.0.1.
#include "ftptestservers.h"
#include "publish/ftpclient.h"
#include "publish/ftpreplyerror.h"
#include "publish/inactivitylimit.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

using namespace publish;

namespace {

class FtpRealServerTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.started()) << server.startError().toStdString();
        client.Host = QStringLiteral("localhost");
        client.Port = server.port();
        client.User = QStringLiteral("kupiec");
        client.Password = QStringLiteral("tajne");
        client.Passive = GetParam();
    }
    InactivityLimit limit{10s};
    RealFtpServer server;
    FtpClient client;
    QTemporaryDir local;
};

TEST_P(FtpRealServerTest, StoresFilesByteForByte)
{
    QByteArray big;
    for (int i = 0; i < 300000; ++i)
        big.append(char((i * 31) ^ (i >> 8)));
    const QList<QPair<QString, QByteArray>> files = {
        {QStringLiteral("index.html"), QByteArray("<html>\r\n</html>\r\n")},
        {QStringLiteral("empty.html"), QByteArray()},
        {QStringLiteral("zdjęcie żółwia.jpg"), big},
        {QStringLiteral("exactly32k.bin"), QByteArray(FtpClient::kPieceSize, 'x')},
    };
    for (const auto& [name, bytes] : files)
        testsupport::writeFile(local.filePath(name), bytes);

    client.connectAndLogin();
    client.makeDirectory(QStringLiteral("Kalmenor"));
    client.makeDirectory(QStringLiteral("Kalmenor/img"));
    for (const auto& [name, bytes] : files)
        client.storeFile(local.filePath(name), QStringLiteral("Kalmenor/img/") + name);
    // Storing again overwrites.
    testsupport::writeFile(local.filePath(QStringLiteral("index.html")), "changed");
    client.storeFile(local.filePath(QStringLiteral("index.html")), QStringLiteral("Kalmenor/img/index.html"));
    // A folder that exists already is refused by the server, and the session goes on.
    EXPECT_THROW(client.makeDirectory(QStringLiteral("Kalmenor")), FtpReplyError);
    client.storeFile(local.filePath(QStringLiteral("empty.html")), QStringLiteral("Kalmenor/after.html"));
    client.disconnect();

    const QString remote = server.home() + QStringLiteral("/Kalmenor/img/");
    for (const auto& [name, bytes] : files) {
        const QByteArray expected = name == QStringLiteral("index.html") ? QByteArray("changed") : bytes;
        EXPECT_EQ(testsupport::readFile(remote + name), expected) << name.toStdString();
    }
    EXPECT_TRUE(QFile::exists(server.home() + QStringLiteral("/Kalmenor/after.html")));
}

INSTANTIATE_TEST_SUITE_P(PassiveAndActive, FtpRealServerTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Passive" : "Active"; });

} // namespace
