#include "publish/hostresolver.h"

#include "publish/socketerror.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

bool isDottedIPv4(const QString& host)
{
    in_addr address{};
    return ::inet_pton(AF_INET, host.toLatin1().constData(), &address) == 1;
}

QString resolveHost(const QString& hostName)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int status = ::getaddrinfo(hostName.toUtf8().constData(), nullptr, &hints, &found);
    if (status != 0) {
        // The resolver's own numbers (EAI_*) and texts; EAI_SYSTEM means errno holds the cause.
        if (status == EAI_SYSTEM)
            throw SocketError::fromErrno();
        throw SocketError(status, QString::fromLocal8Bit(::gai_strerror(status)));
    }
    QString result;
    for (const addrinfo* entry = found; entry && result.isEmpty(); entry = entry->ai_next) {
        if (entry->ai_family != AF_INET)
            continue;
        char text[INET_ADDRSTRLEN] = {};
        const auto* sa = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
        if (::inet_ntop(AF_INET, &sa->sin_addr, text, sizeof text))
            result = QString::fromLatin1(text);
    }
    ::freeaddrinfo(found);
    if (result.isEmpty())
        throw SocketError(EAI_NONAME, QString::fromLocal8Bit(::gai_strerror(EAI_NONAME)));
    return result;
}
