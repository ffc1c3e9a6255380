#pragma once

#include "publish/tlslayer.h"

#include <QString>
#include <chrono>
#include <optional>

namespace publish {

// A connected TCP stream (IPv4). Together with TcpListener and resolveHost this is the only code that
// touches the operating system's sockets. Every wait is bounded by network::inactivityLimit(); failures
// raise SocketError with the system's error number.
class TcpSocket {
public:
    TcpSocket() = default;
    ~TcpSocket();
    TcpSocket(TcpSocket&& other) noexcept;
    TcpSocket& operator=(TcpSocket&& other) noexcept;
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;

    // address: dotted IPv4 address.
    static TcpSocket connectTo(const QString& address, int port);
    // Takes over a connected descriptor (from accept).
    static TcpSocket adopt(int descriptor);

    bool isOpen() const { return m_fd >= 0; }

    // Continues the connection in TLS as a client of `context`; data connections (isControl false)
    // resume the control connection's session.
    void startTls(TlsContext& context, bool isControl);
    bool isEncrypted() const { return m_tls != nullptr; }

    // Sends every byte; never raises SIGPIPE.
    void sendAll(const char* data, qsizetype size);
    // Small writes leave at once instead of waiting for the previous one's acknowledgement.
    void setNoDelay();
    // Waits for data; returns the number of bytes read, 0 when the peer closed the connection.
    qsizetype receive(char* buffer, qsizetype capacity);
    // Data that has arrived already, without waiting: nothing when none has, 0 when the peer closed.
    std::optional<qsizetype> receiveNow(char* buffer, qsizetype capacity);
    // True when data (or the peer's close) is waiting, after at most `wait`.
    bool waitReadable(std::chrono::milliseconds wait);

    QString localAddress() const;

    void close();
    // Ends the stream in order: TLS close_notify, our half closed, then the peer's end awaited (within the
    // inactivity limit) before closing. Closing with unread bytes (a TLS 1.3 ticket) would reset the
    // connection and could cut off the last bytes sent.
    void closeAfterPeer();

private:
    friend class TcpListener;
    explicit TcpSocket(int fd) : m_fd(fd) {}
    int m_fd = -1;
    TlsLayerPtr m_tls;
};

} // namespace publish
