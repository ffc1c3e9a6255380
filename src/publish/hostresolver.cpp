#include "publish/hostresolver.h"

#include "publish/inactivitylimit.h"
#include "publish/socketerror.h"

#include <QByteArray>

#include <arpa/inet.h>
#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace publish {

bool isDottedIPv4(const QString& host)
{
    in_addr address{};
    return ::inet_pton(AF_INET, host.toLatin1().constData(), &address) == 1;
}

namespace {

// One asynchronous lookup. When it cannot be cancelled after a time-out the resolver still writes into
// it, so it is then left alive on purpose (a few hundred bytes per abandoned lookup).
struct Lookup {
    QByteArray name;
    addrinfo hints{};
    gaicb request{};
};

} // namespace

QString resolveHost(const QString& hostName)
{
    auto* lookup = new Lookup;
    lookup->name = hostName.toUtf8();
    lookup->hints.ai_family = AF_INET;
    lookup->hints.ai_socktype = SOCK_STREAM;
    lookup->request.ar_name = lookup->name.constData();
    lookup->request.ar_request = &lookup->hints;
    gaicb* requests[] = {&lookup->request};
    int status = ::getaddrinfo_a(GAI_NOWAIT, requests, 1, nullptr);
    if (status == 0) {
        // The resolver's own waits are bounded by the same inactivity limit as every other network wait.
        const auto limit = network::inactivityLimit();
        timespec timeout{time_t(limit.count() / 1000), long(limit.count() % 1000) * 1000000L};
        const gaicb* const pending[] = {&lookup->request};
        for (;;) {
            status = ::gai_error(&lookup->request);
            if (status != EAI_INPROGRESS)
                break;
            const int waited = ::gai_suspend(pending, 1, &timeout);
            if (waited == EAI_AGAIN) {
                const int cancelled = ::gai_cancel(&lookup->request);
                if (cancelled == EAI_ALLDONE)
                    continue; // it finished after all
                if (cancelled == EAI_CANCELED)
                    delete lookup;
                throw SocketError(ETIMEDOUT);
            }
        }
    }
    addrinfo* found = status == 0 ? lookup->request.ar_result : nullptr;
    delete lookup;
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

} // namespace publish
