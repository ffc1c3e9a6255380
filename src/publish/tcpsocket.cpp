#include "publish/tcpsocket.h"

#include "publish/inactivitylimit.h"
#include "publish/socketerror.h"
#include "publish/socketwait.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace publish {

namespace {

sockaddr_in ipv4Address(const QString& address, int port)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(quint16(port));
    if (port < 0 || port > 65535 || ::inet_pton(AF_INET, address.toLatin1().constData(), &sa.sin_addr) != 1)
        throw SocketError(EINVAL);
    return sa;
}

QString addressText(const sockaddr_in& sa)
{
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &sa.sin_addr, text, sizeof text);
    return QString::fromLatin1(text);
}

} // namespace

TcpSocket::~TcpSocket()
{
    close();
}

TcpSocket::TcpSocket(TcpSocket&& other) noexcept : m_fd(other.m_fd), m_tls(std::move(other.m_tls))
{
    other.m_fd = -1;
}

TcpSocket& TcpSocket::operator=(TcpSocket&& other) noexcept
{
    if (this != &other) {
        close();
        m_fd = other.m_fd;
        m_tls = std::move(other.m_tls);
        other.m_fd = -1;
    }
    return *this;
}

TcpSocket TcpSocket::connectTo(const QString& address, int port)
{
    const sockaddr_in sa = ipv4Address(address, port);
    TcpSocket socket(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (socket.m_fd < 0)
        throw SocketError::fromErrno();
    if (::connect(socket.m_fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
        if (errno != EINPROGRESS)
            throw SocketError::fromErrno();
        socketwait::waitFor(socket.m_fd, POLLOUT, network::inactivityLimit());
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(socket.m_fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
            throw SocketError::fromErrno();
        if (error != 0)
            throw SocketError(error);
    }
    return socket;
}

TcpSocket TcpSocket::adopt(int descriptor)
{
    TcpSocket socket(descriptor);
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags < 0 || ::fcntl(descriptor, F_SETFL, flags | O_NONBLOCK) != 0)
        throw SocketError::fromErrno();
    return socket;
}

void TcpSocket::startTls(TlsContext& context, bool isControl)
{
    if (m_fd < 0)
        throw SocketError(ENOTCONN);
    m_tls = tls::handshake(m_fd, context, isControl);
}

void TcpSocket::sendAll(const char* data, qsizetype size)
{
    if (m_fd < 0)
        throw SocketError(ENOTCONN);
    if (m_tls)
        return tls::sendAll(*m_tls, m_fd, data, size);
    while (size > 0) {
        const ssize_t n = ::send(m_fd, data, size_t(size), MSG_NOSIGNAL);
        if (n > 0) {
            data += n;
            size -= n;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            socketwait::waitFor(m_fd, POLLOUT, network::inactivityLimit());
        } else if (errno != EINTR) {
            throw SocketError::fromErrno();
        }
    }
}

void TcpSocket::setNoDelay()
{
    const int on = 1;
    if (m_fd >= 0 && ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) != 0)
        throw SocketError::fromErrno();
}

qsizetype TcpSocket::receive(char* buffer, qsizetype capacity)
{
    if (m_fd < 0)
        throw SocketError(ENOTCONN);
    if (m_tls)
        return *tls::receive(*m_tls, m_fd, buffer, capacity, true);
    for (;;) {
        const ssize_t n = ::recv(m_fd, buffer, size_t(capacity), 0);
        if (n >= 0)
            return n;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            socketwait::waitFor(m_fd, POLLIN, network::inactivityLimit());
        else if (errno != EINTR)
            throw SocketError::fromErrno();
    }
}

std::optional<qsizetype> TcpSocket::receiveNow(char* buffer, qsizetype capacity)
{
    if (m_fd < 0)
        throw SocketError(ENOTCONN);
    if (m_tls)
        return tls::receive(*m_tls, m_fd, buffer, capacity, false);
    for (;;) {
        const ssize_t n = ::recv(m_fd, buffer, size_t(capacity), MSG_DONTWAIT);
        if (n >= 0)
            return n;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return std::nullopt;
        if (errno != EINTR)
            throw SocketError::fromErrno();
    }
}

bool TcpSocket::waitReadable(std::chrono::milliseconds wait)
{
    if (m_fd < 0)
        return false;
    if (m_tls && tls::hasBufferedData(*m_tls))
        return true;
    return socketwait::tryWaitFor(m_fd, POLLIN, wait);
}

QString TcpSocket::localAddress() const
{
    sockaddr_in sa{};
    socklen_t length = sizeof sa;
    if (m_fd < 0 || ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&sa), &length) != 0)
        throw SocketError(m_fd < 0 ? ENOTCONN : errno);
    return addressText(sa);
}

void TcpSocket::close()
{
    if (m_fd >= 0) {
        if (m_tls) {
            tls::shutdown(*m_tls);
            m_tls.reset();
        }
        ::close(m_fd);
        m_fd = -1;
    }
}

void TcpSocket::closeAfterPeer()
{
    if (m_fd < 0)
        return;
    if (m_tls) {
        tls::finish(*m_tls, m_fd);
        m_tls.reset();
    }
    ::shutdown(m_fd, SHUT_WR);
    char buffer[4096];
    while (socketwait::tryWaitFor(m_fd, POLLIN, network::inactivityLimit())) {
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK))
            break;
    }
    close();
}

} // namespace publish
