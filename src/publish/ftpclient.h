#pragma once

#include "publish/tcpsocket.h"
#include "publish/tlscontext.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <initializer_list>
#include <optional>

class QFile;

namespace publish {

enum class FtpStatus { Resolving, Connecting, Connected, Disconnecting, Disconnected };

// The FTP client the upload drives: one control connection, login, directory creation and storing of
// local files, binary transfers in passive or active mode. Every operation blocks until the server
// answers, the network fails or the inactivity limit passes. Failures raise FtpReplyError (a reply
// code the operation does not accept) or SocketError (the network); "Already connected." is an AppError.
class FtpClient {
public:
    // Connection properties, set before connectAndLogin.
    QString Host;
    int Port = 21;
    QString User;
    QString Password;
    bool Passive = false;
    // Explicit TLS: "AUTH TLS" before the login, then "PBSZ 0" and "PROT P", every data connection
    // encrypted. Certificates the system does not vouch for are accepted only by these fingerprints.
    bool Tls = false;
    QStringList TrustedFingerprints;

    // Notifications; each may be left unset.
    std::function<void()> OnConnected;    // control connection open, greeting not yet read
    std::function<void()> OnDisconnected; // control connection closed
    std::function<void(FtpStatus, const QString&)> OnStatus;
    // Something the user should read in the report (said once per connection).
    std::function<void(const QString&)> OnNotice;

    FtpClient() = default;
    ~FtpClient();
    FtpClient(const FtpClient&) = delete;
    FtpClient& operator=(const FtpClient&) = delete;

    void connectAndLogin();
    void makeDirectory(const QString& path);
    void storeFile(const QString& localPath, const QString& remotePath);
    // The bytes of a remote file ("RETR"); nothing when the server has no such file (550). A file
    // larger than maxSize raises AppError.
    std::optional<QByteArray> retrieveFile(const QString& remotePath, qsizetype maxSize);
    // The names in a remote folder ("NLST"), without any path in front. A refusal raises FtpReplyError
    // (servers differ in how they answer for an empty folder); a list larger than maxSize, AppError.
    QStringList listNames(const QString& remoteFolder, qsizetype maxSize);
    // "RNFR" (350) and "RNTO" (250) in one write: replaces `to` on servers that allow it. A refused
    // RNFR raises its own reply, not the RNTO's. With transferFollows in passive mode the next
    // transfer's "PASV" goes in the same write; its reply is read when that transfer starts (or before
    // any other command).
    void renameFile(const QString& from, const QString& to, bool transferFollows = false);
    // "DELE" (250).
    void deleteFile(const QString& path);
    // Closes the control connection without any command; nothing happens when it is not open.
    void disconnect();

    bool isConnected() const { return m_control.isOpen(); }
    // The code of the last reply.
    int replyCode() const { return m_replyCode; }
    QString systemDescription() const { return m_system; }
    // Commands sent since this client was made (the benchmark compares it with other clients).
    qint64 commandsSent() const { return m_commandsSent; }

    // Pieces a file is read and sent in; the whole file is never in memory.
    static constexpr qsizetype kPieceSize = 32768;

    // The address and port of a "PASV" reply line; raises FtpReplyError(227, line) when unusable.
    static void parsePassiveReply(const QString& line, QString* address, int* port);

private:
    // Replies still owed by the server for a STOR whose transfer failed half-way.
    enum class Outstanding { Nothing, StoreReply, EndOfTransfer };

    using Body = std::function<void(TcpSocket&)>;

    void status(FtpStatus kind, const QString& text);
    void sendCommand(const QString& command);
    // Several commands in one write; their replies are read in the same order.
    void sendCommands(const QStringList& lines);
    void settlePendingPassive();
    int readReply();
    int command(const QString& text, std::initializer_list<int> accepted);
    void expect(std::initializer_list<int> accepted) const;
    void readEndOfTransfer();
    QString readLine();
    void discardStaleReplies();
    void ensureConnected() const;
    void sendFile(QFile& file, TcpSocket& data);
    // One data transfer: the command (STOR, RETR, NLST) and `body` on the data connection.
    void transfer(const QString& command, const Body& body);
    void transferPassive(const QString& command, const Body& body);
    void transferActive(const QString& command, const Body& body);
    // The bytes a command (RETR, NLST) sends on the data connection; more than maxSize raises tooLarge.
    QByteArray download(const QString& command, qsizetype maxSize, const QString& tooLarge);
    int passivePort();
    void readTransferStart();
    void finishTransfer(TcpSocket& data, const Body& body);
    void recoverAfterFailedTransfer();

    void secureData(TcpSocket& data);

    TcpSocket m_control;
    std::unique_ptr<TlsContext> m_tls;
    QString m_peerAddress;
    QByteArray m_received;
    QStringList m_replyLines;
    int m_replyCode = 0;
    QString m_system;
    Outstanding m_outstanding = Outstanding::Nothing;
    bool m_toldPassiveAddress = false;
    qint64 m_commandsSent = 0;
    // A "PASV" went out ahead; its reply is the next one the server sends.
    bool m_passivePending = false;
    std::chrono::steady_clock::time_point m_passiveSentAt;
    QByteArray m_piece; // kept between files
};

} // namespace publish
