#include "publish/ftpclient.h"

#include "publish/ftpreplyerror.h"
#include "publish/hostresolver.h"
#include "publish/socketerror.h"
#include "publish/tcplistener.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cerrno>

namespace publish {

namespace {

// Kept when the server does not describe itself; never shown.
const QString kUnknownSystem = QStringLiteral("UNIX Type: L8");

// Replies are bounded so a misbehaving server cannot fill the memory.
constexpr qsizetype kMaxLineBytes = 64 * 1024;
constexpr qsizetype kMaxReplyLines = 10000;

// After a 426 some servers send a 226 as well; wait this long for it while recovering.
constexpr std::chrono::milliseconds kLateReplyGrace{2000};

// A passive port asked for ahead of time is used only this fresh: servers close an unused listener
// after a while.
constexpr std::chrono::seconds kPendingPassiveAge{10};

QString trimmedLine(const QByteArray& bytes)
{
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && quint8(bytes[begin]) <= 0x20)
        ++begin;
    while (end > begin && quint8(bytes[end - 1]) <= 0x20)
        --end;
    return QString::fromUtf8(bytes.constData() + begin, end - begin);
}

int codeOf(const QString& line)
{
    if (line.size() < 3)
        return 0;
    int code = 0;
    for (int i = 0; i < 3; ++i) {
        if (!line[i].isDigit() || line[i].unicode() > '9')
            return 0;
        code = code * 10 + (line[i].unicode() - '0');
    }
    return code;
}

bool endsMultiLineReply(const QString& line, const QString& code)
{
    // A final line "220 " reaches us trimmed to "220".
    if (line.size() == 3)
        return line.compare(code, Qt::CaseInsensitive) == 0;
    return line.left(4).compare(code + QLatin1Char(' '), Qt::CaseInsensitive) == 0;
}

// A line break inside a path would end the command early and smuggle in another one.
void checkCommandArgument(const QString& argument)
{
    if (argument.contains(QLatin1Char('\r')) || argument.contains(QLatin1Char('\n'))
        || argument.contains(QChar(0)))
        throw shell::AppError(
            QStringLiteral("The name contains a line break and cannot be sent to the FTP server: %1")
                .arg(QString(argument)
                         .replace(QLatin1Char('\n'), QLatin1Char(' '))
                         .replace(QLatin1Char('\r'), QLatin1Char(' '))));
}

} // namespace

FtpClient::~FtpClient() = default;

void FtpClient::status(FtpStatus kind, const QString& text)
{
    if (OnStatus)
        OnStatus(kind, text);
}

void FtpClient::ensureConnected() const
{
    if (!m_control.isOpen())
        throw SocketError(ENOTCONN);
}

void FtpClient::connectAndLogin()
{
    if (m_control.isOpen())
        throw shell::AppError(QStringLiteral("Already connected."));
    try {
        QString address = Host;
        if (!isDottedIPv4(Host)) {
            status(FtpStatus::Resolving, QStringLiteral("Resolving hostname %1.").arg(Host));
            address = resolveHost(Host);
        }
        status(FtpStatus::Connecting, QStringLiteral("Connecting to %1.").arg(address));
        m_control = TcpSocket::connectTo(address, Port);
        m_control.setNoDelay();
        m_peerAddress = address;
        m_toldPassiveAddress = false;
        m_received.clear();
        m_outstanding = Outstanding::Nothing;
        m_passivePending = false;
        status(FtpStatus::Connected, QStringLiteral("Connected."));
        if (OnConnected)
            OnConnected();

        command(QString(), {220});
        if (Tls) {
            try {
                command(QStringLiteral("AUTH TLS"), {234});
            } catch (const FtpReplyError& e) {
                throw FtpReplyError(e.code(),
                                    QStringLiteral("The FTP server does not offer TLS (%1). Switch "
                                                   "TLS off in Options/FTP only if the password may "
                                                   "travel unencrypted.")
                                        .arg(e.message()));
            }
            m_tls = std::make_unique<TlsContext>(Host, TrustedFingerprints);
            m_control.startTls(*m_tls, true);
        }
        if (command(QStringLiteral("user ") + User, {230, 331}) == 331)
            command(QStringLiteral("pass ") + Password, {230});
        if (Tls) {
            command(QStringLiteral("PBSZ 0"), {200});
            command(QStringLiteral("PROT P"), {200});
        }
        command(QStringLiteral("type I"), {200});
        if (command(QStringLiteral("syst"), {200, 215, 500}) == 500)
            m_system = kUnknownSystem;
        else
            m_system = m_replyLines.last().mid(3);
    } catch (const std::exception&) {
        disconnect();
        throw;
    }
}

void FtpClient::makeDirectory(const QString& path)
{
    checkCommandArgument(path);
    ensureConnected();
    command(QStringLiteral("MKD ") + path, {257});
}

void FtpClient::storeFile(const QString& localPath, const QString& remotePath)
{
    checkCommandArgument(remotePath);
    ensureConnected();
    QFile file(localPath);
    if (!file.open(QIODevice::ReadOnly))
        throw shell::AppError(QStringLiteral("Cannot open file %1. %2")
                                  .arg(QDir::toNativeSeparators(localPath), file.errorString()));
    transfer(QStringLiteral("STOR ") + remotePath, [&](TcpSocket& data) { sendFile(file, data); });
}

std::optional<QByteArray> FtpClient::retrieveFile(const QString& remotePath, qsizetype maxSize)
{
    checkCommandArgument(remotePath);
    ensureConnected();
    try {
        return download(QStringLiteral("RETR ") + remotePath, maxSize,
                        QStringLiteral("The file %1 on the FTP server is too large.").arg(remotePath));
    } catch (const FtpReplyError& e) {
        if (e.code() == 550)
            return std::nullopt; // no such file
        throw;
    }
}

QStringList FtpClient::listNames(const QString& remoteFolder, qsizetype maxSize)
{
    checkCommandArgument(remoteFolder);
    ensureConnected();
    const QByteArray bytes = download(
        QStringLiteral("NLST ") + remoteFolder, maxSize,
        QStringLiteral("The list of the folder %1 on the FTP server is too large.").arg(remoteFolder));
    QStringList names;
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        // Some servers answer with the path asked for in front of each name.
        const QString name = QString::fromUtf8(line.mid(line.lastIndexOf('/') + 1));
        if (!name.isEmpty())
            names << name;
    }
    return names;
}

QByteArray FtpClient::download(const QString& commandText, qsizetype maxSize, const QString& tooLarge)
{
    QByteArray bytes;
    transfer(commandText, [&](TcpSocket& data) {
        char piece[kPieceSize];
        while (const qsizetype n = data.receive(piece, sizeof piece)) {
            if (bytes.size() + n > maxSize)
                throw shell::AppError(tooLarge);
            bytes.append(piece, n);
        }
    });
    return bytes;
}

void FtpClient::renameFile(const QString& from, const QString& to, bool transferFollows)
{
    checkCommandArgument(from);
    checkCommandArgument(to);
    ensureConnected();
    // The server answers each line as if it had come alone; an RNTO after a refused RNFR is refused too.
    QStringList lines = {QStringLiteral("RNFR ") + from, QStringLiteral("RNTO ") + to};
    const bool passiveAhead = transferFollows && Passive;
    if (passiveAhead)
        lines << QStringLiteral("PASV");
    sendCommands(lines);
    if (passiveAhead)
        m_passiveSentAt = std::chrono::steady_clock::now();
    readReply();
    const int fromCode = m_replyCode;
    const QString fromLine = m_replyLines.last();
    readReply();
    m_passivePending = passiveAhead;
    if (fromCode != 350)
        throw FtpReplyError(fromCode, fromLine);
    expect({250});
}

void FtpClient::deleteFile(const QString& path)
{
    checkCommandArgument(path);
    ensureConnected();
    command(QStringLiteral("DELE ") + path, {250});
}

void FtpClient::transfer(const QString& commandText, const Body& body)
{
    try {
        if (Passive)
            transferPassive(commandText, body);
        else
            transferActive(commandText, body);
    } catch (const std::exception&) {
        if (m_outstanding != Outstanding::Nothing)
            recoverAfterFailedTransfer();
        throw;
    }
}

int FtpClient::passivePort()
{
    if (m_passivePending && std::chrono::steady_clock::now() - m_passiveSentAt < kPendingPassiveAge) {
        m_passivePending = false;
        readReply();
        expect({227});
    } else {
        command(QStringLiteral("PASV"), {227});
    }
    QString address;
    int port = 0;
    parsePassiveReply(m_replyLines.last(), &address, &port);
    // Only the port is taken: a reply naming another host would send the shop wherever the server
    // (or whoever rewrote its reply) chooses.
    if (address != m_peerAddress && !m_toldPassiveAddress) {
        m_toldPassiveAddress = true;
        if (OnNotice)
            OnNotice(QStringLiteral("The FTP server named the address %1 for data connections; its own "
                                    "address %2 was used instead.")
                         .arg(address, m_peerAddress));
    }
    return port;
}

void FtpClient::transferPassive(const QString& commandText, const Body& body)
{
    const int port = passivePort();
    sendCommand(commandText);
    m_outstanding = Outstanding::StoreReply;
    TcpSocket data = TcpSocket::connectTo(m_peerAddress, port);
    // Nothing goes on the data connection before the go-ahead: a server may take bytes that arrive
    // before it has read the command for a connection already ended, and drop them.
    readTransferStart();
    secureData(data);
    finishTransfer(data, body);
}

void FtpClient::transferActive(const QString& commandText, const Body& body)
{
    TcpListener listener = TcpListener::listenOn(m_control.localAddress());
    const int port = listener.port();
    const QString hostFields = listener.address().replace(QLatin1Char('.'), QLatin1Char(','));
    command(QStringLiteral("PORT %1,%2,%3").arg(hostFields).arg(port / 256).arg(port % 256), {200});

    sendCommand(commandText);
    m_outstanding = Outstanding::StoreReply;
    readTransferStart();

    // A server that cannot reach us answers on the control connection instead of connecting.
    // A download may be over, its reply read already, before we take the connection.
    const bool connected =
        listener.hasConnectionWaiting() || (m_received.isEmpty() && listener.waitForConnectionOr(m_control));
    if (!connected) {
        readReply();
        m_outstanding = Outstanding::Nothing;
        throw FtpReplyError(m_replyCode, m_replyLines.last());
    }
    TcpSocket data = listener.accept();
    listener.close();
    secureData(data);
    finishTransfer(data, body);
}

// Reads the server's go-ahead (1xx) for the transfer under way, unless it was read already.
void FtpClient::readTransferStart()
{
    if (m_outstanding != Outstanding::StoreReply)
        return;
    readReply();
    m_outstanding =
        m_replyCode >= 100 && m_replyCode < 200 ? Outstanding::EndOfTransfer : Outstanding::Nothing;
    expect({110, 125, 150});
}

void FtpClient::finishTransfer(TcpSocket& data, const Body& body)
{
    body(data);
    if (data.isEncrypted())
        data.closeAfterPeer();
    else
        data.close();
    readEndOfTransfer();
}

void FtpClient::secureData(TcpSocket& data)
{
    if (m_tls)
        data.startTls(*m_tls, false);
}

void FtpClient::sendFile(QFile& file, TcpSocket& data)
{
    if (m_piece.size() != kPieceSize)
        m_piece.resize(kPieceSize);
    for (;;) {
        const qint64 n = file.read(m_piece.data(), kPieceSize);
        if (n < 0)
            throw shell::AppError(QStringLiteral("Cannot read file %1. %2")
                                      .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
        if (n == 0)
            return;
        try {
            data.sendAll(m_piece.constData(), n);
        } catch (const SocketError& e) {
            // The server closed the data connection itself; its end-of-transfer reply tells why.
            if (e.errorNumber() == EPIPE || e.errorNumber() == ECONNRESET)
                return;
            throw;
        }
    }
}

void FtpClient::readEndOfTransfer()
{
    readReply();
    if (m_replyCode == 426) {
        readReply();
        m_outstanding = Outstanding::Nothing;
        expect({226});
        return;
    }
    m_outstanding = Outstanding::Nothing;
    expect({225, 226, 250, 426});
}

// The server still owes the replies of a transfer that failed on our side. Read them now, or every
// later command would read the previous command's reply; if they do not come, drop the connection so
// the remaining work fails at once instead of out of step.
void FtpClient::recoverAfterFailedTransfer()
{
    try {
        if (m_outstanding == Outstanding::StoreReply) {
            readReply();
            m_outstanding =
                m_replyCode >= 100 && m_replyCode < 200 ? Outstanding::EndOfTransfer : Outstanding::Nothing;
        }
        if (m_outstanding == Outstanding::EndOfTransfer) {
            readReply();
            if (m_replyCode == 426 && m_control.waitReadable(kLateReplyGrace))
                readReply();
        }
    } catch (const std::exception&) {
        // The original failure is what the caller reports; this one only ends the connection.
        disconnect();
    }
    m_outstanding = Outstanding::Nothing;
}

void FtpClient::disconnect()
{
    if (!m_control.isOpen())
        return;
    status(FtpStatus::Disconnecting, QStringLiteral("Disconnecting from %1.").arg(m_peerAddress));
    m_control.close();
    m_tls.reset();
    m_received.clear();
    m_outstanding = Outstanding::Nothing;
    m_passivePending = false;
    status(FtpStatus::Disconnected, QStringLiteral("Not connected."));
    if (OnDisconnected)
        OnDisconnected();
}

int FtpClient::command(const QString& text, std::initializer_list<int> accepted)
{
    if (!text.isEmpty())
        sendCommand(text);
    readReply();
    expect(accepted);
    return m_replyCode;
}

void FtpClient::expect(std::initializer_list<int> accepted) const
{
    if (std::find(accepted.begin(), accepted.end(), m_replyCode) == accepted.end())
        throw FtpReplyError(m_replyCode, m_replyLines.isEmpty() ? QString() : m_replyLines.last());
}

void FtpClient::sendCommand(const QString& command)
{
    sendCommands(QStringList{command});
}

void FtpClient::sendCommands(const QStringList& lines)
{
    ensureConnected();
    settlePendingPassive();
    discardStaleReplies();
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + "\r\n";
    m_commandsSent += lines.size();
    try {
        m_control.sendAll(bytes.constData(), bytes.size());
    } catch (const std::exception&) {
        disconnect();
        throw;
    }
}

// The reply to a "PASV" sent ahead and not used is read before the next command, which would
// otherwise take it for its own answer.
void FtpClient::settlePendingPassive()
{
    if (!m_passivePending)
        return;
    m_passivePending = false;
    readReply();
}

// FTP is strictly question and answer: anything that arrived before we ask is a late reply to an
// earlier command and would otherwise be taken for the answer to the next one.
void FtpClient::discardStaleReplies()
{
    char buffer[4096];
    qsizetype discarded = 0;
    while (discarded < kMaxLineBytes) {
        std::optional<qsizetype> n;
        try {
            n = m_control.receiveNow(buffer, sizeof buffer);
        } catch (const std::exception&) {
            disconnect();
            throw;
        }
        if (!n || *n == 0)
            break; // nothing more; a close by the server is reported by the next read
        discarded += *n;
        m_received.append(buffer, *n);
    }
    const qsizetype lastBreak = m_received.lastIndexOf('\n');
    if (lastBreak >= 0)
        m_received.remove(0, lastBreak + 1);
}

QString FtpClient::readLine()
{
    for (;;) {
        const qsizetype lineEnd = m_received.indexOf('\n');
        if (lineEnd >= 0) {
            const QString line = trimmedLine(m_received.left(lineEnd));
            m_received.remove(0, lineEnd + 1);
            return line;
        }
        if (m_received.size() > kMaxLineBytes) {
            disconnect();
            throw shell::AppError(QStringLiteral("The FTP server sent a reply line that is too long."));
        }
        char buffer[kPieceSize];
        qsizetype n = 0;
        try {
            n = m_control.receive(buffer, sizeof buffer);
        } catch (const std::exception&) {
            disconnect();
            throw;
        }
        if (n == 0) {
            if (!m_received.isEmpty()) {
                const QString line = trimmedLine(m_received);
                m_received.clear();
                return line;
            }
            disconnect();
            throw SocketError(ECONNRESET);
        }
        m_received.append(buffer, n);
    }
}

int FtpClient::readReply()
{
    ensureConnected();
    m_replyLines.clear();
    QString line;
    qsizetype linesRead = 0;
    do {
        line = readLine();
        if (++linesRead > kMaxReplyLines) {
            disconnect();
            throw shell::AppError(QStringLiteral("The FTP server sent a reply that is too long."));
        }
    } while (line.isEmpty());
    m_replyLines << line;
    if (line.size() > 3 && line[3] == QLatin1Char('-')) {
        const QString code = line.left(3);
        do {
            line = readLine();
            if (++linesRead > kMaxReplyLines) {
                disconnect();
                throw shell::AppError(QStringLiteral("The FTP server sent a reply that is too long."));
            }
            if (!line.isEmpty())
                m_replyLines << line;
        } while (line.isEmpty() || !endsMultiLineReply(line, code));
    }
    m_replyCode = codeOf(m_replyLines.last());
    return m_replyCode;
}

void FtpClient::parsePassiveReply(const QString& line, QString* address, int* port)
{
    const QString text = line.trimmed();
    QString kept;
    const qsizetype open = text.indexOf(QLatin1Char('('));
    const qsizetype close = open >= 0 ? text.indexOf(QLatin1Char(')'), open + 1) : -1;
    if (open >= 0 && close >= 0)
        kept = text.mid(open + 1, close - open - 1);
    else
        kept = text.mid(text.lastIndexOf(QLatin1Char(' ')) + 1);

    const QStringList fields = kept.split(QLatin1Char(','));
    if (fields.size() < 6)
        throw FtpReplyError(227, line);
    int numbers[6];
    for (int i = 0; i < 6; ++i) {
        bool ok = false;
        numbers[i] = fields[i].trimmed().toInt(&ok);
        if (!ok || numbers[i] < 0 || numbers[i] > 255)
            throw FtpReplyError(227, line);
    }
    *address = QStringLiteral("%1.%2.%3.%4").arg(numbers[0]).arg(numbers[1]).arg(numbers[2]).arg(numbers[3]);
    *port = numbers[4] * 256 + numbers[5];
    if (*port == 0)
        throw FtpReplyError(227, line);
}

} // namespace publish
