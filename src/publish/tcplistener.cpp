#include "publish/tcplistener.h"

#include "publish/inactivitylimit.h"
#include "publish/socketerror.h"
#include "publish/socketwait.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace publish {

namespace {

sockaddr_in boundAddress(int fd)
{
    sockaddr_in sa{};
    socklen_t length = sizeof sa;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &length) != 0)
        throw SocketError::fromErrno();
    return sa;
}

} // namespace

TcpListener::~TcpListener()
{
    close();
}

TcpListener::TcpListener(TcpListener&& other) noexcept : m_fd(other.m_fd)
{
    other.m_fd = -1;
}

TcpListener& TcpListener::operator=(TcpListener&& other) noexcept
{
    if (this != &other) {
        close();
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

TcpListener TcpListener::listenOn(const QString& address)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = 0; // the system chooses
    if (::inet_pton(AF_INET, address.toLatin1().constData(), &sa.sin_addr) != 1)
        throw SocketError(EINVAL);
    TcpListener listener(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (listener.m_fd < 0)
        throw SocketError::fromErrno();
    if (::bind(listener.m_fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0
        || ::listen(listener.m_fd, 1) != 0)
        throw SocketError::fromErrno();
    return listener;
}

QString TcpListener::address() const
{
    if (m_fd < 0)
        throw SocketError(ENOTCONN);
    const sockaddr_in sa = boundAddress(m_fd);
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &sa.sin_addr, text, sizeof text);
    return QString::fromLatin1(text);
}

int TcpListener::port() const
{
    if (m_fd < 0)
        throw SocketError(ENOTCONN);
    return ntohs(boundAddress(m_fd).sin_port);
}

TcpSocket TcpListener::accept()
{
    if (m_fd < 0)
        throw SocketError(ENOTCONN);
    for (;;) {
        const int fd = ::accept4(m_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0)
            return TcpSocket::adopt(fd);
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            socketwait::waitFor(m_fd, POLLIN, network::inactivityLimit());
        else if (errno != EINTR && errno != ECONNABORTED)
            throw SocketError::fromErrno();
    }
}

bool TcpListener::waitForConnectionOr(const TcpSocket& other)
{
    if (m_fd < 0 || other.m_fd < 0)
        throw SocketError(ENOTCONN);
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + network::inactivityLimit();
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd entries[2] = {{m_fd, POLLIN, 0}, {other.m_fd, POLLIN, 0}};
        const int n = ::poll(entries, 2, left.count() > 0 ? int(left.count()) : 0);
        if (n > 0)
            return entries[0].revents != 0;
        if (n == 0)
            throw SocketError(ETIMEDOUT);
        if (errno != EINTR)
            throw SocketError::fromErrno();
    }
}

bool TcpListener::hasConnectionWaiting() const
{
    return m_fd >= 0 && socketwait::tryWaitFor(m_fd, POLLIN, std::chrono::milliseconds(0));
}

void TcpListener::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace publish
