// The upload of the generated shop: settings check, both passes with their report lines, progress,
// failures per file, time lines and the saved report.
#include "fakeinteraction.h"
#include "ftptestservers.h"
#include "publish/ftpclient.h"
#include "publish/inactivitylimit.h"
#include "publish/shopupload.h"
#include "publish/uploadcommand.h"
#include "shell/settings.h"
#include "shell/textfile.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>

using namespace std::chrono_literals;

using namespace publish;

namespace {

// Records everything the upload tells the window.
struct Recorder {
    QStringList report;
    QStringList statuses;
    QStringList folders;
    int connectedCount = 0;
    int maximum = -1;
    int progress = 0;
    QStringList failures;

    UploadCallbacks callbacks()
    {
        UploadCallbacks c;
        c.appendReport = [this](const QString& line) { report << line; };
        c.showStatus = [this](const QString& text) { statuses << text; };
        c.connected = [this] { ++connectedCount; };
        c.showFolder = [this](const QString& folder, const QStringList&) {
            folders << QDir(folder).dirName();
        };
        c.progressMaximum = [this](int m) { maximum = m; };
        c.fileStarting = [this](int, int p) { progress = p; };
        c.fileFinished = [this](const QString& name, bool ok, const QString& message) {
            if (!ok)
                failures << name + QStringLiteral(": ") + message;
        };
        return c;
    }
    // The report without its three time lines.
    QStringList withoutTimes() const { return report.mid(0, report.size() - 3); }
};

class ShopUploadBase : public ::testing::Test {
protected:
    void SetUp() override { shop = local.filePath(QStringLiteral("Kalmenor")); }
    void writeShop(bool withPictures = true)
    {
        testsupport::writeFile(shop + QStringLiteral("/index.html"), "<frameset></frameset>");
        testsupport::writeFile(shop + QStringLiteral("/ID000000001K.html"), QByteArray(70000, 'k'));
        testsupport::writeFile(shop + QStringLiteral("/color.css"), ".navig {background-color:#FFFFFF;}");
        testsupport::writeFile(shop + QStringLiteral("/Sk.js"), "function add(){}");
        testsupport::writeFile(shop + QStringLiteral("/.hidden"), "not sent");
        QDir(shop).mkpath(QStringLiteral("img"));
        QDir(shop).mkpath(QStringLiteral("sub"));
        if (withPictures) {
            QByteArray jpeg(123457, '\0');
            for (int i = 0; i < jpeg.size(); ++i)
                jpeg[i] = char(i % 251);
            testsupport::writeFile(shop + QStringLiteral("/img/b.jpg"), jpeg);
            testsupport::writeFile(shop + QStringLiteral("/img/A.gif"), "GIF89a");
        }
    }

    InactivityLimit limit{10s};
    shell::FtpSettings ftp = localFtpSettings(0, false);
    QTemporaryDir local;
    QString shop;
    FakeInteraction interaction;
    FtpClient client;
    Recorder recorder;
};

class ShopUploadTest : public ShopUploadBase, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        ShopUploadBase::SetUp();
        ftp.passive = GetParam();
    }
};

TEST_P(ShopUploadTest, SendsBothFoldersWithReportLinesAndProgress)
{
    RealFtpServer server;
    ASSERT_TRUE(server.started()) << server.startError().toStdString();
    ftp.port = QString::number(server.port());
    writeShop();
    QDir(server.home()).mkdir(QStringLiteral("Kalmenor")); // left from an earlier upload

    const UploadResult result =
        uploadShop(shop, ftp, QTime::currentTime(), client, recorder.callbacks(), interaction);

    EXPECT_TRUE(result.succeeded());
    EXPECT_EQ(result.filesSent, 6);
    EXPECT_EQ(uploadExitStatus(result), 0);
    EXPECT_TRUE(interaction.errors.isEmpty()) << interaction.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(recorder.withoutTimes(),
              (QStringList{QStringLiteral("Connected with FTP serwer"),
                           QStringLiteral("Plain FTP: the password travels unencrypted"),
                           QStringLiteral("A.gif plik pomyślnie przesłany"),
                           QStringLiteral("b.jpg plik pomyślnie przesłany"),
                           QStringLiteral("color.css file was successfuly upload"),
                           QStringLiteral("Sk.js file was successfuly upload"),
                           QStringLiteral("ID000000001K.html file was successfuly upload"),
                           QStringLiteral("index.html file was successfuly upload"),
                           QStringLiteral("Disconnected")}));
    EXPECT_TRUE(recorder.report.at(recorder.report.size() - 3).startsWith(QStringLiteral("Start task ")));
    EXPECT_TRUE(recorder.report.at(recorder.report.size() - 2).startsWith(QStringLiteral("End task ")));
    EXPECT_TRUE(recorder.report.last().startsWith(QStringLiteral("Time 00:00:")));
    EXPECT_EQ(recorder.maximum, 6);
    EXPECT_EQ(recorder.progress, 6);
    EXPECT_EQ(recorder.connectedCount, 1);
    EXPECT_EQ(recorder.folders, (QStringList{QStringLiteral("img"), QStringLiteral("Kalmenor")}));
    EXPECT_EQ(recorder.statuses.value(0), QStringLiteral("Connecting to 127.0.0.1."));
    EXPECT_EQ(recorder.statuses.last(), QStringLiteral("Disconnected"));

    // Every local file arrived byte for byte, and nothing else.
    const QString remote = server.home() + QStringLiteral("/Kalmenor");
    for (const QString& folder : {QString(), QStringLiteral("/img")}) {
        QStringList localFiles = uploadFileList(shop + folder);
        QStringList expected = localFiles;
        if (folder.isEmpty())
            expected.prepend(QStringLiteral(".kalmenor-manifest")); // and no temporary file left
        EXPECT_EQ(QDir(remote + folder).entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase),
                  expected);
        for (const QString& name : localFiles)
            EXPECT_EQ(testsupport::readFile(remote + folder + QLatin1Char('/') + name),
                      testsupport::readFile(shop + folder + QLatin1Char('/') + name))
                << name.toStdString();
    }
    EXPECT_FALSE(QFile::exists(remote + QStringLiteral("/sub")));
}

TEST_P(ShopUploadTest, EmptyPictureFolderIsStillCreated)
{
    RealFtpServer server;
    ASSERT_TRUE(server.started());
    ftp.port = QString::number(server.port());
    writeShop(false);
    const UploadResult result =
        uploadShop(shop, ftp, QTime::currentTime(), client, recorder.callbacks(), interaction);
    EXPECT_TRUE(result.succeeded());
    EXPECT_EQ(recorder.maximum, 4);
    EXPECT_TRUE(QFileInfo(server.home() + QStringLiteral("/Kalmenor/img")).isDir());
    EXPECT_EQ(recorder.withoutTimes().filter(QStringLiteral("plik")), QStringList());
}

TEST_P(ShopUploadTest, WrongPasswordShowsTheServerLineAndSendsNothing)
{
    RealFtpServer server;
    ASSERT_TRUE(server.started());
    ftp.port = QString::number(server.port());
    ftp.password = QStringLiteral("zle");
    writeShop();
    const UploadResult result =
        uploadShop(shop, ftp, QTime::currentTime(), client, recorder.callbacks(), interaction);
    EXPECT_FALSE(result.connected);
    EXPECT_EQ(uploadExitStatus(result), 2);
    ASSERT_EQ(interaction.errors.size(), 1);
    EXPECT_TRUE(interaction.errors[0].startsWith(QStringLiteral("530 ")));
    // Connected, then dropped; no file lines, no time lines.
    EXPECT_EQ(recorder.report,
              (QStringList{QStringLiteral("Connected with FTP serwer"), QStringLiteral("Disconnected")}));
    EXPECT_FALSE(QFileInfo::exists(server.home() + QStringLiteral("/Kalmenor")));
}

INSTANTIATE_TEST_SUITE_P(PassiveAndActive, ShopUploadTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Passive" : "Active"; });

class ShopUploadFaultTest : public ShopUploadBase {
protected:
    // Uploads the shop to the scripted server in passive mode and waits for the script's end.
    UploadResult uploadTo(FakeFtpServer& server)
    {
        ftp.port = QString::number(server.port());
        ftp.passive = true;
        const UploadResult result =
            uploadShop(shop, ftp, QTime::currentTime(), client, recorder.callbacks(), interaction);
        server.join();
        EXPECT_EQ(server.failure(), "");
        return result;
    }
};

TEST_F(ShopUploadFaultTest, NoServerBadPortAndUnknownHost)
{
    writeShop();
    // Nobody listens on the port: the system's refusal, nothing else.
    ftp.port = QString::number(unusedLocalPort());
    UploadResult result =
        uploadShop(shop, ftp, QTime::currentTime(), client, recorder.callbacks(), interaction);
    EXPECT_FALSE(result.connected);
    ASSERT_EQ(interaction.errors.size(), 1);
    EXPECT_TRUE(interaction.errors[0].startsWith(QStringLiteral("Socket Error # 111\r\n")))
        << interaction.errors[0].toStdString();
    EXPECT_TRUE(recorder.report.isEmpty());

    ftp.port = QStringLiteral("21a");
    result = uploadShop(shop, ftp, QTime::currentTime(), client, recorder.callbacks(), interaction);
    EXPECT_EQ(uploadExitStatus(result), 2);
    EXPECT_EQ(interaction.errors.value(1), QStringLiteral("'21a' is not a valid integer value"));

    ftp.port = QStringLiteral("21");
    ftp.host = QStringLiteral("no-such-host.invalid");
    recorder.statuses.clear();
    result = uploadShop(shop, ftp, QTime::currentTime(), client, recorder.callbacks(), interaction);
    EXPECT_FALSE(result.connected);
    EXPECT_TRUE(interaction.errors.value(2).startsWith(QStringLiteral("Socket Error # ")));
    EXPECT_EQ(recorder.statuses.value(0), QStringLiteral("Resolving hostname no-such-host.invalid."));
    EXPECT_TRUE(recorder.report.isEmpty());
}

// Answers what the upload asks before its first file: the folders, and no manifest yet.
void beforeFirstFile(FakeFtpSession& s)
{
    s.login();
    s.expect("MKD Kalmenor");
    s.reply("550 Kalmenor: File exists");
    s.expect("PASV");
    s.reply(s.openPassive());
    s.expect("RETR Kalmenor/.kalmenor-manifest");
    s.reply("550 No such file");
    s.expect("MKD Kalmenor/img");
    s.reply("257 created");
    // A listing refused: every file takes the rename.
    s.expect("PASV");
    s.reply(s.openPassive());
    s.expect("NLST Kalmenor");
    s.reply("450 No files found");
}

// Takes one file under its temporary name; the PASV was read already when passiveRead.
void storeTemporary(FakeFtpSession& s, const std::string& name, bool passiveRead = false)
{
    if (!passiveRead)
        s.expect("PASV");
    s.reply(s.openPassive());
    s.expect("STOR Kalmenor/." + name + ".part");
    s.reply("150 go");
    s.receiveData();
    s.reply("226 ok");
}

// The server takes color.css, then drops the control connection at the next file.
void sendFirstThenDrop(FakeFtpSession& s)
{
    beforeFirstFile(s);
    storeTemporary(s, "color.css");
    s.expect("RNFR Kalmenor/.color.css.part");
    s.reply("350 ready");
    s.expect("RNTO Kalmenor/color.css");
    s.reply("250 renamed");
    s.expect("PASV");
    s.closeControl();
}

// The server takes color.css and Sk.js, then drops the connection inside Sk.js's pipelined rename,
// after the 350: whether Sk.js got its name is unknown.
void dropInsideTheRename(FakeFtpSession& s)
{
    beforeFirstFile(s);
    storeTemporary(s, "color.css");
    s.expect("RNFR Kalmenor/.color.css.part");
    s.expect("RNTO Kalmenor/color.css");
    s.expect("PASV");
    s.reply("350 ready\n250 renamed");
    storeTemporary(s, "Sk.js", true);
    s.expect("RNFR Kalmenor/.Sk.js.part");
    s.expect("RNTO Kalmenor/Sk.js");
    s.reply("350 ready");
    s.closeControl();
}

// Takes every command of a logged-in session until the client closes, storing what is sent; a command
// starting with a key of `refusals` gets that answer instead. NLST answers with `listings` by folder.
void acceptEverythingBut(FakeFtpSession& s, const std::map<std::string, std::string>& refusals,
                         const std::map<std::string, std::string>& listings = {})
{
    s.login();
    for (std::string command = s.readCommand(); !command.empty(); command = s.readCommand()) {
        const auto refusal = std::find_if(refusals.begin(), refusals.end(),
                                          [&](const auto& r) { return command.rfind(r.first, 0) == 0; });
        if (refusal != refusals.end()) {
            s.reply(refusal->second);
        } else if (command.rfind("PASV", 0) == 0) {
            s.reply(s.openPassive());
        } else if (command.rfind("STOR", 0) == 0) {
            s.reply("150 go");
            s.receiveData();
            s.reply("226 ok");
        } else if (command.rfind("RETR", 0) == 0) {
            s.reply("550 No such file");
        } else if (command.rfind("NLST ", 0) == 0) {
            const auto listing = listings.find(command.substr(5));
            if (listing == listings.end()) {
                s.reply("450 No files found");
            } else {
                s.reply("150 Here comes the list");
                s.sendData(listing->second);
                s.reply("226 ok");
            }
        } else if (command.rfind("RNFR", 0) == 0) {
            s.reply("350 ready");
        } else {
            s.reply(command.rfind("MKD", 0) == 0 ? "257 ok" : "250 ok");
        }
    }
}

void acceptEverything(FakeFtpSession& s)
{
    acceptEverythingBut(s, {});
}

// A connection lost at a file, and how many STOR the server saw when the upload went on.
struct LostConnection {
    const char* name;
    FakeFtpServer::Script firstSession;
    size_t storesWhenReconnected;
};

class ShopUploadLostConnectionTest : public ShopUploadFaultTest,
                                     public ::testing::WithParamInterface<LostConnection> {};

TEST_P(ShopUploadLostConnectionTest, ConnectionIsOpenedAgainAndTheRunGoesOnFromTheFailedFile)
{
    writeShop(false);
    FakeFtpServer server({GetParam().firstSession, acceptEverything});
    const UploadResult result = uploadTo(server);
    EXPECT_TRUE(result.succeeded());
    EXPECT_EQ(result.filesSent, 4);
    EXPECT_EQ(uploadExitStatus(result), 0);
    const QStringList report = recorder.withoutTimes();
    EXPECT_EQ(report.mid(0, 7), (QStringList{QStringLiteral("Connected with FTP serwer"),
                                             QStringLiteral("Plain FTP: the password travels unencrypted"),
                                             QStringLiteral("color.css file was successfuly upload"),
                                             QStringLiteral("Disconnected"),
                                             QStringLiteral("Connection lost; connecting again"),
                                             QStringLiteral("Connected with FTP serwer"),
                                             QStringLiteral("Sk.js file was successfuly upload")}));
    EXPECT_EQ(report.filter(QStringLiteral("error")), QStringList());
    // The failed file went again; nothing that was confirmed went twice.
    const std::vector<std::string> commands = server.commands();
    EXPECT_EQ(size_t(std::count_if(commands.begin(), commands.end(),
                                   [](const std::string& c) { return c.rfind("STOR", 0) == 0; })),
              GetParam().storesWhenReconnected);
}

TEST_P(ShopUploadLostConnectionTest, ConnectionLostForGoodStopsAtOnceWithOneLine)
{
    writeShop(false);
    // The second connection is closed before the greeting.
    FakeFtpServer server({GetParam().firstSession, [](FakeFtpSession& s) { s.closeControl(); }});
    const UploadResult result = uploadTo(server);
    EXPECT_EQ(result.filesSent, 1);
    EXPECT_EQ(result.filesNotSent, 3);
    EXPECT_EQ(uploadExitStatus(result), 1);
    const QStringList report = recorder.withoutTimes();
    EXPECT_EQ(report.filter(QStringLiteral("error during sending")), QStringList());
    EXPECT_EQ(report.filter(QStringLiteral("błąd")), QStringList());
    EXPECT_EQ(report.last(), QStringLiteral("Connection lost after 1 of 4 files; 3 not sent"));
    EXPECT_TRUE(recorder.report.last().startsWith(QStringLiteral("Time ")));
    EXPECT_EQ(recorder.failures.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    WhereItIsLost, ShopUploadLostConnectionTest,
    ::testing::Values(LostConnection{"AtTheNextFile", sendFirstThenDrop, 5}, // four files and the manifest
                      LostConnection{"InsideTheRename", dropInsideTheRename, 6}), // and Sk.js twice
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShopUploadFaultTest, RefusedRenameFailsThatFileAndTheRestGoesOn)
{
    // A temporary refusal of the pipelined RNFR; the PASV sent with it serves the next file.
    writeShop(false);
    FakeFtpServer server([](FakeFtpSession& s) {
        acceptEverythingBut(s, {{"RNFR Kalmenor/.Sk.js.part", "450 File busy"},
                                {"RNTO Kalmenor/Sk.js", "503 Bad sequence of commands"}});
    });
    const UploadResult result = uploadTo(server);
    EXPECT_EQ(result.filesSent, 3);
    EXPECT_EQ(result.filesFailed, 1);
    EXPECT_EQ(uploadExitStatus(result), 1);
    EXPECT_EQ(recorder.failures,
              QStringList{QStringLiteral("Sk.js: Stored as Kalmenor/.Sk.js.part but not renamed to "
                                         "Kalmenor/Sk.js: 450 File busy")});
    EXPECT_TRUE(recorder.report.contains(QStringLiteral("Sk.js error during sending file")));
    EXPECT_TRUE(recorder.report.contains(QStringLiteral("index.html file was successfuly upload")));
    const std::vector<std::string> commands = server.commands();
    // One per transfer (the manifest read, the listing, four files, the new manifest): the PASV that
    // went with the refused rename served the next file.
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "PASV"), 7);
}

TEST_F(ShopUploadFaultTest, FilesTheServerLacksGoUnderTheirOwnNameTheOthersReplaceThroughARename)
{
    writeShop();
    // The shop folder lists color.css (with its path, as some servers answer) and the start page in
    // other letter case; the picture folder cannot be listed.
    FakeFtpServer server([](FakeFtpSession& s) {
        acceptEverythingBut(s, {}, {{"Kalmenor", "Kalmenor/color.css\r\nINDEX.HTML\r\n"}});
    });
    const UploadResult result = uploadTo(server);
    EXPECT_TRUE(result.succeeded());
    EXPECT_EQ(result.filesSent, 6);
    std::vector<std::string> stored;
    for (const std::string& command : server.commands())
        if (command.rfind("STOR", 0) == 0 || command.rfind("RNTO", 0) == 0)
            stored.push_back(command);
    EXPECT_EQ(stored, (std::vector<std::string>{"STOR Kalmenor/img/.A.gif.part", "RNTO Kalmenor/img/A.gif",
                                                "STOR Kalmenor/img/.b.jpg.part", "RNTO Kalmenor/img/b.jpg",
                                                "STOR Kalmenor/.color.css.part", "RNTO Kalmenor/color.css",
                                                "STOR Kalmenor/Sk.js", "STOR Kalmenor/ID000000001K.html",
                                                "STOR Kalmenor/.index.html.part", "RNTO Kalmenor/index.html",
                                                "STOR Kalmenor/..kalmenor-manifest.part",
                                                "RNTO Kalmenor/.kalmenor-manifest"}));
}

TEST(FtpSettingsCheck, FirstEmptyFieldWins)
{
    shell::FtpSettings ftp;
    ftp.host = QStringLiteral("ftp.example.pl");
    ftp.port = QStringLiteral("21");
    ftp.user = QStringLiteral("   "); // blanks count as filled
    ftp.password = QStringLiteral("x");
    FakeInteraction interaction;
    EXPECT_TRUE(checkFtpSettings(ftp, interaction));
    EXPECT_TRUE(interaction.messages.isEmpty());

    struct Case {
        QString shell::FtpSettings::*field;
        const char* message;
    } cases[] = {
        {&shell::FtpSettings::host, "Please fill Host name - (Options/FTP page)"},
        {&shell::FtpSettings::port, "Please fill Port value, default value is 21 - (Options/FTP page)"},
        {&shell::FtpSettings::user, "Please fill User ID  - (Options/FTP page)"},
        {&shell::FtpSettings::password, "Please fill Password - (Options/FTP page)"},
    };
    shell::FtpSettings empty;
    empty.port.clear();
    for (const Case& c : cases) {
        shell::FtpSettings missing = ftp;
        missing.*c.field = QString();
        FakeInteraction one;
        EXPECT_FALSE(checkFtpSettings(missing, one));
        EXPECT_EQ(one.messages, QStringList{QString::fromLatin1(c.message)});
    }
    FakeInteraction all;
    EXPECT_FALSE(checkFtpSettings(empty, all));
    EXPECT_EQ(all.messages, QStringList{QStringLiteral("Please fill Host name - (Options/FTP page)")});
}

TEST(UploadTimes, LongTimeFormatAndRunsAcrossMidnight)
{
    EXPECT_EQ(reportTimeText(QTime(9, 5, 7)), QStringLiteral("09:05:07"));
    EXPECT_EQ(elapsedTime(QTime(10, 0, 0), QTime(10, 2, 5)), QTime(0, 2, 5));
    EXPECT_EQ(elapsedTime(QTime(23, 59, 50), QTime(0, 0, 20)), QTime(0, 0, 30));
    EXPECT_EQ(elapsedTime(QTime(12, 0, 0), QTime(12, 0, 0)), QTime(0, 0, 0));
}

TEST(SaveReport, WritesEveryLineOrNothingWhenCancelled)
{
    QTemporaryDir dir;
    FakeInteraction interaction;
    const QStringList lines = {QStringLiteral("Generate web shop to the directory /x"), QString(),
                               QStringLiteral("b.jpg plik pomyślnie przesłany")};
    EXPECT_FALSE(saveReport(lines, interaction));
    EXPECT_TRUE(QDir(dir.path()).isEmpty());

    interaction.files.push_back(dir.filePath(QStringLiteral("raport")));
    EXPECT_TRUE(saveReport(lines, interaction));
    const QByteArray bytes = testsupport::readFile(dir.filePath(QStringLiteral("raport.txt")));
    EXPECT_TRUE(bytes.startsWith("Generate web shop to the directory /x\r\n\r\nb.jpg plik"));
    EXPECT_EQ(shell::textfile::readLines(dir.filePath(QStringLiteral("raport.txt"))), lines);
}

TEST(CommandLinePassword, RememberedPasswordFirstThenEnvironment)
{
    qputenv("KALMENOR_FTP_PASSWORD", "zmiennej");
    shell::FtpSettings ftp;
    EXPECT_EQ(withCommandLinePassword(ftp).password, QStringLiteral("zmiennej"));
    ftp.password = QStringLiteral("zapamietane");
    EXPECT_EQ(withCommandLinePassword(ftp).password, QStringLiteral("zapamietane"));
    qunsetenv("KALMENOR_FTP_PASSWORD");
    EXPECT_EQ(withCommandLinePassword(shell::FtpSettings{}).password, QString());
}

} // namespace

namespace {

TEST_F(ShopUploadFaultTest, CommandLineUploadPrintsTheReportAndTellsTheOutcome)
{
    RealFtpServer server;
    ASSERT_TRUE(server.started());
    ftp.port = QString::number(server.port());
    ftp.password.clear(); // not remembered: the environment gives it
    qputenv("KALMENOR_FTP_PASSWORD", "tajne");
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    int generations = 0;
    auto generate = [&](const std::function<void()>& upload) {
        ++generations;
        writeShop();
        upload();
        return true;
    };
    EXPECT_EQ(uploadShopCommand(ftp, shop, generate, out, err, interaction), 0);
    EXPECT_TRUE(outText.contains(QStringLiteral("index.html file was successfuly upload\n")));
    EXPECT_TRUE(outText.contains(QStringLiteral("\nTime ")));
    EXPECT_TRUE(errText.isEmpty()) << errText.toStdString();

    // Nothing changed: nothing is sent again.
    outText.clear();
    EXPECT_EQ(uploadShopCommand(ftp, shop, generate, out, err, interaction), 0);
    EXPECT_TRUE(outText.contains(QStringLiteral("\n6 files unchanged since the last upload, not sent\n")))
        << outText.toStdString();
    EXPECT_FALSE(outText.contains(QStringLiteral("successfuly")));

    // Pictures the server cannot store (a file stands where their folder was), everything sent again
    // (--all): exit status 1, reasons on err.
    QDir(server.home()).rename(QStringLiteral("Kalmenor/img"), QStringLiteral("moved"));
    testsupport::writeFile(server.home() + QStringLiteral("/Kalmenor/img"), "a file where the folder was");
    outText.clear();
    UploadOptions all;
    all.sendAll = true;
    EXPECT_EQ(uploadShopCommand(ftp, shop, generate, out, err, interaction, all), 1);
    EXPECT_TRUE(outText.contains(QStringLiteral("index.html file was successfuly upload")));
    EXPECT_TRUE(outText.contains(QStringLiteral("b.jpg błąd przesyłania pliku"))) << outText.toStdString();
    EXPECT_TRUE(errText.startsWith(QStringLiteral("A.gif: "))) << errText.toStdString();

    // Incomplete settings: the message, no generation.
    qunsetenv("KALMENOR_FTP_PASSWORD");
    EXPECT_EQ(uploadShopCommand(ftp, shop, generate, out, err, interaction), 2);
    EXPECT_EQ(interaction.messages.last(), QStringLiteral("Please fill Password - (Options/FTP page)"));
    EXPECT_EQ(generations, 3);

    // Generation that fails never uploads.
    ftp.password = QStringLiteral("tajne");
    EXPECT_EQ(uploadShopCommand(
                  ftp, shop, [](const std::function<void()>&) { return false; }, out, err, interaction),
              1);
}

} // namespace
