#include "ftptestservers.h"

#include <QFile>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kWaitMs = 5000;

QString pythonProgram()
{
    // The Debian interpreter carries python3-pyftpdlib; a personal one on PATH may not.
    return QFile::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                             : QStringLiteral("python3");
}

int listenLocal(int* port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || ::listen(fd, 4) != 0)
        throw std::runtime_error("fake server cannot listen");
    socklen_t length = sizeof sa;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &length);
    *port = ntohs(sa.sin_port);
    return fd;
}

bool readable(int fd, int ms)
{
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, ms) > 0;
}

// Reads a data connection to its end (or stopAfter bytes) and closes it.
std::string readToEnd(int fd, size_t stopAfter)
{
    std::string data;
    while (readable(fd, kWaitMs)) {
        char chunk[65536];
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0)
            break;
        data.append(chunk, size_t(n));
        if (stopAfter > 0 && data.size() >= stopAfter)
            break;
    }
    ::close(fd);
    return data;
}

int acceptWithin(int listener, int ms)
{
    if (!readable(listener, ms))
        throw std::runtime_error("no connection came");
    return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}

} // namespace

int unusedLocalPort()
{
    int port = 0;
    ::close(listenLocal(&port));
    return port;
}

RealFtpServer::RealFtpServer(const QString& user, const QString& password)
{
    start({m_home.path(), user, password});
}

RealFtpServer::RealFtpServer(const QString& certificate, const QString& key, bool tls)
{
    QStringList arguments = {m_home.path(), QStringLiteral("kupiec"), QStringLiteral("tajne")};
    if (tls)
        arguments << certificate << key;
    start(arguments);
}

void RealFtpServer::start(const QStringList& arguments)
{
    const QString script = QStringLiteral(KAL_SOURCE_DIR "/tests/support/ftpserver.py");
    m_process.start(pythonProgram(), QStringList{script} + arguments);
    if (!m_process.waitForStarted(10000)) {
        m_error = m_process.errorString();
        return;
    }
    while (!m_process.canReadLine() && m_process.waitForReadyRead(15000)) {
    }
    const QByteArray line = m_process.readLine().trimmed();
    m_port = line.toInt();
    if (m_port <= 0)
        m_error = QString::fromLocal8Bit(line + m_process.readAllStandardError());
}

TestCertificate::TestCertificate(const QString& commonName)
{
    certificate = dir.filePath(QStringLiteral("cert.pem"));
    key = dir.filePath(QStringLiteral("key.pem"));
    QProcess openssl;
    openssl.start(
        QStringLiteral("openssl"),
        {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
         QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"), QStringLiteral("2"),
         QStringLiteral("-subj"), QStringLiteral("/CN=") + commonName, QStringLiteral("-addext"),
         QStringLiteral("subjectAltName=DNS:") + commonName
             + (commonName == QStringLiteral("localhost") ? QStringLiteral(",IP:127.0.0.1") : QString()),
         QStringLiteral("-keyout"), key, QStringLiteral("-out"), certificate});
    if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0) {
        error = QString::fromLocal8Bit(openssl.readAllStandardError()) + openssl.errorString();
        return;
    }
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("x509"), QStringLiteral("-noout"), QStringLiteral("-fingerprint"),
                   QStringLiteral("-sha256"), QStringLiteral("-in"), certificate});
    openssl.waitForFinished(30000);
    // "sha256 Fingerprint=AB:CD:..."
    fingerprint = QString::fromLatin1(openssl.readAllStandardOutput()).trimmed().section(QLatin1Char('='), 1);
}

RealFtpServer::~RealFtpServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

FakeFtpSession::~FakeFtpSession()
{
    closeControl();
    if (m_dataListener >= 0)
        ::close(m_dataListener);
    if (m_dataConnection >= 0)
        ::close(m_dataConnection);
}

void FakeFtpSession::sendRaw(const std::string& bytes)
{
    if (m_control >= 0)
        ::send(m_control, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

void FakeFtpSession::reply(const std::string& lines)
{
    std::string out;
    for (char c : lines) {
        if (c == '\n')
            out += "\r\n";
        else
            out += c;
    }
    sendRaw(out + "\r\n");
}

std::string FakeFtpSession::readLine(int fd, std::string& buffer)
{
    for (;;) {
        const auto end = buffer.find('\n');
        if (end != std::string::npos) {
            std::string line = buffer.substr(0, end);
            buffer.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return line;
        }
        if (!readable(fd, kWaitMs))
            return {};
        char chunk[4096];
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0)
            return {};
        buffer.append(chunk, size_t(n));
    }
}

std::string FakeFtpSession::readCommand()
{
    std::string line = m_control >= 0 ? readLine(m_control, m_buffer) : std::string();
    if (!line.empty())
        commands.push_back(line);
    return line;
}

std::string FakeFtpSession::expect(const std::string& verb)
{
    const std::string line = readCommand();
    if (line.compare(0, verb.size(), verb) != 0)
        throw std::runtime_error("expected " + verb + ", got '" + line + "'");
    return line;
}

void FakeFtpSession::login()
{
    reply("220 fake server ready");
    expect("user");
    reply("331 Password required");
    expect("pass");
    reply("230 Logged in");
    expect("type I");
    reply("200 Type set to I");
    expect("syst");
    reply("215 UNIX Type: L8");
}

std::string FakeFtpSession::openPassive(bool parentheses, const std::string& address)
{
    if (m_dataListener >= 0)
        ::close(m_dataListener);
    int port = 0;
    m_dataListener = listenLocal(&port);
    const std::string fields = address + "," + std::to_string(port / 256) + "," + std::to_string(port % 256);
    return parentheses ? "227 Entering Passive Mode (" + fields + ")."
                       : "227 Entering Passive Mode " + fields;
}

std::string FakeFtpSession::receiveData(size_t stopAfter)
{
    const int fd = m_dataConnection >= 0 ? m_dataConnection : acceptWithin(m_dataListener, kWaitMs);
    m_dataConnection = -1;
    return readToEnd(fd, stopAfter);
}

bool FakeFtpSession::dataCameEarly()
{
    if (m_dataConnection < 0)
        m_dataConnection = acceptWithin(m_dataListener, kWaitMs);
    return readable(m_dataConnection, 0);
}

void FakeFtpSession::sendData(const std::string& bytes)
{
    const int fd = acceptWithin(m_dataListener, kWaitMs);
    ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    ::close(fd);
}

std::string FakeFtpSession::receiveActive(const std::string& portCommand)
{
    // "PORT h1,h2,h3,h4,p1,p2"
    int f[6] = {};
    if (std::sscanf(portCommand.c_str(), "PORT %d,%d,%d,%d,%d,%d", &f[0], &f[1], &f[2], &f[3], &f[4], &f[5])
        != 6)
        throw std::runtime_error("bad PORT command: " + portCommand);
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(uint16_t(f[4] * 256 + f[5]));
    sa.sin_addr.s_addr = htonl(uint32_t(f[0] << 24 | f[1] << 16 | f[2] << 8 | f[3]));
    if (::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
        ::close(fd);
        throw std::runtime_error("cannot connect to the client's data port");
    }
    return readToEnd(fd, 0);
}

bool FakeFtpSession::waitClientClose(int ms)
{
    while (m_control >= 0 && readable(m_control, ms)) {
        char chunk[4096];
        if (::recv(m_control, chunk, sizeof chunk, 0) <= 0)
            return true;
    }
    return false;
}

void FakeFtpSession::closeControl()
{
    if (m_control >= 0) {
        ::close(m_control);
        m_control = -1;
    }
}

FakeFtpServer::FakeFtpServer(Script script) : FakeFtpServer(std::vector<Script>{std::move(script)}) {}

FakeFtpServer::FakeFtpServer(std::vector<Script> sessions)
{
    m_listener = listenLocal(&m_port);
    m_thread = std::thread([this, sessions = std::move(sessions)] {
        for (const Script& script : sessions) {
            try {
                FakeFtpSession session(acceptWithin(m_listener, 10000));
                try {
                    script(session);
                } catch (const std::exception& e) {
                    std::lock_guard lock(m_mutex);
                    m_failure += e.what();
                }
                std::lock_guard lock(m_mutex);
                m_commands.insert(m_commands.end(), session.commands.begin(), session.commands.end());
            } catch (const std::exception& e) {
                std::lock_guard lock(m_mutex);
                m_failure += e.what();
                return;
            }
        }
    });
}

FakeFtpServer::~FakeFtpServer()
{
    join();
    ::close(m_listener);
}

void FakeFtpServer::join()
{
    if (m_thread.joinable())
        m_thread.join();
}

std::vector<std::string> FakeFtpServer::commands() const
{
    std::lock_guard lock(m_mutex);
    return m_commands;
}

std::string FakeFtpServer::failure() const
{
    std::lock_guard lock(m_mutex);
    return m_failure;
}

shell::FtpSettings localFtpSettings(int port, bool passive)
{
    shell::FtpSettings ftp;
    ftp.host = QStringLiteral("127.0.0.1");
    ftp.port = QString::number(port);
    ftp.user = QStringLiteral("kupiec");
    ftp.password = QStringLiteral("tajne");
    ftp.passive = passive;
    return ftp;
}

void loginTo(publish::FtpClient& client, const FakeFtpServer& server, bool passive)
{
    client.Port = server.port();
    client.Passive = passive;
    client.connectAndLogin();
}

std::string finish(publish::FtpClient& client, FakeFtpServer& server)
{
    client.disconnect();
    server.join();
    return server.failure();
}
