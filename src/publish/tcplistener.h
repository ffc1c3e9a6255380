#pragma once

#include "publish/tcpsocket.h"

#include <QString>

namespace publish {

// A listening TCP socket on a port the system chooses, for one incoming connection.
class TcpListener {
public:
    TcpListener() = default;
    ~TcpListener();
    TcpListener(TcpListener&& other) noexcept;
    TcpListener& operator=(TcpListener&& other) noexcept;
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;

    // address: dotted IPv4 address of a local interface.
    static TcpListener listenOn(const QString& address);

    QString address() const;
    int port() const;

    // Waits (within the inactivity limit) for the next connection.
    TcpSocket accept();
    // Waits (within the inactivity limit) until a connection is waiting (true) or `other` has data or
    // was closed (false), whichever comes first.
    bool waitForConnectionOr(const TcpSocket& other);
    bool hasConnectionWaiting() const;
    void close();

private:
    explicit TcpListener(int fd) : m_fd(fd) {}
    int m_fd = -1;
};

} // namespace publish
