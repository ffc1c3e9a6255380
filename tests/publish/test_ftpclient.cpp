// FtpClient against a scripted server: reply edge cases, faults and the recovery after a failed transfer.
#include "ftptestservers.h"
#include "publish/ftpclient.h"
#include "publish/ftpreplyerror.h"
#include "publish/inactivitylimit.h"
#include "publish/socketerror.h"
#include "testsupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>
#include <thread>

using namespace std::chrono_literals;

using namespace publish;

namespace {

using Commands = std::vector<std::string>;

// What an operation failed with: a reply's code and line, or the system's error number.
struct Failure {
    bool failed = false;
    int code = 0;
    int errorNumber = 0;
    QString message;
};

template <typename Operation> Failure failureOf(Operation&& operation)
{
    try {
        operation();
    } catch (const FtpReplyError& e) {
        return {true, e.code(), 0, e.message()};
    } catch (const SocketError& e) {
        return {true, 0, e.errorNumber(), e.message()};
    } catch (const shell::AppError& e) {
        return {true, 0, 0, e.message()};
    }
    return {};
}

// A 227 reply naming a local port.
std::string passiveReplyFor(int port)
{
    return "227 Entering Passive Mode (127,0,0,1," + std::to_string(port / 256) + ","
           + std::to_string(port % 256) + ")";
}

class FtpClientTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        client.Host = QStringLiteral("127.0.0.1");
        client.User = QStringLiteral("anna");
        client.Password = QStringLiteral("sekret");
        client.OnConnected = [this] { events << QStringLiteral("connected"); };
        client.OnDisconnected = [this] { events << QStringLiteral("disconnected"); };
        client.OnStatus = [this](FtpStatus, const QString& text) { statuses << text; };
    }
    QString localFile(const QByteArray& bytes, const QString& name = QStringLiteral("page.html"))
    {
        const QString path = dir.filePath(name);
        testsupport::writeFile(path, bytes);
        return path;
    }

    InactivityLimit limit{3s};
    FtpClient client;
    QTemporaryDir dir;
    QStringList events;
    QStringList statuses;
};

TEST_F(FtpClientTest, LogsInWithMultiLineGreetingAndReportsEachStep)
{
    FakeFtpServer server([](FakeFtpSession& s) {
        // A short line inside the greeting must not end it.
        s.reply("220-Welcome\nhi\n220-second line\n220 ready");
        s.expect("user");
        s.reply("331 Password required");
        s.expect("pass");
        s.reply("230 Logged in");
        s.expect("type I");
        s.reply("200 Binary");
        s.expect("syst");
        s.reply("215 UNIX Type: L8");
        s.expect("MKD Kalmenor");
        s.reply("257 \"/Kalmenor\" created");
        s.waitClientClose();
    });
    loginTo(client, server, false);
    EXPECT_EQ(client.systemDescription(), QStringLiteral(" UNIX Type: L8"));
    client.makeDirectory(QStringLiteral("Kalmenor"));
    EXPECT_EQ(client.replyCode(), 257);
    EXPECT_EQ(finish(client, server), "");
    EXPECT_EQ(server.commands(), (Commands{"user anna", "pass sekret", "type I", "syst", "MKD Kalmenor"}));
    EXPECT_EQ(statuses, (QStringList{QStringLiteral("Connecting to 127.0.0.1."), QStringLiteral("Connected."),
                                     QStringLiteral("Disconnecting from 127.0.0.1."),
                                     QStringLiteral("Not connected.")}));
    EXPECT_EQ(events, (QStringList{QStringLiteral("connected"), QStringLiteral("disconnected")}));

    // A second disconnect does nothing and tells nobody.
    client.disconnect();
    EXPECT_EQ(events.size(), 2);
}

TEST_F(FtpClientTest, LoginVariantsOfUserAndSyst)
{
    // 230 on "user" skips "pass"; 500 on "syst" is no failure; a bare "220" ends a multi-line reply.
    FakeFtpServer server([](FakeFtpSession& s) {
        s.reply("220-hello\n220");
        s.expect("user");
        s.reply("230 No password needed");
        s.expect("type I");
        s.reply("200 ok");
        s.expect("syst");
        s.reply("500 Unknown command");
        s.waitClientClose();
    });
    loginTo(client, server, false);
    EXPECT_TRUE(client.isConnected());
    EXPECT_EQ(client.systemDescription(), QStringLiteral("UNIX Type: L8"));
    client.disconnect();
    server.join();
    EXPECT_EQ(server.commands(), (Commands{"user anna", "type I", "syst"}));
}

TEST_F(FtpClientTest, RefusedLoginClosesAndCarriesTheLastReplyLine)
{
    FakeFtpServer server([](FakeFtpSession& s) {
        s.reply("220 ready");
        s.expect("user");
        s.reply("331 Password required");
        s.expect("pass");
        s.reply("530-Sorry\n530 Login incorrect.");
        s.waitClientClose();
    });
    client.Port = server.port();
    const Failure failure = failureOf([&] { client.connectAndLogin(); });
    EXPECT_EQ(failure.code, 530);
    EXPECT_EQ(failure.message, QStringLiteral("530 Login incorrect."));
    EXPECT_FALSE(client.isConnected());
    EXPECT_EQ(events, (QStringList{QStringLiteral("connected"), QStringLiteral("disconnected")}));
}

TEST_F(FtpClientTest, ServerWithoutTlsIsRefusedBeforeThePasswordIsSent)
{
    FakeFtpServer server([](FakeFtpSession& s) {
        s.reply("220 ready");
        s.expect("AUTH TLS");
        s.reply("500 Unknown command.");
        s.waitClientClose();
    });
    client.Port = server.port();
    client.Tls = true;
    const Failure failure = failureOf([&] { client.connectAndLogin(); });
    EXPECT_EQ(failure.code, 500);
    EXPECT_TRUE(failure.message.contains(QStringLiteral("does not offer TLS")))
        << failure.message.toStdString();
    EXPECT_FALSE(client.isConnected());
    server.join();
    EXPECT_EQ(server.commands(), (Commands{"AUTH TLS"})); // never "user" or "pass"
}

TEST_F(FtpClientTest, EndlessReplyIsCutOff)
{
    FakeFtpServer server([](FakeFtpSession& s) {
        std::string flood = "220-hello\r\n";
        for (int i = 0; i < 12000; ++i)
            flood += "still talking\r\n";
        s.sendRaw(flood);
        s.waitClientClose();
    });
    client.Port = server.port();
    EXPECT_THROW(client.connectAndLogin(), shell::AppError);
    EXPECT_FALSE(client.isConnected());
}

TEST_F(FtpClientTest, AlreadyConnectedIsRefused)
{
    FakeFtpServer server([](FakeFtpSession& s) {
        s.login();
        s.waitClientClose();
    });
    loginTo(client, server, false);
    EXPECT_EQ(failureOf([&] { client.connectAndLogin(); }).message, QStringLiteral("Already connected."));
    EXPECT_TRUE(client.isConnected());
    client.disconnect();
}

TEST_F(FtpClientTest, PassiveStoreSendsTheFileInPiecesWithOrWithoutParentheses)
{
    QByteArray content;
    for (int i = 0; i < 100000; ++i)
        content.append(char(i * 7));
    const QString path = localFile(content);
    std::string first, second;
    FakeFtpServer server([&](FakeFtpSession& s) {
        s.login();
        for (bool parentheses : {true, false}) {
            s.expect("PASV");
            s.reply(s.openPassive(parentheses));
            s.expect("STOR Kalmenor/page.html");
            s.reply("150 Ok to send data");
            (parentheses ? first : second) = s.receiveData();
            s.reply("226 Transfer complete");
        }
        s.waitClientClose();
    });
    loginTo(client, server, true);
    client.storeFile(path, QStringLiteral("Kalmenor/page.html"));
    client.storeFile(path, QStringLiteral("Kalmenor/page.html"));
    EXPECT_EQ(finish(client, server), "");
    EXPECT_EQ(first, content.toStdString());
    EXPECT_EQ(second, content.toStdString());
}

TEST_F(FtpClientTest, PassiveReplyNamingAnotherHostOnlyGivesThePort)
{
    // A reply pointing at another machine (here one that does not answer) must not take the file
    // there: the data connection goes to the control connection's peer, and the report says so once.
    const QString path = localFile("<html></html>");
    std::vector<std::string> received;
    FakeFtpServer server([&](FakeFtpSession& s) {
        s.login();
        for (int i = 0; i < 2; ++i) {
            s.expect("PASV");
            s.reply(s.openPassive(true, "10,255,255,1"));
            s.expect("STOR");
            s.reply("150 go");
            received.push_back(s.receiveData());
            s.reply("226 ok");
        }
        s.waitClientClose();
    });
    QStringList notices;
    client.OnNotice = [&notices](const QString& text) { notices << text; };
    loginTo(client, server, true);
    EXPECT_NO_THROW(client.storeFile(path, QStringLiteral("a.html")));
    EXPECT_NO_THROW(client.storeFile(path, QStringLiteral("b.html")));
    EXPECT_EQ(finish(client, server), "");
    EXPECT_EQ(received, (std::vector<std::string>{"<html></html>", "<html></html>"}));
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0].contains(QStringLiteral("10.255.255.1"))) << notices[0].toStdString();
    EXPECT_TRUE(notices[0].contains(QStringLiteral("127.0.0.1")));
}

TEST_F(FtpClientTest, ActiveStoreAnnouncesTheListeningPort)
{
    const QString path = localFile("<html></html>");
    std::string received;
    FakeFtpServer server([&](FakeFtpSession& s) {
        s.login();
        const std::string port = s.expect("PORT 127,0,0,1,");
        s.reply("200 PORT ok");
        s.expect("STOR Kalmenor/page.html");
        s.reply("150 Opening data connection");
        received = s.receiveActive(port);
        s.reply("226 Transfer complete");
        s.waitClientClose();
    });
    loginTo(client, server, false);
    client.storeFile(path, QStringLiteral("Kalmenor/page.html"));
    EXPECT_EQ(finish(client, server), "");
    EXPECT_EQ(received, "<html></html>");
}

TEST_F(FtpClientTest, ActiveServerThatCannotConnectBackFailsAtOnce)
{
    // Without waiting for the inactivity limit: the 425 arrives on the control connection.
    network::setInactivityLimit(20s);
    const QString path = localFile("x");
    FakeFtpServer server([&](FakeFtpSession& s) {
        s.login();
        s.expect("PORT");
        s.reply("200 PORT ok");
        s.expect("STOR");
        s.reply("150 Opening data connection");
        s.reply("425 Can't open data connection.");
        s.expect("MKD img");
        s.reply("257 created");
        s.waitClientClose();
    });
    client.Port = server.port();
    const auto started = std::chrono::steady_clock::now();
    client.connectAndLogin();
    EXPECT_EQ(failureOf([&] { client.storeFile(path, QStringLiteral("a")); }).code, 425);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
    EXPECT_NO_THROW(client.makeDirectory(QStringLiteral("img")));
    EXPECT_EQ(finish(client, server), "");
}

TEST_F(FtpClientTest, EndOfTransferReplies)
{
    // 426 then 226 is success; 426 then anything else fails; a 5xx on STOR fails without stalling
    // the next command.
    const QString path = localFile("x");
    FakeFtpServer server([&](FakeFtpSession& s) {
        s.login();
        for (const char* ending : {"426 Aborted\n226 Closing", "426 Aborted\n451 Local error", "250 Done"}) {
            s.expect("PASV");
            s.reply(s.openPassive());
            s.expect("STOR");
            s.reply("125 Go ahead");
            s.receiveData();
            s.reply(ending);
        }
        s.expect("PASV");
        s.reply(s.openPassive());
        s.expect("STOR");
        s.reply("553 Could not create file.");
        s.expect("MKD img");
        s.reply("257 created");
        s.waitClientClose();
    });
    loginTo(client, server, true);
    EXPECT_NO_THROW(client.storeFile(path, QStringLiteral("a")));
    EXPECT_EQ(failureOf([&] { client.storeFile(path, QStringLiteral("b")); }).code, 451);
    EXPECT_NO_THROW(client.storeFile(path, QStringLiteral("c")));
    const Failure refused = failureOf([&] { client.storeFile(path, QStringLiteral("d")); });
    EXPECT_EQ(refused.code, 553);
    EXPECT_EQ(refused.message, QStringLiteral("553 Could not create file."));
    EXPECT_NO_THROW(client.makeDirectory(QStringLiteral("img")));
    EXPECT_EQ(finish(client, server), "");
}

TEST_F(FtpClientTest, FailedDataConnectionReadsTheOwedRepliesSoLaterCommandsStayInStep)
{
    const QString path = localFile("data");
    const int deadPort = unusedLocalPort();
    FakeFtpServer server([&](FakeFtpSession& s) {
        s.login();
        s.expect("PASV");
        s.reply(passiveReplyFor(deadPort));
        s.expect("STOR first");
        s.reply("150 Ok to send data\n425 Can't open data connection.");
        // The next command must get its own answer, not the stale 425.
        s.expect("MKD img");
        s.reply("257 created");
        s.waitClientClose();
    });
    loginTo(client, server, true);
    EXPECT_EQ(failureOf([&] { client.storeFile(path, QStringLiteral("first")); }).errorNumber, ECONNREFUSED);
    EXPECT_TRUE(client.isConnected());
    EXPECT_NO_THROW(client.makeDirectory(QStringLiteral("img")));
    EXPECT_EQ(client.replyCode(), 257);
    EXPECT_EQ(finish(client, server), "");
}

TEST_F(FtpClientTest, LargeStoreTheServerStopsReadingEndsWithItsVerdict)
{
    // The server drops the data connection after the first piece, then refuses a store without ever
    // taking the data connection: sending stops quietly, the server's reply decides, and the refusal
    // is noticed instead of waiting for room in a connection nobody reads.
    const QString path = localFile(QByteArray(8 * 1024 * 1024, 'k'));
    FakeFtpServer server([&](FakeFtpSession& s) {
        s.login();
        s.expect("PASV");
        s.reply(s.openPassive());
        s.expect("STOR big.jpg");
        s.reply("150 go");
        s.receiveData(1000);
        s.reply("426 Connection closed; transfer aborted.\n552 Quota exceeded");
        s.expect("PASV");
        s.reply(s.openPassive());
        s.expect("STOR big.jpg");
        s.reply("553 Could not create file.");
        s.expect("MKD next");
        s.reply("257 ok");
        s.waitClientClose();
    });
    loginTo(client, server, true);
    EXPECT_EQ(failureOf([&] { client.storeFile(path, QStringLiteral("big.jpg")); }).code, 552);
    EXPECT_EQ(failureOf([&] { client.storeFile(path, QStringLiteral("big.jpg")); }).code, 553);
    EXPECT_NO_THROW(client.makeDirectory(QStringLiteral("next")));
    EXPECT_EQ(finish(client, server), "");
}

// The rename's RNFR and RNTO and the next transfer's PASV go in one write. Each script reads all three
// lines before it answers anything, so a client waiting for a reply in between would stall there.
TEST_F(FtpClientTest, PipelinedRenameWithSlowSplitRepliesAndNoDataBeforeTheGoAhead)
{
    const QString path = localFile("<p>page</p>");
    std::string received;
    FakeFtpServer server([&](FakeFtpSession& s) {
        s.login();
        s.expect("PASV");
        s.reply(s.openPassive());
        s.expect("STOR .a.part");
        s.reply("150 go");
        s.receiveData();
        s.reply("226 ok");
        s.expect("RNFR .a.part");
        s.expect("RNTO a");
        s.expect("PASV");
        // The answers trickle in, one cut inside its code.
        s.sendRaw("350-Ready\r\n35");
        std::this_thread::sleep_for(200ms);
        s.sendRaw("0 for the new name\r\n250 Renamed\r\n");
        std::this_thread::sleep_for(200ms);
        s.reply(s.openPassive());
        // The next store uses that port. The server reads its command late, as when the control
        // connection is slower than the data connection: bytes sent before the go-ahead would be
        // taken for a connection already over (pyftpdlib drops them).
        s.expect("STOR b");
        std::this_thread::sleep_for(300ms);
        if (s.dataCameEarly())
            throw std::runtime_error("data came before the go-ahead");
        s.reply("150 go");
        received = s.receiveData();
        s.reply("226 ok");
        s.waitClientClose();
    });
    loginTo(client, server, true);
    client.storeFile(path, QStringLiteral(".a.part"));
    client.renameFile(QStringLiteral(".a.part"), QStringLiteral("a"), true);
    EXPECT_EQ(client.replyCode(), 250);
    EXPECT_NO_THROW(client.storeFile(path, QStringLiteral("b")));
    EXPECT_EQ(finish(client, server), "");
    EXPECT_EQ(received, "<p>page</p>");
    EXPECT_EQ(server.commands(), (Commands{"user anna", "pass sekret", "type I", "syst", "PASV",
                                           "STOR .a.part", "RNFR .a.part", "RNTO a", "PASV", "STOR b"}));
}

TEST_F(FtpClientTest, PipelinedRepliesAreMatchedToTheirCommandsWhenRefused)
{
    const QString path = localFile("x");
    FakeFtpServer server([&](FakeFtpSession& s) {
        s.login();
        // A refused RNFR: the RNTO's 503 is not the error, the PASV's port still serves the next store.
        s.expect("RNFR .a.part");
        s.expect("RNTO a");
        s.expect("PASV");
        s.reply("550 .a.part: No such file\n503 Bad sequence of commands\n" + s.openPassive());
        s.expect("STOR c");
        s.reply("150 go");
        s.receiveData();
        s.reply("226 ok");
        // A refused RNTO, nothing pipelined after it.
        s.expect("RNFR .c.part");
        s.expect("RNTO c");
        s.reply("350 ready\n553 Not allowed");
        // A PASV sent ahead and then not needed: its reply is no answer to the MKD.
        s.expect("RNFR .d.part");
        s.expect("RNTO d");
        s.expect("PASV");
        s.reply("350 ready\n250 ok\n" + passiveReplyFor(unusedLocalPort()));
        s.expect("MKD img");
        s.reply("257 created");
        s.waitClientClose();
    });
    loginTo(client, server, true);
    const Failure from =
        failureOf([&] { client.renameFile(QStringLiteral(".a.part"), QStringLiteral("a"), true); });
    EXPECT_EQ(from.code, 550);
    EXPECT_EQ(from.message, QStringLiteral("550 .a.part: No such file"));
    EXPECT_NO_THROW(client.storeFile(path, QStringLiteral("c")));
    EXPECT_EQ(failureOf([&] { client.renameFile(QStringLiteral(".c.part"), QStringLiteral("c")); }).code,
              553);
    EXPECT_NO_THROW(client.renameFile(QStringLiteral(".d.part"), QStringLiteral("d"), true));
    EXPECT_NO_THROW(client.makeDirectory(QStringLiteral("img")));
    EXPECT_EQ(client.replyCode(), 257);
    EXPECT_EQ(finish(client, server), "");
}

TEST_F(FtpClientTest, ConnectionDroppedInsideThePipelineFailsTheRename)
{
    FakeFtpServer server([](FakeFtpSession& s) {
        s.login();
        s.expect("RNFR .a.part");
        s.expect("RNTO a");
        s.expect("PASV");
        s.reply("350 ready");
        s.closeControl();
    });
    loginTo(client, server, true);
    EXPECT_EQ(failureOf([&] {
                  client.renameFile(QStringLiteral(".a.part"), QStringLiteral("a"), true);
              }).errorNumber,
              ECONNRESET);
    EXPECT_FALSE(client.isConnected());
    EXPECT_EQ(events.last(), QStringLiteral("disconnected"));
}

TEST_F(FtpClientTest, ServerThatStopsAnsweringTimesOutAndLaterWorkFailsAtOnce)
{
    network::setInactivityLimit(300ms);
    const QString path = localFile("data");
    const int deadPort = unusedLocalPort();
    FakeFtpServer server([&](FakeFtpSession& s) {
        s.login();
        s.expect("PASV");
        s.reply(passiveReplyFor(deadPort));
        s.expect("STOR");
        s.waitClientClose(); // never answers
    });
    loginTo(client, server, true);
    EXPECT_THROW(client.storeFile(path, QStringLiteral("first")), SocketError);
    // The owed replies never came: the connection is closed so the rest fails without waiting.
    EXPECT_FALSE(client.isConnected());
    EXPECT_EQ(events.last(), QStringLiteral("disconnected"));
    EXPECT_EQ(failureOf([&] { client.storeFile(path, QStringLiteral("second")); }).errorNumber, ENOTCONN);
}

TEST_F(FtpClientTest, SilentServerRaisesTheSystemTimeOut)
{
    network::setInactivityLimit(300ms);
    FakeFtpServer server([](FakeFtpSession& s) {
        s.login();
        s.expect("MKD");
        s.waitClientClose();
    });
    loginTo(client, server, false);
    const Failure failure = failureOf([&] { client.makeDirectory(QStringLiteral("Kalmenor")); });
    EXPECT_EQ(failure.errorNumber, ETIMEDOUT);
    EXPECT_TRUE(failure.message.startsWith(QStringLiteral("Socket Error # %1\r\n").arg(ETIMEDOUT)))
        << failure.message.toStdString();
    EXPECT_GT(failure.message.size(), 20);
    EXPECT_FALSE(client.isConnected());
}

TEST_F(FtpClientTest, ControlConnectionDroppedInTheMiddle)
{
    const QString path = localFile("data");
    FakeFtpServer server([&](FakeFtpSession& s) {
        s.login();
        s.expect("PASV");
        s.closeControl();
    });
    loginTo(client, server, true);
    EXPECT_THROW(client.storeFile(path, QStringLiteral("a")), SocketError);
    EXPECT_FALSE(client.isConnected());
    EXPECT_THROW(client.storeFile(path, QStringLiteral("b")), SocketError);
}

TEST_F(FtpClientTest, NetworkFailuresBeforeLogin)
{
    client.Port = unusedLocalPort();
    const Failure failure = failureOf([&] { client.connectAndLogin(); });
    EXPECT_EQ(failure.errorNumber, ECONNREFUSED);
    EXPECT_TRUE(failure.message.startsWith(QStringLiteral("Socket Error # %1\r\n").arg(ECONNREFUSED)));
    EXPECT_FALSE(client.isConnected());
    EXPECT_TRUE(events.isEmpty());

    statuses.clear();
    client.Host = QStringLiteral("no-such-host.invalid");
    EXPECT_THROW(client.connectAndLogin(), SocketError);
    EXPECT_EQ(statuses.value(0), QStringLiteral("Resolving hostname no-such-host.invalid."));
}

TEST_F(FtpClientTest, LocalProblemsSendNothing)
{
    FakeFtpServer server([](FakeFtpSession& s) {
        s.login();
        s.waitClientClose();
    });
    loginTo(client, server, false);
    // A missing file, and a name that would smuggle a second command in.
    EXPECT_THROW(client.storeFile(dir.filePath(QStringLiteral("missing.html")), QStringLiteral("x")),
                 shell::AppError);
    EXPECT_THROW(client.storeFile(localFile("x"), QStringLiteral("a\r\nDELE index.html")), shell::AppError);
    EXPECT_THROW(client.makeDirectory(QStringLiteral("a\nRMD b")), shell::AppError);
    EXPECT_TRUE(client.isConnected());
    client.disconnect();
    server.join();
    EXPECT_EQ(server.commands(), (Commands{"user anna", "pass sekret", "type I", "syst"}));
}

TEST(FtpPassiveReply, AddressAndPortFromEitherForm)
{
    QString address;
    int port = 0;
    FtpClient::parsePassiveReply(QStringLiteral("227 Entering Passive Mode 10,0,0,5,19,137"), &address,
                                 &port);
    EXPECT_EQ(address, QStringLiteral("10.0.0.5"));
    EXPECT_EQ(port, 5001);
    FtpClient::parsePassiveReply(QStringLiteral("227 Entering Passive Mode (10,0,0,5,19,137)."), &address,
                                 &port);
    EXPECT_EQ(address, QStringLiteral("10.0.0.5"));
    EXPECT_EQ(port, 5001);
    for (const char* bad :
         {"227 Entering Passive Mode", "227 (10,0,0,5,19)", "227 (10,0,0,999,19,137)", "227 (a,b,c,d,e,f)"}) {
        EXPECT_THROW(FtpClient::parsePassiveReply(QString::fromLatin1(bad), &address, &port), FtpReplyError)
            << bad;
    }
}

} // namespace
