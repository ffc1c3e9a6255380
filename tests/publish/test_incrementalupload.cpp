// Republishing: only changed files go, the manifest on the server, deleting what an earlier upload
// sent and nothing else, the remote folder of the settings, the upload order and the TLS setting's
// defaults.
#include "fakeinteraction.h"
#include "ftptestservers.h"
#include "publish/manifest.h"
#include "publish/onlinecheck.h"
#include "publish/shopupload.h"
#include "shell/programfolder.h"
#include "shell/settings.h"
#include "shell/settingskeys.h"
#include "testsupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

using namespace publish;
using namespace std::chrono_literals;

namespace {

class IncrementalUploadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.started()) << server.startError().toStdString();
        ftp = localFtpSettings(server.port(), true);
        shop = local.filePath(QStringLiteral("Kalmenor"));
        for (int i = 1; i <= 5; ++i)
            testsupport::writeFile(shop + QStringLiteral("/ID00000000%1P.html").arg(i),
                                   QByteArray(3000, char('a' + i)));
        testsupport::writeFile(shop + QStringLiteral("/index.html"), "start");
        testsupport::writeFile(shop + QStringLiteral("/img/p1.jpg"), QByteArray(9000, 'j'));
    }
    QStringList sent(const UploadOptions& options = {})
    {
        QStringList lines;
        UploadCallbacks callbacks;
        callbacks.appendReport = [&lines](const QString& line) { lines << line; };
        FtpClient client;
        last = uploadShop(shop, ftp, QTime::currentTime(), client, callbacks, interaction, options);
        EXPECT_TRUE(last.succeeded()) << lines.join(QLatin1Char('\n')).toStdString();
        QStringList names;
        for (const QString& line : lines)
            if (line.endsWith(QStringLiteral(" file was successfuly upload"))
                || line.endsWith(QStringLiteral(" plik pomyślnie przesłany")))
                names << line.section(QLatin1Char(' '), 0, 0);
        report = lines;
        return names;
    }
    QString remote(const QString& name) const { return server.home() + QStringLiteral("/Kalmenor/") + name; }

    InactivityLimit limit{10s};
    RealFtpServer server;
    QTemporaryDir local;
    QString shop;
    shell::FtpSettings ftp;
    FakeInteraction interaction;
    UploadResult last;
    QStringList report;
};

TEST_F(IncrementalUploadTest, OnlyChangedFilesGoAndDeletingTouchesOnlyWhatWasSentBefore)
{
    EXPECT_EQ(sent().size(), 7);
    const Manifest first = parseManifest(testsupport::readFile(remote(kManifestName)));
    EXPECT_EQ(first.size(), 7);
    EXPECT_EQ(first.value(QStringLiteral("img/p1.jpg")), fileHash(shop + QStringLiteral("/img/p1.jpg")));

    // Nothing changed: nothing sent, not even the manifest.
    EXPECT_EQ(sent(), QStringList());
    EXPECT_EQ(last.filesUnchanged, 7);

    // One page changed, one gone, one new; a file the merchant put there himself stays.
    testsupport::writeFile(shop + QStringLiteral("/ID000000002P.html"), "new price");
    QFile::remove(shop + QStringLiteral("/ID000000005P.html"));
    testsupport::writeFile(shop + QStringLiteral("/ID000000006P.html"), "new product");
    testsupport::writeFile(remote(QStringLiteral("merchant.html")), "his own");
    EXPECT_EQ(sent(),
              (QStringList{QStringLiteral("ID000000002P.html"), QStringLiteral("ID000000006P.html")}));
    EXPECT_EQ(testsupport::readFile(remote(QStringLiteral("ID000000002P.html"))), "new price");
    EXPECT_TRUE(QFile::exists(remote(QStringLiteral("ID000000005P.html")))); // no --delete

    UploadOptions remove;
    remove.deleteRemoved = true;
    EXPECT_EQ(sent(remove), QStringList());
    EXPECT_EQ(last.filesDeleted, 1);
    EXPECT_FALSE(QFile::exists(remote(QStringLiteral("ID000000005P.html"))));
    EXPECT_TRUE(QFile::exists(remote(QStringLiteral("merchant.html"))));
    EXPECT_FALSE(parseManifest(testsupport::readFile(remote(kManifestName)))
                     .contains(QStringLiteral("ID000000005P.html")));

    // A file changed on the server behind our back is not noticed; --all sends it again.
    testsupport::writeFile(remote(QStringLiteral("index.html")), "damaged");
    EXPECT_EQ(sent(), QStringList());
    UploadOptions all;
    all.sendAll = true;
    EXPECT_EQ(sent(all).size(), 7);
    EXPECT_EQ(testsupport::readFile(remote(QStringLiteral("index.html"))), "start");
}

TEST_F(IncrementalUploadTest, HostileManifestNamesNothingOutsideTheShop)
{
    // An earlier manifest (damaged, or written by someone else) listing files elsewhere.
    testsupport::writeFile(server.home() + QStringLiteral("/keep.txt"), "outside the shop");
    testsupport::writeFile(server.home() + QStringLiteral("/Kalmenor/sub/x.html"), "deeper");
    const QByteArray hash(64, 'a');
    testsupport::writeFile(remote(kManifestName), hash + "  ../keep.txt\n" + hash + "  sub/x.html\n" + hash
                                                      + "  /etc/passwd\nnot a line\n" + hash
                                                      + "  gone.html\n");
    testsupport::writeFile(remote(QStringLiteral("gone.html")), "old page");
    UploadOptions remove;
    remove.deleteRemoved = true;
    EXPECT_EQ(sent(remove).size(), 7);
    EXPECT_EQ(last.filesDeleted, 1);
    EXPECT_FALSE(QFile::exists(remote(QStringLiteral("gone.html"))));
    EXPECT_TRUE(QFile::exists(server.home() + QStringLiteral("/keep.txt")));
    EXPECT_TRUE(QFile::exists(server.home() + QStringLiteral("/Kalmenor/sub/x.html")));
}

TEST_F(IncrementalUploadTest, RemoteFolderOfTheSettingsIsCreatedLevelByLevel)
{
    ftp.folder = QStringLiteral(" www/sklep/ ");
    EXPECT_EQ(remoteShopFolder(ftp), QStringLiteral("www/sklep"));
    EXPECT_EQ(sent().size(), 7);
    EXPECT_EQ(testsupport::readFile(server.home() + QStringLiteral("/www/sklep/index.html")), "start");
    EXPECT_TRUE(QFile::exists(server.home() + QStringLiteral("/www/sklep/img/p1.jpg")));
    EXPECT_FALSE(QFile::exists(server.home() + QStringLiteral("/Kalmenor")));
    ftp.folder.clear();
    EXPECT_EQ(remoteShopFolder(ftp), QStringLiteral("Kalmenor"));
}

TEST(UploadOrder, AssetsProductsCategoriesOtherPagesStartPageLast)
{
    const QStringList names = {QStringLiteral("index.html"),
                               QStringLiteral("cennik.html"),
                               QStringLiteral("ID000000002K.html"),
                               QStringLiteral("ID000000003P.html"),
                               QStringLiteral("sk.js"),
                               QStringLiteral("ID000000004W.html"),
                               QStringLiteral("color.css"),
                               QStringLiteral("send.php")};
    EXPECT_EQ(uploadOrder(names),
              (QStringList{QStringLiteral("sk.js"), QStringLiteral("color.css"), QStringLiteral("send.php"),
                           QStringLiteral("ID000000003P.html"), QStringLiteral("ID000000002K.html"),
                           QStringLiteral("ID000000004W.html"), QStringLiteral("cennik.html"),
                           QStringLiteral("index.html")}));
}

TEST(FtpTlsSetting, FreshInstallationTurnsItOnAnOlderFileWithoutTheKeyKeepsPlainFtp)
{
    QTemporaryDir program, config;
    QDir(program.path()).mkdir(QStringLiteral("Bd"));
    const shell::ProgramFolder folder(program.path());
    EXPECT_TRUE(shell::loadSettings(config.path(), folder).ftp.tls);
    shell::saveSettings(shell::loadSettings(config.path(), folder), config.path(), folder);
    EXPECT_TRUE(testsupport::readFile(config.filePath(QStringLiteral("KVO.INI"))).contains("tls=1"));

    QTemporaryDir older;
    testsupport::writeFile(older.filePath(QStringLiteral("KVO.INI")), "[FTP]\r\nhost=ftp.sklep.pl\r\n");
    const shell::Settings s = shell::loadSettings(older.path(), folder);
    EXPECT_FALSE(s.ftp.tls);
    EXPECT_EQ(s.ftp.host, QStringLiteral("ftp.sklep.pl"));
    EXPECT_TRUE(shell::findSettingKey(QStringLiteral("FTP/folder")));
    EXPECT_TRUE(shell::findSettingKey(QStringLiteral("Opcje/adres")));
}

} // namespace

namespace {

// Python's HTTP server on 127.0.0.1 serving a folder, as the shop's web server serves the FTP folder.
class HttpServer {
public:
    explicit HttpServer(const QString& root) : port(unusedLocalPort())
    {
        m_process.start(QStringLiteral("python3"),
                        {QStringLiteral("-m"), QStringLiteral("http.server"), QString::number(port),
                         QStringLiteral("--bind"), QStringLiteral("127.0.0.1"), QStringLiteral("--directory"),
                         root});
        m_process.waitForStarted(10000);
        // Ready when it answers.
        for (int i = 0; i < 100; ++i) {
            try {
                httpGet(QStringLiteral("http://127.0.0.1:%1/").arg(port), 1 << 20);
                return;
            } catch (const std::exception&) {
                QThread::msleep(50);
            }
        }
    }
    ~HttpServer()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1").arg(port); }
    int port;

private:
    QProcess m_process;
};

TEST_F(IncrementalUploadTest, ShopOnlineIsCheckedAfterTheUploadWithoutChangingItsOutcome)
{
    testsupport::writeFile(shop + QStringLiteral("/sk.js"), "function add(){}");
    QDir(server.home()).mkdir(QStringLiteral("Kalmenor"));
    const HttpServer web(server.home() + QStringLiteral("/Kalmenor"));
    UploadOptions options;
    options.shopAddress = web.url();
    sent(options);
    EXPECT_EQ(report.last(), QStringLiteral("Shop online: OK"));

    // What visitors get differs from what was sent (a cache, another server behind the name).
    testsupport::writeFile(remote(QStringLiteral("ID000000001P.html")), "stale copy");
    const QStringList lines = checkShopOnline(web.url() + QLatin1Char('/'), shop);
    EXPECT_EQ(
        lines,
        QStringList{
            QStringLiteral("Shop online: %1/ID000000001P.html differs from the file sent").arg(web.url())});

    // Nobody answers at the address: said, and the upload still counts as done.
    options.shopAddress = QStringLiteral("http://127.0.0.1:%1/sklep").arg(unusedLocalPort());
    testsupport::writeFile(shop + QStringLiteral("/index.html"), "changed");
    sent(options);
    EXPECT_TRUE(last.succeeded());
    EXPECT_TRUE(report.last().startsWith(QStringLiteral("Shop online: Socket Error # 111")))
        << report.last().toStdString();
    EXPECT_THROW(httpGet(QStringLiteral("ftp://x/"), 10), shell::AppError);
}

} // namespace
