#pragma once

#include <QString>
#include <chrono>

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

    // Sends every byte; never raises SIGPIPE.
    void sendAll(const char* data, qsizetype size);
    // Waits for data; returns the number of bytes read, 0 when the peer closed the connection.
    qsizetype receive(char* buffer, qsizetype capacity);
    // True when data (or the peer's close) is waiting, after at most `wait`.
    bool waitReadable(std::chrono::milliseconds wait);

    QString localAddress() const;
    QString peerAddress() const;
    int localPort() const;

    void close();

private:
    friend class TcpListener;
    explicit TcpSocket(int fd) : m_fd(fd) {}
    int m_fd = -1;
};

} // namespace publish
