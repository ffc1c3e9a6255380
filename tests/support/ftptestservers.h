#pragma once

// Servers the publishing tests talk to: a real pyftpdlib server in a child process, and a scripted fake
// server on a thread for reply edge cases and faults.

#include "publish/ftpclient.h"
#include "publish/inactivitylimit.h"
#include "shell/settings.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A local port nobody listens on (bound by the system, then released).
int unusedLocalPort();

// pyftpdlib on 127.0.0.1 with a temporary home folder.
class RealFtpServer {
public:
    RealFtpServer(const QString& user = QStringLiteral("kupiec"),
                  const QString& password = QStringLiteral("tajne"));
    // Explicit TLS required on every connection, with this certificate and key (PEM files).
    RealFtpServer(const QString& certificate, const QString& key, bool tls);
    ~RealFtpServer();
    bool started() const { return m_port > 0; }
    QString startError() const { return m_error; }
    int port() const { return m_port; }
    QString home() const { return m_home.path(); }

private:
    void start(const QStringList& arguments);
    QTemporaryDir m_home;
    QProcess m_process;
    int m_port = 0;
    QString m_error;
};

// A self-signed certificate for commonName (and 127.0.0.1 when that is localhost) made by the openssl
// program, with its key and its SHA-256 fingerprint as "AB:CD:…".
struct TestCertificate {
    explicit TestCertificate(const QString& commonName = QStringLiteral("localhost"));
    QTemporaryDir dir;
    QString certificate;
    QString key;
    QString fingerprint;
    QString error;
};

// One control connection driven by a test's script; every wait is bounded so a broken client cannot
// hang the test.
class FakeFtpSession {
public:
    explicit FakeFtpSession(int controlFd) : m_control(controlFd) {}
    ~FakeFtpSession();

    void reply(const std::string& lines); // each "\n" becomes CR LF; a final CR LF is added
    void sendRaw(const std::string& bytes);
    std::string readCommand(); // "" when the client closed or 5 s passed
    // Reads the next command and checks its verb (for example "PASV"); returns the whole line.
    std::string expect(const std::string& verb);
    void login(); // 220, user 331, pass 230, type 200, syst 215

    // The 227 reply line for a fresh data listener on 127.0.0.1; `address` is what the reply names.
    std::string openPassive(bool parentheses = true, const std::string& address = "127,0,0,1");
    std::string
    receiveData(size_t stopAfter = 0); // accepts and reads to the end (or stopAfter bytes, then closes)
    std::string receiveActive(const std::string& portCommand);
    void sendData(const std::string& bytes); // accepts on the passive listener, sends, closes
    // Takes the data connection and tells whether bytes were on it already, sent before any go-ahead;
    // receiveData then reads that connection.
    bool dataCameEarly();
    bool waitClientClose(int ms = 5000); // true when the client closed the control connection
    void closeControl();

    std::vector<std::string> commands;

private:
    std::string readLine(int fd, std::string& buffer);
    int m_control;
    int m_dataListener = -1;
    int m_dataConnection = -1;
    std::string m_buffer;
};

class FakeFtpServer {
public:
    using Script = std::function<void(FakeFtpSession&)>;
    explicit FakeFtpServer(Script script);
    // One script per connection, in the order the client connects.
    explicit FakeFtpServer(std::vector<Script> sessions);
    ~FakeFtpServer();
    int port() const { return m_port; }
    void join(); // waits for the script's end
    // The commands the client sent; call after join().
    std::vector<std::string> commands() const;
    std::string failure() const; // what went wrong inside the script, if anything

private:
    int m_listener = -1;
    int m_port = 0;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_commands;
    std::string m_failure;
};

// Sets the network inactivity limit for one test and puts the default back at its end.
class InactivityLimit {
public:
    explicit InactivityLimit(std::chrono::milliseconds limit) { publish::network::setInactivityLimit(limit); }
    ~InactivityLimit() { publish::network::setInactivityLimit(publish::network::kDefaultInactivityLimit); }
    InactivityLimit(const InactivityLimit&) = delete;
    InactivityLimit& operator=(const InactivityLimit&) = delete;
};

// The FTP settings that reach a test server on 127.0.0.1 as kupiec/tajne.
shell::FtpSettings localFtpSettings(int port, bool passive);

// Logs the client in to the scripted server, in passive or active mode.
void loginTo(publish::FtpClient& client, const FakeFtpServer& server, bool passive);
// Disconnects the client, waits for the script's end and returns what went wrong inside it ("" when
// the client did what the script expects).
std::string finish(publish::FtpClient& client, FakeFtpServer& server);
